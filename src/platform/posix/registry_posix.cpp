#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/registry.h"

namespace platform {

namespace {

std::string KeyFile(const std::string& key) {
  const char* dir = std::getenv("VELMORA_REGISTRY_DIR");
  std::string root;
  if (dir != nullptr && *dir != '\0') {
    root = dir;
  } else {
    const char* home = std::getenv("HOME");
    root = std::string(home != nullptr ? home : ".") + "/.config/velmora/registry";
  }
  std::string path = root + "/HKEY_CURRENT_USER/";
  for (char c : key) path += c == '\\' ? '/' : c;
  return path + ".reg";
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Reads a quoted text at line[*pos]; false when the line has none.
bool Unquote(const std::string& line, size_t* pos, std::string* text) {
  if (*pos >= line.size() || line[*pos] != '"') return false;
  text->clear();
  for (size_t i = *pos + 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      *text += line[++i];
    } else if (line[i] == '"') {
      *pos = i + 1;
      return true;
    } else {
      *text += line[i];
    }
  }
  return false;
}

// The value part of the line that holds `name`, if any.
bool FindValue(const std::vector<std::string>& lines, const std::string& name, size_t* index,
               std::string* value) {
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t pos = 0;
    std::string lineName;
    if (!Unquote(lines[i], &pos, &lineName) || lineName != name) continue;
    if (pos >= lines[i].size() || lines[i][pos] != '=') continue;
    *index = i;
    *value = lines[i].substr(pos + 1);
    return true;
  }
  return false;
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
  }
  return true;
}

bool WriteValue(const std::string& key, const std::string& name, const std::string& value) {
  std::string path = KeyFile(key);
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines)) return false;  // a missing key is never created
  std::string line = Quote(name) + "=" + value;
  size_t index;
  std::string old;
  if (FindValue(lines, name, &index, &old))
    lines[index] = line;
  else
    lines.push_back(line);
  // Replace the file whole, so a reader never sees half of it.
  std::string temp = path + ".tmp." + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return true;  // the key opened; the write itself is not examined
    for (const std::string& l : lines) out << l << '\n';
    if (!out.flush()) {
      std::remove(temp.c_str());
      return true;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) std::remove(temp.c_str());
  return true;
}

bool ReadValue(const std::string& key, const std::string& name, std::string* value) {
  std::vector<std::string> lines;
  size_t index;
  return ReadLines(KeyFile(key), &lines) && FindValue(lines, name, &index, value);
}

}  // namespace

bool RegistryWriteString(const std::string& key, const std::string& name,
                         const std::string& text) {
  return WriteValue(key, name, Quote(text));
}

bool RegistryWriteNumber(const std::string& key, const std::string& name, uint32_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "dword:%08x", value);
  return WriteValue(key, name, text);
}

bool RegistryReadString(const std::string& key, const std::string& name, std::string* text) {
  std::string value;
  size_t pos = 0;
  return ReadValue(key, name, &value) && Unquote(value, &pos, text);
}

bool RegistryReadNumber(const std::string& key, const std::string& name, uint32_t* value) {
  std::string text;
  if (!ReadValue(key, name, &text) || text.rfind("dword:", 0) != 0 || text.size() != 14)
    return false;
  char* end = nullptr;
  unsigned long number = std::strtoul(text.c_str() + 6, &end, 16);
  if (end == nullptr || *end != '\0') return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

std::string MachineIdentifier() {
  std::ifstream in("/etc/machine-id");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace platform

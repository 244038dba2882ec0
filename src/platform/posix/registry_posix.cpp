#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/posix/registry_file.h"
#include "platform/posix/registry_line.h"
#include "platform/registry.h"

namespace platform {

std::string RegistryKeyFile(const std::string& key) {
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

KeyFileState ReadKeyFile(const std::string& path, std::vector<std::string>* lines,
                         std::string* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error != nullptr) *error = std::strerror(errno);
    return errno == ENOENT || errno == ENOTDIR ? KeyFileState::kMissing
                                               : KeyFileState::kUnreadable;
  }
  std::string data;
  char buffer[8192];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0) data.append(buffer, static_cast<size_t>(got));
  const int readError = errno;
  close(fd);
  if (got < 0) {
    if (error != nullptr) *error = std::strerror(readError);
    return KeyFileState::kUnreadable;
  }
  SplitKeyFileLines(data, lines);
  return KeyFileState::kRead;
}

void SplitKeyFileLines(const std::string& data, std::vector<std::string>* lines) {
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
    start = end + 1;
  }
}

namespace {

// Replaces the file whole: the lines go to a new file beside it, which is
// flushed to the disk and then renamed over the old one, so that a reader,
// or the file after a crash, has either the old values or the new ones.
bool ReplaceFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string data;
  for (const std::string& line : lines) data += line + "\n";
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat old;
  if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  size_t done = 0;
  bool ok = true;
  while (ok && done < data.size()) {
    const ssize_t put = write(fd, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    ok = put > 0;
    if (ok) done += static_cast<size_t>(put);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // The rename itself lasts only once the folder is on the disk too.
  const std::string folder = path.substr(0, path.rfind('/'));
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

bool WriteValue(const std::string& key, const std::string& name, const std::string& line) {
  const std::string path = RegistryKeyFile(key);
  std::vector<std::string> lines;
  // A missing key is never created; one that cannot be read does not open.
  if (ReadKeyFile(path, &lines) != KeyFileState::kRead) return false;
  // The value takes the place of the first line that names it; any later
  // line naming it would override it on reading, so it goes.
  bool placed = false;
  std::vector<std::string> out;
  for (const std::string& old : lines) {
    const RegistryLine parsed = ParseRegistryLine(old);
    if (!parsed.named || parsed.name != name) {
      out.push_back(old);
    } else if (!placed) {
      out.push_back(line);
      placed = true;
    }
  }
  if (!placed) out.push_back(line);
  ReplaceFile(path, out);  // the key opened: the write itself is not examined
  return true;
}

// The last well-formed line that sets `name`.
bool ReadValue(const std::string& key, const std::string& name, RegistryLine* value) {
  std::vector<std::string> lines;
  if (ReadKeyFile(RegistryKeyFile(key), &lines) != KeyFileState::kRead) return false;
  bool found = false;
  for (const std::string& line : lines) {
    RegistryLine parsed = ParseRegistryLine(line);
    if (parsed.kind != RegistryLine::kText && parsed.kind != RegistryLine::kNumber) continue;
    if (parsed.name != name) continue;
    *value = parsed;
    found = true;
  }
  return found;
}

}  // namespace

bool RegistryWriteString(const std::string& key, const std::string& name,
                         const std::string& text) {
  return WriteValue(key, name, FormatRegistryText(name, text));
}

bool RegistryWriteNumber(const std::string& key, const std::string& name, uint32_t value) {
  return WriteValue(key, name, FormatRegistryNumber(name, value));
}

bool RegistryReadString(const std::string& key, const std::string& name, std::string* text) {
  RegistryLine value;
  if (!ReadValue(key, name, &value) || value.kind != RegistryLine::kText) return false;
  *text = value.text;
  return true;
}

bool RegistryReadNumber(const std::string& key, const std::string& name, uint32_t* value) {
  RegistryLine line;
  if (!ReadValue(key, name, &line) || line.kind != RegistryLine::kNumber) return false;
  *value = line.number;
  return true;
}

std::string MachineIdentifier() {
  std::ifstream in("/etc/machine-id");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace platform

#include "platform/posix/registry_line.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      // A raw line break would end the line in the middle of the value.
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// Reads the quoted text that begins at line[*pos] (a double quote) and moves
// *pos past its closing quote; false when the closing quote is missing.
bool Unquote(const std::string& line, size_t* pos, std::string* text) {
  text->clear();
  for (size_t i = *pos + 1; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c != '\\' || i + 1 == line.size()) {
      *text += c;
      continue;
    }
    const char e = line[++i];
    if (e == 'n') {
      *text += '\n';
    } else if (e == 'r') {
      *text += '\r';
    } else if (e == '\\' || e == '"') {
      *text += e;
    } else {
      // Not an escape this store writes: a hand-written path such as
      // C:\data keeps its backslash.
      *text += '\\';
      *text += e;
    }
  }
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

RegistryLine Bad(RegistryLine line, const char* reason) {
  line.kind = RegistryLine::kBad;
  line.reason = reason;
  return line;
}

}  // namespace

RegistryLine ParseRegistryLine(const std::string& text) {
  RegistryLine line;
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  // What a .reg export holds besides its values.
  if (first == text.size() || text[0] == ';' || text[0] == '[' || text == "REGEDIT4" ||
      text.rfind("Windows Registry Editor Version ", 0) == 0)
    return line;
  if (text[0] != '"') return Bad(line, "not a value line (it must begin with the quoted name)");
  size_t pos = 0;
  std::string name;
  if (!Unquote(text, &pos, &name)) return Bad(line, "the name's closing quote is missing");
  bool spaces = false;
  while (pos < text.size() && IsBlank(text[pos])) spaces = true, ++pos;
  if (pos == text.size() || text[pos] != '=') return Bad(line, "no '=' after the name");
  ++pos;
  while (pos < text.size() && IsBlank(text[pos])) spaces = true, ++pos;
  line.named = true;
  line.name = name;
  if (spaces) return Bad(line, "spaces around '='");
  if (pos == text.size()) return Bad(line, "no value after '='");
  if (text[pos] == '"') {
    if (!Unquote(text, &pos, &line.text))
      return Bad(line, "the text's closing quote is missing");
    if (pos != text.size()) return Bad(line, "characters after the text's closing quote");
    line.kind = RegistryLine::kText;
    return line;
  }
  if (text.compare(pos, 6, "dword:") == 0) {
    const std::string digits = text.substr(pos + 6);
    bool hex = digits.size() == 8;
    for (char c : digits) hex = hex && IsHex(c);
    if (!hex) return Bad(line, "a dword takes exactly 8 hex digits, as in dword:00000001");
    line.kind = RegistryLine::kNumber;
    line.number = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return line;
  }
  return Bad(line, "a value that is neither \"text\" nor dword:");
}

std::string FormatRegistryText(const std::string& name, const std::string& text) {
  return Quote(name) + "=" + Quote(text);
}

std::string FormatRegistryNumber(const std::string& name, uint32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08x", value);
  return Quote(name) + "=dword:" + digits;
}

}  // namespace platform

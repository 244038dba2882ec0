// One line of a key's file in the Linux registry, in the value syntax of a
// .reg export: "Name"="text" or "Name"=dword:0000000a. Inside quotes a
// backslash escapes a backslash or a double quote, and \n and \r stand for a
// line feed and a carriage return, so that every value stays on one line.
#ifndef VELMORA_PLATFORM_POSIX_REGISTRY_LINE_H_
#define VELMORA_PLATFORM_POSIX_REGISTRY_LINE_H_

#include <cstdint>
#include <string>

namespace platform {

struct RegistryLine {
  enum Kind {
    kIgnored,  // blank, a comment, the export's header or a [key] line
    kText,
    kNumber,
    kBad,  // a line the reader skips; `reason` says why
  };
  Kind kind = kIgnored;
  // Set when the line begins with a well-formed quoted name followed by '='
  // (spaces allowed around it), even if the value after it is bad: a write
  // of that name replaces the line.
  bool named = false;
  std::string name;
  std::string text;
  uint32_t number = 0;
  std::string reason;
};

RegistryLine ParseRegistryLine(const std::string& line);

// "Name"="text" and "Name"=dword:0000000a, as the reader reads them back.
std::string FormatRegistryText(const std::string& name, const std::string& text);
std::string FormatRegistryNumber(const std::string& name, uint32_t value);

}  // namespace platform

#endif  // VELMORA_PLATFORM_POSIX_REGISTRY_LINE_H_

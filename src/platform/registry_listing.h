// A registry key listed whole, as a person looking for a fault needs to see
// it: for the stand-in host's doctor, which tells what the plug-in will make
// of its settings. Linked into the host only; the plug-in itself reads one
// value at a time (registry.h).
#ifndef VELMORA_PLATFORM_REGISTRY_LISTING_H_
#define VELMORA_PLATFORM_REGISTRY_LISTING_H_

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct RegistryValue {
  enum Kind { kText, kNumber, kOther };
  std::string name;
  Kind kind = kOther;
  std::string text;     // kText
  uint32_t number = 0;  // kNumber
  std::string type;     // kOther: the stored type
  int line = 0;         // Linux: the value's line in the key's file
};

struct RegistrySkippedLine {
  int line = 0;  // counted from 1
  std::string text;
  std::string name;  // the value the line would set, if it names one
  std::string reason;
};

struct RegistryListing {
  std::string where;  // the key's file, or the key's path under HKCU
  bool exists = false;
  std::string error;  // set when the key exists but cannot be read
  std::vector<RegistryValue> values;  // in the order stored; the last of a name counts
  std::vector<RegistrySkippedLine> skipped;  // Linux: lines the reader skips
};

// The current user's key `key` (under HKEY_CURRENT_USER).
RegistryListing ListRegistryKey(const std::string& key);

}  // namespace platform

#endif  // VELMORA_PLATFORM_REGISTRY_LISTING_H_

// The Linux registry key listed from its file, line by line as the
// registry calls read it.
#include "platform/posix/registry_file.h"
#include "platform/posix/registry_line.h"
#include "platform/registry_listing.h"

namespace platform {

RegistryListing ListRegistryKey(const std::string& key) {
  RegistryListing listing;
  listing.where = RegistryKeyFile(key);
  std::vector<std::string> lines;
  const KeyFileState state = ReadKeyFile(listing.where, &lines, &listing.error);
  listing.exists = state != KeyFileState::kMissing;
  if (state != KeyFileState::kUnreadable) listing.error.clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    const RegistryLine parsed = ParseRegistryLine(lines[i]);
    const int number = static_cast<int>(i + 1);
    if (parsed.kind == RegistryLine::kBad) {
      listing.skipped.push_back({number, lines[i], parsed.name, parsed.reason});
    } else if (parsed.kind != RegistryLine::kIgnored) {
      RegistryValue value;
      value.name = parsed.name;
      value.kind = parsed.kind == RegistryLine::kText ? RegistryValue::kText
                                                      : RegistryValue::kNumber;
      value.text = parsed.text;
      value.number = parsed.number;
      value.line = number;
      listing.values.push_back(value);
    }
  }
  return listing;
}

}  // namespace platform

// The Linux registry's files: where a key's file is and how its lines are
// read. The registry calls use them, and so does the listing of a key.
#ifndef VELMORA_PLATFORM_POSIX_REGISTRY_FILE_H_
#define VELMORA_PLATFORM_POSIX_REGISTRY_FILE_H_

#include <string>
#include <vector>

namespace platform {

// $VELMORA_REGISTRY_DIR (default ~/.config/velmora/registry) /
// HKEY_CURRENT_USER / the key's path with / for \, and ".reg".
std::string RegistryKeyFile(const std::string& key);

enum class KeyFileState { kRead, kMissing, kUnreadable };

// The lines of a key file's contents, without their line ends (LF or
// CR LF), appended to *lines.
void SplitKeyFileLines(const std::string& data, std::vector<std::string>* lines);

// The file's lines, as above. *error, when given, tells why a file that is
// there could not be read.
KeyFileState ReadKeyFile(const std::string& path, std::vector<std::string>* lines,
                         std::string* error = nullptr);

}  // namespace platform

#endif  // VELMORA_PLATFORM_POSIX_REGISTRY_FILE_H_

// The current user's registry, one value at a time. Each call opens the key,
// does its one read or write and closes it; none creates a missing key.
//
// Windows: HKEY_CURRENT_USER. Linux: one file per key under
// $VELMORA_REGISTRY_DIR (default ~/.config/velmora/registry), e.g.
// HKEY_CURRENT_USER/Software/ZUZ/Velmora/Velmora.reg, one value a line as in
// a .reg export: "Name"="text" (\ and " escaped, line breaks as \n and \r)
// or "Name"=dword:0000000a. Lines that say anything else are skipped; a
// write replaces the file whole.
#ifndef VELMORA_PLATFORM_REGISTRY_H_
#define VELMORA_PLATFORM_REGISTRY_H_

#include <cstdint>
#include <string>

namespace platform {

// False when the key does not exist (nothing is written then).
bool RegistryWriteString(const std::string& key, const std::string& name,
                         const std::string& text);
bool RegistryWriteNumber(const std::string& key, const std::string& name, uint32_t value);

// False when the key or the value does not exist.
bool RegistryReadString(const std::string& key, const std::string& name, std::string* text);
bool RegistryReadNumber(const std::string& key, const std::string& name, uint32_t* value);

// The machine's own identifier: MachineGuid on Windows, /etc/machine-id on
// Linux; empty when there is none.
std::string MachineIdentifier();

}  // namespace platform

#endif  // VELMORA_PLATFORM_REGISTRY_H_

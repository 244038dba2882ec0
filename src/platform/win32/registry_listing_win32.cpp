// The Windows registry key listed value by value.
#include <windows.h>

#include <cstring>

#include "platform/registry_listing.h"

namespace platform {

RegistryListing ListRegistryKey(const std::string& key) {
  RegistryListing listing;
  listing.where = "HKEY_CURRENT_USER\\" + key;
  HKEY handle;
  const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle);
  listing.exists = opened != ERROR_FILE_NOT_FOUND;
  if (opened != ERROR_SUCCESS) {
    if (listing.exists) listing.error = "error " + std::to_string(opened);
    return listing;
  }
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameSize = sizeof name;
    DWORD type = 0;
    BYTE data[4096];
    DWORD dataSize = sizeof data;
    const LONG got =
        RegEnumValueA(handle, index, name, &nameSize, nullptr, &type, data, &dataSize);
    if (got == ERROR_NO_MORE_ITEMS) break;
    RegistryValue value;
    value.name.assign(name, nameSize);
    if (got == ERROR_SUCCESS && type == REG_SZ) {
      value.kind = RegistryValue::kText;
      value.text.assign(reinterpret_cast<const char*>(data), dataSize);
      value.text.resize(std::string(value.text.c_str()).size());
    } else if (got == ERROR_SUCCESS && type == REG_DWORD && dataSize == 4) {
      value.kind = RegistryValue::kNumber;
      memcpy(&value.number, data, 4);
    } else {
      value.type = got == ERROR_MORE_DATA ? "a value too large to list"
                                          : "registry type " + std::to_string(type);
    }
    listing.values.push_back(value);
  }
  RegCloseKey(handle);
  return listing;
}

}  // namespace platform

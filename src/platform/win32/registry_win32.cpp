#include <windows.h>

#include <vector>

#include "platform/registry.h"

namespace platform {

namespace {

bool QueryValue(HKEY root, const std::string& key, REGSAM access, const std::string& name,
                std::vector<BYTE>* data) {
  HKEY handle;
  if (RegOpenKeyExA(root, key.c_str(), 0, access, &handle) != ERROR_SUCCESS) return false;
  // Once for the size, once for the value.
  DWORD size = 0;
  bool ok = RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, nullptr, &size) ==
            ERROR_SUCCESS;
  if (ok) {
    data->assign(size + 1, 0);
    ok = RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, data->data(), &size) ==
         ERROR_SUCCESS;
    data->resize(size);
  }
  RegCloseKey(handle);
  return ok;
}

bool SetValue(const std::string& key, const std::string& name, DWORD type, const BYTE* data,
              DWORD size) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &handle) !=
      ERROR_SUCCESS)
    return false;
  // An opened key counts as written, whatever the set itself answers.
  RegSetValueExA(handle, name.c_str(), 0, type, data, size);
  RegCloseKey(handle);
  return true;
}

}  // namespace

bool RegistryWriteString(const std::string& key, const std::string& name,
                         const std::string& text) {
  return SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                  static_cast<DWORD>(text.size() + 1));
}

bool RegistryWriteNumber(const std::string& key, const std::string& name, uint32_t value) {
  DWORD number = value;
  return SetValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

bool RegistryReadString(const std::string& key, const std::string& name, std::string* text) {
  std::vector<BYTE> data;
  if (!QueryValue(HKEY_CURRENT_USER, key, KEY_READ, name, &data)) return false;
  text->assign(reinterpret_cast<const char*>(data.data()), data.size());
  text->resize(std::string(text->c_str()).size());  // up to the first NUL
  return true;
}

bool RegistryReadNumber(const std::string& key, const std::string& name, uint32_t* value) {
  std::vector<BYTE> data;
  if (!QueryValue(HKEY_CURRENT_USER, key, KEY_READ, name, &data) || data.size() != 4)
    return false;
  DWORD number;
  memcpy(&number, data.data(), 4);
  *value = number;
  return true;
}

RegistryListing RegistryList(const std::string& key) {
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

std::string MachineIdentifier() {
  std::vector<BYTE> data;
  if (!QueryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography",
                  KEY_READ | KEY_WOW64_64KEY, "MachineGuid", &data))
    return std::string();
  std::string text(reinterpret_cast<const char*>(data.data()), data.size());
  return std::string(text.c_str());
}

}  // namespace platform

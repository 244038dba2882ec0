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

std::string MachineIdentifier() {
  std::vector<BYTE> data;
  if (!QueryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography",
                  KEY_READ | KEY_WOW64_64KEY, "MachineGuid", &data))
    return std::string();
  std::string text(reinterpret_cast<const char*>(data.data()), data.size());
  return std::string(text.c_str());
}

}  // namespace platform

#include "testing/test_registry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#endif
#include <cstdlib>

namespace testing_registry {

#ifdef _WIN32
void UseFreshRoot() {}
void CreateKey(const std::string& key) {
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &handle, nullptr) == ERROR_SUCCESS)
    RegCloseKey(handle);
}
void DeleteKey(const std::string& key) { RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
void SetEnv(const char* name, const char* value) { _putenv_s(name, value ? value : ""); }
#else
namespace {
std::string KeyPath(const std::string& key) {
  std::string path = std::string(std::getenv("VELMORA_REGISTRY_DIR")) + "/HKEY_CURRENT_USER/";
  for (char c : key) path += c == '\\' ? '/' : c;
  return path + ".reg";
}
}  // namespace
void UseFreshRoot() {
  static int n = 0;
  std::string dir = std::filesystem::temp_directory_path().string() + "/velmora-registry-" +
                    std::to_string(getpid()) + "-" + std::to_string(n++);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  setenv("VELMORA_REGISTRY_DIR", dir.c_str(), 1);
}
void CreateKey(const std::string& key) {
  std::string path = KeyPath(key);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::app).flush();
}
void DeleteKey(const std::string& key) { std::remove(KeyPath(key).c_str()); }
void SetEnv(const char* name, const char* value) {
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
}
#endif

}  // namespace testing_registry

// Test-only registry and environment helpers: the plug-in never creates its
// settings key, so tests make it and remove it themselves.
#ifndef VELMORA_TESTING_TEST_REGISTRY_H_
#define VELMORA_TESTING_TEST_REGISTRY_H_

#include <string>

namespace testing_registry {

// Points the Linux registry at a fresh empty folder; nothing on Windows.
void UseFreshRoot();
void CreateKey(const std::string& key);
void DeleteKey(const std::string& key);
void SetEnv(const char* name, const char* value);  // null value unsets

}  // namespace testing_registry

#endif  // VELMORA_TESTING_TEST_REGISTRY_H_

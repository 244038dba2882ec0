// The plug-in's settings in the current user's registry, key
// "Software\ZUZ\Velmora\Velmora". The plug-in never creates the key.
#ifndef VELMORA_DB_SETTINGS_H_
#define VELMORA_DB_SETTINGS_H_

#include <cstdint>
#include <string>

class CGlobal;

extern const char kSettingsKey[];  // "Software\\ZUZ\\Velmora\\Velmora"

// Each opens the key, does its one read or write and closes it again.
// Writes return 1 when the key opened, else 0; reads give "" or 0 on failure.
bool RegWriteString(std::string key, std::string name, std::string text);
bool RegWriteNumber(std::string key, std::string name, uint32_t value);
std::string RegReadString(std::string key, std::string name);
uint32_t RegReadNumber(std::string key, std::string name);

// This installation's identifier as the server knows it: VELMORA_CLIENT_ID
// when set, else the machine's own identifier; trimmed.
std::string InstallationId();

// At Init: reads every setting and prepares every text derived from them.
void LoadSettings(CGlobal& g);
// When the configuration dialog is confirmed.
void SaveSettings(CGlobal& g);

#endif  // VELMORA_DB_SETTINGS_H_

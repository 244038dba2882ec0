// doctor's view of the settings: what the plug-in will make of the key as it
// is stored, line by line and value by value.
#ifndef VELMORA_HOST_DOCTOR_SETTINGS_H_
#define VELMORA_HOST_DOCTOR_SETTINGS_H_

#include <string>
#include <vector>

#include "host/plugin_settings.h"
#include "src/platform/registry_listing.h"

struct DoctorLine {
  enum Level { kOk, kInfo, kWarn, kFail };
  Level level;
  std::string text;
};

// A text as doctor prints it: in single quotes, with line breaks, tabs,
// backslashes and other bytes that a terminal would not show as \n, \r, \t,
// \\ and \xNN.
std::string Shown(const std::string& text);

// Where the driver connects for a ServerPort text: MariaDB Connector/ODBC
// reads the leading decimal digits as a 32-bit number and the system's
// resolver keeps its low 16 bits; 0 means the default port. `port` is 0
// when the driver cannot connect with the text at all.
struct PortUse {
  unsigned port = 0;
  DoctorLine line;
};
PortUse DescribePort(const std::string& text);

// `settings` as the plug-in will read them from the key.
std::vector<DoctorLine> CheckSettings(const platform::RegistryListing& key,
                                      const PluginSettings& settings);

#endif  // VELMORA_HOST_DOCTOR_SETTINGS_H_

#include "host/doctor_settings.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

std::string Shown(const std::string& text) {
  std::string out = "'";
  for (unsigned char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "'";
}

PortUse DescribePort(const std::string& text) {
  const std::string what = "server port " + Shown(text);
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t digitsFrom = i;
  uint64_t value = 0;
  bool huge = false;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    huge = huge || value > (UINT64_MAX - 9) / 10;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  const bool digits = i > digitsFrom;
  const std::string trailing = digits && i < text.size()
                                   ? " (the driver reads only the leading digits)"
                                   : "";
  // Measured with MariaDB Connector/ODBC 3.1: the driver reads the number
  // as strtoul does into 32 bits, takes 0 for its default port, and hands
  // the rest to the resolver as a signed decimal, which refuses a negative
  // one and keeps the low 16 bits of the others.
  if (huge) value = UINT64_MAX;
  if (negative && !huge) value = 0 - value;
  const uint32_t stored = static_cast<uint32_t>(value);
  PortUse use;
  if (stored == 0) {
    use.port = 3306;
    use.line = {DoctorLine::kWarn,
                what + (!digits ? (text.empty() ? " is empty" : " is not a number")
                        : value == 0 ? " is 0"
                                     : " is 0 in the driver's 32 bits") +
                    ": the driver connects to its default port 3306"};
    return use;
  }
  if (static_cast<int32_t>(stored) < 0) {
    use.line = {DoctorLine::kFail,
                what + " is outside 1 to 65535 and the driver cannot connect with it"};
    return use;
  }
  use.port = stored & 0xffff;
  if (value > 65535) {
    use.line = {use.port == 0 ? DoctorLine::kFail : DoctorLine::kWarn,
                what + " is outside 1 to 65535: the driver keeps its low 16 bits and connects "
                       "to port " +
                    std::to_string(use.port) + trailing +
                    (use.port == 0 ? ", which no server listens on" : "")};
    return use;
  }
  use.line = {trailing.empty() ? DoctorLine::kOk : DoctorLine::kWarn,
              what + (trailing.empty() ? "" : ": port " + std::to_string(use.port) + trailing)};
  return use;
}

using platform::RegistryListing;
using platform::RegistrySkippedLine;
using platform::RegistryValue;

namespace {

std::string KindName(RegistryValue::Kind kind, const std::string& type) {
  switch (kind) {
    case RegistryValue::kText: return "text";
    case RegistryValue::kNumber: return "a dword";
    case RegistryValue::kOther: return type;
  }
  return "";
}

std::string LineOf(const RegistryValue& value) {
  return value.line > 0 ? " (line " + std::to_string(value.line) + ")" : "";
}

}  // namespace

std::vector<DoctorLine> CheckSettings(const RegistryListing& key,
                                      const PluginSettings& plugin) {
  std::vector<DoctorLine> lines;
  const std::string where = "settings: " + key.where;
  if (!key.exists) {
    lines.push_back({DoctorLine::kFail,
                     where + " does not exist: the plug-in reads every setting as empty or 0 "
                             "and never creates it"});
  } else if (!key.error.empty()) {
    lines.push_back({DoctorLine::kFail, where + " cannot be read (" + key.error +
                                            "): the plug-in reads every setting as empty or 0"});
  }
  struct Setting {
    std::string name;
    RegistryValue::Kind kind;
    std::string reads;  // what the plug-in has read
  };
  const Setting settings[] = {
      {"ServerAddress", RegistryValue::kText, Shown(plugin.serverAddress)},
      {"ServerPort", RegistryValue::kText, Shown(plugin.serverPort)},
      {kUserNameValue, RegistryValue::kText, Shown(plugin.userName)},
      {kUserEmailValue, RegistryValue::kText, Shown(plugin.email)},
      {"AutoConnect", RegistryValue::kNumber, std::to_string(plugin.autoConnect)},
  };
  for (const RegistrySkippedLine& skipped : key.skipped) {
    std::string reads;
    for (const Setting& setting : settings)
      if (!skipped.name.empty() && setting.name == skipped.name)
        reads = "; the plug-in reads \"" + setting.name + "\" as " + setting.reads;
    lines.push_back({DoctorLine::kFail, where + ": line " + std::to_string(skipped.line) +
                                            " is skipped, " + skipped.reason + ": " +
                                            Shown(skipped.text) + reads});
  }
  for (const Setting& setting : settings) {
    std::vector<const RegistryValue*> found;
    for (const RegistryValue& value : key.values)
      if (value.name == setting.name) found.push_back(&value);
    if (found.size() > 1) {
      std::string at;
      for (const auto* value : found) at += (at.empty() ? "" : ", ") + std::to_string(value->line);
      lines.push_back({DoctorLine::kWarn, where + ": \"" + setting.name + "\" is set on lines " +
                                              at + "; the last one counts"});
    }
    if (found.empty() || found.back()->kind == setting.kind) continue;
    const RegistryValue& value = *found.back();
    lines.push_back({DoctorLine::kFail,
                     where + ": \"" + setting.name + "\"" + LineOf(value) + " is stored as " +
                         KindName(value.kind, value.type) + " where the plug-in reads " +
                         KindName(setting.kind, "") + "; it reads " + setting.reads});
  }

  lines.push_back({DoctorLine::kInfo, "settings: server " + Shown(plugin.serverAddress) +
                                        ", port " + Shown(plugin.serverPort) + ", AutoConnect " +
                                        std::to_string(plugin.autoConnect) +
                                        (plugin.autoConnect != 0
                                             ? " (connects when the host opens a database)"
                                             : " (connects only on the menu's Connect)")});
  if (plugin.serverAddress.empty())
    lines.push_back({DoctorLine::kWarn,
                     "server address is empty: the driver connects to localhost instead"});
  const PortUse port = DescribePort(plugin.serverPort);
  if (port.line.level != DoctorLine::kOk) lines.push_back(port.line);
  return lines;
}

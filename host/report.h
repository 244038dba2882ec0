// Printing what the plug-in hands the host, in the forms a trader reads:
// prices with their decimals and never an exponent, dates as yyyy-mm-dd,
// volumes with their thousands grouped.
#ifndef VELMORA_HOST_REPORT_H_
#define VELMORA_HOST_REPORT_H_

#include <nlohmann/json.hpp>
#include <string>

#include "src/abi/host_records.h"

class HostSession;

void PrintInfo(HostSession& session, bool json);
// The status field as the host's status area gets it: short text, colour,
// code and long text.
std::string StatusText(const PluginStatus& status, bool json);
// Asks for the field and prints it; returns what it printed.
PluginStatus PrintStatus(HostSession& session, bool json);
// Whether the plug-in says it is connected. Only the short text tells: in
// Error the plug-in leaves the code as the host gave it, which is Conn's.
bool IsConnected(const PluginStatus& status);
// The field in one line, for saying why the plug-in gives nothing: "Down:
// Connection is shut down. ... Plugin will try to reconnect in 10 seconds."
std::string StatusWords(const PluginStatus& status);

// A value as one line of JSON for scripts. Texts from the plug-in or the
// server are 8-bit: a byte that is not UTF-8 becomes U+FFFD, so the line is
// always valid JSON.
std::string JsonText(const nlohmann::ordered_json& value);

// A price: two decimals, up to four when it has them, no exponent
// ("31350.00", "0.125", "2729.5784"); "-" for a value that is not a number.
std::string FormatPrice(double price);
// A volume: a whole number with its thousands grouped ("1,234,567"); "-"
// for a value that is not a number.
std::string FormatVolume(double volume);
// For files that programs read: the float's shortest exact decimals, no
// exponent and no grouping ("31350", "101.75"); empty for a value that is
// not a number, which a caller must not write.
std::string PlainNumber(float value);
// A date number yyyymmdd as "2015-01-02", a time hhmmss as "09:30:00";
// a date of 0 (none yet) as "-".
std::string FormatDate(int yyyymmdd);
std::string FormatTime(int hhmmss);
// A date number and a time number together, "2015-01-02 09:30:00"; "-"
// while the date is 0.
std::string FormatDateTime(int yyyymmdd, int hhmmss);
// A bar time stamp: "2015-01-02" for a daily bar, "2015-01-02 09:30:00"
// otherwise.
std::string FormatBarTime(uint64_t stamp);

#endif  // VELMORA_HOST_REPORT_H_

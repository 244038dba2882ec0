// The quote window of `watch`: what the host shows of its real-time
// records, as text lines for a terminal and as JSON for scripts.
#ifndef VELMORA_HOST_QUOTE_WINDOW_H_
#define VELMORA_HOST_QUOTE_WINDOW_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "src/abi/host_records.h"

// "199 (trade)", "1620 (end of day)", "5678 (connect)"; "none yet" for 0.
std::string TimerName(uintptr_t timer);

// The line above the table: the update count, the time, the status field
// and the timer whose tick polled last (the one that paces polling now,
// or 5678 when that was the first poll); below it, when the plug-in is not
// connected, the whole field, which says why and when it retries.
std::string QuoteWindowHeader(int update, const std::string& clock, const PluginStatus& status,
                              uintptr_t timer, int ticks);
std::string QuoteTableHeading();
// One line per record: last, change and change percent, bid, ask, open,
// high, low, volume (each only where the record declares it), update and
// move time. While the plug-in is not connected nothing refreshes the
// records: what they hold is marked stale, and one without a quote says
// that none will come.
std::string QuoteLine(const RecentInfo& record, bool connected);

nlohmann::ordered_json StatusJson(const PluginStatus& status);
nlohmann::ordered_json QuoteJson(const RecentInfo& record, bool connected);

#endif  // VELMORA_HOST_QUOTE_WINDOW_H_

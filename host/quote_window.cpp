#include "host/quote_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/report.h"

namespace {

// A text field of a record as far as its NUL, and never past the field: a
// record that lacks the NUL is read no further than its own bytes.
template <size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

bool Has(const RecentInfo& r, int32_t bit) { return r.Status != 0 && (r.ValidFields & bit) != 0; }

// Prices are 32-bit floats: seven significant digits say all they hold, so
// 104.5 is written 104.5 and not 104.5000000001.
double Shortest(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(value));
  return std::strtod(text, nullptr);
}

nlohmann::ordered_json Price(const RecentInfo& r, int32_t bit, float value) {
  if (!Has(r, bit) || !std::isfinite(value)) return nullptr;
  return Shortest(value);
}

// The price change as a percentage of the previous price, when there is one.
bool ChangePercent(const RecentInfo& r, double* percent) {
  if (!Has(r, kValidChange)) return false;
  const double previous = static_cast<double>(r.Last) - static_cast<double>(r.Change);
  if (previous == 0 || !std::isfinite(previous)) return false;
  *percent = static_cast<double>(r.Change) / previous * 100.0;
  return true;
}

// The total volume, 0 when there is none a whole number can hold.
int64_t Volume(const RecentInfo& r) {
  if (!Has(r, kValidTotalVolume)) return 0;
  if (r.TotalVolume != 0) return r.TotalVolume;
  const float v = r.TotalVolumeFloat;
  return v > -9.2e18f && v < 9.2e18f ? static_cast<int64_t>(v) : 0;
}

std::string DateTime(int32_t date, int32_t time) {
  if (date == 0) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date / 10000, date / 100 % 100,
                date % 100, time / 10000, time / 100 % 100, time % 100);
  return text;
}

std::string Cell(bool present, double value, const char* format = "%10.2f") {
  char text[32];
  if (!present) return "         -";
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string TimerName(uintptr_t timer) {
  switch (timer) {
    case 0:
      return "none yet";
    case 5678:
      return "5678 (connect)";
    case 199:
      return "199 (trade)";
    case 1620:
      return "1620 (end of day)";
    default:
      return std::to_string(timer);
  }
}

std::string QuoteWindowHeader(int update, const std::string& clock, const PluginStatus& status,
                              uintptr_t timer, int ticks) {
  const std::string shortText = Text(status.szShortMessage);
  char line[160];
  std::snprintf(line, sizeof line,
                "velmora-host watch  %s  update %d  status %s  last tick: timer %s  ticks %d\n",
                clock.c_str(), update, shortText.c_str(), TimerName(timer).c_str(), ticks);
  if (IsConnected(status)) return line;
  return line + ("  not connected: " + StatusWords(status) + "\n");
}

std::string QuoteTableHeading() {
  return "Ticker          Last     Change  Change%       Bid       Ask      Open      High"
         "       Low       Volume  Updated              Moved\n";
}

std::string QuoteLine(const RecentInfo& r, bool connected) {
  char name[16];
  std::snprintf(name, sizeof name, "%-10.10s", r.Name);
  if (r.Status == 0)
    return std::string(name) + (connected ? "  (no quote yet: waits for the next refresh)\n"
                                          : "  (no quote: no refresh comes while not connected)\n");
  double percent = 0;
  const bool hasPercent = ChangePercent(r, &percent);
  const int64_t volume = Volume(r);
  char tail[96];
  if (volume != 0)
    std::snprintf(tail, sizeof tail, "%12lld", static_cast<long long>(volume));
  else
    std::snprintf(tail, sizeof tail, "%12s", "-");
  std::string updated = DateTime(r.StampDate, r.StampTime);
  std::string moved = DateTime(r.MoveDate, r.MoveTime);
  // The move time on the update's day shows as a time only.
  if (!moved.empty() && r.MoveDate == r.StampDate) moved = moved.substr(11);
  return std::string(name) + Cell(Has(r, kValidLast), r.Last) +
         Cell(Has(r, kValidChange), r.Change, "%+11.2f") +
         (hasPercent ? Cell(true, percent, "%+8.2f%%") : std::string("       -")) +
         Cell(Has(r, kValidBid), r.Bid) + Cell(Has(r, kValidAsk), r.Ask) +
         Cell(Has(r, kValidOpen), r.Open) + Cell(Has(r, kValidHighLow), r.High) +
         Cell(Has(r, kValidHighLow), r.Low) + " " + tail + "  " +
         (updated.empty() ? std::string(19, ' ') : updated) + "  " + moved +
         (connected ? "\n" : "  stale\n");
}

nlohmann::ordered_json StatusJson(const PluginStatus& status) {
  char colour[8];
  const unsigned c = status.clrStatusColor;
  std::snprintf(colour, sizeof colour, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF,
                (c >> 16) & 0xFF);
  nlohmann::ordered_json json;
  json["short"] = Text(status.szShortMessage);
  json["code"] = status.nStatusCode;
  json["colour"] = colour;
  json["long"] = Text(status.szLongMessage);
  return json;
}

nlohmann::ordered_json QuoteJson(const RecentInfo& r, bool connected) {
  nlohmann::ordered_json json;
  json["ticker"] = Text(r.Name);
  json["stale"] = !connected;
  json["status"] = r.Status;
  json["validFields"] = r.ValidFields;
  json["last"] = Price(r, kValidLast, r.Last);
  json["change"] = Price(r, kValidChange, r.Change);
  double percent = 0;
  json["changePercent"] = ChangePercent(r, &percent)
                              ? nlohmann::ordered_json(std::round(percent * 100) / 100)
                              : nullptr;
  json["bid"] = Price(r, kValidBid, r.Bid);
  json["ask"] = Price(r, kValidAsk, r.Ask);
  json["open"] = Price(r, kValidOpen, r.Open);
  json["high"] = Price(r, kValidHighLow, r.High);
  json["low"] = Price(r, kValidHighLow, r.Low);
  const int64_t volume = Volume(r);
  json["volume"] = volume != 0 ? nlohmann::ordered_json(volume) : nullptr;
  json["stampDate"] = r.StampDate;
  json["stampTime"] = r.StampTime;
  json["moveDate"] = r.MoveDate;
  json["moveTime"] = r.MoveTime;
  const std::string updated = DateTime(r.StampDate, r.StampTime);
  const std::string moved = DateTime(r.MoveDate, r.MoveTime);
  json["updated"] = updated.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(updated);
  json["moved"] = moved.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(moved);
  return json;
}

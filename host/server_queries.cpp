#include "host/server_queries.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A text as an SQL string literal: quotes and backslashes doubled.
std::string Literal(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += c;
    out += c;
  }
  return out + "'";
}

// A date-time text "yyyy-mm-dd hh:mm:ss" as the plug-in shows its date.
void TakeDate(const std::optional<std::string>& text, std::string* date) {
  int year = 0, month = 0, day = 0;
  if (!text || std::sscanf(text->c_str(), "%d-%d-%d", &year, &month, &day) != 3) return;
  char shown[32];
  std::snprintf(shown, sizeof shown, "%d-%02d-%02d", year, month, day);
  *date = shown;
}

void TakeLonger(const std::optional<std::string>& text, int* seconds) {
  if (text && WholeNumber(text) > *seconds) *seconds = WholeNumber(text);
}

}  // namespace

int WholeNumber(const std::optional<std::string>& text) {
  if (!text) return 0;
  const float value = static_cast<float>(std::strtod(text->c_str(), nullptr));
  if (value != value) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int>(value);
}

ServerConfigView ReadServerConfig(HostOdbc& db) {
  ServerConfigView config;
  for (const HostRow& row :
       db.Query("Select Backfill_EOD,Backfill_Intraday,TimerEventTrade,TimerEventEOD From "
                "db_amiplugin.NVConfig")) {
    TakeDate(row[0], &config.backfillEod);
    TakeDate(row[1], &config.backfillIntraday);
    TakeLonger(row[2], &config.tradeInterval);
    TakeLonger(row[3], &config.eodInterval);
  }
  return config;
}

std::optional<SessionRecord> ReadSessionRecord(HostOdbc& db, const std::string& clientId) {
  const auto rows = db.Query("Select Permit,UserName,LastConnID,CurrConnID,SessionStatus From "
                             "db_amiplugin.NVSession Where ClientID=" +
                             Literal(clientId));
  if (rows.empty()) return std::nullopt;
  const HostRow& row = rows.front();
  return SessionRecord{WholeNumber(row[0]), row[1].value_or(""), WholeNumber(row[2]),
                       WholeNumber(row[3]), WholeNumber(row[4])};
}

bool HasBars(HostOdbc& db, const std::string& ticker, int periodicity, const std::string& from) {
  const std::string table = periodicity == 86400 ? "NVEod" : "NVIntraday";
  return !db.Query("Select 1 From db_amiplugin." + table + " Where Ticker=" + Literal(ticker) +
                   (from.empty() ? "" : " And TrDate>=" + Literal(from)) + " Limit 1")
              .empty();
}

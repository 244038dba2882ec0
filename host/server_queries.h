// The statements the host sends the data server itself, over its own
// connection (host_odbc.h): doctor's look at the configuration and the
// session record, and the look for bars behind a request that got none.
// They are the host's, not the plug-in's; each reads what it needs and no
// more. All throw HostOdbcError.
#ifndef VELMORA_HOST_SERVER_QUERIES_H_
#define VELMORA_HOST_SERVER_QUERIES_H_

#include <optional>
#include <string>

#include "host/host_odbc.h"

// The configuration table as the plug-in applies it when it connects: every
// row in turn, a date replacing the one before, an interval counting only
// when it is longer than the one before; a NULL changes nothing.
struct ServerConfigView {
  std::string backfillEod;  // "%d-%02d-%02d"; empty: none
  std::string backfillIntraday;
  int tradeInterval = 5;  // seconds
  int eodInterval = 30;
};
ServerConfigView ReadServerConfig(HostOdbc& db);

// The installation's session record, its numbers as the plug-in reads them
// (a NULL as 0); nullopt when there is none.
struct SessionRecord {
  int permit = 0;
  std::string userName;
  int lastConnId = 0;
  int currConnId = 0;
  int sessionStatus = 0;
};
std::optional<SessionRecord> ReadSessionRecord(HostOdbc& db, const std::string& clientId);

// Whether the server holds a bar of `ticker` in the table of the
// periodicity (86400: daily, else 1-minute) dated `from` ("yyyy-mm-dd") or
// later; an empty `from` takes every date.
bool HasBars(HostOdbc& db, const std::string& ticker, int periodicity, const std::string& from);

// A number of the server as the plug-in takes it: read as a 32-bit float,
// then cut to a whole number (NaN 0, clamped to 32 bits); NULL is 0.
int WholeNumber(const std::optional<std::string>& text);

#endif  // VELMORA_HOST_SERVER_QUERIES_H_

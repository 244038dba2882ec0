// The texts of every statement the plug-in sends, built in one place: the
// session check and its procedure calls, the market-status poll and its
// call, the server configuration, the two backfill statements with their
// select lists, the real-time statement and the symbol directory's three.
//
// Each is a fixed format whose keywords come from the global state's keyword
// buffers and whose names are assembled from its character table. The text
// arguments of the session query, the poll and the calls are escaped
// (CallText); a ticker is not.
#ifndef VELMORA_DB_STATEMENTS_H_
#define VELMORA_DB_STATEMENTS_H_

#include <string>
#include <string_view>
#include <vector>

class CGlobal;

// The session record of m_strClientId.
std::string SessionStatement(const CGlobal& g);
// The registration call with m_nSessionSeq, a log call with a message, and
// the disconnect call with m_nSessionStatus.
std::string RegisterCall(const CGlobal& g);
std::string LogCall(const CGlobal& g, const std::string& message);
std::string DisconnectCall(const CGlobal& g);

// The market-status row's columns, by the names the statement gives them
// and the poll reads them back under. The connection ids are renamed; the
// assembled names go through the character table like every run-time name.
struct MarketStatusColumns {
  const char* statusMessage = "StatusMessage";
  const char* marketClosed = "isMarketClosed";
  const char* eod = "EOD";
  std::string prevConnId;  // the session's LastConnID
  std::string connId;      // its CurrConnID
  std::string sessionStatus;
  std::string marketDate;
};
MarketStatusColumns MarketStatusNames(const CGlobal& g);

// The market-status row of the account, and the report of its two
// connection ids.
std::string MarketStatusStatement(const CGlobal& g);
std::string ConnIdCall(const CGlobal& g, int previous, int current);

// The server's configuration table.
std::string ServerConfigStatement(const CGlobal& g);

// The ten bar columns, in the order that gives each its meaning.
enum BarColumn {
  BAR_TRDATE = 0,
  BAR_OPEN,
  BAR_HIGH,
  BAR_LOW,
  BAR_CLOSE,
  BAR_VOLUME,
  BAR_OPENINT,
  BAR_AUX1,
  BAR_AUX2,
  BAR_ADJCLOSE,
  BAR_COLUMN_COUNT
};

extern const char kSkipOpenInt[];
extern const char kSkipAux1[];
extern const char kSkipAux2[];

// Replaces the array's contents with the ten entries.
void GetBarColumns(const CGlobal& g, std::vector<std::string>& columns);

void BuildEodColumnList(CGlobal& g);
void BuildIntradayColumnList(CGlobal& g);

// The statement for periodicity 86400 (start date "Y-MM-DD") or 60 (start
// date and time joined into digits); the empty text for any other.
std::string BuildBarQuery(const CGlobal& g, std::string ticker, int periodicity,
                          std::string startDate, std::string startTime);

// The 19 real-time columns, "Code" first.
void GetRealtimeColumns(std::vector<std::string>& columns);
// Rebuilds m_strRealtimeColumns.
void BuildRealtimeColumnList(CGlobal& g);
// The symbol list of the real-time statement: each name through QuoteName,
// in single quotes and not escaped, separated by commas ('A','B').
std::string BuildSymbolList(const CGlobal& g, const std::vector<std::string_view>& names);
// The statement for a symbol list such as 'A','B'.
std::string BuildRealtimeQuery(const CGlobal& g, const std::string& symbols);

// The symbol directory: each reads one whole table, every column.
std::string DirectoryGroupsStatement(const CGlobal& g);   // nvcategory_group
std::string DirectorySectorsStatement(const CGlobal& g);  // NVSectors
std::string DirectorySymbolsStatement(const CGlobal& g);  // nvquotes_235

#endif  // VELMORA_DB_STATEMENTS_H_

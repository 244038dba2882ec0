#include "db/statements.h"

#include <algorithm>
#include <cstdio>

#include "db/format.h"
#include "db/quoting.h"
#include "db/session.h"
#include "plugin/global.h"

namespace {

// "Call" and its separator, then the procedure's template.
std::string CallTemplate(const CGlobal& g, const std::string& procedure) {
  return std::string(g.m_szCall) + AssembleName(g, " ") + procedure;
}

}  // namespace

std::string CallText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\'' || c == '\\') out += c;
    out += c;
  }
  return out;
}

std::string SessionStatement(const CGlobal& g) {
  const std::string columns = AssembleName(
      g, "LastConnID,CurrConnID,Permit,ColCloseBidAsk,ColBid,ColAsk," + g.m_strUserNameKey +
             "," + g.m_strEmailColumn + ",IntradayStart");
  const std::string format = std::string(g.m_szSelect) + " " + columns + " " + g.m_szFrom +
                             " " + g.m_strNameShared + AssembleName(g, ".") +
                             g.m_strSessionTable + " " + g.m_szWhere + " " +
                             AssembleName(g, "ClientID='%s' And LENGTH('%s')>0");
  const std::string id = CallText(g.m_strClientId);
  return FormatText(format.c_str(), id.c_str(), id.c_str());
}

std::string RegisterCall(const CGlobal& g) {
  return FormatText(CallTemplate(g, g.m_strSessionProc).c_str(),
                    CallText(g.m_strClientId).c_str(), CallText(g.m_strEmail).c_str(),
                    CallText(g.m_strVersion).c_str(), CallText(g.m_strPlatformBits).c_str(),
                    g.m_nSessionSeq);
}

std::string LogCall(const CGlobal& g, const std::string& message) {
  return FormatText(CallTemplate(g, g.m_strLogProc).c_str(), CallText(g.m_strClientId).c_str(),
                    CallText(g.m_strEmail).c_str(), CallText(message).c_str());
}

std::string DisconnectCall(const CGlobal& g) {
  return FormatText("%s Plugin223_Disconnect('%s','%s',%d)", g.m_szCall,
                    CallText(g.m_strClientId).c_str(), CallText(g.m_strEmail).c_str(),
                    g.m_nSessionStatus);
}

MarketStatusColumns MarketStatusNames(const CGlobal& g) {
  MarketStatusColumns names;
  names.prevConnId = AssembleName(g, "PrevConnID");
  names.connId = AssembleName(g, "ConnID");
  names.sessionStatus = AssembleName(g, "SessionStatus");
  names.marketDate = AssembleName(g, "MarketDate");
  return names;
}

std::string MarketStatusStatement(const CGlobal& g) {
  const std::string market = g.m_strNameShared + AssembleName(g, ".") + g.m_strPollName1;
  const std::string session = g.m_strNameShared + AssembleName(g, ".") + g.m_strPollName2;
  const MarketStatusColumns c = MarketStatusNames(g);
  const std::string format =
      std::string(g.m_szSelect) + " " + g.m_strPollName1 + "." + c.statusMessage + "," +
      g.m_strPollName1 + "." + c.marketClosed + "," + g.m_strPollName2 + ".LastConnID As " +
      c.prevConnId + "," + g.m_strPollName2 + ".CurrConnID As " + c.connId + "," +
      g.m_strPollName2 + "." + c.sessionStatus + "," + g.m_strPollName1 + "." + c.marketDate +
      "," + g.m_strPollName1 + "." + c.eod + " " + g.m_szFrom + " " + market + "," + session +
      " " + g.m_szWhere + " " + g.m_strPollName2 + AssembleName(g, ".Email='%s' And ") +
      g.m_strPollName2 + AssembleName(g, ".ClientID='%s'");

  return FormatText(format.c_str(), CallText(g.m_strEmail).c_str(),
                    CallText(g.m_strClientId).c_str());
}

std::string ConnIdCall(const CGlobal& g, int previous, int current) {
  return FormatText((std::string(g.m_szCall) + AssembleName(g, " ") + g.m_strPollName3 +
                     AssembleName(g, "('%s','%s',%d,%d,%d)"))
                        .c_str(),
                    CallText(g.m_strClientId).c_str(), CallText(g.m_strEmail).c_str(), previous,
                    current, g.m_nTradeInterval);
}

std::string ServerConfigStatement(const CGlobal& g) {
  return FormatText("%s * %s NVConfig", g.m_szSelect, g.m_szFrom);
}

const char kSkipOpenInt[] = "SkipOpenInt";
const char kSkipAux1[] = "SkipAux1";
const char kSkipAux2[] = "SkipAux2";

namespace {

void BuildColumnList(CGlobal& g, const char* dateExpression, std::string& out) {
  std::vector<std::string> columns;
  GetBarColumns(g, columns);
  std::string list;
  for (const std::string& entry : columns) {
    if (entry.empty()) continue;
    if (!list.empty()) list += ",";
    if (entry == "TrDate") list += QuoteName(g, dateExpression);
    if (entry == kSkipOpenInt || entry == kSkipAux1 || entry == kSkipAux2)
      list += QuoteName(g, "0 As ");
    list += QuoteName(g, entry);
  }
  out = list;
}

}  // namespace

void GetBarColumns(const CGlobal& g, std::vector<std::string>& columns) {
  columns.assign({g.m_strColTrDate, g.m_strColOpen, g.m_strColHigh, g.m_strColLow,
                  g.m_strColClose, g.m_strColVolume, kSkipOpenInt, kSkipAux1, kSkipAux2,
                  g.m_strColAdjClose});
}

void BuildEodColumnList(CGlobal& g) {
  BuildColumnList(g, "( CONCAT(TrDate,' ','23:59:00')) As ", g.m_strEodColumns);
}

void BuildIntradayColumnList(CGlobal& g) {
  BuildColumnList(g, "( CONCAT(TrDate,' ',TrTime)) As ", g.m_strIntradayColumns);
}

std::string BuildBarQuery(const CGlobal& g, std::string ticker, int periodicity,
                          std::string startDate, std::string startTime) {
  // The select clause, the bar table of the periodicity, the ticker and the
  // start point, oldest first through the ticker's index.
  auto clauses = [&g](const char* table, const char* where, const char* order) {
    return std::string(g.m_szSelect) + AssembleName(g, " %s ") + g.m_szFrom + " " +
           AssembleName(g, g.m_strNameShared + "." + table) + " " + g.m_szWhere + " " +
           AssembleName(g, where) + " " + g.m_szOrderBy + " " + AssembleName(g, order);
  };
  if (periodicity == 86400) {
    std::string format = clauses("NVEod", "Ticker='%s' And TrDate>='%s'", "NVEod.TrDate");
    return FormatText(format.c_str(), g.m_strEodColumns.c_str(), ticker.c_str(), startDate.c_str());
  }
  if (periodicity == 60) {
    startDate.erase(std::remove(startDate.begin(), startDate.end(), '-'), startDate.end());
    startTime.erase(std::remove(startTime.begin(), startTime.end(), ':'), startTime.end());
    std::string start = QuoteName(g, startDate) + QuoteName(g, startTime);
    std::string format = clauses(
        "NVIntraday", "Ticker='%s' And TrStamp>=CAST(RPAD('%s',14,'0') AS UNSIGNED)",
        "NVIntraday.TrStamp");
    return FormatText(format.c_str(), g.m_strIntradayColumns.c_str(), ticker.c_str(),
                      start.c_str());
  }
  return std::string();
}

void GetRealtimeColumns(std::vector<std::string>& columns) {
  columns.assign({"Code", "LastUpdate", "Open", "High", "Low", "Last", "AvgPrice", "Chg",
                  "BLot", "BidPrice", "OfferPrice", "SLot", "TVol", "TVal", "H52W", "L52W",
                  "EPS", "Dividend", "DivYield"});
}

void BuildRealtimeColumnList(CGlobal& g) {
  std::vector<std::string> columns;
  GetRealtimeColumns(columns);
  std::string list;
  for (const std::string& name : columns) {
    if (name.empty()) continue;
    if (!list.empty()) list += ",";
    list += QuoteName(g, name);
  }
  g.m_strRealtimeColumns = list;
}

std::string BuildSymbolList(const CGlobal& g, const std::vector<std::string_view>& names) {
  std::string symbols;
  symbols.reserve(names.size() * 16);
  for (std::string_view name : names) {
    if (!symbols.empty()) symbols += ",";
    symbols += "'";
    symbols += QuoteName(g, name);
    symbols += "'";
  }
  return symbols;
}

std::string BuildRealtimeQuery(const CGlobal& g, const std::string& symbols) {
  // Every listed code's snapshot row, one statement for the whole table.
  std::string format = std::string(g.m_szSelect) + AssembleName(g, " %s ") + g.m_szFrom +
                       " " + AssembleName(g, g.m_strNameShared + ".NVRealtime") + " " +
                       g.m_szWhere + " " + AssembleName(g, "Code In (%s)") + " " +
                       g.m_szOrderBy + " " + AssembleName(g, "Code");
  return FormatText(format.c_str(), g.m_strRealtimeColumns.c_str(), symbols.c_str());
}

std::string DirectoryGroupsStatement(const CGlobal& g) {
  return FormatText("%s * %s nvcategory_group", g.m_szSelect, g.m_szFrom);
}

std::string DirectorySectorsStatement(const CGlobal& g) {
  return FormatText("%s * %s NVSectors", g.m_szSelect, g.m_szFrom);
}

std::string DirectorySymbolsStatement(const CGlobal& g) {
  // The trailing space belongs to the statement as the server receives it.
  return FormatText("%s * %s nvquotes_235 ", g.m_szSelect, g.m_szFrom);
}

#include "bars/bar_query.h"

#include <algorithm>
#include <cstdio>

#include "db/format.h"
#include "db/quoting.h"
#include "plugin/global.h"

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

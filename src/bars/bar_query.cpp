#include "bars/bar_query.h"

#include <algorithm>
#include <cstdio>

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

// printf with three texts into a string; the templates hold no other
// conversion.
std::string Format3(const std::string& format, const std::string& a, const std::string& b,
                    const std::string& c) {
  int n = std::snprintf(nullptr, 0, format.c_str(), a.c_str(), b.c_str(), c.c_str());
  if (n < 0) return std::string();
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), a.c_str(), b.c_str(), c.c_str());
  out.resize(static_cast<size_t>(n));
  return out;
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
    return Format3(format, g.m_strEodColumns, ticker, startDate);
  }
  if (periodicity == 60) {
    startDate.erase(std::remove(startDate.begin(), startDate.end(), '-'), startDate.end());
    startTime.erase(std::remove(startTime.begin(), startTime.end(), ':'), startTime.end());
    std::string start = QuoteName(g, startDate) + QuoteName(g, startTime);
    std::string format = clauses(
        "NVIntraday", "Ticker='%s' And TrStamp>=CAST(RPAD('%s',14,'0') AS UNSIGNED)",
        "NVIntraday.TrStamp");
    return Format3(format, g.m_strIntradayColumns, ticker, start);
  }
  return std::string();
}

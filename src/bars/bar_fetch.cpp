#include "bars/bar_fetch.h"

#include <cmath>
#include <new>

#include "bars/bar_build.h"
#include "db/database.h"
#include "db/statements.h"
#include "platform/platform.h"
#include "plugin/global.h"

namespace {

constexpr unsigned long kBarBlockRows = 1024;

int ReadBars(CGlobal& g, std::vector<Quotation>& fetched, const std::string& ticker,
             int periodicity, int lastValid, const std::string& startDate,
             const std::string& startTime, Quotation* bars) {
  if (g.m_pDatabase == nullptr) return 0;

  CSRecordset rs(g.m_pDatabase);
  // A request can move a hundred thousand rows: they come a block at a time.
  rs.SetRowsetSize(kBarBlockRows);
  try {
    std::string sql = BuildBarQuery(g, ticker, periodicity, startDate, startTime);
    if (!rs.Open(CSRecordset::forwardOnly, sql, 0)) return 0;
  } catch (const CDBException&) {
    return 0;
  }

  // Each column's position is looked up once; every value is then read by
  // position.
  std::vector<std::string> entries;
  GetBarColumns(g, entries);
  short column[BAR_COLUMN_COUNT];
  bool carried[BAR_COLUMN_COUNT] = {};
  for (int i = 0; i < BAR_COLUMN_COUNT; ++i) {
    column[i] = -1;
    if (entries[i].empty()) continue;
    try {
      column[i] = rs.GetFieldIndexByName(entries[i]);
    } catch (const CDBException&) {
      // The box's modal loop runs the plug-in's timers, and a tick may end
      // the connection: the statement is freed before, not after.
      rs.Close();
      platform::ShowMessageBox("Field '" + entries[i] + "' is not found in the plugin.", 0);
      return 0;
    }
  }
  // The open interest and auxiliary columns are the server's constant 0
  // under placeholder names; the bars keep the carried values instead.
  carried[BAR_OPENINT] = entries[BAR_OPENINT] == kSkipOpenInt;
  carried[BAR_AUX1] = entries[BAR_AUX1] == kSkipAux1;
  carried[BAR_AUX2] = entries[BAR_AUX2] == kSkipAux2;

  if (rs.IsEOF()) return 0;

  // The driver holds the whole result and knows its size: one allocation
  // for the fetched bars instead of a copy at every growth step. Folded
  // rows only make the room larger than needed.
  const long long rows = rs.GetRowCount();
  if (rows > 0 && rows <= (1 << 24)) {
    try {
      fetched.reserve(fetched.size() + static_cast<size_t>(rows));
    } catch (const std::bad_alloc&) {
      // Grow step by step instead.
    }
  }

  BarBuilder builder(g, periodicity, lastValid, bars, carried + BAR_OPENINT);
  try {
    CDBVariant value;
    for (; !rs.IsEOF(); rs.MoveNext()) {
      // A row without a date or a price makes no bar; a missing volume or
      // adjusted close reads as 0. The server's numbers are doubles: one
      // beyond a float's range arrives as an infinity, which counts as
      // missing, so that no bar and no adjustment ever carries it.
      bool skip = false;
      BarRow row{};
      float number[BAR_COLUMN_COUNT] = {};
      for (int i = 0; i < BAR_COLUMN_COUNT; ++i) {
        if (column[i] < 0) continue;
        rs.GetFieldValue(column[i], value,
                         i == BAR_TRDATE ? SQL_C_TIMESTAMP_TYPE : SQL_C_FLOAT_TYPE);
        if (value.IsNull()) {
          if (i <= BAR_CLOSE) skip = true;
          continue;
        }
        if (i == BAR_TRDATE) {
          row.date = value.m_date;
        } else if (std::isfinite(value.m_fltVal)) {
          number[i] = value.m_fltVal;
        } else if (i <= BAR_CLOSE) {
          skip = true;
        }
      }
      if (skip) continue;
      row.open = number[BAR_OPEN];
      row.high = number[BAR_HIGH];
      row.low = number[BAR_LOW];
      row.close = number[BAR_CLOSE];
      row.volume = number[BAR_VOLUME];
      row.adjClose = number[BAR_ADJCLOSE];
      row.openInterest = number[BAR_OPENINT];
      row.aux1 = number[BAR_AUX1];
      row.aux2 = number[BAR_AUX2];
      builder.Add(row, fetched);
    }
  } catch (const CDBException&) {
    fetched.clear();
    return 0;
  }
  return fetched.empty() ? 0 : 1;
}

}  // namespace

int FetchBars(CGlobal& g, std::vector<Quotation>& fetched, const std::string& ticker,
              int periodicity, int lastValid, const std::string& startDate,
              const std::string& startTime, Quotation* bars) {
  // Running out of memory fails the fetch like a database error: the host
  // must never see an exception.
  try {
    return ReadBars(g, fetched, ticker, periodicity, lastValid, startDate, startTime, bars);
  } catch (const std::bad_alloc&) {
    fetched.clear();
    return 0;
  }
}

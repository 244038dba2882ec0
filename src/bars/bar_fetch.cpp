#include "bars/bar_fetch.h"

#include <cmath>
#include <new>

#include "db/database.h"
#include "db/format.h"
#include "db/statements.h"
#include "host/bar_time.h"
#include "platform/odbc.h"
#include "platform/platform.h"
#include "plugin/global.h"

namespace {

constexpr unsigned long kBarBlockRows = 1024;

// The adjusted-close scaling. Every row with an adjusted close rescales all
// fetched bars and, when the host's last bar allows it, the held bars before
// it. Most rows carry an adjusted close equal to their close: such a row's
// factors are exactly 1, so the only thing it changes is a volume that is
// not above 0, which becomes 0. A bar that has been rescaled once has no
// such volume left (a factor never turns a positive volume negative), so the
// row only needs to touch the bars that no rescale has reached yet. Those
// are always the newest fetched bars, and the held bars until their first
// rescale: each bar is clamped at most once, and a fetch of unadjusted rows
// stays linear with results equal bit for bit to rescaling every bar each
// time.
class Adjuster {
 public:
  Adjuster(const CGlobal& g, Quotation* held, int lastValid)
      : m_scaleOpenInterest(EqualIgnoringCase(g.m_strColCloseBidAsk, "AvgPrice")),
        m_held(held),
        m_lastValid(lastValid) {}

  void Apply(std::vector<Quotation>& fetched, float close, float adjClose) {
    const float price = close > 0.0f ? adjClose / close : 1.0f;
    const float volume = close > 0.0f ? close / adjClose : 1.0f;
    // Finite values can still give a factor beyond a float (an adjusted
    // close of 1e30 over a close of 1e-30). Such a factor would turn every
    // bar it touches, the host's included, into infinities and NaNs for
    // good; the row adjusts nothing instead, as if it had no adjusted close.
    if (!std::isfinite(price) || !std::isfinite(volume)) return;
    const Quotation& added = fetched.back();
    const bool identity = price == 1.0f && volume == 1.0f;

    if (m_lastValid > 0) {
      const Quotation& last = m_held[m_lastValid];
      if (last.DateTime < added.DateTime ||
          (last.DateTime == added.DateTime && std::floor(last.Close) != std::floor(adjClose))) {
        if (!identity) {
          for (int i = 0; i < m_lastValid; ++i) Rescale(m_held[i], price, volume);
          m_heldTouched = true;
        } else if (!m_heldTouched) {
          for (int i = 0; i < m_lastValid; ++i) Clamp(m_held[i]);
          m_heldTouched = true;
        }
      }
    }

    if (!identity) {
      for (Quotation& q : fetched) Rescale(q, price, volume);
    } else {
      for (size_t i = m_fetchedTouched; i < fetched.size(); ++i) Clamp(fetched[i]);
    }
    m_fetchedTouched = fetched.size();
  }

  // A folding row writes its raw values over the newest bar, which counts
  // as not rescaled again.
  void Overwritten(size_t index) {
    if (index < m_fetchedTouched) m_fetchedTouched = index;
  }

 private:
  void Rescale(Quotation& q, float price, float volume) const {
    const float scaled = q.Volume * volume;
    q.Volume = q.Volume > 0.0f && std::isfinite(scaled) ? scaled : 0.0f;
    q.Open *= price;
    q.High *= price;
    q.Low *= price;
    q.Close *= price;
    if (m_scaleOpenInterest) q.OpenInterest *= price;
  }

  static void Clamp(Quotation& q) {
    if (!(q.Volume > 0.0f)) q.Volume = 0.0f;
  }

  const bool m_scaleOpenInterest;
  Quotation* const m_held;
  const int m_lastValid;
  bool m_heldTouched = false;
  size_t m_fetchedTouched = 0;  // fetched bars [0, this) have been rescaled
};

// The values of one row, as the column list gives their meaning.
struct Row {
  bool valid;
  DBTimestamp date;
  float open, high, low, close, volume, adjClose;
};

}  // namespace

int FetchBars(CGlobal& g, std::vector<Quotation>& fetched, const std::string& ticker,
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
  SQLLEN rows = 0;
  if (SQL_SUCCEEDED(SQLRowCount(static_cast<SQLHSTMT>(rs.m_hstmt), &rows)) && rows > 0 &&
      rows <= (1 << 24)) {
    try {
      fetched.reserve(fetched.size() + static_cast<size_t>(rows));
    } catch (const std::bad_alloc&) {
      // Grow step by step instead.
    }
  }

  const bool daily = periodicity == 86400;
  float openInterest = 0.0f, aux1 = 0.0f, aux2 = 0.0f;
  if (lastValid > 0 && bars != nullptr) {
    openInterest = bars[lastValid].OpenInterest;
    aux1 = bars[lastValid].Aux1;
    aux2 = bars[lastValid].Aux2;
  }
  Adjuster adjuster(g, bars, bars != nullptr ? lastValid : -1);
  uint64_t lastAdded = 0;

  try {
    CDBVariant value;
    for (; !rs.IsEOF(); rs.MoveNext()) {
      // A row without a date or a price makes no bar; a missing volume or
      // adjusted close reads as 0. The server's numbers are doubles: one
      // beyond a float's range arrives as an infinity, which counts as
      // missing, so that no bar and no adjustment ever carries it.
      bool skip = false;
      DBTimestamp date{};
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
          date = value.m_date;
        } else if (std::isfinite(value.m_fltVal)) {
          number[i] = value.m_fltVal;
        } else if (i <= BAR_CLOSE) {
          skip = true;
        }
      }
      if (skip) continue;
      if (!carried[BAR_OPENINT]) openInterest = number[BAR_OPENINT];
      if (!carried[BAR_AUX1]) aux1 = number[BAR_AUX1];
      if (!carried[BAR_AUX2]) aux2 = number[BAR_AUX2];

      const uint64_t stamp =
          daily ? PackBarTime(date.year, date.month, date.day, 0, 0, 0)
                : PackBarTime(date.year, date.month, date.day, date.hour, date.minute, date.second);

      // The row's values, and the carried ones, into a bar.
      auto fillValues = [&](Quotation& bar) {
        bar.Close = number[BAR_CLOSE];
        bar.Open = number[BAR_OPEN];
        bar.High = number[BAR_HIGH];
        bar.Low = number[BAR_LOW];
        bar.Volume = number[BAR_VOLUME];
        bar.OpenInterest = openInterest;
        bar.Aux1 = aux1;
        bar.Aux2 = aux2;
      };
      if (!daily && !fetched.empty() && stamp <= lastAdded) {
        // Repeated intraday rows: the last one wins.
        fillValues(fetched.back());
        adjuster.Overwritten(fetched.size() - 1);
      } else {
        Quotation bar{};
        const bool endOfDay = daily || (date.hour == 23 && date.minute == 59 && date.second == 59);
        bar.DateTime = endOfDay ? EodMarker(stamp) : stamp;
        fillValues(bar);
        fetched.push_back(bar);
        lastAdded = stamp;
        if (number[BAR_ADJCLOSE] > 0.0f)
          adjuster.Apply(fetched, number[BAR_CLOSE], number[BAR_ADJCLOSE]);
      }
      // Only the first bar takes over the host's carried values.
      openInterest = aux1 = aux2 = 0.0f;
    }
  } catch (const CDBException&) {
    fetched.clear();
    return 0;
  } catch (const std::bad_alloc&) {
    fetched.clear();
    return 0;
  }
  return fetched.empty() ? 0 : 1;
}

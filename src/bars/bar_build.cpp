#include "bars/bar_build.h"

#include <cmath>

#include "abi/bar_time.h"
#include "db/format.h"
#include "plugin/global.h"

namespace {

void Rescale(Quotation& q, float price, float volume, bool scaleOpenInterest) {
  const float scaled = q.Volume * volume;
  q.Volume = q.Volume > 0.0f && std::isfinite(scaled) ? scaled : 0.0f;
  q.Open *= price;
  q.High *= price;
  q.Low *= price;
  q.Close *= price;
  if (scaleOpenInterest) q.OpenInterest *= price;
}

void Clamp(Quotation& q) {
  if (!(q.Volume > 0.0f)) q.Volume = 0.0f;
}

}  // namespace

BarBuilder::BarBuilder(const CGlobal& g, int periodicity, int lastValid, Quotation* held,
                       const bool carried[3])
    : m_daily(periodicity == 86400),
      m_scaleOpenInterest(EqualIgnoringCase(g.m_strColCloseBidAsk, "AvgPrice")),
      m_held(held),
      m_lastValid(held != nullptr ? lastValid : -1),
      m_carried{carried[0], carried[1], carried[2]} {
  if (m_lastValid > 0) {
    m_openInterest = held[m_lastValid].OpenInterest;
    m_aux1 = held[m_lastValid].Aux1;
    m_aux2 = held[m_lastValid].Aux2;
  }
}

void BarBuilder::Add(const BarRow& row, std::vector<Quotation>& fetched) {
  if (!m_carried[0]) m_openInterest = row.openInterest;
  if (!m_carried[1]) m_aux1 = row.aux1;
  if (!m_carried[2]) m_aux2 = row.aux2;
  const DBTimestamp& date = row.date;
  const uint64_t stamp =
      m_daily ? PackBarTime(date.year, date.month, date.day, 0, 0, 0)
              : PackBarTime(date.year, date.month, date.day, date.hour, date.minute, date.second);

  auto fillValues = [&](Quotation& bar) {
    bar.Close = row.close;
    bar.Open = row.open;
    bar.High = row.high;
    bar.Low = row.low;
    bar.Volume = row.volume;
    bar.OpenInterest = m_openInterest;
    bar.Aux1 = m_aux1;
    bar.Aux2 = m_aux2;
  };
  if (!m_daily && !fetched.empty() && stamp <= m_lastAdded) {
    // Repeated intraday rows: the last one wins. Its raw values are written
    // over the newest bar, which counts as not rescaled again.
    fillValues(fetched.back());
    if (fetched.size() - 1 < m_fetchedTouched) m_fetchedTouched = fetched.size() - 1;
  } else {
    Quotation bar{};
    const bool endOfDay = m_daily || (date.hour == 23 && date.minute == 59 && date.second == 59);
    bar.DateTime = endOfDay ? EodMarker(stamp) : stamp;
    fillValues(bar);
    fetched.push_back(bar);
    m_lastAdded = stamp;
    if (row.adjClose > 0.0f) Adjust(fetched, row.close, row.adjClose);
  }
  // Only the first bar takes over the host's carried values.
  m_openInterest = m_aux1 = m_aux2 = 0.0f;
}

// Every row with an adjusted close rescales all fetched bars and, when the
// host's last bar allows it, the held bars before it. Most rows carry an
// adjusted close equal to their close: such a row's factors are exactly 1,
// so the only thing it changes is a volume that is not above 0, which
// becomes 0. A bar that has been rescaled once has no such volume left (a
// factor never turns a positive volume negative), so the row only needs to
// touch the bars that no rescale has reached yet. Those are always the
// newest fetched bars, and the held bars until their first rescale: each
// bar is clamped at most once, and a fetch of unadjusted rows stays linear
// with results equal bit for bit to rescaling every bar each time.
void BarBuilder::Adjust(std::vector<Quotation>& fetched, float close, float adjClose) {
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
        for (int i = 0; i < m_lastValid; ++i) Rescale(m_held[i], price, volume, m_scaleOpenInterest);
        m_heldTouched = true;
      } else if (!m_heldTouched) {
        for (int i = 0; i < m_lastValid; ++i) Clamp(m_held[i]);
        m_heldTouched = true;
      }
    }
  }

  if (!identity) {
    for (Quotation& q : fetched) Rescale(q, price, volume, m_scaleOpenInterest);
  } else {
    for (size_t i = m_fetchedTouched; i < fetched.size(); ++i) Clamp(fetched[i]);
  }
  m_fetchedTouched = fetched.size();
}

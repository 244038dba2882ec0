// Bars from the rows of one backfill statement: each row's time packed into
// a stamp, repeated intraday rows folded into one bar, and the adjusted
// close rescaling the fetched bars and, where the host's last bar allows it,
// the held ones.
#ifndef VELMORA_BARS_BAR_BUILD_H_
#define VELMORA_BARS_BAR_BUILD_H_

#include <cstdint>
#include <vector>

#include "abi/host_records.h"
#include "db/database.h"

class CGlobal;

// The values of one row, each finite; a missing number reads 0.
struct BarRow {
  DBTimestamp date;
  float open, high, low, close, volume, adjClose;
  // Only where the rows give them (see BarBuilder).
  float openInterest, aux1, aux2;
};

class BarBuilder {
 public:
  // `held` is the host's array with its last valid index (-1: none; null:
  // no array). carried[0..2] say which of the open interest, Aux1 and Aux2
  // the rows do not give: the first bar takes those from the host's last
  // bar when it holds more than one, every later bar 0.
  BarBuilder(const CGlobal& g, int periodicity, int lastValid, Quotation* held,
             const bool carried[3]);

  // Appends the row's bar to `fetched`, or folds an intraday row whose stamp
  // is not later than the last added bar's into that bar.
  void Add(const BarRow& row, std::vector<Quotation>& fetched);

 private:
  void Adjust(std::vector<Quotation>& fetched, float close, float adjClose);

  const bool m_daily;
  const bool m_scaleOpenInterest;
  Quotation* const m_held;
  const int m_lastValid;
  bool m_carried[3];
  float m_openInterest = 0.0f, m_aux1 = 0.0f, m_aux2 = 0.0f;
  uint64_t m_lastAdded = 0;
  bool m_heldTouched = false;
  size_t m_fetchedTouched = 0;  // fetched bars [0, this) have been rescaled
};

#endif  // VELMORA_BARS_BAR_BUILD_H_

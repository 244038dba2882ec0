#include "bars/bar_request.h"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "abi/bar_time.h"
#include "bars/bar_fetch.h"
#include "bars/bar_merge.h"
#include "db/database.h"
#include "lifecycle/conn_state.h"
#include "plugin/global.h"

int GetQuotesEx(CGlobal& g, const char* ticker, int periodicity, int lastValid, int capacity,
                Quotation* bars) {
  if (g_nConnState != CONN_CONNECTED) return lastValid + 1;
  if (bars == nullptr || ticker == nullptr) return lastValid + 1;

  // The fetched bars live for this request only.
  std::vector<Quotation> fetched;
  // A single held bar tells nothing about the history the host lacks.
  const int lastDate = lastValid > 0 ? BarDateNumber(bars[lastValid].DateTime) : 0;

  std::string startDate;
  int limit;
  if (periodicity == 86400) {
    startDate = g.m_strBackfillEod;
    limit = g.m_nBackfillEod;
  } else {
    startDate = g.m_strBackfillIntraday;
    limit = g.m_nBackfillIntraday;
  }
  std::string startTime = g.m_strStartTime;

  if (lastValid >= 0 && lastDate >= limit) {
    const uint64_t last = bars[lastValid].DateTime;
    const BarTime t = UnpackBarTime(last);
    char text[48];
    std::snprintf(text, sizeof text, "%d-%02d-%02d", t.year, t.month, t.day);
    startDate = text;
    if (!IsEodMarker(last)) {
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
      startTime = text;
    } else {
      // An intraday chart whose last bar closes the current trading day
      // has nothing newer to get.
      if (periodicity != 86400 && BarDateNumber(last) >= g.m_nMarketDate) return lastValid + 1;
      startTime = "23:59:59";
    }
  }

  if (FetchBars(g, fetched, ticker, periodicity, lastValid, startDate, startTime, bars) == 0)
    return lastValid + 1;
  return MergeBars(lastValid, bars, capacity, fetched);
}

Quotation FromQuotationOld(const QuotationOld& old) {
  const uint32_t packed = old.DateTime;
  const uint32_t fifths = packed & 0xFu;
  Quotation bar{};
  bar.DateTime = PackBarTime(static_cast<int>(packed >> 24) + 1900,
                             static_cast<int>(packed >> 20 & 0xFu),
                             static_cast<int>(packed >> 15 & 0x1Fu),
                             static_cast<int>(packed >> 10 & 0x1Fu),
                             static_cast<int>(packed >> 4 & 0x3Fu),
                             fifths == 15 ? 63 : static_cast<int>(fifths * 5));
  bar.Close = old.Close;
  bar.Open = old.Open;
  bar.High = old.High;
  bar.Low = old.Low;
  bar.Volume = static_cast<float>(old.Volume);
  bar.OpenInterest = static_cast<float>(old.OpenInterest);
  bar.Aux1 = 0.0f;
  bar.Aux2 = 0.0f;
  return bar;
}

void ToQuotationOld(const Quotation& bar, QuotationOld& old) {
  const BarTime t = UnpackBarTime(bar.DateTime);
  const uint32_t fifths = t.second == 63 ? 15u : static_cast<uint32_t>(t.second / 5);
  old.DateTime = (static_cast<uint32_t>(t.year - 1900) & 0xFFu) << 24 |
                 static_cast<uint32_t>(t.month) << 20 | static_cast<uint32_t>(t.day) << 15 |
                 static_cast<uint32_t>(t.hour) << 10 | static_cast<uint32_t>(t.minute) << 4 |
                 fifths;
  old.Close = bar.Close;
  old.Open = bar.Open;
  old.High = bar.High;
  old.Low = bar.Low;
  old.Volume = FloatToInt(bar.Volume);
  old.OpenInterest = FloatToInt(bar.OpenInterest);
}

int GetQuotes(CGlobal& g, const char* ticker, int periodicity, int lastValid, int capacity,
              QuotationOld* bars) {
  if (bars == nullptr) return lastValid + 1;
  // Room for every bar the host calls valid, even one that claims more
  // than its capacity.
  size_t records = capacity > 0 ? static_cast<size_t>(capacity) : 0;
  if (lastValid >= 0 && static_cast<size_t>(lastValid) + 1 > records)
    records = static_cast<size_t>(lastValid) + 1;
  std::unique_ptr<Quotation[]> temp(new (std::nothrow) Quotation[records > 0 ? records : 1]);
  if (!temp) return lastValid + 1;

  for (int i = 0; i <= lastValid; ++i) temp[i] = FromQuotationOld(bars[i]);
  const int result = GetQuotesEx(g, ticker, periodicity, lastValid, capacity, temp.get());
  if (result < 1) return result;
  for (int i = 0; i < result; ++i) ToQuotationOld(temp[i], bars[i]);
  return result;
}

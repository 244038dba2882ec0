// The host's bar requests: what the exports GetQuotesEx and GetQuotes do,
// on a given global state.
#ifndef VELMORA_BARS_BAR_REQUEST_H_
#define VELMORA_BARS_BAR_REQUEST_H_

#include "abi/host_records.h"

class CGlobal;

// While g_nConnState is connected, fetches the ticker's bars from the host's
// last bar (or the configured backfill date) on and merges them into the
// host's array; returns the new count, or lastValid + 1 when nothing was
// merged.
int GetQuotesEx(CGlobal& g, const char* ticker, int periodicity, int lastValid, int capacity,
                Quotation* bars);

// The same request for the host's older 30-byte records, converted both ways.
int GetQuotes(CGlobal& g, const char* ticker, int periodicity, int lastValid, int capacity,
              QuotationOld* bars);

// Conversions between the two layouts (exposed for the host and the tests).
Quotation FromQuotationOld(const QuotationOld& old);
void ToQuotationOld(const Quotation& bar, QuotationOld& old);

#endif  // VELMORA_BARS_BAR_REQUEST_H_

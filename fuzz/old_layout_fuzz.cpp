// The host's older 30-byte bars converted to bars and back, as GetQuotes
// does: a record with a second the older layout can hold (a multiple of five
// up to 55, or the end-of-day mark) comes back with the same time stamp, the
// same prices and, where a float holds it exactly, the same volume; any bar
// converts to an older record and back without fault.
#include <cstdlib>
#include <cstring>

#include "src/bars/bar_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t at = 0; at + sizeof(QuotationOld) <= size; at += sizeof(QuotationOld)) {
    QuotationOld old, back{};
    std::memcpy(&old, data + at, sizeof old);
    ToQuotationOld(FromQuotationOld(old), back);
    const unsigned fifths = old.DateTime & 0xF;
    if ((fifths < 12 || fifths == 15) && back.DateTime != old.DateTime) std::abort();
    if (std::memcmp(&back.Close, &old.Close, 4 * sizeof(float)) != 0) std::abort();
    if (old.Volume > -(1 << 24) && old.Volume < (1 << 24) && back.Volume != old.Volume)
      std::abort();
  }
  for (size_t at = 0; at + sizeof(Quotation) <= size; at += sizeof(Quotation)) {
    Quotation bar;
    QuotationOld old{};
    std::memcpy(&bar, data + at, sizeof bar);
    ToQuotationOld(bar, old);
    FromQuotationOld(old);
  }
  return 0;
}

// A date-time text as the server may send it, read into a timestamp and
// packed into a bar stamp; the packed stamp unpacks to the same fields, cut
// to their widths, and its end-of-day form keeps the date.
#include <cstdint>
#include <cstdlib>

#include "src/abi/bar_time.h"
#include "src/db/timestamp_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DBTimestamp t{};
  if (ParseTimestampText(reinterpret_cast<const char*>(data), size, t) != TimestampText::kValue)
    return 0;
  const uint64_t stamp = PackBarTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
  const BarTime back = UnpackBarTime(stamp);
  if (back.year != (t.year & 0xFFF) || back.month != (t.month & 0xF) ||
      back.day != (t.day & 0x1F) || back.hour != (t.hour & 0x1F) ||
      back.minute != (t.minute & 0x3F) || back.second != (t.second & 0x3F) ||
      (LowWord(stamp) & 0x03FFFFFFu) != 0)
    std::abort();
  const uint64_t eod = EodMarker(stamp);
  if (!IsEodMarker(eod) || BarDateNumber(eod) != BarDateNumber(stamp) || eod < stamp)
    std::abort();
  return 0;
}

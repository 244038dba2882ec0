#include "db/timestamp_text.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One number as the C library's %d and %u conversions take it: white space,
// an optional sign, then at least one digit; at most maxChars characters
// after the white space (0: no limit). The value wraps like those
// conversions' results do once stored in the timestamp's narrow fields.
bool ScanNumber(const char*& p, const char* end, int64_t& value, size_t maxChars = 0) {
  while (p < end && IsSpace(*p)) ++p;
  const char* limit = maxChars != 0 && static_cast<size_t>(end - p) > maxChars ? p + maxChars : end;
  bool negative = false;
  if (p < limit && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (p >= limit || !IsDigit(*p)) return false;
  uint64_t v = 0;
  for (; p < limit && IsDigit(*p); ++p) v = v * 10 + static_cast<uint64_t>(*p - '0');
  value = static_cast<int64_t>(negative ? 0 - v : v);
  return true;
}

bool Expect(const char*& p, const char* end, char c) {
  if (p >= end || *p != c) return false;
  ++p;
  return true;
}

const char* Find(const char* from, const char* end, char c) {
  return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
}

}  // namespace

TimestampText ParseTimestampText(const char* text, size_t length, DBTimestamp& out) {
  const char* p = text;
  const char* const end = text + length;
  while (p < end && IsSpace(*p)) ++p;

  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, fraction = 0;
  bool isDate = false;
  const char* time = p;
  // A '-' anywhere makes the text a date, which must then lead; its time,
  // if any, follows the first blank.
  if (p < end && Find(p, end, '-') != nullptr) {
    const char* q = p;
    if (!ScanNumber(q, end, year) || !Expect(q, end, '-') || !ScanNumber(q, end, month) ||
        !Expect(q, end, '-') || !ScanNumber(q, end, day))
      return TimestampText::kInvalid;
    isDate = true;
    time = Find(p, end, ' ');
  }
  if (time != nullptr && time < end && Find(time, end, ':') != nullptr) {
    const char* q = time;
    if (!ScanNumber(q, end, hour) || !Expect(q, end, ':') || !ScanNumber(q, end, minute) ||
        !Expect(q, end, ':') || !ScanNumber(q, end, second))
      return TimestampText::kInvalid;
    // With a '.' anywhere in the time, a fraction must follow the seconds:
    // up to six digits, scaled by how many characters follow the '.'.
    if (const char* dot = Find(time, end, '.')) {
      if (!Expect(q, end, '.') || !ScanNumber(q, end, fraction, 6)) return TimestampText::kInvalid;
      for (ptrdiff_t after = end - (dot + 1); after < 6; ++after) fraction *= 10;
      fraction *= 1000;  // microseconds to nanoseconds
    }
  }
  if (isDate && year > 0) {
    if (year < 70)
      year += 2000;
    else if (year < 100)
      year += 1900;
  }
  if (year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0 &&
      fraction == 0)
    return TimestampText::kNull;
  out.year = static_cast<int16_t>(static_cast<uint16_t>(year));
  out.month = static_cast<uint16_t>(month);
  out.day = static_cast<uint16_t>(day);
  out.hour = static_cast<uint16_t>(hour);
  out.minute = static_cast<uint16_t>(minute);
  out.second = static_cast<uint16_t>(second);
  out.fraction = static_cast<uint32_t>(fraction);
  return TimestampText::kValue;
}

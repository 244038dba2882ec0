// The host's packed bar time stamp.
//
// High word: year in bits 20..31, month 16..19, day 11..15, hour 6..10,
// minute 0..5. Low word: second in bits 26..31, sub-second part 6..25, bits
// 0..5 always 0. Compared as one unsigned 64-bit number (high word first),
// which orders stamps by time. A daily bar carries the end-of-day marker:
// hour and minute bits all 1 and the low word 0xFFFFFFC0, so that it sorts
// after every intraday bar of its day.
#ifndef VELMORA_ABI_BAR_TIME_H_
#define VELMORA_ABI_BAR_TIME_H_

#include <cstdint>

constexpr uint32_t kEodHighBits = 0x7FFu;
constexpr uint32_t kEodLowWord = 0xFFFFFFC0u;

struct BarTime {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
};

inline uint32_t HighWord(uint64_t stamp) { return static_cast<uint32_t>(stamp >> 32); }
inline uint32_t LowWord(uint64_t stamp) { return static_cast<uint32_t>(stamp); }

// Each value is cut to the width of its field.
inline uint64_t PackBarTime(int year, int month, int day, int hour, int minute, int second) {
  uint32_t high = (static_cast<uint32_t>(year) & 0xFFFu) << 20 |
                  (static_cast<uint32_t>(month) & 0xFu) << 16 |
                  (static_cast<uint32_t>(day) & 0x1Fu) << 11 |
                  (static_cast<uint32_t>(hour) & 0x1Fu) << 6 | (static_cast<uint32_t>(minute) & 0x3Fu);
  uint32_t low = (static_cast<uint32_t>(second) & 0x3Fu) << 26;
  return static_cast<uint64_t>(high) << 32 | low;
}

// The stamp's date with the end-of-day marker.
inline uint64_t EodMarker(uint64_t stamp) {
  return static_cast<uint64_t>(HighWord(stamp) | kEodHighBits) << 32 | kEodLowWord;
}

inline bool IsEodMarker(uint64_t stamp) {
  return (HighWord(stamp) & kEodHighBits) == kEodHighBits &&
         (LowWord(stamp) & kEodLowWord) == kEodLowWord;
}

inline BarTime UnpackBarTime(uint64_t stamp) {
  uint32_t high = HighWord(stamp);
  return BarTime{static_cast<int>(high >> 20),          static_cast<int>(high >> 16 & 0xFu),
                 static_cast<int>(high >> 11 & 0x1Fu),  static_cast<int>(high >> 6 & 0x1Fu),
                 static_cast<int>(high & 0x3Fu),        static_cast<int>(LowWord(stamp) >> 26)};
}

// yyyymmdd of the stamp's date.
inline int BarDateNumber(uint64_t stamp) {
  BarTime t = UnpackBarTime(stamp);
  return t.year * 10000 + t.month * 100 + t.day;
}

#endif  // VELMORA_ABI_BAR_TIME_H_

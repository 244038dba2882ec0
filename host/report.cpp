#include "host/report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "src/abi/bar_time.h"

std::string PlainNumber(float value) {
  if (!std::isfinite(value)) return "";
  char text[64];
  // Fixed notation, shortest digits that read back as the same float.
  auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (error != std::errc()) return "";
  std::string result(text, end);
  return result == "-0" ? "0" : result;
}

std::string FormatPrice(double price) {
  const float value = static_cast<float>(price);
  if (!std::isfinite(value)) return "-";
  // Four decimals at most (adjusted prices have more than a tick's), two at
  // least.
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", static_cast<double>(value));
  std::string result = text;
  while (result.size() > 3 && result.back() == '0' && result[result.size() - 3] != '.')
    result.pop_back();
  return result == "-0.00" ? "0.00" : result;
}

std::string FormatVolume(double volume) {
  if (!std::isfinite(volume)) return "-";
  char digits[320];  // the largest double has 309 whole digits
  std::snprintf(digits, sizeof digits, "%.0f", std::fabs(volume));
  std::string text = digits, grouped;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i > 0 && (text.size() - i) % 3 == 0) grouped += ',';
    grouped += text[i];
  }
  return (volume <= -0.5 ? "-" : "") + grouped;
}

std::string FormatDate(int yyyymmdd) {
  if (yyyymmdd <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100,
                yyyymmdd % 100);
  return text;
}

std::string FormatTime(int hhmmss) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", hhmmss / 10000, hhmmss / 100 % 100,
                hhmmss % 100);
  return text;
}

std::string FormatDateTime(int yyyymmdd, int hhmmss) {
  return yyyymmdd <= 0 ? "-" : FormatDate(yyyymmdd) + " " + FormatTime(hhmmss);
}

std::string FormatBarTime(uint64_t stamp) {
  const BarTime t = UnpackBarTime(stamp);
  const std::string date = FormatDate(t.year * 10000 + t.month * 100 + t.day);
  if (IsEodMarker(stamp)) return date;
  return date + " " + FormatTime(t.hour * 10000 + t.minute * 100 + t.second);
}

std::string JsonText(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

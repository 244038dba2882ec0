// What the stand-in host prints of records of any bytes: the quote window's
// lines and JSON, the status field, and the report's prices, volumes, plain
// numbers, dates and bar times. JSON is always valid, a plain number reads
// back as the same float, a price never has an exponent, and a volume holds
// every digit of its whole number.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/quote_window.h"
#include "host/report.h"

namespace {

template <typename Record>
Record Bytes(FuzzedDataProvider& in) {
  Record record;
  std::memset(&record, 0, sizeof record);
  in.ConsumeData(&record, sizeof record);
  return record;
}

void ValidJson(const nlohmann::ordered_json& value) {
  if (nlohmann::json::parse(JsonText(value), nullptr, false).is_discarded()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const RecentInfo record = Bytes<RecentInfo>(in);
  const PluginStatus status = Bytes<PluginStatus>(in);
  const bool connected = in.ConsumeBool();
  QuoteLine(record, connected);
  ValidJson(QuoteJson(record, connected));
  ValidJson(StatusJson(status));
  QuoteWindowHeader(in.ConsumeIntegral<int>(), "09:30:00", status, in.ConsumeIntegral<uintptr_t>(),
                    in.ConsumeIntegral<int>());

  const float value = in.ConsumeFloatingPoint<float>();
  const std::string plain = PlainNumber(value);
  if (std::isfinite(value) ? std::strtof(plain.c_str(), nullptr) != value : !plain.empty())
    std::abort();
  if (FormatPrice(value).find_first_of("eE") != std::string::npos) std::abort();
  const double volume = in.ConsumeFloatingPoint<double>();
  if (std::isfinite(volume)) {
    std::string digits;
    for (char c : FormatVolume(volume))
      if (c >= '0' && c <= '9') digits += c;
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(volume));
    if (digits != whole) std::abort();
  }
  FormatDateTime(in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
  FormatBarTime(in.ConsumeIntegral<uint64_t>());
  return 0;
}

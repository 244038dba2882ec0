#include "host/report.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "src/abi/bar_time.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Prices keep their decimals and never take an exponent; the float's own
// digits are shown (0.1f is not 0.100000001); beyond a float's range is no
// price either. Volumes group their thousands.
TEST(HostReport, PricesAndVolumes) {
  const std::pair<double, const char*> prices[] = {
      {31350.0, "31350.00"}, {101.75, "101.75"}, {4520.5, "4520.50"}, {0.125, "0.125"},
      {0.1f, "0.10"}, {2729.57836914f, "2729.5784"}, {-0.0, "0.00"}, {1.5e9, "1500000000.00"},
      {-12.5, "-12.50"}, {kNaN, "-"}, {kInf, "-"}, {1e300, "-"}};
  for (const auto& [value, text] : prices) EXPECT_EQ(text, FormatPrice(value)) << value;
  const std::pair<double, const char*> volumes[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"},
      {12345678901.0, "12,345,678,901"}, {-1000, "-1,000"}, {kNaN, "-"}};
  for (const auto& [value, text] : volumes) EXPECT_EQ(text, FormatVolume(value)) << value;
}

TEST(HostReport, FileNumbersReadBackAsTheSameFloat) {
  const std::pair<double, const char*> plain[] = {{31350.0, "31350"}, {1101.5, "1101.5"},
      {1.5e9, "1500000000"}, {-0.0, "0"}, {kNaN, ""}, {-kInf, ""}};
  for (const auto& [value, text] : plain) EXPECT_EQ(text, PlainNumber(static_cast<float>(value)));
  for (float value : {0.1f, 3.135e4f, 7.77e-3f, 16777217.0f, 3.4e38f})
    EXPECT_EQ(value, std::stof(PlainNumber(value))) << PlainNumber(value);
}

TEST(HostReport, DatesAreYearMonthDay) {
  EXPECT_EQ("2015-01-02|-|09:05:07|2025-10-31 15:49:58|-|2015-01-02|2024-03-05 10:15:00",
            FormatDate(20150102) + "|" + FormatDate(0) + "|" + FormatTime(90507) + "|" +
                FormatDateTime(20251031, 154958) + "|" + FormatDateTime(0, 0) + "|" +
                FormatBarTime(EodMarker(PackBarTime(2015, 1, 2, 0, 0, 0))) + "|" +
                FormatBarTime(PackBarTime(2024, 3, 5, 10, 15, 0)));
}

}  // namespace

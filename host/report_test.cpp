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
  EXPECT_EQ("31350", PlainNumber(31350.0f));
  EXPECT_EQ("1101.5", PlainNumber(1101.5f));
  EXPECT_EQ("1500000000", PlainNumber(1.5e9f));
  EXPECT_EQ("0", PlainNumber(-0.0f));
  for (float value : {0.1f, 3.135e4f, 7.77e-3f, 16777217.0f, 3.4e38f})
    EXPECT_EQ(value, std::stof(PlainNumber(value))) << PlainNumber(value);
  EXPECT_EQ("", PlainNumber(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_EQ("", PlainNumber(-std::numeric_limits<float>::infinity()));
}

TEST(HostReport, DatesAreYearMonthDay) {
  EXPECT_EQ("2015-01-02", FormatDate(20150102));
  EXPECT_EQ("-", FormatDate(0));
  EXPECT_EQ("09:05:07", FormatTime(90507));
  EXPECT_EQ("2025-10-31 15:49:58", FormatDateTime(20251031, 154958));
  EXPECT_EQ("-", FormatDateTime(0, 0));
  EXPECT_EQ("2015-01-02", FormatBarTime(EodMarker(PackBarTime(2015, 1, 2, 0, 0, 0))));
  EXPECT_EQ("2024-03-05 10:15:00", FormatBarTime(PackBarTime(2024, 3, 5, 10, 15, 0)));
}

}  // namespace

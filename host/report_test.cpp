#include "host/report.h"

#include <gtest/gtest.h>

#include <limits>

#include "src/host/bar_time.h"

namespace {

TEST(HostReport, PricesKeepTheirDecimalsAndNeverTakeAnExponent) {
  EXPECT_EQ("31350.00", FormatPrice(31350.0));
  EXPECT_EQ("101.75", FormatPrice(101.75));
  EXPECT_EQ("4520.50", FormatPrice(4520.5));
  EXPECT_EQ("0.125", FormatPrice(0.125));
  // The float's own digits: 0.1f is not printed as 0.100000001.
  EXPECT_EQ("0.10", FormatPrice(0.1f));
  EXPECT_EQ("2729.5784", FormatPrice(2729.57836914f));
  EXPECT_EQ("0.00", FormatPrice(-0.0));
  EXPECT_EQ("1500000000.00", FormatPrice(1.5e9));
  EXPECT_EQ("-12.50", FormatPrice(-12.5));
  EXPECT_EQ("-", FormatPrice(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ("-", FormatPrice(std::numeric_limits<double>::infinity()));
  // Beyond a float's range is no price either.
  EXPECT_EQ("-", FormatPrice(1e300));
}

TEST(HostReport, VolumesGroupTheirThousands) {
  EXPECT_EQ("0", FormatVolume(0));
  EXPECT_EQ("999", FormatVolume(999));
  EXPECT_EQ("1,000", FormatVolume(1000));
  EXPECT_EQ("1,234,567", FormatVolume(1234567));
  EXPECT_EQ("12,345,678,901", FormatVolume(12345678901.0));
  EXPECT_EQ("-1,000", FormatVolume(-1000));
  EXPECT_EQ("-", FormatVolume(std::numeric_limits<double>::quiet_NaN()));
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

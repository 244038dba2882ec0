#include "host/doctor_settings.h"

#include <gtest/gtest.h>

namespace {

// The ports MariaDB Connector/ODBC 3.1 was seen to connect to (traced with
// strace) for texts stored as ServerPort; 0: it could not connect at all.
TEST(DoctorPortTest, ThePortTheDriverUses) {
  const struct {
    const char* text;
    unsigned port;
    DoctorLine::Level level;
  } cases[] = {
      {"33065", 33065, DoctorLine::kOk},        {" +33065", 33065, DoctorLine::kOk},
      {"33065x", 33065, DoctorLine::kWarn},     {"33065.9", 33065, DoctorLine::kWarn},
      {"98601", 33065, DoctorLine::kWarn},      {"125933", 60397, DoctorLine::kWarn},
      {"4294999361", 32065, DoctorLine::kWarn}, {"2147483647", 65535, DoctorLine::kWarn},
      {"", 3306, DoctorLine::kWarn},            {"abc", 3306, DoctorLine::kWarn},
      {"0", 3306, DoctorLine::kWarn},           {"0x8129", 3306, DoctorLine::kWarn},
      {"1e5", 1, DoctorLine::kWarn},            {"65536", 0, DoctorLine::kFail},
      {"-1", 0, DoctorLine::kFail},             {"-32471", 0, DoctorLine::kFail},
      {"2147516713", 0, DoctorLine::kFail},     {"99999999999999999999999", 0, DoctorLine::kFail},
  };
  for (const auto& c : cases) {
    const PortUse use = DescribePort(c.text);
    EXPECT_EQ(c.port, use.port) << c.text;
    EXPECT_EQ(c.level, use.line.level) << c.text << ": " << use.line.text;
  }
  // How a wrapped port is told: host/doctor_test.sh.
  EXPECT_EQ("server port '' is empty: the driver connects to its default port 3306",
            DescribePort("").line.text);
  EXPECT_EQ("server port '-1' is outside 1 to 65535 and the driver cannot connect with it",
            DescribePort("-1").line.text);
}

TEST(DoctorPortTest, TextsAreShownOnOneLine) {
  EXPECT_EQ("'a\\n\"b\"\\r\\t\\\\\\x01\\xe9'", Shown("a\n\"b\"\r\t\\\x01\xe9"));
}

}  // namespace

#include "testing/bar_rows.h"

#include <memory>

#include "abi/bar_time.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/statements.h"
#include "testing/test_server.h"

namespace bar_test {

Quotation Held(uint64_t stamp, float close, float volume) {
  Quotation q{};
  q.DateTime = stamp;
  q.Open = q.High = q.Low = q.Close = close;
  q.Volume = volume;
  return q;
}

Quotation Daily(int day, float close) {
  return Held(EodMarker(PackBarTime(2024, 3, day, 0, 0, 0)), close, 0);
}

std::vector<float> Closes(const Quotation* bars, int count) {
  std::vector<float> closes;
  for (int i = 0; i < count; ++i) closes.push_back(bars[i].Close);
  return closes;
}

namespace {
void Load(CDatabase& admin, const std::string& table, const std::string& ticker,
          const std::string& values) {
  const std::string literal = "'" + ticker + "'";
  admin.ExecuteSQL("DELETE FROM " + table + " WHERE Ticker=" + literal);
  if (values.empty()) return;
  std::string rows;
  for (char c : values) {
    rows += c;
    if (c == '(') rows += literal + ",";
  }
  const char* columns = table == "NVEod"
                            ? "(Ticker,TrDate,Open,High,Low,Close,Volume,AdjClose)"
                            : "(Ticker,TrDate,TrTime,Open,High,Low,Close,Volume,AdjClose)";
  admin.ExecuteSQL("INSERT INTO " + table + " " + columns + " VALUES " + rows);
}
}  // namespace

void LoadRows(const std::string& table, const std::string& ticker, const std::string& values) {
  Load(*testing_server::Admin(), table, ticker, values);
}

void LoadRowsPastChecks(const std::string& table, const std::string& ticker,
                        const std::string& values) {
  auto admin = testing_server::Admin();
  admin->ExecuteSQL("SET SESSION check_constraint_checks=0");
  Load(*admin, table, ticker, values);
}

void BarServerTest::SetUp() {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  ASSERT_TRUE(testing_server::Open(g));
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
}

}  // namespace bar_test

#if defined(__SANITIZE_ADDRESS__)
// MariaDB Connector/ODBC keeps 20 bytes of its own for every text value it
// converts to a timestamp and never frees them: a leak inside the driver,
// reported from its own calloc. The plug-in converts such texts itself; the
// tests that compare with the driver's conversion still ask the driver.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() { return "leak:libmaodbc.so\n"; }
#endif

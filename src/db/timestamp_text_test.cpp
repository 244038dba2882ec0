// Date-times read from text must come out as the driver itself would give
// them; the driver's own conversion of each text is the reference.
#include "db/timestamp_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/database.h"
#include "platform/odbc.h"
#include "testing/test_server.h"

namespace {

std::string Show(int kind, const DBTimestamp& t) {
  if (kind == 0) return "NULL";
  if (kind == 2) return "error";
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second) + "." + std::to_string(t.fraction);
}

// The driver's reading of the row: one SQLGetData for a timestamp per column.
void DriverReading(CDatabase& db, std::string sql, size_t columns,
                   std::vector<std::string>& expected) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(db.m_hdbc), &stmt)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(stmt)));
  for (size_t i = 0; i < columns; ++i) {
    SQL_TIMESTAMP_STRUCT ts{};
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_C_TYPE_TIMESTAMP, &ts,
                              sizeof ts, &indicator);
    DBTimestamp t{ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second, ts.fraction};
    expected.push_back(Show(!SQL_SUCCEEDED(rc) ? 2 : indicator == SQL_NULL_DATA ? 0 : 1, t));
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// Read row by row or from a block, a date-time text is the whole text
// however long the server made it, and converts as the driver converts it,
// NULL and errors included; a typed date-time comes as the driver gives it.
TEST(TimestampText, ReadsEveryTextAsTheDriverDoes) {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  const std::vector<std::string> values = {
      "CONCAT(DATE '2024-03-05',' ',TIME '10:15:07')", "CONCAT(DATE '2024-03-05',' ','23:59:00')",
      "'2024-03-05'", "'2024-3-5 1:2:3'", "' 2024-03-05  10:15:07 '", "'2024-03-05T10:15:07'",
      "'2024-03-05 10'", "'2024- 03-05'", "'24-03-05 10:00:00'", "'75-03-05'", "'+2024-03-05'",
      "'-2024-03-05 10:15:07'", "'99999-03-05 10:15:07'", "'2024-02-30 25:61:07'",
      "'2024-03-05 -1:00:00'", "'0000-03-05 00:00:00'", "'0000-00-00 10:00:00'",
      "'2024-03-05 10:15:07.5'", "'2024-03-05 10:15:07.5 '", "'2024-03-05 7:8:9.000001'",
      "'2024-03-05 10:15:07.1234567'", "'00:00:00.5'", "'24:00:00'", "'838:59:59'",
      // All zeros or nothing recognisable: NULL.
      "'0000-00-00 00:00:00'", "'00:00:00'", "''", "'   '", "'junk'", "'20240305101507'",
      "NULL",
      // Malformed: the driver's error.
      "'2024/03/05 10:15:07'", "'2024-03-05 10:15'", "'2024-03'", "'-'", "'x-1-2'", "'12:5'",
      "'10:15:07x.5'", "'2024-03-05 10:15:07.'", "'2024-03-05 10:15:07. '",
      // Padded far beyond a date-time.
      "CONCAT('2024-03-05 10:15:07', REPEAT(' ', 300))", "CONCAT(REPEAT(' ', 300), '2024-03-05')",
      // Typed columns stay with the driver.
      "CAST('2024-03-05 10:15:07' AS DATETIME)", "DATE '2024-03-05'"};
  // A block lays out fewer columns: a few of each kind (a text longer than a
  // block's buffer is read row by row: the recordset test).
  const std::vector<std::string> few = {values[0],  values[4],  values[8],  values[24],
                                        values[28], values[30], values[32], values[42],
                                        values[43]};
  auto db = testing_server::Admin();
  for (const auto& [list, rowset] : {std::pair{&values, 1}, std::pair{&few, 8}}) {
    SCOPED_TRACE("rows a block: " + std::to_string(rowset));
    std::string sql = "SELECT ";  // one row: columns c0, c1, ...
    for (size_t i = 0; i < list->size(); ++i)
      sql += (i ? "," : "") + (*list)[i] + " AS c" + std::to_string(i);
    std::vector<std::string> expected;
    ASSERT_NO_FATAL_FAILURE(DriverReading(*db, sql, list->size(), expected));
    CSRecordset rs(db.get());
    rs.SetRowsetSize(rowset);
    ASSERT_TRUE(rs.Open(CSRecordset::forwardOnly, sql, 0));
    ASSERT_EQ(rowset > 1, rs.IsBlockFetch());
    int values_read = 0;
    for (size_t i = 0; i < list->size(); ++i) {
      CDBVariant v;
      std::string got;
      try {
        rs.GetFieldValue(static_cast<short>(i), v, SQL_C_TIMESTAMP_TYPE);
        got = Show(v.IsNull() ? 0 : 1, v.m_date);
        values_read += !v.IsNull();
      } catch (const CDBException& e) {
        got = Show(2, v.m_date);
        EXPECT_NE(std::string::npos, e.m_strError.find("Datetime field overflow")) << (*list)[i];
      }
      EXPECT_EQ(expected[i], got) << (*list)[i];
    }
    EXPECT_GE(values_read, static_cast<int>(list->size()) / 2) << "most texts hold a date-time";
  }
}

}  // namespace

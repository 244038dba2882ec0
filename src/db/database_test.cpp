#include "db/database.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/odbc.h"
#include "plugin/global.h"
#include "testing/test_server.h"

namespace {

// No statement handle can be had (a closed database; a handle that is not a
// connection at all, which the driver manager refuses without a connection
// state): Open says so and reads nothing. A connection handle that is not
// connected answers like a connection that was lost: with a connection state
// (08003), which is a database error, so that the caller's retries run
// instead of a disconnect.
TEST(Recordset, OpenWithoutAConnection) {
  CDatabase closed;
  EXPECT_FALSE(CSRecordset(&closed).Open(CSRecordset::forwardOnly, "SELECT 1", 0));
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
  CDatabase unconnected;
  unconnected.m_henv = env;  // the database frees both handles
  unconnected.m_hdbc = env;
  CSRecordset refused(&unconnected);
  EXPECT_FALSE(refused.Open(CSRecordset::forwardOnly, "SELECT 1", 0));
  EXPECT_TRUE(refused.IsEOF());
  unconnected.m_hdbc = dbc;
  CSRecordset rs(&unconnected);
  try {
    rs.Open(CSRecordset::forwardOnly, "SELECT 1", 0);
    ADD_FAILURE() << "Open returned instead of throwing";
  } catch (const CDBException& e) {
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
  }
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_THROW(unconnected.ExecuteSQL("SELECT 1"), CDBException);
}

// Rows 1..count (at most 9) with one column of each kind a block binds: a
// number, a text, a typed date-time and a date-time sent as text, and a
// number sent as text. Column k is NULL in the rows whose n % 6 == k + 1, so
// that every column has a NULL somewhere in a block. Row `longRow`'s label
// is longer than a block's text buffer.
std::string Rows(int count, int longRow = 0) {
  return "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 9) "
         "SELECT n * 1.5 + 0.1 AS Num, IF(n % 6 = 1, NULL, n * 2.25) AS Price, "
         "IF(n % 6 = 2, NULL, IF(n = " + std::to_string(longRow) +
         ", REPEAT('y', 300), CONCAT('row', n))) AS Label, "
         "IF(n % 6 = 3, NULL, TIMESTAMP '2024-03-05 09:00:00' + INTERVAL n MINUTE) AS Stamp, "
         "IF(n % 6 = 4, NULL, CONCAT(DATE '2024-03-05', ' ', SEC_TO_TIME(n * 61))) AS StampText, "
         "IF(n % 6 = 5, NULL, CONCAT(n, '.5')) AS NumText "
         "FROM s WHERE n <= " + std::to_string(count) + " ORDER BY n";
}

std::string Show(const CDBVariant& v) {
  if (v.IsNull()) return "NULL";
  if (v.m_dwType == CDBVariant::DBVT_SINGLE) return std::to_string(v.m_fltVal);
  const DBTimestamp& t = v.m_date;
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second);
}

float Number(CSRecordset& rs, const char* column) {
  CDBVariant v;
  rs.GetFieldValue(column, v, SQL_C_FLOAT_TYPE);
  return v.m_fltVal;
}

// Every row of the open recordset, each value as the readers ask for it.
std::vector<std::string> ReadAll(CSRecordset& rs) {
  std::vector<std::string> rows;
  CDBVariant v;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    std::string row, label;
    for (const char* number : {"Num", "Price", "NumText"}) {
      rs.GetFieldValue(number, v, SQL_C_FLOAT_TYPE);
      row += Show(v) + "|";
    }
    bool isNull = false;
    rs.GetFieldValue("Label", label, &isNull);
    row += (isNull ? "NULL" : label) + "|";
    for (const char* stamp : {"Stamp", "StampText"}) {
      rs.GetFieldValue(stamp, v, SQL_C_TIMESTAMP_TYPE);
      row += Show(v) + "|";
    }
    rows.push_back(row);
  }
  return rows;
}

class RecordsetServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
    db = testing_server::Admin();
  }
  // Opens `sql` on `on` (the admin's connection by default) in blocks of `rows`.
  std::unique_ptr<CSRecordset> Open(const std::string& sql, unsigned long rows,
                                    CDatabase* on = nullptr) {
    auto rs = std::make_unique<CSRecordset>(on ? on : db.get());
    rs->SetRowsetSize(rows);
    EXPECT_TRUE(rs->Open(CSRecordset::forwardOnly, sql, 0)) << sql;
    return rs;
  }
  std::unique_ptr<CDatabase> db;
};

// Results that end inside the first block, fill it exactly, end inside a
// later block or fill two: block by block the same rows, values and NULLs as
// row by row, and the end of the result at the same place.
TEST_F(RecordsetServerTest, BlocksReadTheSameRowsAsRowByRow) {
  for (int count : {0, 1, 3, 4, 5, 8, 9}) {
    SCOPED_TRACE("rows: " + std::to_string(count));
    auto single = Open(Rows(count), 1);
    EXPECT_FALSE(single->IsBlockFetch());
    const std::vector<std::string> expected = ReadAll(*single);
    ASSERT_EQ(static_cast<size_t>(count), expected.size());
    auto block = Open(Rows(count), 4);
    EXPECT_TRUE(block->IsBlockFetch());
    EXPECT_EQ(count == 0, block->IsBOF());
    EXPECT_EQ(count == 0, block->IsEOF());
    EXPECT_EQ(expected, ReadAll(*block));
    block->MoveNext();  // past the end stays at the end
    EXPECT_TRUE(block->IsEOF());
  }
  // One row of NULLs in every column, in a block of one.
  auto rs = Open("SELECT NULL + 0.5 AS Num, NULL + 0.5 AS Price, CAST(NULL AS CHAR(8)) AS Label, "
                 "CAST(NULL AS DATETIME) AS Stamp, CAST(NULL AS CHAR(19)) AS StampText, "
                 "CAST(NULL AS CHAR(8)) AS NumText", 2);
  EXPECT_TRUE(rs->IsBlockFetch());
  EXPECT_EQ(std::vector<std::string>{"NULL|NULL|NULL|NULL|NULL|NULL|"}, ReadAll(*rs));
}

// A column the result lacks fails at its first read; so does a value asked
// for as a kind the block does not hold, and a read past the end.
TEST_F(RecordsetServerTest, MissingColumnsAndKindsABlockDoesNotHoldAreDatabaseErrors) {
  auto rs = Open(Rows(2), 16);
  ASSERT_TRUE(rs->IsBlockFetch());
  CDBVariant v;
  std::string text;
  EXPECT_THROW(rs->GetFieldIndexByName("Missing"), CDBException);
  EXPECT_THROW(rs->GetFieldValue("Missing", v, SQL_C_FLOAT_TYPE), CDBException);
  EXPECT_THROW(rs->GetFieldValue("Missing", text), CDBException);
  EXPECT_THROW(rs->GetFieldValue("Num", text), CDBException) << "numbers are held as floats";
  EXPECT_THROW(rs->GetFieldValue("Stamp", v, SQL_C_FLOAT_TYPE), CDBException);
  EXPECT_THROW(rs->GetFieldValue("Stamp", text), CDBException);
  rs->GetFieldValue("Label", v, SQL_C_TIMESTAMP_TYPE);
  EXPECT_TRUE(v.IsNull()) << "a text with no date in it reads as NULL, as the driver reads it";
  EXPECT_EQ(1.6f, Number(*rs, "Num")) << "a failed read leaves the row where it was";
  rs->MoveNext();
  rs->MoveNext();
  ASSERT_TRUE(rs->IsEOF());
  EXPECT_THROW(Number(*rs, "Num"), CDBException);
}

// A result the block cannot hold (binary data, a text wider than a block
// lays out) is read row by row, with the same values.
TEST_F(RecordsetServerTest, BinaryAndVeryWideResultsAreReadRowByRow) {
  for (const char* column : {"CAST('ab' AS BINARY(2))", "REPEAT('x', 20000)"}) {
    auto rs = Open(std::string("SELECT ") + column + " AS B, 1.5 AS Num", 64);
    EXPECT_FALSE(rs->IsBlockFetch()) << column;
    std::string text;
    rs->GetFieldValue("B", text);
    EXPECT_EQ(column[0] == 'C' ? "ab" : std::string(20000, 'x'), text);
    EXPECT_EQ(1.5f, Number(*rs, "Num"));
  }
}

// A label longer than its buffer in the first block or in a later one: the
// statement runs again and the rest is read row by row from that block on,
// so that every row comes once, in order, its text whole.
TEST_F(RecordsetServerTest, ATextLongerThanItsBufferIsReadWhole) {
  for (int longRow : {1, 7}) {
    const std::vector<std::string> expected = ReadAll(*Open(Rows(9, longRow), 1));
    ASSERT_NE(std::string::npos, expected[longRow - 1].find(std::string(300, 'y')));
    auto rs = Open(Rows(9, longRow), 3);
    EXPECT_EQ(longRow > 3, rs->IsBlockFetch());
    EXPECT_EQ(expected, ReadAll(*rs)) << "long label in row " << longRow;
    EXPECT_FALSE(rs->IsBlockFetch());
  }
}

// A row the driver fails inside a block, while it still calls the block's
// fetch a success (a number past the signed 64-bit range, which it will
// not put into a float there, though it reads the same value on its own):
// each read of that row is a database error, never the block's stale bytes.
TEST_F(RecordsetServerTest, ARowTheDriverFailsInABlockIsNotRead) {
  auto rs = Open("SELECT CAST(n AS UNSIGNED) AS U FROM (SELECT 1 AS k, 1 AS n UNION ALL "
                 "SELECT 2, 18446744073709551615 UNION ALL SELECT 3, 3) t ORDER BY k", 8);
  ASSERT_TRUE(rs->IsBlockFetch());
  EXPECT_EQ(1.0f, Number(*rs, "U"));
  rs->MoveNext();
  EXPECT_THROW(Number(*rs, "U"), CDBException);
  rs->MoveNext();
  EXPECT_EQ(3.0f, Number(*rs, "U"));
}

// (A block that cannot be allocated only costs speed: the refresh test.)

// The server ends the plug-in's connection while a block is being read,
// and before the next statement: the rows already sent are read to their
// end, and the next statement, on the connection the driver makes again,
// is read in blocks as before.
TEST_F(RecordsetServerTest, ABlockAfterALostConnection) {
  CGlobal g;
  ASSERT_TRUE(testing_server::Open(g));
  CDatabase other;  // the same account may end its own connections
  other.OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
  const auto connectionId = [&] {
    return FloatToInt(Number(*Open("SELECT CONNECTION_ID() AS Id", 1, g.m_pDatabase), "Id"));
  };
  const std::vector<std::string> expected = ReadAll(*Open(Rows(9), 1, g.m_pDatabase));
  const int before = connectionId();
  {
    auto rs = Open(Rows(9), 4, g.m_pDatabase);
    rs->MoveNext();
    other.ExecuteSQL("KILL " + std::to_string(before));
    EXPECT_EQ(std::vector<std::string>(expected.begin() + 1, expected.end()), ReadAll(*rs));
  }
  auto rs = Open(Rows(9), 4, g.m_pDatabase);
  EXPECT_TRUE(rs->IsBlockFetch());
  EXPECT_EQ(expected, ReadAll(*rs));
  EXPECT_NE(before, connectionId());
}

}  // namespace

#include "db/database.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "platform/odbc.h"
#include "plugin/global.h"
#include "testing/test_server.h"

namespace {

// A connection handle that the driver manager has but that never connected:
// it hands out no statement handles, as a connection that was lost and could
// not come back.
TEST(Recordset, OpenIsFalseWhenNoStatementHandleCanBeHad) {
  CDatabase closed;
  CSRecordset none(&closed);
  EXPECT_FALSE(none.Open(CSRecordset::forwardOnly, "SELECT 1", 0));

  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
  {
    CDatabase unconnected;
    unconnected.m_henv = env;
    unconnected.m_hdbc = dbc;
    CSRecordset rs(&unconnected);
    EXPECT_FALSE(rs.Open(CSRecordset::forwardOnly, "SELECT 1", 0));
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_TRUE(rs.IsEOF());
  }  // the database frees both handles
}

TEST(Recordset, ReadsValuesByNameAndPositionAndReportsNull) {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  CGlobal g;
  testing_server::PointAt(g);
  OpenDatabase(g);
  ASSERT_NE(nullptr, g.m_pDatabase);
  CSRecordset rs(g.m_pDatabase);
  ASSERT_TRUE(rs.Open(CSRecordset::forwardOnly,
                      "SELECT 7.9 AS Num, NULL AS Nothing, 'a''b' AS Txt, "
                      "TIMESTAMP'2024-03-05 09:07:02' AS Stamp",
                      0));
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(4, rs.GetODBCFieldCount());
  EXPECT_EQ(2, rs.GetFieldIndexByName("Txt"));

  CDBVariant value;
  rs.GetFieldValue("Num", value, SQL_C_FLOAT_TYPE);
  EXPECT_EQ(7.9f, value.m_fltVal);
  EXPECT_EQ(7, FloatToInt(value.m_fltVal));
  value.m_dwType = CDBVariant::DBVT_SINGLE;
  rs.GetFieldValue(short{1}, value, SQL_C_FLOAT_TYPE);
  EXPECT_TRUE(value.IsNull());
  rs.GetFieldValue("Stamp", value, SQL_C_TIMESTAMP_TYPE);
  ASSERT_EQ(CDBVariant::DBVT_DATE, value.m_dwType);
  EXPECT_EQ(2024, value.m_date.year);
  EXPECT_EQ(2u, value.m_date.second);

  std::string text;
  bool isNull = false;
  rs.GetFieldValue("Txt", text, &isNull);
  EXPECT_EQ("a'b", text);
  EXPECT_FALSE(isNull);
  rs.GetFieldValue(short{1}, text, &isNull);
  EXPECT_TRUE(isNull);
  EXPECT_EQ("", text);

  EXPECT_THROW(rs.GetFieldValue("num", value, SQL_C_FLOAT_TYPE), CDBException);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());

  try {
    rs.Open(CSRecordset::forwardOnly, "SELECT Nope FROM NVConfig", 0);
    ADD_FAILURE() << "a rejected statement must throw";
  } catch (const CDBException& e) {
    EXPECT_EQ(-1, e.m_nRetCode);
    EXPECT_NE(std::string::npos, e.m_strError.find("Nope")) << e.m_strError;
    EXPECT_FALSE(rs.IsOpen());
  }
}

}  // namespace

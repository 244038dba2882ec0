#include "db/database.h"

#include <gtest/gtest.h>

#include "platform/odbc.h"

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

}  // namespace

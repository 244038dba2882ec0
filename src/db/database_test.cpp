#include "db/database.h"

#include <gtest/gtest.h>

#include "platform/odbc.h"

namespace {

// No statement handle can be had: Open says so and reads nothing. A handle
// that is not a connection at all is refused by the driver manager without
// any connection state.
TEST(Recordset, OpenIsFalseWhenNoStatementHandleCanBeHad) {
  CDatabase closed;
  CSRecordset none(&closed);
  EXPECT_FALSE(none.Open(CSRecordset::forwardOnly, "SELECT 1", 0));

  SQLHENV env = SQL_NULL_HENV;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  CDatabase notAConnection;
  notAConnection.m_hdbc = env;
  CSRecordset rs(&notAConnection);
  EXPECT_FALSE(rs.Open(CSRecordset::forwardOnly, "SELECT 1", 0));
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(rs.IsEOF());
  notAConnection.m_hdbc = nullptr;
  SQLFreeHandle(SQL_HANDLE_ENV, env);
}

// A connection handle that is not connected answers like a connection that
// was lost: with a connection state (08003), which is a database error, so
// that the caller's retries run instead of a disconnect.
TEST(Recordset, OpenThrowsWhenTheConnectionIsNotOpen) {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
  CDatabase unconnected;
  unconnected.m_henv = env;
  unconnected.m_hdbc = dbc;  // the database frees both handles
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

}  // namespace

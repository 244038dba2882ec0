#include "host/host_odbc.h"

#include "src/platform/odbc.h"

namespace {

HostOdbcError Diagnostic(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
  HostOdbcError error;
  SQLCHAR state[6];
  SQLCHAR message[1024];
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT record = 1;
       handle != nullptr && SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native,
                                                        message, sizeof message, &length));
       ++record)
    error.text += (record > 1 ? "\n" : "") + std::string(reinterpret_cast<char*>(message));
  if (error.text.empty()) error.text = "no diagnostic (code " + std::to_string(rc) + ")";
  return error;
}

[[noreturn]] void Fail(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
  throw Diagnostic(rc, type, handle);
}

// One column of the current row, read in pieces however long it is.
std::optional<std::string> Column(SQLHSTMT stmt, SQLUSMALLINT column) {
  std::string text;
  char piece[256];
  for (;;) {
    SQLLEN size = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, piece, sizeof piece, &size);
    if (rc == SQL_NO_DATA) return text;
    if (!SQL_SUCCEEDED(rc)) Fail(rc, SQL_HANDLE_STMT, stmt);
    if (size == SQL_NULL_DATA) return std::nullopt;
    const bool whole = size != SQL_NO_TOTAL && size < static_cast<SQLLEN>(sizeof piece);
    text.append(piece, whole ? static_cast<size_t>(size) : sizeof piece - 1);
    if (whole) return text;
  }
}

}  // namespace

HostOdbc::~HostOdbc() {
  if (m_dbc != nullptr) {
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
  }
  if (m_env != nullptr) SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void HostOdbc::Connect(const std::string& connect) {
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
  if (!SQL_SUCCEEDED(rc)) Fail(rc, SQL_HANDLE_ENV, nullptr);
  SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  rc = SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
  if (!SQL_SUCCEEDED(rc)) Fail(rc, SQL_HANDLE_ENV, m_env);
  // MariaDB Connector/ODBC bounds a connect and a read only by its own
  // keywords; other drivers ignore them.
  std::string text = connect + ";CONN_TIMEOUT=5;READ_TIMEOUT=15;WRITE_TIMEOUT=15";
  rc = SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr,
                        0, nullptr, SQL_DRIVER_NOPROMPT);
  if (SQL_SUCCEEDED(rc)) return;
  const HostOdbcError error = Diagnostic(rc, SQL_HANDLE_DBC, m_dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);  // never connected: nothing to disconnect
  m_dbc = nullptr;
  throw error;
}

std::vector<HostRow> HostOdbc::Query(const std::string& sql) {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt);
  if (!SQL_SUCCEEDED(rc)) Fail(rc, SQL_HANDLE_DBC, m_dbc);
  std::vector<HostRow> rows;
  try {
    std::string text = sql;
    rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Fail(rc, SQL_HANDLE_STMT, stmt);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    while (columns > 0 && (rc = SQLFetch(stmt)) != SQL_NO_DATA) {
      if (!SQL_SUCCEEDED(rc)) Fail(rc, SQL_HANDLE_STMT, stmt);
      HostRow& row = rows.emplace_back();
      for (SQLSMALLINT column = 1; column <= columns; ++column)
        row.push_back(Column(stmt, static_cast<SQLUSMALLINT>(column)));
    }
  } catch (...) {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    throw;
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return rows;
}

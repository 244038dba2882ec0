#include "db/database.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "db/row_block.h"
#include "db/timestamp_text.h"
#include "platform/odbc.h"

namespace {

// With MariaDB Connector/ODBC the ODBC time-out attributes do not bound a
// connect to a listener that never answers, nor a read from a server that has
// stopped; the driver's own keywords do, and drivers ignore keywords they do
// not know.
constexpr const char kDriverTimeouts[] =
    ";CONN_TIMEOUT=5;READ_TIMEOUT=15;WRITE_TIMEOUT=15";

std::string Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::string text;
  if (handle == nullptr) return text;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native,
                                 message, sizeof message, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!text.empty()) text += '\n';
    text += reinterpret_cast<const char*>(message);
  }
  return text;
}

// The SQLSTATE of the first diagnostic record, or an empty text.
std::string SqlState(SQLSMALLINT handleType, SQLHANDLE handle) {
  SQLCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLCHAR message[8];
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLGetDiagRec(handleType, handle, 1, state, &native, message,
                               sizeof message, &length);
  return SQL_SUCCEEDED(rc) ? std::string(reinterpret_cast<const char*>(state)) : std::string();
}

// Class 08: the connection is lost or not open.
bool IsConnectionState(const std::string& state) { return state.rfind("08", 0) == 0; }

bool IsTextType(short sqlType) {
  switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return true;
    default:
      return false;
  }
}

// The statement is prepared, then executed. Not SQLExecDirect: once the
// server has ended a connection (KILL, restart), MariaDB Connector/ODBC 3.1
// reconnects inside SQLExecDirect on a statement still tied to the old
// connection and crashes; its prepare path reconnects cleanly.
SQLRETURN PrepareAndExecute(SQLHSTMT stmt, const std::string& sql) {
  SQLRETURN rc =
      SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
  return SQL_SUCCEEDED(rc) ? SQLExecute(stmt) : rc;
}

[[noreturn]] void Throw(SQLRETURN rc, SQLSMALLINT handleType,
                        SQLHANDLE handle) {
  std::string error = Diagnostics(handleType, handle);
  if (error.empty()) error = "ODBC call failed";
  throw CDBException(static_cast<int16_t>(rc), std::move(error));
}

}  // namespace

int32_t FloatToInt(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int32_t ReadWholeNumber(CSRecordset& rs, std::string_view column) {
  CDBVariant value;
  rs.GetFieldValue(column, value, SQL_C_FLOAT_TYPE);
  return value.IsNull() ? 0 : FloatToInt(value.m_fltVal);
}

CDatabase::CDatabase() = default;

CDatabase::~CDatabase() { Close(); }

void CDatabase::OpenEx(const std::string& connect, unsigned /*options*/) {
  // The driver is never allowed to prompt (SQL_DRIVER_NOPROMPT), which is
  // what the no-dialog option asks for.
  Close();
  SQLHENV env = SQL_NULL_HENV;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  if (!SQL_SUCCEEDED(rc))
    throw CDBException(static_cast<int16_t>(rc), "cannot allocate ODBC environment");
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHDBC dbc = SQL_NULL_HDBC;
  rc = SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  if (!SQL_SUCCEEDED(rc)) {
    std::string error = Diagnostics(SQL_HANDLE_ENV, env);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    throw CDBException(static_cast<int16_t>(rc), error);
  }
  m_strDriverConnect = connect + kDriverTimeouts;
  SQLCHAR out[1024];
  SQLSMALLINT outLength = 0;
  rc = SQLDriverConnect(
      dbc, nullptr,
      reinterpret_cast<SQLCHAR*>(const_cast<char*>(m_strDriverConnect.c_str())),
      SQL_NTS, out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    std::string error = Diagnostics(SQL_HANDLE_DBC, dbc);
    if (error.empty()) error = "cannot connect";
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    throw CDBException(static_cast<int16_t>(rc), std::move(error));
  }
  m_henv = env;
  m_hdbc = dbc;
}

void CDatabase::Close() {
  if (m_hdbc != nullptr) {
    SQLDisconnect(static_cast<SQLHDBC>(m_hdbc));
    SQLFreeHandle(SQL_HANDLE_DBC, static_cast<SQLHDBC>(m_hdbc));
    m_hdbc = nullptr;
  }
  if (m_henv != nullptr) {
    SQLFreeHandle(SQL_HANDLE_ENV, static_cast<SQLHENV>(m_henv));
    m_henv = nullptr;
  }
}

bool CDatabase::AllocStatement(void** stmt) {
  if (m_hdbc == nullptr) return false;
  SQLHDBC dbc = static_cast<SQLHDBC>(m_hdbc);
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, dbc, stmt);
  if (SQL_SUCCEEDED(rc)) return true;
  // Once a statement has met a lost connection, MariaDB Connector/ODBC
  // refuses every new statement with 08003 until the server answers again;
  // then its automatic reconnection (asked for in the connection string)
  // hands out statements on the same connection handle. A lost server is a
  // database error, so that the caller's retries run, never a refusal.
  if (IsConnectionState(SqlState(SQL_HANDLE_DBC, dbc))) Throw(rc, SQL_HANDLE_DBC, dbc);
  return false;
}

void CDatabase::ExecuteSQL(const std::string& sql) {
  if (m_hdbc == nullptr) throw CDBException(SQL_ERROR, "connection is not open");
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (!AllocStatement(&stmt)) throw CDBException(SQL_ERROR, "cannot allocate a statement");
  SQLRETURN rc = PrepareAndExecute(stmt, sql);
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
    std::string error = Diagnostics(SQL_HANDLE_STMT, stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    throw CDBException(static_cast<int16_t>(rc), error.empty() ? "statement failed" : error);
  }
  // A procedure call may leave result sets behind; drain them so the
  // connection is free for the next statement.
  while (SQL_SUCCEEDED(SQLMoreResults(stmt))) {
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

CSRecordset::CSRecordset(CDatabase* database) : m_pDatabase(database) {}

CSRecordset::~CSRecordset() { Close(); }

bool CSRecordset::Open(int openType, const std::string& sql, unsigned options) {
  Close();
  m_nOpenType = openType;
  m_strSQL = sql;
  m_dwOptions = options;
  if (m_pDatabase == nullptr || m_pDatabase->m_hdbc == nullptr) return false;

  SQLHSTMT stmt = SQL_NULL_HSTMT;
  if (!m_pDatabase->AllocStatement(&stmt)) return false;
  m_hstmt = stmt;
  try {
    // No statement attribute is set before the execute: with MariaDB
    // Connector/ODBC 3.1 and automatic reconnection, one set after the
    // connection was lost crashes the driver (a block's row array is set
    // after it, see BindBlock). That driver's default cursor is static, but
    // it reads every result into memory whatever the cursor type (it has no
    // streaming path), and rows are read forward only all the same.
    SQLRETURN rc = PrepareAndExecute(stmt, m_strSQL);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) ThrowDBException(rc);
    SQLSMALLINT count = 0;
    rc = SQLNumResultCols(stmt, &count);
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    m_columnNames.resize(count);
    m_columnTypes.resize(count);
    for (SQLSMALLINT i = 0; i < count; ++i) {
      SQLCHAR name[256] = {};
      SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      rc = SQLDescribeCol(stmt, static_cast<SQLUSMALLINT>(i + 1), name, sizeof name,
                          &nameLength, &dataType, &size, &digits, &nullable);
      if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
      m_columnNames[i] = reinterpret_cast<const char*>(name);
      m_columnTypes[i] = dataType;
    }
    if (count == 0) {
      m_bEOF = true;
    } else {
      if (m_nRowsetSize > 1) BindBlock();
      Fetch();
    }
    m_bBOF = m_bEOF;
  } catch (...) {
    Close();
    throw;
  }
  return true;
}

void CSRecordset::Close() {
  if (m_hstmt != nullptr) {
    SQLFreeHandle(SQL_HANDLE_STMT, static_cast<SQLHSTMT>(m_hstmt));
    m_hstmt = nullptr;
  }
  m_block.reset();  // after the handle: the driver writes into it until then
  m_nRowsBeforeBlock = 0;
  m_columnNames.clear();
  m_columnTypes.clear();
  m_bEOF = true;
  m_bBOF = true;
}

// Binds the columns of the executed statement to a block of rows. The
// statement attributes of the row array are set only now, after the execute:
// a statement attribute set before it, on a connection the server has ended,
// crashes MariaDB Connector/ODBC 3.1 when it reconnects; by now the prepare
// has reconnected.
void CSRecordset::BindBlock() {
  SQLHSTMT stmt = static_cast<SQLHSTMT>(m_hstmt);
  std::vector<SQLULEN> octets(m_columnTypes.size());
  for (size_t i = 0; i < octets.size(); ++i) {
    SQLLEN length = 0;
    SQLRETURN rc = SQLColAttribute(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_DESC_OCTET_LENGTH,
                                   nullptr, 0, nullptr, &length);
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    octets[i] = length > 0 ? static_cast<SQLULEN>(length) : 0;
  }
  std::unique_ptr<RowBlock> block;
  try {
    block = RowBlock::Plan(m_columnTypes, octets, m_nRowsetSize);
  } catch (const std::bad_alloc&) {
    // The block only makes reading faster: without it the same rows come
    // row by row.
  }
  if (block == nullptr) return;  // read row by row
  SQLRETURN rc = block->Bind(stmt);
  if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
  m_block = std::move(block);
}

void CSRecordset::Fetch() {
  if (m_block != nullptr) {
    if (m_block->Next()) return;
    m_nRowsBeforeBlock += static_cast<unsigned long>(m_block->RowsInBlock());
    SQLRETURN rc = m_block->Fetch(static_cast<SQLHSTMT>(m_hstmt));
    if (rc == SQL_NO_DATA) {
      m_bEOF = true;
      return;
    }
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    // The cut text cannot be asked for again: with the drivers at hand, a
    // read of one row of a block (SQLSetPos) gives the block's first row
    // and loses rows after it. Row by row, a text comes whole in pieces.
    if (m_block->TextCut()) {
      ReadOnRowByRow(m_nRowsBeforeBlock);
      return;
    }
    m_bEOF = false;
    return;
  }
  SQLRETURN rc = SQLFetch(static_cast<SQLHSTMT>(m_hstmt));
  if (rc == SQL_NO_DATA) {
    m_bEOF = true;
    return;
  }
  if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
  m_bEOF = false;
}

void CSRecordset::ReadOnRowByRow(unsigned long row) {
  const unsigned long rowsetSize = m_nRowsetSize;
  const std::string sql = m_strSQL;
  m_nRowsetSize = 1;
  bool opened = false;
  try {
    opened = Open(m_nOpenType, sql, m_dwOptions);
  } catch (...) {
    m_nRowsetSize = rowsetSize;
    throw;
  }
  m_nRowsetSize = rowsetSize;
  if (!opened) throw CDBException(SQL_ERROR, "the statement could not be run again");
  for (unsigned long i = 0; i < row && !m_bEOF; ++i) Fetch();
  m_bBOF = row == 0 && m_bEOF;
}

void CSRecordset::MoveNext() {
  if (m_hstmt == nullptr || m_bEOF) return;
  m_bBOF = false;
  Fetch();
}

long long CSRecordset::GetRowCount() const {
  SQLLEN rows = 0;
  if (!SQL_SUCCEEDED(SQLRowCount(static_cast<SQLHSTMT>(m_hstmt), &rows))) return -1;
  return rows;
}

short CSRecordset::GetFieldIndexByName(std::string_view name) const {
  for (size_t i = 0; i < m_columnNames.size(); ++i)
    if (m_columnNames[i] == name) return static_cast<short>(i);
  throw CDBException(SQL_ERROR, "column '" + std::string(name) + "' is not in the result");
}

void CSRecordset::CheckRead(short index) const {
  if (m_hstmt == nullptr || m_bEOF || index < 0 ||
      index >= static_cast<short>(m_columnNames.size()))
    throw CDBException(SQL_ERROR, "no current row or no such column");
  if (m_block != nullptr && m_block->RowFailed()) {
    std::string error = Diagnostics(SQL_HANDLE_STMT, m_hstmt);
    throw CDBException(SQL_ERROR, error.empty() ? "the driver could not read this row" : error);
  }
}

namespace {

[[noreturn]] void ThrowWrongType() {
  throw CDBException(SQL_ERROR, "Restricted data type attribute violation");
}

}  // namespace

// A value of the current row of the block: the same value, the same NULL
// and the same errors as the driver gives one read at a time.
void CSRecordset::GetBlockValue(short index, CDBVariant& value, short cType) const {
  const RowBlock::Column& column = m_block->column(static_cast<size_t>(index));
  const SQLLEN indicator = m_block->Indicator(static_cast<size_t>(index));
  if (indicator == SQL_NULL_DATA) {
    value.m_dwType = CDBVariant::DBVT_NULL;
    return;
  }
  const char* data = m_block->Value(static_cast<size_t>(index));
  if (cType == SQL_C_TIMESTAMP_TYPE) {
    if (column.cType == SQL_C_TYPE_TIMESTAMP) {
      SQL_TIMESTAMP_STRUCT ts;
      std::memcpy(&ts, data, sizeof ts);
      value.m_dwType = CDBVariant::DBVT_DATE;
      value.m_date = DBTimestamp{ts.year,   ts.month,  ts.day,     ts.hour,
                                 ts.minute, ts.second, ts.fraction};
      return;
    }
    if (column.cType != SQL_C_CHAR) ThrowWrongType();
    // Date-times sent as text are converted here, as row by row.
    TimestampText read =
        ParseTimestampText(data, static_cast<size_t>(indicator), value.m_date);
    if (read == TimestampText::kInvalid) throw CDBException(SQL_ERROR, "Datetime field overflow");
    value.m_dwType = read == TimestampText::kNull ? CDBVariant::DBVT_NULL : CDBVariant::DBVT_DATE;
    return;
  }
  if (column.cType == SQL_C_FLOAT) {
    std::memcpy(&value.m_fltVal, data, sizeof value.m_fltVal);
    value.m_dwType = CDBVariant::DBVT_SINGLE;
    return;
  }
  if (column.cType != SQL_C_CHAR) ThrowWrongType();
  // A number sent as text: its leading number, as the driver reads it.
  char* end = nullptr;
  const double number = std::strtod(data, &end);
  if (end == data) throw CDBException(SQL_ERROR, "Invalid character value: the text is not a number");
  value.m_fltVal = static_cast<float>(number);
  value.m_dwType = CDBVariant::DBVT_SINGLE;
}

void CSRecordset::GetFieldValue(short index, CDBVariant& value, short cType) {
  CheckRead(index);
  if (m_block != nullptr) {
    GetBlockValue(index, value, cType);
    return;
  }
  SQLHSTMT stmt = static_cast<SQLHSTMT>(m_hstmt);
  SQLLEN indicator = 0;
  SQLRETURN rc;
  if (cType == SQL_C_TIMESTAMP_TYPE && IsTextType(m_columnTypes[index])) {
    // A date-time the server sends as text is converted here, not by the
    // driver (see db/timestamp_text.h).
    bool isNull = false;
    ReadTextPieces(index, m_text, &isNull);
    if (isNull) {
      value.m_dwType = CDBVariant::DBVT_NULL;
      return;
    }
    const TimestampText read = ParseTimestampText(m_text.data(), m_text.size(), value.m_date);
    if (read == TimestampText::kInvalid)
      throw CDBException(SQL_ERROR, "Datetime field overflow");
    value.m_dwType = read == TimestampText::kNull ? CDBVariant::DBVT_NULL : CDBVariant::DBVT_DATE;
  } else if (cType == SQL_C_TIMESTAMP_TYPE) {
    SQL_TIMESTAMP_STRUCT ts{};
    rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(index + 1), SQL_C_TYPE_TIMESTAMP, &ts,
                    sizeof ts, &indicator);
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    if (indicator == SQL_NULL_DATA) {
      value.m_dwType = CDBVariant::DBVT_NULL;
      return;
    }
    value.m_dwType = CDBVariant::DBVT_DATE;
    value.m_date = DBTimestamp{ts.year,   ts.month,  ts.day,     ts.hour,
                               ts.minute, ts.second, ts.fraction};
  } else {
    float f = 0.0f;
    rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(index + 1), SQL_C_FLOAT, &f, sizeof f,
                    &indicator);
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    if (indicator == SQL_NULL_DATA) {
      value.m_dwType = CDBVariant::DBVT_NULL;
      return;
    }
    value.m_dwType = CDBVariant::DBVT_SINGLE;
    value.m_fltVal = f;
  }
}

void CSRecordset::GetFieldValue(std::string_view name, CDBVariant& value, short cType) {
  GetFieldValue(GetFieldIndexByName(name), value, cType);
}

void CSRecordset::GetFieldValue(short index, std::string& value, bool* isNull) {
  CheckRead(index);
  value.clear();
  if (isNull) *isNull = false;
  if (m_block != nullptr) {
    const RowBlock::Column& column = m_block->column(static_cast<size_t>(index));
    const SQLLEN indicator = m_block->Indicator(static_cast<size_t>(index));
    if (column.cType != SQL_C_CHAR) ThrowWrongType();
    if (indicator == SQL_NULL_DATA) {
      if (isNull) *isNull = true;
      return;
    }
    const char* data = m_block->Value(static_cast<size_t>(index));
    value.assign(data, strnlen(data, static_cast<size_t>(indicator)));
    return;
  }
  ReadTextPieces(index, value, isNull);
}

void CSRecordset::ReadTextPieces(short index, std::string& value, bool* isNull) {
  value.clear();
  SQLHSTMT stmt = static_cast<SQLHSTMT>(m_hstmt);
  char buffer[512];
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt, static_cast<SQLUSMALLINT>(index + 1), SQL_C_CHAR, buffer,
                              sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) ThrowDBException(rc);
    if (indicator == SQL_NULL_DATA) {
      if (isNull) *isNull = true;
      break;
    }
    // A truncated piece fills the buffer but for its terminating NUL.
    bool truncated = rc == SQL_SUCCESS_WITH_INFO &&
                     (indicator == SQL_NO_TOTAL ||
                      indicator >= static_cast<SQLLEN>(sizeof buffer));
    value.append(buffer, truncated ? sizeof buffer - 1 : std::strlen(buffer));
    if (!truncated) break;
  }
}

void CSRecordset::GetFieldValue(std::string_view name, std::string& value, bool* isNull) {
  GetFieldValue(GetFieldIndexByName(name), value, isNull);
}

void CSRecordset::ThrowDBException(int16_t retCode, void* hstmt) {
  Throw(retCode, SQL_HANDLE_STMT, hstmt != nullptr ? hstmt : m_hstmt);
}

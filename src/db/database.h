// Thin database classes over the ODBC C API, the same on every build.
//
// CDatabase is one ODBC connection; CSRecordset runs one statement text as it
// stands and reads its rows forward-only; CDBVariant holds one fetched value;
// CDBException carries an ODBC return code and the driver's error text.
// Failures are thrown as CDBException by value.
#ifndef VELMORA_DB_DATABASE_H_
#define VELMORA_DB_DATABASE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ODBC C data types requested for a CDBVariant.
enum : short {
  SQL_C_FLOAT_TYPE = 7,
  SQL_C_TIMESTAMP_TYPE = 11,
};

class CDBException {
 public:
  CDBException(int16_t retCode, std::string error)
      : m_nRetCode(retCode), m_strError(std::move(error)) {}

  int16_t m_nRetCode;      // the ODBC return code (SQL_ERROR is -1)
  std::string m_strError;  // the driver's diagnostic text, SQLSTATE included
};

struct DBTimestamp {
  int16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint32_t fraction;
};

// One fetched value. A database NULL is DBVT_NULL: no value may be taken.
struct CDBVariant {
  enum Type { DBVT_NULL = 0, DBVT_SINGLE = 1, DBVT_DATE = 2 };
  Type m_dwType = DBVT_NULL;
  float m_fltVal = 0.0f;
  DBTimestamp m_date{};

  bool IsNull() const { return m_dwType == DBVT_NULL; }
};

// A fetched number as a whole number: truncated toward zero, NaN as 0,
// clamped to the int32 range.
int32_t FloatToInt(float value);

class CSRecordset;

// A numeric column of the current row read as the whole number it holds:
// fetched as a 32-bit float and truncated, NULL as 0. Throws CDBException
// when the result has no such column.
int32_t ReadWholeNumber(CSRecordset& rs, std::string_view column);

class CDatabase {
 public:
  enum : unsigned { noOdbcDialog = 8 };

  CDatabase();
  virtual ~CDatabase();  // closes an open connection

  CDatabase(const CDatabase&) = delete;
  CDatabase& operator=(const CDatabase&) = delete;

  // Connects with the connection string as given plus the driver's
  // time-out keywords (see database.cpp). Throws CDBException on failure.
  void OpenEx(const std::string& connect, unsigned options);
  void Close();
  // True while the object holds a connection handle.
  bool IsOpen() const { return m_hdbc != nullptr; }

  // Runs a statement that returns no rows. Throws CDBException.
  void ExecuteSQL(const std::string& sql);

  // Allocates a statement handle on this connection (an SQLHSTMT). False
  // when none can be had; a lost connection (SQLSTATE class 08) throws
  // CDBException instead.
  bool AllocStatement(void** stmt);

  // The text handed to the driver by the last OpenEx.
  const std::string& DriverConnectText() const { return m_strDriverConnect; }

  void* m_henv = nullptr;  // SQLHENV
  void* m_hdbc = nullptr;  // SQLHDBC

 private:
  std::string m_strDriverConnect;
};

class RowBlock;

class CSRecordset {
 public:
  enum : int { forwardOnly = 2 };

  explicit CSRecordset(CDatabase* database);
  virtual ~CSRecordset();  // closes

  CSRecordset(const CSRecordset&) = delete;
  CSRecordset& operator=(const CSRecordset&) = delete;

  // Rows fetched by one call into the driver, for the recordsets opened
  // after it. 1, the default, fetches row by row and reads each value with
  // its own call. Above 1 the columns are bound once to a block of rows
  // (fewer when its rows are wide), and values are read from the block:
  // numbers only as SQL_C_FLOAT, typed date-times only as timestamps, texts
  // as text or, converted here, as a number or a timestamp. A result with a
  // binary column or a very wide text column is read row by row all the same,
  // and so is one whose block cannot be allocated. A block with a text longer
  // than its buffer runs the statement again and reads on row by row from
  // that block's first row, so that every text is read whole. A row the
  // driver failed inside a block fails each read of it, as its read row by
  // row would.
  virtual void SetRowsetSize(unsigned long rows) { m_nRowsetSize = rows > 0 ? rows : 1; }
  unsigned long GetRowsetSize() const { return m_nRowsetSize; }
  // True while the open result is read in blocks.
  bool IsBlockFetch() const { return m_block != nullptr; }

  // Runs the statement text unchanged and moves to the first row. False when
  // no statement handle can be had (nothing is read then), but a lost
  // connection is a database error: it, and any error after that, closes
  // the recordset and throws CDBException.
  virtual bool Open(int openType, const std::string& sql, unsigned options);
  void Close();
  bool IsOpen() const { return m_hstmt != nullptr; }

  bool IsEOF() const { return m_bEOF; }
  bool IsBOF() const { return m_bBOF; }
  void MoveNext();

  short GetODBCFieldCount() const {
    return static_cast<short>(m_columnNames.size());
  }
  // The rows of the open result as the driver counts them; -1 when it
  // cannot say.
  long long GetRowCount() const;
  // The position of a result column, by exact name. Throws CDBException
  // when the result has no column of that name.
  short GetFieldIndexByName(std::string_view name) const;

  // Values of the current row, in any order. A NULL comes back as DBVT_NULL, or as an
  // empty text with *isNull set where asked.
  void GetFieldValue(short index, CDBVariant& value, short cType);
  void GetFieldValue(std::string_view name, CDBVariant& value, short cType);
  void GetFieldValue(short index, std::string& value, bool* isNull = nullptr);
  void GetFieldValue(std::string_view name, std::string& value,
                     bool* isNull = nullptr);

  // Throws a CDBException for the return code with the diagnostics of the
  // given statement handle, or of this recordset's own when none is given.
  [[noreturn]] virtual void ThrowDBException(int16_t retCode,
                                             void* hstmt = nullptr);

  CDatabase* m_pDatabase;
  void* m_hstmt = nullptr;  // SQLHSTMT
  std::string m_strSQL;
  int m_nOpenType = forwardOnly;
  unsigned m_dwOptions = 0;

 private:
  void Fetch();
  // Runs the statement again without a block and stands on its row `row`
  // (counted from 0).
  void ReadOnRowByRow(unsigned long row);
  // The text of a column of the current row, read from the driver piece by
  // piece; *isNull (when given) says whether it was NULL.
  void ReadTextPieces(short index, std::string& value, bool* isNull);
  void BindBlock();
  void CheckRead(short index) const;
  void GetBlockValue(short index, CDBVariant& value, short cType) const;

  unsigned long m_nRowsetSize = 1;
  std::unique_ptr<RowBlock> m_block;
  unsigned long m_nRowsBeforeBlock = 0;  // rows of the result before the block
  std::vector<std::string> m_columnNames;
  std::vector<short> m_columnTypes;  // the SQL type the driver describes
  std::string m_text;  // a date-time's text, read before it is converted
  bool m_bEOF = true;
  bool m_bBOF = true;
};

#endif  // VELMORA_DB_DATABASE_H_

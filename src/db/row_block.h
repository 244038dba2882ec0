// Rows fetched a block at a time: every column of an executed statement is
// bound once to a row-wise array, and each SQLFetch fills up to a block of
// rows, so that reading a value is a look into memory instead of a call into
// the driver.
#ifndef VELMORA_DB_ROW_BLOCK_H_
#define VELMORA_DB_ROW_BLOCK_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/odbc.h"

class RowBlock {
 public:
  // How a column is held in the block. Numbers as 32-bit floats (the only
  // number a reader asks for), typed date-times as timestamps, texts as
  // NUL-terminated text of the column's full width, or of kTextBound bytes
  // for a wider column (a longer value is then cut short: see TextCut).
  struct Column {
    SQLSMALLINT cType;
    size_t offset;  // of the value within a row; the indicator precedes it
    SQLLEN width;   // bytes of the value's buffer
  };

  // The binding for an executed statement's columns, described by their SQL
  // types and their lengths in bytes; null when a column cannot be held in a
  // block (binary data, or text with no length or one too long to lay out
  // for every row), in which case the caller reads row by row. A block
  // holds `rows` rows, or fewer where that many would pass 64 KiB. Throws
  // std::bad_alloc when the block cannot be had.
  static std::unique_ptr<RowBlock> Plan(const std::vector<short>& sqlTypes,
                                        const std::vector<SQLULEN>& octetLengths, size_t rows);

  // The widest buffer a text value gets in a block, in bytes.
  static constexpr SQLULEN kTextBound = 256;

  RowBlock(const RowBlock&) = delete;
  RowBlock& operator=(const RowBlock&) = delete;

  // Binds the columns, the row array and its row status array on the
  // statement. Call after the statement has been executed and before its
  // first fetch.
  SQLRETURN Bind(SQLHSTMT stmt);

  // Fetches the next block and stands on its first row. SQL_NO_DATA (or a
  // success with no row) at the end of the result.
  SQLRETURN Fetch(SQLHSTMT stmt);
  // Steps to the next row of the block; false past its last row.
  bool Next() { return ++m_row < m_fetched; }
  size_t RowsInBlock() const { return static_cast<size_t>(m_fetched); }
  // Whether the driver marked the current row failed: its values are not
  // in the block.
  bool RowFailed() const { return m_status[m_row] == SQL_ROW_ERROR; }
  // Whether a text of any row of the block did not fit its buffer.
  bool TextCut() const;

  const Column& column(size_t index) const { return m_columns[index]; }
  // The current row's value of a column and its length or SQL_NULL_DATA.
  const char* Value(size_t index) const {
    return m_data + m_row * m_rowSize + m_columns[index].offset;
  }
  SQLLEN Indicator(size_t index) const {
    SQLLEN indicator;
    std::memcpy(&indicator, Value(index) - sizeof(SQLLEN), sizeof indicator);
    return indicator;
  }

 private:
  RowBlock() = default;

  std::vector<Column> m_columns;
  size_t m_rowSize = 0;
  size_t m_rows = 0;
  std::unique_ptr<SQLLEN[]> m_storage;  // SQLLEN elements keep every row aligned
  std::unique_ptr<SQLUSMALLINT[]> m_status;
  char* m_data = nullptr;
  SQLULEN m_fetched = 0;
  size_t m_row = 0;
};

#endif  // VELMORA_DB_ROW_BLOCK_H_

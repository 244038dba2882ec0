#include "db/row_block.h"

#include <algorithm>

namespace {

// A text column wider than this is read row by row: a block would have to
// lay out its full width for every row.
constexpr SQLULEN kWidestText = 8192;
// The most memory one block takes; wide rows make a block of fewer rows.
constexpr size_t kBlockBytes = 1 << 16;

constexpr size_t AlignUp(size_t n) {
  return (n + sizeof(SQLLEN) - 1) / sizeof(SQLLEN) * sizeof(SQLLEN);
}

}  // namespace

std::unique_ptr<RowBlock> RowBlock::Plan(const std::vector<short>& sqlTypes,
                                         const std::vector<SQLULEN>& octetLengths, size_t rows) {
  std::unique_ptr<RowBlock> block(new RowBlock());
  size_t offset = 0;
  for (size_t i = 0; i < sqlTypes.size(); ++i) {
    Column column{};
    switch (sqlTypes[i]) {
      case SQL_CHAR:
      case SQL_VARCHAR:
      case SQL_LONGVARCHAR:
      case SQL_WCHAR:
      case SQL_WVARCHAR:
      case SQL_WLONGVARCHAR: {
        // A wide column's length counts UTF-16 bytes; as 8-bit text (UTF-8
        // at worst) it takes up to half as much again.
        const bool wide = sqlTypes[i] == SQL_WCHAR || sqlTypes[i] == SQL_WVARCHAR ||
                          sqlTypes[i] == SQL_WLONGVARCHAR;
        const SQLULEN bytes = wide ? octetLengths[i] * 2 : octetLengths[i];
        if (bytes == 0 || bytes > kWidestText) return nullptr;
        column.cType = SQL_C_CHAR;
        // Values are mostly far shorter than their column allows: a wider
        // buffer would only make the block hold fewer rows.
        column.width = static_cast<SQLLEN>(std::min(bytes, kTextBound) + 1);
        break;
      }
      case SQL_TYPE_DATE:
      case SQL_TYPE_TIME:
      case SQL_TYPE_TIMESTAMP:
      case SQL_DATE:
      case SQL_TIME:
      case SQL_TIMESTAMP:
        column.cType = SQL_C_TYPE_TIMESTAMP;
        column.width = sizeof(SQL_TIMESTAMP_STRUCT);
        break;
      case SQL_BINARY:
      case SQL_VARBINARY:
      case SQL_LONGVARBINARY:
        return nullptr;
      default:
        column.cType = SQL_C_FLOAT;
        column.width = sizeof(SQLREAL);
        break;
    }
    // Each value follows its indicator; both stay aligned in every row.
    offset += sizeof(SQLLEN);
    column.offset = offset;
    offset = AlignUp(offset + static_cast<size_t>(column.width));
    block->m_columns.push_back(column);
  }
  block->m_rowSize = std::max<size_t>(offset, sizeof(SQLLEN));
  block->m_rows = std::clamp<size_t>(kBlockBytes / block->m_rowSize, 1, std::max<size_t>(rows, 1));
  // Left uninitialised: every fetch writes the rows it reports.
  block->m_storage.reset(new SQLLEN[block->m_rowSize / sizeof(SQLLEN) * block->m_rows]);
  block->m_data = reinterpret_cast<char*>(block->m_storage.get());
  block->m_status.reset(new SQLUSMALLINT[block->m_rows]);
  return block;
}

SQLRETURN RowBlock::Bind(SQLHSTMT stmt) {
  // Row-wise binding: one row's values and indicators lie together, and the
  // driver steps through the block by the row's size.
  SQLRETURN rc = SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE,
                                reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_rowSize)), 0);
  if (SQL_SUCCEEDED(rc))
    rc = SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_rows)), 0);
  if (SQL_SUCCEEDED(rc)) rc = SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0);
  // A driver may fail single rows of a block and still report the fetch a
  // success: only the row's status tells.
  if (SQL_SUCCEEDED(rc)) rc = SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, m_status.get(), 0);
  for (size_t i = 0; i < m_columns.size() && SQL_SUCCEEDED(rc); ++i) {
    const Column& column = m_columns[i];
    rc = SQLBindCol(stmt, static_cast<SQLUSMALLINT>(i + 1), column.cType, m_data + column.offset,
                    column.width, reinterpret_cast<SQLLEN*>(m_data + column.offset - sizeof(SQLLEN)));
  }
  return rc;
}

SQLRETURN RowBlock::Fetch(SQLHSTMT stmt) {
  m_fetched = 0;
  m_row = 0;
  SQLRETURN rc = SQLFetch(stmt);
  if (SQL_SUCCEEDED(rc) && m_fetched == 0) rc = SQL_NO_DATA;
  return rc;
}

bool RowBlock::TextCut() const {
  for (size_t row = 0; row < m_fetched; ++row) {
    for (const Column& column : m_columns) {
      if (column.cType != SQL_C_CHAR) continue;
      SQLLEN indicator;
      std::memcpy(&indicator, m_data + row * m_rowSize + column.offset - sizeof(SQLLEN),
                  sizeof indicator);
      if (indicator == SQL_NO_TOTAL || indicator >= column.width) return true;
    }
  }
  return false;
}

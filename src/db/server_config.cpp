#include "db/server_config.h"

#include <cstdio>

#include "db/database.h"
#include "db/statements.h"
#include "plugin/global.h"

namespace {

void ReadDate(CSRecordset& rs, const char* column, int32_t& number, std::string& text) {
  CDBVariant value;
  rs.GetFieldValue(column, value, SQL_C_TIMESTAMP_TYPE);
  if (value.IsNull()) return;
  number = DateNumber(value.m_date);
  text = DateText(value.m_date);
}

void RaiseInterval(CSRecordset& rs, const char* column, int32_t& seconds) {
  CDBVariant value;
  rs.GetFieldValue(column, value, SQL_C_FLOAT_TYPE);
  if (value.IsNull()) return;
  int32_t read = FloatToInt(value.m_fltVal);
  if (read > seconds) seconds = read;
}

}  // namespace

int DateNumber(const DBTimestamp& date) {
  return (date.year * 100 + date.month) * 100 + date.day;
}

std::string DateText(const DBTimestamp& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

void LoadServerConfig(CGlobal& g) {
  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly, ServerConfigStatement(g), 0)) return;
  while (!rs.IsEOF()) {
    ReadDate(rs, "Backfill_EOD", g.m_nBackfillEod, g.m_strBackfillEod);
    ReadDate(rs, "Backfill_Intraday", g.m_nBackfillIntraday, g.m_strBackfillIntraday);
    RaiseInterval(rs, "TimerEventTrade", g.m_nTradeInterval);
    RaiseInterval(rs, "TimerEventEOD", g.m_nEodInterval);
    rs.MoveNext();
  }
}

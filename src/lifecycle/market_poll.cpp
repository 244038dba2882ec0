#include "lifecycle/market_poll.h"

#include "db/database.h"
#include "db/server_config.h"
#include "db/session.h"
#include "db/statements.h"
#include "plugin/global.h"

int PollMarketStatus(CGlobal& g) {
  g.m_nSessionStatus = 0;
  int result = 0;

  const MarketStatusColumns c = MarketStatusNames(g);
  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly, MarketStatusStatement(g), 0) || rs.IsEOF())
    return 0;

  int a = 0, b = 0;
  while (!rs.IsEOF()) {
    rs.GetFieldValue(c.statusMessage, g.m_strStatusMessage);
    g.m_bMarketClosed = ReadWholeNumber(rs, c.marketClosed);
    a = ReadWholeNumber(rs, c.prevConnId);
    b = ReadWholeNumber(rs, c.connId);
    g.m_nSessionStatus = ReadWholeNumber(rs, c.sessionStatus);
    result = g.m_nSessionStatus == 0 ? 1 : 0;
    CDBVariant day;
    rs.GetFieldValue(c.marketDate, day, SQL_C_TIMESTAMP_TYPE);
    if (!day.IsNull()) g.m_nMarketDate = DateNumber(day.m_date);
    g.m_bEod = ReadWholeNumber(rs, c.eod);
    rs.MoveNext();
  }
  if (a != b) {
    g.m_pDatabase->ExecuteSQL(ConnIdCall(g, a, b));
    g.m_nCurrConnId = b;
  }
  return result;
}

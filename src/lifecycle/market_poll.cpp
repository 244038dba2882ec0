#include "lifecycle/market_poll.h"

#include "db/database.h"
#include "db/server_config.h"
#include "db/session.h"
#include "db/statements.h"
#include "plugin/global.h"

int PollMarketStatus(CGlobal& g) {
  g.m_nSessionStatus = 0;
  int result = 0;

  const std::string prevId = AssembleName(g, "PrevConnID");
  const std::string currId = AssembleName(g, "ConnID");
  const std::string status = AssembleName(g, "SessionStatus");
  const std::string date = AssembleName(g, "MarketDate");
  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly, MarketStatusStatement(g), 0) || rs.IsEOF())
    return 0;

  int a = 0, b = 0;
  while (!rs.IsEOF()) {
    rs.GetFieldValue("StatusMessage", g.m_strStatusMessage);
    g.m_bMarketClosed = ReadWholeNumber(rs, "isMarketClosed");
    a = ReadWholeNumber(rs, prevId);
    b = ReadWholeNumber(rs, currId);
    g.m_nSessionStatus = ReadWholeNumber(rs, status);
    result = g.m_nSessionStatus == 0 ? 1 : 0;
    CDBVariant day;
    rs.GetFieldValue(date, day, SQL_C_TIMESTAMP_TYPE);
    if (!day.IsNull()) g.m_nMarketDate = DateNumber(day.m_date);
    g.m_bEod = ReadWholeNumber(rs, "EOD");
    rs.MoveNext();
  }
  if (a != b) {
    g.m_pDatabase->ExecuteSQL(ConnIdCall(g, a, b));
    g.m_nCurrConnId = b;
  }
  return result;
}

#include "lifecycle/market_poll.h"

#include "db/database.h"
#include "db/format.h"
#include "db/server_config.h"
#include "db/session.h"
#include "plugin/global.h"

int PollMarketStatus(CGlobal& g) {
  g.m_nSessionStatus = 0;
  int result = 0;

  const std::string market = g.m_strNameShared + AssembleName(g, ".") + g.m_strPollName1;
  const std::string session = g.m_strNameShared + AssembleName(g, ".") + g.m_strPollName2;
  const std::string prevId = AssembleName(g, "PrevConnID");
  const std::string currId = AssembleName(g, "ConnID");
  const std::string status = AssembleName(g, "SessionStatus");
  const std::string date = AssembleName(g, "MarketDate");
  const std::string format =
      std::string(g.m_szSelect) + " " + g.m_strPollName1 + ".StatusMessage," +
      g.m_strPollName1 + ".isMarketClosed," + g.m_strPollName2 + ".LastConnID As " + prevId +
      "," + g.m_strPollName2 + ".CurrConnID As " + currId + "," + g.m_strPollName2 + "." +
      status + "," + g.m_strPollName1 + "." + date + "," + g.m_strPollName1 + ".EOD " +
      g.m_szFrom + " " + market + "," + session + " " + g.m_szWhere + " " +
      g.m_strPollName2 + AssembleName(g, ".Email='%s' And ") + g.m_strPollName2 +
      AssembleName(g, ".ClientID='%s'");

  CSRecordset rs(g.m_pDatabase);
  if (!rs.Open(CSRecordset::forwardOnly,
               FormatText(format.c_str(), CallText(g.m_strEmail).c_str(),
                          CallText(g.m_strClientId).c_str()),
               0) ||
      rs.IsEOF())
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
    g.m_pDatabase->ExecuteSQL(FormatText(
        (std::string(g.m_szCall) + AssembleName(g, " ") + g.m_strPollName3 +
         AssembleName(g, "('%s','%s',%d,%d,%d)"))
            .c_str(),
        CallText(g.m_strClientId).c_str(), CallText(g.m_strEmail).c_str(), a, b,
        g.m_nTradeInterval));
    g.m_nCurrConnId = b;
  }
  return result;
}

#include "db/session.h"

#include <cstdio>
#include <vector>

#include "db/database.h"
#include "db/server_config.h"
#include "db/settings.h"
#include "db/statements.h"
#include "platform/platform.h"
#include "plugin/global.h"

namespace {

void Register(CGlobal& g) { g.m_pDatabase->ExecuteSQL(RegisterCall(g)); }

void Log(CGlobal& g, const std::string& message) {
  g.m_pDatabase->ExecuteSQL(LogCall(g, message));
}

}  // namespace

int IsUserLoginOk(CGlobal& g) {
  int result = 0;
  platform::WaitCursor wait;
  try {
    CSRecordset rs(g.m_pDatabase);
    if (rs.Open(CSRecordset::forwardOnly, SessionStatement(g), 0)) {
      while (!rs.IsEOF()) {
        int last = ReadWholeNumber(rs, "LastConnID");
        g.m_nLastConnId = last != g.m_nCurrConnId ? last : 0;
        g.m_nCurrConnId = ReadWholeNumber(rs, "CurrConnID");
        result = ReadWholeNumber(rs, "Permit");
        rs.GetFieldValue("ColCloseBidAsk", g.m_strColCloseBidAsk);
        rs.GetFieldValue("ColBid", g.m_strColBid);
        rs.GetFieldValue("ColAsk", g.m_strColAsk);
        rs.GetFieldValue(g.m_strUserNameKey, g.m_strUserName);
        rs.GetFieldValue(g.m_strEmailColumn, g.m_strEmail);
        RegWriteString(kSettingsKey, g.m_strUserNameKey, g.m_strUserName);
        RegWriteString(kSettingsKey, g.m_strEmailKey, g.m_strEmail);
        CDBVariant start;
        rs.GetFieldValue("IntradayStart", start, SQL_C_TIMESTAMP_TYPE);
        if (!start.IsNull()) {
          g.m_nBackfillIntraday = DateNumber(start.m_date);
          g.m_strBackfillIntraday = DateText(start.m_date);
        }
        BuildEodColumnList(g);
        BuildIntradayColumnList(g);
        rs.MoveNext();
      }
    }
    rs.Close();
    if (result != 0 && g.m_nLastConnId == 0) {
      g.m_nSessionSeq = 0;
      Register(g);
      return result;
    }
    if (result != 0) {
      Log(g, kSessionInUseText);
      return 0;
    }
    ++g.m_nSessionSeq;
    Register(g);
    return 0;
  } catch (const CDBException& e) {
    try {
      Log(g, "IsUserLoginOk Exception: " + e.m_strError);
    } catch (const CDBException&) {
      // The log is out of reach too; the refusal stands.
    }
    return 0;
  }
}

void DisconnectSession(CGlobal& g) {
  if (g.m_pDatabase == nullptr) return;
  try {
    if (g.m_pDatabase->IsOpen())
      g.m_pDatabase->ExecuteSQL(DisconnectCall(g));
    g.m_pDatabase->Close();
  } catch (const CDBException&) {
  }
  delete g.m_pDatabase;
  g.m_pDatabase = nullptr;
}

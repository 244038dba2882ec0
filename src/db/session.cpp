#include "db/session.h"

#include <cstdio>
#include <vector>

#include "bars/bar_query.h"
#include "db/database.h"
#include "db/format.h"
#include "db/server_config.h"
#include "db/settings.h"
#include "platform/platform.h"
#include "plugin/global.h"

namespace {

// "Call" and its separator, then the procedure's template.
std::string CallTemplate(const CGlobal& g, const std::string& procedure) {
  return std::string(g.m_szCall) + AssembleName(g, " ") + procedure;
}

void Register(CGlobal& g) {
  g.m_pDatabase->ExecuteSQL(FormatText(CallTemplate(g, g.m_strSessionProc).c_str(),
                                   CallText(g.m_strClientId).c_str(),
                                   CallText(g.m_strEmail).c_str(),
                                   CallText(g.m_strVersion).c_str(),
                                   CallText(g.m_strPlatformBits).c_str(), g.m_nSessionSeq));
}

void Log(CGlobal& g, const std::string& message) {
  g.m_pDatabase->ExecuteSQL(FormatText(CallTemplate(g, g.m_strLogProc).c_str(),
                                   CallText(g.m_strClientId).c_str(),
                                   CallText(g.m_strEmail).c_str(), CallText(message).c_str()));
}

}  // namespace

std::string CallText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\'' || c == '\\') out += c;
    out += c;
  }
  return out;
}

int IsUserLoginOk(CGlobal& g) {
  int result = 0;
  platform::WaitCursor wait;
  try {
    const std::string columns = AssembleName(
        g, "LastConnID,CurrConnID,Permit,ColCloseBidAsk,ColBid,ColAsk," + g.m_strUserNameKey +
               "," + g.m_strEmailColumn + ",IntradayStart");
    const std::string format = std::string(g.m_szSelect) + " " + columns + " " + g.m_szFrom +
                               " " + g.m_strNameShared + AssembleName(g, ".") +
                               g.m_strSessionTable + " " + g.m_szWhere + " " +
                               AssembleName(g, "ClientID='%s' And LENGTH('%s')>0");
    const std::string id = CallText(g.m_strClientId);
    CSRecordset rs(g.m_pDatabase);
    if (rs.Open(CSRecordset::forwardOnly, FormatText(format.c_str(), id.c_str(), id.c_str()), 0)) {
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
      g.m_pDatabase->ExecuteSQL(FormatText("%s Plugin223_Disconnect('%s','%s',%d)", g.m_szCall,
                                       CallText(g.m_strClientId).c_str(),
                                       CallText(g.m_strEmail).c_str(), g.m_nSessionStatus));
    g.m_pDatabase->Close();
  } catch (const CDBException&) {
  }
  delete g.m_pDatabase;
  g.m_pDatabase = nullptr;
}

#include "plugin/global.h"

#include <cstring>

#include "db/database.h"
#include "db/quoting.h"
#include "plugin/version.h"

namespace {

void Lay(char* buffer, size_t size, const char* text) {
  std::memset(buffer, 0, size);
  std::strncpy(buffer, text, size - 1);
}

}  // namespace

CGlobal::CGlobal()
    : m_strColAdjClose("AdjClose"),
      m_strColClose("Close"),
      m_strColTrDate("TrDate"),
      m_strColHigh("High"),
      m_strColLow("Low"),
      m_strColOpen("Open"),
      m_strColCloseBidAsk("CloseBidAsk"),
      m_strColBid("Bid"),
      m_strColAsk("Ask"),
      m_strColVolume("Volume"),
      m_strServerAddress("quotes.velmora.co.id"),
      m_strServerPort("1971"),
      m_pDatabase(nullptr),
      m_bAutoConnect(0),
      m_hMainWnd(nullptr),
      m_nDialect(0),
      m_nSessionSeq(0),
      m_nLastConnId(0),
      m_nCurrConnId(0),
      m_bMarketClosed(0),
      m_strStartTime("00:00"),
      m_nBackfillEod(0),
      m_nBackfillIntraday(0),
      m_strPlatformBits(platform::PlatformBits()),
      m_strVersion(kVersionFourPart),
      m_szConnBase{},
      m_nSessionStatus(0),
      m_bRemoveZeroVolume(1),
      m_bEod(0),
      m_nMarketDate(0),
      m_nTradeInterval(5),
      m_nEodInterval(30) {
  // The compiled-in account of the data server.
  Lay(m_szUid, sizeof m_szUid, ";UID=velmora_plugin");
  Lay(m_szPwd, sizeof m_szPwd, ";PWD=Vm7plugin2026");
  Lay(m_szSelect, sizeof m_szSelect, "Select");
  Lay(m_szFrom, sizeof m_szFrom, "From");
  Lay(m_szWhere, sizeof m_szWhere, "Where");
  Lay(m_szCall, sizeof m_szCall, "Call");
  Lay(m_szOrderBy, sizeof m_szOrderBy, "Order By");

  // The table and the codes come first: assembling reads them.
  for (int i = 0; i < 256; ++i) m_charTable[i] = static_cast<unsigned char>(i);
  for (size_t i = 0; i < kCharSet.size(); ++i)
    m_nCharCodes[i] = static_cast<unsigned char>(kCharSet[i]);

  m_strNameShared = AssembleName(*this, "db_amiplugin");
  m_strPollName1 = AssembleName(*this, "NVMarket");
  m_strPollName2 = AssembleName(*this, "NVSession");
  m_strPollName3 = AssembleName(*this, "Plugin223_ConnId");
  m_strLogProc = AssembleName(*this, "Plugin223_Log('%s','%s','%s')");
  m_strSessionProc =
      AssembleName(*this, "Plugin223_Register('%s','%s','%s','%s',%d)");
  m_strUserNameKey = AssembleName(*this, "UserName");
  m_strEmailKey = AssembleName(*this, "UserEmail");
  m_strEmailColumn = AssembleName(*this, "Email");
  m_strSessionTable = AssembleName(*this, "NVSession");
}

CGlobal::~CGlobal() {
  // Closes a connection that is still open; no procedure is called here.
  delete m_pDatabase;
  m_pDatabase = nullptr;
}

std::string AssembleName(const CGlobal& g, std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    size_t pos = CGlobal::kCharSet.find(c);
    int code = pos == std::string_view::npos ? static_cast<unsigned char>(c)
                                             : g.m_nCharCodes[pos];
    char one = static_cast<char>(g.m_charTable[code & 0xFF]);
    out += QuoteName(g, std::string_view(&one, 1));
  }
  return out;
}

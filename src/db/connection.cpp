#include "db/connection.h"

#include <cstdio>
#include <cstring>

#include "db/database.h"
#include "db/quoting.h"
#include "db/server_config.h"
#include "platform/platform.h"
#include "plugin/global.h"

void BuildConnectString(CGlobal& g) {
  // 4194304: the driver reconnects by itself once the server is back.
  static const char kHead[] =
      "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=db_amiplugin;OPTION=4194304";
  static_assert(sizeof kHead <= sizeof g.m_szConnBase);
  std::memcpy(g.m_szConnBase, kHead, sizeof kHead);
  g.m_strConnect = g.m_szConnBase;

  std::string serverKey;
  for (char c : std::string_view(";SERVER=")) serverKey += QuoteName(g, AssembleName(g, {&c, 1}));
  std::string portKey;
  for (char c : std::string_view(";PORT=")) portKey += QuoteName(g, AssembleName(g, {&c, 1}));
  g.m_strConnect += serverKey;
  g.m_strConnect += QuoteName(g, g.m_strServerAddress);
  g.m_strConnect += portKey;
  g.m_strConnect += QuoteName(g, g.m_strServerPort);
  g.m_strConnect += QuoteName(g, g.m_szUid);
  g.m_strConnect += QuoteName(g, g.m_szPwd);
}

void OpenDatabase(CGlobal& g) {
  if (g.m_strConnect.empty()) return;
  platform::WaitCursor wait;
  try {
    if (g.m_pDatabase == nullptr) g.m_pDatabase = new CDatabase;
    if (g.m_pDatabase->IsOpen()) g.m_pDatabase->Close();
    g.m_pDatabase->OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
    LoadServerConfig(g);
  } catch (const CDBException& e) {
    // Gone before the box: a timer that ticks inside its modal loop finds
    // no connection rather than a half-made one.
    delete g.m_pDatabase;
    g.m_pDatabase = nullptr;
    char text[1024];
    std::snprintf(text, sizeof text, "#%d:Can't connect to server on '%s' !.",
                  static_cast<int>(e.m_nRetCode), g.m_strServerAddress.c_str());
    platform::ShowMessageBox(text, 0x30);
  }
}

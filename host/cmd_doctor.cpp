// doctor: what is wrong with this installation, one line a check.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "src/db/connection.h"
#include "src/db/database.h"
#include "src/db/server_config.h"
#include "src/db/session.h"
#include "src/db/settings.h"
#include "src/plugin/global.h"
#include "src/platform/registry.h"

namespace {

int g_failures = 0;

void Line(bool ok, const std::string& what) {
  std::printf("%-4s %s\n", ok ? "ok" : "FAIL", what.c_str());
  if (!ok) ++g_failures;
}

int Doctor(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  g_failures = 0;
  // With AutoConnect the plug-in connected at the host's start and holds
  // the session itself.
  const bool pluginConnected = std::string(session.Status().szShortMessage) == "Conn";
  CGlobal g;
  std::string probe;
  uint32_t number = 0;
  bool key = platform::RegistryReadString(kSettingsKey, "ServerAddress", &probe) ||
             platform::RegistryReadNumber(kSettingsKey, "AutoConnect", &number);
  LoadSettings(g);
  Line(key && !g.m_strServerAddress.empty() && !g.m_strServerPort.empty(),
       "settings: HKCU\\" + std::string(kSettingsKey) + ": server '" + g.m_strServerAddress +
           "', port '" + g.m_strServerPort + "', AutoConnect " +
           std::to_string(g.m_bAutoConnect) + (key ? "" : " (the key is missing)"));
  Line(!g.m_strClientId.empty(), "installation id: '" + g.m_strClientId + "'");

  CDatabase db;
  auto start = std::chrono::steady_clock::now();
  try {
    db.OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
  } catch (const CDBException& e) {
    const bool noDriver = e.m_strError.find("not found") != std::string::npos ||
                          e.m_strError.find("Can't open lib") != std::string::npos;
    Line(false, noDriver ? "driver \"MySQL ODBC 3.51 Driver\" is not registered (check "
                           "ODBCSYSINI and odbcinst.ini): " + e.m_strError
                         : "server: cannot connect: " + e.m_strError);
    return 1;
  }
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
  Line(true, "driver \"MySQL ODBC 3.51 Driver\" and server " + g.m_strServerAddress + ":" +
                 g.m_strServerPort + " reached in " + std::to_string(static_cast<int>(ms)) +
                 " ms");
  g.m_pDatabase = &db;
  try {
    LoadServerConfig(g);
    Line(true, "NVConfig: backfill from " + g.m_strBackfillEod + " (daily), " +
                   g.m_strBackfillIntraday + " (intraday); polls every " +
                   std::to_string(g.m_nTradeInterval) + " s, " +
                   std::to_string(g.m_nEodInterval) + " s after the close");
  } catch (const CDBException& e) {
    Line(false, "NVConfig is not readable: " + e.m_strError);
  }
  try {
    CSRecordset rs(&db);
    rs.Open(CSRecordset::forwardOnly,
            "Select Permit,UserName,LastConnID From db_amiplugin.NVSession Where ClientID='" +
                CallText(g.m_strClientId) + "'",
            0);
    if (rs.IsEOF()) {
      Line(false, "session record: none for '" + g.m_strClientId +
                      "' (create it: server/velmora-admin session " + g.m_strClientId + ")");
    } else {
      CDBVariant permit, held;
      std::string user;
      rs.GetFieldValue(static_cast<short>(0), permit, SQL_C_FLOAT_TYPE);
      rs.GetFieldValue(static_cast<short>(1), user);
      rs.GetFieldValue(static_cast<short>(2), held, SQL_C_FLOAT_TYPE);
      const bool allowed = !permit.IsNull() && permit.m_fltVal != 0.0f;
      // A plug-in that starts takes over only a session no connection holds.
      const int holder = held.IsNull() ? 0 : FloatToInt(held.m_fltVal);
      Line(allowed && (holder == 0 || pluginConnected),
           "session record: user '" + user + "'" +
               (!allowed ? ", but the login is not permitted"
                : pluginConnected ? ", held by this host's plug-in (connected)"
                : holder != 0
                    ? ", but connection " + std::to_string(holder) +
                          " holds the session (another copy is connected, or the last one "
                          "ended without disconnecting)"
                    : ""));
    }
  } catch (const CDBException& e) {
    Line(false, "session record is not readable: " + e.m_strError);
  }
  g.m_pDatabase = nullptr;
  return g_failures == 0 ? 0 : 1;
}

const CommandRegistration kDoctor("doctor",
                                  "doctor            what is wrong with this installation",
                                  Doctor);

}  // namespace

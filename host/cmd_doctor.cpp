// doctor: what is wrong with this installation, one line a check, each
// saying what the plug-in will do about it.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/doctor_settings.h"
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

void Print(const DoctorLine& line) {
  static const char* const kLevels[] = {"ok", "info", "warn", "FAIL"};
  std::printf("%-4s %s\n", kLevels[line.level], line.text.c_str());
  if (line.level == DoctorLine::kFail) ++g_failures;
}

void Line(bool ok, const std::string& what) {
  Print({ok ? DoctorLine::kOk : DoctorLine::kFail, what});
}

bool Has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Why the driver could not open the connection, in the words of what to do.
std::string ConnectFailure(const std::string& error, const std::string& where) {
  if (Has(error, "not found") || Has(error, "Can't open lib"))
    return "driver \"MySQL ODBC 3.51 Driver\" is not registered (check ODBCSYSINI and "
           "odbcinst.ini): " + error;
  if (Has(error, "Can't connect"))
    return "server: nothing answers at " + where +
           ": the data server is not running there (the private one starts with "
           "scripts/dbserver start): " + error;
  if (Has(error, "Unknown server host"))
    return "server: the driver cannot resolve " + where + ": " + error;
  if (Has(error, "Access denied"))
    return "server at " + where + " refuses the plug-in's account: " + error;
  return "server: cannot connect to " + where + ": " + error;
}

void CheckSession(CDatabase& db, const CGlobal& g, bool pluginConnected) {
  const std::string admin = "server/velmora-admin session " + g.m_strClientId;
  try {
    CSRecordset rs(&db);
    rs.Open(CSRecordset::forwardOnly,
            "Select Permit,UserName,LastConnID,CurrConnID,SessionStatus From "
            "db_amiplugin.NVSession Where ClientID='" + CallText(g.m_strClientId) + "'",
            0);
    if (rs.IsEOF()) {
      Line(false, "session refused: no record for " + Shown(g.m_strClientId) +
                      ", so the plug-in's check refuses the login (status Error); create it: " +
                      admin);
      return;
    }
    CDBVariant permit, last, curr, status;
    std::string user;
    rs.GetFieldValue(static_cast<short>(0), permit, SQL_C_FLOAT_TYPE);
    rs.GetFieldValue(static_cast<short>(1), user);
    rs.GetFieldValue(static_cast<short>(2), last, SQL_C_FLOAT_TYPE);
    rs.GetFieldValue(static_cast<short>(3), curr, SQL_C_FLOAT_TYPE);
    rs.GetFieldValue(static_cast<short>(4), status, SQL_C_FLOAT_TYPE);
    auto number = [](const CDBVariant& v) { return v.IsNull() ? 0 : FloatToInt(v.m_fltVal); };
    const int holder = number(last), granted = number(curr), ended = number(status);
    const std::string who = "session of user " + Shown(user);
    if (number(permit) == 0) {
      Line(false, "session refused: the login of user " + Shown(user) +
                      " is not permitted (Permit 0), so the plug-in shows Error; allow it: " +
                      admin + " --permit 1");
    } else if (ended != 0) {
      Line(false, who + ": the server has ended it (SessionStatus " + std::to_string(ended) +
                      "): the plug-in " + (pluginConnected ? "is connected but" : "connects, then") +
                      " at its next market-status poll disconnects, with no retry; clear it: " +
                      admin + " --status 0");
    } else if (pluginConnected && holder != granted) {
      Line(true, who + " was taken over: the record says connection " + std::to_string(holder) +
                     " holds it while the server grants connection " + std::to_string(granted) +
                     "; at its next market-status poll this host's plug-in reports both and "
                     "takes connection " + std::to_string(granted) + " as its own");
    } else if (pluginConnected) {
      Line(true, who + ": held by this host's plug-in (connected as connection " +
                     std::to_string(granted) + ")");
    } else if (holder != 0) {
      Line(false, "session refused: connection " + std::to_string(holder) + " holds the " + who +
                      " (another copy is connected, or the last one ended without "
                      "disconnecting), so a plug-in that starts shows Error and logs "
                      "\"connection is already in use\"; free it: " + admin + " --last-conn 0");
    } else {
      Line(true, who + ": free, the plug-in's check accepts it");
    }
  } catch (const CDBException& e) {
    Line(false, "session record is not readable: " + e.m_strError);
  }
}

// With AutoConnect the plug-in connects when the host opens its database:
// doctor does that only after it has read the session record, so that the
// record is judged as the plug-in will find it.
void ShowPlugin(HostSession& session, const CGlobal& g) {
  if (!session.DatabaseLoaded()) session.LoadDatabase();
  if (g.m_bAutoConnect == 0) return;
  const PluginStatus status = session.Status();
  Line(std::string(status.szShortMessage) == "Conn",
       "plug-in in this host, after the host opened its database: " +
           Shown(status.szShortMessage) + ", " + Shown(status.szLongMessage));
}

int Doctor(HostSession& session, const HostOptions&, const std::vector<std::string>&) {
  g_failures = 0;
  CGlobal g;
  LoadSettings(g);
  for (const DoctorLine& line : CheckSettings(platform::RegistryList(kSettingsKey), g))
    Print(line);
  Line(!g.m_strClientId.empty(), "installation id: " + Shown(g.m_strClientId));
  // In a `run` script the plug-in may already be connected and hold the
  // session itself.
  const bool pluginConnected = session.DatabaseLoaded() &&
                               std::string(session.Status().szShortMessage) == "Conn";

  const PortUse port = DescribePort(g.m_strServerPort);
  const std::string where =
      (g.m_strServerAddress.empty() ? "localhost" : g.m_strServerAddress) + ":" +
      (port.port != 0 ? std::to_string(port.port) : g.m_strServerPort);
  CDatabase db;
  auto start = std::chrono::steady_clock::now();
  try {
    db.OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
  } catch (const CDBException& e) {
    Line(false, ConnectFailure(e.m_strError, where));
    return 1;
  }
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
  Line(true, "driver \"MySQL ODBC 3.51 Driver\" and server " + where + " reached in " +
                 std::to_string(static_cast<int>(ms)) + " ms");
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
  CheckSession(db, g, pluginConnected);
  g.m_pDatabase = nullptr;
  db.Close();
  ShowPlugin(session, g);
  return g_failures == 0 ? 0 : 1;
}

const CommandRegistration kDoctor("doctor",
                                  "doctor            what is wrong with this installation",
                                  Doctor, false);

}  // namespace

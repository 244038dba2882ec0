// doctor: what is wrong with this installation, one line a check, each
// saying what the plug-in will do about it.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "host/commands.h"
#include "host/doctor_settings.h"
#include "host/host_odbc.h"
#include "host/host_session.h"
#include "host/plugin_settings.h"
#include "host/server_queries.h"
#include "host/report.h"
#include "src/platform/registry_listing.h"

namespace {

int g_failures = 0;
// With --json the lines are kept and printed at the end as one object.
bool g_json = false;
nlohmann::ordered_json g_lines;

void Print(const DoctorLine& line) {
  static const char* const kLevels[] = {"ok", "info", "warn", "FAIL"};
  if (line.level == DoctorLine::kFail) ++g_failures;
  if (g_json)
    g_lines.push_back({{"level", kLevels[line.level]}, {"text", line.text}});
  else
    std::printf("%-4s %s\n", kLevels[line.level], line.text.c_str());
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

void CheckSession(HostOdbc& db, const PluginSettings& settings, bool pluginConnected) {
  const std::string admin = "server/velmora-admin session " + settings.clientId;
  try {
    const std::optional<SessionRecord> record = ReadSessionRecord(db, settings.clientId);
    if (!record) {
      Line(false, "session refused: no record for " + Shown(settings.clientId) +
                      ", so the plug-in's check refuses the login (status Error); create it: " +
                      admin);
      return;
    }
    const std::string& user = record->userName;
    const int holder = record->lastConnId, granted = record->currConnId,
              ended = record->sessionStatus;
    const std::string who = "session of user " + Shown(user);
    if (record->permit == 0) {
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
  } catch (const HostOdbcError& e) {
    Line(false, "session record is not readable: " + e.text);
  }
}

// With AutoConnect the plug-in connects when the host opens its database:
// doctor does that only after it has read the session record, so that the
// record is judged as the plug-in will find it.
void ShowPlugin(HostSession& session, const PluginSettings& settings) {
  if (!session.DatabaseLoaded()) session.LoadDatabase();
  if (settings.autoConnect == 0) return;
  const PluginStatus status = session.Status();
  Line(IsConnected(status),
       "plug-in in this host, after the host opened its database: " +
           Shown(status.szShortMessage) + ", " + Shown(status.szLongMessage));
}

void Examine(HostSession& session) {
  const PluginSettings settings = ReadPluginSettings();
  for (const DoctorLine& line :
       CheckSettings(platform::ListRegistryKey(kPluginSettingsKey), settings))
    Print(line);
  Line(!settings.clientId.empty(), "installation id: " + Shown(settings.clientId));
  // In a `run` script the plug-in may already be connected and hold the
  // session itself.
  const bool pluginConnected = session.DatabaseLoaded() && IsConnected(session.Status());

  const PortUse port = DescribePort(settings.serverPort);
  const std::string where =
      (settings.serverAddress.empty() ? "localhost" : settings.serverAddress) + ":" +
      (port.port != 0 ? std::to_string(port.port) : settings.serverPort);
  {
    HostOdbc db;
    auto start = std::chrono::steady_clock::now();
    try {
      db.Connect(PluginConnectString(settings));
    } catch (const HostOdbcError& e) {
      Line(false, ConnectFailure(e.text, where));
      return;
    }
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    Line(true, "driver \"MySQL ODBC 3.51 Driver\" and server " + where + " reached in " +
                   std::to_string(static_cast<int>(ms)) + " ms");
    try {
      const ServerConfigView config = ReadServerConfig(db);
      Line(true, "NVConfig: backfill from " + config.backfillEod + " (daily), " +
                     config.backfillIntraday + " (intraday); polls every " +
                     std::to_string(config.tradeInterval) + " s, " +
                     std::to_string(config.eodInterval) + " s after the close");
    } catch (const HostOdbcError& e) {
      Line(false, "NVConfig is not readable: " + e.text);
    }
    CheckSession(db, settings, pluginConnected);
  }  // the host's connection is closed before the plug-in connects
  ShowPlugin(session, settings);
}

int Doctor(HostSession& session, const HostOptions& options) {
  g_failures = 0;
  g_json = options.json;
  g_lines = nlohmann::ordered_json::array();
  Examine(session);
  if (g_json)
    std::printf("%s\n", JsonText({{"lines", g_lines}, {"failures", g_failures}}).c_str());
  return g_failures == 0 ? kExitOk : kExitFailed;
}

const CommandRegistration kDoctor({
    .name = "doctor",
    .synopsis = "doctor",
    .summary = "what is wrong with this installation: settings, driver, server, session",
    .exits = "0 nothing wrong, 1 a line says FAIL, 2 usage error.",
    .define = WithoutArguments(Doctor),
    .json = true,
    .beforeDatabase = true,
});

}  // namespace

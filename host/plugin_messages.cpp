#include "host/plugin_messages.h"

#include <cstdio>

#include "host/host_odbc.h"
#include "host/plugin_settings.h"
#include "host/server_queries.h"
#include "src/winsys/host_api.h"

namespace {

std::vector<std::string>& Pending() {
  static std::vector<std::string> pending;
  return pending;
}

void Record(const char* text) { Pending().emplace_back(text); }

}  // namespace

void RecordPluginMessages() { winsys::ObserveMessageBoxes(Record); }

std::vector<std::string> TakePluginMessages() {
  std::vector<std::string> taken;
  taken.swap(Pending());
  return taken;
}

std::string ProbeConnect(std::string* address, std::string* port) {
  const PluginSettings settings = ReadPluginSettings();
  *address = settings.serverAddress;
  *port = settings.serverPort;
  try {
    HostOdbc db;
    db.Connect(PluginConnectString(settings));
  } catch (const HostOdbcError& e) {
    return e.text;
  }
  return "";
}

void ExplainConnectFailures(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) {
    if (message.find("Can't connect to server on") == std::string::npos) continue;
    std::string address, port;
    const std::string diagnostic = ProbeConnect(&address, &port);
    std::fprintf(stderr, "velmora-host: the connect went to %s, port %s (ServerAddress and "
                 "ServerPort in the settings); ",
                 address.empty() ? "(no address)" : address.c_str(),
                 port.empty() ? "(none)" : port.c_str());
    if (diagnostic.empty())
      std::fprintf(stderr, "the host's own connect there just now succeeded\n");
    else
      std::fprintf(stderr, "the driver says: %s\n", diagnostic.c_str());
  }
  std::fflush(stderr);
}

std::string ProbeBars(const std::string& ticker, int periodicity, bool* rows) {
  *rows = false;
  try {
    HostOdbc db;
    db.Connect(PluginConnectString(ReadPluginSettings()));
    const ServerConfigView config = ReadServerConfig(db);
    *rows = HasBars(db, ticker, periodicity,
                    periodicity == 86400 ? config.backfillEod : config.backfillIntraday);
  } catch (const HostOdbcError& e) {
    return e.text;
  }
  return "";
}

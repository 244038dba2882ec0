#include "host/plugin_messages.h"

#include <cstdio>

#include "src/db/database.h"
#include "src/db/server_config.h"
#include "src/db/settings.h"
#include "src/db/statements.h"
#include "src/winsys/host_api.h"
#include "src/plugin/global.h"

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
  CGlobal g;
  LoadSettings(g);
  *address = g.m_strServerAddress;
  *port = g.m_strServerPort;
  CDatabase db;
  try {
    db.OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
  } catch (const CDBException& e) {
    return e.m_strError.empty() ? "no diagnostic (code " + std::to_string(e.m_nRetCode) + ")"
                                : e.m_strError;
  }
  db.Close();
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
  CGlobal g;
  LoadSettings(g);
  CDatabase db;
  try {
    db.OpenEx(g.m_strConnect, CDatabase::noOdbcDialog);
    g.m_pDatabase = &db;
    LoadServerConfig(g);
    const std::string sql =
        BuildBarQuery(g, ticker, periodicity,
                      periodicity == 86400 ? g.m_strBackfillEod : g.m_strBackfillIntraday,
                      g.m_strStartTime);
    CSRecordset rs(&db);
    if (!rs.Open(CSRecordset::forwardOnly, sql, 0)) {
      g.m_pDatabase = nullptr;
      return "the driver gave no statement handle";
    }
    *rows = !rs.IsEOF();
  } catch (const CDBException& e) {
    g.m_pDatabase = nullptr;
    return e.m_strError.empty() ? "no diagnostic (code " + std::to_string(e.m_nRetCode) + ")"
                                : e.m_strError;
  }
  g.m_pDatabase = nullptr;
  return "";
}

#include "testing/test_server.h"

#include <cstdlib>

#include "db/connection.h"
#include "db/database.h"
#include "plugin/global.h"

namespace testing_server {

namespace {
std::string Env(const char* name, const char* fallback = "") {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}
}  // namespace

bool Configured() { return !Env("VELMORA_DB_PORT").empty(); }

void PointAt(CGlobal& g) {
  g.m_strServerAddress = Env("VELMORA_DB_HOST", "127.0.0.1");
  g.m_strServerPort = Env("VELMORA_DB_PORT");
  BuildConnectString(g);
}

std::unique_ptr<CDatabase> Admin() {
  auto db = std::make_unique<CDatabase>();
  db->OpenEx("DRIVER={MySQL ODBC 3.51 Driver};DATABASE=db_amiplugin;SERVER=" +
                 Env("VELMORA_DB_HOST", "127.0.0.1") + ";PORT=" + Env("VELMORA_DB_PORT") +
                 ";UID=" + Env("VELMORA_DB_ADMIN_USER", "velmora_admin") +
                 ";PWD=" + Env("VELMORA_DB_ADMIN_PASSWORD", "velmora-admin"),
             CDatabase::noOdbcDialog);
  return db;
}

void AdminExec(const std::string& sql) { Admin()->ExecuteSQL(sql); }

bool Open(CGlobal& g) {
  PointAt(g);
  OpenDatabase(g);
  return g.m_pDatabase != nullptr;
}

SavedTables::SavedTables(std::vector<std::string> tables) : m_tables(std::move(tables)) {
  for (const std::string& table : m_tables)
    AdminExec("Create Or Replace Table test_saved_" + table + " As Select * From " + table);
}

SavedTables::~SavedTables() {
  for (const std::string& table : m_tables) {
    AdminExec("Delete From " + table);
    AdminExec("Insert Into " + table + " Select * From test_saved_" + table);
    AdminExec("Drop Table test_saved_" + table);
  }
}
}  // namespace testing_server

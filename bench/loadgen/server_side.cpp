#include "server_side.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace loadgen {

namespace {

constexpr char kClientPrefix[] = "velmora-load-";

[[noreturn]] void Die(const std::string& what, MYSQL* mysql) {
  std::fprintf(stderr, "velmora-loadgen: %s: %s\n", what.c_str(), mysql_error(mysql));
  std::exit(1);
}

}  // namespace

ServerSide::ServerSide(const Options& o) : mysql_(mysql_init(nullptr)) {
  if (mysql_real_connect(mysql_, o.host.c_str(), o.admin_user.c_str(), o.admin_password.c_str(),
                         "db_amiplugin", o.port, nullptr, 0) == nullptr)
    Die("the admin account cannot connect to " + o.host + ":" + std::to_string(o.port), mysql_);
}

ServerSide::~ServerSide() { mysql_close(mysql_); }

void ServerSide::Run(const std::string& sql) {
  if (mysql_real_query(mysql_, sql.data(), sql.size()) != 0) Die(sql.substr(0, 60), mysql_);
  if (MYSQL_RES* r = mysql_store_result(mysql_)) mysql_free_result(r);
}

std::vector<std::string> ServerSide::Codes() {
  std::vector<std::string> codes;
  const char sql[] = "SELECT Code FROM NVRealtime ORDER BY Code";
  if (mysql_query(mysql_, sql) != 0) Die(sql, mysql_);
  MYSQL_RES* r = mysql_store_result(mysql_);
  while (MYSQL_ROW row = mysql_fetch_row(r)) codes.emplace_back(row[0]);
  mysql_free_result(r);
  if (codes.empty()) {
    std::fprintf(stderr, "velmora-loadgen: the server holds no real-time rows\n");
    std::exit(1);
  }
  return codes;
}

std::vector<std::string> ServerSide::CreateSessions(int n) {
  std::vector<std::string> ids;
  std::string sql;
  for (int i = 0; i < n; ++i) {
    char id[64];
    std::snprintf(id, sizeof id, "%s%06d", kClientPrefix, i + 1);
    ids.emplace_back(id);
    if (sql.empty())
      sql = "INSERT INTO NVSession (ClientID,UserName,Email,LastConnID,CurrConnID,Permit,"
            "SessionStatus) VALUES ";
    else
      sql += ",";
    sql += "('" + ids.back() + "','Load','" + ids.back() + "@load.velmora.example',0,1,1,0)";
    if (sql.size() > 60000 || i + 1 == n) {
      sql += " ON DUPLICATE KEY UPDATE LastConnID=0,CurrConnID=1,Permit=1,SessionStatus=0,"
             "OwnerConnID=NULL,OwnerHost=NULL,Email=VALUES(Email)";
      Run(sql);
      sql.clear();
    }
  }
  return ids;
}

void ServerSide::RemoveSessions() {
  Run(std::string("DELETE FROM NVSession WHERE ClientID LIKE '") + kClientPrefix + "%'");
  Run(std::string("DELETE FROM NVCallLog WHERE Args LIKE '''") + kClientPrefix + "%'");
}

std::string ServerSide::ServerPid() {
  if (mysql_query(mysql_, "SELECT @@pid_file") != 0) return "";
  MYSQL_RES* r = mysql_store_result(mysql_);
  MYSQL_ROW row = r != nullptr ? mysql_fetch_row(r) : nullptr;
  std::string path = row != nullptr && row[0] != nullptr ? row[0] : "";
  if (r != nullptr) mysql_free_result(r);
  std::ifstream file(path);
  std::string pid;
  if (!(file >> pid) || pid.find_first_not_of("0123456789") != std::string::npos) return "";
  return pid;
}

MarketPlayer::MarketPlayer(const std::string& admin_tool, double seconds) {
  if (admin_tool.empty()) return;
  std::string length = std::to_string(static_cast<int>(seconds) + 1);
  pid_ = fork();
  if (pid_ == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
    execl(admin_tool.c_str(), admin_tool.c_str(), "simulate", "--seconds", length.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
}

MarketPlayer::~MarketPlayer() {
  if (pid_ <= 0) return;
  // It waits for its own statements on SIGTERM.
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
}

}  // namespace loadgen

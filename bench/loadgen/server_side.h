// What the run needs from the server beyond the installations' own
// statements, through the admin account: a session record for every
// simulated installation (removed again at the end with their calls), the
// real-time codes to watch, and the server's process for its CPU and memory.
#ifndef VELMORA_BENCH_LOADGEN_SERVER_SIDE_H_
#define VELMORA_BENCH_LOADGEN_SERVER_SIDE_H_

#include <mysql.h>

#include <string>
#include <vector>

#include "options.h"

namespace loadgen {

class ServerSide {
 public:
  explicit ServerSide(const Options& options);  // exits when the server refuses
  ~ServerSide();

  std::vector<std::string> Codes();
  // Free sessions with permission for N client ids; returns the ids.
  std::vector<std::string> CreateSessions(int n);
  void RemoveSessions();
  // The server's pid when its pid file can be read here, else "".
  std::string ServerPid();

 private:
  void Run(const std::string& sql);
  MYSQL* mysql_;
};

// The market simulator of the server kit (velmora-admin simulate), moving
// the quotes in its own process for the run's length.
class MarketPlayer {
 public:
  MarketPlayer(const std::string& admin_tool, double seconds);
  ~MarketPlayer();  // stops it and waits for it

 private:
  int pid_ = -1;
};

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_SERVER_SIDE_H_

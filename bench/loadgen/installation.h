// One simulated installation: its identity, the codes it watches, the
// statements it has still to send, and the plug-in's decisions on what the
// server answered (the session check, the market-status poll). No I/O here.
#ifndef VELMORA_BENCH_LOADGEN_INSTALLATION_H_
#define VELMORA_BENCH_LOADGEN_INSTALLATION_H_

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "async_conn.h"
#include "kinds.h"
#include "statement_maker.h"

namespace loadgen {

using Clock = std::chrono::steady_clock;

enum class Phase {
  kWaiting,  // for its connect on the ramp, a retry, or the next tick
  kBusy,     // a call is in flight
  kRefused,  // the session check or the poll ended it, as it ends the plug-in
  kDone,
};

struct Installation {
  Identity who;
  std::string source;  // local address it connects from ("" for any)
  std::vector<std::string_view> codes;  // watched, at most 20
  std::string poll_text;                // sent every tick, built once
  std::string realtime_text;

  AsyncConn conn;
  Phase phase = Phase::kWaiting;
  std::deque<Kind> pending;  // statements still to send in this burst
  Kind current = kConnect;
  Clock::time_point started;
  uint32_t tick_seq = 0;  // stales tick timers set before the last one
  uint32_t wait_seq = 0;  // the same for the client library's timeouts
  bool tick_owed = false; // a tick came while a call was in flight
  bool connecting = true;  // its first connect and session check have not ended
  bool in_epoll = false;

  // What the plug-in keeps between statements.
  int curr_conn_id = 0;
  int session_status = 0;
  int market_date = 0;  // yyyymmdd
  bool eod = false;
  int conn_id_previous = 0;  // for the connection-id call the poll asks for
  int conn_id_current = 0;
  Clock::time_point next_bars;
};

// The session check on its row: true when the plug-in accepts the session
// (then it registers with a count of 0).
bool AcceptSession(Installation& inst, const std::vector<std::string>& row);

// The poll on its row: false when the session is no longer valid (the
// plug-in disconnects); queues the connection-id call when the two
// connection ids differ.
bool ApplyMarketStatus(Installation& inst, const std::vector<std::string>& row);

// A number column as the plug-in reads it: a float truncated toward zero.
int NumberOf(const std::string& text);

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_INSTALLATION_H_

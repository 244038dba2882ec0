// Plays N installations on one thread: each on its own connection, every
// call non-blocking, one epoll set for all sockets and one queue of timers
// (the connects spread over the ramp, every installation's timer ticks, the
// client library's own timeouts).
#ifndef VELMORA_BENCH_LOADGEN_LOAD_RUN_H_
#define VELMORA_BENCH_LOADGEN_LOAD_RUN_H_

#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "installation.h"
#include "latency.h"

namespace loadgen {

struct RunConfig {
  Endpoint server;
  int installations = 0;
  double seconds = 0;
  double ramp = 0;          // connects spread over this many seconds
  int trade_interval = 5;   // seconds between ticks while the market trades
  int eod_interval = 30;    // after the day's end
  double bar_every = 120;   // mean seconds between one installation's charts
  bool baseline = false;    // every statement a `SELECT 1`
  uint32_t seed = 1;
  std::vector<std::string> codes;  // the real-time codes the server holds
  std::vector<std::string> client_ids;
};

struct RunOutcome {
  double all_connected_after = -1;  // seconds from the start; -1: not all did
  int connected_at_end = 0;
  int refused = 0;      // sessions the check or the poll ended
  long late_ticks = 0;  // ticks that started 50 ms or more after they were due
  double tick_lag_p99_ms = 0;
};

class LoadRun {
 public:
  LoadRun(const RunConfig& config, StatementMaker& maker);
  ~LoadRun();

  // Runs the ramp and the steady part; `at_steady` is called once when the
  // ramp has ended and every installation has connected (at the end of the
  // run at the latest), `at_end` once when the run's time is up, before the
  // installations disconnect.
  RunOutcome Run(const std::function<void()>& at_steady, const std::function<void()>& at_end);
  Latencies& latencies() { return latencies_; }

 private:
  struct Timer {
    Clock::time_point when;
    uint32_t index;
    uint32_t seq;
    bool library;  // the client library's timeout, not a tick
    bool operator>(const Timer& o) const { return when > o.when; }
  };

  void SetTimeout(uint32_t i, Clock::time_point when);
  void OnTick(uint32_t i);
  void Stop(uint32_t i);
  void Idle(uint32_t i);
  void OnReady(uint32_t i, int ready);
  void BeginBurst(uint32_t i);
  void StartCall(uint32_t i);
  void Await(uint32_t i, int status);
  void Completed(uint32_t i);
  bool ApplyAnswer(Installation& inst);
  void ScheduleTick(uint32_t i, Clock::time_point due);
  void Drop(uint32_t i, Phase phase);
  void Watch(uint32_t i, int status);
  void Fail(uint32_t i);
  void Connected(uint32_t i);
  std::string TextOf(Installation& inst);
  void Report(const Installation& inst, const std::string& what);

  const RunConfig& config_;
  StatementMaker& maker_;
  std::vector<Installation> inst_;
  std::vector<Clock::time_point> due_;
  std::priority_queue<Timer, std::vector<Timer>, std::greater<Timer>> timers_;
  int epoll_ = -1;
  Latencies latencies_;
  std::mt19937 random_;
  bool stopping_ = false;
  int errors_shown_ = 0;
  std::vector<uint32_t> lags_us_;
  long late_ticks_ = 0;
  int connected_at_end_ = 0;
  // Statements of the ticks count once every installation is connected:
  // the connects before are measured by their own kinds.
  Clock::time_point steady_from_ = Clock::time_point::max();
  int connecting_ = 0;
};

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_LOAD_RUN_H_

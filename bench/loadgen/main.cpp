// velmora-loadgen: N simulated installations of the plug-in against one
// data server, each on its own connection as the plug-in's account, sending
// the plug-in's statements (built by its own code) at its intervals.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "load_run.h"
#include "options.h"
#include "proc_stats.h"
#include "report.h"
#include "server_side.h"
#include "statement_maker.h"

using namespace loadgen;

namespace {

// Every installation holds a socket: as many open files as the hard limit
// allows, and a clear word when that is too few.
void RaiseOpenFiles(int installations) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  if (static_cast<rlim_t>(installations) + 64 > limit.rlim_cur) {
    std::fprintf(stderr,
                 "velmora-loadgen: %d installations need %d open files; this process may have "
                 "%llu (the hard limit, ulimit -Hn)\n",
                 installations, installations + 64,
                 static_cast<unsigned long long>(limit.rlim_cur));
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o = ParseOptions(argc, argv);
  RaiseOpenFiles(o.installations);
  mysql_library_init(0, nullptr, nullptr);

  StatementMaker maker;
  ServerSide server(o);
  RunConfig config;
  config.server = {o.host, o.port, maker.User(), maker.Password(), "db_amiplugin"};
  config.installations = o.installations;
  config.seconds = o.seconds;
  config.ramp = o.ramp.value_or(o.seconds / 3);
  config.trade_interval = o.trade_interval;
  config.bar_every = o.bar_every;
  config.baseline = o.baseline;
  config.seed = o.seed;
  config.codes = server.Codes();
  config.client_ids = server.CreateSessions(o.installations);

  const std::string pid = server.ServerPid();
  std::optional<ProcSample> server_idle = SampleProcess(pid), server_steady, server_end;
  std::optional<ProcSample> self_steady, self_end;
  std::chrono::steady_clock::time_point steady_at, end_at;

  Figures f;
  {
    std::optional<MarketPlayer> market;
    if (o.simulator) market.emplace(o.admin_tool, o.seconds);
    LoadRun run(config, maker);
    f.outcome = run.Run(
        [&] {
          steady_at = std::chrono::steady_clock::now();
          server_steady = SampleProcess(pid);
          self_steady = SampleProcess("self");
        },
        [&] {
          end_at = std::chrono::steady_clock::now();
          server_end = SampleProcess(pid);
          self_end = SampleProcess("self");
        });
    for (int k = 0; k < kKindCount; ++k) f.kinds[k] = run.latencies().Summarise(static_cast<Kind>(k));
  }
  server.RemoveSessions();

  f.config = &config;
  f.steady_seconds = std::chrono::duration<double>(end_at - steady_at).count();
  double window = f.steady_seconds > 0 ? f.steady_seconds : 1;
  if (server_idle && server_steady && server_end) {
    f.server_cpu_percent = 100 * (server_end->cpu_seconds - server_steady->cpu_seconds) / window;
    f.server_rss_mb = server_end->rss_kb / 1024;
    int n = f.outcome.connected_at_end > 0 ? f.outcome.connected_at_end : 1;
    f.server_rss_per_connection_kb = (server_end->rss_kb - server_idle->rss_kb) / n;
  }
  if (self_steady && self_end)
    f.generator_cpu_percent = 100 * (self_end->cpu_seconds - self_steady->cpu_seconds) / window;

  if (o.json) PrintJson(f);
  else PrintTable(f);
  long errors = 0;
  for (const KindSummary& s : f.kinds) errors += s.errors;
  return errors == 0 && f.outcome.refused == 0 ? 0 : 3;
}

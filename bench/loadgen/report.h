// The run's figures, as a table or as one JSON object.
#ifndef VELMORA_BENCH_LOADGEN_REPORT_H_
#define VELMORA_BENCH_LOADGEN_REPORT_H_

#include <optional>
#include <string>

#include "latency.h"
#include "load_run.h"

namespace loadgen {

struct Figures {
  const RunConfig* config = nullptr;
  RunOutcome outcome;
  KindSummary kinds[kKindCount];
  // Over the steady part (after the ramp); nothing when the server's
  // process cannot be read from here.
  std::optional<double> server_cpu_percent;
  std::optional<double> server_rss_mb;
  std::optional<double> server_rss_per_connection_kb;
  double generator_cpu_percent = 0;
  double steady_seconds = 0;
};

// "2 cores, <model>, <memory>": the machine the figures come from.
std::string MachineText();

void PrintTable(const Figures& f);
void PrintJson(const Figures& f);

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_REPORT_H_

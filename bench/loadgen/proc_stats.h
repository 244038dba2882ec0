// CPU time and resident memory of a process, from /proc.
#ifndef VELMORA_BENCH_LOADGEN_PROC_STATS_H_
#define VELMORA_BENCH_LOADGEN_PROC_STATS_H_

#include <optional>
#include <string>

namespace loadgen {

struct ProcSample {
  double cpu_seconds = 0;  // user and system, all threads
  double rss_kb = 0;
};

// "self" or a pid; nothing when the process cannot be read (gone, or on
// another machine).
std::optional<ProcSample> SampleProcess(const std::string& pid);

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_PROC_STATS_H_

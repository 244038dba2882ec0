// Latencies per statement kind: every sample is kept (a few bytes each, a
// few million at most in a run), so that percentiles are exact.
#ifndef VELMORA_BENCH_LOADGEN_LATENCY_H_
#define VELMORA_BENCH_LOADGEN_LATENCY_H_

#include <cstdint>
#include <vector>

#include "kinds.h"

namespace loadgen {

struct KindSummary {
  long count = 0;
  long errors = 0;
  double p50_ms = 0;
  double p99_ms = 0;
  double max_ms = 0;
};

class Latencies {
 public:
  void Add(Kind kind, int64_t microseconds) { samples_[kind].push_back(Clamp(microseconds)); }
  void AddError(Kind kind) { ++errors_[kind]; }
  // Sorts the samples in place; a kind with neither samples nor errors has
  // count 0.
  KindSummary Summarise(Kind kind);

 private:
  static uint32_t Clamp(int64_t us) {
    return us < 0 ? 0 : us > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(us);
  }
  std::vector<uint32_t> samples_[kKindCount];
  long errors_[kKindCount] = {};
};

// The value below which the share q (0..1) of the sorted samples lies, by
// the nearest rank.
double Percentile(const std::vector<uint32_t>& sorted, double q);

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_LATENCY_H_

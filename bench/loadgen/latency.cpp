#include "latency.h"

#include <algorithm>
#include <cmath>

namespace loadgen {

double Percentile(const std::vector<uint32_t>& sorted, double q) {
  if (sorted.empty()) return 0;
  size_t rank = static_cast<size_t>(std::ceil(q * static_cast<double>(sorted.size())));
  if (rank > 0) --rank;
  return sorted[std::min(rank, sorted.size() - 1)];
}

KindSummary Latencies::Summarise(Kind kind) {
  std::vector<uint32_t>& v = samples_[kind];
  std::sort(v.begin(), v.end());
  KindSummary s;
  s.errors = errors_[kind];
  s.count = static_cast<long>(v.size()) + s.errors;
  s.p50_ms = Percentile(v, 0.50) / 1000.0;
  s.p99_ms = Percentile(v, 0.99) / 1000.0;
  s.max_ms = v.empty() ? 0 : v.back() / 1000.0;
  return s;
}

}  // namespace loadgen

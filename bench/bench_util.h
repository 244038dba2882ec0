// What the benchmarks share: the environment that scripts/dbserver env
// exports, timing a piece of work, and the median of repeated timings.
#ifndef VELMORA_BENCH_BENCH_UTIL_H_
#define VELMORA_BENCH_BENCH_UTIL_H_

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

template <typename F>
double Seconds(F&& f) {
  auto start = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench

#endif  // VELMORA_BENCH_BENCH_UTIL_H_

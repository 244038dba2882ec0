#include "report.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

namespace loadgen {

namespace {

std::string FieldOf(const char* path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    size_t start = line.find_first_not_of(" \t", colon + 1);
    return start == std::string::npos ? "" : line.substr(start);
  }
  return "";
}

double Round1(double v) { return std::round(v * 10) / 10; }
double Round3(double v) { return std::round(v * 1000) / 1000; }

}  // namespace

std::string MachineText() {
  double mem_gb = std::atof(FieldOf("/proc/meminfo", "MemTotal").c_str()) / 1024 / 1024;
  char text[512];
  std::snprintf(text, sizeof text, "%ld cores, %s, %.0f GB", sysconf(_SC_NPROCESSORS_ONLN),
                FieldOf("/proc/cpuinfo", "model name").c_str(), mem_gb);
  return text;
}

void PrintTable(const Figures& f) {
  const RunConfig& c = *f.config;
  std::printf("velmora-loadgen: %d installations, %.0f s (connects over %.0f s), "
              "trade interval %d s, %s\n",
              c.installations, c.seconds, c.ramp, c.trade_interval,
              c.baseline ? "every statement SELECT 1" : "the plug-in's statements");
  std::printf("  %-17s %9s %7s %9s %9s %9s   (ticks once all are connected)\n", "kind",
              "count", "errors", "p50 ms", "p99 ms", "max ms");
  for (int k = 0; k < kKindCount; ++k) {
    const KindSummary& s = f.kinds[k];
    if (s.count == 0) continue;
    std::printf("  %-17s %9ld %7ld %9.2f %9.2f %9.2f\n", KindName(static_cast<Kind>(k)), s.count,
                s.errors, s.p50_ms, s.p99_ms, s.max_ms);
  }
  if (f.outcome.all_connected_after >= 0)
    std::printf("  all connected after %.1f s; ", f.outcome.all_connected_after);
  else
    std::printf("  NOT ALL CONNECTED by the end; ");
  std::printf("connected at the end: %d; sessions refused: %d\n", f.outcome.connected_at_end,
              f.outcome.refused);
  if (f.server_cpu_percent)
    std::printf("  server: CPU %.1f %% of one core over the steady %.0f s, RSS %.0f MB, "
                "%.1f KB per connection\n",
                *f.server_cpu_percent, f.steady_seconds, f.server_rss_mb.value_or(0),
                f.server_rss_per_connection_kb.value_or(0));
  else
    std::printf("  server: its process cannot be read from here\n");
  std::printf("  generator: CPU %.1f %% of one core; ticks started %.2f ms late at p99, "
              "%ld of them 50 ms or more\n",
              f.generator_cpu_percent, f.outcome.tick_lag_p99_ms, f.outcome.late_ticks);
  std::printf("  machine: %s\n", MachineText().c_str());
}

void PrintJson(const Figures& f) {
  const RunConfig& c = *f.config;
  nlohmann::json statements = nlohmann::json::object();
  for (int k = 0; k < kKindCount; ++k) {
    const KindSummary& s = f.kinds[k];
    if (s.count == 0) continue;
    statements[KindName(static_cast<Kind>(k))] = {{"count", s.count},
                                                  {"errors", s.errors},
                                                  {"p50_ms", Round3(s.p50_ms)},
                                                  {"p99_ms", Round3(s.p99_ms)},
                                                  {"max_ms", Round3(s.max_ms)}};
  }
  auto opt = [](const std::optional<double>& v) {
    return v ? nlohmann::json(Round1(*v)) : nlohmann::json(nullptr);
  };
  nlohmann::json out = {
      {"installations", c.installations},
      {"seconds", c.seconds},
      {"ramp_seconds", c.ramp},
      {"workload", c.baseline ? "select-1" : "plug-in"},
      {"statements", statements},
      {"connected", f.outcome.connected_at_end},
      {"all_connected_after_s", f.outcome.all_connected_after >= 0
                                    ? nlohmann::json(Round1(f.outcome.all_connected_after))
                                    : nlohmann::json(nullptr)},
      {"refused", f.outcome.refused},
      {"server",
       {{"cpu_percent", opt(f.server_cpu_percent)},
        {"rss_mb", opt(f.server_rss_mb)},
        {"rss_per_connection_kb", opt(f.server_rss_per_connection_kb)}}},
      {"generator",
       {{"cpu_percent", Round1(f.generator_cpu_percent)},
        {"tick_lag_p99_ms", Round3(f.outcome.tick_lag_p99_ms)},
        {"late_ticks", f.outcome.late_ticks}}},
      {"machine", MachineText()},
  };
  std::printf("%s\n", out.dump().c_str());
}

}  // namespace loadgen

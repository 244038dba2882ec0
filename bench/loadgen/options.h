// The command line, and the server's settings as `scripts/dbserver env`
// exports them.
#ifndef VELMORA_BENCH_LOADGEN_OPTIONS_H_
#define VELMORA_BENCH_LOADGEN_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace loadgen {

struct Options {
  int installations = 0;
  double seconds = 0;
  std::optional<double> ramp;  // default: a third of the run
  std::string host;
  unsigned port = 0;
  int trade_interval = 5;
  double bar_every = 120;
  bool baseline = false;
  bool json = false;
  bool simulator = true;
  uint32_t seed = 1;
  std::string admin_user;
  std::string admin_password;
  std::string admin_tool;  // velmora-admin, which plays the market
};

// Parses argv; on a mistake prints it with the usage and exits 2.
Options ParseOptions(int argc, char** argv);

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_OPTIONS_H_

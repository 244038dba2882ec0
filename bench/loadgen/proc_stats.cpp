#include "proc_stats.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace loadgen {

std::optional<ProcSample> SampleProcess(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  // The command name may hold blanks: the fields that follow start after
  // its closing parenthesis, with the state (field 3).
  size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) stime = std::stod(field);
  }
  ProcSample s;
  s.cpu_seconds = (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));

  std::ifstream status("/proc/" + pid + "/status");
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) {
      s.rss_kb = std::stod(line.substr(6));
      return s;
    }
  }
  return std::nullopt;
}

}  // namespace loadgen

#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace loadgen {

namespace {

const char kUsage[] =
    "usage: velmora-loadgen --installations N --seconds S [--host H --port P]\n"
    "                       [--trade-interval T] [--ramp R] [--bar-every B] [--baseline]\n"
    "                       [--no-simulator] [--seed K] [--json]\n";

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "velmora-loadgen: %s\n%s", problem.c_str(), kUsage);
  std::exit(2);
}

double Number(const std::string& option, const char* text, double least) {
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value >= least))
    Usage(option + " needs a number of at least " + std::to_string(least) + ", not '" + text + "'");
  return value;
}

// The settings that `scripts/dbserver env` prints (export NAME=VALUE, the
// value quoted as the shell's %q quotes it), taken from the environment when
// they are there, else from the script beside the build.
std::map<std::string, std::string> ServerSettings() {
  static const char* const kNames[] = {"VELMORA_DB_HOST", "VELMORA_DB_PORT",
                                       "VELMORA_DB_ADMIN_USER", "VELMORA_DB_ADMIN_PASSWORD",
                                       "VELMORA_ADMIN"};
  std::map<std::string, std::string> out;
  for (const char* name : kNames)
    if (const char* v = std::getenv(name)) out[name] = v;
  if (out.count("VELMORA_DB_PORT")) return out;

  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return out;
  std::string root(exe, static_cast<size_t>(n));
  for (int up = 0; up < 3 && !root.empty(); ++up) root.erase(root.rfind('/'));
  FILE* p = popen(("'" + root + "/scripts/dbserver' env 2>/dev/null").c_str(), "r");
  if (p == nullptr) return out;
  char line[4096];
  while (std::fgets(line, sizeof line, p) != nullptr) {
    std::string text(line);
    if (text.rfind("export ", 0) != 0) continue;
    size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    std::string value;
    for (size_t i = eq + 1; i < text.size() && text[i] != '\n'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) ++i;
      else if (text[i] == '\'') continue;
      value += text[i];
    }
    out.emplace(text.substr(7, eq - 7), value);
  }
  pclose(p);
  return out;
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options o;
  std::optional<std::string> host, port;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--installations") o.installations = static_cast<int>(Number(a, value(), 1));
    else if (a == "--seconds") o.seconds = Number(a, value(), 1);
    else if (a == "--ramp") o.ramp = Number(a, value(), 0);
    else if (a == "--host") host = value();
    else if (a == "--port") port = value();
    else if (a == "--trade-interval") o.trade_interval = static_cast<int>(Number(a, value(), 1));
    else if (a == "--bar-every") o.bar_every = Number(a, value(), 1);
    else if (a == "--seed") o.seed = static_cast<uint32_t>(Number(a, value(), 0));
    else if (a == "--baseline") o.baseline = true;
    else if (a == "--no-simulator") o.simulator = false;
    else if (a == "--json") o.json = true;
    else Usage("unexpected argument '" + a + "'");
  }
  if (o.installations == 0) Usage("--installations is needed");
  if (o.seconds == 0) Usage("--seconds is needed");
  if (o.ramp && *o.ramp >= o.seconds) Usage("--ramp must be shorter than --seconds");

  auto settings = ServerSettings();
  o.host = host.value_or(settings.count("VELMORA_DB_HOST") ? settings["VELMORA_DB_HOST"]
                                                           : "127.0.0.1");
  std::string p = port.value_or(settings["VELMORA_DB_PORT"]);
  if (p.empty()) Usage("no server: give --port, or start one with scripts/dbserver start");
  o.port = static_cast<unsigned>(Number("--port", p.c_str(), 1));
  o.admin_user = settings.count("VELMORA_DB_ADMIN_USER") ? settings["VELMORA_DB_ADMIN_USER"]
                                                         : "velmora_admin";
  o.admin_password = settings.count("VELMORA_DB_ADMIN_PASSWORD")
                         ? settings["VELMORA_DB_ADMIN_PASSWORD"]
                         : "velmora-admin";
  o.admin_tool = settings["VELMORA_ADMIN"];
  return o;
}

}  // namespace loadgen

// velmora-host: stands in for the charting host, for tests, the demo and
// support work. One invocation is one host session around one command.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"

namespace {

void Usage() {
  std::fprintf(stderr, "usage: velmora-host [--plugin PATH] [--json] COMMAND [ARGS]\ncommands:\n%s",
               CommandUsage().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  HostOptions options;
  options.pluginPath = DefaultPluginPath();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
      options.pluginPath = argv[++i];
    } else if (std::strcmp(argv[i], "--json") == 0) {
      options.json = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Usage();
      return 0;
    } else {
      args.emplace_back(argv[i]);
    }
  }
  if (args.empty()) {
    Usage();
    return 2;
  }
  return RunCommand(options, args);
}

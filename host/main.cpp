// velmora-host: stands in for the charting host, for tests, the demo and
// support work. One invocation is one host session around one command.
#include <cstdio>
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
  // Lines appear as they are printed, also through a pipe. (The Windows C
  // runtime buffers a line-buffered stream fully, hence no buffer there.)
#if defined(_WIN32)
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
#endif
  HostOptions options;
  options.pluginPath = DefaultPluginPath();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--plugin") {
      if (i + 1 == argc) return UsageError(args.empty() ? "" : args[0], "--plugin needs a path");
      options.pluginPath = argv[++i];
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (args.empty() && arg[0] == '-') {
      // Before the command only the host's own options are known.
      return UsageError("", "unknown option '" + arg + "'");
    } else {
      args.push_back(arg);
    }
  }
  if (args.empty()) return UsageError("", "no command given");
  return RunCommand(options, args);
}

#include "host/commands.h"

#include <cstdio>
#include <map>

#include "host/host_session.h"

namespace {

struct Command {
  const char* usage;
  CommandFunction function;
};

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage,
                                         CommandFunction function) {
  Commands()[name] = Command{usage, function};
}

std::string CommandUsage() {
  std::string text;
  for (const auto& [name, command] : Commands()) text += "  " + std::string(command.usage) + "\n";
  return text;
}

int RunCommand(const HostOptions& options, const std::vector<std::string>& args) {
  auto found = Commands().find(args[0]);
  if (found == Commands().end()) {
    std::fprintf(stderr, "velmora-host: unknown command '%s' (try --help)\n", args[0].c_str());
    return 2;
  }
  HostSession session;
  std::string error;
  if (!session.Start(options.pluginPath, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    return 1;
  }
  session.LoadDatabase();
  int code = found->second.function(session, options, args);
  session.Stop();
  return code;
}

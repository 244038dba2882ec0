#include "host/commands.h"

#include <cstdio>
#include <map>

#include "host/host_session.h"
#include "host/plugin_messages.h"

namespace {

struct Command {
  const char* usage;
  CommandFunction function;
  bool opensDatabase;
};

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage,
                                         CommandFunction function, bool opensDatabase) {
  Commands()[name] = Command{usage, function, opensDatabase};
}

std::string CommandUsage() {
  std::string text;
  for (const auto& [name, command] : Commands()) text += "  " + std::string(command.usage) + "\n";
  return text;
}

int UsageError(const std::string& command, const std::string& problem) {
  std::fprintf(stderr, "velmora-host: %s\n", problem.c_str());
  auto found = Commands().find(command);
  if (found != Commands().end()) {
    std::string usage = found->second.usage;
    // The usage line is the command's syntax, then its description after a
    // run of spaces.
    const size_t gap = usage.find("  ");
    if (gap != std::string::npos) usage.erase(gap);
    std::fprintf(stderr, "usage: velmora-host [--plugin PATH] [--json] %s\n", usage.c_str());
  } else {
    std::fprintf(stderr, "usage: velmora-host [--plugin PATH] [--json] COMMAND [ARGS]\ncommands:\n%s",
                 CommandUsage().c_str());
  }
  return 2;
}

namespace {

const Command* Find(const std::string& name) {
  auto found = Commands().find(name);
  if (found != Commands().end()) return &found->second;
  UsageError(name, "unknown command '" + name + "'");
  return nullptr;
}

}  // namespace

int RunInSession(HostSession& session, const HostOptions& options,
                 const std::vector<std::string>& args) {
  const Command* command = Find(args[0]);
  if (command == nullptr) return 2;
  const int code = command->function(session, options, args);
  // A connect the command made may have failed (the menu's Connect, a
  // retry while the message loop ran).
  ExplainConnectFailures(TakePluginMessages());
  return code;
}

int RunCommand(const HostOptions& options, const std::vector<std::string>& args) {
  const Command* command = Find(args[0]);
  if (command == nullptr) return 2;
  RecordPluginMessages();
  HostSession session;
  std::string error;
  if (!session.Start(options.pluginPath, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    return 1;
  }
  if (command->opensDatabase) {
    session.LoadDatabase();
    // With AutoConnect the host's start connects; say why that failed before
    // the command shows its consequences.
    ExplainConnectFailures(TakePluginMessages());
  }
  int code = RunInSession(session, options, args);
  session.Stop();
  return code;
}

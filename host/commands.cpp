#include "host/commands.h"

#include <cstdio>
#include <map>

#include "host/host_session.h"

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

namespace {

const Command* Find(const std::string& name) {
  auto found = Commands().find(name);
  if (found != Commands().end()) return &found->second;
  std::fprintf(stderr, "velmora-host: unknown command '%s' (try --help)\n", name.c_str());
  return nullptr;
}

}  // namespace

int RunInSession(HostSession& session, const HostOptions& options,
                 const std::vector<std::string>& args) {
  const Command* command = Find(args[0]);
  return command != nullptr ? command->function(session, options, args) : 2;
}

int RunCommand(const HostOptions& options, const std::vector<std::string>& args) {
  const Command* command = Find(args[0]);
  if (command == nullptr) return 2;
  HostSession session;
  std::string error;
  if (!session.Start(options.pluginPath, &error)) {
    std::fprintf(stderr, "velmora-host: %s\n", error.c_str());
    return 1;
  }
  if (command->opensDatabase) session.LoadDatabase();
  int code = RunInSession(session, options, args);
  session.Stop();
  return code;
}

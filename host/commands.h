// The stand-in host's commands. Each command lives in its own file and
// registers itself with a static CommandRegistration: its name, how it is
// called, what its exit codes mean, and the arguments its parser reads.
#ifndef VELMORA_HOST_COMMANDS_H_
#define VELMORA_HOST_COMMANDS_H_

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}
class HostSession;

struct HostOptions {
  std::string pluginPath;
  bool json = false;
};

// The exit codes a script can act on. Each command's --help says which of
// them it gives and when.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,
  kExitUsage = 2,
  kExitNotConnected = 3,
};

// Runs inside a host session that has loaded the plug-in (and, unless the
// command starts before it, sent the database-loaded notification), with
// the values its parser has read. Returns the exit code.
using CommandAction = std::function<int(HostSession& session, const HostOptions& options)>;
// Declares the command's arguments on its parser, bound to values that the
// action it returns reads.
using CommandDefinition = std::function<CommandAction(CLI::App& parser)>;

// The definition of a command that takes no arguments.
CommandDefinition WithoutArguments(CommandAction action);

// The arguments every bar command takes: the ticker, and exactly one of
// --daily and --intraday.
void AddTickerAndPeriod(CLI::App& parser, std::string& ticker, bool& daily, bool& intraday);

struct CommandSpec {
  const char* name;
  // How it is called after the host's own options: "bars TICKER --daily|--intraday ...".
  const char* synopsis;
  // One line for the command list.
  const char* summary;
  // What its exit codes mean.
  const char* exits;
  CommandDefinition define;
  // With --json it prints JSON for scripts; without, --json is refused.
  bool json = false;
  // Started before the host's database-loaded notification, which it sends
  // itself when it is ready (doctor looks at the server before the plug-in
  // connects).
  bool beforeDatabase = false;
};

struct CommandRegistration {
  explicit CommandRegistration(CommandSpec spec);
};

// The whole command line: the host's own options, one command and its
// arguments; runs the command in its own host session. Returns the exit code.
int RunCommandLine(int argc, char** argv);

// One command, with its arguments, inside a session that is already open
// (a line of a script).
int RunInSession(HostSession& session, const HostOptions& options,
                 const std::vector<std::string>& words);

// A usage error the command finds after parsing: prints the problem and the
// command's usage on standard error, and returns kExitUsage.
int UsageError(const std::string& command, const std::string& problem);

#endif  // VELMORA_HOST_COMMANDS_H_

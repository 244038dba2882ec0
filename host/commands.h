// The stand-in host's commands. Each command lives in its own file and
// registers itself with a static CommandRegistration.
#ifndef VELMORA_HOST_COMMANDS_H_
#define VELMORA_HOST_COMMANDS_H_

#include <string>
#include <vector>

class HostSession;

struct HostOptions {
  std::string pluginPath;
  bool json = false;
};

// Runs inside a host session that has loaded the plug-in and sent the
// database-loaded notification; args[0] is the command's name. Returns the
// process exit code.
using CommandFunction = int (*)(HostSession& session, const HostOptions& options,
                                const std::vector<std::string>& args);

struct CommandRegistration {
  // A command that does not `opensDatabase` is started before the host's
  // database-loaded notification and sends it itself when it is ready (doctor
  // looks at the server before the plug-in connects).
  CommandRegistration(const char* name, const char* usage, CommandFunction function,
                      bool opensDatabase = true);
};

// Runs one command in its own host session; returns the process exit code.
int RunCommand(const HostOptions& options, const std::vector<std::string>& args);

// Runs one command inside a session that is already open (for scripts).
int RunInSession(HostSession& session, const HostOptions& options,
                 const std::vector<std::string>& args);

// One line per command, for --help.
std::string CommandUsage();

// A usage error: prints the problem and the command's usage (the whole
// command list for an unknown or missing command) on standard error, and
// returns the exit code for it, 2.
int UsageError(const std::string& command, const std::string& problem);

#endif  // VELMORA_HOST_COMMANDS_H_

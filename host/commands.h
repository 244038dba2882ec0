// The stand-in host's commands.
#ifndef VELMORA_HOST_COMMANDS_H_
#define VELMORA_HOST_COMMANDS_H_

#include <string>
#include <vector>

struct HostOptions {
  std::string pluginPath;
  bool json = false;
};

// Runs one command in its own host session; returns the process exit code.
int RunCommand(const HostOptions& options, const std::vector<std::string>& args);

#endif  // VELMORA_HOST_COMMANDS_H_

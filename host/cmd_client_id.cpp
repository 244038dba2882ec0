// client-id: the identifier this installation gives the server, which the
// operator needs to create its session record.
#include <cstdio>
#include <string>

#include "host/commands.h"
#include "host/plugin_settings.h"
#include "host/report.h"

namespace {

int ClientId(const HostOptions& options) {
  const std::string id = InstallationIdentifier();
  if (id.empty()) {
    std::fprintf(stderr, "velmora-host: this machine has no identifier; set VELMORA_CLIENT_ID\n");
    return kExitFailed;
  }
  if (options.json)
    std::printf("%s\n", JsonText({{"clientId", id}}).c_str());
  else
    std::printf("%s\n", id.c_str());
  return kExitOk;
}

const CommandRegistration kClientId({
    .name = "client-id",
    .synopsis = "client-id",
    .summary = "this installation's identifier, for the operator's session record",
    .exits = "0 printed, 1 the machine has no identifier, 2 usage error.",
    .define = WithoutArguments([](HostSession&, const HostOptions& options) { return ClientId(options); }),
    .json = true,
});

}  // namespace

// client-id: the identifier this installation gives the server, so that an
// operator can create its session record.
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/plugin_settings.h"

namespace {

int ClientId(HostSession&, const HostOptions&, const std::vector<std::string>&) {
  std::string id = InstallationIdentifier();
  if (id.empty()) {
    std::fprintf(stderr, "velmora-host: this machine has no identifier; set VELMORA_CLIENT_ID\n");
    return 1;
  }
  std::printf("%s\n", id.c_str());
  return 0;
}

const CommandRegistration kClientId("client-id",
                                    "client-id         this installation's identifier", ClientId);

}  // namespace

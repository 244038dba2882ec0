// status: the plug-in's field in the status area, after the host's usual
// start (which connects when the settings say AutoConnect).
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/report.h"

void PrintStatus(HostSession& session, bool json) {
  PluginStatus status{};
  status.nStructSize = sizeof status;
  session.api.GetStatus(&status);
  std::string longText;
  for (const char* p = status.szLongMessage; *p != '\0'; ++p) {
    if (*p == '\n')
      longText += json ? "\\n" : "\n               ";
    else if (json && (*p == '"' || *p == '\\'))
      longText += std::string("\\") + *p;
    else
      longText += *p;
  }
  if (json) {
    std::printf("{\"short\":\"%s\",\"code\":%d,\"colour\":\"#%02X%02X%02X\",\"long\":\"%s\"}\n",
                status.szShortMessage, status.nStatusCode, status.clrStatusColor & 0xFF,
                (status.clrStatusColor >> 8) & 0xFF, (status.clrStatusColor >> 16) & 0xFF,
                longText.c_str());
    return;
  }
  std::printf("Status:        %s (colour #%02X%02X%02X, code 0x%08X)\n               %s\n",
              status.szShortMessage, status.clrStatusColor & 0xFF,
              (status.clrStatusColor >> 8) & 0xFF, (status.clrStatusColor >> 16) & 0xFF,
              static_cast<unsigned>(status.nStatusCode), longText.c_str());
}

namespace {

int Status(HostSession& session, const HostOptions& options, const std::vector<std::string>&) {
  PrintStatus(session, options.json);
  return 0;
}

const CommandRegistration kStatus("status", "status            the plug-in's status field",
                                  Status);

}  // namespace

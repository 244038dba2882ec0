// status: the plug-in's field in the status area, after the host's usual
// start (which connects when the settings say AutoConnect).
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"
#include "host/report.h"

std::string StatusText(HostSession& session, bool json) {
  const PluginStatus status = session.Status();
  if (json) return JsonText(StatusJson(status)) + "\n";
  std::string longText;
  for (const char* p = status.szLongMessage; *p != '\0'; ++p) {
    if (*p == '\n')
      longText += "\n               ";
    else
      longText += *p;
  }
  const unsigned colour = status.clrStatusColor;
  char head[160];
  std::snprintf(head, sizeof head, "Status:        %s (colour #%02X%02X%02X, code 0x%08X)\n",
                status.szShortMessage, colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF, static_cast<unsigned>(status.nStatusCode));
  return head + ("               " + longText + "\n");
}

void PrintStatus(HostSession& session, bool json) {
  std::printf("%s", StatusText(session, json).c_str());
}

namespace {

int Status(HostSession& session, const HostOptions& options, const std::vector<std::string>&) {
  PrintStatus(session, options.json);
  return 0;
}

const CommandRegistration kStatus("status", "status            the plug-in's status field",
                                  Status);

}  // namespace

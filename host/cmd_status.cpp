// status: the plug-in's field in the status area, after the host's usual
// start (which connects when the settings say AutoConnect).
#include <cstdio>
#include <cstring>
#include <string>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"
#include "host/report.h"

std::string StatusText(const PluginStatus& status, bool json) {
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

PluginStatus PrintStatus(HostSession& session, bool json) {
  const PluginStatus status = session.Status();
  std::printf("%s", StatusText(status, json).c_str());
  return status;
}

bool IsConnected(const PluginStatus& status) {
  return std::strcmp(status.szShortMessage, "Conn") == 0;
}

std::string StatusWords(const PluginStatus& status) {
  // The long text's lines joined, without the blanks at their ends.
  // Each text ends at its NUL or at its field's end, whichever comes first.
  std::string detail;
  const char* text = status.szLongMessage;
  for (size_t i = 0, n = strnlen(text, sizeof status.szLongMessage); i < n; ++i) {
    if (text[i] == '\n' || (text[i] == ' ' && (detail.empty() || detail.back() == ' '))) {
      if (!detail.empty() && detail.back() != ' ') detail += ' ';
    } else {
      detail += text[i];
    }
  }
  while (!detail.empty() && detail.back() == ' ') detail.pop_back();
  return std::string(status.szShortMessage,
                     strnlen(status.szShortMessage, sizeof status.szShortMessage)) +
         (detail.empty() ? "" : ": " + detail);
}

namespace {

const CommandRegistration kStatus({
    .name = "status",
    .synopsis = "status",
    .summary = "the plug-in's status field",
    .exits = "0 connected (Conn), 3 not connected (Wait, Disc, Down or Error: the field says "
             "why), 2 usage error.",
    .define = WithoutArguments([](HostSession& session, const HostOptions& options) {
      return IsConnected(PrintStatus(session, options.json)) ? kExitOk : kExitNotConnected;
    }),
    .json = true,
});

}  // namespace

#include "lifecycle/status.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "db/session.h"
#include "lifecycle/conn_state.h"
#include "plugin/global.h"
#include "plugin/version.h"

namespace {

void CopyCut(char* field, size_t size, const std::string& text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// What the status area shows for each state; the code is left alone in Error.
struct StateLook {
  const char* shortText;
  int32_t code;
  uint32_t colour;
};
constexpr StateLook kLooks[] = {
    {"Wait", 0x10000000, 0x0000FFFF},  // CONN_WAIT
    {"Conn", 0, 0x0000FF00},           // CONN_CONNECTED
    {"Disc", 0x20000000, 0x00C000C0},  // CONN_DISCONNECTED
    {"Down", 0x30000000, 0x000000FF},  // CONN_DOWN
};

}  // namespace

void FillStatus(const CGlobal& g, int state, PluginStatus* status) {
  std::string longText;
  switch (state) {
    case CONN_WAIT:
      longText = "Waiting for connection.\nWill not retry until you re-connect manually.";
      break;
    case CONN_CONNECTED:
      longText = std::string(kVersionLine) + " (" + g.m_strPlatformBits + "-bit)\nUser = " +
                 g.m_strUserName + "\nEmail = " + g.m_strEmail;
      break;
    case CONN_DISCONNECTED:
      longText = "Disconnected.\nWill not retry until you re-connect manually.";
      break;
    case CONN_DOWN:
      longText =
          "Connection is shut down.\nPlease check your internet connection,\n"
          "Plugin will try to reconnect in " +
          std::to_string(2 * static_cast<int64_t>(g.m_nTradeInterval)) + " seconds.";
      break;
    default:
      CopyCut(status->szShortMessage, sizeof status->szShortMessage, "Error");
      status->clrStatusColor = 0x00800080;
      CopyCut(status->szLongMessage, sizeof status->szLongMessage, kSessionInUseText);
      return;
  }
  const StateLook& look = kLooks[state];
  status->nStatusCode = look.code;
  status->clrStatusColor = look.colour;
  CopyCut(status->szShortMessage, sizeof status->szShortMessage, look.shortText);
  CopyCut(status->szLongMessage, sizeof status->szLongMessage, longText);
}

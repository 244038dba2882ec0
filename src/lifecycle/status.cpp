#include "lifecycle/status.h"

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

}  // namespace

void FillStatus(const CGlobal& g, int state, PluginStatus* status) {
  const char* shortText;
  std::string longText;
  switch (state) {
    case CONN_WAIT:
      shortText = "Wait";
      status->nStatusCode = 0x10000000;
      status->clrStatusColor = 0x0000FFFF;
      longText = "Waiting for connection.\nWill not retry until you re-connect manually.";
      break;
    case CONN_CONNECTED:
      shortText = "Conn";
      status->nStatusCode = 0;
      status->clrStatusColor = 0x0000FF00;
      longText = std::string(kVersionLine) + " (" + g.m_strPlatformBits + "-bit)\nUser = " +
                 g.m_strUserName + "\nEmail = " + g.m_strEmail;
      break;
    case CONN_DISCONNECTED:
      shortText = "Disc";
      status->nStatusCode = 0x20000000;
      status->clrStatusColor = 0x00C000C0;
      longText = "Disconnected.\nWill not retry until you re-connect manually.";
      break;
    case CONN_DOWN:
      shortText = "Down";
      status->nStatusCode = 0x30000000;
      status->clrStatusColor = 0x000000FF;
      longText =
          "Connection is shut down.\nPlease check your internet connection,\n"
          "Plugin will try to reconnect in " +
          std::to_string(2 * g.m_nTradeInterval) + " seconds.";
      break;
    default:
      shortText = "Error";
      status->clrStatusColor = 0x00800080;
      longText = kSessionInUseText;
      break;
  }
  CopyCut(status->szShortMessage, sizeof status->szShortMessage, shortText);
  CopyCut(status->szLongMessage, sizeof status->szLongMessage, longText);
}

#include "lifecycle/lifecycle.h"

#include <cstdint>
#include <new>

#include "db/connection.h"
#include "db/database.h"
#include "db/session.h"
#include "lifecycle/conn_state.h"
#include "lifecycle/market_poll.h"
#include "lifecycle/status.h"
#include "platform/window.h"
#include "plugin/app.h"
#include "realtime/realtime_refresh.h"
#include "ui/resource.h"

namespace {

// The intervals come from the server's configuration and may be any whole
// number of seconds: the milliseconds are counted wide and kept within what
// a window timer takes.
void Start(CGlobal& g, uintptr_t id, int64_t milliseconds) {
  constexpr int64_t kLongest = 0x7FFFFFFF;
  const int64_t interval = milliseconds < 0 ? 0 : milliseconds > kLongest ? kLongest : milliseconds;
  platform::StartTimer(g.m_hMainWnd, id, static_cast<unsigned>(interval), TimerProc);
}

// The notification path ends in Wait when the open fails, the menu's
// Connect command in Disconnected, and only the command tells the host.
void ConnectSequence(CGlobal& g, bool fromCommand) {
  BuildConnectString(g);
  OpenDatabase(g);
  if (g.m_pDatabase == nullptr) {
    StopAllTimers(g);
    g_nConnState = fromCommand ? CONN_DISCONNECTED : CONN_WAIT;
    return;
  }
  if (IsUserLoginOk(g) == 0) {
    StopAllTimers(g);
    g_nConnState = CONN_ERROR;
    DisconnectSession(g);
    return;
  }
  StopAllTimers(g);
  g_nConnState = CONN_CONNECTED;
  GetRealtimeQuote(g);
  if (fromCommand) platform::PostToWindow(g.m_hMainWnd, WM_STREAMING_UPDATE);
  Start(g, IDT_CONNECT, g.m_nTradeInterval * int64_t{1000});
}

void Disconnect(CGlobal& g) {
  StopAllTimers(g);
  g_nConnState = CONN_DISCONNECTED;
  DisconnectSession(g);
}

void StatusMenu(CGlobal& g, const PluginNotification& notification) {
  int x = 0, y = 0;
  platform::CursorPosition(&x, &y);
  const int state = g_nConnState;
  const bool connect = state == CONN_WAIT || state == CONN_DISCONNECTED;
  const bool disconnect = state == CONN_CONNECTED;
  int command = platform::TrackStatusMenu(notification.hMainWnd, x, y, connect, disconnect);
  if (command == ID_CONNECT)
    ConnectSequence(g, true);
  else if (command == ID_DISCONNECT)
    Disconnect(g);
}

}  // namespace

void StopAllTimers(CGlobal& g) {
  platform::StopTimer(g.m_hMainWnd, IDT_CONNECT);
  platform::StopTimer(g.m_hMainWnd, IDT_TRADE);
  platform::StopTimer(g.m_hMainWnd, IDT_EOD);
}

void HandleNotify(CGlobal& g, const PluginNotification& notification) {
  if (notification.nReason & REASON_DATABASE_LOADED) {
    g.m_hMainWnd = notification.hMainWnd;
    if (notification.pWorkspace != nullptr)
      notification.pWorkspace->nAllowMixedEODIntra = notification.pWorkspace->nTimeBase != 0;
    if (g.m_bAutoConnect == 0) {
      g_nConnState = CONN_WAIT;
      StopAllTimers(g);
    } else {
      ConnectSequence(g, false);
    }
  }
  if (notification.nReason & REASON_DATABASE_UNLOADED) Disconnect(g);
  if (notification.nReason & REASON_STATUS_RMBCLICK) StatusMenu(g, notification);
}

void ReportStatus(CGlobal& g, PluginStatus* status) {
  const int state = g_nConnState;
  FillStatus(g, state, status);
  if (state == CONN_CONNECTED && g.m_bAutoConnect != 0) GetRealtimeQuote(g);
}

void ScheduleRetry(CGlobal& g) {
  if (--g_nRetriesLeft != 0) {
    Start(g, IDT_CONNECT, g.m_nTradeInterval * int64_t{2000});
    g_nConnState = CONN_DOWN;
  } else if (g.m_bAutoConnect != 0) {
    Start(g, IDT_CONNECT, g.m_nTradeInterval * int64_t{6000});
    g_nConnState = CONN_DOWN;
    g_nRetriesLeft = 5;
  } else {
    g_nConnState = CONN_DISCONNECTED;
  }
}

void TimerProc(WindowHandle, unsigned, uintptr_t id, uint32_t) {
  if (id != IDT_CONNECT && id != IDT_TRADE && id != IDT_EOD) return;
  CGlobal& g = g_global;
  try {
    if (PollMarketStatus(g) == 0) {
      Disconnect(g);
      return;
    }
    g_nConnState = CONN_CONNECTED;
    g_nRetriesLeft = 5;
    if (GetRealtimeQuote(g) != 0 && g.m_bMarketClosed == 0)
      platform::PostToWindow(g.m_hMainWnd, WM_STREAMING_UPDATE);
    if (id == IDT_CONNECT) {
      platform::StopTimer(g.m_hMainWnd, IDT_CONNECT);
      Start(g, IDT_TRADE, g.m_nTradeInterval * int64_t{1000});
    } else if (id == IDT_TRADE && g.m_bEod != 0) {
      platform::StopTimer(g.m_hMainWnd, IDT_TRADE);
      Start(g, IDT_EOD, g.m_nEodInterval * int64_t{1000});
    } else if (id == IDT_EOD && g.m_bEod == 0) {
      platform::StopTimer(g.m_hMainWnd, IDT_EOD);
      Start(g, IDT_TRADE, g.m_nTradeInterval * int64_t{1000});
    }
  } catch (const CDBException&) {
    // Nothing is shown: the status area tells the user.
    g_nConnState = CONN_DOWN;
    platform::StopTimer(g.m_hMainWnd, id);
    ScheduleRetry(g);
  } catch (const std::bad_alloc&) {
    // A tick out of memory fails like one without the server: nothing may
    // be thrown into the host's message loop.
    g_nConnState = CONN_DOWN;
    platform::StopTimer(g.m_hMainWnd, id);
    ScheduleRetry(g);
  }
}

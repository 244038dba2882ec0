// The connection lifecycle: the host's notifications, the status-area menu,
// the three polling timers and the retries after database errors.
#ifndef VELMORA_LIFECYCLE_LIFECYCLE_H_
#define VELMORA_LIFECYCLE_LIFECYCLE_H_

#include <cstdint>

#include "abi/host_records.h"

class CGlobal;

enum : uintptr_t { IDT_CONNECT = 5678, IDT_TRADE = 199, IDT_EOD = 1620 };

// Reacts to database loaded (1), unloaded (2) and the status-area right
// click (8), in that order when one notification carries several.
void HandleNotify(CGlobal& g, const PluginNotification& notification);

// The timers' call-back; works on the module's global state.
void TimerProc(WindowHandle window, unsigned message, uintptr_t id, uint32_t time);

// After a database error in a tick: a quick retry, a slow one, or giving up.
void ScheduleRetry(CGlobal& g);

// The host's status query: fills the record from the connection state and,
// while connected with auto-connect on, refreshes the real-time records too;
// in any other state it touches no database.
void ReportStatus(CGlobal& g, PluginStatus* status);

// Kills timers 5678, 199 and 1620, in that order.
void StopAllTimers(CGlobal& g);

#endif  // VELMORA_LIFECYCLE_LIFECYCLE_H_

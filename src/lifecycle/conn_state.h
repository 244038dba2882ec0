// The connection state and the retry counter, shared by the lifecycle, the
// status area and the bar requests.
#ifndef VELMORA_LIFECYCLE_CONN_STATE_H_
#define VELMORA_LIFECYCLE_CONN_STATE_H_

#include <cstdint>

enum ConnState : int32_t {
  CONN_WAIT = 0,
  CONN_CONNECTED = 1,
  CONN_DISCONNECTED = 2,
  CONN_DOWN = 3,
  CONN_ERROR = 4,
};

extern int32_t g_nConnState;
extern int32_t g_nRetriesLeft;

#endif  // VELMORA_LIFECYCLE_CONN_STATE_H_

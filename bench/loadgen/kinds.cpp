#include "kinds.h"

namespace loadgen {

const char* KindName(Kind kind) {
  static const char* const kNames[kKindCount] = {
      "connect",  "config",    "session-query", "session-register", "market-status", "conn-id",
      "realtime", "eod-bars",  "intraday-bars", "disconnect",       "select-1"};
  return kNames[kind];
}

}  // namespace loadgen

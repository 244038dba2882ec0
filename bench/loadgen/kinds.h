// The kinds of statement an installation sends, named as the server's list
// of the plug-in's statements names them, plus the connect itself and the
// trivial statement of the comparison workload.
#ifndef VELMORA_BENCH_LOADGEN_KINDS_H_
#define VELMORA_BENCH_LOADGEN_KINDS_H_

namespace loadgen {

enum Kind {
  kConnect,
  kConfig,
  kSessionQuery,
  kSessionRegister,
  kMarketStatus,
  kConnId,
  kRealtime,
  kEodBars,
  kIntradayBars,
  kDisconnect,
  kSelectOne,
  kKindCount
};

const char* KindName(Kind kind);

// The statements of a timer tick (and the chart's bar request that may
// follow it), as opposed to those of the connect and the disconnect.
inline bool IsTickKind(Kind kind) {
  return kind == kMarketStatus || kind == kConnId || kind == kRealtime || kind == kEodBars ||
         kind == kIntradayBars || kind == kSelectOne;
}

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_KINDS_H_

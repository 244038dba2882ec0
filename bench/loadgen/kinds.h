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

// The statements of a timer tick: the ones whose latency sets the capacity.
inline bool IsTickKind(Kind kind) {
  return kind == kMarketStatus || kind == kRealtime || kind == kSelectOne;
}

}  // namespace loadgen

#endif  // VELMORA_BENCH_LOADGEN_KINDS_H_

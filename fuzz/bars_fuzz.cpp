// Rows of any values and order folded, adjusted and merged into a held
// array of any size, capacity and contents: the last held bar kept is older
// than the first fetched one, the newest fetched bars that fit end the
// array, and nothing is written past the capacity.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "src/bars/bar_build.h"
#include "src/bars/bar_merge.h"
#include "src/plugin/global.h"

namespace {

float Finite(FuzzedDataProvider& in) {
  const float v = in.ConsumeFloatingPoint<float>();
  return std::isfinite(v) ? v : 0.0f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CGlobal g;
  FuzzedDataProvider in(data, size);
  g.m_strColCloseBidAsk = in.ConsumeBool() ? "avgprice" : "CloseBidAsk";
  const int periodicity = in.PickValueInArray({86400, 60, 300});
  const int capacity = in.ConsumeIntegralInRange(-2, 300);
  const int lastValid = in.ConsumeIntegralInRange(-1, 300);
  std::vector<Quotation> held(static_cast<size_t>(std::max(capacity, lastValid + 1)) + 1);
  in.ConsumeData(held.data(), held.size() * sizeof(Quotation));
  const std::vector<Quotation> before = held;
  const bool carried[3] = {in.ConsumeBool(), in.ConsumeBool(), in.ConsumeBool()};

  BarBuilder builder(g, periodicity, lastValid, held.data(), carried);
  std::vector<Quotation> fetched;
  while (in.remaining_bytes() > 0) {
    BarRow row{};
    row.date = DBTimestamp{in.ConsumeIntegral<int16_t>(), in.ConsumeIntegral<uint16_t>(),
                           in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>(),
                           in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>(), 0};
    row.open = Finite(in), row.high = Finite(in), row.low = Finite(in), row.close = Finite(in);
    row.volume = Finite(in), row.adjClose = Finite(in);
    row.openInterest = Finite(in), row.aux1 = Finite(in), row.aux2 = Finite(in);
    builder.Add(row, fetched);
  }
  if (fetched.empty()) return 0;

  const std::vector<Quotation> adjusted = held;
  const int count = MergeBars(lastValid, held.data(), capacity, fetched);
  const int room = std::max(capacity, 0);
  const int newest = std::min(static_cast<int>(fetched.size()), room);
  const int kept = count - newest;
  if (count < 0 || count > room || kept < 0) std::abort();
  if (kept > 0 && !(held[kept - 1].DateTime < fetched.front().DateTime)) std::abort();
  if (newest > 0 && std::memcmp(&held[kept], &fetched[fetched.size() - newest],
                                newest * sizeof(Quotation)) != 0)
    std::abort();
  // Past the capacity only the adjustment may have touched the held bars,
  // and never past the last valid one.
  for (size_t i = room; i < held.size(); ++i)
    if (std::memcmp(&held[i], &adjusted[i], sizeof(Quotation)) != 0) std::abort();
  for (size_t i = static_cast<size_t>(std::max(lastValid, 0)); i < held.size(); ++i)
    if (std::memcmp(&adjusted[i], &before[i], sizeof(Quotation)) != 0) std::abort();
  return 0;
}

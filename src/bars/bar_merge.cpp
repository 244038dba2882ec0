#include "bars/bar_merge.h"

#include <cstring>

int MergeBars(int lastValid, Quotation* bars, int capacity, const std::vector<Quotation>& fetched) {
  if (capacity < 0) capacity = 0;
  // A host that claims more valid bars than its array holds gets no read or
  // write past the array.
  if (lastValid >= capacity) lastValid = capacity - 1;
  if (fetched.empty()) return lastValid + 1;

  const uint64_t first = fetched.front().DateTime;
  int kept = 0;
  for (int i = lastValid; i >= 0; --i) {
    if (bars[i].DateTime < first) {
      kept = i + 1;
      break;
    }
  }

  const int n = static_cast<int>(fetched.size());
  const Quotation* used = fetched.data();
  int usedCount = n;
  if (n > capacity) {
    used += n - capacity;
    usedCount = capacity;
    kept = 0;
  } else if (kept + n > capacity) {
    const int keep = capacity - n;
    std::memmove(bars, bars + (kept - keep), static_cast<size_t>(keep) * sizeof(Quotation));
    kept = keep;
  }

  int copied = usedCount < capacity - kept ? usedCount : capacity - kept;
  if (copied > 0)
    std::memcpy(bars + kept, used, static_cast<size_t>(copied) * sizeof(Quotation));
  return kept + copied;
}

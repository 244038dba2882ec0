// Laying fetched bars behind the host's older bars.
#ifndef VELMORA_BARS_BAR_MERGE_H_
#define VELMORA_BARS_BAR_MERGE_H_

#include <vector>

#include "abi/host_records.h"

// Keeps the held bars older than the first fetched bar, puts the fetched bars
// behind them and returns the new count. Within the capacity the newest bars
// win: fetched bars beyond it push out the oldest held ones. Writes only
// bars[0 .. capacity-1]. `fetched` must not be empty.
int MergeBars(int lastValid, Quotation* bars, int capacity, const std::vector<Quotation>& fetched);

#endif  // VELMORA_BARS_BAR_MERGE_H_

// The bars of `bars` as files: the CSV that a chart's store holds (written,
// and read back as the bars a chart holds before it asks) and an SVG
// candlestick chart.
#ifndef VELMORA_HOST_BAR_FILES_H_
#define VELMORA_HOST_BAR_FILES_H_

#include <string>
#include <vector>

#include "src/abi/host_records.h"

// Date, time (empty for a daily bar), prices, volume and open interest as
// plain numbers. A bar whose price is not a number is left out; a volume or
// open interest that is not one is written as 0.
bool WriteCsv(const std::string& path, const std::vector<Quotation>& bars, int count);
// Bars as WriteCsv writes them, into `bars` up to its size. Returns the
// count, or -1 after saying (standard error) what is wrong with the file.
int ReadCsv(const std::string& path, std::vector<Quotation>& bars);
// Candles over the price panel, volume under it: the newest 400 bars with
// prices.
bool WriteSvg(const std::string& path, const std::string& ticker,
              const std::vector<Quotation>& held, int heldCount);

#endif  // VELMORA_HOST_BAR_FILES_H_

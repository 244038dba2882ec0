// The backfill statements: the ten bar columns, the two select lists and the
// statement for one ticker from one start point.
#ifndef VELMORA_BARS_BAR_QUERY_H_
#define VELMORA_BARS_BAR_QUERY_H_

#include <string>
#include <vector>

class CGlobal;

// The ten bar columns, in the order that gives each its meaning.
enum BarColumn {
  BAR_TRDATE = 0,
  BAR_OPEN,
  BAR_HIGH,
  BAR_LOW,
  BAR_CLOSE,
  BAR_VOLUME,
  BAR_OPENINT,
  BAR_AUX1,
  BAR_AUX2,
  BAR_ADJCLOSE,
  BAR_COLUMN_COUNT
};

extern const char kSkipOpenInt[];
extern const char kSkipAux1[];
extern const char kSkipAux2[];

// Replaces the array's contents with the ten entries.
void GetBarColumns(const CGlobal& g, std::vector<std::string>& columns);

void BuildEodColumnList(CGlobal& g);
void BuildIntradayColumnList(CGlobal& g);

// The statement for periodicity 86400 (start date "Y-MM-DD") or 60 (start
// date and time joined into digits); the empty text for any other.
std::string BuildBarQuery(const CGlobal& g, std::string ticker, int periodicity,
                          std::string startDate, std::string startTime);

#endif  // VELMORA_BARS_BAR_QUERY_H_

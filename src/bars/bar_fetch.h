// Reading the rows of one backfill statement into host bars.
#ifndef VELMORA_BARS_BAR_FETCH_H_
#define VELMORA_BARS_BAR_FETCH_H_

#include <string>
#include <vector>

#include "abi/host_records.h"

class CGlobal;

// Runs the statement for the ticker from the start point and appends one bar
// per row (intraday rows with a stamp not later than the last added bar fold
// into it). Rows carrying an adjusted close rescale the fetched bars and,
// where the host's last bar allows, the held bars bars[0 .. lastValid-1] in
// place. Returns 1 when at least one bar was fetched, 0 on any failure; only
// a missing result column is told to the user.
int FetchBars(CGlobal& g, std::vector<Quotation>& fetched, const std::string& ticker,
              int periodicity, int lastValid, const std::string& startDate,
              const std::string& startTime, Quotation* bars);

#endif  // VELMORA_BARS_BAR_FETCH_H_

// Test rows for the bar tests: a connected global state and rows of one
// test ticker in the private server's bar tables.
#ifndef VELMORA_TESTING_BAR_ROWS_H_
#define VELMORA_TESTING_BAR_ROWS_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/host_records.h"
#include "plugin/global.h"

namespace bar_test {

// A host's bar at `stamp` whose four prices are `close`; such a bar as the
// end-of-day bar of 2024-03-`day` with no volume; the closes of the first
// `count` bars.
Quotation Held(uint64_t stamp, float close, float volume);
Quotation Daily(int day, float close);
std::vector<float> Closes(const Quotation* bars, int count);

// Replaces the ticker's rows in NVEod or NVIntraday with `values`: tuples
// of (TrDate, [TrTime,] Open, High, Low, Close, Volume, AdjClose) without
// the ticker (a plain word, put in as it stands), which is prepended to each.
void LoadRows(const std::string& table, const std::string& ticker, const std::string& values);

// The same with the server's check constraints switched off for the admin's
// session: rows that the schema refuses (a number beyond a 32-bit float), as
// data written before the checks existed, or by an operator who bypassed
// them, would still reach the plug-in.
void LoadRowsPastChecks(const std::string& table, const std::string& ticker,
                        const std::string& values);

// A global state connected to the private server, both select lists built.
class BarServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  CGlobal g;
};

}  // namespace bar_test

#endif  // VELMORA_TESTING_BAR_ROWS_H_

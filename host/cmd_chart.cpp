// chart TICKER --daily|--intraday [--capacity N]: a chart that stays open for
// the session. Its bars are kept between commands, and each command asks
// the plug-in again holding them, as a host's open chart does; the merged
// bars are then checked against what a chart opened afresh gets. A lasting
// difference, or stamps out of order, means the held bars were corrupted.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/report.h"

namespace {

struct Chart {
  std::vector<Quotation> bars;
  int count = 0;
};

// The charts of this session, by ticker and periodicity.
std::map<std::string, Chart>& Charts() {
  static std::map<std::string, Chart> charts;
  return charts;
}

// Where the bars stop making a chart: the first bar whose stamp is not
// later than the one before, or whose prices are not numbers; -1 if none.
int FirstBadBar(const std::vector<Quotation>& bars, int count) {
  for (int i = 0; i < count; ++i) {
    const Quotation& q = bars[i];
    if (!std::isfinite(q.Open) || !std::isfinite(q.High) || !std::isfinite(q.Low) ||
        !std::isfinite(q.Close) || (i > 0 && q.DateTime <= bars[i - 1].DateTime))
      return i;
  }
  return -1;
}

struct ChartArgs {
  std::string ticker;
  bool daily = false, intraday = false;
  long capacity = 5000;
};

int ChartCommand(HostSession& session, const ChartArgs& args) {
  const std::string& ticker = args.ticker;
  const int periodicity = args.daily ? 86400 : 60;
  const long capacity = args.capacity;
  const char* kind = periodicity == 86400 ? "daily" : "intraday";
  Chart& chart = Charts()[ticker + " " + kind];
  if (chart.bars.size() != static_cast<size_t>(capacity)) {
    chart.bars.assign(static_cast<size_t>(capacity), Quotation{});
    chart.count = 0;
  }
  // A request that fails (the server away) leaves the held bars as they
  // were, and one made afresh just after may already succeed: a difference
  // counts only when it stays after the chart has asked once more.
  for (int round = 1;; ++round) {
    const int held = chart.count;
    chart.count = session.api.GetQuotesEx(ticker.c_str(), periodicity, held - 1, capacity,
                                          chart.bars.data(), nullptr);
    std::printf("chart %s %s: %d bars (held %d)", ticker.c_str(), kind, chart.count, held);
    const int bad = FirstBadBar(chart.bars, chart.count);
    if (chart.count < 0 || chart.count > capacity || bad >= 0) {
      std::printf(", CORRUPT: bar %d is out of order or not a number\n", bad);
      return 1;
    }
    std::vector<Quotation> fresh(static_cast<size_t>(capacity));
    const int count = session.api.GetQuotesEx(ticker.c_str(), periodicity, -1, capacity,
                                              fresh.data(), nullptr);
    const bool same = count == chart.count &&
                      std::memcmp(fresh.data(), chart.bars.data(), count * sizeof(Quotation)) == 0;
    if (count == 0) {
      std::printf(", not compared (a fresh chart got no bars)\n");
    } else if (same) {
      std::printf(", the same as a fresh chart, last %s\n",
                  FormatBarTime(chart.bars[chart.count - 1].DateTime).c_str());
    } else if (round == 1) {
      std::printf(", a fresh chart has %d: asking again\n", count);
      continue;
    } else {
      std::printf(", CORRUPT: a fresh chart has %d bars, not the same\n", count);
      return 1;
    }
    std::fflush(stdout);
    return 0;
  }
}

const CommandRegistration kChart({
    .name = "chart",
    .synopsis = "chart TICKER --daily|--intraday [--capacity N]",
    .summary = "a chart kept open for the session: asks again holding its bars, checks them",
    .exits = "0 the held bars equal a chart opened afresh (or none came to compare), 1 the "
             "held bars are corrupt, 2 usage error.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto args = std::make_shared<ChartArgs>();
      AddTickerAndPeriod(parser, args->ticker, args->daily, args->intraday);
      parser.add_option("--capacity", args->capacity, "the chart's bar array (5000)")
          ->check(CLI::Range(1L, 1000000L))
          ->type_name("N");
      return [args](HostSession& session, const HostOptions&) {
        return ChartCommand(session, *args);
      };
    },
});

}  // namespace

// bars TICKER --daily|--intraday: the host's bar request for one ticker, as a
// chart asks for it, with its summary, CSV and an SVG candlestick chart.
#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/bar_files.h"
#include "host/commands.h"
#include "host/host_session.h"
#include "host/plugin_messages.h"
#include "host/quote_window.h"
#include "host/report.h"

namespace {

using Clock = std::chrono::steady_clock;

bool IsTerminal(FILE* stream) {
#if defined(_WIN32)
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

void PrintBar(const char* label, const Quotation& q) {
  std::printf("  %-6s %-19s  O %s  H %s  L %s  C %s  V %s\n", label,
              FormatBarTime(q.DateTime).c_str(), FormatPrice(q.Open).c_str(),
              FormatPrice(q.High).c_str(), FormatPrice(q.Low).c_str(),
              FormatPrice(q.Close).c_str(), FormatVolume(q.Volume).c_str());
}

// A value as JSON: the float's own shortest digits, null when it is no
// number.
nlohmann::ordered_json Number(float value) {
  const std::string text = PlainNumber(value);
  return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(std::strtod(text.c_str(), nullptr));
}

nlohmann::ordered_json BarJson(const Quotation& q) {
  return {{"time", FormatBarTime(q.DateTime)}, {"open", Number(q.Open)},
          {"high", Number(q.High)},            {"low", Number(q.Low)},
          {"close", Number(q.Close)},          {"volume", Number(q.Volume)}};
}

// One request as the host makes it, with a progress line on standard error
// while the plug-in works (the plug-in runs on this thread; the line is
// drawn from another that only writes to the terminal).
// With `old` (not null), the request goes through the older entry point and
// record layout, into `old`; `bars` then stays as it was.
int Request(HostSession& session, const std::string& ticker, int periodicity, int lastValid,
            std::vector<Quotation>& bars, std::vector<QuotationOld>* old, double* seconds) {
  std::atomic<bool> done{false};
  auto start = Clock::now();
  // A line redrawn in place means something only on a terminal.
  const bool terminal = IsTerminal(stderr);
  std::thread progress([&] {
    while (terminal && !done.load()) {
      double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      std::fprintf(stderr, "\rfetching %s %s bars... %.1f s", ticker.c_str(),
                   periodicity == 86400 ? "daily" : "1-minute", elapsed);
      std::fflush(stderr);
      for (int i = 0; i < 10 && !done.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  int count = old != nullptr
                  ? session.api.GetQuotes(ticker.c_str(), periodicity, lastValid,
                                          static_cast<int>(old->size()), old->data())
                  : session.api.GetQuotesEx(ticker.c_str(), periodicity, lastValid,
                                            static_cast<int>(bars.size()), bars.data(), nullptr);
  done = true;
  progress.join();
  *seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (terminal) std::fprintf(stderr, "\r%60s\r", "");
  return count;
}

// The plug-in's answer says only how many bars the host now holds; which
// of the reasons for getting none applies is told from the status before
// the request, the message boxes it showed and how long it took.
struct Outcome {
  int count = 0;
  int before = 0;
  PluginStatus statusBefore{};
  std::vector<std::string> messages;
  double seconds = 0;
  PluginStatus statusAfter{};
  // The host's own run of the statement, for a request that got nothing.
  std::string probeError;
  bool probeRows = false;
};

// The driver gives up on a server that does not answer after its read
// timeout (15 s); a request that took about that long and got nothing
// timed out.
constexpr double kTimeoutSeconds = 14.5;

// What a request came to: a word for scripts, and for a trader the reason
// when it brought nothing new. The exit code follows from it.
struct Verdict {
  const char* kind;
  std::string why;
  int exit;
};

Verdict Judge(const std::string& ticker, int periodicity, const Outcome& o) {
  const bool connectedBefore = IsConnected(o.statusBefore);
  if (o.count > o.before || (o.count > 0 && connectedBefore && o.messages.empty() &&
                             o.seconds < kTimeoutSeconds)) {
    if (o.count == o.before && o.before > 0)
      return {"nothing newer", "nothing newer than the bars held", kExitOk};
    return {"bars", "", kExitOk};
  }
  const std::string kind = periodicity == 86400 ? "daily" : "1-minute";
  if (!connectedBefore)
    return {"not connected",
            "not connected (status " + StatusWords(o.statusBefore) +
                "): the plug-in answers only while connected",
            kExitNotConnected};
  if (!o.messages.empty())
    return {"server error", "server error: the request failed with the message above",
            kExitFailed};
  if (o.seconds >= kTimeoutSeconds)
    return {"timeout",
            "timeout: the server did not answer within " +
                std::to_string(static_cast<int>(o.seconds + 0.5)) + " s; the plug-in gave up",
            kExitFailed};
  if (!IsConnected(o.statusAfter))
    return {"connection lost",
            "the connection was lost during the request (status " + StatusWords(o.statusAfter) +
                ")",
            kExitNotConnected};
  if (!o.probeError.empty())
    return {"server error", "server error: the server refused the request: " + o.probeError,
            kExitFailed};
  if (o.probeRows)
    return {"no bars", "no bars, although the server has " + kind + " rows for '" + ticker + "'",
            kExitFailed};
  return {"no rows", "no rows: the server has no " + kind + " bars for '" + ticker + "'",
          kExitFailed};
}

void Report(const char* what, const std::vector<Quotation>& bars, const Outcome& o,
            const Verdict& verdict, bool json, nlohmann::ordered_json& requests) {
  const Quotation* first = o.count > 0 ? &bars[0] : nullptr;
  const Quotation* last = o.count > 0 ? &bars[o.count - 1] : nullptr;
  if (json) {
    requests.push_back(nlohmann::ordered_json{{"request", what},
                        {"bars", o.count},
                        {"heldBefore", o.before},
                        {"seconds", o.seconds},
                        {"messages", o.messages},
                        {"first", first ? BarJson(*first) : nlohmann::ordered_json()},
                        {"last", last ? BarJson(*last) : nlohmann::ordered_json()},
                        {"outcome", verdict.kind},
                        {"why", verdict.why},
                        {"statusBefore", StatusJson(o.statusBefore)}});
    return;
  }
  std::printf("%s: %d bars (held before: %d) in %.3f s\n", what, o.count, o.before, o.seconds);
  for (const std::string& message : o.messages)
    std::printf("  the plug-in showed a message: %s\n", message.c_str());
  if (first != nullptr) {
    PrintBar("first", *first);
    PrintBar("last", *last);
  }
  if (!verdict.why.empty()) std::printf("  %s\n", verdict.why.c_str());
}

// The host's array after the last request, exactly as it holds it: `count`
// records of the layout asked for, for comparing builds byte for byte.
template <typename Record>
bool WriteRaw(const std::string& path, const std::vector<Record>& records, int count) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  const bool written = std::fwrite(records.data(), sizeof(Record), n, out) == n;
  return std::fclose(out) == 0 && written;
}

struct BarsArgs {
  std::string ticker, csv, svg, hold, raw;
  bool daily = false, intraday = false, again = false, oldLayout = false;
  long capacity = 100000;
};

int Bars(HostSession& session, const HostOptions& options, const BarsArgs& args) {
  const int periodicity = args.daily ? 86400 : 60;
  std::vector<Quotation> bars(static_cast<size_t>(args.capacity));
  std::vector<QuotationOld> old(args.oldLayout ? bars.size() : 0);
  // A chart opened from the host's own store holds bars before it asks.
  const int held = args.hold.empty() ? 0 : ReadCsv(args.hold, bars);
  if (held < 0) return kExitUsage;
  nlohmann::ordered_json requests = nlohmann::ordered_json::array();
  int exit = kExitOk;
  // The first request, and with --again a second one holding the bars of
  // the first, as an open chart asks again; the plug-in merges what is new
  // behind them.
  int count = held;
  for (const char* what : {"request", "again"}) {
    if (what[0] == 'a' && !args.again) break;
    Outcome o;
    o.before = count;
    o.statusBefore = session.Status();
    TakePluginMessages();
    count = o.count = Request(session, args.ticker, periodicity, count - 1, bars,
                              args.oldLayout ? &old : nullptr, &o.seconds);
    o.messages = TakePluginMessages();
    o.statusAfter = session.Status();
    if (args.oldLayout) {
      // The older records carry no time of day to show; only how many came.
      std::printf("%s: %d bars in the older layout (held before: %d)\n", what, count, o.before);
      exit = count > 0 ? kExitOk : IsConnected(o.statusBefore) ? kExitFailed : kExitNotConnected;
      continue;
    }
    if (count == 0 && IsConnected(o.statusBefore) && IsConnected(o.statusAfter) &&
        o.messages.empty() && o.seconds < kTimeoutSeconds)
      o.probeError = ProbeBars(args.ticker, periodicity, &o.probeRows);
    const Verdict verdict = Judge(args.ticker, periodicity, o);
    Report(what, bars, o, verdict, options.json, requests);
    exit = verdict.exit;
  }
  if (options.json)
    std::printf("%s\n", JsonText({{"ticker", args.ticker},
                                  {"periodicity", args.daily ? "daily" : "1-minute"},
                                  {"requests", requests}})
                             .c_str());
  if (!args.raw.empty() &&
      !(args.oldLayout ? WriteRaw(args.raw, old, count) : WriteRaw(args.raw, bars, count))) {
    std::fprintf(stderr, "bars: cannot write %s\n", args.raw.c_str());
    return kExitFailed;
  }
  if (!args.csv.empty() && !WriteCsv(args.csv, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", args.csv.c_str());
    return kExitFailed;
  }
  if (!args.svg.empty() && !WriteSvg(args.svg, args.ticker, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", args.svg.c_str());
    return kExitFailed;
  }
  return exit;
}

const CommandRegistration kBars({
    .name = "bars",
    .synopsis = "bars TICKER --daily|--intraday [--capacity N] [--csv FILE] [--svg FILE] "
                "[--hold FILE] [--again] [--raw FILE] [--old-layout]",
    .summary = "the host's bar request for one ticker, with a summary, CSV and an SVG chart",
    .exits = "0 bars came (or nothing newer than the bars held), 1 none came: no rows, a "
             "server error or a timeout (the reason is printed), 3 the plug-in is not "
             "connected, or lost the connection during the request (the status says why), "
             "2 usage error or a held file that is not bars.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto args = std::make_shared<BarsArgs>();
      AddTickerAndPeriod(parser, args->ticker, args->daily, args->intraday);
      parser.add_option("--capacity", args->capacity, "the host's bar array: how many bars it holds (100000)")
          ->check(CLI::Range(1L, 10000000L))
          ->type_name("N");
      CLI::Option* csv =
          parser.add_option("--csv", args->csv, "write the bars as CSV")->type_name("FILE");
      CLI::Option* svg =
          parser.add_option("--svg", args->svg, "draw the newest 400 bars as an SVG chart")
              ->type_name("FILE");
      CLI::Option* hold =
          parser
              .add_option("--hold", args->hold,
                          "start from bars a chart already holds (CSV as --csv writes it)")
              ->type_name("FILE");
      parser.add_flag("--again", args->again,
                      "ask a second time, holding the bars of the first request");
      parser
          .add_option("--raw", args->raw,
                      "write the host's array after the last request as it holds it (to "
                      "compare builds byte for byte)")
          ->type_name("FILE");
      // The older records carry no time of day the host could show or keep.
      parser
          .add_flag("--old-layout", args->oldLayout,
                    "ask through the older entry point and record layout (GetQuotes); only "
                    "with --raw, --capacity and --again")
          ->excludes(csv)
          ->excludes(svg)
          ->excludes(hold);
      return [args](HostSession& session, const HostOptions& options) {
        return Bars(session, options, *args);
      };
    },
    .json = true,
});

}  // namespace

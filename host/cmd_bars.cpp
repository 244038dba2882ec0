// bars TICKER --daily|--intraday: the host's bar request for one ticker, as a
// chart asks for it, with its summary, CSV and an SVG candlestick chart.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/commands.h"
#include "host/host_session.h"
#include "host/plugin_messages.h"
#include "host/report.h"
#include "src/host/bar_time.h"

namespace {

using Clock = std::chrono::steady_clock;

bool IsTerminal(FILE* stream) {
#if defined(_WIN32)
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

std::string Stamp(uint64_t stamp) { return FormatBarTime(stamp); }

bool PricesFinite(const Quotation& q) {
  return std::isfinite(q.Open) && std::isfinite(q.High) && std::isfinite(q.Low) &&
         std::isfinite(q.Close);
}

void PrintBar(const char* label, const Quotation& q) {
  std::printf("  %-6s %-19s  O %s  H %s  L %s  C %s  V %s\n", label, Stamp(q.DateTime).c_str(),
              FormatPrice(q.Open).c_str(), FormatPrice(q.High).c_str(),
              FormatPrice(q.Low).c_str(), FormatPrice(q.Close).c_str(),
              FormatVolume(q.Volume).c_str());
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
  bool connectedBefore;
  std::string statusBefore;
  std::vector<std::string> messages;
  double seconds;
  std::string statusAfter;
  bool connectedAfter;
  // The host's own run of the statement, for a request that got nothing.
  std::string probeError;
  bool probeRows = false;
};

// The driver gives up on a server that does not answer after its read
// timeout (15 s); a request that took about that long and got nothing
// timed out.
constexpr double kTimeoutSeconds = 14.5;

std::string StatusWords(const PluginStatus& status) {
  std::string text = status.szShortMessage;
  if (status.szLongMessage[0] != '\0') {
    std::string detail = status.szLongMessage;
    for (char& c : detail)
      if (c == '\n') c = ' ';
    text += ": " + detail;
  }
  return text;
}

// Prints the summary and, when the request got no bars, why. Returns
// whether it got bars.
bool Summary(const char* what, const std::string& ticker, int periodicity, int count, int before,
             const std::vector<Quotation>& bars, const Outcome& outcome) {
  std::printf("%s: %d bars (held before: %d) in %.3f s\n", what, count, before, outcome.seconds);
  for (const std::string& message : outcome.messages)
    std::printf("  the plug-in showed a message: %s\n", message.c_str());
  if (count > 0) {
    PrintBar("first", bars[0]);
    PrintBar("last", bars[count - 1]);
  }
  if (count > before || (count > 0 && outcome.connectedBefore && outcome.messages.empty() &&
                         outcome.seconds < kTimeoutSeconds)) {
    if (count == before && before > 0)
      std::printf("  nothing newer than the bars held\n");
    return true;
  }
  const char* kind = periodicity == 86400 ? "daily" : "1-minute";
  if (!outcome.connectedBefore)
    std::printf("  not connected (status %s): the plug-in answers only while connected\n",
                outcome.statusBefore.c_str());
  else if (!outcome.messages.empty())
    std::printf("  server error: the request failed with the message above\n");
  else if (outcome.seconds >= kTimeoutSeconds)
    std::printf("  timeout: the server did not answer within %.0f s; the plug-in gave up\n",
                outcome.seconds);
  else if (!outcome.connectedAfter)
    std::printf("  the connection was lost during the request (status %s)\n",
                outcome.statusAfter.c_str());
  else if (!outcome.probeError.empty())
    std::printf("  server error: the server refused the request: %s\n",
                outcome.probeError.c_str());
  else if (outcome.probeRows)
    std::printf("  no bars, although the server has %s rows for '%s'\n", kind, ticker.c_str());
  else
    std::printf("  no rows: the server has no %s bars for '%s'\n", kind, ticker.c_str());
  return false;
}

bool WriteCsv(const std::string& path, const std::vector<Quotation>& bars, int count) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "Date,Time,Open,High,Low,Close,Volume,OpenInterest\n");
  // A bar whose price is not a number is left out; a volume or open
  // interest that is not one is written as 0.
  auto amount = [](float value) {
    const std::string text = PlainNumber(value);
    return text.empty() ? std::string("0") : text;
  };
  for (int i = 0; i < count; ++i) {
    const Quotation& q = bars[i];
    if (!PricesFinite(q)) continue;
    BarTime t = UnpackBarTime(q.DateTime);
    char time[16] = "";
    if (!IsEodMarker(q.DateTime))
      std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::fprintf(out, "%04d-%02d-%02d,%s,%s,%s,%s,%s,%s,%s\n", t.year, t.month, t.day, time,
                 PlainNumber(q.Open).c_str(), PlainNumber(q.High).c_str(),
                 PlainNumber(q.Low).c_str(), PlainNumber(q.Close).c_str(),
                 amount(q.Volume).c_str(), amount(q.OpenInterest).c_str());
  }
  return std::fclose(out) == 0;
}

// Bars a chart already holds, as WriteCsv writes them (an empty time is a
// daily bar). Returns the count, or -1 with a message for a bad file.
int ReadCsv(const std::string& path, std::vector<Quotation>& bars) {
  FILE* in = std::fopen(path.c_str(), "r");
  if (in == nullptr) {
    std::fprintf(stderr, "bars: cannot read %s\n", path.c_str());
    return -1;
  }
  char line[512];
  int count = 0, number = 0;
  bool bad = false;
  while (!bad && std::fgets(line, sizeof line, in) != nullptr) {
    if (++number == 1) continue;  // the header
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    Quotation q{};
    double v[6];
    const char* rest = nullptr;
    if (std::sscanf(line, "%d-%d-%d,%n", &year, &month, &day, &used) == 3 && used > 0) {
      rest = line + used;
      int timeUsed = 0;
      if (*rest == ',') {
        q.DateTime = EodMarker(PackBarTime(year, month, day, 0, 0, 0));
        rest += 1;
      } else if (std::sscanf(rest, "%d:%d:%d,%n", &hour, &minute, &second, &timeUsed) == 3 &&
                 timeUsed > 0) {
        q.DateTime = PackBarTime(year, month, day, hour, minute, second);
        rest += timeUsed;
      } else {
        rest = nullptr;
      }
    }
    bad = rest == nullptr || std::sscanf(rest, "%lf,%lf,%lf,%lf,%lf,%lf", &v[0], &v[1], &v[2],
                                         &v[3], &v[4], &v[5]) != 6 ||
          month < 1 || month > 12 || day < 1 || day > 31;
    if (bad) {
      std::fprintf(stderr, "bars: %s line %d is not a bar: %s", path.c_str(), number, line);
    } else if (count == static_cast<int>(bars.size())) {
      std::fprintf(stderr, "bars: %s holds more bars than the capacity %zu\n", path.c_str(),
                   bars.size());
      bad = true;
    } else if (!std::isfinite(static_cast<float>(v[0])) || !std::isfinite(static_cast<float>(v[1])) ||
               !std::isfinite(static_cast<float>(v[2])) || !std::isfinite(static_cast<float>(v[3]))) {
      // A chart never holds a bar without prices.
      std::fprintf(stderr, "bars: %s line %d: a price is not a number; the bar is left out\n",
                   path.c_str(), number);
    } else {
      if (!std::isfinite(static_cast<float>(v[4]))) v[4] = 0;
      if (!std::isfinite(static_cast<float>(v[5]))) v[5] = 0;
      q.Open = static_cast<float>(v[0]);
      q.High = static_cast<float>(v[1]);
      q.Low = static_cast<float>(v[2]);
      q.Close = static_cast<float>(v[3]);
      q.Volume = static_cast<float>(v[4]);
      q.OpenInterest = static_cast<float>(v[5]);
      bars[count++] = q;
    }
  }
  std::fclose(in);
  return bad ? -1 : count;
}

// Candles over the price panel, volume bars under it; at most the newest
// 400 bars, so that every candle stays visible.
bool WriteSvg(const std::string& path, const std::string& ticker, const std::vector<Quotation>& held,
              int heldCount) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  // Only bars with prices are drawn, and a volume that is not a number is
  // none: no coordinate may come out as NaN or infinity.
  std::vector<Quotation> bars;
  for (int i = 0; i < heldCount; ++i) {
    if (!PricesFinite(held[i])) continue;
    bars.push_back(held[i]);
    if (!std::isfinite(bars.back().Volume)) bars.back().Volume = 0;
  }
  const int count = static_cast<int>(bars.size());
  const int shown = std::min(count, 400);
  const int first = count - shown;
  const double width = 1200, priceTop = 40, priceHeight = 420, volumeTop = 480,
               volumeHeight = 100, left = 60, right = 20;
  double low = 1e30, high = -1e30, volume = 0;
  for (int i = first; i < count; ++i) {
    low = std::min(low, static_cast<double>(bars[i].Low));
    high = std::max(high, static_cast<double>(bars[i].High));
    volume = std::max(volume, static_cast<double>(bars[i].Volume));
  }
  if (shown == 0) low = high = 0;
  if (!(high > low)) high = low + 1;
  if (!(volume > 0)) volume = 1;
  const double step = shown > 0 ? (width - left - right) / shown : 1;
  auto y = [&](double price) { return priceTop + (high - price) / (high - low) * priceHeight; };

  std::fprintf(out,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"600\" "
               "viewBox=\"0 0 %.0f 600\" font-family=\"sans-serif\" font-size=\"12\">\n"
               "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
               width, width);
  std::string title = ticker;
  for (char& c : title)
    if (c == '<' || c == '>' || c == '&' || c == '"') c = '?';
  std::fprintf(out, "<text x=\"%.0f\" y=\"24\" font-size=\"16\">%s: %d bars%s%s%s</text>\n", left,
               title.c_str(), shown, shown > 0 ? ", " : "",
               shown > 0 ? Stamp(bars[first].DateTime).c_str() : "",
               shown > 0 ? (" to " + Stamp(bars[count - 1].DateTime)).c_str() : "");
  for (int k = 0; k <= 4; ++k) {
    double price = low + (high - low) * k / 4;
    std::fprintf(out,
                 "<line x1=\"%.0f\" x2=\"%.0f\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>"
                 "<text x=\"4\" y=\"%.1f\">%s</text>\n",
                 left, width - right, y(price), y(price), y(price) + 4, FormatPrice(price).c_str());
  }
  for (int i = first; i < count; ++i) {
    const Quotation& q = bars[i];
    const double x = left + (i - first) * step;
    const char* colour = q.Close >= q.Open ? "#1a9850" : "#d73027";
    const double top = y(std::max(q.Open, q.Close)), bottom = y(std::min(q.Open, q.Close));
    std::fprintf(out,
                 "<line x1=\"%.2f\" x2=\"%.2f\" y1=\"%.2f\" y2=\"%.2f\" stroke=\"%s\"/>"
                 "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"%s\"/>"
                 "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"#888\"/>\n",
                 x + step / 2, x + step / 2, y(q.High), y(q.Low), colour, x + step * 0.15, top,
                 step * 0.7, std::max(bottom - top, 0.5), colour, x + step * 0.15,
                 volumeTop + volumeHeight * (1 - std::max(0.0, static_cast<double>(q.Volume)) / volume),
                 step * 0.7, volumeHeight * std::max(0.0, static_cast<double>(q.Volume)) / volume);
  }
  std::fprintf(out, "<text x=\"4\" y=\"%.0f\">volume</text>\n</svg>\n", volumeTop + 12);
  return std::fclose(out) == 0;
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

int Bars(HostSession& session, const HostOptions&, const std::vector<std::string>& args) {
  std::string ticker, csv, svg, hold, raw;
  int periodicity = 0;
  long capacity = 100000;
  bool again = false, oldLayout = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--daily") {
      periodicity = 86400;
    } else if (a == "--intraday") {
      periodicity = 60;
    } else if (a == "--again") {
      again = true;
    } else if (a == "--old-layout") {
      oldLayout = true;
    } else if (a == "--capacity" || a == "--csv" || a == "--svg" || a == "--hold" ||
               a == "--raw") {
      if (i + 1 == args.size()) return UsageError("bars", a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--hold") {
        hold = value;
      } else if (a == "--csv") {
        csv = value;
      } else if (a == "--svg") {
        svg = value;
      } else if (a == "--raw") {
        raw = value;
      } else {
        char* end = nullptr;
        capacity = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || capacity < 1 || capacity > 10000000)
          return UsageError("bars", "--capacity takes a number from 1 to 10000000, not '" +
                                        value + "'");
      }
    } else if (ticker.empty() && !a.empty() && a[0] != '-') {
      ticker = a;
    } else {
      return UsageError("bars", "unexpected argument '" + a + "'");
    }
  }
  if (ticker.empty()) return UsageError("bars", "which ticker?");
  if (periodicity == 0) return UsageError("bars", "--daily or --intraday?");
  // The older records carry no time of day the host could show or keep.
  if (oldLayout && !(csv.empty() && svg.empty() && hold.empty()))
    return UsageError("bars", "--old-layout takes only --raw, --capacity and --again");

  std::vector<Quotation> bars(static_cast<size_t>(capacity));
  std::vector<QuotationOld> old(oldLayout ? bars.size() : 0);
  // A chart opened from the host's own store holds bars before it asks.
  const int held = hold.empty() ? 0 : ReadCsv(hold, bars);
  if (held < 0) return 2;
  bool got = false;
  // The first request, and with --again a second one holding the bars of
  // the first, as an open chart asks again; the plug-in merges what is new
  // behind them.
  int count = held;
  for (const char* what : {"request", "again"}) {
    if (what[0] == 'a' && !again) break;
    Outcome outcome;
    const PluginStatus before = session.Status();
    outcome.connectedBefore = before.nStatusCode == 0;
    outcome.statusBefore = StatusWords(before);
    TakePluginMessages();
    const int previous = count;
    count = Request(session, ticker, periodicity, count - 1, bars, oldLayout ? &old : nullptr,
                    &outcome.seconds);
    outcome.messages = TakePluginMessages();
    const PluginStatus after = session.Status();
    outcome.connectedAfter = after.nStatusCode == 0;
    outcome.statusAfter = StatusWords(after);
    if (count == 0 && !oldLayout && outcome.connectedBefore && outcome.connectedAfter &&
        outcome.messages.empty() && outcome.seconds < kTimeoutSeconds)
      outcome.probeError = ProbeBars(ticker, periodicity, &outcome.probeRows);
    if (oldLayout) {
      std::printf("%s: %d bars in the older layout (held before: %d)\n", what, count, previous);
      got = count > 0;
    } else {
      got = Summary(what, ticker, periodicity, count, previous, bars, outcome);
    }
  }
  if (!raw.empty() && !(oldLayout ? WriteRaw(raw, old, count) : WriteRaw(raw, bars, count))) {
    std::fprintf(stderr, "bars: cannot write %s\n", raw.c_str());
    return 1;
  }
  if (!csv.empty() && !WriteCsv(csv, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", csv.c_str());
    return 1;
  }
  if (!svg.empty() && !WriteSvg(svg, ticker, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", svg.c_str());
    return 1;
  }
  return got ? 0 : 1;
}

const CommandRegistration kBars(
    "bars",
    "bars TICKER --daily|--intraday [--capacity N] [--csv FILE] [--svg FILE] [--hold FILE] "
    "[--again] [--raw FILE] [--old-layout]",
    Bars);

}  // namespace

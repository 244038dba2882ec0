// bars TICKER --daily|--intraday: the host's bar request for one ticker, as a
// chart asks for it, with its summary, CSV and an SVG candlestick chart.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "src/bars/bar_time.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Stamp(uint64_t stamp) {
  BarTime t = UnpackBarTime(stamp);
  char text[40];
  if (IsEodMarker(stamp))
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  else
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
  return text;
}

void PrintBar(const char* label, const Quotation& q) {
  std::printf("  %-6s %-19s  O %.4g  H %.4g  L %.4g  C %.4g  V %.0f\n", label,
              Stamp(q.DateTime).c_str(), static_cast<double>(q.Open), static_cast<double>(q.High),
              static_cast<double>(q.Low), static_cast<double>(q.Close),
              static_cast<double>(q.Volume));
}

// One request as the host makes it, with a progress line on standard error
// while the plug-in works (the plug-in runs on this thread; the line is
// drawn from another that only writes to the terminal).
int Request(HostSession& session, const std::string& ticker, int periodicity, int lastValid,
            std::vector<Quotation>& bars, double* seconds) {
  std::atomic<bool> done{false};
  auto start = Clock::now();
  std::thread progress([&] {
    while (!done.load()) {
      double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      std::fprintf(stderr, "\rfetching %s %s bars... %.1f s", ticker.c_str(),
                   periodicity == 86400 ? "daily" : "1-minute", elapsed);
      std::fflush(stderr);
      for (int i = 0; i < 10 && !done.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  int count = session.api.GetQuotesEx(ticker.c_str(), periodicity, lastValid,
                                      static_cast<int>(bars.size()), bars.data(), nullptr);
  done = true;
  progress.join();
  *seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::fprintf(stderr, "\rfetching %s: done in %.3f s          \n", ticker.c_str(), *seconds);
  return count;
}

void Summary(const char* what, int count, int before, const std::vector<Quotation>& bars,
             double seconds) {
  std::printf("%s: %d bars (held before: %d), %.3f s\n", what, count, before, seconds);
  if (count > 0) {
    PrintBar("first", bars[0]);
    PrintBar("last", bars[count - 1]);
  }
}

bool WriteCsv(const std::string& path, const std::vector<Quotation>& bars, int count) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "Date,Time,Open,High,Low,Close,Volume,OpenInterest\n");
  for (int i = 0; i < count; ++i) {
    const Quotation& q = bars[i];
    BarTime t = UnpackBarTime(q.DateTime);
    char time[16] = "";
    if (!IsEodMarker(q.DateTime))
      std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::fprintf(out, "%04d-%02d-%02d,%s,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g\n", t.year, t.month,
                 t.day, time, static_cast<double>(q.Open), static_cast<double>(q.High),
                 static_cast<double>(q.Low), static_cast<double>(q.Close),
                 static_cast<double>(q.Volume), static_cast<double>(q.OpenInterest));
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
    } else {
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
bool WriteSvg(const std::string& path, const std::string& ticker, const std::vector<Quotation>& bars,
              int count) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
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
                 "<text x=\"4\" y=\"%.1f\">%.6g</text>\n",
                 left, width - right, y(price), y(price), y(price) + 4, price);
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

int Bars(HostSession& session, const HostOptions&, const std::vector<std::string>& args) {
  std::string ticker, csv, svg, hold;
  int periodicity = 0;
  long capacity = 100000;
  bool again = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--daily") {
      periodicity = 86400;
    } else if (a == "--intraday") {
      periodicity = 60;
    } else if (a == "--again") {
      again = true;
    } else if ((a == "--capacity" || a == "--csv" || a == "--svg" || a == "--hold") &&
               i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (a == "--hold") {
        hold = value;
      } else if (a == "--csv") {
        csv = value;
      } else if (a == "--svg") {
        svg = value;
      } else {
        char* end = nullptr;
        capacity = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || capacity < 1 || capacity > 10000000) {
          std::fprintf(stderr, "bars: --capacity takes a number from 1 to 10000000\n");
          return 2;
        }
      }
    } else if (ticker.empty() && !a.empty() && a[0] != '-') {
      ticker = a;
    } else {
      std::fprintf(stderr, "bars: unexpected argument '%s'\n", a.c_str());
      return 2;
    }
  }
  if (ticker.empty() || periodicity == 0) {
    std::fprintf(stderr,
                 "usage: bars TICKER --daily|--intraday [--capacity N] [--csv FILE] [--svg FILE] "
                 "[--hold FILE] [--again]\n");
    return 2;
  }

  const PluginStatus status = session.Status();
  if (status.nStatusCode != 0)
    std::fprintf(stderr, "bars: the plug-in is not connected (%s): it answers with the bars held\n",
                 status.szShortMessage);

  std::vector<Quotation> bars(static_cast<size_t>(capacity));
  // A chart opened from the host's own store holds bars before it asks.
  const int held = hold.empty() ? 0 : ReadCsv(hold, bars);
  if (held < 0) return 2;
  double seconds = 0;
  int count = Request(session, ticker, periodicity, held - 1, bars, &seconds);
  Summary("request", count, held, bars, seconds);
  if (again) {
    // A chart that is open asks again with the bars it holds; the plug-in
    // merges what is new behind them.
    int before = count;
    count = Request(session, ticker, periodicity, count - 1, bars, &seconds);
    Summary("again", count, before, bars, seconds);
  }
  if (!csv.empty() && !WriteCsv(csv, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", csv.c_str());
    return 1;
  }
  if (!svg.empty() && !WriteSvg(svg, ticker, bars, count)) {
    std::fprintf(stderr, "bars: cannot write %s\n", svg.c_str());
    return 1;
  }
  return count > 0 ? 0 : 1;
}

const CommandRegistration kBars(
    "bars",
    "bars TICKER --daily|--intraday [--capacity N] [--csv FILE] [--svg FILE] [--hold FILE] "
    "[--again]",
    Bars);

}  // namespace

#include "host/bar_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/report.h"
#include "src/abi/bar_time.h"

namespace {

bool PricesFinite(const Quotation& q) {
  return std::isfinite(q.Open) && std::isfinite(q.High) && std::isfinite(q.Low) &&
         std::isfinite(q.Close);
}

}  // namespace

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
               shown > 0 ? FormatBarTime(bars[first].DateTime).c_str() : "",
               shown > 0 ? (" to " + FormatBarTime(bars[count - 1].DateTime)).c_str() : "");
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


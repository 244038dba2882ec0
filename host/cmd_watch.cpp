// watch: a live quote window. The host asks the plug-in for each ticker's
// real-time record, then runs its message loop; every streaming-update
// message the plug-in posts to the main window redraws the window from the
// records, which the plug-in has filled in place.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"

#if defined(_WIN32)
#include <io.h>
#define VELMORA_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define VELMORA_ISATTY(fd) isatty(fd)
#endif

namespace {

constexpr char kUsage[] = "usage: velmora-host watch TICKER... [--seconds N] [--once] [--json]";
constexpr size_t kNameLimit = sizeof(RecentInfo{}.Name) - 1;

struct WatchOptions {
  std::vector<std::string> tickers;
  double seconds = 60;
  bool once = false;
  bool json = false;
};

int UsageError(const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "velmora-host watch: %s\n", why.c_str());
  std::fprintf(stderr, "%s\n", kUsage);
  return 2;
}

// Parses the arguments; empty text when they are good, else why not.
std::string Parse(const std::vector<std::string>& args, WatchOptions* out) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--once") {
      out->once = true;
    } else if (arg == "--json") {  // as a command line's, in a script's line
      out->json = true;
    } else if (arg == "--seconds") {
      if (i + 1 == args.size()) return "--seconds needs a number of seconds";
      char* end = nullptr;
      out->seconds = std::strtod(args[++i].c_str(), &end);
      if (*end != '\0' || !(out->seconds > 0 && out->seconds <= 86400))
        return "--seconds '" + args[i] + "': give a number of seconds above 0, at most 86400";
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else {
      out->tickers.push_back(arg);
    }
  }
  if (out->tickers.empty()) return "no ticker given";
  return "";
}

// Ctrl-C ends the watch, not the process: the session must still end as a
// host ends it (database unloaded, Release), or the server would hold this
// installation's session as in use.
volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

std::string Clock() {
  char text[16];
  const std::time_t now = std::time(nullptr);
  std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
  return text;
}

class Watcher {
 public:
  Watcher(HostSession& session, bool json, bool once)
      : m_session(session),
        m_json(json),
        m_once(once),
        m_terminal(!json && VELMORA_ISATTY(1) != 0) {}

  void Add(const RecentInfo* record) {
    for (const RecentInfo* known : m_records)
      if (known == record) return;  // the same ticker in other letter case
    m_records.push_back(record);
  }

  void Run(unsigned milliseconds) {
    if (m_terminal) Draw();
    m_session.onStreamingUpdate = [this] {
      ++m_updates;
      Draw();
      if (m_once) m_session.StopPump();
    };
    g_interrupted = 0;
    auto previousInt = std::signal(SIGINT, OnInterrupt);
    auto previousTerm = std::signal(SIGTERM, OnInterrupt);
    const long long start = SteadyNs();
    // In slices, so that an interruption is seen within a second.
    for (unsigned done = 0; done < milliseconds && g_interrupted == 0 && !(m_once && m_updates > 0);
         done = MillisecondsSince(start))
      m_session.Pump(std::min(milliseconds - done, 1000u));
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    m_session.onStreamingUpdate = nullptr;
    if (g_interrupted != 0) std::fprintf(stderr, "velmora-host watch: interrupted\n");
    // The records as they are at the end: while the market is closed the
    // plug-in refreshes them without telling the host, and this shows it.
    if (!m_once) Draw(true);
  }

  int updates() const { return m_updates; }

 private:
  void Draw(bool end = false) {
    // The records first, as the message found them: asking for the status
    // makes the plug-in refresh them once more.
    std::string table = QuoteTableHeading();
    nlohmann::ordered_json quotes = nlohmann::ordered_json::array();
    for (const RecentInfo* record : m_records) {
      table += QuoteLine(*record);
      quotes.push_back(QuoteJson(*record));
    }
    const PluginStatus status = m_session.Status();
    const uintptr_t timer = m_session.lastTimer;
    if (m_json) {
      nlohmann::ordered_json line;
      if (end) line["end"] = true;
      line["update"] = m_updates;
      line["time"] = Clock();
      line["status"] = StatusJson(status);
      line["timer"] = timer == 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(timer);
      line["timerTicks"] = m_session.timerTicks;
      line["quotes"] = std::move(quotes);
      // Texts are 8-bit: a byte that is not UTF-8 is replaced, not fatal.
      std::printf(
          "%s\n",
          line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    } else {
      std::string screen =
          m_terminal && !end ? "\033[H\033[2J" : (m_updates > 1 || end ? "\n" : "");
      if (end) screen += "At the end (read without an update message):\n";
      screen += QuoteWindowHeader(m_updates, Clock(), status, timer, m_session.timerTicks);
      screen += table;
      std::fputs(screen.c_str(), stdout);
    }
    std::fflush(stdout);
  }

  HostSession& m_session;
  const bool m_json, m_once, m_terminal;
  std::vector<const RecentInfo*> m_records;
  int m_updates = 0;
};

int Watch(HostSession& session, const HostOptions& options, const std::vector<std::string>& args) {
  WatchOptions watch;
  const std::string error = Parse(args, &watch);
  if (!error.empty()) return UsageError(error);
  const int limit = session.api.GetSymbolLimit();
  if (static_cast<int>(watch.tickers.size()) > limit)
    return UsageError(std::to_string(watch.tickers.size()) +
                      " tickers given; the plug-in's real-time table takes " +
                      std::to_string(limit));

  Watcher watcher(session, options.json || watch.json, watch.once);
  int refused = 0;
  for (const std::string& ticker : watch.tickers) {
    const RecentInfo* record = session.api.GetRecentInfo(ticker.c_str());
    if (record != nullptr) {
      watcher.Add(record);
      continue;
    }
    ++refused;
    if (ticker.size() > kNameLimit)
      std::fprintf(stderr,
                   "velmora-host watch: '%.20s...' refused: the name is %zu characters long; "
                   "a ticker name has at most %zu\n",
                   ticker.c_str(), ticker.size(), kNameLimit);
    else
      std::fprintf(stderr,
                   "velmora-host watch: '%s' refused: the real-time table is full (it holds "
                   "%d tickers)\n",
                   ticker.c_str(), limit);
  }
  if (refused == static_cast<int>(watch.tickers.size())) return 1;

  const unsigned milliseconds = static_cast<unsigned>(watch.seconds * 1000 + 0.5);
  const long long start = SteadyNs();
  watcher.Run(milliseconds);
  if (watcher.updates() == 0) {
    // Not an error unless an update was asked for: a closed market sends none.
    const PluginStatus status = session.Status();
    std::fprintf(stderr, "velmora-host watch: no streaming update in %.0f s (status %s%s)\n",
                 MillisecondsSince(start) / 1000.0, status.szShortMessage,
                 std::strcmp(status.szShortMessage, "Conn") == 0
                     ? "; the market may be closed: the plug-in refreshes but does not notify"
                     : "");
    return watch.once || refused != 0 ? 1 : 0;
  }
  if (!options.json && !watch.json)
    std::printf("watch: %d streaming updates, %d timer ticks, last tick on timer %s\n",
                watcher.updates(), session.timerTicks, TimerName(session.lastTimer).c_str());
  return refused == 0 ? 0 : 1;
}

const CommandRegistration kWatch(
    "watch", "watch TICKER... [--seconds N] [--once]  live quote window, redrawn on each update",
    Watch);

}  // namespace

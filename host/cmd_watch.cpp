// watch: a live quote window. The host asks the plug-in for each ticker's
// real-time record, then runs its message loop; every streaming-update
// message the plug-in posts to the main window redraws the window from the
// records, which the plug-in has filled in place.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_session.h"
#include "host/quote_window.h"
#include "host/report.h"

#if defined(_WIN32)
#include <io.h>
#define VELMORA_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define VELMORA_ISATTY(fd) isatty(fd)
#endif

namespace {

constexpr size_t kNameLimit = sizeof(RecentInfo{}.Name) - 1;

struct WatchArgs {
  std::vector<std::string> tickers;
  double seconds = 60;
  bool once = false;
};

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
    if (m_terminal)
      Draw();
    else
      m_drawnStatus = StatusWords(m_session.Status());
    m_session.onStreamingUpdate = [this] {
      ++m_updates;
      Draw();
      if (m_once) m_session.StopPump();
    };
    // The window follows the status field as the status area does: a
    // change is drawn at once, with the quotes marked stale while the
    // plug-in is not connected.
    m_session.onStatus = [this](const PluginStatus& status) {
      if (StatusWords(status) != m_drawnStatus) Draw(&status);
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
    m_session.onStatus = nullptr;
    if (g_interrupted != 0) std::fprintf(stderr, "velmora-host watch: interrupted\n");
    // The records as they are at the end: while the market is closed the
    // plug-in refreshes them without telling the host, and this shows it.
    if (!m_once) Draw(nullptr, true);
  }

  int updates() const { return m_updates; }

 private:
  // `status` is the field just read, or null to ask for it.
  void Draw(const PluginStatus* status = nullptr, bool end = false) {
    // The records first, as the message found them: asking for the status
    // makes the plug-in refresh them once more.
    std::vector<RecentInfo> records;
    for (const RecentInfo* record : m_records) records.push_back(*record);
    const PluginStatus now = status != nullptr ? *status : m_session.Status();
    const bool connected = IsConnected(now);
    m_drawnStatus = StatusWords(now);
    const uintptr_t timer = m_session.lastTimer;
    if (m_json) {
      nlohmann::ordered_json line;
      if (end) line["end"] = true;
      if (status != nullptr) line["statusChanged"] = true;
      line["update"] = m_updates;
      line["time"] = Clock();
      line["status"] = StatusJson(now);
      line["timer"] = timer == 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(timer);
      line["timerTicks"] = m_session.timerTicks;
      nlohmann::ordered_json quotes = nlohmann::ordered_json::array();
      for (const RecentInfo& record : records) quotes.push_back(QuoteJson(record, connected));
      line["quotes"] = std::move(quotes);
      std::printf("%s\n", JsonText(line).c_str());
    } else {
      std::string screen = m_terminal && !end ? "\033[H\033[2J" : (m_draws > 0 ? "\n" : "");
      if (end) screen += "At the end (read without an update message):\n";
      screen += QuoteWindowHeader(m_updates, Clock(), now, timer, m_session.timerTicks);
      screen += QuoteTableHeading();
      for (const RecentInfo& record : records) screen += QuoteLine(record, connected);
      std::fputs(screen.c_str(), stdout);
    }
    ++m_draws;
    std::fflush(stdout);
  }

  HostSession& m_session;
  const bool m_json, m_once, m_terminal;
  std::vector<const RecentInfo*> m_records;
  int m_updates = 0;
  int m_draws = 0;
  std::string m_drawnStatus;
};

int Watch(HostSession& session, const HostOptions& options, const WatchArgs& watch) {
  const int limit = session.api.GetSymbolLimit();
  if (static_cast<int>(watch.tickers.size()) > limit)
    return UsageError("watch", std::to_string(watch.tickers.size()) +
                                   " tickers given; the plug-in's real-time table takes " +
                                   std::to_string(limit));

  Watcher watcher(session, options.json, watch.once);
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
  if (refused == static_cast<int>(watch.tickers.size())) return kExitFailed;

  const unsigned milliseconds = static_cast<unsigned>(watch.seconds * 1000 + 0.5);
  const long long start = SteadyNs();
  watcher.Run(milliseconds);
  const PluginStatus status = session.Status();
  if (!IsConnected(status)) {
    std::fprintf(stderr, "velmora-host watch: %s; not connected: %s\n",
                 watcher.updates() == 0 ? "no quotes came" : "the quotes shown are stale",
                 StatusWords(status).c_str());
    return kExitNotConnected;
  }
  if (watcher.updates() == 0) {
    // Not an error unless an update was asked for: a closed market sends none.
    std::fprintf(stderr,
                 "velmora-host watch: no streaming update in %.0f s, although connected: the "
                 "market may be closed (the plug-in refreshes the records but does not "
                 "notify)\n",
                 MillisecondsSince(start) / 1000.0);
    return watch.once || refused != 0 ? kExitFailed : kExitOk;
  }
  if (!options.json)
    std::printf("watch: %d streaming updates, %d timer ticks, last tick on timer %s\n",
                watcher.updates(), session.timerTicks, TimerName(session.lastTimer).c_str());
  return refused == 0 ? kExitOk : kExitFailed;
}

const CommandRegistration kWatch({
    .name = "watch",
    .synopsis = "watch TICKER... [--seconds N] [--once]",
    .summary = "a live quote window, redrawn on each update and each change of the status",
    .exits = "0 quotes came while connected (or none because the market is closed), 1 a "
             "ticker was refused or --once got no update, 3 not connected at the end (the "
             "quotes are stale or none came; the status says why), 2 usage error.",
    .define = [](CLI::App& parser) -> CommandAction {
      auto args = std::make_shared<WatchArgs>();
      parser.add_option("tickers", args->tickers, "the tickers to watch, at most the plug-in's "
                                                  "symbol limit")
          ->required()
          ->type_name("TICKER...");
      parser.add_option("--seconds", args->seconds, "how long to watch (60 by default)")
          ->check(CLI::Range(0.001, 86400.0))
          ->type_name("N");
      parser.add_flag("--once", args->once, "end after the first update");
      return [args](HostSession& session, const HostOptions& options) {
        return Watch(session, options, *args);
      };
    },
    .json = true,
});

}  // namespace

#include "load_run.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace loadgen {

namespace {

constexpr int kMaxCodes = 20;      // the plug-in's real-time table holds 20
constexpr int kErrorsShown = 10;   // the first errors are printed, then only counted
constexpr auto kLate = std::chrono::milliseconds(50);
constexpr auto kDrain = std::chrono::seconds(60);  // for the last statements and disconnects

std::chrono::microseconds Micros(double seconds) {
  return std::chrono::microseconds(static_cast<int64_t>(seconds * 1e6));
}

// "Y-MM-DD" of the yyyymmdd date `days` before.
std::string DateBefore(int yyyymmdd, int days) {
  using namespace std::chrono;
  year_month_day d{year(yyyymmdd / 10000), month(yyyymmdd / 100 % 100), day(yyyymmdd % 100)};
  year_month_day back{sys_days(d) - std::chrono::days(days)};
  char text[16];
  std::snprintf(text, sizeof text, "%d-%02u-%02u", static_cast<int>(back.year()),
                static_cast<unsigned>(back.month()), static_cast<unsigned>(back.day()));
  return text;
}

}  // namespace

LoadRun::LoadRun(const RunConfig& config, StatementMaker& maker)
    : config_(config), maker_(maker), inst_(config.installations), due_(config.installations),
      random_(config.seed) {
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  std::vector<size_t> order(config.codes.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = k;
  for (size_t i = 0; i < inst_.size(); ++i) {
    Installation& inst = inst_[i];
    inst.who.client_id = config.client_ids[i];
    inst.who.email = inst.who.client_id + "@load.velmora.example";
    // Each watches its own draw of the codes, in the order it asked for them.
    std::shuffle(order.begin(), order.end(), random_);
    size_t n = std::min<size_t>(kMaxCodes, order.size());
    for (size_t k = 0; k < n; ++k) inst.codes.emplace_back(config.codes[order[k]]);
    // Installations come from many addresses; on this machine's loopback
    // that is 250 of them (which also gives each its own port range).
    if (config.server.host == "127.0.0.1")
      inst.source = "127.0.0." + std::to_string(1 + i % 250);
    if (!config.baseline) {
      inst.poll_text = maker_.MarketStatus(inst.who);
      inst.realtime_text = maker_.Realtime(inst.codes);
    }
  }
}

LoadRun::~LoadRun() {
  for (Installation& inst : inst_) inst.conn.Close();
  if (epoll_ >= 0) close(epoll_);
}

void LoadRun::SetTimeout(uint32_t i, Clock::time_point when) {
  timers_.push({when, i, ++inst_[i].wait_seq, true});
}

void LoadRun::ScheduleTick(uint32_t i, Clock::time_point due) {
  due_[i] = due;
  timers_.push({due, i, ++inst_[i].tick_seq, false});
}

RunOutcome LoadRun::Run(const std::function<void()>& at_steady,
                        const std::function<void()>& at_end) {
  const Clock::time_point start = Clock::now();
  const Clock::time_point ramp_end = start + Micros(config_.ramp);
  const Clock::time_point end = start + Micros(config_.seconds);
  const int n = static_cast<int>(inst_.size());
  connecting_ = n;
  RunOutcome out;
  // The connects come one after another, evenly over the ramp.
  for (int i = 0; i < n; ++i) ScheduleTick(i, start + Micros(config_.ramp * i / n));

  bool steady_called = false;
  epoll_event events[1024];
  for (;;) {
    Clock::time_point now = Clock::now();
    if (!steady_called && ((now >= ramp_end && connecting_ == 0) || now >= end)) {
      steady_called = true;
      steady_from_ = now;
      if (connecting_ == 0) out.all_connected_after = std::chrono::duration<double>(now - start).count();
      at_steady();
    }
    if (!stopping_ && now >= end) {
      at_end();
      for (const Installation& inst : inst_) connected_at_end_ += inst.conn.Open() ? 1 : 0;
      stopping_ = true;
      for (int i = 0; i < n; ++i)
        if (inst_[i].phase == Phase::kWaiting) Stop(i);
    }
    if (stopping_) {
      bool busy = std::any_of(inst_.begin(), inst_.end(),
                              [](const Installation& x) { return x.phase == Phase::kBusy; });
      if (!busy || now >= end + kDrain) break;
    }
    while (!timers_.empty() && timers_.top().when <= now) {
      Timer t = timers_.top();
      timers_.pop();
      Installation& inst = inst_[t.index];
      if (t.library && t.seq == inst.wait_seq && inst.phase == Phase::kBusy)
        Await(t.index, inst.conn.Resume(MYSQL_WAIT_TIMEOUT));
      else if (!t.library && t.seq == inst.tick_seq && !stopping_)
        OnTick(t.index);
    }
    int wait_ms = 100;
    if (!timers_.empty()) {
      auto until = std::chrono::ceil<std::chrono::milliseconds>(timers_.top().when - now).count();
      wait_ms = static_cast<int>(std::clamp<int64_t>(until, 0, 100));
    }
    int got = epoll_wait(epoll_, events, 1024, wait_ms);
    for (int k = 0; k < got; ++k) {
      int ready = 0;
      if (events[k].events & (EPOLLIN | EPOLLERR | EPOLLHUP)) ready |= MYSQL_WAIT_READ;
      if (events[k].events & (EPOLLOUT | EPOLLERR | EPOLLHUP)) ready |= MYSQL_WAIT_WRITE;
      OnReady(events[k].data.u32, ready);
    }
  }

  for (const Installation& inst : inst_) out.refused += inst.phase == Phase::kRefused ? 1 : 0;
  out.connected_at_end = connected_at_end_;
  out.late_ticks = late_ticks_;
  std::sort(lags_us_.begin(), lags_us_.end());
  out.tick_lag_p99_ms = Percentile(lags_us_, 0.99) / 1000.0;
  return out;
}

// A timer tick of the installation: its connect (on the ramp, or again after
// its connection was lost), or the poll and the refresh.
void LoadRun::OnTick(uint32_t i) {
  Installation& inst = inst_[i];
  if (inst.phase == Phase::kBusy) {
    // As a window timer's tick waits for the call in progress.
    inst.tick_owed = true;
    return;
  }
  if (inst.phase != Phase::kWaiting) return;
  if (!inst.conn.Open()) {
    inst.pending.assign({kConnect});
    if (!config_.baseline) inst.pending.insert(inst.pending.end(), {kConfig, kSessionQuery});
    BeginBurst(i);
    return;
  }
  auto now = Clock::now();
  auto lag = std::chrono::duration_cast<std::chrono::microseconds>(now - due_[i]);
  lags_us_.push_back(static_cast<uint32_t>(std::max<int64_t>(0, lag.count())));
  if (lag >= kLate) ++late_ticks_;
  ScheduleTick(i, due_[i] + std::chrono::seconds(inst.eod ? config_.eod_interval
                                                          : config_.trade_interval));
  if (config_.baseline) {
    inst.pending.assign({kSelectOne, kSelectOne});
  } else {
    inst.pending.assign({kMarketStatus, kRealtime});
    if (now >= inst.next_bars) {
      // A chart opens: daily bars from some weeks back, or the day's minutes.
      std::exponential_distribution<double> gap(1.0 / config_.bar_every);
      inst.next_bars = now + Micros(gap(random_));
      inst.pending.push_back(random_() % 2 ? kEodBars : kIntradayBars);
    }
  }
  BeginBurst(i);
}

// The run's time is up: the plug-in's disconnect call, then the close.
void LoadRun::Stop(uint32_t i) {
  Installation& inst = inst_[i];
  if (!inst.conn.Open() || config_.baseline) {
    Drop(i, Phase::kDone);
    return;
  }
  inst.pending.assign({kDisconnect});
  BeginBurst(i);
}

void LoadRun::BeginBurst(uint32_t i) {
  Installation& inst = inst_[i];
  inst.current = inst.pending.front();
  inst.pending.pop_front();
  inst.phase = Phase::kBusy;
  StartCall(i);
}

std::string LoadRun::TextOf(Installation& inst) {
  switch (inst.current) {
    case kConfig:
      return maker_.Config();
    case kSessionQuery:
      return maker_.Session(inst.who);
    case kSessionRegister:
      return maker_.Register(inst.who, 0);
    case kMarketStatus:
      return inst.poll_text;
    case kConnId:
      return maker_.ConnId(inst.who, inst.conn_id_previous, inst.conn_id_current,
                           config_.trade_interval);
    case kRealtime:
      return inst.realtime_text;
    case kEodBars:
      return maker_.Bars(inst.codes[random_() % inst.codes.size()], 86400,
                         DateBefore(inst.market_date, 1 + random_() % 30));
    case kIntradayBars:
      return maker_.Bars(inst.codes[random_() % inst.codes.size()], 60,
                         DateBefore(inst.market_date, 0));
    case kDisconnect:
      return maker_.Disconnect(inst.who, inst.session_status);
    case kSelectOne:
      return "SELECT 1";
    case kConnect:
    case kKindCount:
      break;
  }
  return std::string();
}

void LoadRun::StartCall(uint32_t i) {
  Installation& inst = inst_[i];
  inst.started = Clock::now();
  if (inst.current == kConnect) {
    Await(i, inst.conn.BeginConnect(config_.server, inst.source));
    return;
  }
  bool want_row = inst.current == kSessionQuery || inst.current == kMarketStatus;
  Await(i, inst.conn.BeginStatement(TextOf(inst), want_row));
}

// Registers the socket once it exists; the events asked for change with
// every wait.
void LoadRun::Watch(uint32_t i, int status) {
  Installation& inst = inst_[i];
  int fd = inst.conn.Socket();
  if (fd < 0) return;
  epoll_event ev{};
  ev.data.u32 = i;
  ev.events = 0;
  if (status & MYSQL_WAIT_READ) ev.events |= EPOLLIN;
  if (status & MYSQL_WAIT_WRITE) ev.events |= EPOLLOUT;
  epoll_ctl(epoll_, inst.in_epoll ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &ev);
  inst.in_epoll = true;
}

void LoadRun::Await(uint32_t i, int status) {
  if (status == 0) {
    ++inst_[i].wait_seq;  // the call's timeout, if it had one, is past
    Completed(i);
    return;
  }
  Watch(i, status);
  if (status & MYSQL_WAIT_TIMEOUT)
    SetTimeout(i, Clock::now() + std::chrono::milliseconds(inst_[i].conn.TimeoutMs()));
}

void LoadRun::OnReady(uint32_t i, int ready) {
  if (inst_[i].phase != Phase::kBusy) return;
  Await(i, inst_[i].conn.Resume(ready));
}

void LoadRun::Drop(uint32_t i, Phase phase) {
  Installation& inst = inst_[i];
  if (inst.in_epoll) epoll_ctl(epoll_, EPOLL_CTL_DEL, inst.conn.Socket(), nullptr);
  inst.in_epoll = false;
  inst.conn.Close();
  inst.pending.clear();
  inst.phase = phase;
  inst.tick_owed = false;
}

void LoadRun::Report(const Installation& inst, const std::string& what) {
  if (errors_shown_++ < kErrorsShown)
    std::fprintf(stderr, "velmora-loadgen: %s, %s: %s\n", inst.who.client_id.c_str(),
                 KindName(inst.current), what.c_str());
}

// A failed call: as the plug-in does after a database error, nothing more
// this tick and the next try at twice the trade interval.
void LoadRun::Fail(uint32_t i) {
  Installation& inst = inst_[i];
  latencies_.AddError(inst.current);
  Report(inst, inst.conn.Error());
  if (stopping_) {
    Drop(i, Phase::kDone);
    return;
  }
  // A failed connect or session check leaves the plug-in without a
  // connection; it connects again later.
  bool connecting = inst.current == kConnect || inst.current == kConfig ||
                    inst.current == kSessionQuery || inst.current == kSessionRegister;
  if (connecting || inst.conn.Lost()) Drop(i, Phase::kWaiting);
  inst.pending.clear();
  inst.phase = Phase::kWaiting;
  inst.tick_owed = false;
  ScheduleTick(i, Clock::now() + std::chrono::seconds(2 * config_.trade_interval));
}

void LoadRun::Completed(uint32_t i) {
  Installation& inst = inst_[i];
  auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - inst.started);
  if (inst.conn.Failed()) {
    Fail(i);
    return;
  }
  if (!IsTickKind(inst.current) || inst.started >= steady_from_)
    latencies_.Add(inst.current, took.count());
  if (!ApplyAnswer(inst)) {
    Report(inst, "the session was refused");
    Drop(i, Phase::kRefused);
    Connected(i);
    return;
  }
  if (inst.current == kConnect) {
    // The first tick comes one trade interval after the connect.
    ScheduleTick(i, Clock::now() + std::chrono::seconds(config_.trade_interval));
    inst.next_bars = due_[i];
  }
  if (stopping_ && inst.current != kDisconnect) {
    Stop(i);
    return;
  }
  if (!inst.pending.empty()) {
    BeginBurst(i);
    return;
  }
  if (stopping_) {
    Drop(i, Phase::kDone);
    return;
  }
  Idle(i);
}

// The first connect and its session check have ended, one way or another.
void LoadRun::Connected(uint32_t i) {
  if (!inst_[i].connecting) return;
  inst_[i].connecting = false;
  --connecting_;
}

void LoadRun::Idle(uint32_t i) {
  Installation& inst = inst_[i];
  Connected(i);
  inst.phase = Phase::kWaiting;
  if (inst.tick_owed) {
    inst.tick_owed = false;
    OnTick(i);
  }
}

// What the plug-in makes of an answer; false when it gives the session up.
bool LoadRun::ApplyAnswer(Installation& inst) {
  switch (inst.current) {
    case kSessionQuery:
      if (!AcceptSession(inst, inst.conn.FirstRow())) return false;
      inst.pending.assign({kSessionRegister, kRealtime});
      return true;
    case kMarketStatus:
      return ApplyMarketStatus(inst, inst.conn.FirstRow());
    default:
      return true;
  }
}

}  // namespace loadgen

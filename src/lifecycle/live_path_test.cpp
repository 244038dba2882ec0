// The live path end to end: the market simulator moves rows on the private
// server, the timers tick on the window system's driven clock, and each tick
// polls, refreshes the records the host holds and posts the streaming
// update (or not).
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "db/database.h"
#include "lifecycle/conn_state.h"
#include "lifecycle/lifecycle.h"
#include "winsys/posix/window_system.h"
#include "plugin/app.h"
#include "realtime/realtime_table.h"
#include "testing/client_fixture.h"
#include "testing/test_server.h"

namespace {

class LivePathTest : public ClientFixture {
 protected:
  LivePathTest() : ClientFixture("live") {}
  void SetUp() override {
    ClientFixture::SetUp();
    const char* admin = std::getenv("VELMORA_ADMIN");
    ASSERT_NE(nullptr, admin) << "scripts/dbserver env names velmora-admin";
    m_admin = admin;
    WriteSession({"Live", "live@velmora.example", 0, 4});
    Market("trading");
    Clean();
    testing_server::AdminExec(
        "Insert Into NVRealtime (Code,LastUpdate,Open,High,Low,Last,AvgPrice,Chg,BLot,BidPrice,"
        "OfferPrice,SLot,TVol,TVal,H52W,L52W,EPS,Dividend,DivYield) Values "
        "('LiveA','2025-10-31 09:00:00',1000,1010,990,1000,1000,0,1,995,1005,1,100,100000,0,0,"
        "0,0,0),"
        "('LiveB','2025-10-31 09:00:00',4000,4000,4000,4000,4000,0,1,3990,4010,1,100,400000,0,"
        "0,0,0,0)");
    m_savedTable = RealtimeTable;
    m_table.reset(CRealtimeTable::Create());
    RealtimeTable = m_table.get();
    window = window_system::CreateWindow();
    UseModuleGlobal("live@velmora.example");
  }
  void TearDown() override {
    ReleaseModuleGlobal();
    window_system::DestroyWindow(window);
    window_system::Messages().clear();
    RealtimeTable = m_savedTable;
    Clean();
    ClientFixture::TearDown();
    testing_server::AdminExec("Update NVMarket Set isMarketClosed=0,EOD=0");
  }
  static void Clean() {
    testing_server::AdminExec("Delete From NVRealtime Where Code Like 'Live%'");
  }

  // The simulator, as an operator runs it: `steps` steps of the test's rows.
  void Simulate(int steps, int seed) {
    const std::string command = m_admin + " simulate --steps " + std::to_string(steps) +
                                " --interval 0 --seed " + std::to_string(seed) +
                                " --tickers LiveA LiveB >/dev/null";
    ASSERT_EQ(0, std::system(command.c_str()));
  }
  void Market(const std::string& state) {
    ASSERT_EQ(0, std::system((m_admin + " market " + state + " >/dev/null").c_str()));
  }

  void Connect() {
    PluginNotification note{};
    note.nReason = REASON_DATABASE_LOADED;
    note.hMainWnd = window;
    HandleNotify(g_global, note);
    ASSERT_EQ(CONN_CONNECTED, g_nConnState);
  }
  // One tick of whichever timer runs: the clock moves by its interval.
  void Tick() {
    ASSERT_EQ(1u, window_system::Timers().size());
    window_system::Advance(window_system::Timers().begin()->second.interval);
  }
  long Timer(uintptr_t timer) {
    auto it = window_system::Timers().find({window, timer});
    return it == window_system::Timers().end() ? -1 : static_cast<long>(it->second.interval);
  }
  size_t Posted() { return window_system::Messages().size(); }

  // The record holds the server's row of its ticker.
  static void ExpectRecordIsRow(const RecentInfo& r) {
    SCOPED_TRACE(r.Name);
    auto admin = testing_server::Admin();
    CSRecordset rs(admin.get());
    ASSERT_TRUE(rs.Open(CSRecordset::forwardOnly,
                        std::string("Select Last,BidPrice,OfferPrice,LastUpdate From NVRealtime "
                                    "Where Code='") + r.Name + "'", 0));
    CDBVariant v;
    std::vector<float> prices;
    for (short i = 0; i < 3; ++i, prices.push_back(v.m_fltVal))
      rs.GetFieldValue(i, v, SQL_C_FLOAT_TYPE);
    EXPECT_EQ(prices, (std::vector<float>{r.Last, r.Bid, r.Ask}));
    rs.GetFieldValue(short{3}, v, SQL_C_TIMESTAMP_TYPE);
    const DBTimestamp& t = v.m_date;
    EXPECT_EQ((t.year * 100 + t.month) * 100 + t.day, r.StampDate);
    EXPECT_EQ((t.hour * 100 + t.minute) * 100 + t.second, r.StampTime);
    EXPECT_EQ(15, r.Status);
  }

  WindowHandle window = nullptr;

 private:
  std::string m_admin;
  CRealtimeTable* m_savedTable = nullptr;
  std::unique_ptr<CRealtimeTable> m_table;
};

TEST_F(LivePathTest, WhileTradingEveryTickRefreshesAndTellsTheHostOnce) {
  RecentInfo* a = GetRecentInfoRecord("LiveA");
  Connect();
  // A ticker first asked for after the connect's refresh keeps zeros until
  // the next tick, which includes it.
  RecentInfo* b = GetRecentInfoRecord("LiveB");
  EXPECT_EQ(15, a->Status);
  EXPECT_EQ(0, b->Status);
  EXPECT_EQ(0.0f, b->Last);
  EXPECT_EQ(0u, Posted());

  for (int tick = 1; tick <= 4; ++tick) {
    Simulate(1, tick);
    Tick();
    ASSERT_EQ(static_cast<size_t>(tick), Posted()) << "tick " << tick;
    EXPECT_EQ(WM_STREAMING_UPDATE, window_system::Messages().back().second);
    EXPECT_EQ(window, window_system::Messages().back().first);
    ExpectRecordIsRow(*a);
    ExpectRecordIsRow(*b);
    EXPECT_EQ(g_global.m_nTradeInterval * 1000, Timer(IDT_TRADE));
  }
  EXPECT_EQ(-1, Timer(IDT_CONNECT));
  // The simulator keeps the walk inside the day's limits around the
  // previous close (1000: a quarter either way).
  EXPECT_GE(a->Last, 750.0f);
  EXPECT_LE(a->Last, 1250.0f);

  // Closed: the records still update, but the host is not told.
  Market("closed");
  Simulate(1, 10);
  const int stamp = a->StampTime;
  Tick();
  EXPECT_EQ(4u, Posted());
  ExpectRecordIsRow(*a);
  EXPECT_NE(stamp, a->StampTime);
  EXPECT_EQ(g_global.m_nTradeInterval * 1000, Timer(IDT_TRADE));
}

}  // namespace
#endif

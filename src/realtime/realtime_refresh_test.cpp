// The real-time refresh against the private server: rows are set up as admin
// in NVRealtime under codes no demo row uses, and the refresh runs on a
// table of its own swapped in for the module's.
#include "realtime/realtime_refresh.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "db/database.h"
#include "db/statements.h"
#include "plugin/global.h"
#include "realtime/realtime_table.h"
#include "testing/failing_new.h"
#include "testing/test_server.h"

namespace {

// Puts a fresh table in the module's place for one test.
struct ScopedTable {
  ScopedTable() { RealtimeTable = table.get(); }
  ~ScopedTable() { RealtimeTable = saved; }
  CRealtimeTable* saved = RealtimeTable;
  std::unique_ptr<CRealtimeTable> table{CRealtimeTable::Create()};
};

// Removes the test's rows, before and after.
class RealtimeRefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
    Clean();
    BuildRealtimeColumnList(g);
    ASSERT_TRUE(testing_server::Open(g));
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    if (testing_server::Configured())
      testing_server::AdminExec("Delete From NVRealtime Where Code Like 'RtT%'");
  }

  // SELECT statements this connection has sent so far.
  int SelectsSent() {
    CSRecordset rs(g.m_pDatabase);
    EXPECT_TRUE(rs.Open(CSRecordset::forwardOnly, "SHOW SESSION STATUS LIKE 'Com_select'", 0));
    std::string value;
    rs.GetFieldValue(static_cast<short>(1), value);
    return std::stoi(value);
  }

  CGlobal g;
  ScopedTable table;
};

// What the refresh writes of a record, as one line.
std::string Show(const RecentInfo& r) {
  char text[256];
  std::snprintf(text, sizeof text,
                "status %d valid %d open %g last %g change %g bid %g ask %g stamp %d %d move %d %d",
                r.Status, r.ValidFields, r.Open, r.Last, r.Change, r.Bid, r.Ask, r.StampDate,
                r.StampTime, r.MoveDate, r.MoveTime);
  return text;
}

// Adds rows to NVRealtime; Row(code) is one with small prices of its own.
void Insert(const std::string& rows) {
  testing_server::AdminExec(
      "Insert Into NVRealtime (Code,LastUpdate,Open,High,Low,Last,AvgPrice,Chg,BLot,BidPrice,"
      "OfferPrice,SLot,TVol,TVal,H52W,L52W,EPS,Dividend,DivYield) Values " + rows);
}
std::string Row(const std::string& code) {
  return "('" + code + "','2024-03-05 09:07:02',1,2,3,4,5,6,7,8,9,0,0,0,0,0,0,0,0)";
}

TEST_F(RealtimeRefreshTest, OneStatementFillsEveryTickerAndNothingElse) {
  Insert("('RtTA','2024-03-05 09:07:02',100,110,95,105,104,5,7,104.5,105.5,9,1000,2000,150,80,"
         "12,3,1.5),('RtTB','2024-03-05 23:59:59',0,0,40,41,1,-2,3,40.5,41.5,4,5,6,7,8,9,10,11)");
  RecentInfo* a = GetRecentInfoRecord("RtTA");
  RecentInfo* b = GetRecentInfoRecord("RtTB");
  int before = SelectsSent();
  EXPECT_EQ(1, GetRealtimeQuote(g));
  EXPECT_EQ(before + 1, SelectsSent());

  // Every byte but the named fields stays zero.
  RecentInfo expected{};
  std::strcpy(expected.Name, "RtTA");
  expected.Status = 15, expected.ValidFields = 30687;
  expected.Open = 100, expected.High = 110, expected.Low = 95, expected.Last = 105;
  expected.Change = 5, expected.Bid = 104.5f, expected.Ask = 105.5f;
  expected.StampDate = expected.MoveDate = 20240305, expected.StampTime = expected.MoveTime = 90702;
  EXPECT_EQ(0, std::memcmp(&expected, a, sizeof expected)) << Show(*a);

  // Open and high are zero, so not valid.
  EXPECT_EQ("status 15 valid 30681 open 0 last 41 change -2 bid 40.5 ask 41.5 stamp 20240305 "
            "235959 move 20240305 235959",
            Show(*b));
}

TEST_F(RealtimeRefreshTest, MoveStampsFollowOnlyPriceChangesAndNullsKeepFields) {
  Insert("('RtTM','2024-03-05 09:07:02',100,110,95,105,104,5,7,104,106,9,1000,2000,150,80,12,"
         "3,1.5)");
  RecentInfo* r = GetRecentInfoRecord("RtTM");
  ASSERT_EQ(1, GetRealtimeQuote(g));

  const char* const steps[][2] = {
      // Same prices, later stamp, open and last NULL: they keep their values.
      {"LastUpdate='2024-03-06 10:00:00',Open=NULL,Last=NULL",
       "status 15 valid 30687 open 100 last 105 change 5 bid 104 ask 106 stamp 20240306 100000 "
       "move 20240305 90702"},
      // Only the ask moves: that is a move.
      {"LastUpdate='2024-03-06 10:00:05',OfferPrice=106.5",
       "status 15 valid 30687 open 100 last 105 change 5 bid 104 ask 106.5 stamp 20240306 "
       "100005 move 20240306 100005"}};
  for (const auto& [change, expected] : steps) {
    SCOPED_TRACE(change);
    testing_server::AdminExec(std::string("Update NVRealtime Set ") + change +
                              " Where Code='RtTM'");
    EXPECT_EQ(1, GetRealtimeQuote(g));
    EXPECT_EQ(expected, Show(*r));
  }
}

TEST_F(RealtimeRefreshTest, ACodeThatDiffersInLetterCaseIsNotApplied) {
  // On a case-insensitive column the server itself returns the row for
  // 'RtTCase'; the record must still not take it.
  const std::string column = "Alter Table NVRealtime Modify Code VARCHAR(64) CHARACTER SET "
                             "utf8mb4 COLLATE utf8mb4_";
  testing_server::ScopedChange caseInsensitive(column + "general_ci NOT NULL",
                                               column + "bin NOT NULL");
  Insert(Row("RtTcase") + "," + Row("RtTExact"));
  RecentInfo* other = GetRecentInfoRecord("RtTCase");
  RecentInfo* exact = GetRecentInfoRecord("RtTExact");
  EXPECT_EQ(1, GetRealtimeQuote(g));
  EXPECT_EQ(15, exact->Status);
  EXPECT_EQ("status 0 valid 0 open 0 last 0 change 0 bid 0 ask 0 stamp 0 0 move 0 0",
            Show(*other));
}

// Out of memory, the refresh ends as on a database error; without room for
// a block only, it reads row by row.
TEST_F(RealtimeRefreshTest, AQueryErrorOrNoMemoryReturnsZeroAndKeepsTheRecords) {
  Insert(Row("RtTE"));
  RecentInfo* r = GetRecentInfoRecord("RtTE");
  ASSERT_EQ(1, GetRealtimeQuote(g));
  RecentInfo before = *r;
  testing_server::AdminExec("Update NVRealtime Set Last=44 Where Code='RtTE'");

  std::string columns = g.m_strRealtimeColumns;
  g.m_strRealtimeColumns = columns + ",NoSuchColumn";
  EXPECT_EQ(0, GetRealtimeQuote(g));
  g.m_strRealtimeColumns = columns;
  int result;
  {
    FailingAllocations none(0);
    result = GetRealtimeQuote(g);
  }
  EXPECT_EQ(0, result);
  EXPECT_EQ(0, std::memcmp(&before, r, sizeof before));

  // A select list without a column skips it for every row.
  g.m_strRealtimeColumns = "Code,Last";
  {
    FailingAllocations blockless(4096);
    result = GetRealtimeQuote(g);
    EXPECT_EQ(1, blockless.refused());
  }
  EXPECT_EQ(1, result);
  EXPECT_EQ("status 15 valid 30687 open 1 last 44 change 6 bid 8 ask 9 stamp 20240305 90702 "
            "move 20240305 90702",
            Show(*r));
}

TEST_F(RealtimeRefreshTest, NothingToDoSendsNothing) {
  int before = SelectsSent();
  EXPECT_EQ(1, GetRealtimeQuote(g));  // an empty table
  RealtimeTable = nullptr;
  EXPECT_EQ(1, GetRealtimeQuote(g));  // no table yet
  EXPECT_EQ(before, SelectsSent());
  ScopedTable other;
  RecentInfo* r = GetRecentInfoRecord("RtTN");
  CGlobal offline;
  BuildRealtimeColumnList(offline);
  EXPECT_EQ(1, GetRealtimeQuote(offline));
  EXPECT_EQ(0, r->Status);
}

}  // namespace

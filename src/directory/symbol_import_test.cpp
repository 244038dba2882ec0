// The directory import against the private server, with a fake host. Each
// test loads a small directory of its own into the three tables; the demo
// directory is put back when the suite ends.
#include "directory/symbol_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/global.h"
#include "testing/fake_info_site.h"
#include "testing/message_boxes.h"
#include "testing/test_server.h"

namespace {

const char* const kTables[] = {"nvcategory_group", "NVSectors", "nvquotes_235"};

using Texts = std::vector<std::string>;

// The dialog as the import sees it.
class RecordingView : public CImportView {
 public:
  void DisableImportButton() override {}
  void ShowImportStatus(const std::string& text) override { statuses.push_back(text); }
  std::vector<std::string> statuses;
};

class SymbolImportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (testing_server::Configured())
      saved = new testing_server::SavedTables({std::begin(kTables), std::end(kTables)});
  }
  static void TearDownTestSuite() { delete saved; }

  void SetUp() override {
    ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
    Load("(1,'MAIN','Main Board'),(2,'DEV','Development Board')",
         // Sector names in key order: A, A, B, A.
         "(11,'Energy','Oil & Gas'),(12,'Energy','Coal'),(21,'Banks','Banking'),"
         "(31,'Energy','Renewables')",
         "('AAAA',11,1000,1,'Alpha Energy Tbk','Saham',0,1),"
         "('BBBB',21,2000,2,'Bravo Bank Tbk','Saham',7,2),"
         "('COMPOSITE',0,NULL,1,'Composite Index','Indices',0,4),"
         "('IDXLOW',12,NULL,3,'Lower-case Type','indices',0,4),"
         "('REGIONAL',0,NULL,3,'Regional Index','RegIdx',0,6),"
         "('UPPER',0,NULL,2,'Upper-case Index','INDICES',0,5)");
    ASSERT_TRUE(testing_server::Open(g));
  }

  static void Load(const std::string& groups, const std::string& sectors,
                   const std::string& symbols) {
    const std::string rows[] = {"(GroupID,GroupCode,GroupName) Values " + groups,
                                "(SSCode,SectorName,SSName) Values " + sectors,
                                "(Ticker,SSCode,ListedShares,MarketID,CodeName,CodeType,"
                                "SectoralIndices,GroupID) Values " + symbols};
    for (int i = 0; i < 3; ++i) {
      testing_server::AdminExec(std::string("Delete From ") + kTables[i]);
      testing_server::AdminExec(std::string("Insert Into ") + kTables[i] + " " + rows[i]);
    }
  }

  std::vector<std::string> Import() {
    return testing_boxes::MessagesDuring([&] { RetrieveAllSymbols(g, host.site(), view); });
  }

  static inline testing_server::SavedTables* saved = nullptr;
  CGlobal g;
  fake_host::FakeInfoSite host;
  RecordingView view;
};

TEST_F(SymbolImportTest, CallsTheHostInOrder) {
  // Names of an earlier import in the last sector and industry slots.
  host.names[{2, 63}] = "Old sector";
  host.names[{3, 255}] = "Old industry";
  host.sectorOf[255] = 9;
  EXPECT_EQ(Texts{}, Import());

  // The groups, then every sector and industry slot set back, then the
  // markets, the server's sectors with their industries, and the symbols.
  EXPECT_EQ((Texts{"name 1 1 Main Board", "name 1 2 Development Board", "name 2 0 Undefined"}),
            Texts(host.calls.begin(), host.calls.begin() + 3));
  EXPECT_EQ("Undefined", (host.names[{2, 63}]));
  EXPECT_EQ("", (host.names[{3, 255}]));
  EXPECT_EQ(0, host.sectorOf[255]);
  EXPECT_FALSE(host.names.count({2, 64}) || host.names.count({3, 256})) << "past the host's slots";
  const Texts expected = {
      "name 0 0 Undefined", "name 0 1 IDX", "name 0 2 IDX Derivatif", "name 0 3 World Market",
      "name 2 1 Energy", "name 3 11 Oil & Gas", "sector 11 1", "name 3 12 Coal", "sector 12 1",
      "name 2 2 Banks", "name 3 21 Banking", "sector 21 2", "name 2 3 Energy",
      "name 3 31 Renewables", "sector 31 3", "add AAAA", "add BBBB", "add COMPOSITE",
      "add IDXLOW", "add REGIONAL", "add UPPER"};
  EXPECT_EQ(expected, Texts(std::find(host.calls.begin(), host.calls.end(), "name 0 0 Undefined"),
                            host.calls.end()));

  // The status line and the button: host/dialog_test.sh.
}

TEST_F(SymbolImportTest, RecordFieldsKeepTheHostsOwnBits) {
  // Records the host already holds: bit 1 and flag bits of its own set,
  // an industry and a group from before.
  StockInfo& held = host.Hold("IDXLOW");
  held.MarketGroupFlags = 0xBEEF0002u;
  held.Flags = 0x40u;
  StockInfo& index = host.Hold("COMPOSITE");
  index.IndustryID = 77;
  index.Flags = 0x10u;
  Import();

  // Market 1 and group 1; market 2 -> 4 on a zero word, market 3 -> 5, and
  // with the host's bit 1 kept -> 7. "indices" is no index: it gets its
  // industry and the host's flags stay; an index keeps its industry.
  const char* expected[][2] = {
      {"AAAA", "00010001 11 0 Alpha Energy Tbk"},  {"BBBB", "00020004 21 0 Bravo Bank Tbk"},
      {"REGIONAL", "00060005 0 1 Regional Index"}, {"IDXLOW", "00040007 12 40 Lower-case Type"},
      {"COMPOSITE", "00040001 77 11 Composite Index"}, {"UPPER", "00050004 0 1 Upper-case Index"}};
  for (const auto& [ticker, fields] : expected) {
    const StockInfo* s = host.Find(ticker);
    ASSERT_NE(nullptr, s) << ticker;
    char shown[200];
    std::snprintf(shown, sizeof shown, "%08x %d %x %s", s->MarketGroupFlags, s->IndustryID,
                  s->Flags, s->FullName);
    EXPECT_EQ(fields, std::string(shown)) << ticker;
  }
}

TEST_F(SymbolImportTest, LongNamesAreCutNeverOverrun) {
  const std::string longName(128, 'N');    // the column's widest
  const std::string longIndustry(100, 'I');
  Load("(1,'MAIN','Main Board')", "(11,'Energy','" + longIndustry + "')",
       "('LONG',11,1,1,'" + longName + "','Saham',0,1)");
  StockInfo& record = host.Hold("LONG");
  std::memset(record.Address, 'A', sizeof record.Address);
  Import();
  EXPECT_EQ(std::string(127, 'N'), record.FullName);
  EXPECT_EQ('A', record.Address[0]);
  EXPECT_EQ('A', record.Address[sizeof record.Address - 1]);
  EXPECT_TRUE(host.GuardIntact("LONG"));
  EXPECT_EQ(std::string(kCategoryNameSize - 1, 'I'), (host.names[{3, 11}]));
}

// (Without a connection, two messages in turn: host/dialog_test.sh.)
// An error in the groups skips the other categories; the symbols still
// come. The driver reads any value as a float, so a missing column fails
// the symbol step at the first name, after the host added that security.
TEST_F(SymbolImportTest, AnErrorEndsItsOwnStepOnly) {
  const struct {
    const char* table;
    const char* column;
    const char* renamed;
    Texts calls;
  } cases[] = {
      {"nvcategory_group", "GroupName", "GroupTitle",
       {"add AAAA", "add BBBB", "add COMPOSITE", "add IDXLOW", "add REGIONAL", "add UPPER"}},
      {"nvquotes_235", "CodeName", "FullName", {"add AAAA"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    host.calls.clear();
    const std::string alter = std::string("Alter Table ") + c.table + " Rename Column ";
    testing_server::ScopedChange renamed(alter + c.column + " To " + c.renamed,
                                         alter + c.renamed + " To " + c.column);
    EXPECT_EQ(Texts{"#-1:Retrieve all symbol returned following exception."}, Import());
    const auto firstAdd = std::find(host.calls.begin(), host.calls.end(), "add AAAA");
    EXPECT_EQ(c.calls, Texts(firstAdd, host.calls.end()));
    EXPECT_EQ(c.calls.size() == 1, firstAdd != host.calls.begin()) << "the categories";
    EXPECT_EQ("Retrieving all symbol done.", view.statuses.back());
  }
}

TEST_F(SymbolImportTest, AHostThatYieldsNoRecordIsSkipped) {
  host.refuseRecords = true;
  EXPECT_EQ(Texts{}, Import());
  EXPECT_EQ(6, std::count_if(host.calls.begin(), host.calls.end(),
                             [](const std::string& c) { return c.rfind("add ", 0) == 0; }));
  EXPECT_EQ(std::vector<std::string>{"Retrieving all symbol done."}, view.statuses);
}

TEST_F(SymbolImportTest, ImportingTwiceGivesTheSameDirectory) {
  const auto directory = [&] {
    std::vector<std::string> records;
    for (const auto& [ticker, held] : host.stocks)
      records.push_back(ticker + std::string(reinterpret_cast<const char*>(&held->record),
                                             sizeof held->record));
    return std::make_tuple(records, host.names, host.sectorOf, view.statuses);
  };
  Import();
  const auto first = directory();
  view.statuses.clear();
  EXPECT_EQ(Texts{}, Import());
  EXPECT_EQ(first, directory());
}

}  // namespace

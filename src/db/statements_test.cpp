// Every text the plug-in sends, built by its own code, against the template
// of the same name in server/STATEMENTS.md filled the same way. The server's
// test runs those templates as the plug-in's account, so what is built here
// is what the server was shown to accept. Runs from the project's root.
#include "db/statements.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "db/connection.h"
#include "db/quoting.h"
#include "plugin/global.h"

namespace {

// The first line of each entry's fenced block, by its "### " name, and the
// select lists given as "- daily: `...`" or on a line of their own.
std::map<std::string, std::string> Document() {
  std::ifstream in("server/STATEMENTS.md");
  std::map<std::string, std::string> doc;
  std::string line, name;
  while (std::getline(in, line)) {
    if (line.rfind("### ", 0) == 0) {
      name = line.substr(4);
    } else if (line.rfind("```", 0) == 0 && line.size() > 3 && !name.empty()) {
      std::getline(in, doc[name]);
      name.clear();
    } else if (line.rfind("- daily: `", 0) == 0 || line.rfind("- intraday: `", 0) == 0 ||
               line.rfind("`Code,", 0) == 0) {
      const size_t open = line.find('`');
      doc["list " + line.substr(0, open)] =
          line.substr(open + 1, line.find('`', open + 1) - open - 1);
    }
  }
  return doc;
}

template <typename... Args>
std::string Fill(const std::string& tpl, Args... args) {
  char text[2048];
  std::snprintf(text, sizeof text, tpl.c_str(), args...);
  return text;
}

TEST(Statements, EachIsItsTemplateInStatementsMdFilledTheSameWay) {
  std::map<std::string, std::string> doc = Document();
  ASSERT_EQ(17u, doc.size()) << "the entries of server/STATEMENTS.md (run from the root)";
  CGlobal g;
  // Texts with a quote and a backslash reach the server doubled; a ticker
  // and the symbol list go in as they stand.
  g.m_strClientId = "id'\\1";
  g.m_strEmail = "a'b@x";
  g.m_strVersion = "1.2.2.0";
  g.m_strPlatformBits = "32";
  g.m_nSessionSeq = 3;
  g.m_nSessionStatus = 2;
  g.m_nTradeInterval = 7;
  g.m_strServerAddress = "db.example";
  g.m_strServerPort = "3306";
  const char* id = "id''\\\\1";
  const char* mail = "a''b@x";
  BuildConnectString(g);
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
  BuildRealtimeColumnList(g);
  const std::string daily = doc["list - daily: "], intraday = doc["list - intraday: "];
  EXPECT_EQ(daily, g.m_strEodColumns);
  EXPECT_EQ(intraday, g.m_strIntradayColumns);
  EXPECT_EQ(doc["list "], g.m_strRealtimeColumns);

  EXPECT_EQ(Fill(doc["connection"], "db.example", "3306"), g.m_strConnect);
  EXPECT_EQ(doc["config"], ServerConfigStatement(g));
  EXPECT_EQ(Fill(doc["session-query"], id, id), SessionStatement(g));
  EXPECT_EQ(Fill(doc["session-register"], id, mail, "1.2.2.0", "32", 3), RegisterCall(g));
  EXPECT_EQ(Fill(doc["message-log"], id, mail, "can''t\nreach"), LogCall(g, "can't\nreach"));
  EXPECT_EQ(Fill(doc["disconnect"], id, mail, 2), DisconnectCall(g));
  EXPECT_EQ(Fill(doc["market-status"], mail, id), MarketStatusStatement(g));
  EXPECT_EQ(Fill(doc["conn-id"], id, mail, 4, 9, 7), ConnIdCall(g, 4, 9));
  const char* ticker = "A'%s\\";
  EXPECT_EQ(Fill(doc["eod-bars"], daily.c_str(), ticker, "2024-03-05"),
            BuildBarQuery(g, ticker, 86400, "2024-03-05", "10:15:00"));
  EXPECT_EQ(Fill(doc["intraday-bars"], intraday.c_str(), ticker, "202403050000"),
            BuildBarQuery(g, ticker, 60, "2024-03-05", "00:00"));
  EXPECT_EQ(Fill(doc["intraday-bars"], intraday.c_str(), "B", "20240305235959"),
            BuildBarQuery(g, "B", 60, "2024-03-05", "23:59:59"));
  EXPECT_EQ("", BuildBarQuery(g, "B", 300, "2024-03-05", "00:00")) << "no statement for 5 minutes";
  const std::string symbols = BuildSymbolList(g, {"BBCA", "T'%s"});
  EXPECT_EQ("'BBCA','T'%s'", symbols);
  EXPECT_EQ(Fill(doc["realtime"], doc["list "].c_str(), symbols.c_str()),
            BuildRealtimeQuery(g, symbols));
  EXPECT_EQ(doc["directory-symbols"], DirectorySymbolsStatement(g));
  EXPECT_EQ(doc["directory-groups"], DirectoryGroupsStatement(g));
  EXPECT_EQ(doc["directory-sectors"], DirectorySectorsStatement(g));
}

// Names are assembled a character at a time: each through the code table,
// the character table and the quoting of its own. (The value names so made
// are in the host's settings test and host/scenarios_test.sh.)
TEST(Global, AssembledNamesGoThroughTheTablesAndTheQuoting) {
  CGlobal g;
  g.m_nCharCodes[CGlobal::kCharSet.find('N')] = 'M';
  EXPECT_EQ("MVSession", AssembleName(g, "NVSession"));
  g.m_charTable['V'] = 'W';
  EXPECT_EQ("MWSession", AssembleName(g, "NVSession"));
  g.m_nDialect = 1;
  SetQuoteChars(g);
  EXPECT_EQ("`a``b`", AssembleName(g, "ab"));
  g.m_nDialect = 2;
  SetQuoteChars(g);
  EXPECT_EQ("[x]", QuoteName(g, "x"));
}

}  // namespace

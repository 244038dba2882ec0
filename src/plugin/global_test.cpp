#include "plugin/global.h"

#include <gtest/gtest.h>

#include <cstring>

#include "db/database.h"
#include "db/quoting.h"

namespace {

TEST(Global, DefaultsBeforeInit) {
  CGlobal g;
  EXPECT_EQ(5, g.m_nTradeInterval);
  EXPECT_EQ(30, g.m_nEodInterval);
  EXPECT_EQ("1971", g.m_strServerPort);
  EXPECT_FALSE(g.m_strServerAddress.empty());
  EXPECT_EQ("00:00", g.m_strStartTime);
  EXPECT_EQ(nullptr, g.m_pDatabase);
  EXPECT_EQ(1, g.m_bRemoveZeroVolume);
  EXPECT_EQ(0, g.m_bAutoConnect);
  EXPECT_EQ("1.2.2.0", g.m_strVersion);
  EXPECT_EQ(sizeof(void*) == 4 ? "32" : "64", g.m_strPlatformBits);
  EXPECT_EQ("AdjClose", g.m_strColAdjClose);
  EXPECT_EQ("CloseBidAsk", g.m_strColCloseBidAsk);
  EXPECT_STREQ("Select", g.m_szSelect);
  EXPECT_STREQ("From", g.m_szFrom);
  EXPECT_STREQ("Where", g.m_szWhere);
  EXPECT_STREQ("Call", g.m_szCall);
  EXPECT_STREQ("Order By", g.m_szOrderBy);
  EXPECT_EQ(0, g.m_szConnBase[0]);
  EXPECT_EQ(0, std::strncmp(g.m_szUid, ";UID=", 5));
  EXPECT_EQ(0, std::strncmp(g.m_szPwd, ";PWD=", 5));
  for (int i = 0; i < 256; ++i) EXPECT_EQ(i, g.m_charTable[i]);
}

TEST(Global, AssembledNamesComeFromTheCharacterTable) {
  CGlobal g;
  EXPECT_EQ("NVSession", g.m_strSessionTable);
  EXPECT_EQ("UserName", g.m_strUserNameKey);
  EXPECT_NE(g.m_strUserNameKey, g.m_strEmailKey);
  // Each character goes through the table and the quoting of its own.
  g.m_nCharCodes[CGlobal::kCharSet.find('N')] = 'M';
  EXPECT_EQ("MVSession", AssembleName(g, "NVSession"));
  g.m_nDialect = 1;
  SetQuoteChars(g);
  EXPECT_EQ("`a``b`", AssembleName(g, "ab"));
}

TEST(Global, QuotingDialects) {
  CGlobal g;
  const char* expected[][2] = {{"", ""}, {"`", "`"}, {"[", "]"}, {"[", "]"}};
  for (int dialect = 0; dialect < 4; ++dialect) {
    g.m_nDialect = dialect;
    SetQuoteChars(g);
    EXPECT_EQ(expected[dialect][0], g.m_strQuoteOpen);
    EXPECT_EQ(expected[dialect][1], g.m_strQuoteClose);
  }
  g.m_nDialect = 7;  // unknown: the texts stay
  SetQuoteChars(g);
  EXPECT_EQ(std::string("[x]"), QuoteName(g, "x"));
}

TEST(Global, DestructorFreesAHeldConnectionObject) {
  // Under the sanitizer build a leak or a double free fails this test.
  auto* g = new CGlobal;
  g->m_pDatabase = new CDatabase;
  delete g;
}

}  // namespace

#include "plugin/global.h"

#include <gtest/gtest.h>


#include "db/quoting.h"

namespace {

// The values a host sees before Init reads any setting.
TEST(Global, DefaultsBeforeInit) {
  CGlobal g;
  EXPECT_EQ(sizeof(void*) == 4 ? "32" : "64", g.m_strPlatformBits);
  EXPECT_EQ("1971", g.m_strServerPort);
  EXPECT_EQ(0, g.m_bAutoConnect);
  EXPECT_EQ(nullptr, g.m_pDatabase);
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

}  // namespace

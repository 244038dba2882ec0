#include "plugin/global.h"

#include <gtest/gtest.h>

#include "db/quoting.h"

namespace {

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

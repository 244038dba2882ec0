#include "db/statements.h"

#include <gtest/gtest.h>

#include "plugin/global.h"

namespace {

TEST(BarQuery, SelectListsDifferOnlyInTheDateExpression) {
  CGlobal g;
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
  const std::string rest =
      "TrDate,Open,High,Low,Close,Volume,0 As SkipOpenInt,0 As SkipAux1,0 As SkipAux2,AdjClose";
  EXPECT_EQ("( CONCAT(TrDate,' ','23:59:00')) As " + rest, g.m_strEodColumns);
  EXPECT_EQ("( CONCAT(TrDate,' ',TrTime)) As " + rest, g.m_strIntradayColumns);
  // An empty entry leaves no separator behind.
  g.m_strColVolume.clear();
  BuildEodColumnList(g);
  EXPECT_NE(std::string::npos, g.m_strEodColumns.find("Close,0 As SkipOpenInt"));
}

TEST(BarQuery, StatementCarriesTickerAndStartPointUnchanged) {
  CGlobal g;
  BuildEodColumnList(g);
  BuildIntradayColumnList(g);
  EXPECT_EQ("", BuildBarQuery(g, "BBCA", 300, "2024-03-05", "00:00"));
  EXPECT_EQ("", BuildBarQuery(g, "BBCA", 0, "2024-03-05", "00:00"));

  std::string daily = BuildBarQuery(g, "A'%s\\", 86400, "2024-03-05", "10:15:00");
  EXPECT_EQ(0u, daily.find("Select " + g.m_strEodColumns + " From "));
  EXPECT_NE(std::string::npos, daily.find("'A'%s\\'"));
  EXPECT_NE(std::string::npos, daily.find("'2024-03-05'"));
  EXPECT_EQ(std::string::npos, daily.find("101500"));

  std::string intraday = BuildBarQuery(g, "BBCA", 60, "2024-03-05", "23:59:59");
  EXPECT_NE(std::string::npos, intraday.find(g.m_strIntradayColumns));
  EXPECT_NE(std::string::npos, intraday.find("'20240305235959'"));
  EXPECT_NE(std::string::npos,
            BuildBarQuery(g, "BBCA", 60, "2024-03-05", "00:00").find("'202403050000'"));
}

}  // namespace

#include "db/connection.h"

#include <gtest/gtest.h>

#include "db/database.h"
#include "plugin/global.h"
#include "testing/test_server.h"

namespace {

TEST(OpenDatabase, OpensAndReopensInPlace) {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  CGlobal g;
  testing_server::PointAt(g);
  OpenDatabase(g);
  ASSERT_NE(nullptr, g.m_pDatabase);
  CDatabase* first = g.m_pDatabase;
  EXPECT_TRUE(first->IsOpen());
  OpenDatabase(g);
  EXPECT_EQ(first, g.m_pDatabase);
  EXPECT_TRUE(g.m_pDatabase->IsOpen());
  // The driver's bounds on a server that accepts and never answers (the
  // host's outage test pauses the server); m_strConnect itself is the
  // statements test's.
  EXPECT_NE(std::string::npos, g.m_pDatabase->DriverConnectText().find(
                                   ";CONN_TIMEOUT=5;READ_TIMEOUT=15;WRITE_TIMEOUT=15"));
}

}  // namespace

// A test against the private server with a client id of its own: the
// test's name behind a prefix, its session record and call log removed
// before and after the test, and a session record written on request.
#ifndef VELMORA_TESTING_CLIENT_FIXTURE_H_
#define VELMORA_TESTING_CLIENT_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A session record as the server holds it (the host has a SessionRecord of
// its own), by default with the table's defaults; no intraday start: NULL.
struct SessionRow {
  std::string user = "Tester", email = "";
  int lastConn = 0, currConn = 1, permit = 1, status = 0;
  std::string colCloseBidAsk = "CloseBidAsk", colBid = "Bid", colAsk = "Ask", intradayStart = "";
};

class ClientFixture : public ::testing::Test {
 protected:
  explicit ClientFixture(const char* prefix) : m_prefix(prefix) {}
  void SetUp() override;
  void TearDown() override;

  // Replaces the session record of this test's client id.
  void WriteSession(const SessionRow& record);
  void RemoveSession();
  // The procedure calls the server received for this client id.
  std::vector<std::string> Calls() const;
  void ClearCalls();

  std::string id;

 private:
  std::string m_prefix;
};

#endif  // VELMORA_TESTING_CLIENT_FIXTURE_H_

#include "testing/client_fixture.h"

#include "db/database.h"
#include "testing/test_server.h"

namespace {

std::string Text(const std::string& value) { return "'" + value + "'"; }

}  // namespace

void ClientFixture::SetUp() {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  id = m_prefix + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  ClientFixture::TearDown();  // whatever an interrupted run left
}

void ClientFixture::TearDown() {
  RemoveSession();
  ClearCalls();
}

void ClientFixture::WriteSession(const SessionRow& r) {
  testing_server::AdminExec(
      "Replace Into NVSession (ClientID,UserName,Email,LastConnID,CurrConnID,Permit,"
      "SessionStatus,ColCloseBidAsk,ColBid,ColAsk,IntradayStart) Values (" +
      Text(id) + "," + Text(r.user) + "," + Text(r.email) + "," + std::to_string(r.lastConn) +
      "," + std::to_string(r.currConn) + "," + std::to_string(r.permit) + "," +
      std::to_string(r.status) + "," + Text(r.colCloseBidAsk) + "," + Text(r.colBid) + "," +
      Text(r.colAsk) + "," + (r.intradayStart.empty() ? "NULL" : Text(r.intradayStart)) + ")");
}

void ClientFixture::RemoveSession() {
  testing_server::AdminExec("Delete From NVSession Where ClientID='" + id + "'");
}

std::vector<std::string> ClientFixture::Calls() const {
  std::vector<std::string> calls;
  auto admin = testing_server::Admin();
  CSRecordset rs(admin.get());
  rs.Open(CSRecordset::forwardOnly,
          "Select ProcName,Args From NVCallLog Where Args Like '''" + id + "''%' Order By id", 0);
  for (std::string name, args; !rs.IsEOF(); rs.MoveNext()) {
    rs.GetFieldValue(short{0}, name);
    rs.GetFieldValue(short{1}, args);
    calls.push_back(name + "(" + args + ")");
  }
  return calls;
}

void ClientFixture::ClearCalls() {
  testing_server::AdminExec("Delete From NVCallLog Where Args Like '''" + id + "''%'");
}

// A message box runs a modal loop in which the plug-in's own timers tick.
// Each box the plug-in can show is held open across a tick that ends the
// connection (the poll no longer finds the session: its e-mail changed), and
// the plug-in must come out of the box on the state the tick left, using
// nothing the tick freed. Real timers on Windows; on Linux the window
// system's clock runs inside the box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bars/bar_request.h"
#include "db/session.h"
#include "db/statements.h"
#include "directory/symbol_import.h"
#include "lifecycle/conn_state.h"
#include "lifecycle/lifecycle.h"
#include "lifecycle/status.h"
#include "plugin/app.h"
#include "testing/client_fixture.h"
#include "testing/fake_info_site.h"
#include "testing/message_boxes.h"
#include "testing/test_server.h"
#include "winsys/host_api.h"

namespace {

using Texts = std::vector<std::string>;

class TickInBoxTest : public ClientFixture {
 protected:
  TickInBoxTest() : ClientFixture("box") {}
  void SetUp() override {
    ClientFixture::SetUp();
    WriteSession({"Box", "box@velmora.example", 0, 4});
    testing_server::AdminExec("Update NVMarket Set isMarketClosed=0,EOD=0");
    window = winsys::CreateHostWindow();
    testing_server::PointAt(g_global);
    BuildRealtimeColumnList(g_global);
    g_global.m_strClientId = id;
    g_global.m_strEmail = "box@velmora.example";
    g_global.m_bAutoConnect = 1;
    g_nRetriesLeft = 5;
    Load();
    ASSERT_EQ(CONN_CONNECTED, g_nConnState);
    testing_server::AdminExec("Update NVSession Set Email='moved@velmora.example' Where ClientID='" +
                              id + "'");
    // Longer than the trade interval (5 s at least): the connect's timer
    // ticks inside the box.
    winsys::HoldMessageBoxes(6000);
  }
  void TearDown() override {
    winsys::HoldMessageBoxes(0);
    StopAllTimers(g_global);
    DisconnectSession(g_global);
    g_global.m_bAutoConnect = 0;
    g_nConnState = CONN_WAIT;
    winsys::DestroyHostWindow(window);
    ClientFixture::TearDown();
  }

  void Load() {
    HandleNotify(g_global, {0, REASON_DATABASE_LOADED, nullptr, window, nullptr, nullptr});
  }
  // The state as the status field shows it; the connection must be gone
  // whenever the state says it is not connected.
  std::string Status() {
    PluginStatus status{};
    status.nStructSize = sizeof status;
    FillStatus(g_global, g_nConnState, &status);
    EXPECT_TRUE(g_nConnState == CONN_CONNECTED || g_global.m_pDatabase == nullptr);
    return status.szShortMessage;
  }

  WindowHandle window = nullptr;
};

TEST_F(TickInBoxTest, BarRequestMissingColumn) {
  const std::string list = g_global.m_strEodColumns;
  g_global.m_strEodColumns = list.substr(0, list.rfind(",AdjClose"));
  Quotation bars[4] = {};
  int answer = -2;
  EXPECT_EQ(Texts{"Field 'AdjClose' is not found in the plugin."},
            testing_boxes::MessagesDuring(
                [&] { answer = GetQuotesEx(g_global, "BBCA", 86400, -1, 4, bars); }));
  EXPECT_EQ(0, answer);
  EXPECT_EQ("Disc", Status());
}

TEST_F(TickInBoxTest, DirectoryImportException) {
  testing_server::ScopedChange renamed(
      "Alter Table nvcategory_group Rename Column GroupName To GroupTitle",
      "Alter Table nvcategory_group Rename Column GroupTitle To GroupName");
  struct View : CImportView {
    void DisableImportButton() override {}
    void ShowImportStatus(const std::string& text) override { last = text; }
    std::string last;
  } view;
  fake_host::FakeInfoSite host;
  // The tick ended the connection inside the first box: the symbols are
  // not read, as for any import without a database.
  EXPECT_EQ((Texts{"#-1:Retrieve all symbol returned following exception.",
                   "You need to specify database, table and symbol field first"}),
            testing_boxes::MessagesDuring([&] { RetrieveAllSymbols(g_global, host.site(), view); }));
  EXPECT_EQ("Retrieving all symbol done.", view.last);
  EXPECT_EQ("Disc", Status());
}

TEST_F(TickInBoxTest, ConnectFailure) {
  // The host loads a database again, now with a port nothing listens on,
  // while the connected state's timer runs.
  g_global.m_strServerPort = "1";
  EXPECT_EQ(Texts{"#-1:Can't connect to server on '" + g_global.m_strServerAddress + "' !."},
            testing_boxes::MessagesDuring([&] { Load(); }));
  EXPECT_EQ("Wait", Status());
}

}  // namespace

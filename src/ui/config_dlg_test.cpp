// The configuration dialog on the Linux build's headless dialog model: the
// test plays the user as the host does. The same dialog runs for real under
// Wine in host/dialog_test.sh.
#if !defined(_WIN32)
#include "ui/config_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/settings.h"
#include "host/plugin_api.h"
#include "winsys/posix/dialog_system.h"
#include "platform/registry.h"
#include "plugin/global.h"
#include "testing/fake_info_site.h"
#include "testing/test_registry.h"
#include "testing/test_server.h"

namespace {

using dialog_system::Click;
using dialog_system::Dialog;

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseFreshRoot();
    testing_registry::CreateKey(kSettingsKey);
  }
  void TearDown() override {
    dialog_system::SetDialogUser(nullptr);
    dialog_system::SetRepaintObserver(nullptr);
    testing_registry::DeleteKey(kSettingsKey);
  }

  // Runs the dialog with `user` playing it; the result it ended with.
  int Run(const dialog_system::DialogUser& user) {
    dialog_system::SetDialogUser(user);
    CConfigDlg dialog(g);
    dialog.m_pSite = const_cast<InfoSite*>(host.site());
    return dialog.DoModal();
  }

  CGlobal g;
  fake_host::FakeInfoSite host;
};

TEST_F(ConfigDialogTest, OkStoresTheSwitchAndSavesIt) {
  g.m_bAutoConnect = 1;
  g.m_bRemoveZeroVolume = 0;  // the hidden box's state goes back unchanged
  g.m_strServerAddress = "db.example";
  EXPECT_EQ(kIdOk, Run([](Dialog& d) {
              EXPECT_EQ(1, d.Find(IDC_AUTO_CONNECT)->check);
              EXPECT_FALSE(d.Find(IDC_REMOVE_ZERO_VOLUME)->visible);
              EXPECT_FALSE(Click(d, IDC_REMOVE_ZERO_VOLUME));  // not shown, not ticked
              Click(d, IDC_AUTO_CONNECT);
              Click(d, kIdOk);
            }));
  EXPECT_EQ(0, g.m_bAutoConnect);
  EXPECT_EQ(0, g.m_bRemoveZeroVolume);
  uint32_t stored = 7;
  EXPECT_TRUE(platform::RegistryReadNumber(kSettingsKey, "AutoConnect", &stored));
  EXPECT_EQ(0u, stored);
  // The derived texts were rebuilt from the settings held.
  EXPECT_NE(std::string::npos, g.m_strConnect.find("SERVER=db.example"));

  Run([](Dialog& d) {
    EXPECT_EQ(0, d.Find(IDC_AUTO_CONNECT)->check);
    Click(d, IDC_AUTO_CONNECT);
    Click(d, kIdOk);
  });
  EXPECT_EQ(1, g.m_bAutoConnect);
  EXPECT_EQ(1u, RegReadNumber(kSettingsKey, "AutoConnect"));
}

TEST_F(ConfigDialogTest, CancelTakesAndSavesNothing) {
  g.m_bAutoConnect = 1;
  ASSERT_TRUE(RegWriteNumber(kSettingsKey, "AutoConnect", 1));
  EXPECT_EQ(kIdCancel, Run([](Dialog& d) {
              Click(d, IDC_AUTO_CONNECT);
              Click(d, kIdCancel);
            }));
  EXPECT_EQ(1, g.m_bAutoConnect);
  EXPECT_EQ(1u, RegReadNumber(kSettingsKey, "AutoConnect"));
  EXPECT_EQ("", RegReadString(kSettingsKey, g.m_strEmailKey));  // nothing written
  // Closing the window is Cancel too.
  EXPECT_EQ(kIdCancel, Run([](Dialog& d) { Click(d, IDC_AUTO_CONNECT); }));
  EXPECT_EQ(1, g.m_bAutoConnect);
}

TEST_F(ConfigDialogTest, ImportButtonStaysDisabledUntilReopened) {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  ASSERT_TRUE(testing_server::Open(g));
  std::vector<std::string> painted;
  dialog_system::SetRepaintObserver([&](const Dialog&, const dialog_system::Control& c) {
    if (c.tpl.id == IDC_STATUS) painted.push_back(c.text);
  });
  Run([&](Dialog& d) {
    EXPECT_TRUE(Click(d, IDC_RETRIEVE_ALL));
    EXPECT_FALSE(d.Find(IDC_RETRIEVE_ALL)->enabled);
    EXPECT_FALSE(Click(d, IDC_RETRIEVE_ALL));
    EXPECT_EQ("Retrieving all symbol done.", d.Find(IDC_STATUS)->text);
    Click(d, kIdCancel);
  });
  // The status line was painted once a symbol and once at the end.
  ASSERT_GE(painted.size(), 2u);
  EXPECT_EQ(host.addOrder.size() + 1, painted.size());
  EXPECT_EQ("Retrieving symbol 0. - " + host.addOrder.front(), painted.front());
  EXPECT_EQ("Retrieving all symbol done.", painted.back());
  Run([](Dialog& d) {
    EXPECT_TRUE(d.Find(IDC_RETRIEVE_ALL)->enabled);
    EXPECT_EQ("", d.Find(IDC_STATUS)->text);
  });
}

// Configure as the host calls it: the library loaded by path, whose dialog
// runs on the window system the test shares with it.
TEST_F(ConfigDialogTest, ConfigureAnswersOneEitherWay) {
  PluginApi api;
  std::string error;
  ASSERT_TRUE(api.Load(DefaultPluginPath(), &error)) << error;
  api.Init();
  int opened = 0;
  dialog_system::SetDialogUser([&](Dialog& d) {
    ++opened;
    EXPECT_STREQ("Velmora Configure", d.tpl->caption);
    Click(d, opened == 1 ? kIdOk : kIdCancel);
  });
  EXPECT_EQ(1, api.Configure("/db", const_cast<InfoSite*>(host.site())));
  EXPECT_EQ(1, api.Configure("/db", nullptr));
  EXPECT_EQ(2, opened);
  api.Release();
  api.Unload();
}

}  // namespace
#endif

// The configuration dialog on the Linux build's headless dialog model: the
// test plays the user as the host does. The same dialog runs for real under
// Wine in host/dialog_test.sh.
#if !defined(_WIN32)
#include "ui/config_dlg.h"

#include <gtest/gtest.h>

#include <string>

#include "db/settings.h"
#include "winsys/posix/dialog_system.h"
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

// host/dialog_test.sh plays the same dialog natively and under Wine: the
// controls as shown, OK and Cancel with what each stores, Configure's
// answer, and the import's status line. Here: what only the plug-in's
// state shows.
TEST_F(ConfigDialogTest, OkRebuildsTheDerivedTextsAndCancelTakesNothing) {
  g.m_bAutoConnect = 1;
  g.m_strServerAddress = "db.example";
  // Closing the window is Cancel too (the button, and the setting each
  // stores: host/dialog_test.sh).
  EXPECT_EQ(kIdCancel, Run([](Dialog& d) { Click(d, IDC_AUTO_CONNECT); }));
  EXPECT_EQ(1, g.m_bAutoConnect);
  EXPECT_EQ("", g.m_strConnect);

  EXPECT_EQ(kIdOk, Run([](Dialog& d) {
              Click(d, IDC_AUTO_CONNECT);
              Click(d, kIdOk);
            }));
  EXPECT_EQ(0, g.m_bAutoConnect);
  EXPECT_NE(std::string::npos, g.m_strConnect.find("SERVER=db.example"));
}

// The import disables its button for this dialog only (the button and the
// status line after the import: host/dialog_test.sh).
TEST_F(ConfigDialogTest, ImportButtonStaysDisabledUntilReopened) {
  ASSERT_TRUE(testing_server::Configured()) << "source scripts/dbserver env first";
  ASSERT_TRUE(testing_server::Open(g));
  Run([](Dialog& d) { Click(d, IDC_RETRIEVE_ALL); });
  Run([](Dialog& d) {
    EXPECT_TRUE(d.Find(IDC_RETRIEVE_ALL)->enabled);
    EXPECT_EQ("", d.Find(IDC_STATUS)->text);
  });
}

}  // namespace
#endif

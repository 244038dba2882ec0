// The entry points of a connected plug-in, as the host drives them: a copy
// of the library of its own (so that unloading it really unloads it), the
// private server in its settings, and the window system's clock.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/plugin_api.h"
#include "winsys/posix/window_system.h"
#include "db/settings.h"
#include "platform/registry.h"
#include "testing/client_fixture.h"
#include "testing/test_registry.h"

namespace {

// The sockets this process holds: the plug-in's connection is one of them.
int OpenSockets() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return std::count_if(begin(fds), end(fds), [](const auto& fd) { return fd.is_socket(); });
}

class ConnectedPluginTest : public ClientFixture {
 protected:
  ConnectedPluginTest() : ClientFixture("exports") {}
  void SetUp() override {
    ClientFixture::SetUp();
    copy = std::filesystem::temp_directory_path().string() + "/velmora-connected-" +
           std::to_string(getpid()) + ".so";
    std::filesystem::copy_file(DefaultPluginPath(), copy,
                               std::filesystem::copy_options::overwrite_existing);
    testing_registry::UseFreshRoot();
    testing_registry::CreateKey(kSettingsKey);
    platform::RegistryWriteString(kSettingsKey, "ServerAddress", std::getenv("VELMORA_DB_HOST"));
    platform::RegistryWriteString(kSettingsKey, "ServerPort", std::getenv("VELMORA_DB_PORT"));
    platform::RegistryWriteNumber(kSettingsKey, "AutoConnect", 1);
    testing_registry::SetEnv("VELMORA_CLIENT_ID", id.c_str());
    WriteSession({"Tester", "held@velmora.example"});
    window = window_system::CreateWindow();
  }
  void TearDown() override {
    if (api.library != nullptr) api.Unload();
    window_system::DestroyWindow(window);
    window_system::Messages().clear();
    std::filesystem::remove(copy);
    testing_registry::SetEnv("VELMORA_CLIENT_ID", clientId.empty() ? nullptr : clientId.c_str());
    ClientFixture::TearDown();
  }
  // Loads the copy and connects it as the host does on a database load.
  void LoadAndConnect() {
    std::string error;
    ASSERT_TRUE(api.Load(copy, &error)) << error;
    ASSERT_EQ(1, api.Init());
    PluginNotification note{0, REASON_DATABASE_LOADED, nullptr, window, nullptr, &workspace};
    ASSERT_EQ(1, api.Notify(&note));
  }
  std::string Status() {
    PluginStatus status{};
    api.GetStatus(&status);
    return status.szShortMessage;
  }

  std::string clientId = std::getenv("VELMORA_CLIENT_ID") ? std::getenv("VELMORA_CLIENT_ID") : "";
  std::string copy;
  PluginApi api;
  WindowHandle window = nullptr;
  Workspace workspace{};
};

// Release ends the session but is no notification: the state and the
// timers stay until the host's unload notification. A second one has
// nothing left to end: the session test's.
TEST_F(ConnectedPluginTest, ReleaseWhileConnectedLeavesTheStateAndTimers) {
  LoadAndConnect();
  EXPECT_EQ(1, api.Release());
  EXPECT_EQ("Conn", Status());
  EXPECT_EQ(1u, window_system::Timers().size());
  const std::vector<std::string> calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ("Plugin223_Disconnect('" + id + "','held@velmora.example',0)", calls.back());
}

// A host that unloads the library without a Release: the global state's
// destructor still closes and frees the connection it holds.
TEST_F(ConnectedPluginTest, UnloadingWithAConnectionHeldClosesIt) {
  const int before = OpenSockets();
  LoadAndConnect();
  EXPECT_GT(OpenSockets(), before);
  // Its timers would call into the unloaded library: the host's window
  // goes first.
  window_system::DestroyWindow(window);
  window = window_system::CreateWindow();
  api.Unload();
  EXPECT_EQ(before, OpenSockets());
}

}  // namespace
#endif

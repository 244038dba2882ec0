// Each timer calls its own call-back, on both systems, in the host's loop.
#include <gtest/gtest.h>

#include "platform/window.h"
#include "winsys/host_api.h"

namespace {

uintptr_t g_saw[2] = {};

template <int kWhich>
void Saw(WindowHandle window, unsigned, uintptr_t id, uint32_t) {
  g_saw[kWhich] = id;
  platform::StopTimer(window, id);
}

TEST(WindowTimers, EachTimerCallsItsOwnCallBack) {
  WindowHandle window = winsys::CreateHostWindow();
  ASSERT_NE(0u, platform::StartTimer(window, 7, 10, Saw<0>));
  ASSERT_NE(0u, platform::StartTimer(window, 8, 10, Saw<1>));
  winsys::PumpMessages(300, nullptr);
  winsys::DestroyHostWindow(window);
  EXPECT_EQ(7u, g_saw[0]);
  EXPECT_EQ(8u, g_saw[1]);
}

}  // namespace

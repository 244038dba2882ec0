// Each timer calls its own call-back, on both systems, in the host's loop.
#include <gtest/gtest.h>

#include "platform/window.h"
#include "winsys/host_api.h"

namespace {

uintptr_t g_firstSaw = 0, g_secondSaw = 0;

void First(WindowHandle window, unsigned, uintptr_t id, uint32_t) {
  g_firstSaw = id;
  platform::StopTimer(window, id);
}

void Second(WindowHandle window, unsigned, uintptr_t id, uint32_t) {
  g_secondSaw = id;
  platform::StopTimer(window, id);
}

TEST(WindowTimers, EachTimerCallsItsOwnCallBack) {
  WindowHandle window = winsys::CreateHostWindow();
  ASSERT_NE(0u, platform::StartTimer(window, 7, 10, First));
  ASSERT_NE(0u, platform::StartTimer(window, 8, 10, Second));
  winsys::PumpMessages(300, nullptr);
  winsys::DestroyHostWindow(window);
  EXPECT_EQ(7u, g_firstSaw);
  EXPECT_EQ(8u, g_secondSaw);
}

}  // namespace

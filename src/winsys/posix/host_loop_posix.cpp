// The host's window and message loop on Linux: the window system's clock
// moves with the wall clock while the host pumps.
#include <algorithm>
#include <chrono>
#include <thread>

#include "winsys/host_api.h"
#include "winsys/posix/window_system.h"

namespace winsys {

WindowHandle CreateHostWindow() { return window_system::CreateWindow(); }

void DestroyHostWindow(WindowHandle window) { window_system::DestroyWindow(window); }

namespace {
bool g_stopPumping = false;
void (*g_onMessage)(unsigned, uintptr_t) = nullptr;
}  // namespace

void StopPumping() { g_stopPumping = true; }

unsigned PumpMessages(unsigned milliseconds,
                      void (*onMessage)(unsigned message, uintptr_t wParam)) {
  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point from) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count());
  };
  const auto start = Clock::now();
  uint64_t done = 0, longest = 0;
  g_stopPumping = false;
  g_onMessage = onMessage;
  auto& messages = window_system::Messages();
  for (;;) {
    while (!messages.empty()) {
      unsigned message = messages.front().second;
      messages.pop_front();
      if (onMessage != nullptr) onMessage(message, 0);
    }
    if (done >= milliseconds || g_stopPumping) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    uint64_t elapsed = std::min<uint64_t>(since(start), milliseconds);
    const auto before = Clock::now();
    window_system::Advance(elapsed - done, [](uintptr_t id) {
      if (g_onMessage != nullptr) g_onMessage(kTimerMessage, id);
    });
    longest = std::max(longest, since(before));
    // The clock does not move on by the time a call-back took: the loop
    // waited for it, as the host's thread would.
    done = std::min<uint64_t>(since(start), milliseconds);
  }
  return static_cast<unsigned>(longest);
}

}  // namespace winsys

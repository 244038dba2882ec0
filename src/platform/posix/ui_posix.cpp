#include "platform/platform.h"
#include "winsys/posix/window_system.h"

namespace platform {

int ShowMessageBox(const std::string& text, unsigned /*style*/) {
  return window_system::MessageBox(text);
}

// There is no cursor to change.
WaitCursor::WaitCursor() : m_previous(nullptr) {}

WaitCursor::~WaitCursor() = default;

}  // namespace platform

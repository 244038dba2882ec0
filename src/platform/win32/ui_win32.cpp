#include <windows.h>

#include "platform/platform.h"

namespace platform {

int ShowMessageBox(const std::string& text, unsigned style) {
  return MessageBoxA(nullptr, text.c_str(), "Velmora", style);
}

WaitCursor::WaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() { SetCursor(static_cast<HCURSOR>(m_previous)); }

}  // namespace platform

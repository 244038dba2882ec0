#include <windows.h>

#include "platform/platform.h"
#include "platform/window.h"

namespace platform {

namespace {
std::string g_lastMessageBox;
}  // namespace

const std::string& LastMessageBoxText() { return g_lastMessageBox; }

int ShowMessageBox(const std::string& text, unsigned style) {
  g_lastMessageBox = text;
  NoteMessageBoxShown(text.c_str());
  return MessageBoxA(nullptr, text.c_str(), "Velmora", style);
}

WaitCursor::WaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() { SetCursor(static_cast<HCURSOR>(m_previous)); }

}  // namespace platform

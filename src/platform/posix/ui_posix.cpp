// Without a window system the message box is written to standard error and
// answered at once with its default button; the wait cursor is nothing.
#include <cstdio>

#include "platform/platform.h"
#include "platform/window.h"

namespace platform {

namespace {
std::string g_lastMessageBox;
}  // namespace

const std::string& LastMessageBoxText() { return g_lastMessageBox; }

int ShowMessageBox(const std::string& text, unsigned /*style*/) {
  g_lastMessageBox = text;
  std::fprintf(stderr, "[message box] %s\n", text.c_str());
  NoteMessageBoxShown(text.c_str());
  return 1;  // IDOK
}

WaitCursor::WaitCursor() : m_previous(nullptr) {}

WaitCursor::~WaitCursor() = default;

}  // namespace platform

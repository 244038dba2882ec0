#include "testing/message_boxes.h"

#include "winsys/host_api.h"

namespace testing_boxes {

namespace {

// From the start of the run, so that a box outside MessagesDuring is
// answered too.
const bool kWatching = (winsys::ObserveMessageBoxes(nullptr, true), true);

std::vector<std::string>* g_shown = nullptr;

void Keep(const char* text) { g_shown->push_back(text); }

}  // namespace

std::vector<std::string> MessagesDuring(const std::function<void()>& action) {
  (void)kWatching;
  std::vector<std::string> shown;
  g_shown = &shown;
  winsys::ObserveMessageBoxes(Keep, true);
  action();
  winsys::ObserveMessageBoxes(nullptr, true);
  g_shown = nullptr;
  return shown;
}

}  // namespace testing_boxes

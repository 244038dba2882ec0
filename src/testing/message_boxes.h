// The tests play the user of the plug-in's message boxes: every box is read
// and answered with its default button as soon as it shows, so that no test
// waits on one. Windows boxes show only on a display (the suite runs on a
// virtual one).
#ifndef VELMORA_TESTING_MESSAGE_BOXES_H_
#define VELMORA_TESTING_MESSAGE_BOXES_H_

#include <functional>
#include <string>
#include <vector>

namespace testing_boxes {

// The texts of the boxes shown while `action` runs, in order.
std::vector<std::string> MessagesDuring(const std::function<void()>& action);

}  // namespace testing_boxes

#endif  // VELMORA_TESTING_MESSAGE_BOXES_H_

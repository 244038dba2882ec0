// The tests play the user of the plug-in's message boxes: each box is read
// (winsys::LastMessageBoxText) and answered with its default button as soon
// as it shows, so that no test waits on one. The Linux window system does
// this by itself; on Windows the boxes are watched from the start of the run.
#include "winsys/host_api.h"

namespace {

const bool kWatching = (winsys::ObserveMessageBoxes(nullptr, true), true);

}  // namespace

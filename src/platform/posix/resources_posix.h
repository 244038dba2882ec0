// The Linux build's copy of the dialog templates of ui/velmora.rc, which
// only Windows compiles. resources_posix_test.cpp holds the two alike.
#ifndef VELMORA_PLATFORM_POSIX_RESOURCES_POSIX_H_
#define VELMORA_PLATFORM_POSIX_RESOURCES_POSIX_H_

#include "winsys/posix/dialog_system.h"

namespace platform {

// Null for an id that names no dialog template.
const dialog_system::DialogTemplate* FindDialogTemplate(int id);

}  // namespace platform

#endif  // VELMORA_PLATFORM_POSIX_RESOURCES_POSIX_H_

// The plug-in's field in the host's status area.
#ifndef VELMORA_LIFECYCLE_STATUS_H_
#define VELMORA_LIFECYCLE_STATUS_H_

#include "abi/host_records.h"

class CGlobal;

// Fills the status record from the connection state. The record's size field
// is never touched, nor the status code in the Error state.
void FillStatus(const CGlobal& g, int state, PluginStatus* status);

#endif  // VELMORA_LIFECYCLE_STATUS_H_

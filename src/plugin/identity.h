// The plug-in's identity record, copied whole by GetPluginInfo.
#ifndef VELMORA_PLUGIN_IDENTITY_H_
#define VELMORA_PLUGIN_IDENTITY_H_

#include "abi/host_records.h"

extern const PluginInfo kPluginIdentity;

#endif  // VELMORA_PLUGIN_IDENTITY_H_

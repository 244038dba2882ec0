// The library's static objects, constructed in this order when it loads and
// destroyed in reverse order when it unloads: the module state, the global
// state object, the application object.
#ifndef VELMORA_PLUGIN_APP_H_
#define VELMORA_PLUGIN_APP_H_

#include "plugin/global.h"

class CNorvApp {
 public:
  CNorvApp() = default;
  virtual ~CNorvApp() = default;
  virtual bool InitInstance() { return true; }
};

extern CGlobal g_global;
extern CNorvApp theApp;

#endif  // VELMORA_PLUGIN_APP_H_

#include "plugin/app.h"

// Defined together so that their construction order is the order written
// here. The module state is the platform's module handle (set on process
// attach), which needs no construction of its own.
CGlobal g_global;
CNorvApp theApp;

namespace {
// The application object's start-up, run once the library is loaded.
const bool g_started = theApp.InitInstance();
}  // namespace

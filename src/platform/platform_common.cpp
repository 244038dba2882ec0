#include "platform/platform.h"

namespace platform {
namespace {
void* g_module = nullptr;
}  // namespace

void SetModuleHandle(void* module) { g_module = module; }
void* ModuleHandle() { return g_module; }

const char* PlatformBits() { return sizeof(void*) == 4 ? "32" : "64"; }

}  // namespace platform

// memory: the heap the host process holds now, plug-in and drivers included,
// for a script that watches it over a long session.
#include <cstdio>

#include "host/commands.h"
#include "host/memory_use.h"

namespace {

int Memory(HostSession&, const HostOptions&, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("memory", "memory takes no arguments");
  std::printf("memory: %zu bytes of heap in use\n", HeapInUse());
  std::fflush(stdout);
  return 0;
}

const CommandRegistration kMemory("memory", "memory            the heap the host holds now",
                                  Memory);

}  // namespace

// memory: the heap the host process holds now, plug-in and drivers included,
// for a script that watches it over a long session.
#include <cstdio>

#include "host/commands.h"
#include "host/memory_use.h"

namespace {

const CommandRegistration kMemory({
    .name = "memory",
    .synopsis = "memory",
    .summary = "the heap the host holds now, plug-in and drivers included",
    .exits = "0, 2 usage error.",
    .define = WithoutArguments([](HostSession&, const HostOptions&) {
      std::printf("memory: %zu bytes of heap in use\n", HeapInUse());
      std::fflush(stdout);
      return static_cast<int>(kExitOk);
    }),
});

}  // namespace

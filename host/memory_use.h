// How much heap the process holds, for the soak and the reload check: the
// bytes handed out by malloc and operator new and not yet freed (by the
// sanitizer's allocator where it replaces the C library's).
#ifndef VELMORA_HOST_MEMORY_USE_H_
#define VELMORA_HOST_MEMORY_USE_H_

#include <cstddef>

size_t HeapInUse();

#endif  // VELMORA_HOST_MEMORY_USE_H_

#include "host/memory_use.h"

#include <malloc.h>

// Under AddressSanitizer (as gcc and clang each say it) the sanitizer's
// allocator holds the heap.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_ASAN_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_ASAN_HEAP 1
#endif
#if defined(VELMORA_ASAN_HEAP)
// The sanitizer runtime's own count (gcc ships no header that declares it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

size_t HeapInUse() {
#if defined(_WIN32)
  size_t used = 0;
  _HEAPINFO entry{};
  while (_heapwalk(&entry) == _HEAPOK)
    if (entry._useflag == _USEDENTRY) used += entry._size;
  return used;
#elif defined(VELMORA_ASAN_HEAP)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

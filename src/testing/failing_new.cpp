#include "testing/failing_new.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_smallestRefused{SIZE_MAX};
std::atomic<int> g_refused{0};

void* Allocate(size_t size) noexcept {
  if (size >= g_smallestRefused.load()) {
    ++g_refused;
    return nullptr;
  }
  return std::malloc(size > 0 ? size : 1);
}

void* AllocateOrThrow(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

FailingAllocations::FailingAllocations(size_t bytes) : m_refusedBefore(g_refused.load()) {
  g_smallestRefused = bytes;
}

FailingAllocations::~FailingAllocations() { g_smallestRefused = SIZE_MAX; }

int FailingAllocations::refused() const { return g_refused.load() - m_refusedBefore; }

// The replaceable global forms; the aligned ones stay the library's, with
// their own matching deletes.
void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// Allocation failures on demand, for the code a test links in: while a
// FailingAllocations lives, operator new refuses every request of at least
// its size (the throwing forms throw std::bad_alloc, the nothrow forms give
// null). Memory that C code takes with malloc is not touched.
#ifndef VELMORA_TESTING_FAILING_NEW_H_
#define VELMORA_TESTING_FAILING_NEW_H_

#include <cstddef>

class FailingAllocations {
 public:
  explicit FailingAllocations(size_t bytes);
  ~FailingAllocations();
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;

  // The requests refused since this one began.
  int refused() const;

 private:
  int m_refusedBefore;
};

#endif  // VELMORA_TESTING_FAILING_NEW_H_

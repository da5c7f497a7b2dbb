// The program's operator new and delete, on malloc and free, noting the largest block asked
// for. Kept apart from every caller so that no compiler mistakes the pairing for a mismatch.
#include "tests/core/download/largest_allocation.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace tarnwick::testing {
std::size_t largest_allocation = 0;
}  // namespace tarnwick::testing

void* operator new(std::size_t size) {
  tarnwick::testing::largest_allocation = std::max(tarnwick::testing::largest_allocation, size);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

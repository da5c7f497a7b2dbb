#pragma once

#include <cstddef>

namespace tarnwick::testing {

// The largest block that operator new was asked for since a test last set this to 0: a text
// that grows without bound shows as ever larger blocks.
extern std::size_t largest_allocation;

}  // namespace tarnwick::testing

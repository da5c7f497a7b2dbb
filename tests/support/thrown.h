#pragma once

#include <string>

namespace tarnwick::testing {

// What the `Error` that `act` throws says, or "(nothing thrown)".
template <class Error, class Act>
std::string Thrown(const Act& act) {
  try {
    act();
  } catch (const Error& error) {
    return error.what();
  }
  return "(nothing thrown)";
}

}  // namespace tarnwick::testing

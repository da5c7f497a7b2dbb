#pragma once

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::testing {

// Whether `text` holds `part`; when it does not, the failure shows both.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

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

#pragma once

// Helpers for tests of values: printing vectors in assertions, near comparison, and calling
// registered functions by name.

#include "expr/functions/uNamespace.h"
#include "expr/functions/uVector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <iomanip>
#include <ostream>
#include <string_view>

inline void PrintTo(const TVector& vector, std::ostream* out) {
  *out << '[' << std::setprecision(21);
  for (std::size_t i = 0; i < vector.size(); ++i)
    *out << (i ? ", " : "") << vector[i];
  *out << ']';
}

// Calls the registered function name with the given arguments.
inline TVector Call(std::string_view name, std::initializer_list<TVector> args = {}) {
  TVector result;
  CallFunction("", name, std::span(args.begin(), args.size()), result);
  return result;
}

// Same length, and every element within tolerance of the expected one, relative to its
// magnitude where that exceeds 1. Infinities must match exactly.
inline testing::AssertionResult VectorNear(const TVector& actual, const TVector& expected,
                                           long double tolerance = 1e-17L) {
  bool near = actual.size() == expected.size();
  for (std::size_t i = 0; near && i < actual.size(); ++i) {
    long double a = actual[i], e = expected[i];
    if (std::isinf(e) || std::isinf(a))
      near = a == e;
    else
      near = std::fabs(a - e) <= tolerance * std::fmax(1.0L, std::fabs(e));
  }
  if (near)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << testing::PrintToString(actual) << " is not near " << testing::PrintToString(expected);
}

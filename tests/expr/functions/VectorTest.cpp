#include "expr/functions/uVector.h"
#include "platform/uExceptions.h"
#include "support/TestVectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();

using TUnary = TVector (*)(const TVector&);
using TBinary = TVector (*)(const TVector&, const TVector&);

// Storage

TEST(TVector, CopiesAndMovesKeepTheElementsInlineAndOnTheHeap) {
  for (std::size_t length : {0u, 1u, 2u, 3u, 17u}) {
    TVector original;
    for (std::size_t i = 0; i < length; ++i)
      original.push_back(static_cast<long double>(i) + 0.5L);
    TVector copy = original;
    EXPECT_EQ(copy, original) << "length " << length;
    TVector moved = std::move(copy);
    EXPECT_EQ(moved, original) << "length " << length;
    EXPECT_TRUE(copy.empty()) << "length " << length;
    TVector assigned{9, 9, 9, 9};
    assigned = original;
    EXPECT_EQ(assigned, original) << "length " << length;
    TVector moveAssigned{9};
    moveAssigned = std::move(moved);
    EXPECT_EQ(moveAssigned, original) << "length " << length;
    // The moved-from vector stays usable.
    moved.push_back(1);
    EXPECT_EQ(moved, TVector{1}) << "length " << length;
  }
}

TEST(TVector, SelfAssignmentKeepsTheElements) {
  TVector vector{1, 2, 3};
  TVector& same = vector;
  vector = same;
  EXPECT_EQ(vector, (TVector{1, 2, 3}));
}

TEST(TVector, ResizeFillsNewElementsWithZero) {
  TVector vector{7};
  vector.resize(5);
  EXPECT_EQ(vector, (TVector{7, 0, 0, 0, 0}));
  vector.resize(1);
  vector.resize(3);
  EXPECT_EQ(vector, (TVector{7, 0, 0}));
}

TEST(TVector, EqualityComparesLengthAndElements) {
  EXPECT_EQ(TVector(), TVector());
  EXPECT_NE(TVector{0}, TVector());
  EXPECT_NE((TVector{1, 2}), (TVector{1, 3}));
}

// Scalars and sums

TEST(TVectorScalar, IsTheFirstElementOrZero) {
  EXPECT_EQ(VectorToNum({}), 0);
  EXPECT_EQ(VectorToNum({4, 5}), 4);
  EXPECT_EQ(NumToVector(2.5L), TVector{2.5L});
  EXPECT_EQ(VectorSum({}), 0);
  EXPECT_EQ(VectorSum({1, 2, 3.5L}), 6.5L);
}

TEST(TVectorScalar, OperationsIgnoreElementsAfterTheFirst) {
  EXPECT_EQ(VectorAbs({-1, -2}), TVector{1});
  EXPECT_EQ(VectorAbs({}), TVector{0});
  EXPECT_EQ(VectorPower({}, {}), TVector{1});
  EXPECT_EQ(VectorTrunc({2.9L, 100}), TVector{2});
}

// Element-wise operations

TEST(TVectorElementWise, AddAndSubtractPadTheShorterWithZeros) {
  EXPECT_EQ(VectorAdd({1, 2, 3}, {10}), (TVector{11, 2, 3}));
  EXPECT_EQ(VectorSub({1}, {1, 1}), (TVector{0, -1}));
  EXPECT_EQ(VectorAdd({}, {}), TVector());
  EXPECT_EQ(VectorNeg({1, -2, 0}), (TVector{-1, 2, -0.0L}));
}

TEST(TVectorElementWise, MultiplyAndDivideUseTheSumOfTheSecondOperand) {
  EXPECT_EQ(VectorMul({1, 2}, {3, 4}), (TVector{7, 14}));
  EXPECT_EQ(VectorDiv({6}, {1, 2}), TVector{2});
  EXPECT_EQ(VectorMod({-7}, {3}), TVector{2});
  EXPECT_EQ(VectorMod({7, -7}, {-3}), (TVector{-2, -1}));
  EXPECT_EQ(VectorSqr({3, -4}), (TVector{9, 16}));
  EXPECT_EQ(VectorSqrt({9, 2.25L}), (TVector{3, 1.5L}));
}

TEST(TVectorElementWise, DivisionAndModuloByAZeroSumFollowTheSignOfTheDividend) {
  EXPECT_EQ(VectorDiv({5, -5, 0}, {}), (TVector{Inf, -Inf, 0}));
  EXPECT_EQ(VectorDiv({5}, {1, -1}), TVector{Inf});
  EXPECT_EQ(VectorMod({5, -5, 0}, {0}), (TVector{Inf, -Inf, 0}));
  EXPECT_EQ(VectorInv({2, 2}), TVector{0.25L});
  EXPECT_EQ(VectorInv({1, -1}), TVector{Inf});
}

TEST(TVectorElementWise, ModuloTakesQuotientsBeyondThe32BitRange) {
  // 10000000001 = 3 * 3333333333 + 2; the quotient does not fit 32 bits.
  EXPECT_EQ(VectorMod({10000000001.0L}, {3}), TVector{2});
  EXPECT_EQ(VectorMod({-10000000001.0L}, {3}), TVector{1});
}

// Rounding

TEST(TVectorRounding, RoundHalvesAwayFromZeroAndTruncateTowardZero) {
  const struct {
    long double x;
    long double round, trunc, floor, ceil, frac;
  } rows[] = {
      {2.5L, 3, 2, 2, 3, 0.5L}, {-2.5L, -3, -2, -3, -2, -0.5L}, {2.4999L, 2, 2, 2, 3, 0.4999L},
      {2.1L, 2, 2, 2, 3, 0.1L}, {-0.5L, -1, 0, -1, 0, -0.5L},   {7, 7, 7, 7, 7, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(VectorRound({row.x}), TVector{row.round}) << row.x;
    EXPECT_EQ(VectorTrunc({row.x}), TVector{row.trunc}) << row.x;
    EXPECT_EQ(VectorFloor({row.x}), TVector{row.floor}) << row.x;
    EXPECT_EQ(VectorCeil({row.x}), TVector{row.ceil}) << row.x;
    EXPECT_TRUE(VectorNear(VectorFrac({row.x}), TVector{row.frac})) << row.x;
  }
}

TEST(TVectorRounding, HelpersRoundAsDocumented) {
  EXPECT_EQ(RoundAway(2.5L), 3);
  EXPECT_EQ(RoundAway(-2.5L), -3);
  EXPECT_EQ(RoundAway(2.4999L), 2);
  EXPECT_EQ(RoundEven(2.5L), 2);
  EXPECT_EQ(RoundEven(3.5L), 4);
  EXPECT_EQ(RoundEven(-2.5L), -2);
  EXPECT_EQ(FloorMod(7, 3), 1);
  EXPECT_EQ(FloorMod(-7, 3), 2);
  EXPECT_EQ(FloorMod(7, -3), -2);
}

TEST(TVectorRounding, FloorAndCeilingKeepThe64BitRange) {
  EXPECT_EQ(VectorFloor({3000000000.0L}), TVector{3000000000.0L});
  EXPECT_EQ(VectorCeil({-3000000000.5L}), TVector{-3000000000.0L});
  EXPECT_EQ(VectorTrunc({3000000000.0L}), TVector{3000000000.0L});
  EXPECT_EQ(VectorRound({-3000000000.5L}), TVector{-3000000001.0L});
  EXPECT_EQ(VectorFloor({-9223372036854775808.0L}), TVector{-9223372036854775808.0L});
}

// Bitwise operations

TEST(TVectorBits, RoundTheirOperandsAndWorkIn64Bits) {
  EXPECT_EQ(VectorAnd({5}, {2.5L}), TVector{1}) << "2.5 rounds away to 3";
  EXPECT_EQ(VectorXnor({5}, {2.5L}), TVector{-8}) << "2.5 rounds to even 2";
  EXPECT_EQ(VectorOr({1, 2}, {4}), (TVector{5, 6}));
  EXPECT_EQ(VectorXor({5}, {1}), TVector{4});
  EXPECT_EQ(VectorAnd({-1}, {0x7FFFFFFFFFFFFFFFLL}), TVector{9223372036854775807.0L});
  EXPECT_EQ(VectorNot({0}), TVector{-1});
  EXPECT_EQ(VectorNot({2.5L}), TVector{-4});
}

TEST(TVectorBits, ShiftsBeyond63BitsGiveZero) {
  EXPECT_EQ(VectorShl({1}, {4}), TVector{16});
  EXPECT_EQ(VectorShl({1}, {63}), TVector{-9223372036854775808.0L});
  EXPECT_EQ(VectorShl({1}, {64}), TVector{0});
  EXPECT_EQ(VectorShl({1}, {127}), TVector{0});
  EXPECT_EQ(VectorShr({256}, {4}), TVector{16});
  EXPECT_EQ(VectorShr({-1}, {60}), TVector{15}) << "a logical shift";
  EXPECT_EQ(VectorShr({-1}, {64}), TVector{0});
  EXPECT_EQ(VectorShl({1}, {-1}), TVector{0});
}

// Powers, logarithms and factorials

TEST(TVectorPower, FollowsTheRulesForZeroIntegralAndFractionalExponents) {
  EXPECT_EQ(VectorPower({2}, {10}), TVector{1024});
  EXPECT_EQ(VectorPower({0}, {0}), TVector{1});
  EXPECT_EQ(VectorPower({0}, {2.5L}), TVector{0});
  EXPECT_EQ(VectorPower({-2}, {3}), TVector{-8});
  EXPECT_EQ(VectorPower({2}, {-2}), TVector{0.25L});
  // Integral exponents up to 2147483647 in magnitude square repeatedly; beyond, the logarithm
  // of a negative base is invalid.
  EXPECT_EQ(VectorPower({-1}, {2147483647}), TVector{-1});
  EXPECT_EQ(VectorPower({-1}, {-2147483647}), TVector{-1});
  EXPECT_THROW(VectorPower({-1}, {2147483648.0L}), EInvalidOp);
  EXPECT_TRUE(VectorNear(VectorPower({2}, {0.5L}), TVector{1.4142135623730950488L}));
  EXPECT_TRUE(VectorNear(VectorLog({2}, {8}), TVector{3}));
  EXPECT_TRUE(VectorNear(VectorLn({1}), TVector{0}));
  EXPECT_TRUE(VectorNear(VectorExp({1}), TVector{2.7182818284590452354L}));
}

TEST(TVectorFact, MultipliesIntegersAndUsesGammaForFractions) {
  EXPECT_EQ(VectorFact({5}), TVector{120});
  EXPECT_EQ(VectorFact({0}), TVector{1});
  EXPECT_EQ(VectorFact({1}), TVector{1});
  EXPECT_EQ(VectorFact({-3}), TVector{1});
  EXPECT_EQ(VectorFact({1755}), TVector{Inf});
  EXPECT_FALSE(std::isinf(VectorFact({1754})[0]));
  EXPECT_TRUE(VectorNear(VectorFact({0.5L}), TVector{0.88622692545275801365L}));
}

TEST(TVectorCompare, IsTheDifferenceOfTheSums) {
  EXPECT_EQ(VectorCompare({1, 2}, {4}), -1);
  EXPECT_EQ(VectorCompare({}, {}), 0);
}

// Floating-point errors

// Checks that run raises E with the platform's message.
template <class E>
void ExpectError(const std::function<void()>& run, const char* what, const char* message) {
  try {
    run();
    ADD_FAILURE() << what << ": no exception";
  } catch (const E& error) {
    EXPECT_STREQ(error.what(), message) << what;
  } catch (const std::exception& error) {
    ADD_FAILURE() << what << ": wrong exception " << error.what();
  }
}

TEST(TVectorErrors, InvalidOperations) {
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"sqrt of a negative element",
       [] {
         VectorSqrt({4, -1});
       }},
      {"ln of a negative number", [] { VectorLn({-1}); }},
      {"log of a negative number", [] { VectorLog({2}, {-8}); }},
      {"negative base, fractional exponent", [] { VectorPower({-8}, {1.0L / 3}); }},
      {"trunc beyond 64 bits", [] { VectorTrunc({1e19L}); }},
      {"round beyond 64 bits", [] { VectorRound({-1e19L}); }},
      {"floor beyond 64 bits", [] { VectorFloor({1e19L}); }},
      {"ceil beyond 64 bits", [] { VectorCeil({9223372036854775807.5L}); }},
      {"not beyond 64 bits", [] { VectorNot({1e30L}); }},
      {"and beyond 64 bits", [] { VectorAnd({1e30L}, {1}); }},
      {"and of a huge mask", [] { VectorAnd({1}, {1e30L}); }},
      {"shl beyond 64 bits", [] { VectorShl({1e30L}, {1}); }},
      {"xnor beyond 64 bits", [] { VectorXnor({1}, {1e30L}); }},
      {"round of infinity", [] { VectorRound({Inf}); }},
      {"mod quotient beyond 64 bits", [] { VectorMod({1e30L}, {3}); }},
      {"infinity minus infinity", [] { VectorAdd({Inf}, {-Inf}); }},
      {"sum of opposite infinities",
       [] {
         VectorSum({Inf, -Inf});
       }},
  };
  for (const auto& [what, run] : cases)
    ExpectError<EInvalidOp>(run, what, "Invalid floating point operation");
}

TEST(TVectorErrors, DivisionsByZero) {
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"ln of 0", [] { VectorLn({0}); }},
      {"ln of the empty vector", [] { VectorLn({}); }},
      {"log of 0", [] { VectorLog({2}, {0}); }},
      {"log to base 1", [] { VectorLog({1}, {5}); }},
      {"0 to a negative integral power", [] { VectorPower({0}, {-1}); }},
      {"gamma at 0", [] { VectorGamma({0}); }},
      {"gamma at a negative integer", [] { VectorGamma({-3}); }},
  };
  for (const auto& [what, run] : cases)
    ExpectError<EZeroDivide>(run, what, "Floating point division by zero");
}

TEST(TVectorErrors, Overflows) {
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"exp of a large number", [] { VectorExp({20000}); }},
      {"square of a huge element",
       [] {
         VectorSqr({1, 1e3000L});
       }},
      {"integral power", [] { VectorPower({10}, {5000}); }},
      {"fractional power", [] { VectorPower({10}, {5000.5L}); }},
      {"product", [] { VectorMul({1e4000L}, {1e4000L}); }},
      {"sum", [] { VectorAdd({1e4932L}, {1e4932L}); }},
      {"gamma", [] { VectorGamma({2000.5L}); }},
      {"factorial of a fraction", [] { VectorFact({2000.5L}); }},
      {"mod whose quotient overflows", [] { VectorMod({1e4932L}, {0.1L}); }},
      {"mod whose quotient overflows negatively", [] { VectorMod({-1e4932L}, {0.1L}); }},
  };
  for (const auto& [what, run] : cases)
    ExpectError<EOverflow>(run, what, "Floating point overflow");
}

TEST(TVectorErrors, FactorialNeverReachesThePoleOfGamma) {
  EXPECT_NO_THROW(VectorFact({-1}));
  EXPECT_NO_THROW(VectorFact({-0.5L}));
}

} // namespace

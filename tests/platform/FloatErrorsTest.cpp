#include "platform/uFloatErrors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

long double Divide(long double a, long double b) {
  return a / b;
}

// Runs f and returns the message of the floating-point error it raised as E, or why not.
template <class E, class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const E& error) {
    return error.what();
  } catch (const std::exception& other) {
    return std::string("other exception: ") + other.what();
  }
  return "no exception";
}

TEST(TFloatErrors, RaisesTheMatchingExceptionWithThePlatformMessage) {
  EXPECT_EQ(
      ErrorOf<EInvalidOp>([] { FloatChecked([](long double x) { return std::sqrt(x); }, -1.0L); }),
      "Invalid floating point operation");
  EXPECT_EQ(ErrorOf<EZeroDivide>([] { FloatChecked(Divide, 1.0L, 0.0L); }),
            "Floating point division by zero");
  EXPECT_EQ(ErrorOf<EOverflow>([] { FloatChecked([](long double x) { return x * x; }, 1e4000L); }),
            "Floating point overflow");
}

TEST(TFloatErrors, UnderflowAndInexactResultsAreSilent) {
  EXPECT_EQ(FloatChecked([](long double x) { return x * x; }, 1e-4000L), 0.0L);
  EXPECT_NO_THROW(FloatChecked(Divide, 1.0L, 3.0L));
}

TEST(TFloatErrors, DetectsDoublePrecisionArithmeticToo) {
  EXPECT_THROW(FloatChecked([](double a, double b) { return a / b; }, 1.0, 0.0), EZeroDivide);
  EXPECT_THROW(FloatChecked([](double a) { return std::sqrt(a); }, -1.0), EInvalidOp);
}

TEST(TFloatErrors, FlagsRaisedBeforeTheCheckDoNotLeakIntoIt) {
  volatile long double zero = 0;
  volatile long double earlier = 1 / zero;
  (void)earlier;
  EXPECT_NO_THROW(FloatChecked(Divide, 1.0L, 2.0L));
}

// The compiler may compute a / b once and reuse the result computed before the flags were
// cleared; the barrier forces the division to run again after the clear. This test fails when
// the barrier is taken out of FloatChecked.
TEST(TFloatErrors, ReusedResultsAreComputedAgainInsideTheCheck) {
  volatile long double one = 1;
  long double a = one;
  long double b = a - 1;
  long double early = a / b;
  EXPECT_THROW(FloatChecked([](long double x, long double y) { return x / y; }, a, b), EZeroDivide);
  EXPECT_TRUE(std::isinf(early));
}

TEST(TFloatErrors, ConstantOperandsAreComputedAtRunTime) {
  EXPECT_THROW(FloatChecked([](long double x, long double y) { return x / y; }, 1.0L, 0.0L),
               EZeroDivide);
}

TEST(TFloatErrors, CheckCoversLoopsOverMemory) {
  long double values[] = {1, 2, 0, 4};
  long double results[4];
  TFloatErrorCheck check;
  for (int i = 0; i < 4; ++i)
    results[i] = 1 / values[i];
  EXPECT_THROW(check.Check(), EZeroDivide);
  EXPECT_TRUE(std::isinf(results[2]));
}

TEST(TFloatErrors, InfinitiesThatLaterMakeAnInvalidOperationAreReportedFirst) {
  // sqrt((x - 1) / (x + 1)) at x = -1: the division by zero comes first.
  EXPECT_THROW(FloatChecked([](long double x) { return std::sqrt((x - 1) / (x + 1)); }, -1.0L),
               EZeroDivide);
  // An overflow to infinity divided by itself.
  EXPECT_THROW(FloatChecked([](long double x) { return (x * x) / (x * x); }, 1e3000L), EOverflow);
  EXPECT_THROW(ThrowFloatError(FloatInvalid | FloatZeroDivide | FloatOverflow), EZeroDivide);
  EXPECT_THROW(ThrowFloatError(FloatInvalid | FloatOverflow), EOverflow);
  EXPECT_THROW(ThrowFloatError(FloatInvalid), EInvalidOp);
}

TEST(TFloatErrors, AllThreeAreMathErrorsAndPlatformExceptions) {
  EXPECT_THROW(throw EInvalidOp(), EMathError);
  EXPECT_THROW(throw EZeroDivide(), EMathError);
  EXPECT_THROW(throw EOverflow(), Exception);
  EXPECT_THROW(throw EConvertError("x"), Exception);
}

} // namespace

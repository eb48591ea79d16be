#include "platform/uFloatFormat.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FloatToStr, FixedNotationFromAFractionToFifteenDigits) {
  const struct {
    long double value;
    const char* text;
  } rows[] = {
      {75 / (1.8L * 1.8L), "23.1481481481481"},
      {0, "0"},
      {-0.0L, "0"},
      {100, "100"},
      {2.5L, "2.5"},
      {-2.5L, "-2.5"},
      {0.0001L, "0.0001"},
      {0.00012345L, "0.00012345"},
      {123456789012345.0L, "123456789012345"},
      {1e14L, "100000000000000"},
      {0.1L, "0.1"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(FloatToStr(row.value), row.text) << static_cast<double>(row.value);
}

TEST(FloatToStr, ScientificNotationBeyond) {
  const struct {
    long double value;
    const char* text;
  } rows[] = {
      {1e-5L, "1E-5"},
      {1.5e20L, "1.5E20"},
      {-2.5e-7L, "-2.5E-7"},
      {1234567890123456.0L, "1.23456789012346E15"},
      {1e15L, "1E15"},
      {0.000099999L, "9.9999E-5"},
      {std::numeric_limits<long double>::max(), "1.18973149535723E4932"},
      {std::numeric_limits<long double>::denorm_min(), "3.64519953188247E-4951"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(FloatToStr(row.value), row.text) << static_cast<double>(row.value);
}

TEST(FloatToStr, RoundingCanMoveAValueIntoScientificNotation) {
  EXPECT_EQ(FloatToStr(999999999999999.9L), "1E15");
  EXPECT_EQ(FloatToStr(0.000099999999999999999L), "0.0001");
}

TEST(FloatToStr, ExactTiesRoundAwayFromZero) {
  // 16 significant digits ending in 5 are exact in extended precision.
  EXPECT_EQ(FloatToStr(1000000000000005.0L), "1.00000000000001E15");
  EXPECT_EQ(FloatToStr(-1000000000000005.0L), "-1.00000000000001E15");
  EXPECT_EQ(FloatToStr(1000000000000004.0L), "1E15");
  EXPECT_EQ(FloatToStr(0.125L), "0.125");
}

TEST(FloatToStr, SpecialValuesAndSeparators) {
  EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<long double>::infinity()), "-INF");
  EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FloatToStr(2.5L, ","), "2,5");
  EXPECT_EQ(FloatToStr(1.5e20L, ","), "1,5E20");
  EXPECT_EQ(FloatToStr(1234, ","), "1234") << "no thousands separators";
}

} // namespace

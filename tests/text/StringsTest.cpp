#include "text/uStrings.h"

#include <gtest/gtest.h>

namespace {

TEST(StringHash, MultipliesBy31AndAddsEachByteModulo2To32) {
  EXPECT_EQ(StringHash(""), 0u);
  EXPECT_EQ(StringHash("A"), 65u);
  EXPECT_EQ(StringHash("PLUS"), ((80u * 31 + 76) * 31 + 85) * 31 + 83);
  // Bytes count as unsigned, and the product wraps.
  EXPECT_EQ(StringHash("\xFF"), 255u);
  EXPECT_EQ(StringHash("ZZZZZZZZZZ"), 3199080512u) << "wraps modulo 2^32";
}

} // namespace

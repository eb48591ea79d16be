#include "sound/uG711.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The decoder output values of ITU-T G.711 for one code as stored: the polarity bit (1 positive
// after the transmission inversion is undone), the segment and the step inside it. A-law output is
// in 1/4096 of the range, 2Q + 1 in segment 0 and (2Q + 33) × 2^(S - 1) above; µ-law output in
// 1/8192, (2Q + 33) × 2^S − 33. Both are scaled to 16 bits.
double ALawValue(unsigned Code) {
  const unsigned restored = Code ^ 0x55; // the even bits go inverted
  const unsigned segment = (restored >> 4) & 7, step = restored & 15;
  const double value =
      segment == 0 ? 2.0 * step + 1 : (2.0 * step + 33) * std::pow(2.0, segment - 1);
  return (restored & 0x80 ? 1 : -1) * 8 * value;
}

double MuLawValue(unsigned Code) {
  const unsigned segment = 7 - ((Code >> 4) & 7), step = 15 - (Code & 15); // all bits go inverted
  const double value = (2.0 * step + 33) * std::pow(2.0, segment) - 33;
  return (Code & 0x80 ? 1 : -1) * 4 * value;
}

TEST(G711Test, TablesFollowTheStandardsDecoderOutputForEveryCode) {
  for (unsigned code = 0; code < 256; ++code) {
    EXPECT_EQ(ALawTable()[code], ALawValue(code)) << "A-law code " << code;
    EXPECT_EQ(MuLawTable()[code], MuLawValue(code)) << "µ-law code " << code;
  }
}

} // namespace

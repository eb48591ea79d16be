#include "platform/uFPUMask.h"

#include <gtest/gtest.h>

namespace {

// Puts the masks back as they were when the test began, whatever it did.
class TFPUMaskTest : public testing::Test {
 protected:
  void SetUp() override { Saved_ = GetFPUMask(); }
  void TearDown() override { SetFPUMask(Saved_); }

 private:
  std::uint32_t Saved_ = 0;
};

TEST_F(TFPUMaskTest, TheProgramRunsWithEveryExceptionMasked) {
  EXPECT_EQ(GetFPUMask(), FPUMaskAll);
  EXPECT_EQ(GetSSEMask(), FPUMaskAll);
}

TEST_F(TFPUMaskTest, ReturnsThePreviousMasksAndSetsBothUnits) {
  struct TCase {
    std::uint32_t Mask, Expected;
  };
  // Only masking bits are changed here, never a trap left open: the precision, underflow and
  // denormal masks, and values with bits above the six that must be ignored.
  const TCase cases[] = {
      {0x3F, 0x3F},
      {0x1D, 0x1D}, // invalid, zero divide and overflow masked, denormal and precision too
      {0x3F | 0x40, 0x3F},
      {0xFFFFFFFF, 0x3F},
  };
  for (const TCase& c : cases) {
    SetFPUMask(0x3F);
    EXPECT_EQ(SetFPUMask(c.Mask), 0x3Fu) << c.Mask;
    EXPECT_EQ(GetFPUMask(), c.Expected) << c.Mask;
    EXPECT_EQ(GetSSEMask(), c.Expected) << c.Mask;
    EXPECT_EQ(SetFPUMask(0x3F), c.Expected) << "previous of " << c.Mask;
  }
}

TEST_F(TFPUMaskTest, SavingAndPuttingBackLeavesTheOtherControlBits) {
  std::uint16_t before, after;
  asm volatile("fnstcw %0" : "=m"(before));
  const std::uint32_t saved = SetFPUMask(0x1F);
  SetFPUMask(saved);
  asm volatile("fnstcw %0" : "=m"(after));
  EXPECT_EQ(after, before);
}

} // namespace

#include "ui/uColors.h"

#include <gtest/gtest.h>

namespace {

TEST(TColors, ContrastColorIsBlackFromLightness128) {
  const struct {
    TColor color;
    TColor contrast;
  } rows[] = {
      {clBlack, clWhite},
      {clWhite, clBlack},
      {RGBColor(128, 128, 128), clBlack},
      {RGBColor(127, 127, 127), clWhite},
      {RGBColor(255, 0, 0), clWhite}, // (255 + 0) / 2 = 127
      {RGBColor(255, 1, 1), clBlack}, // (255 + 1) / 2 = 128
      {RGBColor(0, 0, 255), clWhite},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ContrastColor(row.color), row.contrast) << std::hex << row.color;
}

TEST(TColors, SystemColorsResolveThroughTheInstalledResolver) {
  EXPECT_TRUE(IsSystemColor(clGrayText));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
  TSystemColorResolver previous = SetSystemColorResolver(
      [](int Index) { return Index == 17 ? RGBColor(200, 200, 200) : RGBColor(10, 20, 30); });
  EXPECT_EQ(ColorToRGB(clGrayText), RGBColor(200, 200, 200));
  EXPECT_EQ(ContrastColor(clGrayText), clBlack);
  EXPECT_EQ(ColorToRGB(clWindow), RGBColor(10, 20, 30));
  SetSystemColorResolver(previous);
}

TEST(TColors, PlainColorsLoseTheirHighByte) {
  EXPECT_EQ(ColorToRGB(0x12345678), 0x345678);
  EXPECT_EQ(RedOf(RGBColor(1, 2, 3)), 1);
  EXPECT_EQ(GreenOf(RGBColor(1, 2, 3)), 2);
  EXPECT_EQ(BlueOf(RGBColor(1, 2, 3)), 3);
}

} // namespace

#include "graphics/uColors.h"

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

namespace {

TEST(TColors, GreysHaveNoHueAndNoSaturation) {
  // Black and white would divide by zero in the saturation formula.
  for (int level : {0, 1, 127, 128, 254, 255}) {
    const THLS hls = ColorToHLS(RGBColor(level, level, level));
    EXPECT_EQ(HueOf(hls), HueGrey) << level;
    EXPECT_EQ(SaturationOf(hls), 0) << level;
    EXPECT_EQ(LightnessOf(hls), level) << level;
    EXPECT_EQ(HLSToColor(hls), RGBColor(level, level, level)) << level;
  }
}

TEST(TColors, HueLightnessAndSaturationOfKnownColours) {
  const struct {
    TColor color;
    int hue, lightness, saturation;
  } rows[] = {
      {RGBColor(255, 0, 0), 0, 127, 255},
      {RGBColor(255, 255, 0), 255, 127, 255},
      {RGBColor(0, 255, 0), 510, 127, 255},
      {RGBColor(0, 255, 255), 765, 127, 255},
      {RGBColor(0, 0, 255), 1020, 127, 255},
      {RGBColor(255, 0, 255), 1275, 127, 255},
      {RGBColor(255, 0, 1), 1529, 127, 255}, // just below red: the hue wraps
      // Lightness 150 is 128 or more: saturation 100 * 255 / (510 - 300), rounded.
      {RGBColor(200, 100, 100), 0, 150, 121},
      {RGBColor(100, 50, 50), 0, 75, 85}, // 50 * 255 / 150
  };
  for (const auto& row : rows) {
    const THLS hls = ColorToHLS(row.color);
    EXPECT_EQ(HueOf(hls), row.hue) << std::hex << row.color;
    EXPECT_EQ(LightnessOf(hls), row.lightness) << std::hex << row.color;
    EXPECT_EQ(SaturationOf(hls), row.saturation) << std::hex << row.color;
  }
}

TEST(TColors, HLSToColorInvertsColorToHLSWithinRounding) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 51) {
        const TColor back = HLSToColor(ColorToHLS(RGBColor(r, g, b)));
        EXPECT_LE(std::abs(RedOf(back) - r), 2) << r << ' ' << g << ' ' << b;
        EXPECT_LE(std::abs(GreenOf(back) - g), 2) << r << ' ' << g << ' ' << b;
        EXPECT_LE(std::abs(BlueOf(back) - b), 2) << r << ' ' << g << ' ' << b;
      }
}

TEST(TColors, LighterAndDarkerMoveTheLightnessBy64WithinItsRange) {
  EXPECT_EQ(LightnessOf(ColorToHLS(Lighter(RGBColor(100, 50, 50)))), 75 + 64);
  EXPECT_EQ(LightnessOf(ColorToHLS(Darker(RGBColor(100, 50, 50)))), 75 - 64);
  EXPECT_EQ(Lighter(clWhite), clWhite);
  EXPECT_EQ(Darker(RGBColor(40, 40, 40)), clBlack);
  EXPECT_EQ(Lighter(RGBColor(100, 100, 100)), RGBColor(164, 164, 164));
}

TEST(TColors, ScaleColorMultipliesEachChannelUpTo255) {
  EXPECT_EQ(ScaleColor(RGBColor(100, 200, 50), 32768), RGBColor(50, 100, 25));
  EXPECT_EQ(ScaleColor(RGBColor(100, 200, 50), 2 * 65536), RGBColor(200, 255, 100));
  EXPECT_EQ(ScaleColor(RGBColor(100, 200, 50), -65536), clBlack);
}

TEST(TColors, SpectrumColorRunsThroughTheHuesModulo1530) {
  const struct {
    int hue;
    TColor color;
  } rows[] = {
      {0, RGBColor(255, 0, 0)},      {255, RGBColor(255, 255, 0)},  {510, RGBColor(0, 255, 0)},
      {765, RGBColor(0, 255, 255)},  {1020, RGBColor(0, 0, 255)},   {1275, RGBColor(255, 0, 255)},
      {1530, RGBColor(255, 0, 0)},   {-255, RGBColor(255, 0, 255)}, {100, RGBColor(255, 100, 0)},
      {1400, RGBColor(255, 0, 130)},
  };
  for (const auto& row : rows)
    EXPECT_EQ(SpectrumColor(row.hue), row.color) << row.hue;
}

TEST(TColors, MixColorsOfTheButtonShadesGivesTheNextShade) {
  EXPECT_EQ(MixColors(clBtnShadow, clBtnHighlight), cl3DLight);
  EXPECT_EQ(MixColors(clBtnHighlight, clBtnShadow), cl3DLight);
  EXPECT_EQ(MixColors(cl3DLight, cl3DDkShadow), clBtnShadow);
  EXPECT_EQ(MixColors(RGBColor(10, 21, 255), RGBColor(1, 0, 0)), RGBColor(5, 10, 127));
}

} // namespace

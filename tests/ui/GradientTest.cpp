#include "support/BitmapTestSupport.h"
#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

constexpr int W = 9, H = 6;
// C0 ... C3 as colours, and their bytes in the normal byte order (blue, green, red).
const std::array<TColor, 4> Colors = {RGBColor(200, 100, 30), RGBColor(10, 250, 128),
                                      RGBColor(77, 0, 255), RGBColor(255, 255, 255)};
int C(int N, int K) {
  const TColor c = Colors[static_cast<std::size_t>(N)];
  return K == 0 ? BlueOf(c) : K == 1 ? GreenOf(c) : RedOf(c);
}

int Clamp(long long V) {
  return static_cast<int>(std::clamp(V, 0LL, 255LL));
}

// The spectrum ramp and the triangle ramp, from their definitions.
int Spectrum(int I) {
  const int segment = I / 256, step = I % 256;
  const int values[10] = {255, 255 - step, 0, 0, step, 255, 255, 255 - step, 0, 0};
  return values[segment];
}
int Tri(int I) {
  I %= 512;
  return I < 256 ? I : 511 - I;
}

// Byte K of style S at (x, y) of the W x H rectangle, for the styles without random numbers.
int Expected(int S, int x, int y, int K) {
  switch (S) {
  case 0:
  case 1: {
    const int i = S == 0 ? 1536 * x / W : 1536 * y / H;
    return Spectrum(i + (K == 0 ? 0 : K == 1 ? 1024 : 512));
  }
  case 2:
    return Clamp(K == 0   ? 355 - 256 * x / W - 256 * y / H
                 : K == 1 ? 320 - 256 * (H - 1 - y) / H - 128 * std::abs(2 * x - (W - 1)) / W
                          : 355 - 256 * (W - 1 - x) / W - 256 * y / H);
  case 3:
    return Clamp(K == 0   ? 355 - 256 * x / W - 256 * y / H
                 : K == 1 ? 320 - 256 * (W - 1 - x) / W - 256 * std::abs(y - (H - 1) / 2) / H
                          : 355 - 256 * (H - 1 - y) / H - 256 * x / W);
  case 4:
    return K == 0 ? Tri(8 * y) : K == 1 ? Tri(8 * x) : 256 * (H - 1 - y) / H;
  case 5:
    return K == 0 ? Tri(8 * x) : K == 1 ? Tri(8 * y) : 256 * (W - 1 - x) / W;
  case 6:
    return Clamp(C(0, K) * Tri(8 * y) / 256 + C(1, K) * Tri(8 * x) / 256 +
                 C(2, K) * (256 * (H - 1 - y) / H) / 256);
  case 7:
    return Clamp(C(0, K) * Tri(8 * x) / 256 + C(1, K) * Tri(8 * y) / 256 +
                 C(2, K) * (256 * (W - 1 - x) / W) / 256);
  case 13:
    return Clamp(2 * (W - 1 - x) * C(1, K) / (2 * W) + 2 * (H - 1 - y) * C(0, K) / (2 * H));
  case 14:
    return Clamp((2 * x + 2) * C(3, K) / (2 * W) + (2 * y + 2) * C(2, K) / (2 * H));
  case 15:
    return Clamp((2 * (W - 1 - x) * C(1, K) + (2 * x + 2) * C(3, K)) / (2 * W) +
                 (2 * (H - 1 - y) * C(0, K) + (2 * y + 2) * C(2, K)) / (2 * H));
  default:
    return C(0, K);
  }
}

// The dithered fades: the exact quotient rounded down or up.
struct TRange {
  int Low, High;
};
TRange Fade(int A, int B, int Position, int Size, int K) {
  const int numerator = (Size - 1 - Position) * C(A, K) + Position * C(B, K);
  return {numerator / (Size - 1), (numerator + Size - 2) / (Size - 1)};
}
TRange ExpectedRange(int S, int x, int y, int K) {
  if (S == 10)
    return Fade(0, 1, x, W, K);
  if (S == 11)
    return Fade(2, 3, y, H, K);
  if (S == 12) {
    const TRange a = Fade(0, 1, x, W, K), b = Fade(2, 3, y, H, K);
    return {(a.Low + b.Low) / 2, (a.High + b.High) / 2};
  }
  const int v = Expected(S, x, y, K);
  return {v, v};
}

int Byte(TPixel Pixel, int K) {
  return static_cast<int>((Pixel >> (8 * K)) & 0xFF);
}

// The corners and row 2.
std::vector<std::pair<int, int>> Checked() {
  std::vector<std::pair<int, int>> points = {{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}};
  for (int x = 0; x < W; ++x)
    points.push_back({x, 2});
  return points;
}

TEST(TDBitmapGradient, EveryStyleFollowsItsFormulaAtTheCornersAndAlongARow) {
  for (int style = 0; style < GradientStyleCount; ++style) {
    if (style == 8 || style == 9)
      continue; // random, below
    TDBitmap bitmap;
    bitmap.SetSize(W, H, clBlack);
    bitmap.Gradient(nullptr, 0, ef16, Colors, style);
    for (auto [x, y] : Checked())
      for (int k = 0; k < 3; ++k) {
        const TRange range = ExpectedRange(style, x, y, k);
        const int got = Byte(bitmap.GetPixel(x, y), k);
        EXPECT_TRUE(got >= range.Low && got <= range.High)
            << GradientStyleNames[style] << " at " << x << ',' << y << " byte " << k << ": " << got
            << " not in " << range.Low << " ... " << range.High;
      }
  }
}

TEST(TDBitmapGradient, FadesAreExactAtTheirEdges) {
  TDBitmap bitmap;
  bitmap.SetSize(W, H, clBlack);
  bitmap.Gradient(nullptr, 0, ef16, Colors, 10);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(0, 3)), Colors[0]);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(W - 1, 3)), Colors[1]);
  bitmap.Gradient(nullptr, 0, ef16, Colors, 11);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(4, 0)), Colors[2]);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(4, H - 1)), Colors[3]);
}

TEST(TDBitmapGradient, FadesOverOnePixelGiveTheirFirstColourNotBlack) {
  TDBitmap bitmap;
  bitmap.SetSize(1, 1, clBlack);
  bitmap.Gradient(nullptr, 0, ef16, Colors, 10);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(0, 0)), Colors[0]);
  bitmap.Gradient(nullptr, 0, ef16, Colors, 11);
  EXPECT_EQ(bitmap.PixelToColor(bitmap.GetPixel(0, 0)), Colors[2]);
}

TEST(TDBitmapGradient, RandomStylesRepeatWithTheSeedAndKeepTheirBounds) {
  for (int style : {8, 9}) {
    TDBitmap first, second;
    first.SetSize(W, H, clBlack);
    second.SetSize(W, H, clBlack);
    SetGradientSeed(42);
    first.Gradient(nullptr, 0, ef16, Colors, style);
    SetGradientSeed(42);
    second.Gradient(nullptr, 0, ef16, Colors, style);
    EXPECT_EQ(Pixels(first), Pixels(second)) << style;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        for (int k = 0; k < 3; ++k) {
          const int got = Byte(first.GetPixel(x, y), k);
          if (style == 9) {
            EXPECT_LE(got, C(0, k));
          } else if (x == 0 && y == 0) {
            // The walk starts at 127 and moves by at most C0's byte a pixel.
            EXPECT_LE(std::abs(got - 127), C(0, k));
          }
        }
  }
}

TEST(TDBitmapGradient, StyleSixteenFillsWithC0Only) {
  TDBitmap bitmap;
  bitmap.SetSize(3, 2, clBlack);
  bitmap.Gradient(nullptr, 0, ef16, Colors, 16);
  EXPECT_PIXELS(bitmap, Uniform(3, 2, bitmap.ColorToPixel(Colors[0])));
}

TEST(TDBitmapGradient, OffsetShiftsThePatternWithinTheRectangle) {
  TDBitmap plain, shifted;
  plain.SetSize(W, H, clBlack);
  shifted.SetSize(W, H, clBlack);
  plain.Gradient(nullptr, 0, ef16, Colors, 4);
  shifted.Gradient(nullptr, 2, ef16, Colors, 4);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      EXPECT_EQ(shifted.GetPixel(x, y), plain.GetPixel((x + 2) % W, (y + 2) % H)) << x << ',' << y;
}

TEST(TDBitmapGradient, ProgressSeesEachRowAndMayStopTheFill) {
  TDBitmap bitmap;
  bitmap.SetSize(2, 3, clBlack);
  std::vector<std::pair<int, int>> calls;
  bitmap.Gradient(
      TRect{0, 0, 1, 2},
      [&](int Done, int Remainder) {
        calls.push_back({Done, Remainder});
        return calls.size() == 2;
      },
      0, ef16, Colors, 16);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 0}, {341, 1}}));
  const TPixel c0 = bitmap.ColorToPixel(Colors[0]);
  EXPECT_PIXELS(bitmap, (TPixelRows{{c0, c0}, {0, 0}, {0, 0}}));
}

TEST(TDBitmapGradient, CombinesThroughTheEffectAndKeepsTransparentPixels) {
  TDBitmap bitmap;
  SetPixels(bitmap, {{0x00102030, 0x00000000, 0x00FFFFFF}});
  bitmap.Transparent = true;
  bitmap.TransparentColor = RGBColor(0x10, 0x20, 0x30);
  bitmap.Gradient(nullptr, 0, ef08, {RGBColor(2, 4, 6), 0, 0, 0}, 16);
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x00102030, 0x00010203, 0x00808182}}));
}

} // namespace

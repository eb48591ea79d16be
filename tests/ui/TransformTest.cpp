#include "support/BitmapTestSupport.h"
#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A source whose pixels are all different: value = 1 + x + 16 * y.
TDBitmap& Numbered(TDBitmap& Bitmap, int Width, int Height) {
  Bitmap.SetSize(Width, Height, clNone);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      *Bitmap.PixelAddress(x, y) = static_cast<TPixel>(1 + x + 16 * y);
  return Bitmap;
}

// How often each source pixel value appears in the target.
std::map<TPixel, int> Census(const TDBitmap& Bitmap) {
  std::map<TPixel, int> count;
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (Bitmap.GetPixel(x, y) != 0)
        ++count[Bitmap.GetPixel(x, y)];
  return count;
}

TEST(TDBitmapRotateDraw, QuarterTurnsMapEverySourcePixelToExactlyOneTarget) {
  for (auto [w, h] : {std::pair{5, 3}, std::pair{4, 2}, std::pair{6, 5}, std::pair{1, 1}}) {
    TDBitmap source;
    Numbered(source, w, h);
    for (int angle : {0, 256, 512, 768}) {
      TDBitmap target;
      target.SetSize(16, 16, clBlack);
      target.RotateDraw(8, 8, source, angle, 0, ef16);
      const std::map<TPixel, int> census = Census(target);
      EXPECT_EQ(census.size(), static_cast<std::size_t>(w * h)) << w << 'x' << h << " by " << angle;
      for (auto [value, count] : census)
        EXPECT_EQ(count, 1) << w << 'x' << h << " by " << angle << ": " << value;
    }
  }
}

TEST(TDBitmapRotateDraw, DrawsAroundTheCentreTurningCounterClockwise) {
  TDBitmap source;
  Numbered(source, 3, 2);
  TDBitmap target;
  target.SetSize(5, 4, clBlack);
  // The half-pixel offsets of an even height round down the screen.
  target.RotateDraw(source, 0, 0, ef16);
  EXPECT_PIXELS(
      target, (TPixelRows{{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 1, 2, 3, 0}, {0, 17, 18, 19, 0}}));
  TDBitmap turned;
  turned.SetSize(5, 5, clBlack);
  turned.RotateDraw(source, 256, 0, ef16);
  EXPECT_PIXELS(
      turned,
      (TPixelRows{
          {0, 0, 0, 0, 0}, {0, 0, 3, 19, 0}, {0, 0, 2, 18, 0}, {0, 0, 1, 17, 0}, {0, 0, 0, 0, 0}}));
}

TEST(TDBitmapRotateDraw, ModesMirrorSkewScaleAndTurn) {
  TDBitmap source;
  Numbered(source, 3, 3);
  const TPixelRows plain = {{1, 2, 3}, {17, 18, 19}, {33, 34, 35}};
  const struct {
    int mode, angle;
    TPixelRows expected;
  } rows[] = {
      {0, 0, plain},
      {1, 0, {{3, 2, 1}, {19, 18, 17}, {35, 34, 33}}},
      {2, 0, {{33, 34, 35}, {17, 18, 19}, {1, 2, 3}}},
      {3, 0, {{1, 17, 33}, {2, 18, 34}, {3, 19, 35}}},
      {4, 0, plain},
      {5, 0, plain},
      {6, 512, {{3, 2, 1}, {19, 18, 17}, {35, 34, 33}}},
      {7, 512, {{33, 34, 35}, {17, 18, 19}, {1, 2, 3}}},
      {8, 77, {{3, 19, 35}, {2, 18, 34}, {1, 17, 33}}},
      {9, 77, {{35, 34, 33}, {19, 18, 17}, {3, 2, 1}}},
      {10, 77, {{33, 17, 1}, {34, 18, 2}, {35, 19, 3}}},
      {11, 0, {{3, 2, 1}, {19, 18, 17}, {35, 34, 33}}},
      {12, 0, {{33, 34, 35}, {17, 18, 19}, {1, 2, 3}}},
      {13, 512, {{35, 34, 33}, {19, 18, 17}, {3, 2, 1}}},
      {14, 0, {{35, 19, 3}, {34, 18, 2}, {33, 17, 1}}},
  };
  for (const auto& row : rows) {
    TDBitmap target;
    target.SetSize(3, 3, clBlack);
    target.RotateDraw(source, row.angle, row.mode, ef16);
    EXPECT_PIXELS(target, row.expected) << "mode " << row.mode;
  }
  // A skew by a quarter turn shifts each row by its distance from the centre.
  TDBitmap skewed;
  skewed.SetSize(5, 3, clBlack);
  skewed.RotateDraw(source, 256, 4, ef16);
  EXPECT_PIXELS(skewed, (TPixelRows{{1, 2, 3, 0, 0}, {0, 17, 18, 19, 0}, {0, 0, 33, 34, 35}}));
  TDBitmap none;
  none.SetSize(3, 3, clBlack);
  none.RotateDraw(source, 0, 15, ef16);
  none.RotateDraw(source, 0, -1, ef16);
  none.RotateDraw(source, 0, 0, ef00);
  EXPECT_PIXELS(none, Uniform(3, 3, 0));
}

TEST(TDBitmapTransformDraw, TheSourceRectangleStaysWithinTheSource) {
  TDBitmap source;
  Numbered(source, 2, 2);
  TDBitmap target;
  target.SetSize(4, 4, clBlack);
  target.TransformDraw(1, 1, ef16, 256, 0, 0, 256, TRect{-50, -50, 50, 50}, source);
  EXPECT_PIXELS(target, (TPixelRows{{0, 0, 0, 0}, {0, 1, 2, 0}, {0, 17, 18, 0}, {0, 0, 0, 0}}));
}

TEST(TDBitmapTransformDraw, SkipsTransparentSourcePixels) {
  TDBitmap source;
  SetPixels(source, {{0x00010203, 0x00040506}});
  source.Transparent = true;
  source.TransparentColor = RGBColor(1, 2, 3);
  TDBitmap target;
  target.SetSize(3, 1, clWhite);
  target.RotateDraw(1, 0, source, 0, 0, ef16);
  EXPECT_PIXELS(target, (TPixelRows{{0x00FFFFFF, 0x00FFFFFF, 0x00040506}}));
}

TEST(TDBitmapTransformDraw, DrawingOntoItselfStartsFromAPurplePicture) {
  TDBitmap bitmap;
  SetPixels(bitmap, {{1, 2, 3, 4}, {5, 6, 7, 8}});
  // A transparent colour does not keep the old pixels.
  bitmap.Transparent = true;
  bitmap.TransformDraw(1, 0, ef16, 256, 0, 0, 256, TRect{0, 0, 1, 0}, bitmap);
  const TPixel p = 0x800080;
  EXPECT_PIXELS(bitmap, (TPixelRows{{p, 1, 2, p}, {p, p, p, p}}));
}

// The area average from its definition: every source pixel's overlap with the target pixel, in
// exact integer units of source size x target size, summed over the whole source.
TPixelRows ReferenceResize(const TPixelRows& Source, int NewWidth, int NewHeight) {
  const long long sw = static_cast<long long>(Source[0].size()),
                  sh = static_cast<long long>(Source.size());
  TPixelRows result = Uniform(NewWidth, NewHeight, 0);
  for (long long ty = 0; ty < NewHeight; ++ty)
    for (long long tx = 0; tx < NewWidth; ++tx) {
      unsigned long long sums[3] = {}, area = 0;
      for (long long sy = 0; sy < sh; ++sy)
        for (long long sx = 0; sx < sw; ++sx) {
          const long long ox =
              std::min((tx + 1) * sw, (sx + 1) * NewWidth) - std::max(tx * sw, sx * NewWidth);
          const long long oy =
              std::min((ty + 1) * sh, (sy + 1) * NewHeight) - std::max(ty * sh, sy * NewHeight);
          if (ox <= 0 || oy <= 0)
            continue;
          const TPixel pixel = Source[sy][sx];
          for (int c = 0; c < 3; ++c)
            sums[c] += static_cast<unsigned long long>(ox * oy) * ((pixel >> (8 * c)) & 0xFF);
          area += static_cast<unsigned long long>(ox * oy);
        }
      TPixel value = 0;
      for (int c = 0; c < 3; ++c)
        value |= static_cast<TPixel>((2 * sums[c] + area) / (2 * area)) << (8 * c);
      result[ty][tx] = value;
    }
  return result;
}

TEST(TDBitmapResize, MatchesAnIndependentAreaAverageOnRandomPictures) {
  const int sizes[][4] = {{7, 5, 3, 2},   {5, 3, 11, 7},  {13, 9, 6, 9},  {4, 4, 3, 5},
                          {1, 1, 3, 2},   {9, 1, 2, 1},   {16, 12, 5, 5}, {18, 6, 9, 3},
                          {21, 7, 14, 5}, {40, 3, 39, 2}, {1, 7, 1, 3},   {1, 9, 2, 4},
                          {1, 5, 3, 2}};
  // A transparent colour that no pixel has changes no mean; like a single column, it sends the
  // picture the general way instead of the fast one.
  const TColor keyColor = RGBColor(1, 2, 3);
  const TPixel key = 0x00010203; // keyColor as a pixel
  unsigned seed = 1;
  for (const auto& size : sizes) {
    const TPixelRows pixels = RandomPixels(size[0], size[1], seed++);
    for (const auto& row : pixels)
      ASSERT_EQ(std::count(row.begin(), row.end(), key), 0) << "the key must not be a pixel";
    const TPixelRows expected = ReferenceResize(pixels, size[2], size[3]);
    for (bool keyed : {false, true}) {
      TDBitmap source;
      SetPixels(source, pixels);
      source.Transparent = keyed;
      source.TransparentColor = keyed ? keyColor : clNone;
      TDBitmap target;
      target.Resize(size[2], size[3], nullptr, &source);
      EXPECT_PIXELS(target, expected)
          << size[0] << 'x' << size[1] << " to " << size[2] << 'x' << size[3]
          << (keyed ? " with" : " without") << " a transparent colour";
      EXPECT_EQ(target.Transparent, keyed);
      EXPECT_EQ(target.TransparentColor, source.TransparentColor);
      // Resizing a bitmap itself gives the same.
      source.Resize(size[2], size[3], nullptr, nullptr);
      EXPECT_EQ(Pixels(source), Pixels(target));
    }
  }
}

TEST(TDBitmapResize, SameSizeCopiesAndZeroOrEmptyDoNothing) {
  TDBitmap source;
  SetPixels(source, RandomPixels(3, 2, 7));
  TDBitmap target;
  target.Resize(3, 2, nullptr, &source);
  EXPECT_EQ(Pixels(target), Pixels(source));
  target.Resize(0, 5, nullptr, &source);
  target.Resize(5, 0, nullptr, nullptr);
  EXPECT_EQ(Pixels(target), Pixels(source));
  TDBitmap empty;
  target.Resize(4, 4, nullptr, &empty);
  EXPECT_EQ(Pixels(target), Pixels(source)) << "an empty source has nothing to average";
}

TEST(TDBitmapResize, PixelsHalfCoveredByTransparentOnesBecomeTransparent) {
  const TPixel k = 0x00010203, a = 0x00646464, b = 0x00C8C8C8;
  TDBitmap source;
  SetPixels(source, {{k, k, k, a, a, b}, {k, a, k, b, a, a}});
  source.Transparent = true;
  source.TransparentColor = RGBColor(1, 2, 3);
  TDBitmap target;
  target.Resize(3, 1, nullptr, &source);
  // Left: 3 of 4 transparent; middle: 2 of 4; right: none, the mean of a, a, b, a.
  EXPECT_PIXELS(target, (TPixelRows{{k, k, 0x007D7D7D}}));
  EXPECT_TRUE(target.Transparent);
  EXPECT_EQ(target.TransparentColor, RGBColor(1, 2, 3));
  TDBitmap opaque;
  SetPixels(source, {{k, a}, {a, a}});
  opaque.Resize(1, 1, nullptr, &source);
  EXPECT_PIXELS(opaque, (TPixelRows{{a}})) << "the mean of the opaque pixels only";
}

TEST(TDBitmapResize, ProgressMayStopIt) {
  TDBitmap source;
  SetPixels(source, Uniform(4, 4, 0x00FFFFFF));
  TDBitmap target;
  int rows = 0;
  target.Resize(
      2, 3, [&](int, int) { return ++rows == 2; }, &source);
  EXPECT_PIXELS(target, (TPixelRows{{0xFFFFFF, 0xFFFFFF}, {0, 0}, {0, 0}}));
}

} // namespace

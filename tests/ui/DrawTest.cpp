#include "support/BitmapTestSupport.h"
#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

namespace {

using TPoints = std::set<std::pair<int, int>>;

// The pixels of the line from (X1, Y1) to (X2, Y2) inside a Width x Height bitmap, from the
// definition: along the longer axis every whole step, across it the exact position rounded half
// up, computed step by step in 128 bits.
TPoints ReferenceLine(long long X1, long long Y1, long long X2, long long Y2, int Width,
                      int Height) {
  TPoints points;
  const bool xMajor = std::llabs(X2 - X1) >= std::llabs(Y2 - Y1);
  const long long n = xMajor ? std::llabs(X2 - X1) : std::llabs(Y2 - Y1);
  const long long m = xMajor ? std::llabs(Y2 - Y1) : std::llabs(X2 - X1);
  const int s = (xMajor ? X2 - X1 : Y2 - Y1) >= 0 ? 1 : -1;
  const int t = (xMajor ? Y2 - Y1 : X2 - X1) >= 0 ? 1 : -1;
  const long long majorStart = xMajor ? X1 : Y1, minorStart = xMajor ? Y1 : X1;
  for (long long major = 0; major < (xMajor ? Width : Height); ++major) {
    const __int128 i = static_cast<__int128>(major - majorStart) * s;
    if (i < 0 || i > n)
      continue;
    const __int128 k = (2 * i * m + n) / (2 * static_cast<__int128>(n));
    const __int128 minor = minorStart + t * k;
    const long long x = xMajor ? major : static_cast<long long>(minor);
    const long long y = xMajor ? static_cast<long long>(minor) : major;
    if (x >= 0 && x < Width && y >= 0 && y < Height)
      points.insert({static_cast<int>(x), static_cast<int>(y)});
  }
  return points;
}

TPoints Drawn(const TDBitmap& Bitmap) {
  TPoints points;
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (Bitmap.GetPixel(x, y) != 0)
        points.insert({x, y});
  return points;
}

TEST(TDBitmapDrawLine, DrawsEveryPixelOfTheLineOnce) {
  TDBitmap bitmap;
  bitmap.SetSize(5, 3, clBlack);
  bitmap.DrawLine(0, 0, 4, 2, RGBColor(1, 1, 1), efAdd);
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x010101, 0, 0, 0, 0},
                                    {0, 0x010101, 0x010101, 0, 0},
                                    {0, 0, 0, 0x010101, 0x010101}}));
}

TEST(TDBitmapDrawLine, MatchesTheDefinitionInEveryDirection) {
  const int lines[][4] = {{0, 0, 9, 4}, {9, 4, 0, 0}, {2, 9, 5, 0},      {0, 9, 9, 0},
                          {3, 3, 3, 8}, {8, 2, 1, 2}, {-5, -20, 14, 30}, {12, 7, -3, 1}};
  for (const auto& line : lines) {
    TDBitmap bitmap;
    bitmap.SetSize(10, 10, clBlack);
    bitmap.DrawLine(line[0], line[1], line[2], line[3], clWhite, ef16);
    EXPECT_EQ(Drawn(bitmap), ReferenceLine(line[0], line[1], line[2], line[3], 10, 10))
        << line[0] << ',' << line[1] << " - " << line[2] << ',' << line[3];
  }
}

TEST(TDBitmapDrawLine, EndpointsFarOutsideAreClippedWithoutOverflow) {
  const long long lines[][4] = {
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
      {INT_MIN, 3, INT_MAX, 4},
      {INT_MAX, INT_MIN + 7, -3, 5},
      {5, INT_MIN, 6, INT_MAX},
      {-1000000000, -999999990, 1000000000, 1000000010},
  };
  for (const auto& line : lines) {
    TDBitmap bitmap;
    bitmap.SetSize(12, 12, clBlack);
    bitmap.SetClipRect({1, 1, 10, 10});
    bitmap.DrawLine(static_cast<int>(line[0]), static_cast<int>(line[1]), static_cast<int>(line[2]),
                    static_cast<int>(line[3]), clWhite, ef16);
    TPoints expected;
    for (auto point : ReferenceLine(line[0], line[1], line[2], line[3], 12, 12))
      if (point.first >= 1 && point.first <= 10 && point.second >= 1 && point.second <= 10)
        expected.insert(point);
    EXPECT_EQ(Drawn(bitmap), expected) << line[0] << ',' << line[1];
  }
}

TEST(TDBitmapBorder, DrawsEveryOutlinePixelOnce) {
  TDBitmap bitmap;
  bitmap.SetSize(4, 4, clBlack);
  bitmap.Border(3, 2, 0, 0, RGBColor(1, 1, 1), efAdd);
  const TPixel o = 0x010101;
  EXPECT_PIXELS(bitmap, (TPixelRows{{o, o, o, o}, {o, 0, 0, o}, {o, o, o, o}, {0, 0, 0, 0}}));
}

TEST(TDBitmapBorder, NothingForAZeroWidthOrHeight) {
  TDBitmap bitmap;
  bitmap.SetSize(3, 3, clBlack);
  bitmap.Border(1, 0, 1, 2, clWhite, ef16);
  bitmap.Border(0, 1, 2, 1, clWhite, ef16);
  EXPECT_PIXELS(bitmap, Uniform(3, 3, 0));
}

TEST(TDBitmapBorder3D, FramesAreLightAboveDarkBelowAndMixedInTheOtherCorners) {
  TDBitmap bitmap;
  bitmap.SetSize(5, 4, clBlack);
  bitmap.Border3D(0, 0, 4, 3, RGBColor(200, 200, 200), RGBColor(100, 50, 0), 2, ef16);
  const TPixel l = 0xC8C8C8, d = 0x643200, m = 0x967D64;
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{l, l, l, l, m}, {l, l, l, m, d}, {l, m, d, d, d}, {m, d, d, d, d}}));
  TDBitmap whole;
  whole.SetSize(3, 3, clBlack);
  whole.Border3D(clWhite, clWhite, 3, ef16);
  EXPECT_PIXELS(whole, Uniform(3, 3, 0)) << "a count as large as a side draws nothing";
  whole.Border3D(clWhite, clWhite, 1, ef16);
  EXPECT_EQ(whole.GetPixel(1, 1), 0u);
  EXPECT_EQ(whole.GetPixel(2, 2), 0xFFFFFFu);
}

TEST(TDBitmapBar, NothingForClNoneOrEf00) {
  TDBitmap bitmap;
  bitmap.SetSize(2, 2, clBlack);
  bitmap.Bar(clNone, ef16);
  bitmap.Bar(clWhite, ef00);
  EXPECT_PIXELS(bitmap, Uniform(2, 2, 0));
}

TEST(TDBitmapBar, AlphaLevelsTruncateAndTransparentPixelsStay) {
  TDBitmap bitmap;
  SetPixels(bitmap, {{0xFF000000, 0x00FFFFFF, 0x00102030}});
  bitmap.Transparent = true;
  bitmap.TransparentColor = RGBColor(0x10, 0x20, 0x30);
  bitmap.Bar(0, 0, 2, 0, RGBColor(255, 255, 255), ef01);
  // (0 * 15 + 255) / 16 truncates to 15 (the kernel rounds to 16); the fourth byte stays.
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFF0F0F0F, 0x00FFFFFF, 0x00102030}}));
  bitmap.Bar(TRect{1, 0, 5, 9}, RGBColor(1, 2, 3), ef16);
  EXPECT_PIXELS(bitmap, (TPixelRows{{0xFF0F0F0F, 0x00010203, 0x00102030}}));
}

TEST(TDBitmapDrawBitmap, ClipsToTheSourceAndTheClipRectangle) {
  TDBitmap source;
  SetPixels(source, {{1, 2, 3}, {4, 5, 6}});
  TDBitmap target;
  target.SetSize(4, 3, clBlack);
  target.SetClipRect({0, 0, 2, 2});
  // The rectangle starts one column left of the source: the picture moves right by one.
  target.DrawBitmap(0, 1, source, TRect{-1, 0, 10, 10}, ef16);
  EXPECT_PIXELS(target, (TPixelRows{{0, 0, 0, 0}, {0, 1, 2, 0}, {0, 4, 5, 0}}));
}

TEST(TDBitmapDrawBitmap, LeavesTheSourcesTransparentPixelsOut) {
  TDBitmap source;
  SetPixels(source, {{0x00030201, 0x00AAAAAA}, {0xFF030201, 0x00BBBBBB}});
  source.Transparent = true;
  source.TransparentColor = RGBColor(3, 2, 1);
  TDBitmap target;
  target.SetSize(2, 2, clWhite);
  target.DrawBitmap(0, 0, source, ef16);
  EXPECT_PIXELS(target, (TPixelRows{{0xFFFFFF, 0xAAAAAA}, {0xFFFFFF, 0xBBBBBB}}));
}

TEST(TDBitmapDrawBitmap, DrawsOntoItselfFromThePixelsBefore) {
  TDBitmap bitmap;
  SetPixels(bitmap, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  bitmap.DrawBitmap(1, 1, bitmap, ef16);
  EXPECT_PIXELS(bitmap, (TPixelRows{{1, 2, 3}, {4, 1, 2}, {7, 4, 5}}));
}

TEST(TDBitmapTile, CoversTheRectangleOnAGridFromTheOriginAndRestoresTheClip) {
  TDBitmap tile;
  SetPixels(tile, {{1, 2}, {3, 4}});
  TDBitmap bitmap;
  bitmap.SetSize(5, 4, clBlack);
  bitmap.SetClipRect({0, 0, 3, 3});
  bitmap.Tile(tile, TRect{1, 1, 100, 2}, ef16);
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{0, 0, 0, 0, 0}, {0, 4, 3, 4, 3}, {0, 2, 1, 2, 1}, {0, 0, 0, 0, 0}}));
  EXPECT_EQ(bitmap.GetClipRect(), (TRect{0, 0, 3, 3}));
  TDBitmap empty;
  bitmap.Tile(empty, ef16);
  bitmap.Tile(tile, ef16);
  EXPECT_PIXELS(bitmap,
                (TPixelRows{{1, 2, 1, 2, 0}, {3, 4, 3, 4, 3}, {1, 2, 1, 2, 1}, {3, 4, 3, 4, 0}}));
}

} // namespace

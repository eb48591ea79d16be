#include "env/EnvTestSupport.h"
#include "support/BitmapTestSupport.h"
#include "ui/uDBitmap.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

// Storage

TEST(TDBitmapStorage, SetSizeWithTheCurrentSizeKeepsThePixelsAndIgnoresTheFill) {
  TDBitmap bitmap;
  bitmap.SetSize(3, 2, clWhite);
  EXPECT_PIXELS(bitmap, Uniform(3, 2, 0x00FFFFFF));
  *bitmap.PixelAddress(1, 1) = 0x123456;
  bitmap.SetSize(3, 2, clBlack);
  EXPECT_EQ(bitmap.GetPixel(1, 1), 0x123456u);
  EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(bitmap.BrushColor(), clWhite);
}

TEST(TDBitmapStorage, RowsFollowFromTheTopRow) {
  TDBitmap bitmap;
  bitmap.SetSize(5, 3, RGBColor(1, 2, 3));
  EXPECT_EQ(bitmap.RowSize(), 20u);
  EXPECT_EQ(bitmap.GLData(), bitmap.TopRow());
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(bitmap.PixelAddress(2, 1)), bitmap.TopRow() + 20 + 8);
  // Blue, green, red in memory.
  EXPECT_EQ(bitmap.TopRow()[0], 3);
  EXPECT_EQ(bitmap.TopRow()[2], 1);
  EXPECT_EQ(bitmap.GetClipRect(), (TRect{0, 0, 4, 2}));
  bitmap.Clear();
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.TopRow(), nullptr);
}

TEST(TDBitmapStorage, SizesAreClampedAndMemoryThatCannotBeHadLeavesTheBitmapEmpty) {
  TReportRecorder reports;
  TDBitmap bitmap;
  bitmap.SetSize(-5, 7, clWhite);
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.SetSize(4, 4, clWhite);
  bitmap.SetSize(0x7FFFFFFF, 0x7FFFFFFF, clWhite);
  EXPECT_TRUE(bitmap.Empty()) << "2^29 x 2^30 pixels cannot be had";
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.TopRow(), nullptr);
  ASSERT_EQ(reports.Log.size(), 1u);
  EXPECT_EQ(reports.Log[0], "Fatal Error: Out of memory. in class 'TDBitmap'");
  // Nothing draws outside the memory that is not there.
  bitmap.Bar(clBlack, ef16);
  bitmap.SetPixel(0, 0, ef16, 0);
}

TEST(TDBitmapStorage, TheClipRectangleStaysWithinTheBitmap) {
  TDBitmap bitmap;
  bitmap.SetSize(4, 3, clBlack);
  bitmap.SetClipRect({6, -10, -2, 1});
  EXPECT_EQ(bitmap.GetClipRect(), (TRect{0, 0, 3, 1}));
  bitmap.SetClipRect({-100, -100, 100000, 100000});
  bitmap.Bar(-100, -100, 100000, 100000, clWhite, ef16);
  EXPECT_PIXELS(bitmap, Uniform(4, 3, 0x00FFFFFF));
  bitmap.SetClipRect({10, 10, 20, 20});
  bitmap.Bar(clBlack, ef16);
  bitmap.SetPixel(10, 10, ef16, 0);
  // A clip rectangle outside the bitmap leaves nothing to draw on.
  EXPECT_PIXELS(bitmap, Uniform(4, 3, 0x00FFFFFF));
  bitmap.ResetClip();
  EXPECT_EQ(bitmap.GetClipRect(), (TRect{0, 0, 3, 2}));
}

TEST(TDBitmapStorage, ColorToPixelAndPixelToColorAreInverses) {
  TDBitmap bitmap;
  for (bool openGL : {false, true}) {
    bitmap.OpenGL = openGL;
    for (TColor color : {RGBColor(1, 2, 3), RGBColor(255, 0, 128), clBlack, clWhite})
      EXPECT_EQ(bitmap.PixelToColor(bitmap.ColorToPixel(color)), color) << openGL;
    EXPECT_EQ(bitmap.PixelToColor(bitmap.ColorToPixel(clBtnFace)), ColorToRGB(clBtnFace));
  }
  bitmap.OpenGL = false;
  EXPECT_EQ(bitmap.ColorToPixel(RGBColor(1, 2, 3)), 0x010203u);
  EXPECT_EQ(bitmap.PixelToColor(0xFF010203), RGBColor(1, 2, 3)) << "the fourth byte is ignored";
  bitmap.OpenGL = true;
  EXPECT_EQ(bitmap.ColorToPixel(RGBColor(1, 2, 3)), 0x030201u);
}

TEST(TDBitmapStorage, SwapRedBlueChangesWholeRowsOfTheClipRectangle) {
  TDBitmap bitmap;
  SetPixels(bitmap, {{0x11010203, 0x00040506}, {0x00070809, 0x000A0B0C}});
  bitmap.SetClipRect({1, 1, 1, 1});
  bitmap.SwapRedBlue();
  EXPECT_PIXELS(bitmap, (TPixelRows{{0x11010203, 0x00040506}, {0x00090807, 0x000C0B0A}}));
}

TEST(TDBitmapStorage, DetectTransparentColorTakesTheLeadingBorderColour) {
  const TPixel a = 0x00AAAAAA, b = 0x00010203, c = 0x00CCCCCC;
  const struct {
    const char* what;
    TPixelRows pixels;
    TColor expected;
  } rows[] = {
      {"1 x 1", {{b}}, clNone},
      {"3 corners of 4", {{b, c}, {b, b}}, RGBColor(1, 2, 3)},
      {"two against two in a 2-high picture", {{b, c}, {c, b}}, clNone},
      {"stage 2 breaks the tie", {{b, b, c}, {b, a, c}, {c, c, c}}, RGBColor(0xCC, 0xCC, 0xCC)},
      {"stage 3 breaks a tie",
       {{b, a, a, c}, {b, a, a, a}, {a, a, a, a}, {c, c, b, b}, {c, a, a, b}},
       RGBColor(0xAA, 0xAA, 0xAA)},
  };
  for (const auto& row : rows) {
    TDBitmap bitmap;
    SetPixels(bitmap, row.pixels);
    bitmap.DetectTransparentColor();
    EXPECT_EQ(bitmap.TransparentColor, row.expected) << row.what;
    EXPECT_EQ(bitmap.Transparent, row.expected != clNone) << row.what;
  }
}

TEST(TDBitmapStorage, CopiesTakeThePixelsAndTheTransparency) {
  TDBitmap source;
  SetPixels(source, RandomPixels(3, 2, 1));
  source.Transparent = true;
  source.TransparentColor = RGBColor(1, 2, 3);
  TDBitmap copy;
  copy.CopyFrom(&source);
  EXPECT_EQ(Pixels(copy), Pixels(source));
  EXPECT_TRUE(copy.Transparent);
  EXPECT_EQ(copy.TransparentColor, RGBColor(1, 2, 3));
  copy.CopyFrom(nullptr);
  EXPECT_EQ(Pixels(copy), Pixels(source));

  const QImage picture = source.CopyToBitmap();
  EXPECT_EQ(picture.format(), QImage::Format_ARGB32) << "a transparent bitmap";
  TDBitmap back;
  back.AssignFromBitmap(&picture);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(back.GetPixel(x, y) & PixelColorMask, source.GetPixel(x, y));
  EXPECT_FALSE(back.Transparent);
}

TEST(TDBitmapStorage, PaintingThroughTheCanvasReachesThePixels) {
  TDBitmap bitmap;
  bitmap.SetSize(4, 4, clBlack);
  const QImage shared = bitmap.Image();
  bitmap.Paint([](QPainter& Painter) { Painter.fillRect(1, 1, 2, 2, QColor(10, 20, 30)); });
  EXPECT_EQ(bitmap.GetPixel(1, 1) & PixelColorMask, 0x0A141Eu);
  bitmap.SetPixel(0, 0, ef16, 0x00FFFFFF);
  EXPECT_EQ(bitmap.Image().pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(shared.pixel(1, 1) & 0xFFFFFF, 0u) << "the copy taken before painting kept its pixels";
}

} // namespace

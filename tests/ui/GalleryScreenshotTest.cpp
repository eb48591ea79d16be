// The gallery program on an X server of its own (Xvfb): its window is kept as a PNG in the build
// folder (tests/ui/screenshots/gallery.png) for developers and reviewers, and shows both halves,
// the left with the background texture and the right without, with their segment displays and
// button frames.

#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <string>

namespace {

// How many pixels of Area have exactly the colour Rgb.
int Count(const QImage& Image, const QRect& Area, QRgb Rgb) {
  int count = 0;
  for (int y = Area.top(); y <= Area.bottom(); ++y)
    for (int x = Area.left(); x <= Area.right(); ++x)
      count += (Image.pixel(x, y) & 0xFFFFFF) == (Rgb & 0xFFFFFF);
  return count;
}

TEST(GalleryScreenshot, ShowsBothTextureSettingsWithTheirControls) {
  const std::filesystem::path shot = std::filesystem::path(SCREENSHOT_DIR) / "gallery.png";
  std::filesystem::create_directories(shot.parent_path());
  std::filesystem::remove(shot);
  const TProcessResult run =
      RunProcess("/bin/sh", {XVFB_SCRIPT, GALLERY_PATH, "--screenshot", shot.string()}, "",
                 {"LC_ALL=C", "QT_QPA_PLATFORM=xcb"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;

  const QImage image(QString::fromStdString(shot.string()));
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.size(), QSize(790, 580));
  const QRect halves[] = {QRect(0, 0, 395, 580), QRect(395, 0, 395, 580)};
  for (const QRect& half : halves) {
    const std::string side = half.left() == 0 ? "left" : "right";
    EXPECT_GT(Count(image, half, qRgb(255, 32, 32)), 100) << "the clock's lit segments, " << side;
    EXPECT_GT(Count(image, half, qRgb(64, 255, 64)), 100) << "HELLO, " << side;
    EXPECT_GT(Count(image, half, qRgb(255, 176, 0)), 50) << "the number, " << side;
    EXPECT_GT(Count(image, half, qRgb(0, 255, 0)), 50) << "the default frame, " << side;
    EXPECT_GT(Count(image, half, qRgb(255, 0, 0)), 50) << "the cancel frame, " << side;
    EXPECT_GT(Count(image, half, qRgb(255, 255, 0)), 50) << "default and cancel, " << side;
  }
  // The disabled button's face and the panel's background: shaded with the texture, flat
  // without it.
  EXPECT_NE(image.pixel(30, 89), image.pixel(30, 105));
  EXPECT_EQ(image.pixel(420, 89), image.pixel(420, 105));
  EXPECT_NE(image.pixel(200, 15), image.pixel(200, 560));
  EXPECT_EQ(image.pixel(600, 15), image.pixel(600, 560));
}

} // namespace

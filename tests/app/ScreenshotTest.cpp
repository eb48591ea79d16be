// The built program started on an X server of its own (Xvfb): a screenshot of its window, written
// as a PNG into the build folder (tests/app/screenshots/bmi.png), shows the three fields and their
// labels.

#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Pixels in Area darker than the field and window backgrounds: text or borders.
int DarkPixels(const QImage& Image, const QRect& Area) {
  int dark = 0;
  for (int y = Area.top(); y <= Area.bottom(); ++y)
    for (int x = Area.left(); x <= Area.right(); ++x)
      dark += qGray(Image.pixel(x, y)) < 100;
  return dark;
}

TEST(BmiScreenshot, ShowsTheThreeFieldsAndTheirLabels) {
  const std::filesystem::path shot = std::filesystem::path(SCREENSHOT_DIR) / "bmi.png";
  std::filesystem::create_directories(shot.parent_path());
  std::filesystem::remove(shot);
  TProcessResult run = RunProcess("/bin/sh", {XVFB_SCRIPT, SCREENSHOT_SCRIPT, BMI_PATH, shot.string()},
                                  "", {"LC_ALL=C", "QT_QPA_PLATFORM=xcb"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;

  QImage image(QString::fromStdString(shot.string()));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(286, 58));

  const int lefts[] = {16, 104, 192};
  for (int left : lefts) {
    const QRect field(left, 24, 81, 21);
    // The field's inside is light, with the typed or computed digits dark on it.
    EXPECT_GT(qGray(image.pixel(field.right() - 4, field.center().y())), 200) << left;
    EXPECT_GT(DarkPixels(image, field.adjusted(3, 3, -3, -3)), 10) << "field text at " << left;
    // The label above the field.
    EXPECT_GT(DarkPixels(image, QRect(left, 4, 81, 18)), 20) << "label at " << left;
  }
  // Between the fields and below them there is only the window's face.
  EXPECT_EQ(DarkPixels(image, QRect(0, 50, 286, 8)), 0);

  // The window carries the program's icon.
  std::ifstream file(std::filesystem::path(shot).replace_extension(".xprop"));
  const std::string properties((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(properties.find("_NET_WM_ICON(CARDINAL) ="), std::string::npos) << properties;
}

// The program on a real X server runs to its first paint and ends cleanly: in the sanitizer build
// nothing of ours leaks, and leaks inside the desktop's own libraries are not counted.
TEST(BmiOnX, EndsCleanlyAfterItsFirstPaint) {
  const TProcessResult run =
      RunProcess("/bin/sh", {XVFB_SCRIPT, BMI_PATH}, "",
                 {"LC_ALL=C", "QT_QPA_PLATFORM=xcb", "BMI_EXIT_AFTER_FIRST_PAINT=1"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
}

} // namespace

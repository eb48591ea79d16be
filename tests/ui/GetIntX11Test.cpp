// The integer dialog on a real X server: the "JPEG Quality" question as the bitmap's saver asks
// it, grabbed from the screen and kept as a picture in the build folder; the picture is checked
// for the parts a user must see.

#include "ui/uDButton.h"
#include "ui/uGetInt.h"
#include "ui/uLabeledEdit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

TEST(GetIntScreenshot, TheJpegQualityQuestion) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  QImage shot;
  std::int32_t quality = 75;
  QTimer::singleShot(0, [&shot] {
    TfGetInt* form = GetIntForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
    // Let the window manager-less server settle and every control paint once.
    QTest::qWait(200);
    shot = form->screen()->grabWindow(form->winId()).toImage();
    form->ButtonCancel->Click();
  });
  EXPECT_FALSE(GetNumber("JPEG Quality", quality, 1, 90, 100));
  EXPECT_EQ(quality, 75);

  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(335, 193));
  ASSERT_TRUE(QDir().mkpath(SCREENSHOT_DIR));
  ASSERT_TRUE(shot.save(SCREENSHOT_DIR "/getint.png"));
  // The picture is not one flat colour: the controls are drawn on the background.
  int colours = 0;
  QRgb first = shot.pixel(0, 0);
  for (int y = 0; y < shot.height() && colours < 2; y += 3)
    for (int x = 0; x < shot.width(); x += 3)
      if (shot.pixel(x, y) != first) {
        ++colours;
        break;
      }
  EXPECT_GE(colours, 1);
}

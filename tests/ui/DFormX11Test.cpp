// The framework form on a real X server (Xvfb, with Mesa's software OpenGL): the two OpenGL
// backgrounds with their glyph lists and byte order, the floating-point masks around the context,
// and full screen on and off leaving the window where it was.

#include "platform/uFPUMask.h"
#include "support/WidgetTestSupport.h"
#include "ui/uDForm.h"
#include "ui/uFormOpenGL.h"

#include <QOpenGLFunctions_1_4>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <cstring>
#include <memory>

namespace {

// Keeps the OpenGL drivers that are loaded now (Mesa's "..._dri.so") loaded until the program
// ends. At exit the OpenGL library unloads its driver before LeakSanitizer looks, and the memory
// that only the driver's own data still points to would then count as lost.
void KeepOpenGLDriversLoaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* Info, std::size_t, void*) {
        if (Info->dlpi_name && std::strstr(Info->dlpi_name, "_dri.so"))
          dlopen(Info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

class TOpenGLForm : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    {
      TDForm probe;
      probe.SetBackground(baOpenGL);
      KeepOpenGLDriversLoaded();
    }
    Form = std::make_unique<TDForm>();
    Form->resize(160, 100);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }
  void TearDown() override { Form.reset(); }

  std::unique_ptr<TDForm> Form;
};

TEST_F(TOpenGLForm, OpenGLBackgroundDrawsTheHandlersCommandsAndText) {
  Form->SetBackground(baOpenGL);
  ASSERT_EQ(Form->Background(), baOpenGL) << "Mesa gives a compatibility context";
  ASSERT_NE(Form->OpenGL(), nullptr);
  EXPECT_TRUE(Form->BackBitmap().Empty());
  EXPECT_NE(Form->OpenGL()->FontListBase(), 0u);
  Form->OnPaint = [](TDForm& Sender, QPainter* Canvas) {
    EXPECT_EQ(Canvas, nullptr);
    QOpenGLFunctions_1_4* gl = Sender.OpenGL()->Functions();
    gl->glClearColor(0, 0, 1, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glColor3f(1, 1, 1);
    Sender.OpenGL()->TextOut(10, 40, "WWW");
  };
  const QImage shown = Form->grab().toImage();
  EXPECT_EQ(ColorAt(shown, 2, 2), RGBColor(0, 0, 255));
  EXPECT_EQ(ColorAt(shown, 150, 90), RGBColor(0, 0, 255));
  int white = 0, whiteElsewhere = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (ColorAt(shown, x, y) == clWhite)
        ++(x >= 10 && x < 60 && y >= 25 && y <= 44 ? white : whiteElsewhere);
  EXPECT_GT(white, 20) << "the glyphs stand on the baseline at (10, 40)";
  EXPECT_EQ(whiteElsewhere, 0);
}

TEST_F(TOpenGLForm, OpenGLBitmapBackgroundShowsTheBitmapUprightInItsColours) {
  Form->SetBackground(baOpenGLBitmap);
  ASSERT_EQ(Form->Background(), baOpenGLBitmap);
  EXPECT_TRUE(Form->BackBitmap().OpenGL);
  Form->OnPaint = [](TDForm& Sender, QPainter*) {
    TDBitmap& bitmap = Sender.BackBitmap();
    bitmap.Bar(0, 0, 79, 49, RGBColor(255, 0, 0), ef16);
    bitmap.Bar(80, 0, 159, 49, RGBColor(0, 255, 0), ef16);
    bitmap.Bar(0, 50, 159, 99, RGBColor(20, 40, 200), ef16);
  };
  const QImage shown = Form->grab().toImage();
  struct TCase {
    int X, Y;
    TColor Expected;
  };
  const TCase cases[] = {
      {0, 0, RGBColor(255, 0, 0)},    {79, 49, RGBColor(255, 0, 0)},
      {80, 0, RGBColor(0, 255, 0)},   {159, 49, RGBColor(0, 255, 0)},
      {0, 50, RGBColor(20, 40, 200)}, {159, 99, RGBColor(20, 40, 200)},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ColorAt(shown, c.X, c.Y), c.Expected) << c.X << ", " << c.Y;
}

TEST_F(TOpenGLForm, TheMasksAreSavedAroundTheContextAndNeverOpenATrap) {
  ASSERT_EQ(GetFPUMask(), FPUMaskAll);
  for (TBackground background : {baOpenGL, baOpenGLBitmap}) {
    Form->SetBackground(background);
    ASSERT_NE(Form->OpenGL(), nullptr);
    Form->grab();
    EXPECT_EQ(GetFPUMask(), FPUMaskAll);
    Form->SetBackground(baStandard);
    EXPECT_EQ(Form->OpenGL(), nullptr);
    EXPECT_EQ(GetFPUMask(), FPUMaskAll) << int(background);
    EXPECT_EQ(GetSSEMask(), FPUMaskAll) << int(background);
  }
  // A form destroyed with its context puts the masks back too.
  Form->SetBackground(baOpenGL);
  Form.reset();
  EXPECT_EQ(GetFPUMask(), FPUMaskAll);
}

TEST(TDFormOnX, FullScreenOnAndOffLeavesTheWindowWhereItWas) {
  TDForm form;
  form.setGeometry(90, 110, 300, 200);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QApplication::processEvents();
  const QRect before = form.geometry();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  for (int round = 0; round < 2; ++round) {
    form.SetFullScreen(true);
    QTest::qWait(50);
    EXPECT_EQ(form.geometry(), screen) << round;
    EXPECT_EQ(form.BackBitmap().Width(), screen.width()) << round;
    form.SetFullScreen(false);
    QTest::qWait(50);
    EXPECT_EQ(form.geometry(), before) << round;
    EXPECT_EQ(form.BackBitmap().Width(), before.width()) << round;
  }
}

} // namespace

// The framework form on Qt's offscreen platform: its icon file, the back bitmap of each
// background, the size and colour handling, full screen with the task bar and the display-mode
// switch, placement in the work area and centring, and the floating-point masks. The OpenGL
// backgrounds themselves run on an X server (DFormX11Test.cpp); here they fall back.

#include "env/uPaths.h"
#include "platform/uFPUMask.h"
#include "support/WidgetTestSupport.h"
#include "ui/uDForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

QRect WorkArea() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// The records of the display-mode switch while it is installed.
class TModeSwitchLog {
 public:
  TModeSwitchLog() {
    Saved_ = SetDisplayModeSwitch({[this](const TScreenMode& Mode) {
                                     Calls.push_back("switch " + std::to_string(Mode.Width) + "x" +
                                                     std::to_string(Mode.Height) + "x" +
                                                     std::to_string(Mode.Bits) + "/" +
                                                     std::to_string(Mode.RefreshRate));
                                   },
                                   [this] { Calls.push_back("restore"); }});
  }
  ~TModeSwitchLog() { SetDisplayModeSwitch(std::move(Saved_)); }
  TModeSwitchLog(const TModeSwitchLog&) = delete;
  TModeSwitchLog& operator=(const TModeSwitchLog&) = delete;

  std::vector<std::string> Calls;

 private:
  TDisplayModeSwitch Saved_;
};

std::string ProgramName() {
  return std::filesystem::read_symlink("/proc/self/exe").stem().string();
}

TEST(TDFormIcon, FileNameFollowsTheFormName) {
  struct TCase {
    std::string Name, Expected;
  };
  const TCase cases[] = {
      {"fMain", GraphDir + ProgramName() + ".ico"},
      {"fAbout", GraphDir + "About.ico"},
      {"fScreen", GraphDir + "Screen.ico"},
      {"Screen", GraphDir + "Screen.ico"},
      {"Main", GraphDir + ProgramName() + ".ico"},
      {"FMain", GraphDir + "FMain.ico"},
      {"ff", GraphDir + "f.ico"},
      {"", ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TDForm::IconFileName(c.Name), c.Expected) << c.Name;
}

TEST(TDFormIcon, LoadsTheIconFileWhenItExists) {
  std::filesystem::create_directories(GraphDir);
  const std::string file = GraphDir + "GalleryProbe.ico";
  QImage picture(16, 16, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString(file), "ICO"));
  {
    TDForm form(nullptr, "fGalleryProbe");
    EXPECT_FALSE(form.windowIcon().isNull());
    const QImage shown = form.windowIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(ColorAt(shown, 8, 8), RGBColor(255, 0, 0));
  }
  std::filesystem::remove(file);
  TDForm missing(nullptr, "fGalleryProbe");
  EXPECT_TRUE(missing.windowIcon().isNull()) << "a missing file leaves Qt's default icon";
  // A name given later looks for its icon too.
  ASSERT_TRUE(picture.save(QString::fromStdString(file), "ICO"));
  TDForm renamed;
  EXPECT_TRUE(renamed.windowIcon().isNull());
  renamed.setObjectName("fGalleryProbe");
  EXPECT_FALSE(renamed.windowIcon().isNull());
  std::filesystem::remove(file);
}

TEST(TDFormCreate, StartsWithTheOptionsColourTheMessageFontAndAGradient) {
  int calls = 0;
  bool saved = true;
  TDForm form(nullptr, "fProbe", [&](TDForm&, bool Save) {
    ++calls;
    saved = Save;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(saved);
  EXPECT_EQ(form.Color(), clBtnFace);
  EXPECT_EQ(form.font().pixelSize(), 11);
  EXPECT_EQ(form.Background(), baGradient);
  EXPECT_FALSE(form.FullScreen());
  EXPECT_FALSE(form.ChangeMode());
  EXPECT_TRUE(form.BackBitmap().Empty());
  EXPECT_EQ(form.FullScreenMode.Width, 640);
  EXPECT_EQ(form.FullScreenMode.Height, 480);
  EXPECT_EQ(form.FullScreenMode.Bits, 32);
  EXPECT_EQ(form.FullScreenMode.RefreshRate, 0);
  EXPECT_TRUE(form.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST(TDFormCreate, PropertiesAreReachableByName) {
  TDForm form;
  EXPECT_TRUE(form.setProperty("Caption", "Probe"));
  EXPECT_EQ(form.windowTitle(), "Probe");
  EXPECT_TRUE(form.setProperty("Background", int(baStandard)));
  EXPECT_EQ(form.Background(), baStandard);
  EXPECT_TRUE(form.setProperty("Color", int(clWhite)));
  EXPECT_EQ(form.property("Color").toInt(), clWhite);
  EXPECT_FALSE(form.property("FullScreen").toBool());
}

TEST(TDFormCaption, SettingTheSameCaptionAgainDoesNothing) {
  TDForm form;
  form.SetCaption("First");
  EXPECT_EQ(form.windowTitle(), "First");
  form.setWindowTitle("Changed elsewhere");
  form.SetCaption("First");
  EXPECT_EQ(form.windowTitle(), "Changed elsewhere");
  form.SetCaption("Second");
  EXPECT_EQ(form.windowTitle(), "Second");
}

// A shown form of 120 x 80 with a plain colour, so that every background pixel is known.
class TShownForm : public testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TDForm>();
    Form->resize(120, 80);
    Form->SetColor(RGBColor(10, 120, 200));
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }
  void TearDown() override { Form.reset(); }

  std::unique_ptr<TDForm> Form;
};

TEST_F(TShownForm, EachBackgroundSizesOrEmptiesTheBackBitmap) {
  struct TCase {
    TBackground Background, Result;
    bool Sized, Opaque;
  };
  // Qt's offscreen platform makes no OpenGL context: the OpenGL backgrounds fall back.
  const TCase cases[] = {
      {baNone, baNone, false, false},       {baUser, baUser, true, true},
      {baStandard, baStandard, true, true}, {baGradient, baGradient, true, true},
      {baOpenGL, baStandard, true, true},   {baOpenGLBitmap, baStandard, true, true},
  };
  const std::uint32_t masks = GetFPUMask();
  for (const TCase& c : cases) {
    Form->SetBackground(baGradient);
    Form->SetBackground(baNone);
    Form->SetBackground(c.Background);
    EXPECT_EQ(Form->Background(), c.Result) << int(c.Background);
    EXPECT_EQ(Form->BackBitmap().Width(), c.Sized ? 120 : 0) << int(c.Background);
    EXPECT_EQ(Form->BackBitmap().Height(), c.Sized ? 80 : 0) << int(c.Background);
    EXPECT_EQ(Form->testAttribute(Qt::WA_OpaquePaintEvent), c.Opaque) << int(c.Background);
    EXPECT_EQ(Form->OpenGL(), nullptr);
    EXPECT_EQ(GetFPUMask(), masks) << "the masks are put back when no context can be had";
  }
}

TEST_F(TShownForm, GradientLaysTheTextureOnlyWhileTheOptionIsSet) {
  const TColor colour = RGBColor(10, 120, 200);
  {
    TTextureOption texture(true);
    Form->UpdateBackBitmap(true);
    // Style 12 from Lighter at the top-left corner to Darker at the bottom-right one.
    EXPECT_EQ(ColorAt(Form->BackBitmap(), 0, 0), Lighter(colour));
    EXPECT_EQ(ColorAt(Form->BackBitmap(), 119, 79), Darker(colour));
  }
  {
    TTextureOption texture(false);
    Form->UpdateBackBitmap(true);
    EXPECT_EQ(ColorAt(Form->BackBitmap(), 0, 0), colour);
    EXPECT_EQ(ColorAt(Form->BackBitmap(), 119, 79), colour);
  }
  Form->SetBackground(baStandard);
  TTextureOption texture(true);
  Form->UpdateBackBitmap(true);
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 0, 0), colour) << "baStandard never has the texture";
}

TEST_F(TShownForm, AChangedColourRebuildsTheBackgroundAtTheNextPaint) {
  Form->SetBackground(baStandard);
  EXPECT_EQ(ColorAt(Form->grab().toImage(), 60, 40), RGBColor(10, 120, 200));
  Form->SetColor(RGBColor(250, 20, 30));
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 60, 40), RGBColor(10, 120, 200))
      << "nothing is rebuilt before the paint";
  EXPECT_EQ(ColorAt(Form->grab().toImage(), 60, 40), RGBColor(250, 20, 30));
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 60, 40), RGBColor(250, 20, 30));
}

TEST_F(TShownForm, ASizeWithAZeroSideChangesNothing) {
  Form->SetBackground(baStandard);
  Form->SetColor(RGBColor(1, 2, 3));
  struct TCase {
    int Width, Height;
    TColor Expected;
  };
  const TCase cases[] = {
      {0, 80, RGBColor(10, 120, 200)},
      {120, 0, RGBColor(10, 120, 200)},
      {0, 0, RGBColor(10, 120, 200)},
      {120, 80, RGBColor(1, 2, 3)},
  };
  for (const TCase& c : cases) {
    Form->SizeChanged(c.Width, c.Height);
    EXPECT_EQ(ColorAt(Form->BackBitmap(), 5, 5), c.Expected) << c.Width << " x " << c.Height;
  }
  Form->SetColor(RGBColor(4, 5, 6));
  Form->hide();
  Form->SizeChanged(120, 80);
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 5, 5), RGBColor(1, 2, 3)) << "hidden forms wait";
}

TEST_F(TShownForm, ResizingRebuildsTheBackBitmapAtTheNewSize) {
  Form->SetBackground(baStandard);
  Form->resize(150, 60);
  QApplication::processEvents();
  EXPECT_EQ(Form->BackBitmap().Width(), 150);
  EXPECT_EQ(Form->BackBitmap().Height(), 60);
}

TEST_F(TShownForm, OnPaintDrawsOverTheBackgroundOrIntoTheBackBitmap) {
  struct TCase {
    TBackground Background;
    bool CanvasGiven;
  };
  const TCase cases[] = {{baNone, true}, {baStandard, true}, {baGradient, true}, {baUser, false}};
  for (const TCase& c : cases) {
    Form->SetBackground(c.Background);
    bool canvas = false;
    Form->OnPaint = [&](TDForm& Sender, QPainter* Canvas) {
      canvas = Canvas != nullptr;
      if (Canvas)
        Canvas->fillRect(0, 0, 10, 10, QColor(0, 255, 0));
      else
        Sender.BackBitmap().Bar(0, 0, 9, 9, RGBColor(0, 255, 0), ef16);
    };
    const QImage shown = Form->grab().toImage();
    EXPECT_EQ(canvas, c.CanvasGiven) << int(c.Background);
    EXPECT_EQ(ColorAt(shown, 5, 5), RGBColor(0, 255, 0)) << int(c.Background);
    if (c.Background == baStandard) {
      EXPECT_EQ(ColorAt(shown, 50, 50), RGBColor(10, 120, 200));
    }
  }
  Form->OnPaint = nullptr;
}

TEST_F(TShownForm, APaletteChangeRebuildsTheBackgroundOfSystemColours) {
  Form->SetColor(clBtnFace);
  Form->SetBackground(baStandard);
  Form->UpdateBackBitmap(true);
  const QPalette saved = QApplication::palette();
  QPalette changed = saved;
  changed.setColor(QPalette::Button, QColor(200, 100, 50));
  QApplication::setPalette(changed);
  QApplication::processEvents();
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 5, 5), RGBColor(200, 100, 50));
  // A user background keeps what its handler drew.
  Form->SetBackground(baUser);
  Form->BackBitmap().Bar(0, 0, 9, 9, RGBColor(9, 9, 9), ef16);
  QApplication::setPalette(saved);
  QApplication::processEvents();
  EXPECT_EQ(ColorAt(Form->BackBitmap(), 5, 5), RGBColor(9, 9, 9));
}

TEST(TDFormFullScreen, ChangeModeOutsideFullScreenOnlyStoresTheValue) {
  TModeSwitchLog modes;
  TDForm form;
  form.SetChangeMode(true);
  EXPECT_TRUE(form.ChangeMode());
  form.SetChangeMode(false);
  EXPECT_FALSE(form.ChangeMode());
  EXPECT_TRUE(modes.Calls.empty());
}

TEST(TDFormFullScreen, SwitchesTheDisplayModeWithChangeModeAndKeepsItConsistent) {
  TModeSwitchLog modes;
  auto form = std::make_unique<TDForm>();
  form->FullScreenMode = {800, 600, 24, 75};
  form->SetChangeMode(true);
  form->SetFullScreen(true);
  form->SetFullScreen(true);
  form->SetChangeMode(false);
  form->SetChangeMode(true);
  form->SetFullScreen(false);
  form->SetFullScreen(true);
  form.reset();
  const std::vector<std::string> expected = {
      "switch 800x600x24/75", // full screen on
      "restore",              // ChangeMode off while in full screen
      "switch 800x600x24/75", // and on again
      "restore",              // full screen off
      "switch 800x600x24/75", // full screen on
      "restore",              // destroyed in full screen
  };
  EXPECT_EQ(modes.Calls, expected);
}

TEST(TDFormFullScreen, TheTaskBarIsLeftAloneOnAMonitorWithoutOne) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_EQ(screen->geometry(), screen->availableGeometry())
      << "the offscreen monitor has no panel";
  TLogCapture log;
  auto form = std::make_unique<TDForm>();
  form->SetFullScreen(true);
  form->SetFullScreen(false);
  form->SetFullScreen(true);
  EXPECT_EQ(log.Count("HideTaskBar"), 0);
  EXPECT_EQ(log.Count("ShowTaskBar"), 0);
  form.reset();
  EXPECT_EQ(log.Count("ShowTaskBar"), 1) << "a form destroyed in full screen shows it anyway";
  auto windowed = std::make_unique<TDForm>();
  windowed.reset();
  EXPECT_EQ(log.Count("ShowTaskBar"), 1);
}

TEST(TDFormFullScreen, CoversTheMonitorAndPutsThePlacementBackOnce) {
  TDForm form;
  form.setGeometry(100, 120, 200, 90);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QRect before = form.geometry();
  form.SetFullScreen(true);
  QApplication::processEvents();
  EXPECT_EQ(form.geometry(), QGuiApplication::primaryScreen()->geometry());
  EXPECT_EQ(form.BackBitmap().Width(), form.width());
  form.SetFullScreen(false);
  QApplication::processEvents();
  EXPECT_EQ(form.geometry(), before);
  EXPECT_EQ(form.BackBitmap().Width(), before.width());
}

TEST(TDFormPlacement, KeepInWorkAreaMovesRightAndBottomFirstThenLeftAndTop) {
  const QRect work = WorkArea();
  struct TCase {
    QRect Start;
    QPoint Expected;
  };
  const int r = work.left() + work.width(), b = work.top() + work.height();
  const TCase cases[] = {
      {{work.left() + 10, work.top() + 20, 100, 50}, {work.left() + 10, work.top() + 20}},
      {{r - 50, b - 10, 100, 50}, {r - 100, b - 50}},
      {{work.left() - 30, work.top() - 5, 100, 50}, {work.left(), work.top()}},
      {{r + 200, work.top() + 7, 100, 50}, {r - 100, work.top() + 7}},
      // Larger than the work area: the top-left corner wins.
      {{work.left() + 40, work.top() + 40, work.width() + 60, work.height() + 30},
       {work.left(), work.top()}},
  };
  for (const TCase& c : cases) {
    TDForm form;
    form.setGeometry(c.Start);
    form.KeepInWorkArea();
    EXPECT_EQ(form.frameGeometry().topLeft(), c.Expected) << c.Start.x() << ", " << c.Start.y();
  }
}

TEST(TDFormPlacement, AFormInsideAnotherWindowKeepsItsPlace) {
  QWidget window;
  window.resize(4000, 3000);
  TDForm inner(&window);
  inner.setWindowFlags(Qt::Widget);
  inner.setGeometry(3000, 2500, 100, 50);
  inner.KeepInWorkArea();
  EXPECT_EQ(inner.geometry(), QRect(3000, 2500, 100, 50));
}

TEST(TDFormPlacement, CentresInTheWorkAreaWithoutAnotherActiveForm) {
  const QRect work = WorkArea();
  TDForm form;
  form.setGeometry(10, 10, 301, 151);
  int left = 0, top = 0;
  form.GetCenterPosition(left, top);
  EXPECT_EQ(left, work.left() + (work.width() - 301) / 2);
  EXPECT_EQ(top, work.top() + (work.height() - 151) / 2);
  form.CenterForm();
  EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(left, top));
}

TEST(TDFormPlacement, CentresOverTheActiveForm) {
  TDForm active;
  active.setGeometry(50, 60, 400, 300);
  active.show();
  active.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&active));
  ASSERT_EQ(GetActiveForm(), &active);
  const QRect over = active.frameGeometry();
  struct TCase {
    int Width, Height;
  };
  // Wider than the active form: (400 - 501) / 2 truncates toward zero.
  const TCase cases[] = {{200, 100}, {201, 101}, {501, 331}};
  for (const TCase& c : cases) {
    TDForm form;
    form.resize(c.Width, c.Height);
    const QRect frame = form.frameGeometry();
    int left = 0, top = 0;
    form.GetCenterPosition(left, top);
    EXPECT_EQ(left, over.left() + (over.width() - frame.width()) / 2) << c.Width;
    EXPECT_EQ(top, over.top() + (over.height() - frame.height()) / 2) << c.Height;
  }
  // The active form itself centres in the work area.
  int left = 0, top = 0;
  active.GetCenterPosition(left, top);
  EXPECT_EQ(left, WorkArea().left() + (WorkArea().width() - over.width()) / 2);
}

TEST(TDFormHelpers, FormVisibleAndFormFree) {
  EXPECT_FALSE(FormVisible(nullptr));
  auto form = std::make_unique<TDForm>();
  EXPECT_FALSE(FormVisible(form.get()));
  form->show();
  EXPECT_TRUE(FormVisible(form.get()));
  bool closed = false;
  QObject::connect(form.get(), &QDialog::finished, [&] { closed = true; });
  FormFree(form);
  EXPECT_EQ(form, nullptr);
  EXPECT_TRUE(closed);
  FormFree(form);
}

TEST(TDFormHelpers, TheMessageFontIsTheDesktopFontAtElevenPixels) {
  QFont font("Serif", 30);
  font.setBold(true);
  AssignMessageFont(font);
  EXPECT_EQ(font.pixelSize(), 11);
  EXPECT_FALSE(font.bold());
}

} // namespace

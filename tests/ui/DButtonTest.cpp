// The framework button on Qt's offscreen platform: its properties and caption rules, the face
// drawn for each state checked by pixels at chosen points, the rounded region against square
// small buttons, the glyph, the hint of a shortened caption, clicks and the sounds.

#include "env/uPaths.h"
#include "sound/SoundTestSupport.h"
#include "sound/uSounds.h"
#include "support/WidgetTestSupport.h"
#include "ui/uDButton.h"
#include "ui/uDForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr TColor Face = 0xC89664; // red 100, green 150, blue 200

TColor Rgb(TColor Color) {
  return ColorToRGB(Color);
}

// The mean of two colours per channel, truncated, as a 50 % bar blends.
TColor Half(TColor A, TColor B) {
  A = Rgb(A);
  B = Rgb(B);
  return RGBColor((RedOf(A) + RedOf(B)) / 2, (GreenOf(A) + GreenOf(B)) / 2,
                  (BlueOf(A) + BlueOf(B)) / 2);
}

QFont FixedFont() {
  QFont font("DejaVu Sans Mono");
  font.setPixelSize(10);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// The pixels of the face inside Area that differ from Background.
QRect InkOf(const TDBitmap& Bitmap, const QRect& Area, TColor Background) {
  QRect ink;
  for (int y = Area.top(); y <= Area.bottom(); ++y)
    for (int x = Area.left(); x <= Area.right(); ++x)
      if (ColorAt(Bitmap, x, y) != Rgb(Background))
        ink |= QRect(x, y, 1, 1);
  return ink;
}

// A button of the face colour above, drawn without the texture unless a test says otherwise.
class TButtonFace : public testing::Test {
 protected:
  void SetUp() override {
    Button = std::make_unique<TDButton>(nullptr, "ButtonProbe");
    Button->SetColor(Face);
    Button->setFont(FixedFont());
  }
  void TearDown() override { Button.reset(); }

  const TDBitmap& Draw(const TButtonState& State = {}) {
    Button->DrawFace(State);
    return Button->Face();
  }

  TTextureOption Texture{false};
  std::unique_ptr<TDButton> Button;
};

TEST_F(TButtonFace, StartsWithTheDefaults) {
  EXPECT_EQ(Button->size(), QSize(75, 25));
  EXPECT_EQ(Button->focusPolicy(), Qt::StrongFocus);
  EXPECT_FALSE(Button->AutoChange());
  EXPECT_FALSE(Button->Down());
  EXPECT_EQ(Button->Highlight(), hlUnderlight);
  EXPECT_EQ(Button->Layout(), blGlyphLeft);
  EXPECT_EQ(Button->Margin(), -1);
  EXPECT_EQ(Button->Spacing(), 4);
  EXPECT_TRUE(TDButton().Color() == clBtnFace);
  EXPECT_FALSE(Button->Default());
  EXPECT_FALSE(Button->Cancel());
}

TEST_F(TButtonFace, MarginBelowMinusOneIsRefused) {
  struct TCase {
    int Value, Expected;
  };
  const TCase cases[] = {{5, 5}, {-2, 5}, {-1, -1}, {-100, -1}, {0, 0}};
  for (const TCase& c : cases) {
    Button->SetMargin(c.Value);
    EXPECT_EQ(Button->Margin(), c.Expected) << c.Value;
  }
  Button->setProperty("Margin", -7);
  EXPECT_EQ(Button->Margin(), 0);
}

TEST_F(TButtonFace, PropertiesAreReachableByName) {
  const char* names[] = {"Caption", "AutoChange", "Color",   "Down",    "Highlight",
                         "Layout",  "Margin",     "Spacing", "Default", "Cancel"};
  for (const char* name : names)
    EXPECT_TRUE(Button->property(name).isValid()) << name;
  Button->setProperty("Highlight", int(hlBarVert));
  EXPECT_EQ(Button->Highlight(), hlBarVert);
  Button->setProperty("Layout", 99);
  EXPECT_EQ(Button->Layout(), blGlyphLeft);
}

TEST(TDButtonCaption, TheCreationRulesNameTheButtonAndAddTheAccelerator) {
  struct TCase {
    QString Name, Caption, Expected;
  };
  const TCase cases[] = {
      {"ButtonSaveAs", "/", "&Save As"}, {"DButtonOpenFile", "/...", "&Open File..."},
      {"Probe12", "/", "&Probe"},        {"Button12", "/", "&12"},
      {"ButtonOK", "OK", "&OK"},         {"ButtonCancel", "&Cancel", "&Cancel"},
      {"ButtonUp", "Up", "&Up"},         {"ButtonNone", "", "&"},
  };
  for (const TCase& c : cases) {
    TDButton button(nullptr, c.Name, c.Caption);
    EXPECT_EQ(button.Caption(), c.Caption) << "nothing changes before the button is polished";
    button.ensurePolished();
    EXPECT_EQ(button.Caption(), c.Expected) << c.Name.toStdString();
    button.SetCaption(c.Caption);
    button.ensurePolished();
    EXPECT_EQ(button.Caption(), c.Caption) << "the rules run once";
  }
}

TEST_F(TButtonFace, PlainFaceAndThePressedFaceWithItsContentMovedByOne) {
  Button->SetCaption("&OK");
  const QRect inside(3, 3, 69, 19);
  const TDBitmap& up = Draw();
  EXPECT_EQ(ColorAt(up, 5, 12), Rgb(Face));
  const QRect upInk = InkOf(up, inside, Face);
  ASSERT_FALSE(upInk.isEmpty());
  const TDBitmap& pressed = Draw({.Selected = true});
  EXPECT_EQ(ColorAt(pressed, 5, 12), Lighter(Face));
  EXPECT_EQ(InkOf(pressed, inside, Lighter(Face)), upInk.translated(1, 1));
  // Down shows pressed too, and Down with the mouse held shows the face up again.
  Button->SetDown(true);
  EXPECT_EQ(ColorAt(Draw(), 5, 12), Lighter(Face));
  EXPECT_EQ(ColorAt(Draw({.Selected = true}), 5, 12), Rgb(Face));
}

TEST_F(TButtonFace, EdgesAreLightOutsideAndDarkInsideUntilPressed) {
  struct TCase {
    bool Pressed;
    TColor Outer, Inner;
  };
  const TCase cases[] = {{false, clBtnHighlight, clBtnShadow}, {true, clBtnShadow, clBtnHighlight}};
  for (const TCase& c : cases) {
    const TDBitmap& face = Draw({.Selected = c.Pressed});
    // The middle of the top, bottom, left and right sides.
    EXPECT_EQ(ColorAt(face, 37, 0), Rgb(c.Outer)) << c.Pressed;
    EXPECT_EQ(ColorAt(face, 37, 1), Rgb(c.Inner)) << c.Pressed;
    EXPECT_EQ(ColorAt(face, 37, 24), Rgb(c.Outer)) << c.Pressed;
    EXPECT_EQ(ColorAt(face, 0, 12), Rgb(c.Outer)) << c.Pressed;
    EXPECT_EQ(ColorAt(face, 73, 12), Rgb(c.Inner)) << c.Pressed;
  }
}

TEST_F(TButtonFace, DefaultAndCancelFramesInTheirColours) {
  // The offscreen desktop's borders have the button face's colour: lime, red and yellow.
  ASSERT_EQ(Rgb(clActiveBorder), Rgb(clBtnFace));
  struct TCase {
    bool Default, Cancel;
    TColor Frame;
  };
  const TCase cases[] = {{false, false, Face},
                         {true, false, 0x00FF00},
                         {false, true, 0x0000FF},
                         {true, true, 0x00FFFF}};
  for (const TCase& c : cases) {
    Button->SetDefault(c.Default);
    Button->SetCancel(c.Cancel);
    const TDBitmap& face = Draw();
    // The frame runs 2 pixels inside the edges.
    EXPECT_EQ(ColorAt(face, 37, 2), c.Frame) << c.Default << c.Cancel;
    EXPECT_EQ(ColorAt(face, 2, 12), c.Frame) << c.Default << c.Cancel;
    EXPECT_EQ(ColorAt(face, 37, 22), c.Frame) << c.Default << c.Cancel;
    EXPECT_EQ(ColorAt(face, 37, 3), Rgb(Face)) << c.Default << c.Cancel;
  }
}

TEST(TButtonColors, FramesAreTheBorderColoursWhenTheDesktopTellsThemApart) {
  const TSystemColorResolver saved = SetSystemColorResolver([](int Index) -> TColor {
    switch (SystemColor(Index)) {
    case clBtnFace:
      return 0x808080;
    case clActiveBorder:
      return 0x0000C8;
    case clInactiveBorder:
      return 0x640000;
    default:
      return 0;
    }
  });
  InitializeButtonColors();
  EXPECT_EQ(ButtonColors.Default, 0x0000C8);
  EXPECT_EQ(ButtonColors.Cancel, 0x640000);
  EXPECT_EQ(ButtonColors.DefaultCancel, 0x320064);
  SetSystemColorResolver(saved);
  InitializeButtonColors();
  EXPECT_EQ(ButtonColors.Default, 0x00FF00);
  EXPECT_EQ(ButtonColors.Cancel, 0x0000FF);
  EXPECT_EQ(ButtonColors.DefaultCancel, 0x00FFFF);
}

TEST_F(TButtonFace, TheFocusBarBlendsTheSelectionColourAtHalfOnlyForTheDefaultNow) {
  struct TCase {
    bool Focused, DefaultNow;
    TColor Expected;
  };
  const TCase cases[] = {
      {false, false, Rgb(Face)},
      {true, false, Rgb(Face)},
      {false, true, Rgb(Face)},
      {true, true, Half(Face, clHighlight)},
  };
  for (const TCase& c : cases) {
    const TDBitmap& face = Draw({.Focused = c.Focused, .DefaultNow = c.DefaultNow});
    EXPECT_EQ(ColorAt(face, 5, 12), c.Expected) << c.Focused << c.DefaultNow;
    EXPECT_EQ(ColorAt(face, 37, 0), Rgb(clBtnHighlight)) << "the edges stay";
  }
}

TEST_F(TButtonFace, HoverAddsAThirdOfTheFaceColour) {
  // 100, 150, 200 times 21504 / 65536 gives 32, 49, 65, added and kept within 255.
  EXPECT_EQ(ColorAt(Draw({.MouseInside = true}), 5, 12), RGBColor(132, 199, 255));
  Button->setEnabled(false);
  EXPECT_EQ(ColorAt(Draw({.MouseInside = true}), 5, 12), Rgb(Face)) << "not while disabled";
  Button->setEnabled(true);
  Button->SetCaption("Left");
  const TDBitmap& arrow = Draw({.MouseInside = true});
  EXPECT_EQ(ColorAt(arrow, 5, 12), Rgb(Face)) << "nor on arrow buttons";
}

TEST_F(TButtonFace, TheTexturedFaceRunsFromLightAtTheTopToDarkAtTheBottom) {
  TTextureOption texture(true);
  const TDBitmap& face = Draw();
  const TColor middle = ColorAt(face, 37, 12);
  EXPECT_NEAR(RedOf(middle), 100, 1);
  EXPECT_NEAR(GreenOf(middle), 150, 1);
  EXPECT_NEAR(BlueOf(middle), 200, 1);
  EXPECT_GT(GreenOf(ColorAt(face, 37, 3)), GreenOf(ColorAt(face, 37, 21)));
  EXPECT_GT(GreenOf(ColorAt(face, 5, 12)), GreenOf(ColorAt(face, 69, 12)));
}

TEST(TRoundRectRows, CornersAreQuarterCircles) {
  const std::vector<std::pair<int, int>> expected = {{2, 7}, {1, 8}, {0, 9}, {0, 9},
                                                     {0, 9}, {0, 9}, {1, 8}, {2, 7}};
  EXPECT_EQ(RoundRectRows(10, 8, 8), expected);
  const std::vector<std::pair<int, int>> square(3, {0, 3});
  EXPECT_EQ(RoundRectRows(4, 3, 0), square);
  EXPECT_TRUE(RoundRectRows(0, 5, 4).empty());
}

TEST(TDButtonShape, SmallButtonsAreSquareOthersRounded) {
  TTextureOption texture(false);
  struct TCase {
    int Width, Height;
    bool Rounded;
  };
  const TCase cases[] = {
      {20, 20, false}, {22, 22, false}, {23, 20, true}, {20, 23, true}, {75, 25, true}};
  // Inside a window: the region of a child widget clips it; a window of its own would need a
  // platform that shapes windows.
  QWidget window;
  window.resize(100, 50);
  window.show();
  for (const TCase& c : cases) {
    TDButton button(&window);
    button.SetColor(Face);
    button.resize(c.Width, c.Height);
    button.show();
    EXPECT_EQ(button.Small(), !c.Rounded) << c.Width << " x " << c.Height;
    EXPECT_EQ(button.mask().contains(QPoint(0, 0)), !c.Rounded) << c.Width << " x " << c.Height;
    EXPECT_EQ(button.mask().contains(QPoint(c.Width - 1, c.Height - 1)), !c.Rounded);
    EXPECT_TRUE(button.mask().contains(QPoint(c.Width / 2, c.Height / 2)));
    EXPECT_TRUE(button.mask().contains(QPoint(0, c.Height / 2)));
    button.DrawFace({});
    // Small buttons not pressed have flat edges in the face colour, square to the corner.
    if (!c.Rounded) {
      EXPECT_EQ(ColorAt(button.Face(), 0, 0), Rgb(Face));
      EXPECT_EQ(ColorAt(button.Face(), 1, 1), Rgb(Face));
      button.DrawFace({.Selected = true});
      EXPECT_EQ(ColorAt(button.Face(), 0, 0), Rgb(clBtnShadow));
      EXPECT_EQ(ColorAt(button.Face(), 1, 1), Rgb(clBtnHighlight));
    } else {
      EXPECT_EQ(ColorAt(button.Face(), 0, c.Height / 2), Rgb(clBtnHighlight));
      EXPECT_NE(ColorAt(button.Face(), 0, 0), Rgb(clBtnHighlight)) << "outside the rounding";
    }
  }
  // The region follows the size.
  TDButton button(&window);
  button.show();
  button.resize(20, 20);
  EXPECT_TRUE(button.mask().contains(QPoint(0, 0)));
  button.resize(40, 30);
  EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(button.mask().contains(QPoint(39, 15)));
  EXPECT_FALSE(button.mask().contains(QPoint(40, 15)));
}

TEST_F(TButtonFace, AShortenedCaptionShowsDotsAndBecomesTheHint) {
  Button->resize(50, 25);
  Button->SetCaption("&A caption far too long");
  const TDBitmap& face = Draw();
  EXPECT_EQ(Button->toolTip(), "A caption far too long");
  // The dots end inside the face.
  EXPECT_LE(InkOf(face, QRect(2, 3, 46, 19), Face).right(), 47);
  Button->SetCaption("&OK");
  Draw();
  EXPECT_TRUE(Button->toolTip().isEmpty());
}

TEST_F(TButtonFace, ArrowCaptionsDrawArrowsWhiteSilverWhileDown) {
  struct TCase {
    QString Caption;
    QPoint Tip, Base; // a point near the tip and one near the base, in the arrow
  };
  // The face's content is 71 x 21 from (2, 2): centre (37, 12), arrows 7 pixels long.
  const TCase cases[] = {
      {"Up", {37, 10}, {40, 14}},
      {"Down", {37, 14}, {40, 10}},
      {"Left", {35, 12}, {39, 15}},
      {"Right", {39, 12}, {35, 15}},
  };
  for (const TCase& c : cases) {
    Button->SetDown(false);
    Button->SetCaption(c.Caption);
    const TDBitmap& face = Draw();
    EXPECT_EQ(ColorAt(face, c.Tip.x(), c.Tip.y()), clWhite) << c.Caption.toStdString();
    EXPECT_EQ(ColorAt(face, c.Base.x(), c.Base.y()), clWhite) << c.Caption.toStdString();
    // Down shows the button pressed, its content one pixel down and right.
    Button->SetDown(true);
    EXPECT_EQ(ColorAt(Draw(), c.Tip.x() + 1, c.Tip.y() + 1), 0xC0C0C0) << c.Caption.toStdString();
  }
  // A caption that got its "&" draws as text: nothing white.
  Button->SetDown(false);
  Button->SetCaption("&Up");
  const TDBitmap& text = Draw();
  EXPECT_NE(ColorAt(text, 37, 10), clWhite);
  EXPECT_NE(ColorAt(text, 40, 14), clWhite);
}

TEST_F(TButtonFace, AutoChangeUnderlinesWhileDownAndStrikesOutWhileUp) {
  Button->SetCaption("&OK");
  const QRect inside(3, 3, 69, 19);
  const int plain = InkOf(Draw(), inside, Face).height();
  Button->SetAutoChange(true);
  const QRect up = InkOf(Draw(), inside, Face);
  Button->SetDown(true);
  const QRect down = InkOf(Draw(), inside, Lighter(Face));
  EXPECT_GE(up.height(), plain) << "struck out stays within the letters";
  EXPECT_GT(down.bottom(), up.bottom()) << "the underline lies below the letters";
}

TEST_F(TButtonFace, TheGlyphComesFromTheImagesFolderScaledToTheButton) {
  const std::string folder = GraphDir + "Images/";
  std::filesystem::create_directories(folder);
  EXPECT_EQ(Button->GlyphFileName().toStdString(), folder + "Probe.png");
  TDBitmap picture;
  picture.SetSize(16, 30, RGBColor(255, 0, 0));
  ASSERT_TRUE(picture.SaveToFile(folder + "Probe.png"));
  struct TCase {
    QString Caption;
    bool Enabled;
    QPoint Inside;
    TColor Expected;
  };
  // Scaled to 19 pixels high and round(16 * 19 / 30) = 10 wide; 6 pixels from the content's
  // left edge with a caption, centred without one, centred vertically at row 3.
  const TCase cases[] = {
      {"&Go", true, {8, 3}, RGBColor(255, 0, 0)},
      {"&Go", true, {17, 21}, RGBColor(255, 0, 0)},
      {"&Go", true, {18, 12}, Face},
      {"", true, {32, 3}, RGBColor(255, 0, 0)},
      {"", true, {41, 21}, RGBColor(255, 0, 0)},
      {"", true, {31, 12}, Face},
      // Disabled: a quarter of the glyph over the face, rounded half up.
      {"&Go",
       false,
       {8, 3},
       RGBColor((100 * 12 + 255 * 4 + 8) / 16, (150 * 12 + 8) / 16, (200 * 12 + 8) / 16)},
  };
  for (const TCase& c : cases) {
    TDButton button(nullptr, "ButtonProbe", c.Caption);
    button.setFont(FixedFont());
    button.SetColor(Face);
    button.setEnabled(c.Enabled);
    button.DrawFace({});
    ASSERT_EQ(button.Glyph().Width(), 10);
    ASSERT_EQ(button.Glyph().Height(), 19);
    EXPECT_EQ(button.Margin(), 6);
    EXPECT_EQ(button.Spacing(), 2);
    EXPECT_EQ(ColorAt(button.Face(), c.Inside.x(), c.Inside.y()), Rgb(c.Expected))
        << c.Caption.toStdString() << " at " << c.Inside.x() << ", " << c.Inside.y();
  }
  std::filesystem::remove(folder + "Probe.png");
  TDButton without(nullptr, "ButtonProbe");
  without.DrawFace({});
  EXPECT_TRUE(without.Glyph().Empty());
  EXPECT_EQ(without.Margin(), -1);
}

// The sounds played, as "name x width".
class TSoundLog {
 public:
  TSoundLog() {
    Saved_ = SetButtonSound([this](std::string_view Name, int X, int Width) {
      Played.push_back(std::string(Name) + " " + std::to_string(X) + " " + std::to_string(Width));
    });
  }
  ~TSoundLog() { SetButtonSound(std::move(Saved_)); }
  TSoundLog(const TSoundLog&) = delete;
  TSoundLog& operator=(const TSoundLog&) = delete;

  std::vector<std::string> Played;

 private:
  TButtonSound Saved_;
};

TEST_F(TButtonFace, PressAndReleaseSoundOnceEachPannedByTheButtonsCentre) {
  TSoundLog sounds;
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  Button->move(work.left() + 100, work.top() + 50);
  // The centre of 75 pixels from 100 is at 137.
  const std::string where = " 137 " + std::to_string(work.width());
  Draw();
  Draw({.Selected = true});
  Draw({.Selected = true, .MouseInside = true});
  Draw();
  Draw();
  EXPECT_EQ(sounds.Played, (std::vector<std::string>{"BDown" + where, "BUp" + where}));
}

TEST_F(TButtonFace, AnAutoChangeButtonSkipsThePictureInBetween) {
  TSoundLog sounds;
  Button->SetAutoChange(true);
  Draw();
  // The mouse goes down on a button that is up: neither Down nor the last sound.
  EXPECT_EQ(ColorAt(Draw({.Selected = true}), 5, 12), Rgb(Face));
  EXPECT_TRUE(sounds.Played.empty());
  // The click toggles Down; the mouse is up again.
  Button->Click();
  EXPECT_TRUE(Button->Down());
  EXPECT_EQ(ColorAt(Draw(), 5, 12), Lighter(Face));
  ASSERT_EQ(sounds.Played.size(), 1u);
  EXPECT_EQ(sounds.Played[0].substr(0, 6), "BDown ");
}

TEST_F(TButtonFace, ClickTogglesDownFirstAndIsIgnoredWhileDisabled) {
  Button->SetAutoChange(true);
  std::vector<bool> seen;
  QObject::connect(Button.get(), &QAbstractButton::clicked,
                   [&] { seen.push_back(Button->Down()); });
  Button->Click();
  Button->Click();
  Button->setEnabled(false);
  Button->Click();
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  EXPECT_FALSE(Button->Down());
}

TEST(TDButtonDialog, EscPressesTheCancelButtonAndEnterTheDefault) {
  TDForm form;
  TDButton ok(&form, "ButtonOK", "OK");
  TDButton cancel(&form, "ButtonCancel", "Cancel");
  ok.SetDefault(true);
  cancel.SetCancel(true);
  cancel.move(80, 0);
  QSignalSpy okClicks(&ok, &QAbstractButton::clicked);
  QSignalSpy cancelClicks(&cancel, &QAbstractButton::clicked);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  EXPECT_TRUE(ok.isDefault());
  EXPECT_TRUE(ok.CurrentState().DefaultNow);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_EQ(cancelClicks.count(), 1);
  EXPECT_TRUE(form.isVisible()) << "the cancel button answers Esc, not the dialog";
  QTest::keyClick(&form, Qt::Key_Return);
  EXPECT_EQ(okClicks.count(), 1);
  // A button that is no longer the cancel one leaves Esc to the dialog.
  cancel.SetCancel(false);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_EQ(cancelClicks.count(), 1);
}

TEST(TDButtonHover, EnterAndLeaveRepaintWithTheMouseInsideFlag) {
  TTextureOption texture(false);
  TDForm form;
  form.resize(200, 100);
  TDButton button(&form);
  button.SetColor(Face);
  // Without the focus, so that no focus bar lies over the face.
  button.setFocusPolicy(Qt::NoFocus);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&button, &enter);
  EXPECT_TRUE(button.CurrentState().MouseInside);
  button.grab();
  EXPECT_EQ(ColorAt(button.Face(), 5, 12), RGBColor(132, 199, 255));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&button, &leave);
  EXPECT_FALSE(button.CurrentState().MouseInside);
  button.grab();
  EXPECT_EQ(ColorAt(button.Face(), 5, 12), Rgb(Face));
}

// The widget start-up registers "BDown" and "BUp" and points the buttons' sound at them.
TEST(ButtonSounds, TheWidgetStartUpPlaysTheRegisteredSounds) {
  const std::int32_t down = FrameworkSoundIndex("BDown");
  ASSERT_GE(down, 0);
  EXPECT_EQ(FrameworkSoundIndex("BUp"), down + 1);

  TTempFolder folder;
  const std::string wave = (folder / "up.wav").string();
  std::ofstream(wave, std::ios::binary)
      << Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16)) + Chunk("data", Le16(1000)));
  TSound& up = FrameworkSounds()[static_cast<std::size_t>(down + 1)];
  // A wave is loaded once a sound; an earlier press may have loaded (nothing) already.
  const std::string saved = std::exchange(up.FileName, wave);
  up.Wave.reset();
  TRecordingPlayer player;
  const TButtonSound installed = SetButtonSound({});
  SetButtonSound(installed);
  ASSERT_TRUE(installed);
  installed("BUp", 50, 100);
  up.FileName = saved;
  up.Wave.reset();
  EXPECT_EQ(player.Calls, (std::vector<std::string>{"stop", "image 48"}));
}

} // namespace

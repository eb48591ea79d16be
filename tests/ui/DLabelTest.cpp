// The framework label on Qt's offscreen platform: its defaults, the frames, bevels, colour border
// and gradient checked by pixels, the caption straight, blended, rotated and shadowed, the
// segment display, a label without a colour over its parent, and the accelerator.

#include "support/WidgetTestSupport.h"
#include "ui/uDForm.h"
#include "ui/uDLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <memory>

namespace {

constexpr TColor Colour = RGBColor(100, 150, 200);

TColor Rgb(TColor Color) {
  return ColorToRGB(Color);
}

QFont BigFont() {
  QFont font("DejaVu Sans");
  font.setPixelSize(30);
  font.setBold(true);
  return font;
}

// The bitmap of a label after a paint; the gradient's dithering repeats from paint to paint.
const TDBitmap& Painted(TDLabel& Label) {
  SetGradientSeed(7);
  Label.grab();
  return Label.Bitmap();
}

// The pixels of Bitmap that differ from Other.
int Differences(const TDBitmap& Bitmap, const TDBitmap& Other) {
  int count = 0;
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      count += ColorAt(Bitmap, x, y) != ColorAt(Other, x, y);
  return count;
}

// The box of the pixels of Bitmap that are Color.
QRect BoxOf(const TDBitmap& Bitmap, TColor Color) {
  QRect box;
  for (int y = 0; y < Bitmap.Height(); ++y)
    for (int x = 0; x < Bitmap.Width(); ++x)
      if (ColorAt(Bitmap, x, y) == Color)
        box |= QRect(x, y, 1, 1);
  return box;
}

class TLabel : public testing::Test {
 protected:
  void SetUp() override {
    Label = std::make_unique<TDLabel>();
    Label->SetColor(Colour);
    QPalette palette = Label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    Label->setPalette(palette);
  }

  std::unique_ptr<TDLabel> Label;
};

TEST_F(TLabel, StartsWithTheDefaults) {
  TDLabel label;
  EXPECT_EQ(label.size(), QSize(64, 64));
  EXPECT_EQ(label.Color(), clBtnFace);
  EXPECT_EQ(label.Alignment(), taLeftJustify);
  EXPECT_EQ(label.FontEffect(), ef16);
  EXPECT_EQ(label.FontAngle(), 0);
  EXPECT_EQ(label.FontShadow(), 0);
  EXPECT_EQ(label.BevelInner(), bvNone);
  EXPECT_EQ(label.BevelOuter(), bvRaised);
  EXPECT_EQ(label.BevelWidth(), 1);
  EXPECT_EQ(label.BorderWidth(), 0);
  EXPECT_EQ(label.BorderStyle(), bsNone);
  EXPECT_EQ(label.Layout(), tlCenter);
  EXPECT_FALSE(label.WordWrap());
  EXPECT_FALSE(label.Displ().Enabled());
  EXPECT_EQ(label.FocusControl(), nullptr);
}

TEST_F(TLabel, PropertiesAreReachableByName) {
  EXPECT_TRUE(Label->setProperty("Caption", "Probe"));
  EXPECT_EQ(Label->Caption(), "Probe");
  Label->setProperty("FontEffect", int(ef08));
  EXPECT_EQ(Label->FontEffect(), ef08);
  Label->setProperty("FontAngle", 128);
  EXPECT_EQ(Label->FontAngle(), 128);
  Label->setProperty("BevelOuter", int(bvSpace));
  EXPECT_EQ(Label->BevelOuter(), bvSpace);
  Label->setProperty("BevelOuter", 9);
  EXPECT_EQ(Label->BevelOuter(), bvSpace);
  Label->setProperty("Layout", int(tlBottom));
  EXPECT_EQ(Label->Layout(), tlBottom);
  Label->setProperty("Color", int(clWhite));
  EXPECT_EQ(Label->Color(), clWhite);
}

TEST_F(TLabel, BevelsAreLitFromTheTopLeft) {
  struct TCase {
    TBevelCut Cut;
    TColor Top, Bottom;
  };
  const TCase cases[] = {
      {bvLowered, clBtnShadow, clBtnHighlight},
      {bvRaised, clBtnHighlight, clBtnShadow},
      {bvSpace, clBtnHighlight, clBtnShadow},
  };
  for (const TCase& c : cases) {
    Label->SetBevelOuter(c.Cut);
    const TDBitmap& bitmap = Painted(*Label);
    EXPECT_EQ(ColorAt(bitmap, 30, 0), Rgb(c.Top)) << int(c.Cut);
    EXPECT_EQ(ColorAt(bitmap, 0, 30), Rgb(c.Top)) << int(c.Cut);
    EXPECT_EQ(ColorAt(bitmap, 30, 63), Rgb(c.Bottom)) << int(c.Cut);
    EXPECT_EQ(ColorAt(bitmap, 63, 30), Rgb(c.Bottom)) << int(c.Cut);
    EXPECT_EQ(ColorAt(bitmap, 1, 1), Lighter(Colour)) << "the gradient starts inside";
  }
  Label->SetBevelOuter(bvNone);
  EXPECT_EQ(ColorAt(Painted(*Label), 0, 0), Lighter(Colour));
  // An inner bevel of width 3 inside a lowered outer one.
  Label->SetBevelOuter(bvLowered);
  Label->SetBevelInner(bvRaised);
  Label->SetBevelWidth(3);
  const TDBitmap& both = Painted(*Label);
  EXPECT_EQ(ColorAt(both, 30, 2), Rgb(clBtnShadow));
  EXPECT_EQ(ColorAt(both, 30, 3), Rgb(clBtnHighlight));
  EXPECT_EQ(ColorAt(both, 30, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(ColorAt(both, 6, 6), Lighter(Colour));
  EXPECT_EQ(ColorAt(both, 57, 57), Darker(Colour));
}

TEST_F(TLabel, ASingleBorderAddsASunkenDoubleFrame) {
  Label->SetBorderStyle(bsSingle);
  const TDBitmap& bitmap = Painted(*Label);
  EXPECT_EQ(ColorAt(bitmap, 30, 0), Rgb(clBtnShadow));
  EXPECT_EQ(ColorAt(bitmap, 30, 1), Rgb(cl3DDkShadow));
  EXPECT_EQ(ColorAt(bitmap, 30, 63), Rgb(clBtnHighlight));
  EXPECT_EQ(ColorAt(bitmap, 30, 62), Rgb(cl3DLight));
  EXPECT_EQ(ColorAt(bitmap, 30, 2), Rgb(clBtnHighlight)) << "the raised bevel inside it";
  EXPECT_EQ(ColorAt(bitmap, 3, 3), Lighter(Colour));
}

TEST_F(TLabel, TheColourBorderLiesBetweenTheBevels) {
  Label->SetBorderWidth(3);
  const TDBitmap& bitmap = Painted(*Label);
  for (int y : {1, 2, 3})
    EXPECT_EQ(ColorAt(bitmap, 30, y), Colour) << y;
  EXPECT_EQ(ColorAt(bitmap, 4, 4), Lighter(Colour));
  EXPECT_EQ(ColorAt(bitmap, 59, 59), Darker(Colour));
  EXPECT_EQ(ColorAt(bitmap, 60, 30), Colour);
}

TEST_F(TLabel, BevelAndBorderWidthsRepaintEvenUnchanged) {
  Painted(*Label);
  EXPECT_FALSE(Label->NeedsRepaint());
  Label->SetBevelWidth(Label->BevelWidth());
  EXPECT_TRUE(Label->NeedsRepaint());
  Painted(*Label);
  Label->SetBorderWidth(Label->BorderWidth());
  EXPECT_TRUE(Label->NeedsRepaint());
  Painted(*Label);
  Label->SetBevelOuter(Label->BevelOuter());
  EXPECT_FALSE(Label->NeedsRepaint());
}

TEST_F(TLabel, ABlendedCaptionIsHalfWayBetweenTextAndGradient) {
  Label->resize(120, 50);
  Label->setFont(BigFont());
  TDBitmap background;
  background.CopyFrom(&Painted(*Label));
  Label->SetCaption("Wg");
  TDBitmap straight;
  straight.CopyFrom(&Painted(*Label));
  Label->SetFontEffect(ef08);
  const TDBitmap& blended = Painted(*Label);
  int core = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 120; ++x) {
      const TColor under = ColorAt(background, x, y);
      if (ColorAt(straight, x, y) == clBlack) {
        ++core;
        EXPECT_EQ(ColorAt(blended, x, y),
                  RGBColor(RedOf(under) / 2, GreenOf(under) / 2, BlueOf(under) / 2))
            << x << ", " << y;
      } else if (ColorAt(straight, x, y) == under) {
        EXPECT_EQ(ColorAt(blended, x, y), under) << x << ", " << y;
      }
    }
  EXPECT_GT(core, 50);
  Label->SetFontEffect(ef00);
  EXPECT_EQ(Differences(Painted(*Label), background), 0) << "ef00 hides the caption";
}

TEST_F(TLabel, ARotatedCaptionTurnsAboutTheCentre) {
  Label->resize(120, 120);
  Label->setFont(BigFont());
  Label->SetAlignment(taCenter);
  Label->SetCaption("IIIIII");
  const QRect flat = BoxOf(Painted(*Label), clBlack);
  ASSERT_GT(flat.width(), 2 * flat.height());
  Label->SetFontAngle(256);
  const QRect upright = BoxOf(Painted(*Label), clBlack);
  EXPECT_GT(upright.height(), 2 * upright.width()) << "a quarter turn";
  EXPECT_NEAR(upright.center().x(), 60, 4);
  EXPECT_NEAR(upright.center().y(), 60, 4);
  Label->SetFontAngle(128);
  const QRect slanted = BoxOf(Painted(*Label), clBlack);
  EXPECT_NEAR(slanted.width(), slanted.height(), 6) << "an eighth of a turn";
  EXPECT_GT(slanted.height(), flat.height() + 20);
}

TEST_F(TLabel, TheShadowFallsInGreyBelowRight) {
  Label->resize(120, 50);
  QFont font = BigFont();
  font.setStyleStrategy(QFont::NoAntialias);
  Label->setFont(font);
  Label->SetCaption("W");
  Label->SetFontShadow(3);
  const TDBitmap& bitmap = Painted(*Label);
  const QRect grey = BoxOf(bitmap, 0x808080);
  const QRect black = BoxOf(bitmap, clBlack);
  ASSERT_FALSE(grey.isEmpty());
  EXPECT_EQ(grey.bottom(), black.bottom() + 3);
  EXPECT_EQ(grey.right(), black.right() + 3);
}

TEST_F(TLabel, TheDisplayDrawsTheCaptionInSegments) {
  TDispl displ;
  displ.SetEnabled(true);
  displ.SetFormat("88");
  Label->SetDispl(displ);
  Label->SetCaption("&12");
  Label->SetAlignment(taLeftJustify);
  Label->SetLayout(tlTop);
  const TDBitmap& bitmap = Painted(*Label);
  // Inside the bevel and one more pixel, 2 pixels from the top-left: the cells start at (4, 4).
  // "1" lights the right-hand verticals (column 11), "2" the top bar of the second cell.
  EXPECT_EQ(ColorAt(bitmap, 11, 7), RGBColor(255, 0, 0));
  EXPECT_EQ(ColorAt(bitmap, 7, 4), RGBColor(128, 0, 0));
  EXPECT_EQ(ColorAt(bitmap, 15, 4), RGBColor(255, 0, 0));
  EXPECT_EQ(ColorAt(bitmap, 12, 7), ColorAt(Painted(*Label), 12, 7)) << "steady";
  // The label takes a copy of the settings, and repaints on its own display's changes.
  displ.SetColorA(clWhite);
  EXPECT_EQ(Label->Displ().ColorA(), 255);
  Label->Displ().SetColorA(RGBColor(0, 255, 0));
  EXPECT_TRUE(Label->NeedsRepaint());
  EXPECT_EQ(ColorAt(Painted(*Label), 11, 7), RGBColor(0, 255, 0));
}

// A label on a form of a plain colour.
class TLabelOnForm : public testing::Test {
 protected:
  void SetUp() override {
    Form.resize(200, 120);
    Form.SetBackground(baStandard);
    Form.SetColor(FormColour);
    Label = new TDLabel(&Form);
    Label->setGeometry(20, 10, 100, 60);
    Label->setFont(BigFont());
    QPalette palette = Label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    Label->setPalette(palette);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
  }

  static constexpr TColor FormColour = RGBColor(30, 160, 90);
  TDForm Form;
  TDLabel* Label = nullptr; // owned by the form
};

TEST_F(TLabelOnForm, WithoutAColourTheParentShowsThroughWithoutBorderOrGradient) {
  Label->SetColor(clNone);
  Label->SetBorderWidth(4);
  Label->SetBevelOuter(bvNone);
  const TDBitmap& bitmap = Painted(*Label);
  EXPECT_EQ(BoxOf(bitmap, FormColour), QRect(0, 0, 100, 60));
}

TEST_F(TLabelOnForm, ACaptionChangedOnAColourlessLabelLeavesNothingBehind) {
  Label->SetColor(clNone);
  Label->SetBevelOuter(bvNone);
  Label->SetCaption("WWW");
  EXPECT_FALSE(BoxOf(Painted(*Label), clBlack).isEmpty());
  Label->SetCaption("");
  EXPECT_EQ(BoxOf(Painted(*Label), FormColour), QRect(0, 0, 100, 60));
}

TEST_F(TLabelOnForm, ABlendedCaptionWithoutAColourLeavesTheBackgroundAroundIt) {
  Label->SetColor(clNone);
  Label->SetBevelOuter(bvNone);
  Label->SetCaption("I");
  Label->SetFontEffect(ef08);
  const TDBitmap& bitmap = Painted(*Label);
  const TColor half = RGBColor(15, 80, 45);
  const QRect text = BoxOf(bitmap, half);
  ASSERT_FALSE(text.isEmpty());
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x)
      if (!text.contains(x, y)) {
        ASSERT_EQ(ColorAt(bitmap, x, y), FormColour) << x << ", " << y;
      }
}

TEST_F(TLabelOnForm, TheAcceleratorFocusesTheFocusControl) {
  auto* edit = new QLineEdit(&Form);
  edit->move(0, 80);
  auto* other = new QLineEdit(&Form);
  other->move(100, 80);
  edit->show();
  other->show();
  Label->SetCaption("&Name");
  Label->SetFocusControl(edit);
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  struct TCase {
    bool LabelEnabled, EditEnabled, Focused;
  };
  const TCase cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
  for (const TCase& c : cases) {
    other->setFocus();
    Label->setEnabled(c.LabelEnabled);
    edit->setEnabled(c.EditEnabled);
    QTest::keyClick(&Form, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(edit->hasFocus(), c.Focused) << c.LabelEnabled << c.EditEnabled;
  }
}

} // namespace

namespace {

// A control that leaves its bitmap empty.
class TEmptyControl : public TDWinControl {
 protected:
  void PaintBitmap() override {
    TDWinControl::PaintBitmap();
    Bitmap().Clear();
  }
};

TEST(TDWinControl, EveryPaintFillsTheWholeBitmapInTheColour) {
  TDWinControl control;
  control.resize(30, 20);
  control.SetColor(RGBColor(1, 2, 3));
  EXPECT_EQ(ColorAt(control.grab().toImage(), 29, 19), RGBColor(1, 2, 3));
  // The same size again: the new colour still covers everything.
  control.SetColor(RGBColor(200, 100, 0));
  const QImage shown = control.grab().toImage();
  EXPECT_EQ(BoxOf(control.Bitmap(), RGBColor(200, 100, 0)), QRect(0, 0, 30, 20));
  EXPECT_EQ(ColorAt(shown, 0, 0), RGBColor(200, 100, 0));
  EXPECT_FALSE(control.NeedsRepaint());
  control.Invalidate();
  EXPECT_TRUE(control.NeedsRepaint());
}

TEST(TDWinControl, AnEmptyBitmapShowsTheWorkspaceColour) {
  TEmptyControl control;
  control.resize(10, 10);
  EXPECT_EQ(ColorAt(control.grab().toImage(), 5, 5), ColorToRGB(clAppWorkSpace));
}

TEST(TDWinControl, TracksTheFocus) {
  TDForm form;
  auto* control = new TDWinControl(&form);
  control->setFocusPolicy(Qt::StrongFocus);
  auto* other = new QLineEdit(&form);
  other->move(0, 40);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  other->setFocus();
  EXPECT_FALSE(control->IsFocused());
  control->grab();
  control->setFocus();
  EXPECT_TRUE(control->IsFocused());
  EXPECT_TRUE(control->NeedsRepaint());
}

} // namespace

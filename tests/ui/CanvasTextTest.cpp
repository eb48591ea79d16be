// The canvas text routines against a fixed font (DejaVu Sans Mono at 10 pixels: every character
// 6 pixels wide, lines 11 pixels high, drawn without antialiasing), the dialog-button arrangement
// and the memo's Ctrl+A.

#include "ui/uCanvasText.h"
#include "ui/uDMemo.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <memory>
#include <vector>

namespace {

QFont FixedFont(int PixelSize = 10) {
  QFont font("DejaVu Sans Mono");
  font.setPixelSize(PixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// A white canvas with the fixed font and a black pen.
class TCanvas : public testing::Test {
 protected:
  void SetUp() override {
    Restart();
    const QFontMetrics metrics = Painter->fontMetrics();
    ASSERT_EQ(QFontInfo(Painter->font()).family(), "DejaVu Sans Mono");
    ASSERT_EQ(metrics.horizontalAdvance("x"), 6);
    ASSERT_EQ(metrics.horizontalAdvance("xxxxxxxxxxxxxxxxxxxx"), 120);
    ASSERT_EQ(metrics.height(), 11);
  }

  // A white picture again, with a new painter.
  void Restart() {
    Painter.reset();
    Image.fill(Qt::white);
    Painter = std::make_unique<QPainter>(&Image);
    Painter->setFont(FixedFont());
    Painter->setPen(Qt::black);
  }

  // The rows and columns holding pixels that are not white.
  QRect Ink() {
    Painter->end();
    QRect ink;
    for (int y = 0; y < Image.height(); ++y)
      for (int x = 0; x < Image.width(); ++x)
        if (Image.pixel(x, y) != qRgb(255, 255, 255))
          ink |= QRect(x, y, 1, 1);
    return ink;
  }

  QImage Image{200, 100, QImage::Format_RGB32};
  std::unique_ptr<QPainter> Painter;
};

TEST(TCanvasText, DropAmpersandsKeepsAMarkAfterADroppedOne) {
  const std::pair<QString, QString> cases[] = {
      {"&OK", "OK"}, {"a&&b", "a&b"}, {"&&&x", "&x"}, {"&", ""}, {"plain", "plain"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(DropAmpersands(text), expected) << text.toStdString();
}

TEST_F(TCanvas, ShortenTextKeepsTheLongestBeginningThatFitsWithDots) {
  struct TCase {
    QString Text;
    int MaxWidth;
    QString Expected;
  };
  // 6 pixels a character; "..." is 18 pixels; accelerator marks take no room.
  const TCase cases[] = {
      {"Hello", 30, "Hello"},
      {"Hello", 29, "H..."},
      {"Hello", 24, "H..."},
      {"Hello", 23, "..."},
      {"Hello", 18, "..."},
      {"Hello", 17, ".."},
      {"Hello", 11, "."},
      {"Hello", 5, ""},
      {"Hello", -3, ""},
      {"&Hello", 30, "&Hello"},
      {"&Hello", 29, "&H..."},
      {"a&&b", 18, "a&&b"},
      {"a&bcdef", 29, "a..."}, // the mark before "b" would fall on the dots
      {"Wide caption", 60, "Wide ca..."},
      {"", 0, ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ShortenText(*Painter, c.Text, c.MaxWidth), c.Expected)
        << c.Text.toStdString() << " in " << c.MaxWidth;
}

TEST_F(TCanvas, ShadowDepthIsAOneTwentiethOfTheFontHeightRounded) {
  const std::pair<int, int> cases[] = {{9, 0}, {10, 1}, {11, 1}, {29, 1}, {30, 2}, {50, 3}};
  for (const auto& [size, depth] : cases) {
    Painter->setFont(FixedFont(size));
    EXPECT_EQ(TextShadowDepth(*Painter), depth) << size;
  }
}

TEST(TCanvasText, TextLinesBreakAtLineEndsAndWrapAtBlanks) {
  QImage image(10, 10, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setFont(FixedFont());
  const QFontMetrics metrics = painter.fontMetrics();
  struct TCase {
    QString Text;
    int Width;
    bool WordWrap;
    int MaxLines;
    QStringList Expected;
  };
  const TCase cases[] = {
      {"aaa bbb ccc", 42, true, 5, {"aaa bbb", "ccc"}},
      {"aaa bbb ccc", 41, true, 5, {"aaa", "bbb", "ccc"}},
      {"abcdefghij", 24, true, 5, {"abcd", "efgh", "ij"}},
      {"aaa bbb ccc", 24, true, 1, {"aaa", "bbb ccc"}},
      {"aaa bbb ccc", 24, true, 0, {"aaa bbb ccc"}},
      {"aaa bbb ccc", 24, true, -1, {"aaa bbb ccc"}},
      {"aaa bbb ccc", 24, false, 5, {"aaa bbb ccc"}},
      {"one\r\ntwo\rthree\nfour", 200, false, 0, {"one", "two", "three", "four"}},
      {"a\n\nb", 200, true, 5, {"a", "", "b"}},
      {"&aaa bbb", 42, true, 5, {"&aaa bbb"}},
      {"abc", 2, true, 5, {"a", "b", "c"}},
      {"aaa ", 18, true, 5, {"aaa"}},
      {"", 50, true, 5, {""}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(TextLines(metrics, c.Text, c.Width, c.WordWrap, c.MaxLines), c.Expected)
        << c.Text.toStdString() << " in " << c.Width << ", at most " << c.MaxLines;
}

TEST_F(TCanvas, DrawTextRectInARectangleLowerThanALineDrawsOneShortenedLine) {
  EXPECT_TRUE(DrawTextRect(*Painter, QRect(0, 0, 60, 5), 0, 0, true, "aaa bbb ccc ddd eee", 0));
  const QRect ink = Ink();
  EXPECT_LE(ink.bottom(), 10) << "one line, 11 pixels high, from the top";
  EXPECT_LE(ink.right(), 59);
}

TEST_F(TCanvas, DrawTextRectStacksTheLinesByLayout) {
  struct TCase {
    int Layout, Top;
  };
  // Two lines of 11 pixels in a rectangle 33 high starting at row 20.
  const TCase cases[] = {{0, 20}, {1, 25}, {2, 31}};
  for (const TCase& c : cases) {
    Restart();
    EXPECT_FALSE(DrawTextRect(*Painter, QRect(10, 20, 100, 33), 0, 0, false, "Wj\nWj", c.Layout));
    const QRect ink = Ink();
    EXPECT_GE(ink.top(), c.Top) << c.Layout;
    EXPECT_LT(ink.bottom(), c.Top + 22) << c.Layout;
    EXPECT_GT(ink.height(), 11) << "two lines at " << c.Layout;
  }
}

TEST_F(TCanvas, DrawTextLineAlignsTheLineAndCountsTheShadow) {
  struct TCase {
    int Alignment, Shadow, Left, Right;
  };
  // "WW" is 12 pixels wide in a line from column 20 to 79.
  const TCase cases[] = {
      {0, 0, 20, 31}, {1, 0, 68, 79}, {2, 0, 44, 55},
      {0, 2, 20, 33}, {1, 2, 66, 79}, {1, -2, 66, 79},
  };
  for (const TCase& c : cases) {
    Restart();
    EXPECT_FALSE(DrawTextLine(*Painter, QRect(20, 10, 60, 11), "WW", c.Alignment, c.Shadow));
    const QRect ink = Ink();
    EXPECT_GE(ink.left(), c.Left) << c.Alignment << " shadow " << c.Shadow;
    EXPECT_LE(ink.right(), c.Right) << c.Alignment << " shadow " << c.Shadow;
    // W fills its cell nearly edge to edge.
    EXPECT_LE(ink.left(), c.Left + 1) << c.Alignment << " shadow " << c.Shadow;
    EXPECT_GE(ink.right(), c.Right - 1) << c.Alignment << " shadow " << c.Shadow;
  }
}

TEST_F(TCanvas, TheShadowIsGreyUnderTheTextInThePenColour) {
  DrawTextLine(*Painter, QRect(0, 0, 100, 11), "I", 0, 2);
  Painter->end();
  int grey = 0, black = 0;
  for (int y = 0; y < Image.height(); ++y)
    for (int x = 0; x < Image.width(); ++x) {
      grey += Image.pixel(x, y) == qRgb(0x80, 0x80, 0x80);
      black += Image.pixel(x, y) == qRgb(0, 0, 0);
    }
  EXPECT_GT(grey, 0);
  EXPECT_GT(black, 0);
}

TEST_F(TCanvas, DrawTextLineReportsAShortenedLine) {
  EXPECT_TRUE(DrawTextLine(*Painter, QRect(0, 0, 40, 11), "A long caption", 0, 0));
  EXPECT_LE(Ink().right(), 39);
}

TEST(TArrangeDialogButtons, PlacesTheVisibleControlsFromTheRight) {
  QWidget dialog;
  std::vector<std::unique_ptr<QWidget>> owned;
  QList<QWidget*> controls;
  for (int i = 0; i < 4; ++i) {
    owned.push_back(std::make_unique<QWidget>(&dialog));
    controls.push_back(owned.back().get());
  }
  controls[2]->hide();
  controls.insert(1, nullptr);
  // controls: 0, null, 1, 2 (hidden), 3
  ArrangeDialogButtons(controls, 4, 400, 300);
  EXPECT_EQ(controls[4]->geometry(), QRect(316, 268, 76, 24));
  EXPECT_EQ(controls[2]->geometry(), QRect(232, 268, 76, 24));
  EXPECT_EQ(controls[0]->geometry(), QRect(148, 268, 76, 24));
  // Only up to LastIndex; an index past the end counts as the last.
  controls[4]->setGeometry(1, 1, 1, 1);
  ArrangeDialogButtons(controls, 2, 200, 100);
  EXPECT_EQ(controls[2]->geometry(), QRect(116, 68, 76, 24));
  EXPECT_EQ(controls[0]->geometry(), QRect(32, 68, 76, 24));
  EXPECT_EQ(controls[4]->geometry(), QRect(1, 1, 1, 1));
  ArrangeDialogButtons(controls, 99, 500, 50);
  EXPECT_EQ(controls[4]->geometry(), QRect(416, 18, 76, 24));
}

TEST(TDMemo, CtrlASelectsAllOtherKeysType) {
  TDMemo memo;
  memo.setPlainText("first line\nsecond line");
  QTest::keyClick(&memo, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(memo.textCursor().selectedText(),
            QString("first line") + QChar(0x2029) + "second line");
  memo.moveCursor(QTextCursor::End);
  QTest::keyClick(&memo, Qt::Key_A);
  EXPECT_TRUE(memo.toPlainText().endsWith("second linea"));
  EXPECT_FALSE(memo.textCursor().hasSelection());
}

} // namespace

// The segment display: the character table of every cell kind checked through the pixels drawn,
// the alignment of the text to the format, dots, colons and commas, the sizes and their presets,
// Measure against what is drawn, and the change notifications.

#include "support/BitmapTestSupport.h"
#include "support/WidgetTestSupport.h"
#include "text/uOutputFormat.h"
#include "ui/uDispl.h"

#include <gtest/gtest.h>

#include <QString>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr TColor Lit = RGBColor(255, 0, 0);
constexpr TColor Unlit = RGBColor(0, 0, 128);
constexpr TColor Black = clBlack;

// The character table: the lit segments of a 7-segment and of a 15-segment cell.
struct TRow {
  char Character;
  const char* Seven;
  const char* Fifteen;
};
const TRow Table[] = {
    {' ', "", ""},
    {'-', "3", "13 14"},
    {'0', "0 1 2 4 5 6", "0 1 2 4 5 6"},
    {'1', "2 5", "2 5"},
    {'2', "0 2 3 4 6", "0 2 4 6 13 14"},
    {'3', "0 2 3 5 6", "0 2 5 6 13 14"},
    {'4', "1 2 3 5", "1 2 5 13 14"},
    {'5', "0 1 3 5 6", "0 1 5 6 13 14"},
    {'6', "0 1 3 4 5 6", "0 1 4 5 6 13 14"},
    {'7', "0 2 5", "0 2 5"},
    {'8', "0 1 2 3 4 5 6", "0 1 2 4 5 6 13 14"},
    {'9', "0 1 2 3 5 6", "0 1 2 5 6 13 14"},
    {'A', "0 1 2 3 4 5", "0 1 2 4 5 13 14"},
    {'B', "1 3 4 5 6", "0 2 5 6 8 11 14"},
    {'C', "0 1 4 6", "0 1 4 6"},
    {'D', "2 3 4 5 6", "0 2 5 6 8 11"},
    {'E', "0 1 3 4 6", "0 1 4 6 13"},
    {'F', "0 1 3 4", "0 1 4 13"},
    {'G', "0 1 4 5 6", "0 1 4 5 6 14"},
    {'H', "1 3 4 5", "1 2 4 5 13 14"},
    {'I', "2 5", "0 6 8 11"},
    {'J', "2 4 5 6", "2 4 5 6"},
    {'K', "1 2 3 4 5", "8 9 11 12"},
    {'L', "1 4 6", "1 4 6"},
    {'M', "0 1 2 4 5", "1 2 4 5 7 9"},
    {'N', "3 4 5", "1 2 4 5 7 12"},
    {'O', "3 4 5 6", "4 5 6 13 14"},
    {'P', "0 1 2 3 4", "0 1 2 4 13 14"},
    {'Q', "0 1 2 3 5", "0 1 2 4 5 6 12"},
    {'R', "3 4", "0 1 2 4 12 13 14"},
    {'S', "0 1 3 5 6", "0 1 5 6 13 14"},
    {'T', "1 3 4 6", "0 8 11"},
    {'U', "1 2 4 5 6", "1 2 4 5 6"},
    {'V', "4 5 6", "1 4 9 10"},
    {'W', "1 2 3 4 5 6", "1 2 4 5 6 11"},
    {'X', "1 2 3 4 5", "7 9 10 12"},
    {'Y', "1 2 3 5 6", "7 9 11"},
    {'Z', "0 2 3 4 6", "0 6 9 10"},
};

std::vector<bool> Segments(const char* List) {
  std::vector<bool> lit(SegmentCount, false);
  std::istringstream in(List);
  for (int segment; in >> segment;)
    lit[static_cast<std::size_t>(segment)] = true;
  return lit;
}

std::uint16_t MaskOf(const char* List) {
  std::uint16_t mask = 0;
  const std::vector<bool> lit = Segments(List);
  for (int s = 0; s < SegmentCount; ++s)
    if (lit[static_cast<std::size_t>(s)])
      mask = static_cast<std::uint16_t>(mask | 1u << s);
  return mask;
}

// A cell of SizeX 10, SizeY 6, gaps 2 and thickness 1: 14 x 19 pixels, the base lines on the
// rows 0, 9 and 18 and the columns 0, 13, the centre column 6 (see uDispl.h). One pixel of each
// segment, worked out from that geometry; the diagonals by their outer ends.
const QPoint Probe[SegmentCount] = {
    {7, 0},   // 0 top bar, columns 2 ... 11
    {0, 5},   // 1 upper left, rows 2 ... 7
    {13, 5},  // 2 upper right
    {7, 9},   // 3 middle bar
    {0, 14},  // 4 lower left, rows 11 ... 16
    {13, 14}, // 5 lower right
    {7, 18},  // 6 bottom bar
    {2, 2},   // 7 upper-left diagonal, from (2, 2) to (4, 7)
    {6, 5},   // 8 upper centre, column 6
    {11, 2},  // 9 upper-right diagonal, from (11, 2) to (8, 7)
    {2, 16},  // 10 lower-left diagonal, from (2, 16) to (4, 11)
    {6, 14},  // 11 lower centre
    {11, 16}, // 12 lower-right diagonal
    {3, 9},   // 13 left half of the middle bar, columns 2 ... 6
    {10, 9},  // 14 right half, columns 6 ... 11
};

TDispl ProbeDispl() {
  TDispl displ;
  displ.SetSizeX(10);
  displ.SetSizeY(6);
  displ.SetSpaceSX(2);
  displ.SetSpaceSY(2);
  displ.SetSizeT(1);
  displ.SetColorA(Lit);
  displ.SetColorD(Unlit);
  return displ;
}

// The colours of the probes of the cell at (X, 0).
std::vector<TColor> ProbeColours(const TDBitmap& Bitmap, int X) {
  std::vector<TColor> colours;
  for (const QPoint& p : Probe)
    colours.push_back(ColorAt(Bitmap, X + p.x(), p.y()));
  return colours;
}

// The expected colours of the probes for a cell lighting List, with unlit segments in Off. The
// middle bar of a 7-segment cell runs through the probes of the two halves of a 15-segment one,
// and the probe of the middle bar lies on the right half.
std::vector<TColor> Expected(const char* List, bool Fifteen, TColor Off) {
  const std::vector<bool> lit = Segments(List);
  const auto colour = [&](int Segment) { return lit[std::size_t(Segment)] ? Lit : Off; };
  std::vector<TColor> colours;
  for (int s = 0; s < SegmentCount; ++s) {
    if (Fifteen)
      colours.push_back(colour(s == sgMiddle ? sgMiddleRight : s));
    else if (s <= sgBottom)
      colours.push_back(colour(s));
    else if (s == sgMiddleLeft || s == sgMiddleRight)
      colours.push_back(colour(sgMiddle));
    else
      colours.push_back(Black);
  }
  return colours;
}

TEST(TDisplTable, EveryCharacterLightsItsSegments) {
  for (const TRow& row : Table) {
    const QChar c = QLatin1Char(row.Character);
    EXPECT_EQ(SegmentMask(c, false), MaskOf(row.Seven)) << row.Character;
    EXPECT_EQ(SegmentMask(c, true), MaskOf(row.Fifteen)) << row.Character;
    EXPECT_EQ(SegmentMask(c.toLower(), false), MaskOf(row.Seven)) << row.Character;
    EXPECT_EQ(SegmentMask(c.toLower(), true), MaskOf(row.Fifteen)) << row.Character;
  }
  for (char other : {'.', ',', '?', '_', '+', '\0'}) {
    EXPECT_EQ(SegmentMask(QLatin1Char(other), false), 0) << other;
    EXPECT_EQ(SegmentMask(QLatin1Char(other), true), 0) << other;
  }
  EXPECT_EQ(SegmentMask(QChar(0x00E9), true), 0) << "letters outside A ... Z are blank";
}

TEST(TDisplTable, EveryCharacterIsDrawnLitInColorAAndUnlitInColorD) {
  TDispl displ = ProbeDispl();
  displ.SetFormat("8X");
  TDBitmap bitmap;
  for (TColor off : {Unlit, clNone}) {
    displ.SetColorD(off);
    for (const TRow& row : Table) {
      bitmap.SetSize(0, 0);
      bitmap.SetSize(40, 30, Black);
      displ.DrawTextAt(bitmap, QString(2, QLatin1Char(row.Character)), ef16, 0, 0);
      const TColor shownOff = off == clNone ? Black : off;
      EXPECT_EQ(ProbeColours(bitmap, 0), Expected(row.Seven, false, shownOff))
          << "7 segments: '" << row.Character << "'";
      EXPECT_EQ(ProbeColours(bitmap, 14), Expected(row.Fifteen, true, shownOff))
          << "15 segments: '" << row.Character << "'";
    }
  }
}

TEST(TDisplTable, LowerCaseLettersLookLikeUpperCase) {
  TDispl displ = ProbeDispl();
  displ.SetFormat("XXXXX");
  TDBitmap upper, lower;
  upper.SetSize(80, 20, Black);
  lower.SetSize(80, 20, Black);
  displ.DrawTextAt(upper, "HELLO", ef16, 0, 0);
  displ.DrawTextAt(lower, "hello", ef16, 0, 0);
  EXPECT_EQ(Pixels(lower), Pixels(upper));
}

// The probe cell's layout: cells 14 wide; a colon or dot 3 wide with its block in the middle
// column; colon blocks on the rows 4 and 13, dots on row 18.
TEST(TDisplLayout, TheTextIsAlignedToTheRightEndOfTheFormat) {
  TDispl displ = ProbeDispl();
  displ.SetFormat("88:88");
  struct TCase {
    QString Text;
    const char* Cells[4];
    bool Colon;
  };
  const TCase cases[] = {
      {"12:34", {"2 5", "0 2 3 4 6", "0 2 3 5 6", "1 2 3 5"}, true},
      // Without the colon the text shifts: the first cell stays unlit, the colon takes the 2.
      {"1234", {"", "2 5", "0 2 3 5 6", "1 2 3 5"}, false},
      {"7", {"", "", "", "0 2 5"}, false},
      {"", {"", "", "", ""}, false},
      {"99:99:99", {"0 1 2 3 5 6", "0 1 2 3 5 6", "0 1 2 3 5 6", "0 1 2 3 5 6"}, true},
  };
  const int lefts[4] = {0, 14, 31, 45};
  for (const TCase& c : cases) {
    TDBitmap bitmap;
    bitmap.SetSize(60, 20, Black);
    displ.DrawTextAt(bitmap, c.Text, ef16, 0, 0);
    for (int cell = 0; cell < 4; ++cell)
      EXPECT_EQ(ProbeColours(bitmap, lefts[cell]), Expected(c.Cells[cell], false, Unlit))
          << c.Text.toStdString() << ", cell " << cell;
    EXPECT_EQ(ColorAt(bitmap, 29, 4), c.Colon ? Lit : Unlit) << c.Text.toStdString();
    EXPECT_EQ(ColorAt(bitmap, 29, 13), c.Colon ? Lit : Unlit) << c.Text.toStdString();
    EXPECT_EQ(ColorAt(bitmap, 28, 4), Black);
    EXPECT_EQ(ColorAt(bitmap, 30, 13), Black);
  }
}

TEST(TDisplLayout, ADotTakesADotOrTheDecimalSeparatorElseTheTextStays) {
  const std::string saved = DecimalSep;
  TDispl displ = ProbeDispl();
  displ.SetFormat("8.8");
  struct TCase {
    std::string Separator;
    QString Text;
    const char* First;
    bool Dot;
    const char* Last;
  };
  const TCase cases[] = {
      {".", "1.5", "2 5", true, "0 1 3 5 6"},
      {",", "1,5", "2 5", true, "0 1 3 5 6"},
      {",", "1.5", "2 5", true, "0 1 3 5 6"},
      // A digit meets the dot cell: the dot stays unlit and the digit goes to the next cell.
      {".", "15", "", false, "2 5"},
      {",", "1;5", "2 5", false, ""},
  };
  for (const TCase& c : cases) {
    DecimalSep = c.Separator;
    TDBitmap bitmap;
    bitmap.SetSize(40, 20, Black);
    displ.DrawTextAt(bitmap, c.Text, ef16, 0, 0);
    EXPECT_EQ(ProbeColours(bitmap, 0), Expected(c.First, false, Unlit)) << c.Text.toStdString();
    EXPECT_EQ(ColorAt(bitmap, 15, 18), c.Dot ? Lit : Unlit) << c.Text.toStdString();
    EXPECT_EQ(ProbeColours(bitmap, 17), Expected(c.Last, false, Unlit)) << c.Text.toStdString();
  }
  // The decimal separator in the format is a dot cell too.
  DecimalSep = ",";
  displ.SetFormat("8;8");
  DecimalSep = ";";
  TDBitmap bitmap;
  bitmap.SetSize(40, 20, Black);
  displ.DrawTextAt(bitmap, "1;5", ef16, 0, 0);
  EXPECT_EQ(ColorAt(bitmap, 15, 18), Lit);
  DecimalSep = saved;
}

TEST(TDisplLayout, ACommaHangsBelowTheCellBeforeIt) {
  TDispl displ = ProbeDispl();
  displ.SetFormat("8,8");
  TDBitmap bitmap;
  bitmap.SetSize(40, 25, Black);
  displ.DrawTextAt(bitmap, "1,5", ef16, 0, 0);
  // One pixel right of the first cell, from the bottom row down one thickness.
  EXPECT_EQ(ColorAt(bitmap, 15, 18), Lit);
  EXPECT_EQ(ColorAt(bitmap, 15, 19), Lit);
  EXPECT_EQ(ColorAt(bitmap, 15, 20), Black);
  EXPECT_EQ(ColorAt(bitmap, 14, 19), Black);
  EXPECT_EQ(ProbeColours(bitmap, 17), Expected("0 1 3 5 6", false, Unlit));
  displ.DrawTextAt(bitmap, "1.5", ef16, 0, 0);
  EXPECT_EQ(ColorAt(bitmap, 15, 19), Unlit);
}

TEST(TDisplLayout, ThickSegmentsHavePointedEnds) {
  TDispl displ = ProbeDispl();
  displ.SetSizeT(2);
  displ.SetFormat("8");
  TDBitmap bitmap;
  bitmap.SetSize(20, 20, Black);
  displ.DrawTextAt(bitmap, "8", ef16, 0, 0);
  struct TCase {
    int X, Y;
    TColor Expected;
  };
  const TCase cases[] = {
      // The top bar: its second line is one pixel shorter at each end.
      {2, 0, Lit},
      {11, 0, Lit},
      {2, 1, Black},
      {3, 1, Lit},
      {10, 1, Lit},
      {11, 1, Black},
      // The upper-left vertical likewise.
      {0, 2, Lit},
      {1, 2, Black},
      {1, 3, Lit},
      {1, 6, Lit},
      {1, 7, Black},
      // The middle bar's second line lies below its base line.
      {7, 9, Lit},
      {7, 10, Lit},
      {2, 10, Black},
      // The upper-right vertical's second line lies left of the edge.
      {12, 3, Lit},
      {13, 7, Lit},
      {12, 7, Black},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ColorAt(bitmap, c.X, c.Y), c.Expected) << c.X << ", " << c.Y;
}

TEST(TDisplSizes, MeasureFollowsTheFormat) {
  struct TCase {
    QString Format;
    int Spacing, Width, Height;
  };
  // The default sizes: cells 8 x 15, thickness 1.
  const TCase cases[] = {
      {"8", 0, 8, 15},    {"88", 0, 16, 15},  {"88", 3, 19, 15},  {"88:88", 0, 35, 15},
      {"8.8", 0, 19, 15}, {"8,8", 0, 19, 16}, {"8,8", 5, 21, 16}, {" 8", 0, 16, 15},
      {"8 ", 2, 18, 15},  {"A", 0, 8, 15},    {"", 0, 0, 0},
  };
  for (const TCase& c : cases) {
    TDispl displ;
    displ.SetFormat(c.Format);
    displ.SetSpacing(static_cast<std::uint8_t>(c.Spacing));
    int width = -1, height = -1;
    displ.Measure(width, height);
    EXPECT_EQ(width, c.Width) << c.Format.toStdString() << " spacing " << c.Spacing;
    EXPECT_EQ(height, c.Height) << c.Format.toStdString() << " spacing " << c.Spacing;
  }
}

TEST(TDisplSizes, MeasureAgreesWithWhatIsDrawn) {
  const QString formats[] = {"88:88", "8.8", "XX", "88,8", "8"};
  for (std::uint8_t size = 0; size <= 4; ++size)
    for (const QString& format : formats) {
      TDispl displ;
      displ.SetSize(size);
      displ.SetFormat(format);
      displ.SetColorA(clWhite);
      displ.SetColorD(clWhite);
      int width = 0, height = 0;
      displ.Measure(width, height);
      TDBitmap bitmap;
      bitmap.SetSize(120, 60, Black);
      QString text = format;
      text.replace('8', '8').replace('X', '8');
      displ.DrawTextAt(bitmap, text, ef16, 10, 10);
      QRect drawn;
      for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
          if (ColorAt(bitmap, x, y) != Black)
            drawn |= QRect(x, y, 1, 1);
      EXPECT_EQ(drawn, QRect(10, 10, width, height))
          << format.toStdString() << " at size " << int(size);
    }
}

TEST(TDisplSizes, ZeroSizesCountAsOneAndTheThicknessIsLimited) {
  struct TCase {
    int SizeX, SizeY, SizeT, Width, Height;
  };
  // "8." with no gaps: a cell sx wide and 2 sy - 1 high, then the dot, t wide after a pixel.
  const TCase cases[] = {
      {0, 0, 0, 1 + 1 + 1, 1}, {3, 9, 5, 3 + 1 + 2, 17}, {9, 3, 5, 9 + 1 + 2, 5},
      {4, 4, 1, 4 + 1 + 1, 7}, {8, 8, 3, 8 + 1 + 3, 15},
  };
  for (const TCase& c : cases) {
    TDispl displ;
    displ.SetSpaceSX(0);
    displ.SetSpaceSY(0);
    displ.SetSizeX(static_cast<std::uint8_t>(c.SizeX));
    displ.SetSizeY(static_cast<std::uint8_t>(c.SizeY));
    displ.SetSizeT(static_cast<std::uint8_t>(c.SizeT));
    displ.SetFormat("8.");
    int width = 0, height = 0;
    displ.Measure(width, height);
    EXPECT_EQ(width, c.Width) << c.SizeX << " " << c.SizeY << " " << c.SizeT;
    EXPECT_EQ(height, c.Height) << c.SizeX << " " << c.SizeY << " " << c.SizeT;
  }
}

TEST(TDisplSizes, PresetsSetTheSixSizes) {
  struct TCase {
    int Size, T, Spacing, S, Space;
  };
  const TCase cases[] = {
      {1, 1, 1, 3, 1}, {2, 2, 2, 5, 1}, {3, 3, 3, 6, 2}, {4, 4, 4, 10, 3}, {0, 0, 0, 0, 0}};
  TDispl displ;
  for (const TCase& c : cases) {
    displ.SetSize(static_cast<std::uint8_t>(c.Size));
    EXPECT_EQ(displ.Size(), c.Size);
    EXPECT_EQ(displ.SizeT(), c.T) << c.Size;
    EXPECT_EQ(displ.Spacing(), c.Spacing) << c.Size;
    EXPECT_EQ(displ.SizeX(), c.S) << c.Size;
    EXPECT_EQ(displ.SizeY(), c.S) << c.Size;
    EXPECT_EQ(displ.SpaceSX(), c.Space) << c.Size;
    EXPECT_EQ(displ.SpaceSY(), c.Space) << c.Size;
  }
  displ.SetSize(7);
  EXPECT_EQ(displ.Size(), 7);
  EXPECT_EQ(displ.SizeX(), 0) << "no preset for 7";
}

TEST(TDisplSettings, DefaultsAndNotifications) {
  TDispl displ;
  EXPECT_FALSE(displ.Enabled());
  EXPECT_TRUE(displ.Format().isEmpty());
  EXPECT_EQ(displ.SizeX(), 4);
  EXPECT_EQ(displ.SizeY(), 4);
  EXPECT_EQ(displ.SpaceSX(), 2);
  EXPECT_EQ(displ.SpaceSY(), 2);
  EXPECT_EQ(displ.SizeT(), 1);
  EXPECT_EQ(displ.Spacing(), 0);
  EXPECT_EQ(displ.ColorA(), 255);
  EXPECT_EQ(displ.ColorD(), 128);
  EXPECT_EQ(displ.Size(), 0);

  int changes = 0;
  displ.OnChange = [&] { ++changes; };
  displ.SetSizeX(6);
  displ.SetColorA(clWhite);
  displ.SetSize(2);
  EXPECT_EQ(changes, 0) << "a disabled display shows nothing of its sizes";
  displ.SetFormat("88");
  EXPECT_EQ(changes, 1);
  displ.SetFormat("88");
  EXPECT_EQ(changes, 1);
  displ.SetEnabled(true);
  EXPECT_EQ(changes, 2);
  displ.SetSizeY(9);
  displ.SetSpaceSX(4);
  displ.SetColorD(clNone);
  EXPECT_EQ(changes, 5);
  displ.SetSizeY(9);
  EXPECT_EQ(changes, 5);

  TDispl copy;
  int copyChanges = 0;
  copy.OnChange = [&] { ++copyChanges; };
  copy = displ;
  EXPECT_EQ(copyChanges, 1);
  EXPECT_EQ(copy.SizeY(), 9);
  EXPECT_EQ(copy.ColorD(), clNone);
  EXPECT_EQ(copy.Format(), "88");
  copy.SetSizeY(3);
  EXPECT_EQ(displ.SizeY(), 9) << "a copy, not a share";
  EXPECT_EQ(changes, 5);
}

TEST(TDisplPlacement, DrawTextKeepsTwoPixelsFromTheChosenEdges) {
  TDispl displ;
  displ.SetFormat("8");
  displ.SetColorA(clWhite);
  displ.SetColorD(clWhite);
  struct TCase {
    int Layout, Alignment;
    QPoint TopLeft;
  };
  // An 8 x 15 cell in the rectangle (10, 5) ... (109, 44).
  const TCase cases[] = {
      {0, 0, {12, 7}}, {2, 1, {100, 28}}, {1, 2, {56, 17}}, {0, 1, {100, 7}}, {2, 0, {12, 28}}};
  for (const TCase& c : cases) {
    TDBitmap bitmap;
    bitmap.SetSize(120, 60, Black);
    displ.DrawText(bitmap, "8", ef16, c.Layout, c.Alignment, {10, 5, 109, 44});
    QRect drawn;
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        if (ColorAt(bitmap, x, y) != Black)
          drawn |= QRect(x, y, 1, 1);
    EXPECT_EQ(drawn, QRect(c.TopLeft, QSize(8, 15))) << c.Layout << " " << c.Alignment;
  }
}

TEST(TDisplPlacement, SegmentsAreCombinedThroughTheEffect) {
  TDispl displ = ProbeDispl();
  displ.SetFormat("8");
  TDBitmap bitmap;
  bitmap.SetSize(20, 20, RGBColor(100, 100, 100));
  displ.DrawTextAt(bitmap, "1", ef08, 0, 0);
  EXPECT_EQ(ColorAt(bitmap, 13, 5), RGBColor(177, 50, 50)) << "(100 + 255) / 2, 100 / 2";
  EXPECT_EQ(ColorAt(bitmap, 7, 0), RGBColor(50, 50, 114)) << "(100 + 128) / 2";
}

} // namespace

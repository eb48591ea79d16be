#include "ui/uDispl.h"

#include "text/uOutputFormat.h"

#include <algorithm>
#include <initializer_list>
#include <span>
#include <vector>

namespace {

constexpr std::uint16_t Bits(std::initializer_list<int> Segments) {
  std::uint16_t mask = 0;
  for (int segment : Segments)
    mask = static_cast<std::uint16_t>(mask | (1u << segment));
  return mask;
}

struct TPattern {
  char Character;
  std::uint16_t Seven, Fifteen;
};

// The lit segments of every character that has a pattern, in a 7-segment and a 15-segment cell.
constexpr TPattern Patterns[] = {
    {' ', Bits({}), Bits({})},
    {'-', Bits({3}), Bits({13, 14})},
    {'0', Bits({0, 1, 2, 4, 5, 6}), Bits({0, 1, 2, 4, 5, 6})},
    {'1', Bits({2, 5}), Bits({2, 5})},
    {'2', Bits({0, 2, 3, 4, 6}), Bits({0, 2, 4, 6, 13, 14})},
    {'3', Bits({0, 2, 3, 5, 6}), Bits({0, 2, 5, 6, 13, 14})},
    {'4', Bits({1, 2, 3, 5}), Bits({1, 2, 5, 13, 14})},
    {'5', Bits({0, 1, 3, 5, 6}), Bits({0, 1, 5, 6, 13, 14})},
    {'6', Bits({0, 1, 3, 4, 5, 6}), Bits({0, 1, 4, 5, 6, 13, 14})},
    {'7', Bits({0, 2, 5}), Bits({0, 2, 5})},
    {'8', Bits({0, 1, 2, 3, 4, 5, 6}), Bits({0, 1, 2, 4, 5, 6, 13, 14})},
    {'9', Bits({0, 1, 2, 3, 5, 6}), Bits({0, 1, 2, 5, 6, 13, 14})},
    {'A', Bits({0, 1, 2, 3, 4, 5}), Bits({0, 1, 2, 4, 5, 13, 14})},
    {'B', Bits({1, 3, 4, 5, 6}), Bits({0, 2, 5, 6, 8, 11, 14})},
    {'C', Bits({0, 1, 4, 6}), Bits({0, 1, 4, 6})},
    {'D', Bits({2, 3, 4, 5, 6}), Bits({0, 2, 5, 6, 8, 11})},
    {'E', Bits({0, 1, 3, 4, 6}), Bits({0, 1, 4, 6, 13})},
    {'F', Bits({0, 1, 3, 4}), Bits({0, 1, 4, 13})},
    {'G', Bits({0, 1, 4, 5, 6}), Bits({0, 1, 4, 5, 6, 14})},
    {'H', Bits({1, 3, 4, 5}), Bits({1, 2, 4, 5, 13, 14})},
    {'I', Bits({2, 5}), Bits({0, 6, 8, 11})},
    {'J', Bits({2, 4, 5, 6}), Bits({2, 4, 5, 6})},
    {'K', Bits({1, 2, 3, 4, 5}), Bits({8, 9, 11, 12})},
    {'L', Bits({1, 4, 6}), Bits({1, 4, 6})},
    {'M', Bits({0, 1, 2, 4, 5}), Bits({1, 2, 4, 5, 7, 9})},
    {'N', Bits({3, 4, 5}), Bits({1, 2, 4, 5, 7, 12})},
    {'O', Bits({3, 4, 5, 6}), Bits({4, 5, 6, 13, 14})},
    {'P', Bits({0, 1, 2, 3, 4}), Bits({0, 1, 2, 4, 13, 14})},
    {'Q', Bits({0, 1, 2, 3, 5}), Bits({0, 1, 2, 4, 5, 6, 12})},
    {'R', Bits({3, 4}), Bits({0, 1, 2, 4, 12, 13, 14})},
    {'S', Bits({0, 1, 3, 5, 6}), Bits({0, 1, 5, 6, 13, 14})},
    {'T', Bits({1, 3, 4, 6}), Bits({0, 8, 11})},
    {'U', Bits({1, 2, 4, 5, 6}), Bits({1, 2, 4, 5, 6})},
    {'V', Bits({4, 5, 6}), Bits({1, 4, 9, 10})},
    {'W', Bits({1, 2, 3, 4, 5, 6}), Bits({1, 2, 4, 5, 6, 11})},
    {'X', Bits({1, 2, 3, 4, 5}), Bits({7, 9, 10, 12})},
    {'Y', Bits({1, 2, 3, 5, 6}), Bits({7, 9, 11})},
    {'Z', Bits({0, 2, 3, 4, 6}), Bits({0, 6, 9, 10})},
};

constexpr int SevenSegments[] = {0, 1, 2, 3, 4, 5, 6};
constexpr int FifteenSegments[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};

// The effective sizes and the base lines of a cell (see the header).
struct TGeometry {
  int SX, SY, T, GX, GY;
  int W, H, M, B, R, C;
};

// Where a display element goes, and what it shows.
struct TElement {
  enum TKind : std::uint8_t {
    Blank,
    Seven,
    Fifteen,
    Dot,
    Colon,
    Comma
  } Kind;
  int Left;        // the cell's left column, or the block's for dots, colons and commas
  int Right;       // its right column
  QChar Character; // of a 7- or 15-segment cell; null for none
  bool Lit = false;
};

// The offsets of the lines of a segment drawn on both sides of its base line: 0, 1, -1, 2, -2 ...
int Alternating(int K) {
  return K % 2 == 1 ? (K + 1) / 2 : -(K / 2);
}

QChar DecimalSeparator() {
  const QString separator = QString::fromStdString(DecimalSep);
  return separator.size() == 1 ? separator[0] : QChar('.');
}

} // namespace

std::uint16_t SegmentMask(QChar Character, bool FifteenSegments) {
  const QChar upper = Character.toUpper();
  for (const TPattern& pattern : Patterns)
    if (upper == QLatin1Char(pattern.Character))
      return FifteenSegments ? pattern.Fifteen : pattern.Seven;
  return 0;
}

namespace {

TGeometry GeometryOf(const TDispl& Displ) {
  TGeometry g{};
  g.SX = std::max(1, int(Displ.SizeX()));
  g.SY = std::max(1, int(Displ.SizeY()));
  g.T = std::min({std::max(1, int(Displ.SizeT())), (g.SX + 1) / 2, (g.SY + 1) / 2});
  g.GX = Displ.SpaceSX();
  g.GY = Displ.SpaceSY();
  g.W = g.SX + 2 * g.GX;
  g.H = 2 * g.SY + 4 * g.GY - 1;
  g.M = g.SY + 2 * g.GY - 1;
  g.B = g.H - 1;
  g.R = g.W - 1;
  g.C = g.R / 2;
  return g;
}

// The elements of Text in Format, from column 0; Width and Height as Measure gives them.
std::vector<TElement> LayOut(const TDispl& Displ, const TGeometry& G, const QString& Text,
                             int& Width, int& Height) {
  const QString& format = Displ.Format();
  const QChar decimal = DecimalSeparator();
  const int spacing = Displ.Spacing();
  std::vector<TElement> elements;
  elements.reserve(static_cast<std::size_t>(format.size()));
  // Text is aligned to the right end of the format: a negative index is a cell without text.
  qsizetype ti = Text.size() - format.size();
  int x = 0;
  bool comma = false;
  for (QChar f : format) {
    const QChar c = ti >= 0 && ti < Text.size() ? Text[ti] : QChar();
    if (f == QLatin1Char(',')) {
      comma = true;
      const int left = x - spacing + 1;
      elements.push_back({TElement::Comma, left, left + G.T - 1, {}, c == QLatin1Char(',')});
      if (spacing < G.T + 2)
        x += G.T + 2 - spacing;
      ++ti;
    } else if (f == QLatin1Char('.') || f == decimal) {
      const bool lit = c == QLatin1Char('.') || (c == decimal && !c.isNull());
      elements.push_back({TElement::Dot, x + 1, x + G.T, {}, lit});
      // The text's position stays on a dot cell that its character does not light.
      if (lit)
        ++ti;
      x += G.T + 2;
    } else if (f == QLatin1Char(':')) {
      elements.push_back({TElement::Colon, x + 1, x + G.T, {}, c == QLatin1Char(':')});
      x += G.T + 2;
      ++ti;
    } else {
      const auto kind = f == QLatin1Char(' ')   ? TElement::Blank
                        : f == QLatin1Char('8') ? TElement::Seven
                                                : TElement::Fifteen;
      elements.push_back({kind, x, x + G.W - 1, c, false});
      x += G.W + spacing;
      ++ti;
    }
  }
  if (elements.empty()) {
    Width = Height = 0;
    return elements;
  }
  int left = elements.front().Left, right = elements.front().Right;
  for (const TElement& element : elements) {
    left = std::min(left, element.Left);
    right = std::max(right, element.Right);
  }
  // A comma first in the format may hang left of column 0: everything moves right.
  const int shift = std::max(0, -left);
  for (TElement& element : elements) {
    element.Left += shift;
    element.Right += shift;
  }
  Width = right + shift + 1;
  Height = G.H + (comma ? G.T : 0);
  return elements;
}

// Draws segment S of the cell whose top-left corner is (X, Y).
void DrawSegment(TDBitmap& Bitmap, const TGeometry& G, int X, int Y, int S, TColor Color,
                 TEffect Effect) {
  const int gx1 = std::max(1, G.GX), gy1 = std::max(1, G.GY);
  // The outer base lines lie far enough inside for the lines outward of them.
  const int e = (G.T - 1) / 2;
  for (int k = 0; k < G.T; ++k) {
    const int o = Alternating(k), d = o < 0 ? -o : o;
    const auto line = [&](int X1, int Y1, int X2, int Y2) {
      Bitmap.DrawLine(X + X1, Y + Y1, X + X2, Y + Y2, Color, Effect);
    };
    switch (S) {
    case sgTop:
      line(G.GX + d, e + o, G.GX + G.SX - 1 - d, e + o);
      break;
    case sgBottom:
      line(G.GX + d, G.B - e - o, G.GX + G.SX - 1 - d, G.B - e - o);
      break;
    case sgMiddle:
      line(G.GX + d, G.M + o, G.GX + G.SX - 1 - d, G.M + o);
      break;
    case sgMiddleLeft:
      line(G.GX + d, G.M + o, G.C, G.M + o);
      break;
    case sgMiddleRight:
      line(G.C, G.M + o, G.GX + G.SX - 1 - d, G.M + o);
      break;
    case sgUpperLeft:
      line(e + o, G.GY + d, e + o, G.GY + G.SY - 1 - d);
      break;
    case sgLowerLeft:
      line(e + o, G.M + G.GY + d, e + o, G.M + G.GY + G.SY - 1 - d);
      break;
    case sgUpperRight:
      line(G.R - e - o, G.GY + d, G.R - e - o, G.GY + G.SY - 1 - d);
      break;
    case sgLowerRight:
      line(G.R - e - o, G.M + G.GY + d, G.R - e - o, G.M + G.GY + G.SY - 1 - d);
      break;
    case sgUpperCentre:
      line(G.C + o, G.GY + d, G.C + o, G.GY + G.SY - 1 - d);
      break;
    case sgLowerCentre:
      line(G.C + o, G.M + G.GY + d, G.C + o, G.M + G.GY + G.SY - 1 - d);
      break;
    case sgUpperLeftDiag:
      line(G.GX + o, G.GY, std::max(G.GX, G.C - gx1) + o, std::max(G.GY, G.M - gy1));
      break;
    case sgUpperRightDiag:
      line(G.R - G.GX + o, G.GY, std::min(G.R - G.GX, G.C + gx1) + o, std::max(G.GY, G.M - gy1));
      break;
    case sgLowerLeftDiag:
      line(G.GX + o, G.B - G.GY, std::max(G.GX, G.C - gx1) + o, std::min(G.B - G.GY, G.M + gy1));
      break;
    case sgLowerRightDiag:
      line(G.R - G.GX + o, G.B - G.GY, std::min(G.R - G.GX, G.C + gx1) + o,
           std::min(G.B - G.GY, G.M + gy1));
      break;
    default:
      break;
    }
  }
}

} // namespace

void TDispl::Assign(const TDispl& Other) {
  if (this == &Other)
    return;
  Enabled_ = Other.Enabled_;
  Format_ = Other.Format_;
  SizeX_ = Other.SizeX_;
  SizeY_ = Other.SizeY_;
  SpaceSX_ = Other.SpaceSX_;
  SpaceSY_ = Other.SpaceSY_;
  SizeT_ = Other.SizeT_;
  Spacing_ = Other.Spacing_;
  ColorA_ = Other.ColorA_;
  ColorD_ = Other.ColorD_;
  Size_ = Other.Size_;
  Changed(true);
}

void TDispl::Changed(bool Always) {
  if ((Always || Enabled_) && OnChange)
    OnChange();
}

void TDispl::SetEnabled(bool Value) {
  if (Value == Enabled_)
    return;
  Enabled_ = Value;
  Changed(true);
}

void TDispl::SetFormat(const QString& Value) {
  if (Value == Format_)
    return;
  Format_ = Value;
  Changed(true);
}

namespace {

// Stores Value in Field; true when it changed.
template <class T>
bool Store(T& Field, T Value) {
  if (Field == Value)
    return false;
  Field = Value;
  return true;
}

} // namespace

void TDispl::SetSizeX(std::uint8_t Value) {
  if (Store(SizeX_, Value))
    Changed(false);
}

void TDispl::SetSizeY(std::uint8_t Value) {
  if (Store(SizeY_, Value))
    Changed(false);
}

void TDispl::SetSpaceSX(std::uint8_t Value) {
  if (Store(SpaceSX_, Value))
    Changed(false);
}

void TDispl::SetSpaceSY(std::uint8_t Value) {
  if (Store(SpaceSY_, Value))
    Changed(false);
}

void TDispl::SetSizeT(std::uint8_t Value) {
  if (Store(SizeT_, Value))
    Changed(false);
}

void TDispl::SetSpacing(std::uint8_t Value) {
  if (Store(Spacing_, Value))
    Changed(false);
}

void TDispl::SetColorA(TColor Value) {
  if (Store(ColorA_, Value))
    Changed(false);
}

void TDispl::SetColorD(TColor Value) {
  if (Store(ColorD_, Value))
    Changed(false);
}

void TDispl::SetSize(std::uint8_t Value) {
  struct TPreset {
    std::uint8_t T, Spacing, S, Space;
  };
  constexpr TPreset presets[] = {
      {0, 0, 0, 0}, {1, 1, 3, 1}, {2, 2, 5, 1}, {3, 3, 6, 2}, {4, 4, 10, 3}};
  bool changed = Store(Size_, Value);
  if (Value < std::size(presets)) {
    const TPreset& p = presets[Value];
    changed |= Store(SizeT_, p.T);
    changed |= Store(Spacing_, p.Spacing);
    changed |= Store(SizeX_, p.S);
    changed |= Store(SizeY_, p.S);
    changed |= Store(SpaceSX_, p.Space);
    changed |= Store(SpaceSY_, p.Space);
  }
  if (changed)
    Changed(false);
}

void TDispl::Measure(int& Width, int& Height) const {
  LayOut(*this, GeometryOf(*this), QString(), Width, Height);
}

void TDispl::DrawText(TDBitmap& Bitmap, const QString& Text, TEffect Effect, int Layout,
                      int Alignment, const TRect& Rect) const {
  int width = 0, height = 0;
  Measure(width, height);
  const int rectWidth = Rect.Right - Rect.Left + 1, rectHeight = Rect.Bottom - Rect.Top + 1;
  const int x = Alignment == 0   ? Rect.Left + 2
                : Alignment == 1 ? Rect.Right - 1 - width
                                 : Rect.Left + (rectWidth - width) / 2;
  const int y = Layout == 0   ? Rect.Top + 2
                : Layout == 2 ? Rect.Bottom - 1 - height
                              : Rect.Top + (rectHeight - height) / 2;
  DrawTextAt(Bitmap, Text, Effect, x, y);
}

void TDispl::DrawTextAt(TDBitmap& Bitmap, const QString& Text, TEffect Effect, int X, int Y) const {
  const TGeometry g = GeometryOf(*this);
  int width = 0, height = 0;
  const std::vector<TElement> elements = LayOut(*this, g, Text, width, height);
  const auto block = [&](int Left, int Top, int Bottom, bool Lit) {
    const TColor colour = Lit ? ColorA_ : ColorD_;
    if (colour != clNone)
      Bitmap.Bar(X + Left, Y + Top, X + Left + g.T - 1, Y + Bottom, colour, ef16);
  };
  for (const TElement& element : elements) {
    switch (element.Kind) {
    case TElement::Blank:
      break;
    case TElement::Dot:
      block(element.Left, g.B - g.T + 1, g.B, element.Lit);
      break;
    case TElement::Colon: {
      const int upper = g.M / 2 - (g.T - 1) / 2, lower = (g.M + g.B) / 2 - (g.T - 1) / 2;
      block(element.Left, upper, upper + g.T - 1, element.Lit);
      block(element.Left, lower, lower + g.T - 1, element.Lit);
      break;
    }
    case TElement::Comma:
      block(element.Left, g.B - g.T + 1, g.B + g.T, element.Lit);
      break;
    case TElement::Seven:
    case TElement::Fifteen: {
      const bool fifteen = element.Kind == TElement::Fifteen;
      const std::uint16_t mask =
          element.Character.isNull() ? 0 : SegmentMask(element.Character, fifteen);
      const auto segments =
          fifteen ? std::span<const int>(FifteenSegments) : std::span<const int>(SevenSegments);
      // Unlit first, so that a lit segment wins where two meet.
      if (ColorD_ != clNone)
        for (int s : segments)
          if (!(mask & (1u << s)))
            DrawSegment(Bitmap, g, X + element.Left, Y, s, ColorD_, Effect);
      for (int s : segments)
        if (mask & (1u << s))
          DrawSegment(Bitmap, g, X + element.Left, Y, s, ColorA_, Effect);
      break;
    }
    }
  }
}

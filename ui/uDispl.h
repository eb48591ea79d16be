#pragma once

// TDispl, the settings of a segmented LED-style display, and the drawing of text in its cells:
// digits in 7-segment cells, letters in 15-segment cells, dots, colons and commas. A label shows
// its caption this way while the display is Enabled.
//
// Cell geometry, in pixels from a cell's top-left corner, with the effective sizes
//   sx = max(1, SizeX), sy = max(1, SizeY), t = max(1, SizeT) kept within (sx + 1) div 2 and
//   (sy + 1) div 2, gx = SpaceSX, gy = SpaceSY:
// a digit or letter cell is W = sx + 2 gx wide and H = 2 sy + 4 gy - 1 high; R = W - 1,
// B = H - 1, M = sy + 2 gy - 1 and e = (t - 1) div 2. The segments lie on base lines: the rows e
// (top bar), M (middle bar) and B - e (bottom bar), each bar over the columns gx ... gx + sx - 1;
// the columns e (left) and R - e (right), each vertical over the rows gy ... gy + sy - 1 (upper)
// or M + gy ... M + gy + sy - 1 (lower). A segment is t lines along its base line, alternately
// on its inner and outer side (offsets 0, 1, -1, 2, -2 ...), each 1 pixel shorter at both ends
// per pixel of offset, which gives the segments pointed ends and keeps them inside the cell. The
// 15-segment cell adds the centre verticals on column C = R div 2 over the rows of the side
// verticals, the middle bar in two halves (gx ... C and C ... gx + sx - 1), and four diagonals
// from the inner corners (gx, gy), (R - gx, gy), (gx, B - gy), (R - gx, B - gy) towards the
// centre, ending max(1, gx) columns from C and max(1, gy) rows from M, their lines side by side.
//
// A dot is a t x t block in the columns 1 ... t of its t + 2 wide cell, resting on row B; a colon
// two such blocks centred on the rows M div 2 and (M + B) div 2; a comma a block t wide from row
// B - t + 1 down to B + t, 1 pixel right of the cell before it. Unlit segments are drawn first,
// lit ones over them.

#include "graphics/uColors.h"
#include "ui/uDBitmap.h"

#include <QString>
#include <cstdint>
#include <functional>

// Segment numbers.
enum TSegment : std::uint8_t {
  sgTop,            // 0
  sgUpperLeft,      // 1
  sgUpperRight,     // 2
  sgMiddle,         // 3, 7-segment cells only
  sgLowerLeft,      // 4
  sgLowerRight,     // 5
  sgBottom,         // 6
  sgUpperLeftDiag,  // 7
  sgUpperCentre,    // 8
  sgUpperRightDiag, // 9
  sgLowerLeftDiag,  // 10
  sgLowerCentre,    // 11
  sgLowerRightDiag, // 12
  sgMiddleLeft,     // 13
  sgMiddleRight,    // 14
};
inline constexpr int SegmentCount = 15;

// The lit segments of Character in a 7-segment cell (FifteenSegments false) or a 15-segment
// cell, bit n for segment n. Letters are read without regard to case; any character outside the
// table (blank, "-", digits, letters) is blank.
std::uint16_t SegmentMask(QChar Character, bool FifteenSegments);

class TDispl {
 public:
  TDispl() = default;
  // Copies the settings, not the change handler, and notifies.
  TDispl(const TDispl& Other) { Assign(Other); }
  TDispl& operator=(const TDispl& Other) {
    Assign(Other);
    return *this;
  }
  void Assign(const TDispl& Other);

  // Called after a change that shows: any change of Enabled or Format, the others while Enabled.
  std::function<void()> OnChange;

  // Settings. Setting a value it has does nothing.

  // Captions are drawn as segments.
  bool Enabled() const noexcept { return Enabled_; }
  void SetEnabled(bool Value);
  // One character a cell: " " empty, "," comma, "." or the decimal separator dot, ":" colon, "8"
  // a 7-segment cell, anything else a 15-segment cell.
  const QString& Format() const noexcept { return Format_; }
  void SetFormat(const QString& Value);
  std::uint8_t SizeX() const noexcept { return SizeX_; }
  void SetSizeX(std::uint8_t Value);
  std::uint8_t SizeY() const noexcept { return SizeY_; }
  void SetSizeY(std::uint8_t Value);
  std::uint8_t SpaceSX() const noexcept { return SpaceSX_; }
  void SetSpaceSX(std::uint8_t Value);
  std::uint8_t SpaceSY() const noexcept { return SpaceSY_; }
  void SetSpaceSY(std::uint8_t Value);
  std::uint8_t SizeT() const noexcept { return SizeT_; }
  void SetSizeT(std::uint8_t Value);
  // Between cells.
  std::uint8_t Spacing() const noexcept { return Spacing_; }
  void SetSpacing(std::uint8_t Value);
  TColor ColorA() const noexcept { return ColorA_; }
  void SetColorA(TColor Value);
  // clNone leaves the unlit segments out.
  TColor ColorD() const noexcept { return ColorD_; }
  void SetColorD(TColor Value);
  // A preset of (SizeT, Spacing, SizeX = SizeY, SpaceSX = SpaceSY): 0 all 0; 1: 1, 1, 3, 1;
  // 2: 2, 2, 5, 1; 3: 3, 3, 6, 2; 4: 4, 4, 10, 3. Other values are stored without a preset.
  std::uint8_t Size() const noexcept { return Size_; }
  void SetSize(std::uint8_t Value);

  // The size the Format needs: the width of its cells without the spacing after the last, the
  // height of a cell, and t more when a comma hangs below it.
  void Measure(int& Width, int& Height) const;
  // Draws Text in the Format's cells, aligned to the right end of the Format, into Rect of
  // Bitmap: 2 pixels from the top (Layout 0), from the bottom (2) or centred, and 2 pixels from
  // the left (Alignment 0), from the right (1) or centred. Segments are lines in ColorA when lit
  // and ColorD when not, combined through Effect; blocks are drawn with ef16. Everything is
  // clipped to the bitmap's clip rectangle.
  void DrawText(TDBitmap& Bitmap, const QString& Text, TEffect Effect, int Layout, int Alignment,
                const TRect& Rect) const;
  // The same with the top-left corner of the first cell at (X, Y).
  void DrawTextAt(TDBitmap& Bitmap, const QString& Text, TEffect Effect, int X, int Y) const;

 private:
  // What a setter does after storing a value: notify always or only while Enabled.
  void Changed(bool Always);

  bool Enabled_ = false;
  QString Format_;
  std::uint8_t SizeX_ = 4;
  std::uint8_t SizeY_ = 4;
  std::uint8_t SpaceSX_ = 2;
  std::uint8_t SpaceSY_ = 2;
  std::uint8_t SizeT_ = 1;
  std::uint8_t Spacing_ = 0;
  TColor ColorA_ = 255;
  TColor ColorD_ = 128;
  std::uint8_t Size_ = 0;
};

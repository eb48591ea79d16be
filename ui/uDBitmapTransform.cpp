// Rotation and free axis transforms of TDBitmap.

#include "ui/uDBitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// sin(2 pi i / 1024) * 32768, rounded: with 32768 = 2^15 and the doubled centred coordinates of
// TransformDraw, a quarter turn moves a pixel by exactly 65536, one whole pixel in 16.16.
const std::array<std::int32_t, 1024>& SineTable() {
  static const std::array<std::int32_t, 1024> table = [] {
    std::array<std::int32_t, 1024> values{};
    for (int i = 0; i < 1024; ++i)
      values[i] =
          static_cast<std::int32_t>(std::lround(std::sin(2 * std::numbers::pi * i / 1024) * 32768));
    return values;
  }();
  return table;
}

// The four axis angles of each RotateDraw mode from Angle (see the header).
struct TAxes {
  std::int32_t A1, A2, A3, A4;
};

bool ModeAxes(int Mode, std::int32_t A, TAxes& Axes) {
  switch (Mode) {
  case 0:
    Axes = {A + 256, A, A + 512, A + 256};
    return true;
  case 1:
    Axes = {A + 256, A, A, A - 256};
    return true;
  case 2:
    Axes = {A - 256, A + 512, A + 512, A + 256};
    return true;
  case 3:
    Axes = {A + 512, A + 256, A + 256, A};
    return true;
  case 4:
    Axes = {256, A, 0, 256};
    return true;
  case 5:
    Axes = {256, 0, A, 256};
    return true;
  case 6:
    Axes = {256, 0, 0, A + 256};
    return true;
  case 7:
    Axes = {A + 256, 0, 0, 256};
    return true;
  case 8:
    Axes = {512, 256, 768, 512};
    return true;
  case 9:
    Axes = {768, 512, 0, 768};
    return true;
  case 10:
    Axes = {0, 768, 256, 0};
    return true;
  case 11:
    Axes = {256, A, 0, 768};
    return true;
  case 12:
    Axes = {768, 0, A, 256};
    return true;
  case 13:
    Axes = {A + 256, 0, 0, A + 256};
    return true;
  case 14:
    Axes = {A, A - 256, A - 256, A + 512};
    return true;
  default:
    return false;
  }
}

// Narrows [First, Last] to the steps i at which the 16.16 position Start + i * Step lies in the
// pixels Low ... High; false when none is left.
bool Within(std::int64_t Start, std::int64_t Step, std::int64_t Low, std::int64_t High,
            std::int64_t& First, std::int64_t& Last) {
  const std::int64_t lowest = Low * 65536, highest = (High + 1) * 65536 - 1;
  const auto floorDiv = [](std::int64_t N, std::int64_t D) {
    const std::int64_t q = N / D;
    return (N % D != 0 && ((N < 0) != (D < 0))) ? q - 1 : q;
  };
  const auto ceilDiv = [&](std::int64_t N, std::int64_t D) { return -floorDiv(-N, D); };
  if (Step == 0) {
    if (Start < lowest || Start > highest)
      return false;
  } else if (Step > 0) {
    First = std::max(First, ceilDiv(lowest - Start, Step));
    Last = std::min(Last, floorDiv(highest - Start, Step));
  } else {
    First = std::max(First, ceilDiv(highest - Start, Step));
    Last = std::min(Last, floorDiv(lowest - Start, Step));
  }
  return First <= Last;
}

} // namespace

void TDBitmap::TransformDraw(std::int32_t CenterX, std::int32_t CenterY, TEffect Effect,
                             std::int32_t Angle1, std::int32_t Angle2, std::int32_t Angle3,
                             std::int32_t Angle4, const TRect& SourceRect, const TDBitmap& Source) {
  if (Effect == ef00 || Empty() || Source.Empty())
    return;
  // A bitmap drawn onto itself: the old picture becomes the source, and the drawing goes onto
  // a new picture of the same size filled with 0x800080.
  if (&Source == this) {
    TDBitmap old;
    old.OpenGL = OpenGL;
    old.Transparent = Transparent;
    old.TransparentColor = TransparentColor;
    const TRect clip = ClipRect_;
    old.Adopt(TakeImage());
    if (!Allocate(old.Width_, old.Height_))
      return;
    const TPixel purple = ColorToPixel(0x800080);
    for (std::int32_t y = 0; y < Height_; ++y)
      std::fill(PixelAddress(0, y), PixelAddress(Width_, y), purple);
    SetClipRect(clip);
    TransformDraw(CenterX, CenterY, Effect, Angle1, Angle2, Angle3, Angle4, SourceRect, old);
    return;
  }
  // The source rectangle within the source.
  const std::int64_t left = std::max(std::min(SourceRect.Left, SourceRect.Right), 0);
  const std::int64_t top = std::max(std::min(SourceRect.Top, SourceRect.Bottom), 0);
  const std::int64_t right =
      std::min(std::max(SourceRect.Left, SourceRect.Right), Source.Width_ - 1);
  const std::int64_t bottom =
      std::min(std::max(SourceRect.Top, SourceRect.Bottom), Source.Height_ - 1);
  if (left > right || top > bottom || ClipRect_.Left > ClipRect_.Right ||
      ClipRect_.Top > ClipRect_.Bottom)
    return;
  const auto& sine = SineTable();
  const std::int64_t s1 = sine[Angle1 & 1023], s2 = sine[Angle2 & 1023];
  const std::int64_t s3 = sine[Angle3 & 1023], s4 = sine[Angle4 & 1023];
  const bool keyed = Source.Transparent && Source.TransparentColor != clNone;
  const TPixel key = Source.TransparentPixel() & PixelColorMask;
  const TEffectKernel kernel = EffectKernels[Effect < EffectCount ? Effect : ef00];
  const std::int64_t centreX = std::int64_t{CenterX} * 65536 + 0x8000;
  const std::int64_t centreY = std::int64_t{CenterY} * 65536 + 0x8000;
  const std::int64_t count = right - left + 1;
  for (std::int64_t j = top; j <= bottom; ++j) {
    const std::int64_t f = 2 * j - bottom - top;
    const std::int64_t h0 = left - right;
    // 16.16 positions plus one half, so that the arithmetic shift rounds to the nearest pixel.
    const std::int64_t x0 = h0 * s4 + f * s2 + centreX, dx = 2 * s4;
    const std::int64_t y0 = h0 * s3 + f * s1 + centreY, dy = 2 * s3;
    // The pixels of the row that land inside the clip rectangle, found before the loop.
    std::int64_t first = 0, last = count - 1;
    if (!Within(x0, dx, ClipRect_.Left, ClipRect_.Right, first, last) ||
        !Within(y0, dy, ClipRect_.Top, ClipRect_.Bottom, first, last))
      continue;
    const TPixel* from =
        Source.PixelAddress(static_cast<std::int32_t>(left), static_cast<std::int32_t>(j));
    std::int64_t x = x0 + first * dx, y = y0 + first * dy;
    if (Effect == ef16 && !keyed) {
      for (std::int64_t i = first; i <= last; ++i, x += dx, y += dy)
        *PixelAddress(static_cast<std::int32_t>(x >> 16), static_cast<std::int32_t>(y >> 16)) =
            from[i];
      continue;
    }
    for (std::int64_t i = first; i <= last; ++i, x += dx, y += dy) {
      if (keyed && (from[i] & PixelColorMask) == key)
        continue;
      TPixel* target =
          PixelAddress(static_cast<std::int32_t>(x >> 16), static_cast<std::int32_t>(y >> 16));
      kernel(&from[i], target, target + 1);
    }
  }
}

void TDBitmap::RotateDraw(std::int32_t CenterX, std::int32_t CenterY, const TDBitmap& Source,
                          std::int32_t Angle, int Mode, TEffect Effect) {
  TAxes axes;
  if (!ModeAxes(Mode, Angle, axes))
    return;
  TransformDraw(CenterX, CenterY, Effect, axes.A1, axes.A2, axes.A3, axes.A4,
                TRect{0, 0, Source.Width_ - 1, Source.Height_ - 1}, Source);
}

void TDBitmap::RotateDraw(const TDBitmap& Source, std::int32_t Angle, int Mode, TEffect Effect) {
  RotateDraw(Width_ / 2, Height_ / 2, Source, Angle, Mode, Effect);
}

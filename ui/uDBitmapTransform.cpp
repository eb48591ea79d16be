// Rotation, free axis transforms and area-averaging resizing of TDBitmap.

#include "report/uMsg.h"
#include "ui/uDBitmap.h"
#include "ui/uPictureLimits.h"

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

// One source pixel's share of a target pixel along one axis: the source index and the length
// covered, in units where a source pixel is as long as the target and a target pixel as long as
// the source.
struct TShare {
  std::int32_t Index;
  std::uint32_t Weight;
};

// For every target pixel, the first of its shares in Shares; the last entry ends the list.
struct TShares {
  std::vector<TShare> Shares;
  std::vector<std::size_t> First;
};

TShares MakeShares(std::int64_t SourceSize, std::int64_t TargetSize) {
  TShares result;
  result.First.reserve(static_cast<std::size_t>(TargetSize) + 1);
  for (std::int64_t t = 0; t < TargetSize; ++t) {
    result.First.push_back(result.Shares.size());
    const std::int64_t begin = t * SourceSize, end = begin + SourceSize;
    for (std::int64_t s = begin / TargetSize; s * TargetSize < end; ++s) {
      const std::int64_t covered =
          std::min(end, (s + 1) * TargetSize) - std::max(begin, s * TargetSize);
      if (covered > 0)
        result.Shares.push_back(
            {static_cast<std::int32_t>(s), static_cast<std::uint32_t>(covered)});
    }
  }
  result.First.push_back(result.Shares.size());
  return result;
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
  const std::int64_t clipLeft = ClipRect_.Left, clipTop = ClipRect_.Top;
  const auto clipWidth = static_cast<std::uint64_t>(ClipRect_.Right - ClipRect_.Left);
  const auto clipHeight = static_cast<std::uint64_t>(ClipRect_.Bottom - ClipRect_.Top);
  const std::int64_t centreX = std::int64_t{CenterX} * 65536 + 0x8000;
  const std::int64_t centreY = std::int64_t{CenterY} * 65536 + 0x8000;
  for (std::int64_t j = top; j <= bottom; ++j) {
    const std::int64_t f = 2 * j - bottom - top;
    const std::int64_t h0 = 2 * left - right - left;
    // 16.16 positions plus one half, so that the arithmetic shift rounds to the nearest pixel.
    std::int64_t x = h0 * s4 + f * s2 + centreX;
    std::int64_t y = h0 * s3 + f * s1 + centreY;
    const TPixel* from =
        Source.PixelAddress(static_cast<std::int32_t>(left), static_cast<std::int32_t>(j));
    for (std::int64_t i = 0; i <= right - left; ++i, x += 2 * s4, y += 2 * s3) {
      const std::int64_t px = (x >> 16) - clipLeft, py = (y >> 16) - clipTop;
      if (static_cast<std::uint64_t>(px) > clipWidth || static_cast<std::uint64_t>(py) > clipHeight)
        continue;
      const TPixel pixel = from[i];
      if (keyed && (pixel & PixelColorMask) == key)
        continue;
      TPixel* target = PixelAddress(static_cast<std::int32_t>(px + clipLeft),
                                    static_cast<std::int32_t>(py + clipTop));
      if (Effect == ef16)
        *target = pixel;
      else
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

void TDBitmap::Resize(std::int32_t NewWidth, std::int32_t NewHeight, const TProgress& Progress,
                      const TDBitmap* Source) {
  if (NewWidth <= 0 || NewHeight <= 0)
    return;
  if (!Source)
    Source = this;
  // An empty source has nothing to average.
  if (Source->Empty())
    return;
  if (NewWidth == Source->Width_ && NewHeight == Source->Height_) {
    CopyFrom(Source);
    return;
  }
  TDBitmap own;
  if (Source == this) {
    own.Adopt(TakeImage());
    own.OpenGL = OpenGL;
    own.Transparent = Transparent;
    own.TransparentColor = TransparentColor;
    Source = &own;
  }
  const TDBitmap& source = *Source;
  const std::int64_t sw = source.Width_, sh = source.Height_;
  const TShares across = MakeShares(sw, NewWidth);
  const TShares down = MakeShares(sh, NewHeight);
  const bool keyed = source.Transparent && source.TransparentColor != clNone;
  const TPixel key = source.TransparentPixel() & PixelColorMask;
  const TColor transparentColor = source.TransparentColor;
  const bool transparent = source.Transparent;

  QImage target;
  try {
    target = NewPicture(NewWidth, NewHeight);
  } catch (const std::exception& error) {
    ReportException(error, this);
    if (Source == &own)
      Adopt(own.TakeImage());
    return;
  }

  // One source row summed across into the target columns: blue, green, red and opaque length,
  // each weighted by the length covered. Rows are kept for the next target row, which often
  // starts on the same source row.
  const auto columns = static_cast<std::size_t>(NewWidth);
  std::vector<std::uint64_t> rowSums[2] = {std::vector<std::uint64_t>(columns * 4),
                                           std::vector<std::uint64_t>(columns * 4)};
  std::int32_t rowOf[2] = {-1, -1};
  int nextSlot = 0;
  const auto sumRow = [&](std::int32_t sy) -> const std::vector<std::uint64_t>& {
    for (int slot = 0; slot < 2; ++slot)
      if (rowOf[slot] == sy)
        return rowSums[slot];
    const int slot = nextSlot;
    nextSlot ^= 1;
    rowOf[slot] = sy;
    std::uint64_t* sums = rowSums[slot].data();
    const TPixel* row = source.PixelAddress(0, sy);
    for (std::size_t tx = 0; tx < columns; ++tx) {
      std::uint64_t b = 0, g = 0, r = 0, opaque = 0;
      for (std::size_t k = across.First[tx]; k < across.First[tx + 1]; ++k) {
        const TPixel pixel = row[across.Shares[k].Index];
        const std::uint64_t w = across.Shares[k].Weight;
        if (keyed && (pixel & PixelColorMask) == key)
          continue;
        b += w * (pixel & 0xFF);
        g += w * ((pixel >> 8) & 0xFF);
        r += w * ((pixel >> 16) & 0xFF);
        opaque += w;
      }
      sums[4 * tx] = b;
      sums[4 * tx + 1] = g;
      sums[4 * tx + 2] = r;
      sums[4 * tx + 3] = opaque;
    }
    return rowSums[slot];
  };

  std::vector<std::uint64_t> totals(columns * 4);
  const std::uint64_t area = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
  std::int32_t ty = 0;
  for (; ty < NewHeight; ++ty) {
    if (Progress && Progress(static_cast<int>(std::int64_t{ty} * 1024 / NewHeight),
                             static_cast<int>(std::int64_t{ty} * 1024 % NewHeight)))
      break;
    std::fill(totals.begin(), totals.end(), 0);
    for (std::size_t k = down.First[ty]; k < down.First[ty + 1]; ++k) {
      const std::vector<std::uint64_t>& sums = sumRow(down.Shares[k].Index);
      const std::uint64_t w = down.Shares[k].Weight;
      for (std::size_t i = 0; i < columns * 4; ++i)
        totals[i] += w * sums[i];
    }
    auto* out = reinterpret_cast<TPixel*>(target.scanLine(ty));
    for (std::size_t tx = 0; tx < columns; ++tx) {
      const std::uint64_t opaque = totals[4 * tx + 3];
      // At least half the pixel transparent: the transparent colour.
      if (keyed && 2 * (area - opaque) >= area) {
        out[tx] = key;
        continue;
      }
      const auto mean = [&](int c) { return (totals[4 * tx + c] + opaque / 2) / opaque; };
      out[tx] = static_cast<TPixel>(mean(0) | mean(1) << 8 | mean(2) << 16);
    }
  }
  // A resize stopped by Progress leaves the rows it did not reach black.
  for (; ty < NewHeight; ++ty) {
    auto* out = reinterpret_cast<TPixel*>(target.scanLine(ty));
    std::fill(out, out + NewWidth, 0);
  }
  Adopt(std::move(target));
  Transparent = transparent;
  TransparentColor = transparentColor;
}

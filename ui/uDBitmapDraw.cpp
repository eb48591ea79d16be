// Lines, outlines, filled bars, bitmap-to-bitmap drawing and tiling of TDBitmap.

#include "ui/uDBitmap.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using TWide = __int128;

// Floor and ceiling of N / D for D > 0.
TWide FloorDiv(TWide N, TWide D) {
  return N >= 0 ? N / D : -((-N + D - 1) / D);
}
TWide CeilDiv(TWide N, TWide D) {
  return -FloorDiv(-N, D);
}

// Restores a bitmap's clip rectangle when it goes, also when an exception passes.
class TClipGuard {
 public:
  explicit TClipGuard(TDBitmap& Bitmap) : Bitmap_(Bitmap), Saved_(Bitmap.GetClipRect()) {}
  TClipGuard(const TClipGuard&) = delete;
  TClipGuard& operator=(const TClipGuard&) = delete;
  ~TClipGuard() { Bitmap_.SetClipRect(Saved_); }

 private:
  TDBitmap& Bitmap_;
  TRect Saved_;
};

} // namespace

void TDBitmap::HorizontalSpan(std::int64_t X1, std::int64_t X2, std::int64_t Y, TPixel Pixel,
                              TEffect Effect) noexcept {
  if (Empty() || Y < ClipRect_.Top || Y > ClipRect_.Bottom)
    return;
  const std::int64_t left = std::max<std::int64_t>(std::min(X1, X2), ClipRect_.Left);
  const std::int64_t right = std::min<std::int64_t>(std::max(X1, X2), ClipRect_.Right);
  if (left > right)
    return;
  TPixel* row = PixelAddress(0, static_cast<std::int32_t>(Y));
  for (std::int64_t x = left; x <= right; ++x)
    BlendRun(Effect, &Pixel, row + x, row + x + 1);
}

void TDBitmap::VerticalSpan(std::int64_t X, std::int64_t Y1, std::int64_t Y2, TPixel Pixel,
                            TEffect Effect) noexcept {
  if (Empty() || X < ClipRect_.Left || X > ClipRect_.Right)
    return;
  const std::int64_t top = std::max<std::int64_t>(std::min(Y1, Y2), ClipRect_.Top);
  const std::int64_t bottom = std::min<std::int64_t>(std::max(Y1, Y2), ClipRect_.Bottom);
  for (std::int64_t y = top; y <= bottom; ++y) {
    TPixel* target = PixelAddress(static_cast<std::int32_t>(X), static_cast<std::int32_t>(y));
    BlendRun(Effect, &Pixel, target, target + 1);
  }
}

void TDBitmap::DrawLine(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
                        TColor Color, TEffect Effect) {
  if (Empty() || Effect == ef00)
    return;
  const TPixel pixel = ColorToPixel(Color);
  if (Y1 == Y2)
    return HorizontalSpan(X1, X2, Y1, pixel, Effect);
  if (X1 == X2)
    return VerticalSpan(X1, Y1, Y2, pixel, Effect);
  // Step i of n along the major axis sets the pixel major = start + s * i, minor = start + t * k
  // with k = floor((2 * i * minorDelta + n) / (2 * n)): the Bresenham line. The steps whose pixel
  // can lie inside the clip rectangle are found first, so that no endpoint, however far away,
  // costs time or overflows.
  const bool xMajor = std::abs(std::int64_t{X2} - X1) >= std::abs(std::int64_t{Y2} - Y1);
  const std::int64_t majorStart = xMajor ? X1 : Y1, minorStart = xMajor ? Y1 : X1;
  const std::int64_t majorDelta = xMajor ? std::int64_t{X2} - X1 : std::int64_t{Y2} - Y1;
  const std::int64_t minorDelta = xMajor ? std::int64_t{Y2} - Y1 : std::int64_t{X2} - X1;
  const std::int64_t n = std::abs(majorDelta), m = std::abs(minorDelta);
  const int s = majorDelta > 0 ? 1 : -1, t = minorDelta > 0 ? 1 : -1;
  const std::int64_t majorLow = xMajor ? ClipRect_.Left : ClipRect_.Top;
  const std::int64_t majorHigh = xMajor ? ClipRect_.Right : ClipRect_.Bottom;
  const std::int64_t minorLow = xMajor ? ClipRect_.Top : ClipRect_.Left;
  const std::int64_t minorHigh = xMajor ? ClipRect_.Bottom : ClipRect_.Right;

  TWide first = 0, last = n;
  // The major coordinate inside the clip rectangle.
  first = std::max<TWide>(first, s > 0 ? majorLow - majorStart : majorStart - majorHigh);
  last = std::min<TWide>(last, s > 0 ? majorHigh - majorStart : majorStart - majorLow);
  // The minor offset k inside kLow ... kHigh.
  const TWide kLow = t > 0 ? minorLow - minorStart : minorStart - minorHigh;
  const TWide kHigh = t > 0 ? minorHigh - minorStart : minorStart - minorLow;
  first = std::max(first, CeilDiv(2 * TWide{n} * kLow - n, 2 * TWide{m}));
  last = std::min(last, CeilDiv(2 * TWide{n} * (kHigh + 1) - n, 2 * TWide{m}) - 1);
  if (first > last)
    return;

  const TWide numerator = 2 * first * m + n;
  std::int64_t k = static_cast<std::int64_t>(numerator / (2 * TWide{n}));
  std::int64_t remainder = static_cast<std::int64_t>(numerator % (2 * TWide{n}));
  for (TWide i = first; i <= last; ++i) {
    const std::int64_t major = majorStart + s * static_cast<std::int64_t>(i);
    const std::int64_t minor = minorStart + t * k;
    if (xMajor)
      SetPixel(static_cast<std::int32_t>(major), static_cast<std::int32_t>(minor), Effect, pixel);
    else
      SetPixel(static_cast<std::int32_t>(minor), static_cast<std::int32_t>(major), Effect, pixel);
    remainder += 2 * m;
    while (remainder >= 2 * n) {
      remainder -= 2 * n;
      ++k;
    }
  }
}

void TDBitmap::Border(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
                      TColor Color, TEffect Effect) {
  if (Empty() || X1 == X2 || Y1 == Y2)
    return;
  const std::int64_t left = std::min(X1, X2), right = std::max(X1, X2);
  const std::int64_t top = std::min(Y1, Y2), bottom = std::max(Y1, Y2);
  const TPixel pixel = ColorToPixel(Color);
  HorizontalSpan(left, right - 1, top, pixel, Effect);
  VerticalSpan(left, top + 1, bottom, pixel, Effect);
  HorizontalSpan(left + 1, right, bottom, pixel, Effect);
  VerticalSpan(right, top, bottom - 1, pixel, Effect);
}

void TDBitmap::Border3D(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
                        TColor TopLeft, TColor BottomRight, std::int32_t Count, TEffect Effect) {
  if (Empty() || Count <= 0)
    return;
  const TPixel light = ColorToPixel(TopLeft);
  const TPixel dark = ColorToPixel(BottomRight);
  const TColor a = ColorToRGB(TopLeft), b = ColorToRGB(BottomRight);
  const TPixel mean = ColorToPixel(RGBColor(
      (RedOf(a) + RedOf(b)) / 2, (GreenOf(a) + GreenOf(b)) / 2, (BlueOf(a) + BlueOf(b)) / 2));
  for (std::int64_t n = 0; n < Count; ++n) {
    const std::int64_t left = std::int64_t{X1} + n, top = std::int64_t{Y1} + n;
    const std::int64_t right = std::int64_t{X2} - n, bottom = std::int64_t{Y2} - n;
    // Frames past the middle would turn inside out.
    if (left > right || top > bottom)
      break;
    HorizontalSpan(left, right - 1, top, light, Effect);
    if (top + 1 <= bottom - 1)
      VerticalSpan(left, top + 1, bottom - 1, light, Effect);
    HorizontalSpan(left + 1, right, bottom, dark, Effect);
    if (top + 1 <= bottom - 1)
      VerticalSpan(right, top + 1, bottom - 1, dark, Effect);
    HorizontalSpan(left, left, bottom, mean, Effect);
    HorizontalSpan(right, right, top, mean, Effect);
  }
}

void TDBitmap::Border3D(TColor TopLeft, TColor BottomRight, std::int32_t Count, TEffect Effect) {
  if (Count < Width_ && Count < Height_)
    Border3D(0, 0, Width_ - 1, Height_ - 1, TopLeft, BottomRight, Count, Effect);
}

void TDBitmap::Bar(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2, TColor Color,
                   TEffect Effect) {
  if (Empty() || Effect == ef00 || Color == clNone)
    return;
  const std::int32_t left = std::max(std::min(X1, X2), ClipRect_.Left);
  const std::int32_t right = std::min(std::max(X1, X2), ClipRect_.Right);
  const std::int32_t top = std::max(std::min(Y1, Y2), ClipRect_.Top);
  const std::int32_t bottom = std::min(std::max(Y1, Y2), ClipRect_.Bottom);
  if (left > right || top > bottom)
    return;
  const TPixel pixel = ColorToPixel(Color);
  const bool keyed = Transparent && TransparentColor != clNone;
  const TPixel key = TransparentPixel();
  for (std::int32_t y = top; y <= bottom; ++y) {
    TPixel* row = PixelAddress(0, y);
    if (keyed)
      FillRunKeyed(Effect, pixel, row + left, row + right + 1, key);
    else
      FillRun(Effect, pixel, row + left, row + right + 1);
  }
}

void TDBitmap::Bar(const TRect& Rect, TColor Color, TEffect Effect) {
  Bar(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, Color, Effect);
}

void TDBitmap::Bar(TColor Color, TEffect Effect) {
  Bar(0, 0, Width_ - 1, Height_ - 1, Color, Effect);
}

void TDBitmap::DrawBitmap(std::int32_t X, std::int32_t Y, const TDBitmap& Source,
                          const TRect& SourceRect, TEffect Effect) {
  if (Empty() || Source.Empty() || Effect == ef00)
    return;
  // The source rectangle within the source, moving the target corner with it.
  std::int64_t sourceLeft = std::min(SourceRect.Left, SourceRect.Right);
  std::int64_t sourceTop = std::min(SourceRect.Top, SourceRect.Bottom);
  std::int64_t sourceRight = std::max(SourceRect.Left, SourceRect.Right);
  std::int64_t sourceBottom = std::max(SourceRect.Top, SourceRect.Bottom);
  std::int64_t x = X, y = Y;
  if (sourceLeft < 0) {
    x -= sourceLeft;
    sourceLeft = 0;
  }
  if (sourceTop < 0) {
    y -= sourceTop;
    sourceTop = 0;
  }
  sourceRight = std::min<std::int64_t>(sourceRight, Source.Width_ - 1);
  sourceBottom = std::min<std::int64_t>(sourceBottom, Source.Height_ - 1);
  // The target rectangle within the clip rectangle.
  const std::int64_t left = std::max<std::int64_t>(x, ClipRect_.Left);
  const std::int64_t top = std::max<std::int64_t>(y, ClipRect_.Top);
  const std::int64_t right =
      std::min<std::int64_t>(x + (sourceRight - sourceLeft), ClipRect_.Right);
  const std::int64_t bottom =
      std::min<std::int64_t>(y + (sourceBottom - sourceTop), ClipRect_.Bottom);
  if (left > right || top > bottom)
    return;
  const auto columns = static_cast<std::size_t>(right - left + 1);
  const std::int64_t fromX = sourceLeft + (left - x), fromY = sourceTop + (top - y);
  const bool keyed = Source.Transparent && Source.TransparentColor != clNone;
  const TPixel key = Source.TransparentPixel();
  // Drawing a bitmap onto itself reads from a copy of the rows, so that no row is read after it
  // was written.
  std::vector<TPixel> copy;
  std::size_t copyStride = 0;
  if (&Source == this) {
    copyStride = columns;
    copy.resize(columns * static_cast<std::size_t>(bottom - top + 1));
    for (std::int64_t row = 0; row <= bottom - top; ++row) {
      const TPixel* from = Source.PixelAddress(static_cast<std::int32_t>(fromX),
                                               static_cast<std::int32_t>(fromY + row));
      std::copy(from, from + columns, copy.begin() + static_cast<std::ptrdiff_t>(row * columns));
    }
  }
  for (std::int64_t row = 0; row <= bottom - top; ++row) {
    const TPixel* from = copy.empty() ? Source.PixelAddress(static_cast<std::int32_t>(fromX),
                                                            static_cast<std::int32_t>(fromY + row))
                                      : copy.data() + row * static_cast<std::int64_t>(copyStride);
    TPixel* to =
        PixelAddress(static_cast<std::int32_t>(left), static_cast<std::int32_t>(top + row));
    if (keyed)
      BlendRunSkipping(Effect, from, to, to + columns, key);
    else
      BlendRun(Effect, from, to, to + columns);
  }
}

void TDBitmap::DrawBitmap(std::int32_t X, std::int32_t Y, const TDBitmap& Source, TEffect Effect) {
  DrawBitmap(X, Y, Source, TRect{0, 0, Source.Width_ - 1, Source.Height_ - 1}, Effect);
}

void TDBitmap::Tile(const TDBitmap& Source, const TRect& Rect, TEffect Effect) {
  if (Source.Empty() || Empty())
    return;
  TClipGuard guard(*this);
  SetClipRect(Rect);
  Tile(Source, Effect);
}

void TDBitmap::Tile(const TDBitmap& Source, TEffect Effect) {
  if (Source.Empty() || Empty() || ClipRect_.Left > ClipRect_.Right ||
      ClipRect_.Top > ClipRect_.Bottom)
    return;
  // Only the tiles that meet the clip rectangle change anything.
  const std::int32_t w = Source.Width_, h = Source.Height_;
  const std::int32_t columns = (Width_ + w - 1) / w, rows = (Height_ + h - 1) / h;
  const std::int32_t firstColumn = ClipRect_.Left / w,
                     lastColumn = std::min(ClipRect_.Right / w, columns - 1);
  const std::int32_t firstRow = ClipRect_.Top / h,
                     lastRow = std::min(ClipRect_.Bottom / h, rows - 1);
  for (std::int32_t j = firstRow; j <= lastRow; ++j)
    for (std::int32_t i = firstColumn; i <= lastColumn; ++i)
      DrawBitmap(i * w, j * h, Source, Effect);
}

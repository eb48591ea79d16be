// Rotation, free axis transforms and area-averaging resizing of TDBitmap.

#include "report/uMsg.h"
#include "ui/uDBitmap.h"
#include "ui/uPictureLimits.h"

#include <emmintrin.h>
#include <smmintrin.h>

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

// The fast way of Resize for pictures without a transparent colour whose sums fit in 32 bits:
// the shares of a target column are taken two source pixels at a time, their bytes multiplied
// by the two weights and added in one step (pmaddwd); rows are added with SSE4.1.

// Two neighbouring source pixels from Index and their weights, the first in the low half.
struct TPair {
  std::int32_t Index;
  std::uint32_t Weights;
};

// Four 32-bit sums of one target column.
struct alignas(16) TSums {
  std::uint32_t Lane[4];
};

inline __m128i LoadSums(const TSums& Sums) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(Sums.Lane));
}
inline void StoreSums(TSums& Sums, __m128i Value) {
  _mm_store_si128(reinterpret_cast<__m128i*>(Sums.Lane), Value);
}

struct TPairs {
  std::vector<TPair> Pairs;
  std::vector<std::size_t> First;
};

// The pairs of every target column; false when a weight does not fit in 15 bits or the source
// has a single column.
bool MakePairs(const TShares& Shares, std::int64_t SourceSize, TPairs& Result) {
  if (SourceSize < 2)
    return false;
  const std::size_t targets = Shares.First.size() - 1;
  Result.First.reserve(targets + 1);
  for (std::size_t t = 0; t < targets; ++t) {
    Result.First.push_back(Result.Pairs.size());
    for (std::size_t k = Shares.First[t]; k < Shares.First[t + 1]; k += 2) {
      const TShare& a = Shares.Shares[k];
      if (a.Weight > 0x7FFF)
        return false;
      if (k + 1 < Shares.First[t + 1]) {
        const TShare& b = Shares.Shares[k + 1];
        if (b.Weight > 0x7FFF)
          return false;
        Result.Pairs.push_back({a.Index, a.Weight | b.Weight << 16});
      } else if (a.Index + 1 < SourceSize) {
        Result.Pairs.push_back({a.Index, a.Weight});
      } else {
        // The last source pixel: paired with the one before it at weight 0.
        Result.Pairs.push_back({a.Index - 1, a.Weight << 16});
      }
    }
  }
  Result.First.push_back(Result.Pairs.size());
  return true;
}

// One source row summed into the target columns: four 32-bit sums (blue, green, red, fourth
// byte) a column.
void SumRow(const TPixel* Row, const TPairs& Across, TSums* Sums) {
  const __m128i zero = _mm_setzero_si128();
  const std::size_t columns = Across.First.size() - 1;
  const auto pairSum = [&](const TPair& Pair) {
    const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Row + Pair.Index));
    // b1 b2 g1 g2 r1 r2 a1 a2 as 16-bit numbers.
    const __m128i mixed = _mm_unpacklo_epi8(_mm_unpacklo_epi8(two, _mm_srli_si128(two, 4)), zero);
    return _mm_madd_epi16(mixed, _mm_set1_epi32(static_cast<int>(Pair.Weights)));
  };
  // Most sizes give every column one pair.
  if (Across.Pairs.size() == columns) {
    for (std::size_t t = 0; t < columns; ++t)
      StoreSums(Sums[t], pairSum(Across.Pairs[t]));
    return;
  }
  for (std::size_t t = 0; t < columns; ++t) {
    __m128i sum = zero;
    for (std::size_t k = Across.First[t]; k < Across.First[t + 1]; ++k)
      sum = _mm_add_epi32(sum, pairSum(Across.Pairs[k]));
    StoreSums(Sums[t], sum);
  }
}

// Totals = Sums * Weight, or Totals += Sums * Weight.
[[gnu::target("sse4.1")]] void AddWeighted(TSums* Totals, const TSums* Sums, std::size_t Count,
                                           std::uint32_t Weight, bool First) {
  const __m128i weight = _mm_set1_epi32(static_cast<int>(Weight));
  if (First) {
    for (std::size_t i = 0; i < Count; ++i)
      StoreSums(Totals[i], _mm_mullo_epi32(LoadSums(Sums[i]), weight));
    return;
  }
  for (std::size_t i = 0; i < Count; ++i)
    StoreSums(Totals[i],
              _mm_add_epi32(LoadSums(Totals[i]), _mm_mullo_epi32(LoadSums(Sums[i]), weight)));
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
  const std::uint64_t area = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
  TPairs pairs;
  if (!keyed && area * 256 < (std::uint64_t{1} << 32) && MakePairs(across, sw, pairs) &&
      __builtin_cpu_supports("sse4.1")) {
    // n / area, exact for n below 2^64 / area, as a multiplication.
    const auto reciprocal =
        static_cast<std::uint64_t>(((static_cast<unsigned __int128>(1) << 64) + area - 1) / area);
    std::vector<TSums> rows[2] = {std::vector<TSums>(columns), std::vector<TSums>(columns)};
    std::vector<TSums> totals(columns);
    std::int32_t rowOf[2] = {-1, -1};
    int nextSlot = 0;
    std::int32_t ty = 0;
    for (; ty < NewHeight; ++ty) {
      if (Progress && Progress(static_cast<int>(std::int64_t{ty} * 1024 / NewHeight),
                               static_cast<int>(std::int64_t{ty} * 1024 % NewHeight)))
        break;
      for (std::size_t k = down.First[ty]; k < down.First[ty + 1]; ++k) {
        const std::int32_t sy = down.Shares[k].Index;
        int slot = rowOf[0] == sy ? 0 : rowOf[1] == sy ? 1 : -1;
        if (slot < 0) {
          slot = nextSlot;
          nextSlot ^= 1;
          rowOf[slot] = sy;
          SumRow(source.PixelAddress(0, sy), pairs, rows[slot].data());
        }
        AddWeighted(totals.data(), rows[slot].data(), columns, down.Shares[k].Weight,
                    k == down.First[ty]);
      }
      auto* out = reinterpret_cast<TPixel*>(target.scanLine(ty));
      for (std::size_t tx = 0; tx < columns; ++tx) {
        const std::uint32_t* sums = totals[tx].Lane;
        const auto mean = [&](int c) {
          return static_cast<TPixel>(
              (static_cast<unsigned __int128>(sums[c] + area / 2) * reciprocal) >> 64);
        };
        out[tx] = mean(0) | mean(1) << 8 | mean(2) << 16;
      }
    }
    for (; ty < NewHeight; ++ty) {
      auto* out = reinterpret_cast<TPixel*>(target.scanLine(ty));
      std::fill(out, out + NewWidth, 0);
    }
    Adopt(std::move(target));
    Transparent = transparent;
    TransparentColor = transparentColor;
    return;
  }
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

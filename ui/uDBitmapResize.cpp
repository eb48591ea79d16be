// Area-averaging resizing of TDBitmap: exact integer weights, with a fast way for pictures
// without a transparent colour whose sums fit in 32 bits.

#include "report/uMsg.h"
#include "ui/uDBitmap.h"
#include "ui/uPictureLimits.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

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
  // With one pair a column: each pair's weights four times over, for 32-byte steps.
  std::vector<std::uint32_t> Spread;
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
  if (Result.Pairs.size() == targets)
    for (const TPair& pair : Result.Pairs)
      Result.Spread.insert(Result.Spread.end(), 4, pair.Weights);
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

const bool HasAVX2 = __builtin_cpu_supports("avx2");

// SumRow, AddWeighted and the means with 32-byte operations: two target columns a step.
[[gnu::target("avx2")]] void SumRowAVX2(const TPixel* Row, const TPairs& Across, TSums* Sums) {
  const std::size_t columns = Across.First.size() - 1;
  if (Across.Pairs.size() != columns)
    return SumRow(Row, Across, Sums);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t t = 0;
  for (; t + 2 <= columns; t += 2) {
    const TPair& a = Across.Pairs[t];
    const TPair& b = Across.Pairs[t + 1];
    const __m256i two =
        _mm256_set_m128i(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Row + b.Index)),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Row + a.Index)));
    // In each half: b1 b2 g1 g2 r1 r2 a1 a2 as 16-bit numbers.
    const __m256i mixed =
        _mm256_unpacklo_epi8(_mm256_unpacklo_epi8(two, _mm256_srli_si256(two, 4)), zero);
    const __m256i weights =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Across.Spread.data() + 4 * t));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Sums[t].Lane),
                        _mm256_madd_epi16(mixed, weights));
  }
  if (t < columns) {
    TPairs last;
    last.Pairs.assign(Across.Pairs.begin() + static_cast<std::ptrdiff_t>(t), Across.Pairs.end());
    last.First = {0, last.Pairs.size()};
    SumRow(Row, last, Sums + t);
  }
}

[[gnu::target("avx2")]] void AddWeightedAVX2(TSums* Totals, const TSums* Sums, std::size_t Count,
                                             std::uint32_t Weight, bool First) {
  const __m256i weight = _mm256_set1_epi32(static_cast<int>(Weight));
  std::size_t i = 0;
  for (; i + 2 <= Count; i += 2) {
    auto* total = reinterpret_cast<__m256i*>(Totals[i].Lane);
    const __m256i product = _mm256_mullo_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Sums[i].Lane)), weight);
    _mm256_storeu_si256(total,
                        First ? product : _mm256_add_epi32(_mm256_loadu_si256(total), product));
  }
  if (i < Count)
    AddWeighted(Totals + i, Sums + i, Count - i, Weight, First);
}

// Division by the area by a multiplication: with Shift such that 2^Shift is at least
// 256 * Area^2 and Factor = ceil(2^Shift / Area), n * Factor / 2^Shift exceeds n / Area by less
// than 1 / Area for every n below 256 * Area, so its whole part is the quotient. Area is below
// 2^23, so Factor fits in 32 bits and the products in 64.
struct TDivider {
  int Shift = 8;
  std::uint64_t Factor = 0;
  std::uint32_t Half = 0;

  explicit TDivider(std::uint32_t Area) : Half(Area / 2) {
    while ((std::uint64_t{1} << Shift) < std::uint64_t{256} * Area * Area)
      ++Shift;
    Factor = ((std::uint64_t{1} << Shift) + Area - 1) / Area;
  }
  // The rounded mean of one sum.
  TPixel Mean(std::uint64_t Sum) const {
    return static_cast<TPixel>(((Sum + Half) * Factor) >> Shift);
  }
};

// Writes the rounded means of two columns' sums (eight 32-bit lanes) as two pixels.
[[gnu::target("avx2")]] inline void StoreMeans(__m256i Sums, const TDivider& Divider, TPixel* Out) {
  const __m256i multiplier = _mm256_set1_epi64x(static_cast<long long>(Divider.Factor));
  const __m128i count = _mm_cvtsi32_si128(Divider.Shift);
  // The low byte of each 32-bit lane, gathered into the low four bytes of each half.
  const __m256i gather =
      _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12, -1,
                       -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m256i n = _mm256_add_epi32(Sums, _mm256_set1_epi32(static_cast<int>(Divider.Half)));
  const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(n, multiplier), count);
  const __m256i odd =
      _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(n, 32), multiplier), count);
  const __m256i bytes =
      _mm256_shuffle_epi8(_mm256_or_si256(even, _mm256_slli_epi64(odd, 32)), gather);
  const __m256i both =
      _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(Out),
                   _mm_and_si128(_mm256_castsi256_si128(both),
                                 _mm_set1_epi32(static_cast<int>(PixelColorMask))));
}

// The sums of two neighbouring columns.
[[gnu::target("avx2")]] inline __m256i LoadTwo(const TSums& Sums) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Sums.Lane));
}

// The means of Totals (none when First) plus Sums * Weight.
[[gnu::target("avx2")]] void MeansAVX2(const TSums* Totals, const TSums* Sums, std::uint32_t Weight,
                                       bool First, std::size_t Count, const TDivider& Divider,
                                       TPixel* Out) {
  const __m256i weight = _mm256_set1_epi32(static_cast<int>(Weight));
  std::size_t i = 0;
  for (; i + 2 <= Count; i += 2) {
    __m256i n = _mm256_mullo_epi32(LoadTwo(Sums[i]), weight);
    if (!First)
      n = _mm256_add_epi32(n, LoadTwo(Totals[i]));
    StoreMeans(n, Divider, Out + i);
  }
  for (; i < Count; ++i) {
    TPixel pixel = 0;
    for (int c = 0; c < 3; ++c)
      pixel |=
          Divider.Mean((First ? 0 : Totals[i].Lane[c]) + std::uint64_t{Sums[i].Lane[c]} * Weight)
          << (8 * c);
    Out[i] = pixel;
  }
}

// Byte shuffles that take two pairs out of four pixels, the second pair 0, 1 or 2 pixels after
// the first: b1 b2 g1 g2 r1 r2 a1 a2 of each pair.
alignas(16) constexpr std::int8_t PairShuffles[3][16] = {
    {0, 4, 1, 5, 2, 6, 3, 7, 0, 4, 1, 5, 2, 6, 3, 7},
    {0, 4, 1, 5, 2, 6, 3, 7, 4, 8, 5, 9, 6, 10, 7, 11},
    {0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15},
};

// One target row straight from its source rows, without keeping sums between rows: for every two
// columns, each source row's pair sums weighted by the row's share. For one pair a column.
[[gnu::target("avx2")]] void MeanRowAVX2(const TDBitmap& Source, const TShares& Down,
                                         std::size_t Row, const TPairs& Across,
                                         const TDivider& Divider, TPixel* Out) {
  const std::size_t columns = Across.Pairs.size();
  const std::int32_t width = Source.Width();
  const __m256i zero = _mm256_setzero_si256();
  std::size_t t = 0;
  for (; t + 2 <= columns; t += 2) {
    const TPair& a = Across.Pairs[t];
    const TPair& b = Across.Pairs[t + 1];
    const __m256i weights =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Across.Spread.data() + 4 * t));
    __m256i total = zero;
    // Both pairs within four pixels from the first: one load and one byte shuffle.
    const std::int32_t gap = b.Index - a.Index;
    if (gap >= 0 && gap <= 2 && a.Index + 4 <= width) {
      const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(PairShuffles[gap]));
      for (std::size_t k = Down.First[Row]; k < Down.First[Row + 1]; ++k) {
        const TPixel* line = Source.PixelAddress(0, Down.Shares[k].Index);
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + a.Index));
        const __m256i mixed = _mm256_cvtepu8_epi16(_mm_shuffle_epi8(four, shuffle));
        total = _mm256_add_epi32(
            total, _mm256_mullo_epi32(_mm256_madd_epi16(mixed, weights),
                                      _mm256_set1_epi32(static_cast<int>(Down.Shares[k].Weight))));
      }
      StoreMeans(total, Divider, Out + t);
      continue;
    }
    // Otherwise two loads.
    for (std::size_t k = Down.First[Row]; k < Down.First[Row + 1]; ++k) {
      const TPixel* line = Source.PixelAddress(0, Down.Shares[k].Index);
      const __m256i two =
          _mm256_set_m128i(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + b.Index)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + a.Index)));
      const __m256i mixed =
          _mm256_unpacklo_epi8(_mm256_unpacklo_epi8(two, _mm256_srli_si256(two, 4)), zero);
      total = _mm256_add_epi32(
          total, _mm256_mullo_epi32(_mm256_madd_epi16(mixed, weights),
                                    _mm256_set1_epi32(static_cast<int>(Down.Shares[k].Weight))));
    }
    StoreMeans(total, Divider, Out + t);
  }
  for (; t < columns; ++t) {
    const TPair& a = Across.Pairs[t];
    std::uint64_t sums[3] = {};
    for (std::size_t k = Down.First[Row]; k < Down.First[Row + 1]; ++k) {
      const TPixel* line = Source.PixelAddress(0, Down.Shares[k].Index);
      for (int c = 0; c < 3; ++c)
        sums[c] += std::uint64_t{Down.Shares[k].Weight} *
                   (((line[a.Index] >> (8 * c)) & 0xFF) * (a.Weights & 0xFFFF) +
                    ((line[a.Index + 1] >> (8 * c)) & 0xFF) * (a.Weights >> 16));
    }
    Out[t] = Divider.Mean(sums[0]) | Divider.Mean(sums[1]) << 8 | Divider.Mean(sums[2]) << 16;
  }
}

} // namespace

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

  // Takes the target over from row Done on; a resize stopped by Progress leaves the rows it did
  // not reach black.
  const auto finish = [&](std::int32_t Done) {
    for (std::int32_t row = Done; row < NewHeight; ++row) {
      auto* out = reinterpret_cast<TPixel*>(target.scanLine(row));
      std::fill(out, out + NewWidth, 0);
    }
    Adopt(std::move(target));
    Transparent = transparent;
    TransparentColor = transparentColor;
  };

  // One source row summed across into the target columns: blue, green, red and opaque length,
  // each weighted by the length covered. Rows are kept for the next target row, which often
  // starts on the same source row.
  const auto columns = static_cast<std::size_t>(NewWidth);
  const std::uint64_t area = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
  TPairs pairs;
  if (!keyed && area * 256 < (std::uint64_t{1} << 32) && MakePairs(across, sw, pairs) &&
      __builtin_cpu_supports("sse4.1")) {
    // The means through doubles need sums below 2^31.
    const bool avx2 = HasAVX2 && area * 256 < (std::uint64_t{1} << 31);
    const TDivider divider(static_cast<std::uint32_t>(avx2 ? area : 1));
    // With one pair a column each target row is made straight from its source rows.
    const bool direct = avx2 && !pairs.Spread.empty();
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
      if (direct) {
        MeanRowAVX2(source, down, static_cast<std::size_t>(ty), pairs, divider,
                    reinterpret_cast<TPixel*>(target.scanLine(ty)));
        continue;
      }
      for (std::size_t k = down.First[ty]; k < down.First[ty + 1]; ++k) {
        const std::int32_t sy = down.Shares[k].Index;
        int slot = rowOf[0] == sy ? 0 : rowOf[1] == sy ? 1 : -1;
        if (slot < 0) {
          slot = nextSlot;
          nextSlot ^= 1;
          rowOf[slot] = sy;
          if (avx2)
            SumRowAVX2(source.PixelAddress(0, sy), pairs, rows[slot].data());
          else
            SumRow(source.PixelAddress(0, sy), pairs, rows[slot].data());
        }
        if (avx2 && k + 1 == down.First[ty + 1]) {
          // The last source row goes straight into the means.
          MeansAVX2(totals.data(), rows[slot].data(), down.Shares[k].Weight, k == down.First[ty],
                    columns, divider, reinterpret_cast<TPixel*>(target.scanLine(ty)));
        } else if (avx2)
          AddWeightedAVX2(totals.data(), rows[slot].data(), columns, down.Shares[k].Weight,
                          k == down.First[ty]);
        else
          AddWeighted(totals.data(), rows[slot].data(), columns, down.Shares[k].Weight,
                      k == down.First[ty]);
      }
      auto* out = reinterpret_cast<TPixel*>(target.scanLine(ty));
      if (avx2)
        continue;
      for (std::size_t tx = 0; tx < columns; ++tx) {
        const std::uint32_t* sums = totals[tx].Lane;
        const auto mean = [&](int c) {
          return static_cast<TPixel>(
              (static_cast<unsigned __int128>(sums[c] + area / 2) * reciprocal) >> 64);
        };
        out[tx] = mean(0) | mean(1) << 8 | mean(2) << 16;
      }
    }
    finish(ty);
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
  finish(ty);
}

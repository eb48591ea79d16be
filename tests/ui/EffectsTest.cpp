#include "ui/uEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The byte rule of each effect written out from its definition; Truncate gives Bar's alpha
// levels.
int Expected(TEffect Effect, int d, int s, bool Truncate) {
  if (Effect >= ef01 && Effect <= ef15) {
    const int k = Effect;
    const int sum = d * (16 - k) + s * k;
    return k == 8 || Truncate ? sum / 16 : (sum + 8) / 16;
  }
  switch (Effect) {
  case ef00:
    return d;
  case ef16:
    return s;
  case efAdd:
    return std::min(255, d + s);
  case efSub:
    return std::max(0, d - s);
  case efAdd127:
    return std::clamp(d + s - 127, 0, 255);
  case efSub127:
    return std::clamp(d - s + 127, 0, 255);
  case efXor:
    return d ^ s;
  case efNeg:
    return d < 127 ? 255 : 0;
  default:
    return std::abs(d - s);
  }
}

bool ChangesFourthByte(TEffect Effect) {
  return Effect == ef16 || Effect == efXor;
}

// All 65536 (d, s) pairs, one per pixel, with each pair in a different byte of its pixel so that
// every byte position sees every pair; the runs have odd lengths, so the four-pixel loops and the
// single-pixel rest both run.
struct TPairs {
  std::vector<TPixel> Dest, Source;
  TPairs() {
    for (int d = 0; d < 256; ++d)
      for (int s = 0; s < 256; ++s) {
        const auto rotate = static_cast<unsigned>((d + s) % 3) * 8;
        Dest.push_back(static_cast<TPixel>(d) << rotate | 0xA5000000u);
        Source.push_back(static_cast<TPixel>(s) << rotate | 0x5A000000u);
      }
    Dest.push_back(0x00102030);
    Source.push_back(0xFF405060);
  }
};

// The row widths the pairs are drawn in: 0 is one run over all of them; rows of 1 to 7 pixels
// give every pair to the single-pixel rest that follows the four- and eight-pixel steps.
constexpr std::size_t RowWidths[] = {0, 1, 2, 3, 4, 5, 6, 7};

// Calls Draw(Begin, End) for consecutive rows of Width pixels over Count pixels.
template <class TDraw>
void InRows(std::size_t Width, std::size_t Count, TDraw Draw) {
  const std::size_t step = Width == 0 ? Count : Width;
  for (std::size_t begin = 0; begin < Count; begin += step)
    Draw(begin, std::min(Count, begin + step));
}

testing::AssertionResult CheckRun(TEffect Effect, const std::vector<TPixel>& Before,
                                  const std::vector<TPixel>& Source,
                                  const std::vector<TPixel>& After, bool Truncate) {
  for (std::size_t i = 0; i < Before.size(); ++i) {
    for (int byte = 0; byte < 4; ++byte) {
      const int d = (Before[i] >> (8 * byte)) & 0xFF, s = (Source[i] >> (8 * byte)) & 0xFF;
      const int got = (After[i] >> (8 * byte)) & 0xFF;
      int want = Expected(Effect, d, s, Truncate);
      if (byte == 3 && !ChangesFourthByte(Effect))
        want = d;
      if (got != want)
        return testing::AssertionFailure()
               << EffectNames[Effect] << " pixel " << i << " byte " << byte << ": d " << d << ", s "
               << s << " gave " << got << ", expected " << want;
    }
  }
  return testing::AssertionSuccess();
}

TEST(TEffects, EveryKernelMatchesItsByteRuleOnAllPairs) {
  const TPairs pairs;
  for (std::size_t width : RowWidths)
    for (int e = 0; e < EffectCount; ++e) {
      std::vector<TPixel> dest = pairs.Dest;
      InRows(width, dest.size(), [&](std::size_t Begin, std::size_t End) {
        EffectKernels[e](pairs.Source.data() + Begin, dest.data() + Begin, dest.data() + End);
      });
      EXPECT_TRUE(CheckRun(static_cast<TEffect>(e), pairs.Dest, pairs.Source, dest, false))
          << "in rows of " << width << " pixels (0: one run)";
    }
}

// For the fills, whose source is one pixel: every destination byte in every colour byte, pixel i
// holding i, i + 85 and i + 170; one more pixel makes the run's length odd.
std::vector<TPixel> EveryByte() {
  std::vector<TPixel> dest;
  for (TPixel i = 0; i < 256; ++i)
    dest.push_back(i | ((i + 85) & 0xFF) << 8 | ((i + 170) & 0xFF) << 16 | 0xA5000000u);
  dest.push_back(0x00102030);
  return dest;
}

TEST(TEffects, EveryFillMatchesItsByteRuleWithTruncatedAlphaLevels) {
  const std::vector<TPixel> before = EveryByte();
  for (std::size_t width : RowWidths)
    for (int e = 0; e < EffectCount; ++e)
      for (TPixel s = 0; s < 256; ++s) {
        const TPixel source = s * 0x010101 | 0x77000000u;
        std::vector<TPixel> dest = before;
        InRows(width, dest.size(), [&](std::size_t Begin, std::size_t End) {
          FillRun(static_cast<TEffect>(e), source, dest.data() + Begin, dest.data() + End);
        });
        EXPECT_TRUE(CheckRun(static_cast<TEffect>(e), before,
                             std::vector<TPixel>(dest.size(), source), dest, true))
            << "in rows of " << width << " pixels (0: one run)";
      }
}

TEST(TEffects, NamedExamples) {
  TPixel grey = 0x00808080;
  const TPixel source = 0x00808080;
  EffectKernels[efAdd127](&source, &grey, &grey + 1);
  EXPECT_EQ(grey, 0x00818181u);
  TPixel pixel = 0x11223344;
  EffectKernels[ef00](&source, &pixel, &pixel + 1);
  EXPECT_EQ(pixel, 0x11223344u);
  const TPixel full = 0xAB010203;
  EffectKernels[ef16](&full, &pixel, &pixel + 1);
  EXPECT_EQ(pixel, 0xAB010203u) << "ef16 copies the fourth byte too";
}

TEST(TEffects, KeyedRunsLeaveKeyPixelsAlone) {
  const TPixel key = 0x00123456;
  // The key is matched by the colour bytes whatever the fourth byte holds.
  std::vector<TPixel> dest = {0x00000000, 0xFF123456, 0x00123456, 0x00FFFFFF, 0x00123457};
  const std::vector<TPixel> source(dest.size(), 0x00010101);
  std::vector<TPixel> keyed = dest;
  BlendRunKeyed(efAdd, source.data(), keyed.data(), keyed.data() + keyed.size(), key);
  EXPECT_EQ(keyed,
            (std::vector<TPixel>{0x00010101, 0xFF123456, 0x00123456, 0x00FFFFFF, 0x00133558}));
  std::vector<TPixel> filled = dest;
  FillRunKeyed(ef16, 0x00ABCDEF, filled.data(), filled.data() + filled.size(), key);
  EXPECT_EQ(filled,
            (std::vector<TPixel>{0x00ABCDEF, 0xFF123456, 0x00123456, 0x00ABCDEF, 0x00ABCDEF}));
  // Skipping looks at the source instead.
  std::vector<TPixel> from = {key, 0x00000001, key | 0xFF000000u, 0x00000002, 0x00000003};
  std::vector<TPixel> skipped(5, 0x00000010);
  BlendRunSkipping(ef16, from.data(), skipped.data(), skipped.data() + skipped.size(), key);
  EXPECT_EQ(skipped, (std::vector<TPixel>{0x10, 0x01, 0x10, 0x02, 0x03}));
}

} // namespace

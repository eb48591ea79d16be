#include "ui/uEffects.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <utility>

const std::string_view EffectNames[EffectCount] = {
    "ef00", "ef01",  "ef02",  "ef03",     "ef04",     "ef05",  "ef06",  "ef07",
    "ef08", "ef09",  "ef10",  "ef11",     "ef12",     "ef13",  "ef14",  "ef15",
    "ef16", "efAdd", "efSub", "efAdd127", "efSub127", "efXor", "efNeg", "efDif",
};

const std::string_view EffectDisplayNames[EffectCount] = {
    "0% (None)",   "6.25%",  "12.5%", "18.75%", "25%",  "31.25%", "37.5%", "43.75%",
    "50%",         "56.25%", "62.5%", "68.75%", "75%",  "81.25%", "87.5%", "93.75%",
    "100% (Copy)", "Add",    "Sub",   "Add-",   "Sub+", "Xor",    "Neg",   "Dif",
};

namespace {

// The loops work on four pixels at a time with SSE2, which every x86-64 processor has, and on
// the rest one pixel at a time with the same byte rule.

const __m128i Zero = _mm_setzero_si128();

inline __m128i Load(const TPixel* P) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
}
inline void Store(TPixel* P, __m128i V) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(P), V);
}

// Applies a byte rule to the three colour bytes of a pixel and keeps d's fourth byte.
template <class TByteRule>
inline TPixel ColorBytes(TPixel D, TPixel S, TByteRule Rule) {
  TPixel result = D & ~PixelColorMask;
  for (int shift = 0; shift < 24; shift += 8)
    result |= static_cast<TPixel>(Rule(static_cast<int>((D >> shift) & 0xFF),
                                       static_cast<int>((S >> shift) & 0xFF)))
              << shift;
  return result;
}

inline __m128i KeepFourthByte(__m128i Result, __m128i D) {
  const __m128i colour = _mm_set1_epi32(static_cast<int>(PixelColorMask));
  return _mm_or_si128(_mm_and_si128(Result, colour), _mm_andnot_si128(colour, D));
}

// The operations. Each gives one pixel (Pixel) and four pixels (Vec).

template <int K, bool Round>
struct TAlpha {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S,
                      [](int d, int s) { return (d * (16 - K) + s * K + (Round ? 8 : 0)) >> 4; });
  }
  static __m128i Vec(__m128i D, __m128i S) {
    const __m128i weightD = _mm_set1_epi16(16 - K);
    const __m128i weightS = _mm_set1_epi16(K);
    const __m128i half = _mm_set1_epi16(Round ? 8 : 0);
    const auto mix = [&](__m128i d, __m128i s) {
      return _mm_srli_epi16(
          _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(d, weightD), _mm_mullo_epi16(s, weightS)),
                        half),
          4);
    };
    const __m128i low = mix(_mm_unpacklo_epi8(D, Zero), _mm_unpacklo_epi8(S, Zero));
    const __m128i high = mix(_mm_unpackhi_epi8(D, Zero), _mm_unpackhi_epi8(S, Zero));
    return KeepFourthByte(_mm_packus_epi16(low, high), D);
  }
};

// Level 8 truncated: (d & s) + ((d ^ s) >> 1) in every byte.
struct THalf {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int s) { return (d + s) >> 1; });
  }
  static __m128i Vec(__m128i D, __m128i S) {
    const __m128i halves =
        _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(D, S), 1), _mm_set1_epi8(0x7F));
    return KeepFourthByte(_mm_add_epi8(_mm_and_si128(D, S), halves), D);
  }
};

struct TCopy {
  static TPixel Pixel(TPixel, TPixel S) { return S; }
  static __m128i Vec(__m128i, __m128i S) { return S; }
};

struct TAdd {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int s) { return std::min(255, d + s); });
  }
  static __m128i Raw(__m128i D, __m128i S) { return _mm_adds_epu8(D, S); }
  static __m128i Vec(__m128i D, __m128i S) { return KeepFourthByte(Raw(D, S), D); }
};

struct TSub {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int s) { return std::max(0, d - s); });
  }
  static __m128i Raw(__m128i D, __m128i S) { return _mm_subs_epu8(D, S); }
  static __m128i Vec(__m128i D, __m128i S) { return KeepFourthByte(Raw(D, S), D); }
};

// d + Sign * s + Offset in 16 bits, saturated back to bytes.
template <int Sign, int Offset>
struct TShifted {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int s) { return std::clamp(d + Sign * s + Offset, 0, 255); });
  }
  static __m128i Vec(__m128i D, __m128i S) {
    const __m128i offset = _mm_set1_epi16(Offset);
    const auto mix = [&](__m128i d, __m128i s) {
      return _mm_add_epi16(Sign > 0 ? _mm_add_epi16(d, s) : _mm_sub_epi16(d, s), offset);
    };
    const __m128i low = mix(_mm_unpacklo_epi8(D, Zero), _mm_unpacklo_epi8(S, Zero));
    const __m128i high = mix(_mm_unpackhi_epi8(D, Zero), _mm_unpackhi_epi8(S, Zero));
    return KeepFourthByte(_mm_packus_epi16(low, high), D);
  }
};

struct TXor {
  static TPixel Pixel(TPixel D, TPixel S) { return D ^ S; }
  static __m128i Vec(__m128i D, __m128i S) { return _mm_xor_si128(D, S); }
};

struct TNeg {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int) { return d < 127 ? 255 : 0; });
  }
  static __m128i Vec(__m128i D, __m128i) {
    // d <= 126 exactly when min(d, 126) == d.
    const __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(D, _mm_set1_epi8(126)), D);
    return KeepFourthByte(below, D);
  }
};

struct TDif {
  static TPixel Pixel(TPixel D, TPixel S) {
    return ColorBytes(D, S, [](int d, int s) { return d > s ? d - s : s - d; });
  }
  static __m128i Raw(__m128i D, __m128i S) {
    return _mm_or_si128(_mm_subs_epu8(D, S), _mm_subs_epu8(S, D));
  }
  static __m128i Vec(__m128i D, __m128i S) { return KeepFourthByte(Raw(D, S), D); }
};

// Where the source pixels come from: a run, or one pixel for every destination pixel.
struct TRunSource {
  const TPixel* P;
  TPixel At(std::size_t I) const { return P[I]; }
  __m128i Vec(std::size_t I) const { return Load(P + I); }
};

struct TFillSource {
  TPixel V;
  TPixel At(std::size_t) const { return V; }
  __m128i Vec(std::size_t) const { return _mm_set1_epi32(static_cast<int>(V)); }
};

// Which pixels stay as they are: none, those whose destination has the key colour, or those
// whose source has it.
struct TNoKey {
  bool Keeps(TPixel, TPixel) const { return false; }
  __m128i Kept(__m128i, __m128i) const { return Zero; }
  static constexpr bool Active = false;
};

struct TDestKey {
  TPixel Key;
  bool Keeps(TPixel D, TPixel) const { return (D & PixelColorMask) == Key; }
  __m128i Kept(__m128i D, __m128i) const {
    return _mm_cmpeq_epi32(_mm_and_si128(D, _mm_set1_epi32(static_cast<int>(PixelColorMask))),
                           _mm_set1_epi32(static_cast<int>(Key)));
  }
  static constexpr bool Active = true;
};

struct TSourceKey {
  TPixel Key;
  bool Keeps(TPixel, TPixel S) const { return (S & PixelColorMask) == Key; }
  __m128i Kept(__m128i, __m128i S) const {
    return _mm_cmpeq_epi32(_mm_and_si128(S, _mm_set1_epi32(static_cast<int>(PixelColorMask))),
                           _mm_set1_epi32(static_cast<int>(Key)));
  }
  static constexpr bool Active = true;
};

template <class TOp, class TSource, class TKey>
void Run(TSource Source, TPixel* Dest, const TPixel* DestEnd, TKey Key) {
  const std::size_t count = Dest < DestEnd ? static_cast<std::size_t>(DestEnd - Dest) : 0;
  std::size_t i = 0;
  // Eight pixels a round keep two loads in flight.
  for (; i + 8 <= count; i += 8) {
    const __m128i d0 = Load(Dest + i), d1 = Load(Dest + i + 4);
    const __m128i s0 = Source.Vec(i), s1 = Source.Vec(i + 4);
    __m128i r0 = TOp::Vec(d0, s0), r1 = TOp::Vec(d1, s1);
    if constexpr (TKey::Active) {
      const __m128i k0 = Key.Kept(d0, s0), k1 = Key.Kept(d1, s1);
      r0 = _mm_or_si128(_mm_and_si128(k0, d0), _mm_andnot_si128(k0, r0));
      r1 = _mm_or_si128(_mm_and_si128(k1, d1), _mm_andnot_si128(k1, r1));
    }
    Store(Dest + i, r0);
    Store(Dest + i + 4, r1);
  }
  for (; i + 4 <= count; i += 4) {
    const __m128i d = Load(Dest + i);
    const __m128i s = Source.Vec(i);
    __m128i result = TOp::Vec(d, s);
    if constexpr (TKey::Active) {
      const __m128i kept = Key.Kept(d, s);
      result = _mm_or_si128(_mm_and_si128(kept, d), _mm_andnot_si128(kept, result));
    }
    Store(Dest + i, result);
  }
  for (; i < count; ++i) {
    const TPixel s = Source.At(i);
    if (!Key.Keeps(Dest[i], s))
      Dest[i] = TOp::Pixel(Dest[i], s);
  }
}

// Add, Sub and Dif leave a byte as it is where the source byte is 0: with a fill colour whose
// fourth byte is 0 they need no step that keeps the destination's fourth byte.
template <class TOp>
struct TWhole {
  static TPixel Pixel(TPixel D, TPixel S) { return TOp::Pixel(D, S); }
  static __m128i Vec(__m128i D, __m128i S) { return TOp::Raw(D, S); }
};

template <class TOp, class TSource, class TKey>
void RunWhole(TSource Source, TPixel* Dest, const TPixel* DestEnd, TKey Key) {
  if constexpr (std::is_same_v<TSource, TFillSource>) {
    if ((Source.V & ~PixelColorMask) == 0)
      return Run<TWhole<TOp>>(Source, Dest, DestEnd, Key);
  }
  Run<TOp>(Source, Dest, DestEnd, Key);
}

template <class TSource, class TKey, bool Truncate, int K>
void RunAlpha(int Level, TSource Source, TPixel* Dest, const TPixel* DestEnd, TKey Key) {
  if constexpr (K < 16) {
    if (Level == K) {
      if constexpr (K == 8)
        Run<THalf>(Source, Dest, DestEnd, Key);
      else
        Run<TAlpha<K, !Truncate>>(Source, Dest, DestEnd, Key);
    } else {
      RunAlpha<TSource, TKey, Truncate, K + 1>(Level, Source, Dest, DestEnd, Key);
    }
  }
}

// Runs Effect over the destination; Truncate gives Bar's alpha levels.
template <bool Truncate, class TSource, class TKey>
void Apply(TEffect Effect, TSource Source, TPixel* Dest, const TPixel* DestEnd, TKey Key) {
  switch (Effect) {
  case ef00:
    return;
  case ef16:
    if constexpr (!TKey::Active && std::is_same_v<TSource, TRunSource>) {
      if (Dest < DestEnd)
        std::memmove(Dest, Source.P, static_cast<std::size_t>(DestEnd - Dest) * sizeof(TPixel));
    } else if constexpr (!TKey::Active) {
      FillPixels(Source.V, Dest, DestEnd);
    } else {
      Run<TCopy>(Source, Dest, DestEnd, Key);
    }
    return;
  case efAdd:
    return RunWhole<TAdd>(Source, Dest, DestEnd, Key);
  case efSub:
    return RunWhole<TSub>(Source, Dest, DestEnd, Key);
  case efAdd127:
    return Run<TShifted<1, -127>>(Source, Dest, DestEnd, Key);
  case efSub127:
    return Run<TShifted<-1, 127>>(Source, Dest, DestEnd, Key);
  case efXor:
    return Run<TXor>(Source, Dest, DestEnd, Key);
  case efNeg:
    return Run<TNeg>(Source, Dest, DestEnd, Key);
  case efDif:
    return RunWhole<TDif>(Source, Dest, DestEnd, Key);
  default:
    if (Effect > ef00 && Effect < ef16)
      RunAlpha<TSource, TKey, Truncate, 1>(Effect, Source, Dest, DestEnd, Key);
    return;
  }
}

// The commonest fills with 32-byte AVX2 operations, on processors that have them: copy, half
// and add of one colour, 8 pixels a step; the rest of a run goes the common way.
const bool HasAVX2 = __builtin_cpu_supports("avx2");

[[gnu::target("avx2")]] TPixel* FillAVX2(TEffect Effect, TPixel Value, TPixel* Dest,
                                         const TPixel* DestEnd) {
  const __m256i s = _mm256_set1_epi32(static_cast<int>(Value));
  const __m256i colour = _mm256_set1_epi32(static_cast<int>(PixelColorMask));
  const __m256i low7 = _mm256_set1_epi8(0x7F);
  const bool keepFourth = (Value & ~PixelColorMask) != 0;
  // Single pixels up to a 32-byte boundary, so that no store straddles two cache lines.
  for (; Dest < DestEnd && (reinterpret_cast<std::uintptr_t>(Dest) & 31) != 0; ++Dest)
    *Dest = Effect == ef16   ? Value
            : Effect == ef08 ? THalf::Pixel(*Dest, Value)
                             : TAdd::Pixel(*Dest, Value);
  for (; Dest + 8 <= DestEnd; Dest += 8) {
    auto* p = reinterpret_cast<__m256i*>(Dest);
    if (Effect == ef16) {
      _mm256_store_si256(p, s);
      continue;
    }
    const __m256i d = _mm256_load_si256(p);
    __m256i r;
    if (Effect == ef08)
      r = _mm256_add_epi8(_mm256_and_si256(d, s),
                          _mm256_and_si256(_mm256_srli_epi16(_mm256_xor_si256(d, s), 1), low7));
    else
      r = _mm256_adds_epu8(d, s);
    if (Effect == ef08 || keepFourth)
      r = _mm256_or_si256(_mm256_and_si256(r, colour), _mm256_andnot_si256(colour, d));
    _mm256_store_si256(p, r);
  }
  return Dest;
}

} // namespace

void FillPixels(TPixel Value, TPixel* Dest, const TPixel* DestEnd) noexcept {
  if (HasAVX2)
    Dest = FillAVX2(ef16, Value, Dest, DestEnd);
  // Single pixels up to a 16-byte boundary, then 64 bytes a round, then the rest.
  while (Dest < DestEnd && (reinterpret_cast<std::uintptr_t>(Dest) & 15) != 0)
    *Dest++ = Value;
  const __m128i v = _mm_set1_epi32(static_cast<int>(Value));
  auto* block = reinterpret_cast<__m128i*>(Dest);
  const std::size_t blocks = Dest < DestEnd ? static_cast<std::size_t>(DestEnd - Dest) / 16 : 0;
  for (std::size_t i = 0; i < blocks; ++i, block += 4) {
    _mm_store_si128(block, v);
    _mm_store_si128(block + 1, v);
    _mm_store_si128(block + 2, v);
    _mm_store_si128(block + 3, v);
  }
  for (Dest += blocks * 16; Dest < DestEnd; ++Dest)
    *Dest = Value;
}

namespace {

template <TEffect E>
void Kernel(const TPixel* Source, TPixel* Dest, const TPixel* DestEnd) {
  Apply<false>(E, TRunSource{Source}, Dest, DestEnd, TNoKey{});
}

template <std::size_t... I>
constexpr std::array<TEffectKernel, EffectCount> MakeKernels(std::index_sequence<I...>) {
  return {&Kernel<static_cast<TEffect>(I)>...};
}

constexpr std::array<TEffectKernel, EffectCount> Kernels =
    MakeKernels(std::make_index_sequence<EffectCount>());

} // namespace

const TEffectKernel EffectKernels[EffectCount] = {
    Kernels[0],  Kernels[1],  Kernels[2],  Kernels[3],  Kernels[4],  Kernels[5],
    Kernels[6],  Kernels[7],  Kernels[8],  Kernels[9],  Kernels[10], Kernels[11],
    Kernels[12], Kernels[13], Kernels[14], Kernels[15], Kernels[16], Kernels[17],
    Kernels[18], Kernels[19], Kernels[20], Kernels[21], Kernels[22], Kernels[23],
};

void BlendRun(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd) {
  Apply<false>(Effect, TRunSource{Source}, Dest, DestEnd, TNoKey{});
}

void BlendRunSkipping(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd,
                      TPixel Key) {
  Apply<false>(Effect, TRunSource{Source}, Dest, DestEnd, TSourceKey{Key & PixelColorMask});
}

void BlendRunKeyed(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd,
                   TPixel Key) {
  Apply<false>(Effect, TRunSource{Source}, Dest, DestEnd, TDestKey{Key & PixelColorMask});
}

void FillRun(TEffect Effect, TPixel Source, TPixel* Dest, const TPixel* DestEnd) {
  if (HasAVX2 && (Effect == ef08 || Effect == efAdd) && Dest < DestEnd)
    Dest = FillAVX2(Effect, Source, Dest, DestEnd);
  Apply<true>(Effect, TFillSource{Source}, Dest, DestEnd, TNoKey{});
}

void FillRunKeyed(TEffect Effect, TPixel Source, TPixel* Dest, const TPixel* DestEnd, TPixel Key) {
  Apply<true>(Effect, TFillSource{Source}, Dest, DestEnd, TDestKey{Key & PixelColorMask});
}

#include "env/uLineEnds_p.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BMI_X86 1
#endif

#include <vector>

namespace {

void MarkPlain(const char* Bytes, std::size_t Count, std::uint64_t* Bits) noexcept {
  for (std::size_t word = 0; word * 64 < Count; ++word) {
    std::uint64_t bits = 0;
    for (unsigned bit = 0; bit < 64; ++bit) {
      const char c = Bytes[word * 64 + bit];
      bits |= std::uint64_t(c == '\r' || c == '\n') << bit;
    }
    Bits[word] = bits;
  }
}

#if defined(BMI_X86)
[[gnu::target("sse2")]] void MarkSSE2(const char* Bytes, std::size_t Count,
                                      std::uint64_t* Bits) noexcept {
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (std::size_t word = 0; word * 64 < Count; ++word) {
    std::uint64_t bits = 0;
    for (unsigned part = 0; part < 4; ++part) {
      const __m128i bytes =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(Bytes + word * 64 + part * 16));
      const auto mask = static_cast<std::uint32_t>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
      bits |= std::uint64_t(mask) << (part * 16);
    }
    Bits[word] = bits;
  }
}

[[gnu::target("avx2")]] inline std::uint32_t MarkAVX2Half(const __m256i* Bytes) noexcept {
  const __m256i bytes = _mm256_loadu_si256(Bytes);
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r')),
                                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')))));
}

[[gnu::target("avx2")]] void MarkAVX2(const char* Bytes, std::size_t Count,
                                      std::uint64_t* Bits) noexcept {
  for (std::size_t word = 0; word * 64 < Count; ++word) {
    const auto* bytes = reinterpret_cast<const __m256i*>(Bytes + word * 64);
    Bits[word] = std::uint64_t(MarkAVX2Half(bytes + 1)) << 32 | MarkAVX2Half(bytes);
  }
}

[[gnu::target("avx512bw")]] void MarkAVX512(const char* Bytes, std::size_t Count,
                                            std::uint64_t* Bits) noexcept {
  const __m512i cr = _mm512_set1_epi8('\r');
  const __m512i lf = _mm512_set1_epi8('\n');
  for (std::size_t word = 0; word * 64 < Count; ++word) {
    const __m512i bytes = _mm512_loadu_si512(Bytes + word * 64);
    Bits[word] = _mm512_cmpeq_epi8_mask(bytes, cr) | _mm512_cmpeq_epi8_mask(bytes, lf);
  }
}
#endif

// A kernel marks whole words; the bits of the last word that lie beyond the text are cleared
// here, once for all of them.
template <TMarkLineEnds Kernel>
void Mark(const char* Bytes, std::size_t Count, std::uint64_t* Bits) noexcept {
  Kernel(Bytes, Count, Bits);
  if (Count % 64 != 0)
    Bits[Count / 64] &= ~std::uint64_t(0) >> (64 - Count % 64);
}

std::vector<TLineEndMarker> FindMarkers() {
  std::vector<TLineEndMarker> markers{{"plain", Mark<MarkPlain>}};
#if defined(BMI_X86)
  if (__builtin_cpu_supports("sse2"))
    markers.push_back({"SSE2", Mark<MarkSSE2>});
  if (__builtin_cpu_supports("avx2"))
    markers.push_back({"AVX2", Mark<MarkAVX2>});
  if (__builtin_cpu_supports("avx512bw"))
    markers.push_back({"AVX-512", Mark<MarkAVX512>});
#endif
  return markers;
}

const std::vector<TLineEndMarker> Markers = FindMarkers();
const TMarkLineEnds Fastest = Markers.back().Mark;

} // namespace

void MarkLineEnds(const char* Bytes, std::size_t Count, std::uint64_t* Bits) noexcept {
  Fastest(Bytes, Count, Bits);
}

std::span<const TLineEndMarker> LineEndMarkers() noexcept {
  return Markers;
}

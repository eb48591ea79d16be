#pragma once

// The 24 ways of combining a source colour with a pixel of a framework bitmap, and the run
// loops that apply them. A pixel is 4 bytes: three colour bytes (blue, green, red; or red, green,
// blue in the OpenGL byte order) and a fourth byte. Every effect works byte by byte on the colour
// bytes and leaves the fourth byte as it was, except ef16 and efXor, which change all four.
//
// With d the destination byte and s the source byte:
//   ef00          d (nothing happens)
//   ef01 ... ef15 (d * (16 - k) + s * k) / 16 for level k, rounded half up; ef08 is (d + s) / 2
//                 truncated. The fills of Bar truncate every level.
//   ef16          s
//   efAdd, efSub  min(255, d + s), max(0, d - s)
//   efAdd127      d + s - 127, efSub127 d - s + 127, each kept within 0 ... 255
//   efXor         d xor s
//   efNeg         255 when d < 127, else 0 (s is not used)
//   efDif         |d - s|

#include <cstdint>
#include <string_view>

enum TEffect : std::uint8_t {
  ef00,
  ef01,
  ef02,
  ef03,
  ef04,
  ef05,
  ef06,
  ef07,
  ef08,
  ef09,
  ef10,
  ef11,
  ef12,
  ef13,
  ef14,
  ef15,
  ef16,
  efAdd,
  efSub,
  efAdd127,
  efSub127,
  efXor,
  efNeg,
  efDif,
};
inline constexpr int EffectCount = efDif + 1;

// The names of the values ("ef00" ...) and the texts shown for them ("0% (None)" ...).
extern const std::string_view EffectNames[EffectCount];
extern const std::string_view EffectDisplayNames[EffectCount];

using TPixel = std::uint32_t;

// The colour bytes of a pixel; pixels are compared with a transparent colour by these alone.
inline constexpr TPixel PixelColorMask = 0x00FFFFFF;

// A kernel combines the source run, pixel by pixel, with the destination run [Dest, DestEnd).
// The runs may be the same memory, not otherwise overlap.
using TEffectKernel = void (*)(const TPixel* Source, TPixel* Dest, const TPixel* DestEnd);
// The kernel of each effect, indexed by the effect.
extern const TEffectKernel EffectKernels[EffectCount];

// Applies the kernel of Effect; an Effect outside the enumeration does nothing.
void BlendRun(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd);
// As BlendRun, leaving the pixels whose source pixel has the colour bytes of Key untouched: the
// drawing of a source with a transparent colour.
void BlendRunSkipping(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd,
                      TPixel Key);
// As BlendRun, leaving the destination pixels with the colour bytes of Key untouched.
void BlendRunKeyed(TEffect Effect, const TPixel* Source, TPixel* Dest, const TPixel* DestEnd,
                   TPixel Key);
// Combines the one pixel Source with every pixel of [Dest, DestEnd), the alpha levels truncated
// as Bar fills.
void FillRun(TEffect Effect, TPixel Source, TPixel* Dest, const TPixel* DestEnd);
// Sets every pixel of [Dest, DestEnd) to Value.
void FillPixels(TPixel Value, TPixel* Dest, const TPixel* DestEnd) noexcept;
// As FillRun, leaving the destination pixels with the colour bytes of Key untouched.
void FillRunKeyed(TEffect Effect, TPixel Source, TPixel* Dest, const TPixel* DestEnd, TPixel Key);

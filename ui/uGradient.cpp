// The gradient fills of TDBitmap in 17 styles, their ramp tables and random numbers, and the form
// background texture built on them.

#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "ui/uDBitmap.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// The spectrum ramp: ten segments of 256 bytes (255, falling, 0, 0, rising, 255, 255, falling,
// 0, 0); followed in the same table by the triangle ramp of 512 bytes (i, then 511 - i).
struct TRamps {
  std::array<std::uint8_t, 2560> Spectrum;
  std::array<std::uint8_t, 512> Triangle;

  TRamps() {
    for (int i = 0; i < 2560; ++i) {
      const int step = i % 256;
      switch (i / 256) {
      case 0:
      case 5:
      case 6:
        Spectrum[i] = 255;
        break;
      case 1:
      case 7:
        Spectrum[i] = static_cast<std::uint8_t>(255 - step);
        break;
      case 4:
        Spectrum[i] = static_cast<std::uint8_t>(step);
        break;
      default:
        Spectrum[i] = 0;
      }
    }
    for (int i = 0; i < 512; ++i)
      Triangle[i] = static_cast<std::uint8_t>(i < 256 ? i : 511 - i);
  }
};

const TRamps& Ramps() {
  static const TRamps ramps;
  return ramps;
}

// The one generator of the random styles: xorshift64*.
std::uint64_t RandomState = 0x9E3779B97F4A7C15ull;

std::uint64_t NextRandom() noexcept {
  RandomState ^= RandomState >> 12;
  RandomState ^= RandomState << 25;
  RandomState ^= RandomState >> 27;
  return RandomState * 0x2545F4914F6CDD1Dull;
}

// A random integer 0 ... Count - 1; 0 for a Count below 1.
std::int64_t Random(std::int64_t Count) noexcept {
  if (Count <= 1)
    return 0;
  return static_cast<std::int64_t>(
      (static_cast<unsigned __int128>(NextRandom()) * static_cast<std::uint64_t>(Count)) >> 64);
}

// (A + r) div B with r random in 0 ... B - 1: a division whose remainders dither.
std::int64_t Dithered(std::int64_t A, std::int64_t B) noexcept {
  return (A + Random(B)) / B;
}

int Clamp(std::int64_t Value) noexcept {
  return static_cast<int>(std::clamp<std::int64_t>(Value, 0, 255));
}

TPixel MakePixel(std::int64_t B0, std::int64_t B1, std::int64_t B2) noexcept {
  return static_cast<TPixel>(Clamp(B0)) | (static_cast<TPixel>(Clamp(B1)) << 8) |
         (static_cast<TPixel>(Clamp(B2)) << 16);
}

int ByteOf(TPixel Pixel, int K) noexcept {
  return static_cast<int>((Pixel >> (8 * K)) & 0xFF);
}

// The non-negative remainder of A mod B, B > 0.
std::int64_t Wrap(std::int64_t A, std::int64_t B) noexcept {
  const std::int64_t r = A % B;
  return r < 0 ? r + B : r;
}

// Style 10 at column X of a W-wide rectangle: C0 at the left edge to C1 at the right; a single
// column has C0.
TPixel FadeAcross(std::int64_t X, std::int64_t W, TPixel C0, TPixel C1) noexcept {
  if (W <= 1)
    return C0;
  std::int64_t b[3];
  for (int k = 0; k < 3; ++k)
    b[k] = Dithered((W - 1 - X) * ByteOf(C0, k) + X * ByteOf(C1, k), W - 1);
  return MakePixel(b[0], b[1], b[2]);
}

std::unique_ptr<TDBitmap> FormTexture;
bool FormTextureLoaded = false;

// The form background texture, loaded from GraphDir on first use; empty when there is none.
const TDBitmap& Texture() {
  if (!FormTextureLoaded) {
    FormTextureLoaded = true;
    FormTexture = std::make_unique<TDBitmap>();
    for (std::string_view extension : TextureExtensions) {
      const std::string name = GraphDir + "Form." + std::string(extension);
      if (FileExistsEx(name)) {
        // A texture that cannot be read was reported by the loader; the forms go without one
        // rather than with half a picture.
        if (!FormTexture->LoadFromFile(name))
          FormTexture = std::make_unique<TDBitmap>();
        break;
      }
    }
  }
  return *FormTexture;
}

} // namespace

void SetGradientSeed(std::uint32_t Seed) noexcept {
  // xorshift must not start at 0.
  RandomState = (std::uint64_t{Seed} << 32 | Seed) ^ 0x9E3779B97F4A7C15ull;
  if (RandomState == 0)
    RandomState = 1;
}

void FinalizeDBitmap() {
  FormTexture.reset();
  FormTextureLoaded = false;
}

void TDBitmap::Gradient(const TRect& Rect, const TProgress& Progress, std::int32_t Offset,
                        TEffect Effect, const std::array<TColor, 4>& Colors, int Style) {
  if (Empty() || Effect == ef00 || Style < 0 || Style >= GradientStyleCount)
    return;
  const std::int64_t rectLeft = std::min(Rect.Left, Rect.Right);
  const std::int64_t rectTop = std::min(Rect.Top, Rect.Bottom);
  const std::int64_t W = std::int64_t{std::max(Rect.Left, Rect.Right)} - rectLeft + 1;
  const std::int64_t H = std::int64_t{std::max(Rect.Top, Rect.Bottom)} - rectTop + 1;
  const std::int32_t left =
      static_cast<std::int32_t>(std::max<std::int64_t>(rectLeft, ClipRect_.Left));
  const std::int32_t top =
      static_cast<std::int32_t>(std::max<std::int64_t>(rectTop, ClipRect_.Top));
  const std::int32_t right =
      static_cast<std::int32_t>(std::min<std::int64_t>(rectLeft + W - 1, ClipRect_.Right));
  const std::int32_t bottom =
      static_cast<std::int32_t>(std::min<std::int64_t>(rectTop + H - 1, ClipRect_.Bottom));
  if (left > right || top > bottom)
    return;

  const TRamps& ramps = Ramps();
  const auto tri = [&](std::int64_t I) { return std::int64_t{ramps.Triangle[Wrap(I, 512)]}; };
  TPixel c[4];
  for (int n = 0; n < 4; ++n)
    c[n] = ColorToPixel(Colors[n]);
  const auto cb = [&](int N, int K) { return std::int64_t{ByteOf(c[N], K)}; };

  const auto columns = static_cast<std::size_t>(right - left + 1);
  std::vector<std::int64_t> xs(columns);
  for (std::size_t i = 0; i < columns; ++i)
    xs[i] = Wrap(left + static_cast<std::int64_t>(i) - rectLeft + Offset, W);
  std::vector<TPixel> buffer(columns);

  // Style 12 mixes two edges computed once: style 10 along the columns, style 11 down the rows.
  std::vector<TPixel> acrossEdge, downEdge;
  if (Style == 12) {
    acrossEdge.resize(columns);
    for (std::size_t i = 0; i < columns; ++i)
      acrossEdge[i] = FadeAcross(xs[i], W, c[0], c[1]);
    downEdge.resize(static_cast<std::size_t>(bottom - top + 1));
    for (std::int32_t y = top; y <= bottom; ++y)
      downEdge[static_cast<std::size_t>(y - top)] =
          FadeAcross(Wrap(y - rectTop + Offset, H), H, c[2], c[3]);
  }
  // The random walk of style 8, unclamped.
  std::int64_t walk[3] = {127, 127, 127};

  const bool keyed = Transparent && TransparentColor != clNone;
  const TPixel key = TransparentPixel();
  for (std::int32_t row = top; row <= bottom; ++row) {
    const std::int64_t ry = row - rectTop;
    if (Progress && Progress(static_cast<int>(ry * 1024 / H), static_cast<int>(ry * 1024 % H)))
      break;
    const std::int64_t y = Wrap(ry + Offset, H);
    TPixel* out = buffer.data();
    switch (Style) {
    case 0:
    case 1:
      for (std::size_t i = 0; i < columns; ++i) {
        const std::int64_t v = Style == 0 ? 1536 * xs[i] / W : 1536 * y / H;
        out[i] = MakePixel(ramps.Spectrum[v], ramps.Spectrum[v + 1024], ramps.Spectrum[v + 512]);
      }
      break;
    case 2:
      for (std::size_t i = 0; i < columns; ++i) {
        const std::int64_t x = xs[i];
        out[i] = MakePixel(355 - 256 * x / W - 256 * y / H,
                           320 - 256 * (H - 1 - y) / H - 128 * std::abs(2 * x - (W - 1)) / W,
                           355 - 256 * (W - 1 - x) / W - 256 * y / H);
      }
      break;
    case 3:
      for (std::size_t i = 0; i < columns; ++i) {
        const std::int64_t x = xs[i];
        out[i] = MakePixel(355 - 256 * x / W - 256 * y / H,
                           320 - 256 * (W - 1 - x) / W - 256 * std::abs(y - (H - 1) / 2) / H,
                           355 - 256 * (H - 1 - y) / H - 256 * x / W);
      }
      break;
    case 4:
      for (std::size_t i = 0; i < columns; ++i)
        out[i] = MakePixel(tri(8 * y), tri(8 * xs[i]), 256 * (H - 1 - y) / H);
      break;
    case 5:
      for (std::size_t i = 0; i < columns; ++i)
        out[i] = MakePixel(tri(8 * xs[i]), tri(8 * y), 256 * (W - 1 - xs[i]) / W);
      break;
    case 6:
    case 7:
      for (std::size_t i = 0; i < columns; ++i) {
        // Style 7 is style 6 with the axes exchanged.
        const std::int64_t a = Style == 6 ? y : xs[i], b = Style == 6 ? xs[i] : y;
        const std::int64_t size = Style == 6 ? H : W;
        std::int64_t bytes[3];
        for (int k = 0; k < 3; ++k)
          bytes[k] = cb(0, k) * tri(8 * a) / 256 + cb(1, k) * tri(8 * b) / 256 +
                     cb(2, k) * (256 * (size - 1 - a) / size) / 256;
        out[i] = MakePixel(bytes[0], bytes[1], bytes[2]);
      }
      break;
    case 8:
      for (std::size_t i = 0; i < columns; ++i) {
        for (int k = 0; k < 3; ++k)
          walk[k] += cb(0, k) - Random(2 * cb(0, k) + 1);
        out[i] = MakePixel(walk[0], walk[1], walk[2]);
      }
      break;
    case 9:
      for (std::size_t i = 0; i < columns; ++i) {
        std::int64_t bytes[3];
        for (int k = 0; k < 3; ++k)
          bytes[k] = Random(cb(0, k) + 1);
        out[i] = MakePixel(bytes[0], bytes[1], bytes[2]);
      }
      break;
    case 10:
      for (std::size_t i = 0; i < columns; ++i)
        out[i] = FadeAcross(xs[i], W, c[0], c[1]);
      break;
    case 11: {
      for (std::size_t i = 0; i < columns; ++i)
        out[i] = FadeAcross(y, H, c[2], c[3]);
      break;
    }
    case 12:
      std::copy(acrossEdge.begin(), acrossEdge.end(), buffer.begin());
      FillRun(ef08, downEdge[static_cast<std::size_t>(row - top)], out, out + columns);
      break;
    case 13:
      for (std::size_t i = 0; i < columns; ++i) {
        std::int64_t bytes[3];
        for (int k = 0; k < 3; ++k)
          bytes[k] =
              2 * (W - 1 - xs[i]) * cb(1, k) / (2 * W) + 2 * (H - 1 - y) * cb(0, k) / (2 * H);
        out[i] = MakePixel(bytes[0], bytes[1], bytes[2]);
      }
      break;
    case 14:
      for (std::size_t i = 0; i < columns; ++i) {
        std::int64_t bytes[3];
        for (int k = 0; k < 3; ++k)
          bytes[k] = (2 * xs[i] + 2) * cb(3, k) / (2 * W) + (2 * y + 2) * cb(2, k) / (2 * H);
        out[i] = MakePixel(bytes[0], bytes[1], bytes[2]);
      }
      break;
    case 15:
      for (std::size_t i = 0; i < columns; ++i) {
        std::int64_t bytes[3];
        for (int k = 0; k < 3; ++k)
          bytes[k] = (2 * (W - 1 - xs[i]) * cb(1, k) + (2 * xs[i] + 2) * cb(3, k)) / (2 * W) +
                     (2 * (H - 1 - y) * cb(0, k) + (2 * y + 2) * cb(2, k)) / (2 * H);
        out[i] = MakePixel(bytes[0], bytes[1], bytes[2]);
      }
      break;
    default:
      std::fill(buffer.begin(), buffer.end(), c[0] & PixelColorMask);
      break;
    }
    TPixel* target = PixelAddress(left, row);
    if (keyed)
      BlendRunKeyed(Effect, out, target, target + columns, key);
    else
      BlendRun(Effect, out, target, target + columns);
  }
}

void TDBitmap::Gradient(const TProgress& Progress, std::int32_t Offset, TEffect Effect,
                        const std::array<TColor, 4>& Colors, int Style) {
  Gradient(TRect{0, 0, Width_ - 1, Height_ - 1}, Progress, Offset, Effect, Colors, Style);
}

void TDBitmap::BackgroundTexture(TColor Color) {
  const TColor light = Lighter(Color), dark = Darker(Color);
  Gradient(nullptr, 0, ef16, {light, dark, light, dark}, 12);
  const TDBitmap& texture = Texture();
  if (!texture.Empty())
    Tile(texture, ClipRect_, ef04);
}

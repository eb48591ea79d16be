#include "graphics/uColors.h"

#include <algorithm>

namespace {

// The classic desktop colours, for programs without a desktop palette.
constexpr TColor ClassicColors[SystemColorCount] = {
    RGBColor(0xC8, 0xC8, 0xC8), // scroll bar
    RGBColor(0x00, 0x00, 0x00), // background
    RGBColor(0x99, 0xB4, 0xD1), // active caption
    RGBColor(0xBF, 0xCD, 0xDB), // inactive caption
    RGBColor(0xF0, 0xF0, 0xF0), // menu
    RGBColor(0xFF, 0xFF, 0xFF), // window
    RGBColor(0x64, 0x64, 0x64), // window frame
    RGBColor(0x00, 0x00, 0x00), // menu text
    RGBColor(0x00, 0x00, 0x00), // window text
    RGBColor(0x00, 0x00, 0x00), // caption text
    RGBColor(0xB4, 0xB4, 0xB4), // active border
    RGBColor(0xF4, 0xF7, 0xFC), // inactive border
    RGBColor(0xAB, 0xAB, 0xAB), // application workspace
    RGBColor(0x00, 0x78, 0xD7), // highlight
    RGBColor(0xFF, 0xFF, 0xFF), // highlight text
    RGBColor(0xF0, 0xF0, 0xF0), // button face
    RGBColor(0xA0, 0xA0, 0xA0), // button shadow
    RGBColor(0x6D, 0x6D, 0x6D), // grey text
    RGBColor(0x00, 0x00, 0x00), // button text
    RGBColor(0x00, 0x00, 0x00), // inactive caption text
    RGBColor(0xFF, 0xFF, 0xFF), // button highlight
    RGBColor(0x69, 0x69, 0x69), // 3-D dark shadow
    RGBColor(0xE3, 0xE3, 0xE3), // 3-D light
    RGBColor(0x00, 0x00, 0x00), // info text
    RGBColor(0xFF, 0xFF, 0xE1), // info background
};

// Numerator / Denominator rounded to the nearest whole number, halves away from zero;
// Denominator > 0.
int RoundedDiv(int Numerator, int Denominator) {
  return Numerator >= 0 ? (2 * Numerator + Denominator) / (2 * Denominator)
                        : -((-2 * Numerator + Denominator) / (2 * Denominator));
}

TColor ClassicColor(int Index) {
  return Index >= 0 && Index < SystemColorCount ? ClassicColors[Index] : clBlack;
}

TSystemColorResolver Resolver = ClassicColor;

} // namespace

TSystemColorResolver SetSystemColorResolver(TSystemColorResolver NewResolver) noexcept {
  TSystemColorResolver previous = Resolver;
  Resolver = NewResolver ? NewResolver : ClassicColor;
  return previous;
}

TColor ColorToRGB(TColor Color) {
  if (IsSystemColor(Color))
    return Resolver(Color & 0xFF) & 0xFFFFFF;
  return Color & 0xFFFFFF;
}

TColor ContrastColor(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  const int largest = std::max({RedOf(rgb), GreenOf(rgb), BlueOf(rgb)});
  const int smallest = std::min({RedOf(rgb), GreenOf(rgb), BlueOf(rgb)});
  return (largest + smallest) / 2 >= 128 ? clBlack : clWhite;
}

THLS ColorToHLS(TColor Color) {
  const TColor rgb = ColorToRGB(Color);
  const int r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
  const int largest = std::max({r, g, b});
  const int smallest = std::min({r, g, b});
  const int lightness = (largest + smallest) / 2;
  const int delta = largest - smallest;
  // Greys, black and white among them, have no hue; their saturation would divide by zero.
  if (delta == 0)
    return MakeHLS(HueGrey, lightness, 0);
  const int base = lightness >= 128 ? 510 - largest - smallest : largest + smallest;
  const int saturation = std::min(255, RoundedDiv(delta * 255, base));
  int hue;
  if (r == largest)
    hue = RoundedDiv((g - b) * 255, delta);
  else if (g == largest)
    hue = RoundedDiv((b - r) * 255, delta) + 510;
  else
    hue = RoundedDiv((r - g) * 255, delta) + 1020;
  if (hue < 0)
    hue += HueRange;
  return MakeHLS(hue, lightness, saturation);
}

TColor HLSToColor(THLS HLS) {
  const int hue = HueOf(HLS);
  const int lightness = LightnessOf(HLS);
  const int saturation = SaturationOf(HLS);
  if (saturation == 0 || hue == HueGrey)
    return RGBColor(lightness, lightness, lightness);
  const int sum = 2 * lightness;
  const int base = lightness >= 128 ? 510 - sum : sum;
  const int delta = RoundedDiv(saturation * base, 255);
  const int largest = std::min(255, (sum + delta + 1) / 2);
  const int smallest = std::max(0, largest - delta);
  const int range = largest - smallest;
  const int h = hue % HueRange;
  // The middle channel rises or falls across each 255-step segment.
  const auto part = [&](int Steps) { return smallest + RoundedDiv(range * Steps, 255); };
  switch (h / 255) {
  case 0:
    return RGBColor(largest, part(h), smallest);
  case 1:
    return RGBColor(part(510 - h), largest, smallest);
  case 2:
    return RGBColor(smallest, largest, part(h - 510));
  case 3:
    return RGBColor(smallest, part(1020 - h), largest);
  case 4:
    return RGBColor(part(h - 1020), smallest, largest);
  default:
    return RGBColor(largest, smallest, part(1530 - h));
  }
}

TColor Lighter(TColor Color) {
  const THLS hls = ColorToHLS(Color);
  return HLSToColor(MakeHLS(HueOf(hls), std::min(255, LightnessOf(hls) + 64), SaturationOf(hls)));
}

TColor Darker(TColor Color) {
  const THLS hls = ColorToHLS(Color);
  return HLSToColor(MakeHLS(HueOf(hls), std::max(0, LightnessOf(hls) - 64), SaturationOf(hls)));
}

TColor ScaleColor(TColor Color, std::int32_t Factor) {
  const TColor rgb = ColorToRGB(Color);
  const auto scale = [Factor](int Channel) {
    return static_cast<int>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(Channel) * Factor / 65536, 0, 255));
  };
  return RGBColor(scale(RedOf(rgb)), scale(GreenOf(rgb)), scale(BlueOf(rgb)));
}

TColor SpectrumColor(int Hue) {
  int h = Hue % HueRange;
  if (h < 0)
    h += HueRange;
  switch (h / 255) {
  case 0:
    return RGBColor(255, h, 0);
  case 1:
    return RGBColor(510 - h, 255, 0);
  case 2:
    return RGBColor(0, 255, h - 510);
  case 3:
    return RGBColor(0, 1020 - h, 255);
  case 4:
    return RGBColor(h - 1020, 0, 255);
  default:
    return RGBColor(255, 0, 1530 - h);
  }
}

TColor MixColors(TColor Color1, TColor Color2) {
  const auto pair = [&](TColor A, TColor B) {
    return (Color1 == A && Color2 == B) || (Color1 == B && Color2 == A);
  };
  if (pair(clBtnShadow, clBtnHighlight))
    return cl3DLight;
  if (pair(cl3DDkShadow, cl3DLight))
    return clBtnShadow;
  const TColor a = ColorToRGB(Color1), b = ColorToRGB(Color2);
  return RGBColor((RedOf(a) + RedOf(b)) / 2, (GreenOf(a) + GreenOf(b)) / 2,
                  (BlueOf(a) + BlueOf(b)) / 2);
}

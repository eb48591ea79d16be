#include "ui/uColors.h"

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

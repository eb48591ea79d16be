#pragma once

// Colours as the framework's 32-bit colour numbers: red in the low byte, green in the second,
// blue in the third. System colours have the high byte 0xFF and their index in the low byte, and
// are resolved to the current desktop palette; clNone means no colour.

#include <cstdint>

using TColor = std::int32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// The system colour of a palette index.
constexpr TColor SystemColor(int Index) {
  return static_cast<TColor>(0xFF000000u | static_cast<std::uint32_t>(Index & 0xFF));
}

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);

inline constexpr int SystemColorCount = 25;

constexpr bool IsSystemColor(TColor Color) {
  return (static_cast<std::uint32_t>(Color) & 0xFF000000u) == 0xFF000000u;
}

constexpr int RedOf(TColor Color) {
  return Color & 0xFF;
}
constexpr int GreenOf(TColor Color) {
  return (Color >> 8) & 0xFF;
}
constexpr int BlueOf(TColor Color) {
  return (Color >> 16) & 0xFF;
}
constexpr TColor RGBColor(int Red, int Green, int Blue) {
  return (Red & 0xFF) | ((Green & 0xFF) << 8) | ((Blue & 0xFF) << 16);
}

// Resolves a system colour index to RGB; installed by the desktop layer.
using TSystemColorResolver = TColor (*)(int Index);
// Installs the resolver and returns the one before; nullptr restores the built-in table of
// classic desktop colours.
TSystemColorResolver SetSystemColorResolver(TSystemColorResolver Resolver) noexcept;

// The RGB value of a colour: system colours through the resolver, others with the high byte
// cleared.
TColor ColorToRGB(TColor Color);

// Black for a colour whose lightness, (largest + smallest of its red, green and blue) / 2, is 128
// or more; white otherwise.
TColor ContrastColor(TColor Color);

// Hue, lightness and saturation packed in one number: the hue (0 ... 1529 in six steps of 255
// from red over yellow, green, cyan, blue and magenta back to red; HueGrey for greys) in bits
// 0-15, the lightness (0 ... 255) in bits 16-23 and the saturation (0 ... 255) in bits 24-31.
using THLS = std::uint32_t;
inline constexpr int HueGrey = 0xFFFF;
inline constexpr int HueRange = 1530;

constexpr int HueOf(THLS HLS) {
  return static_cast<int>(HLS & 0xFFFF);
}
constexpr int LightnessOf(THLS HLS) {
  return static_cast<int>((HLS >> 16) & 0xFF);
}
constexpr int SaturationOf(THLS HLS) {
  return static_cast<int>(HLS >> 24);
}
constexpr THLS MakeHLS(int Hue, int Lightness, int Saturation) {
  return (static_cast<THLS>(Hue) & 0xFFFF) | ((static_cast<THLS>(Lightness) & 0xFF) << 16) |
         ((static_cast<THLS>(Saturation) & 0xFF) << 24);
}

// The hue, lightness and saturation of a colour (system colours resolved). Lightness is
// (max + min) / 2 of the channels; saturation (max - min) * 255 / (max + min), or
// / (510 - max - min) from lightness 128 on, rounded; black, white and every grey have
// saturation 0 and hue HueGrey.
THLS ColorToHLS(TColor Color);
// The colour of hue, lightness and saturation; saturation 0 or hue HueGrey give the grey of the
// lightness. The inverse of ColorToHLS within rounding.
TColor HLSToColor(THLS HLS);
// The colour 64 steps lighter (lightness at most 255), or darker (at least 0).
TColor Lighter(TColor Color);
TColor Darker(TColor Color);
// Each channel times Factor / 65536 (65536 = 1.0), kept within 0 ... 255.
TColor ScaleColor(TColor Color, std::int32_t Factor);
// The fully saturated colour of a hue, taken modulo 1530: 0 red, 255 yellow, 510 green, 765 cyan,
// 1020 blue, 1275 magenta.
TColor SpectrumColor(int Hue);
// The colour between two: button shadow with button highlight gives the 3-D light colour, 3-D dark
// shadow with 3-D light the button shadow (either order, as system colours); any other pair the
// mean of each channel, truncated.
TColor MixColors(TColor Color1, TColor Color2);

#pragma once

// The picture codecs of TDBitmap over the codec libraries: libjpeg-turbo, libpng and giflib with
// libimagequant. Decoders take a whole file in memory and give a picture of Format_RGB32 whose
// fourth bytes are undefined; encoders take a picture of Format_RGB32 (blue, green, red in
// memory) and give the file's bytes. Every failure, a damaged or truncated file among them,
// raises Exception with the library's message; a header that claims more pixels than its data
// can hold is refused before anything is allocated.

#include "graphics/uColors.h"

#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

struct TDecodedPicture {
  QImage Picture;
  bool Transparent = false;
  TColor TransparentColor = clNone;
};

// A JPEG picture; greyscale and CMYK pictures come as RGB.
TDecodedPicture DecodeJPEG(std::span<const std::uint8_t> Data);
// A JPEG file of quality 1 ... 100 with the best-quality settings (accurate DCT, optimised
// Huffman tables, no chroma subsampling); Grayscale writes one 8-bit channel.
std::vector<std::uint8_t> EncodeJPEG(const QImage& Picture, int Quality, bool Grayscale);

// A PNG picture. A transparent colour (tRNS of a grey or RGB picture) gives Transparent and that
// colour; a picture with an alpha channel or palette alpha is drawn over the key colour
// PNGKeyColor, which becomes its transparent colour.
TDecodedPicture DecodePNG(std::span<const std::uint8_t> Data);
inline constexpr TColor PNGKeyColor = 0x818283;
// An 8-bit RGB PNG at compression level 9; with Transparent, TransparentColor (an RGB colour
// number) is written as its transparent colour.
std::vector<std::uint8_t> EncodePNG(const QImage& Picture, bool Transparent,
                                    TColor TransparentColor);

// The first picture of a GIF file on its logical screen. Transparent when the picture names a
// transparent palette entry; its pixels, and the screen outside the picture, show that entry's
// colour.
TDecodedPicture DecodeGIF(std::span<const std::uint8_t> Data);
// A GIF file of the picture reduced to a palette of at most 256 colours by quantising, with
// Floyd-Steinberg dithering.
std::vector<std::uint8_t> EncodeGIF(const QImage& Picture);

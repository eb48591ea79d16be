#pragma once

// The limits every picture reader keeps, so that a header that lies about the size cannot make
// the program allocate without bound: a picture has at most MaxPicturePixels pixels, and no more
// than its data could describe at the densest its format packs pixels.

#include <QImage>
#include <cstdint>

// 2^28 pixels: 1 GiB of 32-bit pixels.
inline constexpr std::uint64_t MaxPicturePixels = std::uint64_t{1} << 28;

// The message of a picture whose data is shorter than its header says.
inline constexpr const char* TruncatedPictureMessage = "File is truncated.";

// Raises Exception(TruncatedPictureMessage) unless Width x Height is at most MaxPicturePixels and
// at most PixelsPerByte * DataBytes + 64 (tiny pictures pass whatever their data).
void CheckPictureSize(std::int64_t Width, std::int64_t Height, std::uint64_t DataBytes,
                      std::uint64_t PixelsPerByte);
// A new Width x Height picture of Format_RGB32, not filled. Raises Exception when the memory
// cannot be had.
QImage NewPicture(int Width, int Height);

#pragma once

// TTGAImage: Truevision Targa pictures ("tga", "Targa Graphics") of 24 or 32 bits a pixel,
// uncompressed (image type 2) or run-length encoded (type 10), without a colour map.

#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

class TTGAImage {
 public:
  // The message of a file of another kind.
  static constexpr const char* UnsupportedMessage =
      "Only 24/32 bit color uncompressed tga image is supported.";

  // Reads a whole file. A 32-bit uncompressed file with descriptor 0 whose data is exactly
  // width x height x 4 bytes is taken as the pixel memory, bottom row first. Any other is decoded
  // at (depth + 7) div 8 bytes a pixel (blue, green, red first), from the bottom row up, or from
  // the top down when the descriptor's bit 5 is set; type 10 packets repeat one pixel (high bit
  // set) or carry literal pixels, 1 ... 128 each, and may run on into the next row. Pixels the
  // data does not reach stay black. Raises Exception for another kind, and for a size that the
  // data cannot hold even at the densest.
  void LoadFromStream(std::span<const std::uint8_t> Data);
  // An 18-byte header (type 2, descriptor 0, depth 32), then the pixels bottom row first. Raises
  // Exception for a picture wider or higher than 65535, which the header cannot hold.
  void SaveToStream(std::vector<std::uint8_t>& Data) const;
  // Takes a copy of a picture, as 32 bits a pixel.
  void Assign(const QImage& Picture);
  const QImage& Picture() const noexcept { return Picture_; }

 private:
  QImage Picture_;
};

#pragma once

// TPPMImage: Portable Pixelmap pictures ("ppm", "Portable Pixelmap"), the binary "P6" and the
// text "P3" kinds, read with the framework's scanner so that "#" starts a comment up to the end
// of the line anywhere in the header.

#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

class TPPMImage {
 public:
  // The message of a file that is neither "P6" nor "P3".
  static constexpr const char* UnsupportedMessage = "Only P3/P6 ppm picture is supported.";

  // Reads a whole file: "P6" or "P3", width (0 ... 0x20000000), height (0 ... 0x40000000) and
  // maximum sample value (0 ... 65535; 255 when no number stands there), one whitespace
  // character, then the pixels from the top row, red, green and blue: bytes (two a sample, most
  // significant first, from a maximum of 256 on) for "P6", decimal numbers for "P3". Samples
  // are scaled from the maximum to 255, rounded; a maximum of 0 gives black. Raises Exception for
  // another kind, and for pixels that the file is too short to hold.
  void LoadFromStream(std::span<const std::uint8_t> Data);
  // "P6\n" + width + " " + height + "\n255\n", then red, green and blue bytes from the top row.
  void SaveToStream(std::vector<std::uint8_t>& Data) const;
  // Takes a copy of a picture, as 32 bits a pixel.
  void Assign(const QImage& Picture);
  // The picture, Format_RGB32 with 0 in the fourth byte of the pixels read.
  const QImage& Picture() const noexcept { return Picture_; }

 private:
  QImage Picture_;
};

#include "ui/TGAImage.h"

#include "platform/uExceptions.h"
#include "ui/uPictureLimits.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t HeaderSize = 18;
// A run packet of 128 pixels takes 4 bytes of a 24-bit file.
constexpr std::uint64_t RunPixelsPerByte = 32;

int Word(const std::uint8_t* P) {
  return P[0] | P[1] << 8;
}

} // namespace

void TTGAImage::LoadFromStream(std::span<const std::uint8_t> Data) {
  if (Data.size() < HeaderSize)
    throw Exception(TruncatedPictureMessage);
  const std::uint8_t* header = Data.data();
  const int idLength = header[0], colorMapType = header[1], imageType = header[2];
  const int width = Word(header + 12), height = Word(header + 14);
  const int depth = header[16], descriptor = header[17];
  if ((imageType != 2 && imageType != 10) || colorMapType != 0 || depth < 24)
    throw Exception(UnsupportedMessage);
  const std::size_t start = std::min(Data.size(), HeaderSize + idLength);
  const std::uint8_t* data = Data.data() + start;
  const std::size_t rest = Data.size() - start;
  if (width == 0 || height == 0) {
    Picture_ = QImage();
    return;
  }
  CheckPictureSize(width, height, rest, imageType == 10 ? RunPixelsPerByte : 1);
  QImage picture = NewPicture(width, height);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;

  if (imageType == 2 && descriptor == 0 && depth == 32 && rest == rowBytes * height) {
    for (int i = 0; i < height; ++i)
      std::memcpy(picture.scanLine(height - 1 - i), data + rowBytes * i, rowBytes);
    Picture_ = std::move(picture);
    return;
  }

  std::memset(picture.bits(), 0, static_cast<std::size_t>(picture.sizeInBytes()));
  const std::size_t pixelBytes = static_cast<std::size_t>(depth + 7) / 8;
  const bool topDown = (descriptor & 0x20) != 0;
  std::size_t p = 0;
  // The packet being decoded: pixels left in it, and whether it repeats one pixel.
  int left = 0;
  bool repeat = false;
  std::uint32_t repeated = 0;
  const auto pixelAt = [&](std::size_t At) {
    return std::uint32_t{data[At]} | std::uint32_t{data[At + 1]} << 8 |
           std::uint32_t{data[At + 2]} << 16;
  };
  bool end = false;
  for (int i = 0; i < height && !end; ++i) {
    auto* row = reinterpret_cast<std::uint32_t*>(picture.scanLine(topDown ? i : height - 1 - i));
    for (int x = 0; x < width; ++x) {
      if (imageType == 2) {
        if (rest - p < pixelBytes) {
          end = true;
          break;
        }
        row[x] = pixelAt(p);
        p += pixelBytes;
        continue;
      }
      if (left == 0) {
        if (p >= rest) {
          end = true;
          break;
        }
        const int packet = data[p++];
        left = (packet & 0x7F) + 1;
        repeat = (packet & 0x80) != 0;
        if (repeat) {
          if (rest - p < pixelBytes) {
            end = true;
            break;
          }
          repeated = pixelAt(p);
          p += pixelBytes;
        }
      }
      if (repeat) {
        row[x] = repeated;
      } else {
        if (rest - p < pixelBytes) {
          end = true;
          break;
        }
        row[x] = pixelAt(p);
        p += pixelBytes;
      }
      --left;
    }
  }
  Picture_ = std::move(picture);
}

void TTGAImage::SaveToStream(std::vector<std::uint8_t>& Data) const {
  const int width = Picture_.isNull() ? 0 : Picture_.width();
  const int height = Picture_.isNull() ? 0 : Picture_.height();
  if (width > 0xFFFF || height > 0xFFFF)
    throw Exception("The picture is too large for a TGA file.");
  Data.assign(HeaderSize, 0);
  Data[2] = 2;
  Data[12] = static_cast<std::uint8_t>(width);
  Data[13] = static_cast<std::uint8_t>(width >> 8);
  Data[14] = static_cast<std::uint8_t>(height);
  Data[15] = static_cast<std::uint8_t>(height >> 8);
  Data[16] = 32;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  Data.resize(HeaderSize + rowBytes * height);
  for (int i = 0; i < height; ++i)
    std::memcpy(Data.data() + HeaderSize + rowBytes * i, Picture_.constScanLine(height - 1 - i),
                rowBytes);
}

void TTGAImage::Assign(const QImage& Picture) {
  Picture_ = Picture.format() == QImage::Format_RGB32
                 ? Picture
                 : Picture.convertToFormat(QImage::Format_RGB32);
}

#include "ui/uPictureLimits.h"

#include "platform/uExceptions.h"

void CheckPictureSize(std::int64_t Width, std::int64_t Height, std::uint64_t DataBytes,
                      std::uint64_t PixelsPerByte) {
  if (Width < 0 || Height < 0)
    throw Exception(TruncatedPictureMessage);
  const std::uint64_t pixels =
      static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
  // DataBytes and PixelsPerByte come from files and fixed tables: their product stays far below
  // 2^64 for any file that fits in memory.
  if (pixels > MaxPicturePixels || pixels > PixelsPerByte * DataBytes + 64)
    throw Exception(TruncatedPictureMessage);
}

QImage NewPicture(int Width, int Height) {
  QImage picture(Width, Height, QImage::Format_RGB32);
  if (Width > 0 && Height > 0 && picture.isNull())
    throw Exception("Out of memory.");
  return picture;
}

// Reads arbitrary bytes as a picture file of one format, chosen when the target is built:
// FUZZ_EXTENSION names it. BMP goes through LoadFromFile, so that the direct reader reads it from
// a file; the others through LoadFromStreamExt. Every pixel of what was loaded is read, so that
// a picture larger than its memory shows.

#include "app/uStartup.h"
#include "platform/uExceptions.h"
#include "ui/uDBitmap.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::uint32_t Touch(const TDBitmap& Bitmap) {
  std::uint32_t sum = 0;
  for (std::int32_t y = 0; y < Bitmap.Height(); ++y)
    for (std::int32_t x = 0; x < Bitmap.Width(); ++x)
      sum += Bitmap.GetPixel(x, y);
  return sum;
}

volatile std::uint32_t Sink;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFrameworkScope framework;
  TDBitmap bitmap;
  const std::string extension = FUZZ_EXTENSION;
  if (extension == "bmp") {
    static const std::string name = "/tmp/fuzz-picture-" + std::to_string(::getpid()) + ".bmp";
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
      return 0;
    std::fwrite(Data, 1, Size, file);
    std::fclose(file);
    // Most inputs are bad pictures; only their safe handling counts.
    (void)bitmap.LoadFromFile(name);
  } else {
    try {
      bitmap.LoadFromStreamExt({Data, Size}, extension);
    } catch (const Exception&) {
    }
  }
  Sink = Touch(bitmap);
  return 0;
}

// Reads arbitrary bytes as a wave file with TWave::LoadFromFile, from a memory file. The first
// byte chooses a header-only load (bit 0). Checks that the image stays within the file's size plus
// the samples expanded, that what was loaded holds together, and reads every byte of it; converts
// it to stereo and reads the result as the player would.

#include "FuzzFile.h"
#include "app/uStartup.h"
#include "platform/uWaveImage.h"
#include "sound/uWave.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

std::uint32_t Touch(std::span<const std::uint8_t> Bytes) {
  std::uint32_t sum = 0;
  for (const std::uint8_t byte : Bytes)
    sum += byte;
  return sum;
}

volatile std::uint32_t Sink;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFrameworkScope framework;
  static TFuzzFile file;
  if (Size == 0)
    return 0;
  const bool headerOnly = (Data[0] & 1) != 0;
  ++Data;
  --Size;
  file.Fill(Data, Size);
  TWave wave;
  wave.HeaderOnly = headerOnly;
  wave.LoadFromFile(file.Name());
  const std::span<const std::uint8_t> image = wave.Image();
  // The file's bytes, or A-law and µ-law expanded (two bytes each) with at most as many bytes of
  // silence as the file holds behind a 44-byte header.
  if (image.size() > WaveHeaderSize + 3 * Size || (headerOnly && !image.empty()))
    std::abort();
  if (!image.empty() &&
      (wave.DataOffset() > image.size() || wave.DataSize() > image.size() - wave.DataOffset()))
    std::abort();
  std::uint32_t sum = Touch(image) + wave.DurationMs();
  if (const auto stereo = wave.ConvertChannels(2, 40000, 20000)) {
    sum += Touch(stereo->Image());
    // What ConvertChannels makes the player reads, unless it has no rate.
    TWaveStream stream;
    if (!stereo->Image().empty() && stereo->Format.SamplesPerSec != 0 &&
        ReadWaveImage(stereo->Image(), stream) != 0)
      std::abort();
  }
  TWaveStream stream;
  if (ReadWaveImage(image, stream) == 0)
    sum += Touch(stream.Samples);
  Sink = sum;
  return 0;
}

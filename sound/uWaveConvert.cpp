// Conversion between mono and stereo with a volume for each side.

#include "sound/uWave.h"

#include <algorithm>
#include <cstring>

namespace {

// A sample scaled by Volume / 65536, rounded toward zero.
std::int64_t Scale(std::int64_t Sample, std::uint32_t Volume) noexcept {
  return Sample * Volume / 65536;
}

// How samples of one width are read and written: as signed values around zero.
struct TSample8 {
  static constexpr std::size_t Size = 1;
  static std::int64_t Get(const std::uint8_t* P) noexcept { return std::int64_t(*P) - 128; }
  static void Put(std::uint8_t* P, std::int64_t Value) noexcept {
    *P = std::uint8_t(std::clamp<std::int64_t>(Value, -128, 127) + 128);
  }
};

struct TSample16 {
  static constexpr std::size_t Size = 2;
  static std::int64_t Get(const std::uint8_t* P) noexcept {
    return std::int16_t(std::uint16_t(P[0] | P[1] << 8));
  }
  static void Put(std::uint8_t* P, std::int64_t Value) noexcept {
    const auto sample = std::uint16_t(std::clamp<std::int64_t>(Value, -32768, 32767));
    P[0] = std::uint8_t(sample);
    P[1] = std::uint8_t(sample >> 8);
  }
};

template <class TSample>
void Convert(const std::uint8_t* Source, std::uint16_t SourceChannels, std::uint8_t* Dest,
             std::uint16_t DestChannels, std::uint64_t Frames, std::uint32_t Left,
             std::uint32_t Right) noexcept {
  constexpr std::size_t size = TSample::Size;
  for (std::uint64_t frame = 0; frame < Frames; ++frame) {
    const std::uint8_t* in = Source + frame * SourceChannels * size;
    std::uint8_t* out = Dest + frame * DestChannels * size;
    if (SourceChannels == 1 && DestChannels == 1) {
      std::memcpy(out, in, size);
    } else if (SourceChannels == 1) {
      const std::int64_t sample = TSample::Get(in);
      TSample::Put(out, Scale(sample, Left));
      TSample::Put(out + size, Scale(sample, Right));
    } else if (DestChannels == 2) {
      TSample::Put(out, Scale(TSample::Get(in), Left));
      TSample::Put(out + size, Scale(TSample::Get(in + size), Right));
    } else {
      TSample::Put(out,
                   (Scale(TSample::Get(in), Left) + Scale(TSample::Get(in + size), Right)) / 2);
    }
  }
}

} // namespace

std::unique_ptr<TWave> TWave::ConvertChannels(std::uint16_t Channels, std::uint32_t LeftVolume,
                                              std::uint32_t RightVolume) const {
  const std::uint16_t bits = Format.BitsPerSample;
  const std::uint16_t channels = Format.Channels;
  if (Format.FormatTag != WaveFormatPCM || (bits != 8 && bits != 16) || channels < 1 ||
      channels > 2 || Channels < 1 || Channels > 2)
    return nullptr;
  auto wave = std::make_unique<TWave>(Channels, Format.SamplesPerSec, bits);
  // Only whole frames that the image holds are converted, whatever SampleCount claims.
  const std::uint64_t frameSize = std::uint64_t(channels) * bits / 8;
  const std::uint64_t frames = std::min<std::uint64_t>(SampleCount_, DataPresent() / frameSize);
  wave->SetSampleCount(std::uint32_t(frames));
  if (frames == 0)
    return wave;
  if (bits == 8)
    Convert<TSample8>(Data(), channels, wave->Data(), Channels, frames, LeftVolume, RightVolume);
  else
    Convert<TSample16>(Data(), channels, wave->Data(), Channels, frames, LeftVolume, RightVolume);
  return wave;
}

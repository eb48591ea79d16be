#include "sound/uWave.h"

#include "platform/uSoundPlayer.h"
#include "report/uMsg.h"

#include <algorithm>
#include <cstring>

namespace {

void Write16(std::uint8_t* P, std::uint16_t Value) noexcept {
  P[0] = std::uint8_t(Value);
  P[1] = std::uint8_t(Value >> 8);
}

void Write32(std::uint8_t* P, std::uint32_t Value) noexcept {
  for (int i = 0; i < 4; ++i)
    P[i] = std::uint8_t(Value >> (8 * i));
}

} // namespace

void WriteWaveHeader(std::uint8_t* Header, const TWaveFormat& Format, std::uint32_t DataSize) {
  std::memcpy(Header, "RIFF", 4);
  Write32(Header + 4, DataSize + 36);
  std::memcpy(Header + 8, "WAVEfmt ", 8);
  Write32(Header + 16, 16);
  Write16(Header + 20, Format.FormatTag);
  Write16(Header + 22, Format.Channels);
  Write32(Header + 24, Format.SamplesPerSec);
  Write32(Header + 28, Format.AvgBytesPerSec);
  Write16(Header + 32, Format.BlockAlign);
  Write16(Header + 34, Format.BitsPerSample);
  std::memcpy(Header + 36, "data", 4);
  Write32(Header + 40, DataSize);
}

TWave::TWave(std::uint16_t Channels, std::uint32_t SamplesPerSecond, std::uint16_t BitsPerSample) {
  Format.FormatTag = WaveFormatPCM;
  Format.Channels = Channels;
  Format.SamplesPerSec = SamplesPerSecond;
  Format.BitsPerSample = BitsPerSample;
  // Products of up to 64 bits; what does not fit the fields is cut, as the fields are.
  Format.AvgBytesPerSec =
      std::uint32_t(std::uint64_t(Channels) * BitsPerSample * SamplesPerSecond / 8);
  Format.BlockAlign = std::uint16_t(std::uint32_t(Channels) * BitsPerSample / 8);
}

void TWave::Clear() noexcept {
  SampleCount_ = 0;
  DataOffset_ = 0;
  DataSize_ = 0;
  Image_.reset();
  ImageSize_ = 0;
}

std::uint64_t TWave::DataPresent() const noexcept {
  if (!Image_ || DataOffset_ > ImageSize_)
    return 0;
  return std::min<std::uint64_t>(DataSize_, ImageSize_ - DataOffset_);
}

void TWave::SetImage(std::shared_ptr<std::uint8_t[]> Image, std::size_t Size, std::uint32_t Offset,
                     std::uint64_t DataSize) noexcept {
  Image_ = std::move(Image);
  ImageSize_ = Size;
  DataOffset_ = Offset;
  DataSize_ = DataSize;
}

void TWave::SetSampleCount(std::uint32_t Count) {
  if (Count == SampleCount_)
    return;
  const std::uint64_t dataSize = std::uint64_t(Format.BitsPerSample) * Format.Channels * Count / 8;
  auto image = std::make_shared<std::uint8_t[]>(WaveHeaderSize + dataSize);
  WriteWaveHeader(image.get(), Format, std::uint32_t(dataSize));
  if (const std::uint8_t* data = Data())
    std::memcpy(image.get() + WaveHeaderSize, data, std::min(DataPresent(), dataSize));
  SetImage(std::move(image), WaveHeaderSize + dataSize, WaveHeaderSize, dataSize);
  SampleCount_ = Count;
}

bool TWave::Play() const {
  const int code = SoundPlayer().PlayImage(Image_, ImageSize_);
  ShowErrorCode(code);
  return code == 0;
}

std::uint32_t TWave::DurationMs() const noexcept {
  const std::uint64_t rate = Format.SamplesPerSec;
  if (rate == 0)
    return 0;
  const std::uint64_t time = std::uint64_t(SampleCount_) * 1000;
  std::uint64_t ms = time / rate;
  const std::uint64_t twiceRest = 2 * (time % rate);
  if (twiceRest > rate || (twiceRest == rate && ms % 2 == 1))
    ++ms;
  return std::uint32_t(ms);
}

TPanVolumes PanVolumes(std::int32_t X, std::int32_t Width) noexcept {
  if (Width == 0)
    return {32768, 32768};
  const auto volume = [Width](std::int64_t Part) {
    return std::uint32_t(std::clamp<std::int64_t>(Part * 65536 / Width, 0, 65536));
  };
  return {volume(std::int64_t(Width) - X), volume(X)};
}

#include "platform/uWaveImage.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

std::uint16_t Read16(const std::uint8_t* P) noexcept {
  return static_cast<std::uint16_t>(P[0] | P[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* P) noexcept {
  return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
         std::uint32_t(P[3]) << 24;
}

bool IsId(const std::uint8_t* P, const char (&Id)[5]) noexcept {
  return std::memcmp(P, Id, 4) == 0;
}

// The coding of a sample of BitsPerSample bits in a stream of format Tag (the sub-format's tag for
// an extensible format); false when the player does not play it.
bool CodingOf(std::uint16_t Tag, std::uint16_t BitsPerSample, TSampleCoding& Coding) noexcept {
  switch (Tag) {
  case WaveFormatPCM:
    switch (BitsPerSample) {
    case 8:
      Coding = scUnsigned8;
      return true;
    case 16:
      Coding = scSigned16;
      return true;
    case 24:
      Coding = scSigned24;
      return true;
    case 32:
      Coding = scSigned32;
      return true;
    }
    return false;
  case WaveFormatFloat:
    if (BitsPerSample == 32)
      Coding = scFloat32;
    else if (BitsPerSample == 64)
      Coding = scFloat64;
    else
      return false;
    return true;
  case WaveFormatALaw:
  case WaveFormatMuLaw:
    if (BitsPerSample != 8)
      return false;
    Coding = Tag == WaveFormatALaw ? scALaw : scMuLaw;
    return true;
  }
  return false;
}

} // namespace

int ReadWaveImage(std::span<const std::uint8_t> Image, TWaveStream& Stream) {
  Stream = {};
  const std::size_t size = Image.size();
  if (size < 12 || !IsId(Image.data(), "RIFF") || !IsId(Image.data() + 8, "WAVE"))
    return EINVAL;
  const std::uint8_t* format = nullptr;
  std::size_t formatSize = 0;
  std::span<const std::uint8_t> data;
  bool dataFound = false;
  // Positions in 64 bits: a chunk size near 4 GiB cannot wrap them.
  std::uint64_t pos = 12;
  while (pos <= size && size - pos >= 8) {
    const std::uint8_t* header = Image.data() + pos;
    const std::uint64_t body = pos + 8;
    const std::uint64_t length = std::min<std::uint64_t>(Read32(header + 4), size - body);
    if (IsId(header, "LIST")) {
      // The chunks inside a list follow its four-character type.
      pos = body + 4;
      continue;
    }
    if (IsId(header, "fmt ")) {
      format = Image.data() + body;
      formatSize = length;
    } else if (IsId(header, "data")) {
      data = Image.subspan(body, length);
      dataFound = true;
    }
    pos = body + Read32(header + 4) + (Read32(header + 4) & 1);
  }
  if (!format || formatSize < 16 || !dataFound)
    return EINVAL;
  std::uint16_t tag = Read16(format);
  const std::uint16_t channels = Read16(format + 2);
  const std::uint32_t rate = Read32(format + 4);
  const std::uint16_t bits = Read16(format + 14);
  if (channels == 0 || rate == 0)
    return EINVAL;
  // An extensible format names its coding by the first two bytes of its sub-format.
  if (tag == WaveFormatExtensible) {
    if (formatSize < 40)
      return EINVAL;
    tag = Read16(format + 24);
  }
  TSampleCoding coding;
  if (!CodingOf(tag, bits, coding))
    return ENOTSUP;
  Stream.Coding = coding;
  Stream.Channels = channels;
  Stream.SamplesPerSecond = rate;
  Stream.FrameBytes = std::uint32_t(channels) * (bits / 8);
  Stream.Samples = data.first(data.size() - data.size() % Stream.FrameBytes);
  return 0;
}

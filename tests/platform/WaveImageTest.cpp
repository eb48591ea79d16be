#include "platform/uWaveImage.h"
#include "support/WaveFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

std::string Fmt(std::uint16_t Tag, std::uint16_t Channels, std::uint16_t Bits,
                std::string Extra = {}) {
  return Chunk("fmt ", FmtBody(Tag, Channels, 8000, Bits) + Extra);
}

TEST(WaveImageTest, FormatsAndFaults) {
  const std::string data = Chunk("data", std::string(24, 'd'));
  // An extensible format names its coding in the first two bytes of its sub-format.
  const auto extensible = [&](std::uint16_t SubFormat, std::uint16_t Bits) {
    return Fmt(0xFFFE, 2, Bits,
               Le16(22) + Le16(Bits) + Le32(3) + Le16(SubFormat) + std::string(14, 'g'));
  };
  struct {
    const char* What;
    std::string Image;
    int Result;
    TSampleCoding Coding;
    std::uint32_t FrameBytes;
    std::size_t Samples;
  } cases[] = {
      {"8-bit stereo", Riff(Fmt(1, 2, 8) + data), 0, scUnsigned8, 2, 24},
      {"16-bit stereo", Riff(Fmt(1, 2, 16) + data), 0, scSigned16, 4, 24},
      {"24-bit mono", Riff(Fmt(1, 1, 24) + data), 0, scSigned24, 3, 24},
      {"32-bit, three channels", Riff(Fmt(1, 3, 32) + data), 0, scSigned32, 12, 24},
      {"float", Riff(Fmt(3, 1, 32) + data), 0, scFloat32, 4, 24},
      {"double", Riff(Fmt(3, 1, 64) + data), 0, scFloat64, 8, 24},
      {"A-law", Riff(Fmt(6, 1, 8) + data), 0, scALaw, 1, 24},
      {"µ-law", Riff(Fmt(7, 1, 8) + data), 0, scMuLaw, 1, 24},
      {"extensible PCM", Riff(extensible(1, 16) + data), 0, scSigned16, 4, 24},
      {"extensible float", Riff(extensible(3, 32) + data), 0, scFloat32, 8, 24},
      {"data in a list", Riff(Fmt(1, 1, 8) + Chunk("LIST", "wave" + data)), 0, scUnsigned8, 1, 24},
      {"data past the image", Riff(Fmt(1, 1, 16) + Chunk("data", "abcdefgh", 4000)), 0, scSigned16,
       2, 8},
      {"a partial frame is left out", Riff(Fmt(1, 1, 16) + Chunk("data", "abcdefg")), 0, scSigned16,
       2, 6},
      {"ADPCM", Riff(Fmt(2, 1, 4) + data), ENOTSUP, scSigned16, 0, 0},
      {"12-bit PCM", Riff(Fmt(1, 1, 12) + data), ENOTSUP, scSigned16, 0, 0},
      {"extensible, short", Riff(Fmt(0xFFFE, 1, 16) + data), EINVAL, scSigned16, 0, 0},
      {"no channels", Riff(Fmt(1, 0, 16) + data), EINVAL, scSigned16, 0, 0},
      {"short fmt", Riff(Chunk("fmt ", std::string(14, '\1')) + data), EINVAL, scSigned16, 0, 0},
      {"no data", Riff(Fmt(1, 1, 16)), EINVAL, scSigned16, 0, 0},
      {"no RIFF", "RIFX" + Riff(Fmt(1, 1, 16) + data).substr(4), EINVAL, scSigned16, 0, 0},
      {"a chunk of 4 GiB", Riff(Fmt(1, 1, 16) + Chunk("junk", "", 0xFFFFFFFF) + data), EINVAL,
       scSigned16, 0, 0},
  };
  for (const auto& test : cases) {
    TWaveStream stream;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(test.Image.data());
    ASSERT_EQ(ReadWaveImage({bytes, test.Image.size()}, stream), test.Result) << test.What;
    if (test.Result != 0)
      continue;
    EXPECT_EQ(stream.Coding, test.Coding) << test.What;
    EXPECT_EQ(stream.FrameBytes, test.FrameBytes) << test.What;
    EXPECT_EQ(stream.Samples.size(), test.Samples) << test.What;
    EXPECT_EQ(stream.SamplesPerSecond, 8000u) << test.What;
  }
}

} // namespace

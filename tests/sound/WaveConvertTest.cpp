#include "SoundTestSupport.h"
#include "sound/uWave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace {

TEST(WaveConvertTest, CreateFormatDerivesRateAndAlign) {
  const TWaveFormat cases[] = {{1, 1, 22050, 22050, 1, 8},    {1, 2, 44100, 176400, 4, 16},
                               {1, 6, 48000, 864000, 18, 24}, {1, 0, 8000, 0, 0, 16},
                               {1, 2, 0, 0, 4, 16},           {1, 1, 8000, 0, 0, 0}};
  for (const TWaveFormat& expected : cases) {
    const TWave wave(expected.Channels, expected.SamplesPerSec, expected.BitsPerSample);
    EXPECT_EQ(wave.Format, expected)
        << expected.Channels << " x " << expected.BitsPerSample << " at " << expected.SamplesPerSec;
  }
}

// A sample scaled by a volume in 1/65536, toward zero.
std::int64_t Scaled(std::int64_t Sample, std::uint32_t Volume) {
  return std::int64_t(std::trunc(double(Sample) * Volume / 65536));
}

// The samples of a wave as signed values (8-bit ones around 128).
std::vector<std::int64_t> SamplesOf(const TWave& Wave) {
  std::vector<std::int64_t> samples;
  const std::uint8_t* data = Wave.Data();
  const std::size_t count = Wave.DataSize() * 8 / Wave.Format.BitsPerSample;
  for (std::size_t i = 0; i < count; ++i)
    samples.push_back(Wave.Format.BitsPerSample == 8
                          ? data[i] - 128
                          : std::int16_t(data[2 * i] | data[2 * i + 1] << 8));
  return samples;
}

TEST(WaveConvertTest, EveryPairOfChannelCountsAtEveryVolume) {
  const std::vector<std::int64_t> values16 = {-32768, -32767, -1, 0, 1, 3, 12345, 32767};
  const std::vector<std::int64_t> values8 = {-128, -127, -1, 0, 1, 3, 72, 127};
  const std::uint32_t volumes[] = {0, 32768, 65536};
  for (const std::uint16_t bits : {8, 16}) {
    const auto& values = bits == 8 ? values8 : values16;
    for (const std::uint16_t from : {1, 2}) {
      TWave source(from, 11025, bits);
      source.SetSampleCount(8);
      for (std::size_t i = 0; i < 8 * from; ++i) {
        // The right side runs through the values in another order than the left.
        const std::int64_t value = values[(i / from + 3 * (i % from)) % 8];
        if (bits == 8) {
          source.Data()[i] = std::uint8_t(value + 128);
        } else {
          source.Data()[2 * i] = std::uint8_t(value & 0xFF);
          source.Data()[2 * i + 1] = std::uint8_t((value >> 8) & 0xFF);
        }
      }
      for (const std::uint16_t to : {1, 2})
        for (const std::uint32_t left : volumes)
          for (const std::uint32_t right : volumes) {
            const auto wave = source.ConvertChannels(to, left, right);
            const std::string context = std::to_string(bits) + " bits, " + std::to_string(from) +
                                        " to " + std::to_string(to) + " channels at " +
                                        std::to_string(left) + "/" + std::to_string(right);
            ASSERT_NE(wave, nullptr) << context;
            EXPECT_EQ(wave->Format, TWave(to, 11025, bits).Format) << context;
            EXPECT_EQ(wave->SampleCount(), 8u) << context;
            std::vector<std::int64_t> expected;
            for (std::size_t frame = 0; frame < 8; ++frame) {
              const std::int64_t l = values[frame % 8], r = values[(frame + 3) % 8];
              if (from == 1 && to == 1)
                expected.push_back(l);
              else if (from == 1)
                expected.insert(expected.end(), {Scaled(l, left), Scaled(l, right)});
              else if (to == 2)
                expected.insert(expected.end(), {Scaled(l, left), Scaled(r, right)});
              else
                expected.push_back((Scaled(l, left) + Scaled(r, right)) / 2);
            }
            EXPECT_EQ(SamplesOf(*wave), expected) << context;
          }
    }
  }
}

TEST(WaveConvertTest, OnlyPCMOf8Or16BitsInOneOrTwoChannelsConverts) {
  struct {
    std::uint16_t Channels, Bits, To;
  } cases[] = {{1, 24, 2}, {1, 32, 2}, {3, 16, 2}, {0, 16, 2}, {2, 16, 3}, {2, 8, 0}};
  for (const auto& test : cases) {
    TWave wave(test.Channels, 8000, test.Bits);
    wave.SetSampleCount(4);
    EXPECT_EQ(wave.ConvertChannels(test.To, 65536, 65536), nullptr)
        << test.Channels << " x " << test.Bits << " to " << test.To;
  }
  TWave law(1, 8000, 8);
  law.Format.FormatTag = WaveFormatMuLaw;
  EXPECT_EQ(law.ConvertChannels(2, 65536, 65536), nullptr);
}

TEST(WaveConvertTest, OnlyTheFramesTheImageHoldsAreConverted) {
  TTempFolder folder;
  const std::string name = (folder / "fact.wav").string();
  std::ofstream(name, std::ios::binary)
      << Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16)) + Chunk("fact", Le32(1000)) +
              Chunk("data", std::string(6, '\x7F')));
  TWave wave;
  wave.LoadFromFile(name);
  ASSERT_EQ(wave.SampleCount(), 1000u);
  const auto stereo = wave.ConvertChannels(2, 65536, 65536);
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(SamplesOf(*stereo), std::vector<std::int64_t>(6, 0x7F7F));
}

} // namespace

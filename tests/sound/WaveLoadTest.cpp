#include "SoundTestSupport.h"
#include "sound/uWave.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

using namespace std::string_literals;

const std::string Fmt16Stereo = Chunk("fmt ", FmtBody(1, 2, 22050, 16));
const std::string Samples32(32, '\x11'); // 8 frames of 16-bit stereo

class TWaveLoadTest : public testing::Test {
 protected:
  // Writes Content as the test's wave file and loads it.
  std::unique_ptr<TWave> Load(const std::string& Content, bool HeaderOnly = false) {
    std::ofstream(FileName, std::ios::binary) << Content;
    auto wave = std::make_unique<TWave>();
    wave->HeaderOnly = HeaderOnly;
    wave->LoadFromFile(FileName);
    return wave;
  }
  // The texts reported, one a line, with the file name as F.
  std::string Reported() const {
    std::string texts;
    for (const TQuestion& question : Reports.Questions)
      texts += (texts.empty() ? "" : "\n") + question.Text;
    for (std::size_t at; (at = texts.find(FileName)) != std::string::npos;)
      texts.replace(at, FileName.size(), "F");
    return texts;
  }

  TTempFolder Folder;
  const std::string FileName = (Folder / "sound.wav").string();
  TReportRecorder Reports;
  TRecordingPlayer Player;
};

struct TLoadCase {
  const char* What;
  std::uint32_t SampleCount;
  std::uint64_t DataSize;
  std::uint32_t DataOffset; // of a full load
  std::string File;
  const char* Reports;
};

TEST_F(TWaveLoadTest, ChunksReportsAndCounts) {
  const std::string data = Chunk("data", Samples32);
  const std::string repaired = "Wave bytes following repaired.\n'F'";
  const std::string unknown = "Unknown chunk id 'junk' in file 'F'!";
  const TLoadCase cases[] = {
      {"canonical 16-bit stereo: frames", 8, 32, 44, Riff(Fmt16Stereo + data), ""},
      {"RIFF length 100 too small", 50, 200, 44,
       Riff(Fmt16Stereo + Chunk("data", std::string(200, 'x')), 136), repaired.c_str()},
      {"odd LIST followed by its pad byte", 8, 32, 68,
       Riff(Fmt16Stereo + Chunk("LIST", "INFOICMT" + Le32(3) + "abc") + data), ""},
      {"data inside nested lists", 8, 32, 68,
       Riff(Fmt16Stereo + Chunk("LIST", "wave" + Chunk("LIST", "wave" + data))), ""},
      {"under 12 bytes", 0, 0, 0, "RIFF\x04\0\0\0WAV"s, "File truncated.\n'F'"},
      {"not a wave, read on", 8, 32, 44, "RIFF" + Le32(68) + "AVI " + Fmt16Stereo + data,
       "File is not wave.\n'F'"},
      {"unknown chunk", 8, 32, 56, Riff(Fmt16Stereo + Chunk("junk", "xyz") + data),
       unknown.c_str()},
      {"invalid format tag", 8, 32, 44, Riff(Chunk("fmt ", FmtBody(85, 2, 22050, 16)) + data),
       "Invalid wave format. Chunk format tag is '85'."},
      {"a fact count wins", 5, 32, 56, Riff(Fmt16Stereo + Chunk("fact", Le32(5)) + data), ""},
      {"data claims more than the file holds", 8, 32, 44,
       Riff(Fmt16Stereo + Chunk("data", Samples32, 1000)), ""},
      {"4 GB data in a 100-byte file", 14, 56, 44,
       Riff(Fmt16Stereo + Chunk("data", std::string(56, 'x'), 0xFFFFFFFF)), ""},
      {"5 bytes after the last chunk", 8, 32, 44, Riff(Fmt16Stereo + data + "abcde"), ""},
      {"fmt cut short by the end, after the data", 0, 32, 20,
       Riff(data + "fmt " + Le32(16) + Le16(1) + Le16(2)), ""},
      {"bits per sample 0", 0, 32, 44, Riff(Chunk("fmt ", FmtBody(1, 2, 22050, 0)) + data), ""},
      {"channels 0 count as 1", 16, 32, 44, Riff(Chunk("fmt ", FmtBody(1, 0, 8000, 16)) + data),
       ""},
      {"8-bit mono", 32, 32, 44, Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8)) + data), ""},
      {"chunk size near 4 GiB ends the loop", 0, 0, 0,
       Riff(Fmt16Stereo + Chunk("junk", "", 0xFFFFFFF1) + data), unknown.c_str()},
      {"the last data chunk counts", 8, 8, 84,
       Riff(Fmt16Stereo + data + Chunk("data", std::string(8, 'x'))), ""},
  };
  for (const TLoadCase& test : cases) {
    for (const bool headerOnly : {false, true}) {
      Reports.Questions.clear();
      const auto wave = Load(test.File, headerOnly);
      const std::string context = std::string(test.What) + (headerOnly ? " (header only)" : "");
      EXPECT_EQ(Reported(), test.Reports) << context;
      EXPECT_EQ(wave->SampleCount(), test.SampleCount) << context;
      EXPECT_EQ(wave->DataSize(), test.DataSize) << context;
      EXPECT_EQ(wave->DataOffset(), headerOnly ? 0 : test.DataOffset) << context;
      EXPECT_EQ(wave->Image().empty(), headerOnly || test.DataSize == 0) << context;
    }
  }
}

TEST_F(TWaveLoadTest, AMissingFileLoadsNothingAndSaysNothing) {
  TWave wave;
  wave.LoadFromFile((Folder / "none.wav").string());
  EXPECT_TRUE(wave.Image().empty());
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TWaveLoadTest, ARepairedWaveStillPlays) {
  const auto wave = Load(Riff(Fmt16Stereo + Chunk("data", Samples32), 0));
  EXPECT_TRUE(wave->Play());
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"image 76"});
  TWaveStream stream;
  ASSERT_EQ(ReadWaveImage(Player.Image(), stream), 0);
  EXPECT_EQ(std::string(stream.Samples.begin(), stream.Samples.end()), Samples32);
}

TEST_F(TWaveLoadTest, TheImageOfACutDataChunkIsTheFileWithItsLengthsMended) {
  const std::string file = Riff(Fmt16Stereo + Chunk("data", Samples32, 1000) + "junk");
  const auto wave = Load(file);
  EXPECT_EQ(wave->DataSize(), 36u);
  std::string expected = file;
  expected.replace(40, 4, Le32(36));
  EXPECT_EQ(std::string(wave->Image().begin(), wave->Image().end()), expected);
}

TEST_F(TWaveLoadTest, LawSamplesBecome16BitMonoPCM) {
  // Known points of the two laws: the extremes and the codes nearest zero.
  const std::string codes = "\x00\x80\xFF\x7F\xD5\x55\xAA\x2A"s;
  struct TLaw {
    std::uint16_t Tag;
    std::vector<std::int16_t> Samples;
  } laws[] = {
      {WaveFormatMuLaw, {-32124, 32124, 0, 0, 716, -716, 5372, -5372}},
      {WaveFormatALaw, {-5504, 5504, 848, -848, 8, -8, 32256, -32256}},
  };
  for (const TLaw& law : laws) {
    const auto wave =
        Load(Riff(Chunk("fmt ", FmtBody(law.Tag, 2, 8000, 8)) + Chunk("data", codes)));
    const TWaveFormat pcm{WaveFormatPCM, 1, 8000, 16000, 2, 16};
    EXPECT_EQ(wave->Format, pcm) << law.Tag;
    ASSERT_EQ(wave->SampleCount(), 8u) << law.Tag;
    std::vector<std::int16_t> samples(8);
    std::memcpy(samples.data(), wave->Data(), 16);
    EXPECT_EQ(samples, law.Samples) << law.Tag;
  }
}

TEST_F(TWaveLoadTest, LawSamplesFollowTheFactCountWithinLimits) {
  const std::string fmt = Chunk("fmt ", FmtBody(WaveFormatMuLaw, 1, 8000, 8));
  const std::string data = Chunk("data", std::string(10, '\0'));
  const auto file = [&](std::uint32_t Fact) {
    return Riff(fmt + Chunk("fact", Le32(Fact)) + data);
  };
  // A lying count gets no more silence than the file has bytes.
  const auto limit = std::uint32_t(10 + file(0).size() / 2);
  struct {
    std::uint32_t Fact;
    std::uint32_t Samples;
  } cases[] = {{4, 4}, {10, 10}, {30, 30}, {0xFFFFFFFF, limit}};
  for (const auto& test : cases) {
    const auto wave = Load(file(test.Fact));
    EXPECT_EQ(wave->SampleCount(), test.Samples) << test.Fact;
    ASSERT_EQ(wave->Image().size(), WaveHeaderSize + 2 * test.Samples) << test.Fact;
    // Code 0 is -32124; the samples behind the data are silent.
    for (std::uint32_t i = 0; i < test.Samples; ++i)
      EXPECT_EQ(std::int16_t(wave->Data()[2 * i] | wave->Data()[2 * i + 1] << 8),
                i < 10 ? -32124 : 0)
          << test.Fact << " sample " << i;
  }
}

TEST_F(TWaveLoadTest, GarbageIsReportedALimitedNumberOfTimes) {
  std::string chunks;
  for (int i = 0; i < 40; ++i)
    chunks += Chunk("junk", "");
  Load(Riff(Fmt16Stereo + chunks));
  EXPECT_EQ(Reports.Questions.size(), 16u);
  // Lists nested beyond reason are skipped whole.
  std::string nested = Chunk("data", Samples32);
  for (int i = 0; i < 100; ++i)
    nested = Chunk("LIST", "wave" + nested);
  Reports.Questions.clear();
  EXPECT_EQ(Load(Riff(Fmt16Stereo + nested))->SampleCount(), 0u);
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TWaveLoadTest, Durations) {
  EXPECT_EQ(WaveDuration((Folder / "none.wav").string()), 0u);
  const std::string second = std::string(22050 * 2, '\0');
  std::ofstream(FileName, std::ios::binary)
      << Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 16)) + Chunk("data", second));
  EXPECT_EQ(WaveDuration(FileName), 1000u) << "22050 samples at 22050 Hz";
  std::ofstream(FileName, std::ios::binary)
      << Riff(Chunk("fmt ", FmtBody(1, 2, 11025, 16)) + Chunk("data", second));
  EXPECT_EQ(WaveDuration(FileName), 1000u) << "11025 stereo frames at 11025 Hz";
  // Halves round to the even neighbour.
  struct {
    std::uint32_t Samples, Rate, Ms;
  } cases[] = {{1, 2000, 0}, {3, 2000, 2}, {5, 2000, 2}, {7, 2000, 4}, {2, 3000, 1}, {9, 0, 0}};
  for (const auto& test : cases) {
    TWave wave(1, test.Rate, 8);
    wave.SetSampleCount(test.Samples);
    EXPECT_EQ(wave.DurationMs(), test.Ms) << test.Samples << " at " << test.Rate;
  }
}

} // namespace

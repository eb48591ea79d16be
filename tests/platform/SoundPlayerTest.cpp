// The platform's own sound player on ALSA's null device: the test's home holds an .asoundrc that
// makes the default device take every frame and discard it, so that the playback thread, stops
// and restarts run for real on a machine without a sound card.

#include "platform/uSoundPlayer.h"
#include "support/TestEnvironment.h"
#include "support/WaveFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A silent wave of Frames frames.
std::string WaveFile(std::uint16_t Tag, std::uint16_t Channels, std::uint16_t Bits,
                     std::uint32_t Frames, std::uint32_t Rate = 44100) {
  return Riff(Chunk("fmt ", FmtBody(Tag, Channels, Rate, Bits)) +
              Chunk("data", std::string(Frames * Channels * (Bits / 8), '\0')));
}

// Waits, boundedly, for a condition that the playback thread makes true.
template <class TCondition>
bool Eventually(TCondition Condition) {
  for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(1ms))
    if (Condition())
      return true;
  return Condition();
}

bool Finished() {
  return Eventually([] { return !PlaybackState().Playing; });
}

class TSoundPlayerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Home = std::make_unique<TTempFolder>();
    std::ofstream(Home->Path() / ".asoundrc") << "pcm.!default { type null }\n";
    Environment = std::make_unique<TEnvironmentGuard>();
    Environment->Set("HOME", Home->Path().string());
    // No desktop settings: theme sounds are on.
    Environment->Unset("DISPLAY");
  }
  static void TearDownTestSuite() {
    FinalizeSoundPlayer();
    Environment.reset();
    Home.reset();
  }
  void TearDown() override {
    (void)SoundPlayer().Stop();
    SetPlaybackObserver({});
  }

  // Makes the next sound played hold its playback thread after its first period until a stop is
  // asked, so that the stop finds it playing.
  void HoldFirstSound() {
    SetPlaybackObserver([this](const TPlaybackProgress& Progress) {
      if (Held.exchange(true))
        return;
      Eventually([&] { return Progress.StopRequested.load(); });
    });
  }

  static inline std::unique_ptr<TTempFolder> Home;
  static inline std::unique_ptr<TEnvironmentGuard> Environment;
  std::atomic<bool> Held{false};
};

TEST_F(TSoundPlayerTest, EveryCodingPlaysToItsEnd) {
  const struct {
    std::uint16_t Tag, Channels, Bits;
  } cases[] = {{1, 1, 8},  {1, 2, 16}, {1, 2, 24}, {1, 1, 32},
               {3, 2, 32}, {3, 1, 64}, {6, 1, 8},  {7, 1, 8}};
  for (const auto& test : cases) {
    const std::string context = std::to_string(test.Tag) + ": " + std::to_string(test.Channels) +
                                " x " + std::to_string(test.Bits);
    const std::string file = WaveFile(test.Tag, test.Channels, test.Bits, 4410);
    ASSERT_EQ(SoundPlayer().PlayImage(ImageOf(file), file.size()), 0) << context;
    ASSERT_TRUE(Finished()) << context;
    const TPlaybackState state = PlaybackState();
    EXPECT_EQ(state.Frames, 4410u) << context;
    EXPECT_EQ(state.FramesWritten, 4410u) << context;
    EXPECT_FALSE(state.Stopped) << context;
    EXPECT_EQ(state.Error, 0) << context;
  }
}

TEST_F(TSoundPlayerTest, AStopOrTheNextSoundEndsTheSoundPlaying) {
  const std::string minute = WaveFile(1, 1, 8, 60 * 8000, 8000);
  const std::string tenth = WaveFile(1, 2, 16, 4410);
  for (const bool stop : {true, false}) {
    Held = false;
    HoldFirstSound();
    ASSERT_EQ(SoundPlayer().PlayImage(ImageOf(minute), minute.size()), 0) << stop;
    ASSERT_TRUE(Eventually([this] { return Held.load(); })) << stop;
    if (stop) {
      EXPECT_EQ(SoundPlayer().Stop(), 0);
      const TPlaybackState state = PlaybackState();
      EXPECT_FALSE(state.Playing);
      EXPECT_TRUE(state.Stopped);
      EXPECT_LT(state.FramesWritten, state.Frames);
    }
    // The held thread lets go only when asked to stop: the next sound starts after a stop.
    ASSERT_EQ(SoundPlayer().PlayImage(ImageOf(tenth), tenth.size()), 0) << stop;
    ASSERT_TRUE(Finished()) << stop;
    EXPECT_EQ(PlaybackState().FramesWritten, 4410u) << stop;
    EXPECT_FALSE(PlaybackState().Stopped) << stop;
  }
}

TEST_F(TSoundPlayerTest, FilesAndFaults) {
  TTempFolder folder;
  const std::string file = WaveFile(1, 2, 16, 441);
  std::ofstream((folder / "tick.wav").string(), std::ios::binary) << file;
  EXPECT_EQ(SoundPlayer().PlayFile((folder / "tick.wav").string()), 0);
  ASSERT_TRUE(Finished());
  EXPECT_EQ(PlaybackState().FramesWritten, 441u);
  EXPECT_EQ(SoundPlayer().PlayFile((folder / "none.wav").string()), ENOENT);
  EXPECT_EQ(SoundPlayer().PlayImage(nullptr, 0), 0) << "no image only stops";
  const std::string adpcm = WaveFile(2, 1, 4, 100);
  EXPECT_EQ(SoundPlayer().PlayImage(ImageOf(adpcm), adpcm.size()), ENOTSUP);
  EXPECT_EQ(SoundPlayer().PlayImage(ImageOf(file), 40), EINVAL) << "cut before its data";
}

TEST_F(TSoundPlayerTest, ThemeSounds) {
  if (!std::filesystem::exists("/usr/share/sounds/freedesktop/index.theme"))
    GTEST_SKIP() << "the freedesktop sound theme is not installed (scripts/setup installs it)";
  EXPECT_EQ(SoundPlayer().PlayThemeSound("dialog-information"), 0);
  EXPECT_EQ(SoundPlayer().PlayThemeSound("dialog-question"), ENOENT) << "the theme has none";
  EXPECT_EQ(SoundPlayer().PlayThemeSound("window-question"), 0);
  // Freed after every sound has finished, and made again when used.
  FinalizeSoundPlayer();
  EXPECT_EQ(SoundPlayer().PlayThemeSound("bell"), 0);
  EXPECT_EQ(SoundPlayer().Stop(), 0);
}

} // namespace

#include "SoundTestSupport.h"
#include "platform/uRegistry.h"
#include "sound/uWave.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

namespace {

class TEventSoundsTest : public testing::Test {
 protected:
  ~TEventSoundsTest() override { ClearRegistry(); }

  TReportRecorder Reports;
  TRecordingPlayer Player;
};

TEST_F(TEventSoundsTest, EventsWithoutAFilePlayTheirThemeSound) {
  // The theme sound of each event, in the order of the events.
  const char* const themes[] = {
      "dialog-information", "window-close",       "dialog-error",       "bell",
      "dialog-warning",     "desktop-logout",     "window-maximized",   "menu-click",
      "menu-popup",         "window-minimized",   "window-new",         "dialog-error",
      "dialog-question",    "window-unmaximized", "window-unminimized", "desktop-login"};
  static_assert(std::size(themes) == WindowsSoundCount);
  for (std::size_t i = 0; i < WindowsSoundCount; ++i) {
    const auto sound = TWindowsSound(i);
    const std::string theme = themes[i];
    Player.Calls.clear();
    Reports.Log.clear();
    PlayWindowsSound(sound);
    EXPECT_EQ(Player.Calls, std::vector<std::string>{"theme " + theme}) << WindowsSoundNames[sound];
    EXPECT_EQ(Reports.Log,
              (std::vector<std::string>{"Debug: Play windows sound " +
                                            std::string(WindowsSoundNames[sound]) + ".",
                                        "Debug: Play sound ."}))
        << WindowsSoundNames[sound];
  }
}

TEST_F(TEventSoundsTest, AMissingThemeSoundFallsBackAndAFailureIsOnlyLogged) {
  Player.ThemeResults["dialog-question"] = ENOENT;
  PlayWindowsSound(wsSystemQuestion);
  EXPECT_EQ(Player.Calls,
            (std::vector<std::string>{"theme dialog-question", "theme window-question"}));
  Player.Calls.clear();
  Player.ThemeResults["dialog-error"] = ENODEV;
  PlayWindowsSound(wsSystemHand);
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"theme dialog-error"});
  EXPECT_TRUE(Reports.Questions.empty());
  EXPECT_EQ(Reports.Log.back(), "Debug: Theme sound dialog-error: " + ErrorCodeToStr(ENODEV));
}

TEST_F(TEventSoundsTest, AnEventWithASoundFilePlaysTheFile) {
  TTempFolder folder;
  const std::string file = (folder / "ding.wav").string();
  std::ofstream(file) << "RIFF";
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("AppEvents\\Schemes\\Apps\\.Default\\SystemHand\\.Current", true));
  ASSERT_TRUE(registry.WriteString("", file));
  EXPECT_EQ(WindowsSoundFile(wsSystemHand), file);
  EXPECT_EQ(WindowsSoundFile(wsSystemAsterisk), "");
  PlayWindowsSound(wsSystemHand);
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"file " + file});
  // A player failure is shown, a missing file or name is silent.
  Player.Result = EIO;
  PlaySoundFile(file);
  PlaySoundFile((folder / "none.wav").string());
  PlaySoundFile("");
  Player.StopResult = EBUSY;
  StopSound();
  EXPECT_EQ(Player.Calls.size(), 3u);
  EXPECT_EQ(Reports.Texts(mlError),
            (std::vector<std::string>{ErrorCodeToStr(EIO), ErrorCodeToStr(EBUSY)}));
}

TEST_F(TEventSoundsTest, LevelSounds) {
  const std::pair<TMessageLevel, const char*> cases[] = {
      {mlConfirmation, "theme dialog-question"}, {mlDebug, "theme dialog-warning"},
      {mlInformation, "theme dialog-warning"},   {mlWarning, "theme dialog-warning"},
      {mlError, "theme dialog-error"},           {mlFatalError, "theme dialog-error"},
  };
  for (const auto& [level, call] : cases) {
    Player.Calls.clear();
    PlayLevelSound(level);
    EXPECT_EQ(Player.Calls, std::vector<std::string>{call}) << MessageLevelCaption(level);
  }
  Player.Calls.clear();
  PlayLevelSound(mlNone);
  EXPECT_TRUE(Player.Calls.empty());
  EXPECT_EQ(LevelSound(mlNone), std::nullopt);
}

TEST(PanVolumesTest, LeftAndRightByPosition) {
  struct {
    std::int32_t X, Width;
    TPanVolumes Volumes;
  } cases[] = {
      {640, 1280, {32768, 32768}}, // the middle of an even width
      {0, 1280, {65536, 0}},
      {1280, 1280, {0, 65536}},
      {320, 1280, {49152, 16384}},
      {1, 3, {43690, 21845}},
      {-50, 1280, {65536, 0}},
      {2000, 1280, {0, 65536}},
      {5, 0, {32768, 32768}},
      {2147483647, 2147483647, {0, 65536}},
      {-2147483647 - 1, -1, {0, 65536}},
  };
  for (const auto& test : cases)
    EXPECT_EQ(PanVolumes(test.X, test.Width), test.Volumes) << test.X << " of " << test.Width;
}

} // namespace

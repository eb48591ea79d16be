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
  const std::pair<TWindowsSound, const char*> cases[] = {
      {wsSystemAsterisk, "dialog-information"},
      {wsClose, "window-close"},
      {wsSystemHand, "dialog-error"},
      {wsDefault, "bell"},
      {wsSystemExclamation, "dialog-warning"},
      {wsSystemExit, "desktop-logout"},
      {wsMaximize, "window-maximized"},
      {wsMenuCommand, "menu-click"},
      {wsMenuPopup, "menu-popup"},
      {wsMinimize, "window-minimized"},
      {wsOpen, "window-new"},
      {wsAppGPFault, "dialog-error"},
      {wsSystemQuestion, "dialog-question"},
      {wsRestoreDown, "window-unmaximized"},
      {wsRestoreUp, "window-unminimized"},
      {wsSystemStart, "desktop-login"},
  };
  for (const auto& [sound, theme] : cases) {
    Player.Calls.clear();
    Reports.Log.clear();
    PlayWindowsSound(sound);
    EXPECT_EQ(Player.Calls, std::vector<std::string>{std::string("theme ") + theme})
        << WindowsSoundNames[sound];
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
  // A player failure is shown; a missing file is silent.
  Player.Result = EIO;
  PlaySoundFile(file);
  PlaySoundFile((folder / "none.wav").string());
  PlaySoundFile("");
  EXPECT_EQ(Player.Calls.size(), 2u);
  EXPECT_EQ(Reports.Texts(mlError), std::vector<std::string>{ErrorCodeToStr(EIO)});
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

TEST_F(TEventSoundsTest, StopSoundReportsAFailure) {
  Player.StopResult = EBUSY;
  StopSound();
  EXPECT_EQ(Player.Calls, std::vector<std::string>{"stop"});
  EXPECT_EQ(Reports.Texts(mlError), std::vector<std::string>{ErrorCodeToStr(EBUSY)});
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

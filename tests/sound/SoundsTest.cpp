#include "SoundTestSupport.h"
#include "env/uIni.h"
#include "sound/uSounds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

class TSoundsTest : public testing::Test {
 protected:
  void SetUp() override {
    FinalizeSounds();
    InitializeSounds();
    // A mono 16-bit sound of two samples.
    std::ofstream(Wave, std::ios::binary)
        << Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16)) + Chunk("data", Le16(1000) + Le16(-2000)));
    Player.Calls.clear();
  }
  void TearDown() override {
    FinalizeSounds();
    SetMainIni(nullptr);
    InitializeSounds();
  }

  // The samples of the last image played.
  std::vector<std::int16_t> Played() const {
    TWaveStream stream;
    EXPECT_EQ(ReadWaveImage(Player.Image(), stream), 0);
    EXPECT_EQ(stream.Channels, 2);
    std::vector<std::int16_t> samples(stream.Samples.size() / 2);
    std::memcpy(samples.data(), stream.Samples.data(), stream.Samples.size());
    return samples;
  }

  TTempFolder Folder;
  const std::string Wave = (Folder / "press.wav").string();
  TReportRecorder Reports;
  TRecordingPlayer Player;
};

TEST_F(TSoundsTest, RegisteredSoundsGetTheirFilesAndSwitches) {
  const std::string_view names[] = {"BDown", "BUp", "Warning"};
  EXPECT_EQ(RegisterSounds(names), 0);
  EXPECT_EQ(RegisterSounds(std::span(names, 1), true), 3);
  std::vector<std::string> registered;
  for (const TSound& sound : FrameworkSounds())
    registered.push_back(sound.Name + " " + sound.FileName + " " + sound.DefaultFileName + " " +
                         (sound.Enabled ? "on" : "off"));
  EXPECT_EQ(registered,
            (std::vector<std::string>{"BDown Sounds/BDown.wav Sounds/BDown.wav on",
                                      "BUp Sounds/BUp.wav Sounds/BUp.wav on", "Warning   on",
                                      "BDown Sounds/BDown.wav Sounds/BDown.wav off"}));
  EXPECT_EQ(FrameworkSoundIndex("BUp"), 1);
  EXPECT_EQ(FrameworkSoundIndex("None"), -1);
}

TEST_F(TSoundsTest, ASoundPlaysInStereoPannedToItsControl) {
  const std::string_view names[] = {"BDown"};
  RegisterSounds(names);
  FrameworkSounds()[0].FileName = Wave;
  PlayFrameworkSound(0, 25, 100);
  EXPECT_EQ(Player.Calls, (std::vector<std::string>{"stop", "image 52"}));
  EXPECT_EQ(Played(), (std::vector<std::int16_t>{750, 250, -1500, -500}));
  EXPECT_TRUE(FrameworkSounds()[0].Playing);
  PlayFrameworkSound(0, 0, 100);
  EXPECT_EQ(Played(), (std::vector<std::int16_t>{1000, 0, -2000, 0})) << "left edge";
  EXPECT_TRUE(Reports.Questions.empty());
  FinalizeSounds();
  EXPECT_EQ(Player.Calls.back(), "stop");
  EXPECT_TRUE(FrameworkSounds().empty());
}

TEST_F(TSoundsTest, NothingPlaysWithoutAWaveOrWhileSwitchedOff) {
  const std::string_view names[] = {"BDown", "BUp", "Warning"};
  RegisterSounds(names);
  FrameworkSounds()[1].FileName = Wave;
  FrameworkSounds()[2].FileName = Wave;
  FrameworkSounds()[2].Enabled = false;
  PlayFrameworkSound(0, 50, 100); // its file is missing
  PlayFrameworkSound(2, 50, 100);
  PlayFrameworkSound(3, 50, 100);
  PlayFrameworkSound(-1, 50, 100);
  SoundSettings.Enabled = false;
  PlayFrameworkSound(1, 50, 100);
  EXPECT_TRUE(Player.Calls.empty());
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TSoundsTest, SettingsComeFromTheOptionsStoreAndGoBackAtShutDown) {
  const std::string ini = (Folder / "bmi.ini").string();
  std::ofstream(ini) << "[Sounds]\nMusic=0\nBDown=" << Wave << "\nBUp=" << Wave
                     << "\nBUp Enabled=0\n";
  SetMainIni(std::make_unique<TDIniFile>(ini));
  const std::string_view names[] = {"BDown", "BUp"};
  RegisterSounds(names);
  PlayFrameworkSound(1, 50, 100);
  EXPECT_TRUE(Player.Calls.empty()) << "switched off in the store";
  PlayFrameworkSound(0, 50, 100);
  EXPECT_EQ(Player.Calls.size(), 2u) << "the file named in the store";
  EXPECT_FALSE(SoundSettings.Music);
  SoundSettings.Enabled = false;
  FinalizeSounds();
  EXPECT_EQ(MainIni()->ReadString("Sounds", "Enabled", ""), "0");
  EXPECT_EQ(MainIni()->ReadString("Sounds", "BUp Enabled", ""), "0");
  EXPECT_EQ(MainIni()->ReadString("Sounds", "BDown Enabled", ""), "1");
  EXPECT_TRUE(MainIni()->Callbacks().empty());
  // A store that says the sounds are off keeps them silent.
  InitializeSounds();
  RegisterSounds(names);
  Player.Calls.clear();
  PlayFrameworkSound(0, 50, 100);
  EXPECT_TRUE(Player.Calls.empty());
}

} // namespace

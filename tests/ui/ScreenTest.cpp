// The display modes against a fake platform: the mode list and its order, the driver search
// (one key, several keys with the driver form, marker modes), the refresh rates in the registry,
// the choice of bits, size and rate, the switch and its reports, the history and the question
// that keeps a mode, and the quantities derived from the monitor's limits.

#include "env/uIni.h"
#include "platform/uDisplayModes.h"
#include "platform/uRegistry.h"
#include "report/uMsg.h"
#include "ui/uDButton.h"
#include "ui/uScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

namespace {

// The platform's settings as a test lists them; every switch is recorded.
class TFakeDisplayModes : public TDisplayModes {
 public:
  TFakeDisplayModes(std::vector<TDisplaySetting> Settings, TDisplaySetting Shown,
                    std::vector<TDisplaySetting>& Changes, bool& Refuse)
      : Settings_(std::move(Settings)), Shown_(Shown), Changes_(Changes), Refuse_(Refuse) {}

  bool EnumSetting(int Index, TDisplaySetting& Setting) override {
    if (Index < 0 || Index >= static_cast<int>(Settings_.size()))
      return false;
    Setting = Settings_[static_cast<std::size_t>(Index)];
    return true;
  }
  TDisplaySetting Current() override { return Shown_; }
  bool Change(const TDisplaySetting& Setting, bool) override {
    Changes_.push_back(Setting);
    if (Refuse_)
      return false;
    Shown_ = Setting;
    return true;
  }

 private:
  std::vector<TDisplaySetting> Settings_;
  TDisplaySetting Shown_;
  std::vector<TDisplaySetting>& Changes_;
  bool& Refuse_;
};

std::string Text(const TDisplaySetting& S) {
  return std::to_string(S.Width) + "x" + std::to_string(S.Height) + "x" + std::to_string(S.Bits) +
         "/" + std::to_string(S.RefreshRate);
}

std::string Text(const TScreenMode& S) {
  return Text(TDisplaySetting{S.Width, S.Height, S.Bits, S.RefreshRate});
}

std::string Key(int Driver, int Bits, int Width, int Height) {
  return DisplayModeKey(Driver, Bits, Width, Height);
}

class TScreenModes : public testing::Test {
 protected:
  void SetUp() override {
    ClearRegistry();
    ResetScreenModes();
    SavedDialog_ =
        SetShowQueuedMessage([this](const std::string& Text, const TArrayOfString& Params, bool,
                                    TMessageLevel, const TArrayOfString&, std::uint16_t) {
          Reports.push_back(ReplaceParams(Text, Params));
          return Answer;
        });
  }
  void TearDown() override {
    SetShowQueuedMessage(std::move(SavedDialog_));
    SetDisplayModes(std::move(Saved_));
    ClearRegistry();
    ResetScreenModes();
  }

  // Installs the platform's list and the mode it shows.
  void Platform(std::vector<TDisplaySetting> Settings, TDisplaySetting Shown) {
    auto fake = std::make_unique<TFakeDisplayModes>(std::move(Settings), Shown, Changes, Refuse);
    auto previous = SetDisplayModes(std::move(fake));
    if (!Saved_)
      Saved_ = std::move(previous);
  }

  // Writes a driver key with a description.
  static void Driver(int Number, const std::string& Description) {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(DisplayDriverKey(Number), true));
    ASSERT_TRUE(registry.WriteString("DriverDesc", Description));
  }

  // Writes a mode key with its rate list and, unless empty, its rate.
  static void ModeKey(int Driver, int Bits, int Width, int Height, const std::string& Rates,
                      const std::string& Rate = {}) {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(Key(Driver, Bits, Width, Height), true));
    ASSERT_TRUE(registry.WriteString("", Rates));
    if (!Rate.empty()) {
      ASSERT_TRUE(registry.WriteString("RefreshRate", Rate));
    }
  }

  static std::string Read(const std::string& KeyName, const std::string& Name) {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(KeyName))
      return "<no key>";
    return registry.ValueExists(Name) ? registry.ReadString(Name) : "<no value>";
  }

  std::vector<TDisplaySetting> Changes;
  bool Refuse = false;
  std::vector<std::string> Reports;
  std::int32_t Answer = -1;

 private:
  std::unique_ptr<TDisplayModes> Saved_;
  TShowQueuedMessage SavedDialog_;
};

const std::vector<TDisplaySetting> CommonModes = {
    {640, 480, 8, 60},   {640, 480, 32, 60},   {800, 600, 32, 60},
    {1024, 768, 32, 60}, {1280, 1024, 32, 60}, {320, 200, 4, 60}, // 4 bits: not listed
    {800, 600, 32, 75},                                           // a duplicate of W, H, Bits
};

} // namespace

TEST(ScreenQuantities, FollowTheBlankingTimeAndNeverDivideByZero) {
  // Frequency: lines * rate * 10^6 / (10^6 - 560 rate), rounded up; worked out by hand:
  // 76800000000 / 958000 = 80167.01, 46080000000 / 966400 = 47682.12, and with double scan
  // (600 lines) 42000000000 / 960800 = 43713.57.
  EXPECT_EQ(EffectiveLines(399), 798);
  EXPECT_EQ(EffectiveLines(400), 400);
  EXPECT_EQ(HorizontalFrequency(1024, 75), 80168);
  EXPECT_EQ(HighestRefreshRate(1024, 80168), 75) << "the rate that set the limit stays allowed";
  EXPECT_EQ(HighestRefreshRate(1024, 80167), 74) << "a truncated frequency would lower it";
  EXPECT_EQ(HorizontalFrequency(768, 60), 47683);
  EXPECT_EQ(HighestRefreshRate(768, 47683), 60);
  EXPECT_EQ(HorizontalFrequency(300, 70), 43714);
  EXPECT_EQ(HighestRefreshRate(300, 43714), 70);
  // Nothing to divide by: 0, never a fault.
  EXPECT_EQ(HighestRefreshRate(0, 50000), 0);
  EXPECT_EQ(HighestRefreshRate(768, 0), 0);
  EXPECT_EQ(HorizontalFrequency(768, 1786), 0); // 560 us * 1786 Hz is more than a second
  EXPECT_EQ(HorizontalFrequency(768, 0), 0);
  EXPECT_EQ(VideoMemory(1280, 32, 1024), 1280 * 4 * 1024);
  EXPECT_EQ(VideoMemory(641, 4, 10), 324 * 10); // (2564 + 31) div 32 * 4 = 324
}

TEST(ScreenText, WritesTheModeWithTheMultiplicationSign) {
  EXPECT_EQ(ModeToText({800, 600, 32, 75}), "800\xC3\x97"
                                            "600\xC3\x97"
                                            "32 bit/75 Hz");
  EXPECT_EQ(ModeToText({640, 480, 0, 0}), "640\xC3\x97"
                                          "480");
  EXPECT_EQ(ModeToText({640, 480, 16, 0}), "640\xC3\x97"
                                           "480\xC3\x97"
                                           "16 bit");
  EXPECT_EQ(ModeToText({640, 480, 0, 60}), "640\xC3\x97"
                                           "480/60 Hz");
}

TEST_F(TScreenModes, ListsModesByPixelCountWithTheirBitsAndTheCurrentMode) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake display");
  ReadScreenModes();
  const TScreenState& state = ScreenState();
  std::vector<std::string> modes;
  for (const TScreenModeEx& mode : state.Modes)
    modes.push_back(Text(TScreenMode{mode.Width, mode.Height, mode.Bits, mode.RefreshRate}));
  EXPECT_EQ(modes, (std::vector<std::string>{"640x480x8/60", "640x480x32/60", "800x600x32/60",
                                             "1024x768x32/60", "1280x1024x32/60"}));
  EXPECT_EQ(state.Bits, (std::vector<std::int32_t>{8, 32}));
  EXPECT_EQ(state.DriverIndex, 0);
  EXPECT_EQ(state.DriverDesc, "Fake display");
  EXPECT_EQ(state.CurrentModeIndex, 4);
  EXPECT_EQ(Text(state.StartMode), "1280x1024x32/60");
  EXPECT_EQ(state.MinWidth, 208);
  EXPECT_EQ(state.MinHeight, 156);
}

TEST_F(TScreenModes, ASingleDriverKeyIsTheDriverWithoutAQuestion) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(3, "NVIDIA GeForce 2");
  bool asked = false;
  QTimer::singleShot(0, [&asked] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      asked = true;
      modal->close();
    }
  });
  ReadScreenModes();
  QApplication::processEvents();
  EXPECT_FALSE(asked);
  EXPECT_EQ(ScreenState().DriverIndex, 3);
  EXPECT_EQ(ScreenState().MinWidth, 80) << "GeForce drivers allow small modes";
  EXPECT_EQ(ScreenState().MinHeight, 142);
}

TEST_F(TScreenModes, SeveralDriverKeysAskWithTheDriverFormAndKeepTheAnswer) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "First");
  Driver(2, "Second");
  const std::string iniFile = testing::TempDir() + "screen-options.ini";
  std::remove(iniFile.c_str());
  SetMainIni(std::make_unique<TDIniFile>(iniFile));
  QStringList lines;
  QString caption;
  QTimer::singleShot(0, [&] {
    auto* form = qobject_cast<TfScreen*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    caption = form->windowTitle();
    for (int i = 0; i < form->ComboBoxDriver->count(); ++i)
      lines << form->ComboBoxDriver->itemText(i);
    EXPECT_EQ(form->ComboBoxDriver->currentIndex(), 0);
    form->ComboBoxDriver->setCurrentIndex(1);
    form->ButtonOk->click();
  });
  ReadScreenModes();
  EXPECT_EQ(caption, "Can not assign graphics driver, select driver manually");
  EXPECT_EQ(lines, (QStringList{"0: First", "2: Second"}));
  EXPECT_EQ(ScreenState().DriverIndex, 2) << "the key's number, not the line's";
  EXPECT_EQ(MainIni()->ReadNum("Monitor", "ActualDriver", -1), 2);

  // The stored choice answers the next search.
  ResetScreenModes();
  ReadScreenModes();
  EXPECT_EQ(ScreenState().DriverIndex, 2);
  SetMainIni(nullptr);
}

TEST_F(TScreenModes, AMarkerModeNamesTheDriverAndTheMarkersAreRemoved) {
  std::vector<TDisplaySetting> settings = CommonModes;
  settings.push_back({641, 481, 8, 60}); // driver 1's marker, offered by the platform
  Platform(settings, {1280, 1024, 32, 60});
  Driver(0, "First");
  Driver(1, "Second");
  ModeKey(1, 8, 640, 480, "60"); // driver 1 has 8-bit modes: it gets a marker
  ReadScreenModes();
  EXPECT_EQ(ScreenState().DriverIndex, 1);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(Read(DisplayDriverKey(i) + "\\Modes\\8\\641," + std::to_string(480 + i), ""),
              "<no key>");
  EXPECT_EQ(Read(Key(1, 8, 640, 480), ""), "60");
}

TEST_F(TScreenModes, ReadsTheRatesOfEachModeKey) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ModeKey(0, 32, 800, 600, "75, 60,60,250,20,abc,85", "85");
  ModeKey(0, 32, 1024, 768, "70,60", "x"); // a bad rate keeps the first listed
  ModeKey(0, 32, 1280, 1024, "", "201");   // out of range: 60 stays
  ReadScreenModes();
  const TScreenState& state = ScreenState();
  EXPECT_EQ(state.Modes[2].RefreshRates, (TRefreshRateList{60, 75, 85}));
  EXPECT_EQ(state.Modes[2].RefreshRateCount, 3);
  EXPECT_EQ(state.Modes[2].RefreshRate, 85);
  EXPECT_EQ(state.Modes[3].RefreshRates, (TRefreshRateList{60, 70}));
  EXPECT_EQ(state.Modes[3].RefreshRate, 60);
  EXPECT_EQ(state.Modes[4].RefreshRate, 60);
  EXPECT_EQ(state.Modes[0].RefreshRate, 60) << "no key: 60 Hz";
  EXPECT_EQ(state.MaxRefreshRate, 85);
  EXPECT_EQ(state.MaxHorizontalFrequency, HorizontalFrequency(768, 70)); // 768 x 70 is the most
  EXPECT_EQ(state.MaxPixelClock, 1024 * HorizontalFrequency(768, 70));
  EXPECT_EQ(state.CurrentMode.RefreshRate, 60);
}

TEST_F(TScreenModes, ChoosesTheDepthOfLeastCostHigherDepthsPreferred) {
  struct TCase {
    std::vector<TDisplaySetting> Settings;
    std::int32_t Requested, Chosen;
  };
  const TCase cases[] = {
      {{{640, 480, 32, 60}, {640, 480, 8, 60}}, 16, 32},  // cost 16 against 32
      {{{640, 480, 16, 60}, {640, 480, 32, 60}}, 24, 32}, // 8 against 32
      {{{640, 480, 32, 60}, {640, 480, 8, 60}}, 8, 8},
      {{{640, 480, 8, 60}, {640, 480, 32, 60}}, 0, 32}, // none asked: the last found
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "asked " << c.Requested);
    ClearRegistry();
    ResetScreenModes();
    Changes.clear();
    Platform(c.Settings, c.Settings[0]);
    Driver(0, "Fake");
    ReadScreenModes();
    EXPECT_TRUE(SetScreenMode({640, 480, c.Requested, 60}, false, false, false, false, false));
    ASSERT_EQ(Changes.size(), 1U);
    EXPECT_EQ(Changes[0].Bits, c.Chosen);
  }
}

TEST_F(TScreenModes, TheNearestModeIsSetAndTheDifferenceReported) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  EXPECT_TRUE(SetScreenMode({1000, 700, 32, 0}, false, false, false, false, true));
  ASSERT_EQ(Changes.size(), 1U);
  EXPECT_EQ(Text(Changes[0]), "1024x768x32/60");
  EXPECT_EQ(Reports, std::vector<std::string>{"Screen mode 1000\xC3\x97"
                                              "700\xC3\x97"
                                              "32 bit can not be set, using 1024\xC3\x97"
                                              "768\xC3\x97"
                                              "32 bit/60 Hz."});
  EXPECT_EQ(Text(ScreenState().CurrentMode), "1024x768x32/60");
  ASSERT_EQ(ScreenState().History.size(), 1U);
  // Nothing was written without RegistryRepair for a mode that is not exact.
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), ""), "<no key>");
}

TEST_F(TScreenModes, TheWidthGoesToAMultipleOf8AndRegistryRepairAddsTheMode) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  const std::size_t before = ScreenState().Modes.size();
  EXPECT_TRUE(SetScreenMode({641, 481, 32, 60}, true, false, false, true, false));
  EXPECT_TRUE(Changes.empty()) << "TestOnly never switches";
  const TScreenState& state = ScreenState();
  ASSERT_EQ(state.Modes.size(), before + 1);
  EXPECT_EQ(state.Modes[2].Width, 640);
  EXPECT_EQ(state.Modes[2].Height, 481);
  // No limits learned: the list reaches the rate asked, from itself.
  EXPECT_EQ(Read(Key(0, 32, 640, 481), ""), "60");
  EXPECT_EQ(Read(Key(0, 32, 640, 481), "RefreshRate"), "60");
}

TEST_F(TScreenModes, RatesAreClampedAndTheLearnedRateIsNeverLowered) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ModeKey(0, 32, 1280, 1024, "60,75", "75");
  ReadScreenModes();
  ASSERT_EQ(ScreenState().MaxHorizontalFrequency, 80168);
  struct TCase {
    TScreenMode Asked;
    std::int32_t Rate;
    bool Reported;
  };
  const TCase cases[] = {
      {{1280, 1024, 32, 20}, 30, true},  // below 30
      {{1280, 1024, 32, 75}, 75, false}, // the rate the limit came from
      {{1280, 1024, 32, 100}, 75, true}, // above the limit
      {{640, 480, 32, 100}, 100, false}, // 480 lines allow 152 Hz at that frequency
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Text(c.Asked));
    Changes.clear();
    Reports.clear();
    EXPECT_TRUE(SetScreenMode(c.Asked, false, false, false, false, false));
    ASSERT_EQ(Changes.size(), 1U);
    EXPECT_EQ(Changes[0].RefreshRate, c.Rate);
    EXPECT_EQ(Reports.size(), c.Reported ? 1U : 0U);
    // An exact mode keeps its rate in the registry, where the driver takes it from.
    EXPECT_EQ(Read(Key(0, 32, c.Asked.Width, c.Asked.Height), "RefreshRate"),
              std::to_string(c.Rate));
  }
  EXPECT_EQ(Read(Key(0, 32, 1280, 1024), ""), "30,60,75");
}

TEST_F(TScreenModes, TestOnlyDoesTheRegistryWorkWithoutSwitching) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  EXPECT_TRUE(SetScreenMode({800, 600, 32, 72}, true, false, false, false, true));
  EXPECT_TRUE(Changes.empty());
  EXPECT_TRUE(Reports.empty());
  EXPECT_TRUE(ScreenState().History.empty());
  EXPECT_EQ(Read(Key(0, 32, 800, 600), ""), "72");
  EXPECT_EQ(Read(Key(0, 32, 800, 600), "RefreshRate"), "72");
  EXPECT_EQ(ScreenState().Modes[2].RefreshRate, 72);
}

TEST_F(TScreenModes, AFailedSwitchIsReportedAndChangesNothing) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  Refuse = true;
  EXPECT_FALSE(SetScreenMode({800, 600, 32, 60}, false, false, false, false, true));
  EXPECT_EQ(Reports, std::vector<std::string>{"Can not change screen mode to '800\xC3\x97"
                                              "600\xC3\x97"
                                              "32 bit/60 Hz'."});
  EXPECT_EQ(Text(ScreenState().CurrentMode), "1280x1024x32/60");
  EXPECT_TRUE(ScreenState().History.empty());
}

TEST_F(TScreenModes, AConfirmationAnsweredNoGoesBackToTheHistorysMode) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  ASSERT_TRUE(SetScreenMode({1024, 768, 32, 60}, false, false, false, false, true));
  Answer = 1; // the second button: No
  EXPECT_FALSE(SetScreenMode({800, 600, 32, 60}, false, false, true, false, true));
  ASSERT_EQ(Changes.size(), 3U);
  EXPECT_EQ(Text(Changes[1]), "800x600x32/60");
  EXPECT_EQ(Text(Changes[2]), "1024x768x32/60");
  EXPECT_EQ(Reports, std::vector<std::string>{"Use mode 800\xC3\x97"
                                              "600\xC3\x97"
                                              "32 bit/60 Hz?"});
  EXPECT_EQ(Text(ScreenState().CurrentMode), "1024x768x32/60");
  EXPECT_EQ(ScreenState().History.size(), 1U);

  // Yes keeps the mode and pushes it.
  Answer = 0;
  EXPECT_TRUE(SetScreenMode({800, 600, 32, 60}, false, false, true, false, true));
  EXPECT_EQ(Text(ScreenState().CurrentMode), "800x600x32/60");
  EXPECT_EQ(ScreenState().History.size(), 2U);

  // The start-up mode comes back.
  EXPECT_TRUE(RestoreStartMode());
  EXPECT_EQ(Text(Changes.back()), "1280x1024x32/60");
}

TEST_F(TScreenModes, LimitsOfZeroCapNothing) {
  // No registry keys: nothing is learned about the monitor.
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ReadScreenModes();
  ASSERT_EQ(ScreenState().MaxRefreshRate, 0);
  EXPECT_TRUE(SetScreenMode({1024, 768, 32, 85}, false, false, false, false, false));
  ASSERT_EQ(Changes.size(), 1U);
  EXPECT_EQ(Changes[0].RefreshRate, 85);
  EXPECT_TRUE(Reports.empty());
  RegisterRefreshRates(3, 85);
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), ""), "85");
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), "RefreshRate"), "85");
}

TEST_F(TScreenModes, RegisterRefreshRatesListsTheUsualRatesUpToTheTop) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  ModeKey(0, 32, 1280, 1024, "56,75", "75");
  {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKey(Key(0, 32, 1024, 768), true));
    ASSERT_TRUE(registry.WriteString("ModeRefreshRateList", "old"));
  }
  ReadScreenModes();
  // 768 lines at 80168 Hz would allow 98 Hz, but the monitor was seen at 75 Hz at most; the
  // pixel clock (1280 x 80168) at 1024 wide gives 100210 Hz of line frequency, 121 Hz: the top
  // is 75, and the list runs from the smallest known rate, 56, keeping the usual rates.
  RegisterRefreshRates(3, 60);
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), ""), "60,72,75");
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), "RefreshRate"), "75");
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), "ModeRefreshRateList"), "<no value>");
  EXPECT_EQ(ScreenState().Modes[3].RefreshRate, 75);
  // A rate asked above the limits: the pixel clock's limit, 121 Hz, tops it.
  RegisterRefreshRates(3, 150);
  EXPECT_EQ(Read(Key(0, 32, 1024, 768), ""), "60,72,75,85,90,96,100,120,121");
}

TEST_F(TScreenModes, WithoutADriverNothingIsWrittenAndAnEmptyListChoosesNothing) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  ReadScreenModes();
  ASSERT_EQ(ScreenState().DriverIndex, -1);
  const std::size_t before = ScreenState().Modes.size();
  EXPECT_TRUE(SetScreenMode({720, 400, 32, 70}, true, false, false, true, false));
  EXPECT_EQ(ScreenState().Modes.size(), before + 1) << "the mode list is still updated";
  TRegistry registry(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(registry.KeyExists("System"));

  ResetScreenModes();
  Platform({{0, 0, 32, 60}, {800, 0, 32, 60}}, {0, 0, 0, 0}); // nothing usable
  Driver(0, "Fake");
  ReadScreenModes();
  EXPECT_TRUE(ScreenState().Modes.empty());
  EXPECT_FALSE(SetScreenMode({800, 600, 32, 60}, false, false, false, true, true));
  EXPECT_TRUE(Changes.empty());
  EXPECT_EQ(Read(Key(0, 32, 800, 600), ""), "<no key>");
}

TEST_F(TScreenModes, FullScreenFormsSwitchThroughTheInstalledHook) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  {
    TDForm form;
    form.FullScreenMode = {800, 600, 32, 0};
    form.SetChangeMode(true);
    form.SetFullScreen(true);
    ASSERT_EQ(Changes.size(), 1U);
    EXPECT_EQ(Text(Changes[0]), "800x600x32/60");
    // Turning ChangeMode off in full screen goes back at once.
    form.SetChangeMode(false);
    ASSERT_EQ(Changes.size(), 2U);
    EXPECT_EQ(Text(Changes[1]), "1280x1024x32/60");
    form.SetChangeMode(true);
    ASSERT_EQ(Changes.size(), 3U);
  }
  // Freeing the form in full screen restores the start-up mode.
  ASSERT_EQ(Changes.size(), 4U);
  EXPECT_EQ(Text(Changes[3]), "1280x1024x32/60");
  EXPECT_TRUE(Reports.empty());
}

TEST_F(TScreenModes, AStoredOrMarkedDriverThatWasNotFoundIsNotTaken) {
  std::vector<TDisplaySetting> settings = CommonModes;
  settings.push_back({641, 600, 8, 60}); // a marker height that names no driver key
  Platform(settings, {1280, 1024, 32, 60});
  Driver(0, "First");
  Driver(2, "Second");
  SetMainIni(std::make_unique<TDIniFile>(testing::TempDir() + "screen-unknown.ini"));
  MainIni()->WriteNum("Monitor", "ActualDriver", 5);
  bool asked = false;
  QTimer::singleShot(0, [&asked] {
    auto* form = qobject_cast<TfScreen*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    asked = true;
    form->accept();
  });
  ReadScreenModes();
  EXPECT_TRUE(asked);
  EXPECT_EQ(ScreenState().DriverIndex, 0);
  EXPECT_EQ(MainIni()->ReadNum("Monitor", "ActualDriver", -1), 0);
  SetMainIni(nullptr);
}

TEST_F(TScreenModes, LeavingFullScreenInTheStartModeSwitchesNothing) {
  Platform(CommonModes, {1280, 1024, 32, 60});
  Driver(0, "Fake");
  TDForm form;
  form.FullScreenMode = {1280, 1024, 32, 0};
  form.SetChangeMode(true);
  form.SetFullScreen(true);
  ASSERT_EQ(Changes.size(), 1U);
  form.SetFullScreen(false);
  EXPECT_EQ(Changes.size(), 1U) << "the display shows the start-up mode already";
}

#include "env/uCommon.h"
#include "env/uIni.h"
#include "env/uOptions.h"
#include "platform/uExceptions.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace {

TEST(TOptionsTest, AfterStartUpTheGlobalOptionsHoldTheirDefaults) {
  EXPECT_TRUE(WindowBackgroundTexture());
  EXPECT_EQ(WindowBackgroundColor(), clBtnFace);
  EXPECT_EQ(std::uint32_t(WindowBackgroundColor()), 0xFF00000Fu);
  EXPECT_EQ(MainIni(), nullptr) << "the program sets no ini object";

  const struct {
    TGlobalOption Option;
    const char* Name;
    bool Bool;
    std::int32_t Num;
  } cases[] = {
      {goStartMenuIcon, "StartMenuIcon", true, 0},
      {goRunAfterStartUp, "RunAfterStartUp", false, 0},
      {goShowSplashScreenWhenApplicationStarts, "ShowSplashScreenWhenApplicationStarts", true, 0},
      {goCheckForUpdateDaysPeriod, "CheckForUpdateDaysPeriod", false, 14},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GlobalOptions[c.Option].Name, c.Name);
    EXPECT_EQ(GlobalParams[c.Option].Bool, c.Bool) << c.Name;
    EXPECT_EQ(GlobalParams[c.Option].Num, c.Num) << c.Name;
  }
  EXPECT_EQ(GlobalOptions[goWindowBackgroundColor].Minimum,
            std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(GlobalOptions[goCheckForUpdateDaysPeriod].Maximum, 365);
  EXPECT_EQ(VisualStyleCaption(vsFilename), "Filename");
}

TEST(TOptionsTest, DefaultsFollowTheKindAndAnUnknownKindRaises) {
  static constexpr std::string_view Names[] = {"xxCheck", "xxFloat", "xxText", "xxColor", "xxBad"};
  std::array<TOption, 5> options{{
      {"", vsCheck, 2, 0, 0, ""},
      {"", vsFloat, 3, 0, 0, ""},
      {"", vsDirectory, 0, 0, 0, "/tmp/"},
      {"", vsColor, 0x123456, 0, 0, ""},
      {"", vsUnknown, 0, 0, 0, ""},
  }};
  InitOptionNames(Names, options);
  EXPECT_EQ(options[2].Name, "Text");
  EXPECT_EQ(options[3].Maximum, std::numeric_limits<std::int32_t>::max());
  std::array<TParam, 5> params;
  try {
    DefaultParams(options, params);
    ADD_FAILURE() << "an unknown kind raises";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid option type.");
  }
  EXPECT_TRUE(params[0].Bool);
  EXPECT_EQ(params[1].Float, 3.0);
  EXPECT_EQ(params[2].Str, "/tmp/");
  EXPECT_EQ(params[3].Num, 0x123456);
}

} // namespace

#include "env/uCommon.h"
#include "env/uOptions.h"
#include "platform/uExceptions.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(TOptionsTest, AfterStartUpTheGlobalOptionsHoldTheirDefaults) {
  EXPECT_TRUE(WindowBackgroundTexture());
  EXPECT_EQ(std::uint32_t(WindowBackgroundColor()), 0xFF00000Fu) << "the button-face colour";
  EXPECT_EQ(GlobalOptions[goCheckForUpdateDaysPeriod].Name, "CheckForUpdateDaysPeriod");
  EXPECT_EQ(GlobalParams[goCheckForUpdateDaysPeriod].Num, 14);
  EXPECT_FALSE(GlobalParams[goRunAfterStartUp].Bool);
}

TEST(TOptionsTest, AnUnknownKindRaises) {
  const std::array<TOption, 1> options{{{"x", vsUnknown, 0, 0, 0, ""}}};
  std::array<TParam, 1> params;
  EXPECT_THROW(DefaultParams(options, params), Exception);
}

} // namespace

#include "text/uTranslate.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

std::string Shouting(std::string_view Text) {
  return std::string(Text) + "!";
}

TEST(Translate, PassesTextsUnchangedWhileNoDictionaryIsInstalled) {
  EXPECT_EQ(Translate("&Close Program"), "&Close Program") << "accelerator marks included";
  EXPECT_EQ(Translate(""), "");
}

TEST(Translate, UsesTheInstalledHookUntilItIsRemoved) {
  const TTranslateHook previous = SetTranslateHook(Shouting);
  EXPECT_EQ(previous, nullptr);
  EXPECT_EQ(Translate("Close"), "Close!");
  EXPECT_EQ(SetTranslateHook(previous), Shouting);
  EXPECT_EQ(Translate("Close"), "Close");
}

} // namespace

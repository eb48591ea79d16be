// dexpr under locales whose thousands separator UTF-8 writes in several bytes: the column numbers
// of a message carry the locale's own character, encoded once.

#include "support/BuiltLocales.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DexprLocale, WritesMultiByteSeparatorsOnce) {
  const struct {
    const char* Name;
    const char* Separator;
  } locales[] = {{"fr_FR", "\xE2\x80\xAF"}, {"de_CH", "\xE2\x80\x99"}};
  // 1100 zeros and a letter: the letter stands in column 1101 and the text ends before 1102.
  std::string expression(1100, '0');
  expression += 'x';
  for (const auto& locale : locales) {
    const std::filesystem::path folder = BuiltLocaleFolder(locale.Name);
    if (folder.empty())
      GTEST_SKIP() << "localedef cannot build " << locale.Name << " here";
    const TProcessResult result =
        RunProcess(DEXPR_PATH, {expression}, "",
                   {"LOCPATH=" + folder.string(), "LC_ALL=" + std::string(locale.Name) + ".UTF-8"});
    const std::string s = locale.Separator;
    const std::string columns = "(1, 1" + s + "101..1" + s + "102)";
    EXPECT_NE((result.Out + result.Err).find(columns), std::string::npos)
        << locale.Name << "\n"
        << result.Out << result.Err;
  }
}

} // namespace

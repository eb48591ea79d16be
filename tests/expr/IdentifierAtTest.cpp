// Which name a cursor ends, as the reader's scanner sees the text before it.

#include "expr/uIdentifierAt.h"
#include "support/NumberFormat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct TCase {
  std::string Text; // Latin-1
  int Cursor;
  std::optional<TIdentifierAt> Expected;
};

std::string Describe(const std::optional<TIdentifierAt>& Identifier) {
  if (!Identifier)
    return "none";
  return "'" + Identifier->Prefix + "' " + std::to_string(Identifier->Start) + ".." +
         std::to_string(Identifier->End);
}

void ExpectCases(const std::vector<TCase>& Cases, bool UseWinFormat) {
  for (const TCase& c : Cases)
    EXPECT_EQ(Describe(IdentifierAt(c.Text, c.Cursor, UseWinFormat)), Describe(c.Expected))
        << "'" << c.Text << "' at " << c.Cursor;
}

TEST(IdentifierAt, FindsTheNameThatEndsAtTheCursor) {
  ExpectCases(
      {
          {"sq", 2, TIdentifierAt{0, 2, "sq"}},
          {"1+sq", 4, TIdentifierAt{2, 4, "sq"}},
          {"sum(1;sq", 8, TIdentifierAt{6, 8, "sq"}},
          {"sqrt", 2, TIdentifierAt{0, 4, "sq"}},
          {"sqrt(2)", 2, TIdentifierAt{0, 4, "sq"}},
          {"sq rt", 2, TIdentifierAt{0, 2, "sq"}},
          {"_x1", 3, TIdentifierAt{0, 3, "_x1"}},
          {"x", 1, TIdentifierAt{0, 1, "x"}},
          {"abc", 99, TIdentifierAt{0, 3, "abc"}},
          {"abc", -1, TIdentifierAt{0, 3, "abc"}},
          {"12ab", 4, TIdentifierAt{2, 4, "ab"}},
          {"12eb", 4, TIdentifierAt{3, 4, "b"}},
          {"\xE9sq", 3, TIdentifierAt{1, 3, "sq"}},
          {"\xACsq", 3, TIdentifierAt{1, 3, "sq"}},
          {"2 mod", 5, TIdentifierAt{2, 5, "mod"}},
      },
      false);
}

TEST(IdentifierAt, FindsNoneWhereTheCursorEndsNoName) {
  ExpectCases(
      {
          {"", 0, std::nullopt},
          {"sq ", 3, std::nullopt},
          {"sq(", 3, std::nullopt},
          {"sq", 0, std::nullopt},
          {"0x1f", 4, std::nullopt},
          {"$ab", 3, std::nullopt},
          {"#1", 2, std::nullopt},
          {"2e", 2, std::nullopt},
          {"2E5", 3, std::nullopt},
          {"1,5e", 4, std::nullopt},
          {"1.5e", 4, std::nullopt},
          {"12", 2, std::nullopt},
      },
      false);
}

TEST(IdentifierAt, ReadsNumbersWithTheLocaleSeparatorsAsTheFieldDoes) {
  {
    TNumberFormatGuard format(PointLocale);
    ExpectCases({{"1 ex", 4, TIdentifierAt{2, 4, "ex"}}}, true);
  }
  {
    // The French thousands separator groups digits by blanks, so "1 e" is a number with an
    // exponent and only the "x" after it is a name.
    TNumberFormatGuard format(FrenchLocale);
    ExpectCases({{"1 ex", 4, TIdentifierAt{3, 4, "x"}}}, true);
  }
}

} // namespace

#include "ParserTestSupport.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "expr/uProjectVersion.h"
#include "platform/uExceptions.h"
#include "support/NumberFormat.h"
#include "text/uOutputFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

// Every test starts from the point locale and leaves the settings as it found them.
class TInputFormat : public testing::Test {
 protected:
  static void UseLocale(const char* decimal, const char* thousand) {
    DecimalSep = decimal;
    ThousandSep = thousand;
  }

 private:
  TNumberFormatGuard Format_{PointLocale};
};

TEST_F(TInputFormat, EmptyTextReadsTheDefaultWithoutMessage) {
  TParserMessages messages;
  EXPECT_EQ(StrToValE("", true, &messages, 0, 75, 2147483647), 75);
  EXPECT_EQ(messages.Count(), 0);
  EXPECT_EQ(StrToValE("", true, nullptr, 0, 75, 2147483647), 75);
}

TEST_F(TInputFormat, WithAListBadInputNeverRaises) {
  TParserMessages messages;
  EXPECT_EQ(StrToValE("abc", true, &messages, 0, 5, 10), 5);
  EXPECT_EQ(Lines(messages), TLines{"[Error] (1, 1..4): Undeclared identifier 'abc'"});
}

TEST_F(TInputFormat, WithoutAListMessagesRaiseAConversionError) {
  try {
    StrToValE("abc", true, nullptr, 0, 5, 10);
    FAIL() << "no exception";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "[Error] (1, 1..4): Undeclared identifier 'abc'");
  }
  try {
    StrToValE("abc+xyz", true, nullptr, 0, 5, 10);
    FAIL() << "no exception";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "[Error] (1, 1..4): Undeclared identifier 'abc'\r\n"
                               "[Error] (1, 5..8): Undeclared identifier 'xyz'");
  }
}

TEST_F(TInputFormat, TextLeftOverIsReportedOnlyIntoACallersList) {
  EXPECT_EQ(StrToValE("12 34", true, nullptr, 0, 5, 100), 12);
  TParserMessages messages;
  EXPECT_EQ(StrToValE("12 34", true, &messages, 0, 5, 100), 12);
  EXPECT_EQ(Lines(messages), TLines{"[Error] (1, 4..6): Line too long, unused chars"});
}

TEST_F(TInputFormat, FixedFormatIgnoresTheLocale) {
  UseLocale(",", ".");
  EXPECT_EQ(StrToValE("1,000.5", false, nullptr, 0, 0, 1e9L), 1000.5L);
  EXPECT_EQ(StrToValE("1.000,5", true, nullptr, 0, 0, 1e9L), 1000.5L);
}

TEST_F(TInputFormat, LocaleSeparatorsComeFromTheProcessAtTheCall) {
  UseLocale(",", "\xC2\xA0"); // no-break space, as UTF-8
  EXPECT_EQ(StrToValE("1 000,5", true, nullptr, 0, 0, 1e9L), 1000.5L);
  UseLocale(",", "\xE2\x80\xAF"); // narrow no-break space
  EXPECT_EQ(StrToValE("1 000,5", true, nullptr, 0, 0, 1e9L), 1000.5L);
  UseLocale(".", "");
  EXPECT_EQ(StrToValE("1.5", true, nullptr, 0, 0, 1e9L), 1.5L);
}

TEST_F(TInputFormat, IntegerFormsRoundHalvesAwayFromZero) {
  EXPECT_EQ(StrToValI("2.5", false, -10, 0, 10, 1, nullptr), 3);
  EXPECT_EQ(StrToValI("-2.5", false, -10, 0, 10, 1, nullptr), -3);
  EXPECT_EQ(StrToValU("7.5", false, 0, 0, 10, 1, nullptr), 8u);
  EXPECT_EQ(StrToValS8(" 9000000000", false, nullptr, 0, 0, 10000000000LL, 1), 9000000000LL);
}

TEST_F(TInputFormat, IntegerFormsCountUnitsOfTheDenominator) {
  EXPECT_EQ(StrToValI("1.5", false, 0, 0, 60000, 1000, nullptr), 1500);
  TParserMessages messages;
  EXPECT_EQ(StrToValI("99", false, 0, 0, 60000, 1000, &messages), 60000);
  EXPECT_EQ(Lines(messages), TLines{"[Error] (1, 3..3): Value 99 out of range 0..60"});
  EXPECT_EQ(StrToValS8("MAX", false, nullptr, 0, 0, INT64_MAX, 1), INT64_MAX);
}

TEST_F(TInputFormat, AZeroDenominatorRaisesTheFloatingPointError) {
  EXPECT_THROW(StrToValI("1", false, 0, 1, 10, 0, nullptr), EMathError);
}

TEST_F(TInputFormat, FloatingPointErrorsPassThroughBothModes) {
  TParserMessages messages;
  EXPECT_THROW(StrToValE("ln(0)", true, &messages, 0, 1, 10), EZeroDivide);
  EXPECT_THROW(StrToValE("ln(0)", true, nullptr, 0, 1, 10), EZeroDivide);
}

TEST(TProjectVersion, ReadsDottedParts) {
  const struct {
    const char* text;
    TProjectVersion version;
  } rows[] = {
      {"1.2.3.4", {1, 2, 3, 4}},
      {"1.5", {1, 5, 0, 0}},
      {"N/A", {0, 0, 0, 0}},
      {"4.5.6.7+x", {4, 5, 6, 7}},
      {"", {0, 0, 0, 0}},
      // Without a fourth part the release runs to the end and "+" cannot be read.
      {"4.5.6+build7", {4, 5, 0, 0}},
      {"70000.1", {4464, 1, 0, 0}},
      {"1.2.y.4", {1, 2, 0, 0}},
      {"1..3", {1, 0, 3, 0}},
  };
  for (const auto& row : rows) {
    TProjectVersion version{9, 9, 9, 9};
    StrToProjectVersion(row.text, nullptr, version);
    EXPECT_EQ(version, row.version) << row.text;
  }
}

TEST(TProjectVersion, WithAListEveryPartIsReadAndReported) {
  TParserMessages messages;
  TProjectVersion version;
  StrToProjectVersion("1.2.y.4", &messages, version);
  EXPECT_EQ(version, (TProjectVersion{1, 2, 0, 4}));
  EXPECT_EQ(Lines(messages), TLines{"[Error] (1, 1..2): Undeclared identifier 'y'"});
}

} // namespace

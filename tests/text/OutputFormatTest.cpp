#include "support/BuiltLocales.h"
#include "support/NumberFormat.h"
#include "text/uOutputFormat.h"
#include "text/uTranslate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

constexpr std::int64_t Int64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t Int64Max = std::numeric_limits<std::int64_t>::max();

// Every test starts from the comma locale and leaves the settings as it found them.
class OutputFormat : public testing::Test {
 protected:
  void SetUp() override { CommaLocale.Apply(); }
  void TearDown() override { Saved_.Apply(); }

 private:
  TNumberFormat Saved_ = TNumberFormat::Current();
};

// NumberToText and IntToText

struct TNumberCase {
  std::int64_t Value;
  int Decimals;
  TNumberStyle Style;
  std::string_view Expected;
};

void ExpectNumbers(std::initializer_list<TNumberCase> cases) {
  for (const TNumberCase& c : cases)
    EXPECT_EQ(NumberToText(c.Value, c.Decimals, c.Style), c.Expected)
        << "Value " << c.Value << " Decimals " << c.Decimals << " Style " << int(c.Style);
}

TEST_F(OutputFormat, NumberToTextInTheFixedStyles) {
  ExpectNumbers({
      {1234567, 0, nsGrouped, "1,234,567"},
      {1234567, 0, nsPlain, "1234567"},
      {-1234567, 0, nsGrouped, "-1,234,567"},
      {12345, 2, nsPlain, "123.45"},
      {5, 2, nsPlain, "0.05"},
      {50, -2, nsPlain, "0.5"},
      {100, -2, nsPlain, "1"},
      {0, 0, nsGrouped, "0"},
      {0, 2, nsPlain, "0.00"},
      {0, -2, nsPlain, "0"},
      {-5, 1, nsPlain, "-0.5"},
      {123, 0, nsGrouped, "123"},
      {1000, 0, nsGrouped, "1,000"},
      {123456789, 2, nsGrouped, "1,234,567.89"},
      {1234567, 4, nsGrouped, "123.456,7"}, // fraction digits are grouped from the point
      {1234000, -4, nsGrouped, "123.4"},
      {1234567, 0, static_cast<TNumberStyle>(7), "1,234,567"}, // an unknown style is nsGrouped
  });
}

TEST_F(OutputFormat, NumberToTextOfTheExtreme64BitValuesIsOutOfRange) {
  for (TNumberStyle style : {nsPlain, nsGrouped, nsLocale}) {
    EXPECT_EQ(NumberToText(Int64Max, 0, style), "Out of 64-bit range");
    EXPECT_EQ(NumberToText(Int64Min, 2, style), "Out of 64-bit range");
  }
  EXPECT_EQ(NumberToText(Int64Max - 1, 0, nsGrouped), "9,223,372,036,854,775,806");
  EXPECT_EQ(NumberToText(Int64Min + 1, 0, nsPlain), "-9223372036854775807");
}

TEST_F(OutputFormat, NumberToTextInACommaLocale) {
  ExpectNumbers({
      {1234567, 2, nsLocale, "12.345,67"},
      {-1234567, 0, nsLocale, "-1.234.567"},
      {50, -2, nsLocale, "0,5"},
      {999, 0, nsLocale, "999"},
      {1234567, 2, nsPlain, "12345.67"}, // the fixed styles ignore the locale
  });
}

// The locale's negative forms around whole texts: grouped digits, decimals, a missing leading
// zero and the largest magnitude. Worked out by hand from the five forms.
TEST_F(OutputFormat, NumberToTextFollowsTheLocaleNegativeForm) {
  NegativeSign = "~";
  const struct {
    int Format;
    std::int64_t Value;
    int Decimals;
    int LeadingZero;
    std::string_view Expected;
  } cases[] = {
      {0, -5, 0, 1, "(5)"},
      {1, -5, 0, 1, "~5"},
      {2, -5, 0, 1, "~ 5"},
      {3, -5, 0, 1, "5~"},
      {4, -5, 0, 1, "5 ~"},
      {9, -5, 0, 1, "~5"},
      {-1, -5, 0, 1, "~5"},
      {0, -1234567, 2, 1, "(12.345,67)"},
      {2, -1234567, -4, 1, "~ 123,4567"},
      {3, -1234500, -4, 1, "123,45~"},
      {4, -5, 2, 0, ",05 ~"},
      {0, -5, 2, 0, "(,05)"},
      {3, -9223372036854775807, 0, 1, "9.223.372.036.854.775.807~"},
      {0, 5, 1, 1, "0,5"},
  };
  for (const auto& c : cases) {
    NegativeFormat = c.Format;
    LeadingZero = c.LeadingZero;
    EXPECT_EQ(NumberToText(c.Value, c.Decimals, nsLocale), c.Expected)
        << "NegativeFormat " << c.Format << " Value " << c.Value << " Decimals " << c.Decimals;
  }
  NegativeFormat = 0;
  EXPECT_EQ(NumberToText(-5, 0, nsGrouped), "-5") << "the fixed styles always write '-'";
  EXPECT_EQ(NumberToText(-1234, 1, nsPlain), "-123.4");
}

TEST_F(OutputFormat, NumberToTextLeavesOutTheLeadingZeroOnlyWhenTheLocaleSaysSo) {
  LeadingZero = 0;
  ExpectNumbers({
      {5, 1, nsLocale, ",5"},
      {-5, 2, nsLocale, "-,05"},
      {5, 1, nsPlain, "0.5"},
      {0, -2, nsLocale, "0"}, // a number with no digit at all is still "0"
      {0, 2, nsLocale, ",00"},
  });
}

TEST_F(OutputFormat, NumberToTextWithoutGroupingOrSeparator) {
  GroupSize = 0;
  EXPECT_EQ(NumberToText(1234567, 0, nsLocale), "1234567") << "group size 0: no grouping";
  GroupSize = -3;
  EXPECT_EQ(NumberToText(1234567, 0, nsLocale), "1234567");
  GroupSize = 2;
  ThousandSep = "";
  EXPECT_EQ(NumberToText(1234567, 0, nsLocale), "1234567") << "an empty separator is no separator";
  ThousandSep = "\xE2\x80\xAF";
  FractionGroupSize = 2;
  EXPECT_EQ(NumberToText(123456789, 3, nsLocale), "12\xE2\x80\xAF"
                                                  "34\xE2\x80\xAF"
                                                  "56,78\xE2\x80\xAF"
                                                  "9");
}

TEST_F(OutputFormat, NumberToTextLimitsTheDecimalPlaces) {
  const std::string text = NumberToText(5, std::numeric_limits<int>::min(), nsPlain);
  EXPECT_EQ(text, "0." + std::string(254, '0') + "5");
  EXPECT_EQ(NumberToText(5, std::numeric_limits<int>::max(), nsPlain).size(), 257u);
}

// The same number text built another way: the integer and fraction parts by division, grouped
// from the left and from the point.
std::string ReferenceNumberText(std::int64_t Value, int Decimals, TNumberStyle Style) {
  if (Value == Int64Min || Value == Int64Max)
    return "Out of 64-bit range";
  if (Style == nsPlain && Decimals == 0)
    return std::to_string(Value);
  std::string point = ".", thousand = ",";
  int group = 3, fractionGroup = 3;
  if (Style == nsPlain) {
    thousand = "";
  } else if (Style == nsLocale) {
    point = DecimalSep;
    thousand = ThousandSep;
    group = GroupSize;
    fractionGroup = FractionGroupSize;
  }
  const int places = std::abs(Decimals);
  std::uint64_t scale = 1;
  for (int k = 0; k < places; ++k)
    scale *= 10;
  const std::uint64_t magnitude = Value < 0 ? 0 - std::uint64_t(Value) : std::uint64_t(Value);
  const std::string whole = std::to_string(magnitude / scale);
  std::string fraction = std::to_string(magnitude % scale + scale).substr(1);
  if (places == 0)
    fraction.clear();
  if (Decimals < 0)
    while (!fraction.empty() && fraction.back() == '0')
      fraction.pop_back();

  std::string text;
  for (std::size_t k = 0; k < whole.size(); ++k) {
    if (k > 0 && group > 0 && (whole.size() - k) % group == 0)
      text += thousand;
    text += whole[k];
  }
  if (!fraction.empty()) {
    if (whole == "0" && Style == nsLocale && LeadingZero != 1)
      text.clear();
    text += point;
    for (std::size_t k = 0; k < fraction.size(); ++k) {
      if (k > 0 && fractionGroup > 0 && k % fractionGroup == 0)
        text += thousand;
      text += fraction[k];
    }
  }
  // The random cases keep the sign in front (NegativeFormat 1 with "-"); the other negative
  // forms have a table of their own.
  return Value >= 0 ? text : "-" + text;
}

TEST_F(OutputFormat, NumberToTextAgreesWithDivisionOnRandomNumbers) {
  std::mt19937_64 random(6);
  std::uniform_int_distribution<int> decimals(-18, 18), small(-4, 5), pick(0, 3);
  const std::string_view points[] = {".", ",", "\xC2\xB7", "dec"};
  const std::string_view thousands[] = {"", ".", " ", "\xE2\x80\xAF"};
  for (int round = 0; round < 5000; ++round) {
    DecimalSep = points[pick(random)];
    ThousandSep = thousands[pick(random)];
    GroupSize = small(random);
    FractionGroupSize = small(random);
    LeadingZero = pick(random);
    std::int64_t value = static_cast<std::int64_t>(random());
    const int digits = std::uniform_int_distribution<int>(0, 19)(random);
    if (digits < 19)
      value %= static_cast<std::int64_t>(std::pow(10.0L, digits));
    if (round % 100 == 0)
      value = round % 200 == 0 ? Int64Min : Int64Max;
    const int places = decimals(random);
    const auto style = static_cast<TNumberStyle>(pick(random));
    ASSERT_EQ(NumberToText(value, places, style), ReferenceNumberText(value, places, style))
        << "Value " << value << " Decimals " << places << " Style " << int(style) << " GroupSize "
        << GroupSize << " FractionGroupSize " << FractionGroupSize << " ThousandSep '"
        << ThousandSep << "' LeadingZero " << LeadingZero;
  }
}

TEST_F(OutputFormat, IntToTextIsPlainOnlyForNsPlainWithoutDecimals) {
  EXPECT_EQ(IntToText(-2147483647 - 1, nsPlain), "-2147483648");
  EXPECT_EQ(IntToText(1234, nsGrouped), "1,234");
  EXPECT_EQ(IntToText(1234, 1, nsPlain), "123.4");
  EXPECT_EQ(IntToText(1234, 0, nsLocale), "1.234");
}

// FormatPicture

TEST_F(OutputFormat, FormatPictureWritesDigitsThroughThePicture) {
  const struct {
    std::string_view Picture;
    std::int64_t Value;
    std::string_view Expected;
  } cases[] = {
      {"00", 7, "07"},
      {"0000", 2024, "2024"},
      {"000", 12345, "345"}, // digits beyond the places are cut
      {"00", 0, "00"},
      {"#", 0, " "},
      {"#,###", 1234, "1,234"},
      {"#,###", 12, "   12"},
      {"0.00", 5, "0.05"},
      {"0.00", 120, "1.20"},
      {"0.00", 100, "1.00"}, // a zero in a "0" place counts as started
      {"+0", 5, "+5"},
      {"+0", -5, "-5"},
      {"-0", 5, " 5"},
      {"-00", -7, "-07"},
      {"0x0", 12, "12"}, // other characters write nothing
      {"", 5, ""},
      {"00", Int64Max, "Out of 64-bit range"},
      {"00", Int64Min, "Out of 64-bit range"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatPicture(c.Picture, c.Value), c.Expected)
        << "Picture '" << c.Picture << "' Value " << c.Value;
}

// BytesToText

TEST_F(OutputFormat, BytesToTextPicksTheLargestUnitAndUpToThreeDigits) {
  const std::pair<std::int64_t, std::string_view> cases[] = {
      {0, "0 bytes"},
      {1, "1 byte"},
      {1023, "1023 bytes"},
      {1024, "1 KiB"},
      {1536, "1.5 KiB"},
      {10239, "10 KiB"},
      {10240, "10 KiB"},
      {102399, "100 KiB"},
      {1048575, "1024 KiB"},
      {1048576, "1 MiB"},
      {-1, "-1 byte"},
      {-2048, "-2 KiB"},
      {std::int64_t{3} << 30, "3 GiB"},
      {(std::int64_t{1} << 40) + (std::int64_t{1} << 38), "1.25 TiB"},
      {std::int64_t{1} << 50, "1 PiB"},
      {(std::int64_t{1} << 60) - 1, "1024 PiB"},
      {std::int64_t{1} << 60, "1 EiB"},
      {(std::int64_t{3} << 59), "1.5 EiB"},
      {Int64Max, "8 EiB"},
      {Int64Min, "-8 EiB"},
  };
  for (auto [value, expected] : cases)
    EXPECT_EQ(BytesToText(value, nsPlain), expected) << "Value " << value;
}

TEST_F(OutputFormat, BytesToTextWritesTheNumberInTheStyle) {
  EXPECT_EQ(BytesToText(1536, nsLocale), "1,5 KiB");
  EXPECT_EQ(BytesToText(1000, nsGrouped), "1,000 bytes");
  EXPECT_EQ(BytesToText(1000, nsLocale), "1.000 bytes");
}

// MsToText

struct TMsCase {
  std::int64_t Value;
  int Mode, Decimals;
  bool Pad;
  std::string_view Expected;
};

void ExpectDurations(std::initializer_list<TMsCase> cases, TNumberStyle style = nsPlain) {
  for (const TMsCase& c : cases)
    EXPECT_EQ(MsToText(c.Value, c.Mode, c.Decimals, c.Pad, style), c.Expected)
        << "Value " << c.Value << " Mode " << c.Mode << " Decimals " << c.Decimals << " Pad "
        << c.Pad;
}

TEST_F(OutputFormat, MsToTextModeZeroWritesSecondsBelowAMinute) {
  ExpectDurations({
      {59999, 0, 0, false, "59"},
      {60000, 0, 0, false, "1:00"},
      {75500, 0, -1, false, "1:15.5"},
      {1250, 0, 2, false, "1.25"},
      {0, 0, 0, false, "0"},
      {-1500, 0, 1, false, "-1.5"},
  });
}

TEST_F(OutputFormat, MsToTextWritesHoursByMode) {
  ExpectDurations({
      {3723000, 2, 0, false, "1:02:03"},
      {3723000, 3, 0, false, "01:02:03"},
      {3723000, 1, 0, false, "1:02:03"},
      {123000, 1, 0, false, "2:03"},
      {123000, 2, 0, false, "0:02:03"},
      {123000, 3, 0, false, "00:02:03"},
      {723000, 1, 0, false, "12:03"},
      {36000000, 3, 0, false, "10:00:00"},
      {360000000, 2, 0, false, "100:00:00"},
      {123000, 9, 0, false, "2:03"}, // an unknown mode is mode 1
  });
}

TEST_F(OutputFormat, MsToTextPadsShortHoursAndMinutesWithSpaces) {
  ExpectDurations({
      {5000, 1, 0, true, "    0:05"},
      {3723000, 1, 0, true, " 1:02:03"},
      {3723000, 2, 0, true, " 1:02:03"},
      {3723000, 3, 0, true, "01:02:03"},
  });
}

TEST_F(OutputFormat, MsToTextWritesMinutesAboveNineInTwoDigits) {
  ExpectDurations({
      {540000, 1, 0, false, "9:00"},
      {540000, 1, 0, true, "    9:00"},
      {599999, 0, -3, true, "    9:59.999"},
      {600000, 1, 0, false, "10:00"},
      {600000, 1, 0, true, "   10:00"},
      {600000, 0, 0, true, "   10:00"},
  });
}

TEST_F(OutputFormat, MsToTextWritesTheFractionByDecimals) {
  ExpectDurations({
      {1050, 0, 1, false, "1.0"},
      {1050, 0, -1, false, "1"},
      {1250, 0, 3, false, "1.250"},
      {1250, 0, -3, false, "1.25"},
      {1250, 0, -3, true, "1.250"}, // Pad keeps the width
      {1005, 0, -2, false, "1"},    // no separator is left without digits
      {1005, 0, -3, false, "1.005"},
      {1999, 0, 0, false, "1"},
      {1000, 0, 2, false, "1.00"},
      {1000, 0, -2, false, "1"},
      {1234, 0, 5, false, "1.234"}, // more than three decimals count as three
      {1234, 0, std::numeric_limits<int>::min(), false, "1.234"},
  });
}

TEST_F(OutputFormat, MsToTextModeFourWritesYearsWeeksAndDaysInWords) {
  ExpectDurations({
      {90061000, 4, 0, false, "1 day; 1:01:01"},
      {3723000, 4, 0, false, "1:02:03"},
      {2 * 31536000000 + 604800000 + 3 * 86400000, 4, 0, false, "2 years; 1 week; 3 days; 0:00:00"},
      {14 * 86400000 + 500, 4, 1, false, "2 weeks; 0:00:00.5"},
      {-86400000, 4, 0, false, "-1 day; 0:00:00"},
  });
}

std::string Bracketed(std::string_view Text) {
  return "[" + std::string(Text) + "]";
}

TEST_F(OutputFormat, MsToTextPassesTheWordsThroughTranslate) {
  const TTranslateHook previous = SetTranslateHook(Bracketed);
  EXPECT_EQ(MsToText(2 * 86400000 + 604800000, 4, 0, false, nsPlain),
            "1 [week]; 2 [days]; 0:00:00");
  SetTranslateHook(previous);
  EXPECT_EQ(Translate("days"), "days") << "the hook is removed again";
}

TEST_F(OutputFormat, MsToTextShowsHugeDurationsAsTheLargestClockValue) {
  ExpectDurations({
      {4294967294999, 2, 3, false, "1193046:28:14.999"},
      {4294967295000, 2, 3, false, "999:59:59.999"},
      {Int64Max, 3, 0, false, "999:59:59"},
      {Int64Min, 2, -3, false, "-999:59:59.999"},
      {Int64Min, 4, 0, false, "-292471208 years; 35 weeks; 2 days; 7:12:55"},
  });
}

TEST_F(OutputFormat, MsToTextInACommaLocale) {
  TimeSep = ".";
  ListSep = ";";
  ExpectDurations(
      {
          {75500, 0, -1, false, "1.15,5"},
          {90061500, 4, 1, false, "1 day;1.01.01,5"},
          {1250, 0, 2, false, "1,25"},
      },
      nsLocale);
}

// Dates and times

constexpr TDateTime March7th2024 = 45358;

TEST_F(OutputFormat, DateToTextWritesYearMonthAndDay) {
  EXPECT_EQ(DateToText(March7th2024, nsPlain), "2024-03-07");
  EXPECT_EQ(DateToText(March7th2024 + 0.75, nsGrouped), "2024-03-07") << "the time is ignored";
  EXPECT_EQ(DateToText(0, nsPlain), "") << "0 is no date";
  EXPECT_EQ(DateToText(0, nsLocale), "");
  EXPECT_EQ(DateToText(1, nsPlain), "1899-12-31");
  EXPECT_EQ(DateToText(-1.25, nsPlain), "1899-12-29") << "the day is truncated towards 0";
  EXPECT_EQ(DateToText(-693593, nsPlain), "0001-01-01");
  EXPECT_EQ(DateToText(2958465.5, nsPlain), "9999-12-31");
}

TEST_F(OutputFormat, DateToTextOfNoValidDateIsUnknown) {
  for (TDateTime date : {-693594.0, 2958466.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), 1e300})
    for (TNumberStyle style : {nsPlain, nsLocale}) {
      EXPECT_EQ(DateToText(date, style), "unknown") << "Date " << date;
      EXPECT_EQ(DateTimeToText(date, 0, style), "unknown") << "DateTime " << date;
    }
}

TEST_F(OutputFormat, TimeToTextWritesTheDurationWithTwoDigitHours) {
  EXPECT_EQ(TimeToText(0.5, 0, nsPlain), "12:00:00");
  EXPECT_EQ(TimeToText(0, 0, nsPlain), "00:00:00");
  EXPECT_EQ(TimeToText(1.0 / 86400000 * 1500, 1, nsPlain), "00:00:01.5");
  EXPECT_EQ(TimeToText(-0.5, 0, nsPlain), "-12:00:00");
  EXPECT_EQ(TimeToText(1.5, 0, nsPlain), "36:00:00") << "a duration beyond one day";
}

TEST_F(OutputFormat, TimeToTextOfNoValidTimeIsUnknown) {
  // Beyond the 64-bit range of milliseconds a value is no duration.
  for (TDateTime time : {1e300, -2e14})
    EXPECT_EQ(TimeToText(time, 0, nsPlain), "unknown") << "Time " << time;
  for (TDateTime time :
       {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(TimeToText(time, 0, nsPlain), "unknown") << "Time " << time;
    EXPECT_EQ(TimeToText(time, 0, nsLocale), "unknown") << "Time " << time;
  }
}

TEST_F(OutputFormat, DateTimeToTextJoinsDateAndTime) {
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.5, 0, nsPlain), "2024-03-07 12:00:00");
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.5 + 250.0 / 86400000, 2, nsGrouped),
            "2024-03-07 12:00:00.25");
  EXPECT_EQ(DateTimeToText(-1.25, 0, nsPlain), "1899-12-29 06:00:00")
      << "the fraction's magnitude is the time of day";
  EXPECT_EQ(DateTimeToText(0, 0, nsPlain), "");
}

TEST_F(OutputFormat, DateTimeToTextInACommaLocale) {
  TimeSep = ".";
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.5 + 250.0 / 86400000, 1, nsPlain),
            "2024-03-07 12:00:00.2");
}

// The locale's own formats: each test reads a locale and reads the user's locale back after.
class LocaleFormats : public OutputFormat {
 protected:
  void TearDown() override {
    // The user's locale, or the C locale when it is unknown.
    (void)ReadLocaleSettings("");
    OutputFormat::TearDown();
  }
};

TEST_F(LocaleFormats, TheCLocaleHasNoThousandsSeparatorAndNoGrouping) {
  EXPECT_TRUE(ReadLocaleSettings("C"));
  const TNumberFormat read = TNumberFormat::Current();
  EXPECT_EQ(read.DecimalSep, ".");
  EXPECT_EQ(read.ThousandSep, "") << "an empty separator is kept, not replaced by ','";
  EXPECT_EQ(read.GroupSize, 0);
  EXPECT_EQ(read.FractionGroupSize, 0);
  EXPECT_EQ(read.NegativeSign, "-");
  EXPECT_EQ(read.NegativeFormat, 1);
  EXPECT_EQ(read.LeadingZero, 1);
  EXPECT_EQ(read.ListSep, ";");
  EXPECT_EQ(read.TimeSep, ":");
  EXPECT_EQ(NumberToText(1234567, 2, nsLocale), "12345.67");
}

TEST_F(LocaleFormats, DatesAndTimesFollowTheLocaleFormats) {
  ASSERT_TRUE(ReadLocaleSettings("C"));
  EXPECT_EQ(DateToText(March7th2024, nsLocale), "03/07/24");
  EXPECT_EQ(TimeToText(0.75, 0, nsLocale), "18:00:00");
  EXPECT_EQ(TimeToText(1.5, 1, nsLocale), "12:00:00") << "the time of day, without decimals";
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.75, 0, nsLocale), "03/07/24 18:00:00");
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.99999999999, 0, nsLocale), "03/07/24 23:59:59")
      << "a time rounding up to midnight stays on its day";
}

TEST_F(LocaleFormats, AnUnknownLocaleFallsBackToTheCLocale) {
  GroupSize = 3;
  EXPECT_FALSE(ReadLocaleSettings("xx_NOWHERE.UTF-8"));
  EXPECT_EQ(DecimalSep, ".");
  EXPECT_EQ(GroupSize, 0);
  EXPECT_EQ(DateToText(March7th2024, nsLocale), "03/07/24");
}

// Sets an environment variable for its lifetime and restores the previous value.
class TEnvironmentVariable {
 public:
  TEnvironmentVariable(const char* name, const std::string& value) : Name_(name) {
    if (const char* old = std::getenv(name))
      Old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~TEnvironmentVariable() {
    if (Old_)
      setenv(Name_, Old_->c_str(), 1);
    else
      unsetenv(Name_);
  }
  TEnvironmentVariable(const TEnvironmentVariable&) = delete;
  TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

 private:
  const char* Name_;
  std::optional<std::string> Old_;
};

// Allocations made during its lifetime are not reported as leaks in sanitizer builds.
class TLeaksIgnored {
 public:
  TLeaksIgnored() { IgnoreLeaks(true); }
  ~TLeaksIgnored() { IgnoreLeaks(false); }
  TLeaksIgnored(const TLeaksIgnored&) = delete;
  TLeaksIgnored& operator=(const TLeaksIgnored&) = delete;

 private:
  static void IgnoreLeaks([[maybe_unused]] bool ignore) {
#if defined(__SANITIZE_ADDRESS__)
    if (ignore)
      __lsan_disable();
    else
      __lsan_enable();
#endif
  }
};

// Reads the settings of a locale built for the test; false when it cannot be built here.
bool ReadBuiltLocale(const std::string& Name) {
  const std::filesystem::path folder = BuiltLocaleFolder(Name);
  if (folder.empty())
    return false;
  const TEnvironmentVariable path("LOCPATH", folder.string());
  // glibc's newlocale keeps its copy of LOCPATH for good; that is not a leak of ours.
  const TLeaksIgnored ignored;
  return ReadLocaleSettings((Name + ".UTF-8").c_str());
}

// glibc gives the grouping "3;3" for these locales: groups of three throughout the integer part,
// and nothing about fractions, which stay ungrouped. The separators are the locales' own.
TEST_F(LocaleFormats, GroupsTheIntegerPartOnlyAsInstalledLocalesSay) {
  const struct {
    const char* Name;
    const char* Decimal;
    const char* Thousand;
  } locales[] = {
      {"en_US", ".", ","},
      {"de_DE", ",", "."},
      {"fr_FR", ",", "\xE2\x80\xAF"},
      {"de_CH", ".", "\xE2\x80\x99"},
  };
  for (const auto& locale : locales) {
    if (!ReadBuiltLocale(locale.Name))
      GTEST_SKIP() << "localedef cannot build " << locale.Name << " here";
    const std::string d = locale.Decimal, t = locale.Thousand;
    EXPECT_EQ(DecimalSep, d) << locale.Name;
    EXPECT_EQ(ThousandSep, t) << locale.Name;
    EXPECT_EQ(GroupSize, 3) << locale.Name;
    EXPECT_EQ(FractionGroupSize, 0) << locale.Name;
    EXPECT_EQ(NumberToText(1234567, 4, nsLocale), "123" + d + "4567") << locale.Name;
    EXPECT_EQ(NumberToText(-1234567, -6, nsLocale), "-1" + d + "234567") << locale.Name;
    EXPECT_EQ(NumberToText(123456789012, 3, nsLocale), "123" + t + "456" + t + "789" + d + "012")
        << locale.Name;
    EXPECT_EQ(NumberToText(1234, 0, nsLocale), "1" + t + "234") << locale.Name;
  }
}

// A Finnish locale has a comma, a narrow no-break space between groups of three, "." between
// hours and minutes, and day.month.year dates.
TEST_F(LocaleFormats, ReadsTheSettingsOfAnInstalledLocale) {
  if (!ReadBuiltLocale("fi_FI"))
    GTEST_SKIP() << "localedef cannot build fi_FI here";
  EXPECT_EQ(DecimalSep, ",");
  EXPECT_EQ(ThousandSep, "\xE2\x80\xAF");
  EXPECT_EQ(GroupSize, 3);
  EXPECT_EQ(FractionGroupSize, 0);
  EXPECT_EQ(TimeSep, ".");
  EXPECT_EQ(NumberToText(-1234567, 2, nsLocale), "-12\xE2\x80\xAF"
                                                 "345,67");
  EXPECT_EQ(DateTimeToText(March7th2024 + 0.75, 0, nsLocale), "07.03.2024 18.00.00");
  EXPECT_EQ(MsToText(75500, 0, 1, false, nsLocale), "1.15,5");

  // The process's own locale is untouched: formatted numbers keep their ".".
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
  EXPECT_STREQ(buffer, "1.5");
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

} // namespace

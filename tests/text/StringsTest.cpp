#include "text/uStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

TEST(StringHash, MultipliesBy31AndAddsEachByteModulo2To32) {
  EXPECT_EQ(StringHash(""), 0u);
  EXPECT_EQ(StringHash("A"), 65u);
  EXPECT_EQ(StringHash("PLUS"), ((80u * 31 + 76) * 31 + 85) * 31 + 83);
  // Bytes count as unsigned, and the product wraps.
  EXPECT_EQ(StringHash("\xFF"), 255u);
  EXPECT_EQ(StringHash("ZZZZZZZZZZ"), 3199080512u) << "wraps modulo 2^32";
}

// A text of length characters drawn from alphabet, so that searches often succeed.
std::string RandomText(std::mt19937& random, std::string_view alphabet, int maxLength) {
  std::uniform_int_distribution<int> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text(static_cast<std::size_t>(length(random)), ' ');
  for (char& c : text)
    c = alphabet[pick(random)];
  return text;
}

// FindSubText

struct TFindCase {
  std::string_view Sub, S;
  std::ptrdiff_t From, To, Expected;
};

TEST(FindSubText, SearchesStartPositionsFromFromTowardsTo) {
  const TFindCase cases[] = {
      {"ab", "abab", 4, 1, 3},  // backward, from beyond where "ab" fits
      {"b", "abc", 2, 2, 2},    // one position
      {"ab", "abab", 2, 4, 3},  // forward, To lowered to the last fitting position
      {"ab", "abab", -5, 0, 1}, // both below 1 count as 1
      {"ab", "abab", 4, 4, 0},  // does not fit at 4
      {"abc", "ab", 1, 2, 0},   // longer than the text
      {"c", "abcabc", 5, 1, 3}, // backward finds the nearest one first
  };
  for (const TFindCase& c : cases)
    EXPECT_EQ(FindSubText(c.Sub, c.S, c.From, c.To), c.Expected)
        << "Sub '" << c.Sub << "' S '" << c.S << "' From " << c.From << " To " << c.To;
}

TEST(FindSubText, WithoutToSearchesToTheEnd) {
  EXPECT_EQ(FindSubText("ab", "abab", 2), 3);
  EXPECT_EQ(FindSubText("ab", "abab", 1), 1);
  EXPECT_EQ(FindSubText("", "abc", 1), 0) << "an empty Sub is never found";
  EXPECT_EQ(FindSubText("", "", 1), 0);
}

TEST(FindSubText, ForwardSearchNeverFindsBeforeFrom) {
  // The last position "cab" fits at is 3; a search starting at 4 must not report it.
  EXPECT_EQ(FindSubText("cab", "abcab", 4, 5), 0);
  EXPECT_EQ(FindSubText("cab", "abcab", 4), 0);
  EXPECT_EQ(FindSubText("cab", "abcab", 3, 5), 3);
}

// Tries each start position in search order, exactly as a caller would by hand.
std::ptrdiff_t ReferenceFind(const std::string& Sub, const std::string& S, std::ptrdiff_t From,
                             std::ptrdiff_t To) {
  if (Sub.empty())
    return 0;
  From = std::max<std::ptrdiff_t>(From, 1);
  To = std::max<std::ptrdiff_t>(To, 1);
  const std::ptrdiff_t step = From <= To ? 1 : -1;
  for (std::ptrdiff_t p = From;; p += step) {
    const auto start = static_cast<std::size_t>(p - 1);
    if (start + Sub.size() <= S.size() && S.substr(start, Sub.size()) == Sub)
      return p;
    if (p == To)
      return 0;
  }
}

TEST(FindSubText, AgreesWithTryingEveryPositionOnRandomTexts) {
  std::mt19937 random(1);
  std::uniform_int_distribution<std::ptrdiff_t> position(-2, 14);
  for (int round = 0; round < 5000; ++round) {
    const std::string sub = RandomText(random, "ab", 3);
    const std::string s = RandomText(random, "ab", 12);
    const std::ptrdiff_t from = position(random);
    const std::ptrdiff_t to = position(random);
    ASSERT_EQ(FindSubText(sub, s, from, to), ReferenceFind(sub, s, from, to))
        << "Sub '" << sub << "' S '" << s << "' From " << from << " To " << to;
  }
}

// ReplaceEvery, ReplaceSeveral, RemoveChars

TEST(ReplaceEvery, ReplacesLeftToRightWithoutSearchingTheInsertedText) {
  EXPECT_EQ(ReplaceEvery("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceEvery("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceEvery("aaaa", "aa", "b"), "bb") << "occurrences do not overlap";
  EXPECT_EQ(ReplaceEvery("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceEvery("x.y.z", ".", ""), "xyz");
  EXPECT_EQ(ReplaceEvery("", "a", "b"), "");
}

std::string ReferenceReplaceEvery(const std::string& S, const std::string& Old,
                                  const std::string& New) {
  if (Old.empty())
    return S;
  std::string result;
  for (std::size_t i = 0; i < S.size();) {
    if (S.compare(i, Old.size(), Old) == 0) {
      result += New;
      i += Old.size();
    } else {
      result += S[i++];
    }
  }
  return result;
}

TEST(ReplaceEvery, AgreesWithAByteByByteScanOnRandomTexts) {
  std::mt19937 random(2);
  for (int round = 0; round < 5000; ++round) {
    const std::string s = RandomText(random, "abc", 14);
    const std::string old = RandomText(random, "ab", 3);
    const std::string replacement = RandomText(random, "abx", 3);
    ASSERT_EQ(ReplaceEvery(s, old, replacement), ReferenceReplaceEvery(s, old, replacement))
        << "S '" << s << "' Old '" << old << "' New '" << replacement << "'";
  }
}

TEST(ReplaceSeveral, ReplacesEachPatternInOnePass) {
  const std::string_view olds[] = {"<", ">", "&"};
  const std::string_view news[] = {"&lt;", "&gt;", "&amp;"};
  EXPECT_EQ(ReplaceSeveral("a<b>&c", olds, news), "a&lt;b&gt;&amp;c")
      << "inserted text is not searched again";
}

TEST(ReplaceSeveral, RestartsCountersOnlyAtTheCurrentCharacter) {
  const std::string_view olds[] = {"aab"};
  const std::string_view news[] = {"X"};
  EXPECT_EQ(ReplaceSeveral("aaab", olds, news), "aaab")
      << "an occurrence overlapping a failed partial match is not found";
  EXPECT_EQ(ReplaceSeveral("aabaab", olds, news), "XX");
  EXPECT_EQ(ReplaceSeveral("abaab", olds, news), "abX")
      << "a mismatch on the first character restarts the match there";
}

TEST(ReplaceSeveral, TheEarlierPatternWinsWhereTwoEndTogether) {
  const std::string_view olds[] = {"bc", "abc"};
  const std::string_view news[] = {"1", "2"};
  EXPECT_EQ(ReplaceSeveral("abc", olds, news), "a1");
  const std::string_view reversedOlds[] = {"abc", "bc"};
  EXPECT_EQ(ReplaceSeveral("abc", reversedOlds, news), "1");
}

TEST(ReplaceSeveral, SkipsEmptyPatternsAndPatternsWithoutReplacement) {
  const std::string_view olds[] = {"", "b", "c"};
  const std::string_view news[] = {"x", "y"};
  EXPECT_EQ(ReplaceSeveral("abc", olds, news), "ayc");
  EXPECT_EQ(ReplaceSeveral("abc", {}, {}), "abc");
}

// The one-pass replacement as a scan over a text changed in place, with 1-based counters.
std::string ReferenceReplaceSeveral(std::string S, const std::vector<std::string>& Olds,
                                    const std::vector<std::string>& News) {
  std::vector<std::size_t> counter(Olds.size(), 1);
  for (std::size_t b = 1; b <= S.size(); ++b) {
    for (std::size_t i = 0; i < Olds.size(); ++i) {
      const std::string& old = Olds[i];
      if (S[b - 1] == old[counter[i] - 1]) {
        if (counter[i] == old.size()) {
          const std::size_t start = b - old.size();
          S = S.substr(0, start) + News[i] + S.substr(b);
          std::fill(counter.begin(), counter.end(), 1);
          b = start + News[i].size();
          break;
        }
        ++counter[i];
      } else if (counter[i] > 1) {
        counter[i] = S[b - 1] == old[0] ? 2 : 1;
      }
    }
  }
  return S;
}

TEST(ReplaceSeveral, AgreesWithAnInPlaceScanOnRandomTexts) {
  std::mt19937 random(3);
  for (int round = 0; round < 5000; ++round) {
    const std::string s = RandomText(random, "abc", 16);
    std::vector<std::string> olds(3), news(3);
    for (std::size_t i = 0; i < olds.size(); ++i) {
      do
        olds[i] = RandomText(random, "abc", 3);
      while (olds[i].empty());
      news[i] = RandomText(random, "abx", 3);
    }
    const std::vector<std::string_view> oldViews(olds.begin(), olds.end());
    const std::vector<std::string_view> newViews(news.begin(), news.end());
    ASSERT_EQ(ReplaceSeveral(s, oldViews, newViews), ReferenceReplaceSeveral(s, olds, news))
        << "S '" << s << "' Olds '" << olds[0] << "' '" << olds[1] << "' '" << olds[2] << "'";
  }
}

TEST(RemoveChars, RemovesEveryOccurrence) {
  EXPECT_EQ(RemoveChars("a,b,,c", ','), "abc");
  EXPECT_EQ(RemoveChars(std::string_view("a\0b", 3), '\0'), "ab");
  EXPECT_EQ(RemoveChars("", 'x'), "");
}

// Trimming and cutting

TEST(Trim, RemovesTheSixBlankBytesOnly) {
  const std::string blanks("\0\t\n\v\r ", 6);
  const std::string text = blanks + "a \f b" + blanks;
  EXPECT_EQ(TrimStart(text), "a \f b" + blanks);
  EXPECT_EQ(TrimEnd(text), blanks + "a \f b");
  EXPECT_EQ(TrimBoth(text), "a \f b") << "form feed is not a blank";
  EXPECT_EQ(TrimBoth(blanks), "");
  EXPECT_EQ(TrimBoth("\xA0x\xA0"), "\xA0x\xA0") << "bytes above 127 are not blanks";
}

TEST(DropLast, DropsUpToTheWholeText) {
  EXPECT_EQ(DropLast("abc", 1), "ab");
  EXPECT_EQ(DropLast("abc", 3), "");
  EXPECT_EQ(DropLast("abc", 7), "");
  EXPECT_EQ(DropLast("abc", 0), "abc");
  EXPECT_EQ(DropLast("abc", -2), "abc") << "a negative count drops nothing";
}

TEST(DropNumberSuffix, DropsTrailingDigitsAndOneUnderscoreBeforeThem) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Edit_12", "Edit"}, {"A1B2", "A1B"},      {"Label12", "Label"}, {"Name_", "Name"},
      {"Name__", "Name_"}, {"Name__1", "Name_"}, {"123", ""},          {"", ""},
      {"Plain", "Plain"}};
  for (auto [text, expected] : cases)
    EXPECT_EQ(DropNumberSuffix(text), expected) << "text '" << text << "'";
}

TEST(DropAmpersands, KeepsTheSecondOfADoubledMark) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a&&b&c", "a&bc"}, {"&File", "File"}, {"&&", "&"}, {"&&&", "&"},
      {"&&&&", "&&"},     {"a&", "a"},       {"", ""}};
  for (auto [text, expected] : cases)
    EXPECT_EQ(DropAmpersands(text), expected) << "text '" << text << "'";
}

TEST(QuoteText, DoesNotDoubleInnerQuotes) {
  EXPECT_EQ(QuoteText("a\"b"), "\"a\"b\"");
  EXPECT_EQ(QuoteText(""), "\"\"");
}

// Reading at a position

TEST(CharAtPos, GivesNulOutsideTheText) {
  EXPECT_EQ(CharAtPos("abc", 1), 'a');
  EXPECT_EQ(CharAtPos("abc", 3), 'c');
  EXPECT_EQ(CharAtPos("abc", 0), '\0');
  EXPECT_EQ(CharAtPos("abc", 4), '\0');
  EXPECT_EQ(CharAtPos("abc", -1), '\0');
}

TEST(TextBefore, GivesTheWholeTextWithoutTheCharacter) {
  EXPECT_EQ(TextBefore("key=value=x", '='), "key");
  EXPECT_EQ(TextBefore("plain", '='), "plain");
  EXPECT_EQ(TextBefore("=x", '='), "");
}

TEST(ReadField, ReadsFieldsAndMovesPastTheSeparator) {
  const std::string_view text = "a;;bc;";
  std::ptrdiff_t pos = 1;
  const std::pair<std::string_view, std::ptrdiff_t> expected[] = {
      {"a", 3}, {"", 4}, {"bc", 7}, {"", 7}};
  for (auto [field, nextPos] : expected) {
    EXPECT_EQ(ReadField(text, pos, ';'), field) << "field ending at " << nextPos;
    EXPECT_EQ(pos, nextPos);
  }
}

TEST(ReadField, WithoutASeparatorReadsToTheEnd) {
  std::ptrdiff_t pos = 2;
  EXPECT_EQ(ReadField("abc", pos, ','), "bc");
  EXPECT_EQ(pos, 4) << "one past the end";
  pos = 0;
  EXPECT_EQ(ReadField("ab,c", pos, ','), "ab") << "a position below 1 reads from the start";
  EXPECT_EQ(pos, 4);
}

TEST(ReadTextLine, CountsCrLfAsOneLineEndAndLoneCrOrLfAsOne) {
  const std::string_view text = "a\r\nb\n\nc\rd";
  std::ptrdiff_t pos = 1;
  std::vector<std::string> lines;
  while (pos <= static_cast<std::ptrdiff_t>(text.size()))
    lines.push_back(ReadTextLine(text, pos));
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c", "d"}));
  EXPECT_EQ(pos, static_cast<std::ptrdiff_t>(text.size()) + 1);
  EXPECT_EQ(ReadTextLine(text, pos), "") << "at the end";
}

TEST(ReadTextLine, LfCrIsTwoLineEnds) {
  std::ptrdiff_t pos = 1;
  EXPECT_EQ(ReadTextLine("a\n\rb", pos), "a");
  EXPECT_EQ(ReadTextLine("a\n\rb", pos), "");
  EXPECT_EQ(ReadTextLine("a\n\rb", pos), "b");
}

TEST(SkipSpaces, SkipsTabsAndSpacesOnly) {
  std::ptrdiff_t pos = 1;
  SkipSpaces(" \t \nx", pos);
  EXPECT_EQ(pos, 4);
  pos = 1;
  SkipSpaces("   ", pos);
  EXPECT_EQ(pos, 4);
}

struct TReadIntegerCase {
  std::string_view S;
  std::int32_t Expected;
  std::ptrdiff_t Pos; // after reading from 1
};

TEST(ReadInteger, ReadsSignsThenDigitsAndStopsAtTheFirstOtherByte) {
  const TReadIntegerCase cases[] = {
      {"  -+-12x", 12, 8},
      {"abc", 0, 1},
      {"", 0, 1},
      {"-7", -7, 3},
      {"--7", 7, 4},
      {"\t 42 ", 42, 5},
      {"+-", 0, 3},
      {"2147483647", 2147483647, 11},
      {"2147483648", -2147483647 - 1, 11},
      {"4294967296", 0, 11},
      {"-2147483648", -2147483647 - 1, 12},
      {"12345678901", -539222987, 12},
  };
  for (const TReadIntegerCase& c : cases) {
    std::ptrdiff_t pos = 1;
    EXPECT_EQ(ReadInteger(c.S, pos), c.Expected) << "text '" << c.S << "'";
    EXPECT_EQ(pos, c.Pos) << "text '" << c.S << "'";
  }
}

TEST(ReadInteger, ReadsFromTheGivenPosition) {
  std::ptrdiff_t pos = 4;
  EXPECT_EQ(ReadInteger("ab 12,34", pos), 12);
  EXPECT_EQ(pos, 6);
  EXPECT_EQ(TextToInt(" -30 days"), -30);
}

// Reads the integer with a 64-bit accumulator taken modulo 2^32 at the end.
std::int32_t ReferenceReadInteger(const std::string& S, std::ptrdiff_t& Pos) {
  if (S.empty())
    return 0;
  auto at = [&](std::ptrdiff_t p) { return p >= 1 && p <= std::ssize(S) ? S[p - 1] : '\0'; };
  while (at(Pos) == ' ' || at(Pos) == '\t')
    ++Pos;
  int minuses = 0;
  while (at(Pos) == '+' || at(Pos) == '-')
    minuses += at(Pos++) == '-';
  std::uint64_t value = 0;
  while (at(Pos) >= '0' && at(Pos) <= '9')
    value = (value * 10 + static_cast<std::uint64_t>(at(Pos++) - '0')) % 4294967296u;
  if (minuses % 2)
    value = (4294967296u - value) % 4294967296u;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

TEST(ReadInteger, AgreesWithA64BitReferenceOnRandomTexts) {
  std::mt19937 random(4);
  std::uniform_int_distribution<std::ptrdiff_t> start(0, 4);
  for (int round = 0; round < 5000; ++round) {
    const std::string s = RandomText(random, " \t+-0123456789999x", 16);
    std::ptrdiff_t pos = start(random);
    std::ptrdiff_t referencePos = pos;
    ASSERT_EQ(ReadInteger(s, pos), ReferenceReadInteger(s, referencePos)) << "text '" << s << "'";
    ASSERT_EQ(pos, referencePos) << "text '" << s << "'";
  }
}

TEST(BeginsWith, ComparesBytes) {
  EXPECT_TRUE(BeginsWith("", "abc"));
  EXPECT_TRUE(BeginsWith("", ""));
  EXPECT_TRUE(BeginsWith("ab", "abc"));
  EXPECT_FALSE(BeginsWith("AB", "abc")) << "case counts";
  EXPECT_FALSE(BeginsWith("abcd", "abc"));
}

// Names and words

TEST(SpaceCamelCase, SplitsOnlyWhereASmallLetterMeetsACapital) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"FatalError", "Fatal Error"},
      {"EMail", "EMail"},
      {"StartMenuIcon", "Start Menu Icon"},
      {"a1B", "a1B"},
      {"aB cD", "a B c D"},
      {"", ""}};
  for (auto [text, expected] : cases)
    EXPECT_EQ(SpaceCamelCase(text), expected) << "text '" << text << "'";
}

enum TSample {
  piFileVersion,
  goStartMenuIcon,
  mlFatalError,
  x
};
inline constexpr std::string_view SampleNames[] = {"piFileVersion", "goStartMenuIcon",
                                                   "mlFatalError", "x"};

TEST(EnumNames, KeysDropThePrefixAndCaptionsSplitTheWords) {
  EXPECT_EQ(EnumKeys(SampleNames),
            (std::vector<std::string>{"FileVersion", "StartMenuIcon", "FatalError", ""}));
  const std::vector<std::string> captions = EnumCaptions(SampleNames);
  ASSERT_EQ(captions.size(), std::size(SampleNames));
  EXPECT_EQ(captions[piFileVersion], "File Version");
  EXPECT_EQ(captions[goStartMenuIcon], "Start Menu Icon");
  EXPECT_EQ(captions[mlFatalError], "Fatal Error");
  EXPECT_EQ(captions[x], "") << "a name shorter than its prefix";
}

TEST(NameToCaption, RemovesAControlPrefixOrElseTheNumberSuffix) {
  const std::pair<std::string_view, std::string_view> cases[] = {{"ButtonOK", "OK"},
                                                                 {"DButtonClose", "Close"},
                                                                 {"EditHeight", "Height"},
                                                                 {"Label12", "Label"},
                                                                 {"buttonok", "ok"},
                                                                 {"ComboBoxMode", "Mode"},
                                                                 {"MemoLog", "Log"},
                                                                 {"Edit", ""},
                                                                 {"DBut1", "DBut"},
                                                                 {"ButtonOK2", "OK2"},
                                                                 {"", ""}};
  for (auto [name, expected] : cases)
    EXPECT_EQ(NameToCaption(name), expected) << "name '" << name << "'";
}

TEST(PluralSuffix, IsEmptyOnlyForOneAndMinusOne) {
  EXPECT_EQ(PluralSuffix(0), "s");
  EXPECT_EQ(PluralSuffix(1), "");
  EXPECT_EQ(PluralSuffix(-1), "");
  EXPECT_EQ(PluralSuffix(2), "s");
  EXPECT_EQ(PluralSuffix(-2), "s");
}

TEST(EnsureTrailingBackslash, AppendsTheDirectorySeparatorOnce) {
  EXPECT_EQ(EnsureTrailingBackslash("/tmp"), "/tmp/");
  EXPECT_EQ(EnsureTrailingBackslash("/tmp/"), "/tmp/");
  EXPECT_EQ(EnsureTrailingBackslash(""), "");
  EXPECT_EQ(EnsureTrailingBackslash("dir\\"), "dir\\/") << "a backslash is a file name byte";
}

// Case conversion

TEST(UpperCase1250, MapsAsciiAndCzechSmallLettersToCapitals) {
  // "žluťoučký" and "ŽLUŤOUČKÝ" in Windows-1250.
  EXPECT_EQ(UpperCase1250("\x9Elu\x9Do\x75\xE8k\xFD"), "\x8ELU\x8DOU\xC8K\xDD");
  EXPECT_EQ(UpperCase1250("\xB9\xBE\xFF"), "\xB9\xBE\xFF") << "bytes outside the table stay";
  EXPECT_EQ(UpperCase1250("aZ09_{"), "AZ09_{");
}

TEST(UpperCase1250, LowerCaseIsItsInverse) {
  std::string every(256, '\0');
  std::iota(every.begin(), every.end(), '\0');
  const std::string upper = UpperCase1250(every);
  EXPECT_EQ(UpperCase1250(LowerCase1250(upper)), upper);
  EXPECT_EQ(LowerCase1250("\x8ELU\x8DOU\xC8K\xDD"), "\x9Elu\x9Dou\xE8k\xFD");
}

// SortIndexes

struct TSortResult {
  std::vector<std::uint32_t> Keys;
  std::vector<std::int32_t> Indexes;
};

TSortResult Sorted(bool Stable, bool Reverse, std::vector<std::uint32_t> keys) {
  std::vector<std::int32_t> indexes(keys.size());
  std::iota(indexes.begin(), indexes.end(), 0);
  SortIndexes(Stable, Reverse, indexes, keys);
  return {keys, indexes};
}

TEST(SortIndexes, StableSortKeepsEqualKeysInOrder) {
  const TSortResult up = Sorted(true, false, {3, 1, 3, 2});
  EXPECT_EQ(up.Keys, (std::vector<std::uint32_t>{1, 2, 3, 3}));
  EXPECT_EQ(up.Indexes, (std::vector<std::int32_t>{1, 3, 0, 2}));
  const TSortResult down = Sorted(true, true, {3, 1, 3, 2});
  EXPECT_EQ(down.Keys, (std::vector<std::uint32_t>{3, 3, 2, 1}));
  EXPECT_EQ(down.Indexes, (std::vector<std::int32_t>{2, 0, 3, 1}));
}

TEST(SortIndexes, FewerThanTwoElementsStayAsTheyAre) {
  EXPECT_EQ(Sorted(true, true, {5}).Indexes, std::vector<std::int32_t>{0});
  EXPECT_TRUE(Sorted(false, false, {}).Keys.empty());
}

TEST(SortIndexes, SortsOnlyTheCommonLengthOfTheArrays) {
  std::vector<std::uint32_t> keys = {3, 2, 1};
  std::vector<std::int32_t> indexes = {0, 1};
  SortIndexes(true, false, indexes, keys);
  EXPECT_EQ(keys, (std::vector<std::uint32_t>{2, 3, 1}));
  EXPECT_EQ(indexes, (std::vector<std::int32_t>{1, 0}));
}

using TKeyIndex = std::pair<std::uint32_t, std::int32_t>;

std::vector<TKeyIndex> PairsOf(const TSortResult& result) {
  std::vector<TKeyIndex> pairs;
  for (std::size_t i = 0; i < result.Keys.size(); ++i)
    pairs.emplace_back(result.Keys[i], result.Indexes[i]);
  return pairs;
}

// Every sort, on both sides of the insertion-sort limit, with keys that repeat often.
TEST(SortIndexes, AgreesWithSortingKeyIndexPairsOnRandomKeys) {
  std::mt19937 random(5);
  for (std::size_t count : {2u, 3u, 70u, 71u, 72u, 73u, 200u, 1000u}) {
    std::uniform_int_distribution<std::uint32_t> key(0, static_cast<std::uint32_t>(count / 4));
    for (int round = 0; round < 20; ++round) {
      std::vector<std::uint32_t> keys(count);
      for (std::uint32_t& k : keys)
        k = round % 5 == 0 ? 4294967295u - key(random) : key(random);
      // A stable sort leaves equal keys in index order: the pairs in lexicographic order.
      std::vector<TKeyIndex> expected;
      for (std::size_t i = 0; i < count; ++i)
        expected.emplace_back(keys[i], static_cast<std::int32_t>(i));
      std::sort(expected.begin(), expected.end());

      ASSERT_EQ(PairsOf(Sorted(true, false, keys)), expected) << "count " << count;
      std::vector<TKeyIndex> reversed = PairsOf(Sorted(true, true, keys));
      std::reverse(reversed.begin(), reversed.end());
      ASSERT_EQ(reversed, expected) << "count " << count;
      // The quicksort may reorder equal keys, but every index stays beside its own key.
      std::vector<TKeyIndex> quick = PairsOf(Sorted(false, false, keys));
      ASSERT_TRUE(std::is_sorted(quick.begin(), quick.end(),
                                 [](auto& a, auto& b) { return a.first < b.first; }))
          << "count " << count;
      std::sort(quick.begin(), quick.end());
      ASSERT_EQ(quick, expected) << "count " << count;
    }
  }
}

TEST(SortIndexes, QuicksortHandlesSortedAndConstantKeys) {
  std::vector<std::uint32_t> ascending(5000), descending(5000), constant(5000, 7);
  std::iota(ascending.begin(), ascending.end(), 0u);
  std::iota(descending.rbegin(), descending.rend(), 0u);
  EXPECT_EQ(Sorted(false, false, descending).Keys, ascending);
  EXPECT_EQ(Sorted(false, false, ascending).Keys, ascending);
  EXPECT_EQ(Sorted(false, false, constant).Keys, constant);
}

} // namespace

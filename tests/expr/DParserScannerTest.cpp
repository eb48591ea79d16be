#include "ParserTestSupport.h"
#include "expr/uDParser.h"
#include "expr/uParserMsg.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

// The value of the single number token of Text, with setup applied.
long double NumberOf(std::string_view Text, const std::function<void(TDParser&)>& Setup = {}) {
  std::vector<TToken> tokens = Tokens(Text, Setup);
  EXPECT_EQ(tokens.size(), 1u) << Text;
  EXPECT_EQ(tokens.empty() ? tkNone : tokens[0].Kind, tkNumber) << Text;
  return tokens.empty() ? 0 : tokens[0].Value;
}

std::string KindsOf(std::string_view Text, const std::function<void(TDParser&)>& Setup = {}) {
  std::string kinds;
  for (const TToken& token : Tokens(Text, Setup))
    kinds += std::to_string(token.Kind) + ":" + token.Text + " ";
  return kinds;
}

const auto CommaGroups = [](TDParser& parser) { parser.ThousandSeparator = ","; };
const auto CommaDecimalNoBreakGroups = [](TDParser& parser) {
  parser.DecimalSeparator = ",";
  parser.ThousandSeparator = "\xA0";
};

TEST(TDParserNumbers, ReadsEveryNotation) {
  const struct {
    const char* text;
    long double value;
  } rows[] = {
      {"42", 42},    {"1:30", 90},     {"1:00:00", 3600}, {"50%", 0.5L},    {"$1F", 31},
      {"0x1f", 31},  {"0X1F", 31},     {"0o17", 15},      {"0O17", 15},     {"#101", 5},
      {"#12", 4},    {"2E3", 2000},    {"2e+3", 2000},    {"2E-3", 0.002L}, {"007", 7},
      {"1.5", 1.5L}, {"1.2.3", 1.23L}, {"$ff", 255},      {"0", 0},         {"1:30.5", 90.5L},
  };
  for (const auto& row : rows)
    EXPECT_EQ(NumberOf(row.text), row.value) << row.text;
}

TEST(TDParserNumbers, OnlyTheExponentTakesASign) {
  EXPECT_EQ(KindsOf("1-0-5"), "3:1 6:- 3:0 6:- 3:5 ");
  EXPECT_EQ(KindsOf("0+2"), "3:0 5:+ 3:2 ");
  EXPECT_EQ(KindsOf("$-1"), "3:$ 6:- 3:1 ");
  EXPECT_EQ(KindsOf("-5"), "6:- 3:5 ") << "a number never starts with a sign";
}

TEST(TDParserNumbers, CommaGroupsOnlyWhenNoBlankFollows) {
  EXPECT_EQ(NumberOf("1,2", CommaGroups), 12);
  std::vector<TToken> tokens = Tokens("1, 2", CommaGroups);
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[0].Value, 1);
  EXPECT_EQ(tokens[1].Kind, tkComma);
  EXPECT_EQ(tokens[2].Value, 2);
}

TEST(TDParserNumbers, NoBreakSpaceGroupingAcceptsOneTypedSpace) {
  EXPECT_EQ(NumberOf("1,5", CommaDecimalNoBreakGroups), 1.5L);
  EXPECT_EQ(NumberOf("1.5", CommaDecimalNoBreakGroups), 1.5L);
  EXPECT_EQ(NumberOf("1 000", CommaDecimalNoBreakGroups), 1000);
  EXPECT_EQ(NumberOf("1\xA0"
                     "000",
                     CommaDecimalNoBreakGroups),
            1000);
  std::vector<TToken> tokens = Tokens("1  000", CommaDecimalNoBreakGroups);
  ASSERT_EQ(tokens.size(), 2u) << "two spaces end the number";
  EXPECT_EQ(tokens[0].Value, 1);
  EXPECT_EQ(tokens[1].Value, 0);
}

TEST(TDParserNumbers, WithoutSeparatorsThePointIsDecimalAndNothingGroups) {
  EXPECT_EQ(NumberOf("1.5"), 1.5L);
  EXPECT_EQ(KindsOf("1,5"), "3:1 20:, 3:5 ");
  EXPECT_EQ(KindsOf(".5"), "22:. 3:5 ") << "a number never starts with a point";
}

TEST(TDParserNumbers, PointGroupingMakesTheCommaDecimal) {
  EXPECT_EQ(NumberOf("1.000,5",
                     [](TDParser& parser) {
                       parser.DecimalSeparator = ",";
                       parser.ThousandSeparator = ".";
                     }),
            1000.5L);
}

TEST(TDParserNumbers, ExponentsBeyondTheRangeAreClampedWithAMessage) {
  constexpr long double Max = std::numeric_limits<long double>::max();
  TReading huge = ReadText("1E5000", -Max, 0, Max);
  EXPECT_EQ(huge.Value, Power(10, 4932));
  ASSERT_EQ(huge.Messages.size(), 1u);
  EXPECT_EQ(huge.Messages[0], "[Error] (1, 7..7): Exponent out of range.");

  TReading big = ReadText("9E4932", -Max, 0, Max);
  EXPECT_EQ(big.Value, 9);
  ASSERT_EQ(big.Messages.size(), 1u);
  EXPECT_EQ(big.Messages[0], "[Error] (1, 7..7): Value out of range.");

  EXPECT_EQ(ReadText("1E-5000").Messages.size(), 1u);
  EXPECT_TRUE(ReadText("1E4932", -Max, 0, Max).Messages.empty()) << "the largest powers still fit";
}

TEST(TDParserNumbers, IntValueRoundsHalfAwayAndSaturates) {
  const struct {
    const char* text;
    std::int32_t value;
  } rows[] = {{"2.5", 3}, {"2.4", 2}, {"3E9", 2147483647}, {"0", 0}};
  for (const auto& row : rows) {
    TDParser parser(row.text);
    parser.NextToken();
    EXPECT_EQ(parser.IntValue(), row.value) << row.text;
  }
}

TEST(TDParserTokens, SymbolsAndOtherCharacters) {
  EXPECT_EQ(KindsOf("+-*/^**()[]{}<>=,;.:=:!\"\xAC%"),
            "5:+ 6:- 7:* 8:/ 9:^ 10:** 11:( 12:) 13:[ 14:] 15:{ 16:} 17:< 18:> 19:= 20:, 21:; "
            "22:. 24::= 23:: 25:! 26:\" 27:\xAC 4:% ");
  EXPECT_EQ(KindsOf("?"), "0:? ") << "a character that starts no token";
  EXPECT_EQ(KindsOf("\xE9"), "0:\xE9 ");
  EXPECT_EQ(KindsOf("abc_1 _x A9"), "2:abc_1 2:_x 2:A9 ");
  EXPECT_EQ(KindsOf("50%%"), "3:50% 4:% ") << "one percent sign belongs to the number";
}

TEST(TDParserTokens, LineEndsCountOnceAndColumnsRestart) {
  for (const char* text : {"1\r\nabc", "1\nabc", "1\rabc"}) {
    TReading reading = ReadText(text);
    ASSERT_FALSE(reading.Messages.empty()) << text;
    EXPECT_EQ(reading.Messages[0], "[Error] (2, 1..4): Line too long, unused chars") << text;
  }
  TDParser parser("a\r\n\r\nb");
  parser.NextToken();
  parser.NextToken();
  EXPECT_EQ(parser.LineIndex(), 2);
  EXPECT_EQ(parser.TokenText(), "b");
}

TEST(TDParserTokens, TrailingBlanksLeaveAnEmptyNoneToken) {
  TDParser parser("1 ");
  parser.NextToken();
  parser.NextToken();
  EXPECT_EQ(parser.Kind(), tkNone);
  EXPECT_EQ(parser.TokenText(), "");
  parser.NextToken();
  EXPECT_EQ(parser.Kind(), tkEndOfInput);
}

TEST(TDParserComments, LineCommentsEndAtTheLineEnd) {
  const auto hashComments = [](TDParser& parser) {
    parser.CommentsEnabled = true;
    parser.LineComment = "#";
  };
  EXPECT_EQ(KindsOf("P6 # a remark 12\n640"), "2:P6 3:# 2:a 2:remark 3:12 3:640 ")
      << "with comments off, # is the binary prefix";
  std::vector<TToken> tokens = Tokens("P6 # a remark 12\n640", hashComments);
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0].Text, "P6");
  EXPECT_EQ(tokens[1].Value, 640);
}

TEST(TDParserComments, BlockCommentsOfBothKinds) {
  const auto enabled = [](TDParser& parser) { parser.CommentsEnabled = true; };
  EXPECT_EQ(Tokens("{ 1 } 2", enabled).size(), 1u);
  // A comment that runs to the end leaves a last, empty tkNone token.
  EXPECT_EQ(KindsOf("(* 1 *) 2 // 3", enabled), "3:2 0: ");
  // An opener of the other kind inside a comment has no effect: "*)" still closes.
  std::vector<TToken> tokens = Tokens("(* { *) 7", enabled);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].Value, 7);
  EXPECT_EQ(Tokens("{ 1 }", {}).size(), 3u) << "comments are off by default";
}

TEST(TDParserComments, AnOpenCommentIsReportedWithTheLineItBeganOn) {
  TReading reading = ReadText("1+\n2 { three\nfour", -1e300L, 0, 1e300L,
                              [](TDParser& parser) { parser.CommentsEnabled = true; });
  ASSERT_FALSE(reading.Messages.empty());
  EXPECT_EQ(reading.Messages.back(),
            "[Error] (3, 5..5): Unexpected end of file in comment started on line 2");
}

TEST(TDParserMessages, ParametersAreSubstitutedInOnePass) {
  TParserMessages messages;
  {
    TDParser parser("x");
    parser.Messages = &messages;
    parser.NextToken();
    parser.AddMessage(23, {"%2", "b"}, 1);
    parser.AddMessage(0, {"%1"}, 0);
    parser.AddMessage(23, {"a", "b"}, -1);
    parser.AddMessage(9, {"a", "b"}, 0);
    parser.NextToken();
  }
  std::vector<std::string> lines = Lines(messages);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "[Error] (1, 1..2): '%2' expected but 'b' found");
  EXPECT_EQ(lines[1], "[Error] (1, 1..2): %1");
  EXPECT_EQ(lines[2], "[Error] (1, 1..2): '%1' expected but '%2' found");
  EXPECT_EQ(lines[3], "[Error] (1, 1..2): Identifier 'a' case mishmash '%2'");
}

TEST(TDParserMessages, TheHundredthMessageAddsOneFatalEntryAndReadingGoesOn) {
  std::string text;
  for (int i = 0; i < 120; ++i)
    text += "q ";
  TParserMessages messages;
  {
    TDParser parser(text);
    parser.Messages = &messages;
    parser.ReadValue(0, 0, 1);
  }
  ASSERT_EQ(messages.Count(), 121 + 1) << "120 undeclared identifiers, the fatal entry and "
                                          "the unused-text check";
  EXPECT_EQ(messages[100].Level, mlFatalError);
  EXPECT_EQ(messages[100].Text, "Compilation terminated; too many errors");
  EXPECT_EQ(messages[99].Level, mlError);
  EXPECT_EQ(messages[101].Level, mlError);
}

TEST(TDParserMessages, WithoutAListMessagesAreDropped) {
  TDParser parser("abc ?");
  EXPECT_EQ(parser.ReadValue(0, 4, 10), 4);
}

TEST(TDParserScanning, MatchSkipAndBlanks) {
  TDParser parser("\t \r\n\x0B\x0C"
                  "abc");
  parser.SkipBlanks();
  EXPECT_EQ(parser.Position(), 5) << "the form feed is not a blank";
  parser.Skip(1);
  EXPECT_TRUE(parser.Match("ab"));
  EXPECT_EQ(parser.Position(), 7) << "Position stops on the last matched character";
  EXPECT_FALSE(parser.Match(""));
  EXPECT_FALSE(parser.Match("bcd")) << "a match must lie within the text";
  parser.Skip(100);
  EXPECT_TRUE(parser.EndOfInput());
  EXPECT_EQ(parser.Position(), 9);
}

TEST(TDParserScanning, ReadIntegerReadsOneNumberAfterAnother) {
  // Each read starts one character before Position and stops one past the end of its digits.
  TDParser parser("640 480\n255 7");
  EXPECT_EQ(parser.ReadInteger(0, 100000), 640);
  EXPECT_EQ(parser.ReadInteger(0, 100000), 480);
  EXPECT_EQ(parser.ReadInteger(0, 200), 200) << "clamped to the maximum";
  EXPECT_EQ(parser.ReadInteger(0, 200), 7);
  EXPECT_GT(parser.Position(), 13) << "one past the end of the text";
  TDParser signs("  -+-12x");
  signs.Skip(1);
  EXPECT_EQ(signs.ReadInteger(-100, 100), 12);
  EXPECT_EQ(signs.Position(), 8) << "one past the character that ended the digits";
  TDParser empty("abc");
  EXPECT_EQ(empty.ReadInteger(-5, 5), 0);
}

} // namespace

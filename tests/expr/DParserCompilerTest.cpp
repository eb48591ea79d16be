#include "ParserTestSupport.h"
#include "app/uStartup.h"
#include "expr/functions/uNamespace.h"
#include "expr/uDParser.h"
#include "platform/uExceptions.h"
#include "support/NumberFormat.h"
#include "text/uOutputFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

constexpr long double Inf = std::numeric_limits<long double>::infinity();

// Every test starts from the point locale and leaves the settings as it found them.
class TCompiler : public testing::Test {
 private:
  TNumberFormatGuard Format_{PointLocale};
};

TEST_F(TCompiler, PrecedenceBracketsAndFactorials) {
  const struct {
    const char* text;
    long double value;
  } rows[] = {
      {"1+2*3", 7},
      {"(1+2)*3", 9},
      {"[1+2]*3", 9},
      {"{1+2]*3", 9},
      {"2^3", 8},
      {"2**3", 8},
      {"3!", 6},
      {"2*3!", 12},
      {"1+2=3", 1},
      {"3=1+2", 2},
      {"-5", -5},
      {"2*(-3)", -6},
      {"10/4", 2.5L},
      {"2<3", 1},
      {"3<=3", 1},
      {"3< =2", 0},
      {"4>=5", 0},
      {"4>3+1", 2},
      {"1-0-5", -4},
      {"0+min(1;2)", 1},
      {"\xAC"
       "0",
       -1},
      {"\xAC"
       "2!",
       -3},
      {"+5", 5},
  };
  for (const auto& row : rows) {
    TReading reading = ReadText(row.text);
    EXPECT_EQ(reading.Value, row.value) << row.text;
    EXPECT_EQ(reading.Messages, TLines()) << row.text;
  }
}

TEST_F(TCompiler, MissingOperandsAreEmptyVectors) {
  TReading reading = ReadText("1+");
  EXPECT_EQ(reading.Value, 1);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 3..3): Expression expected but '' found"});
  reading = ReadText("2*", -1, 5, 9);
  EXPECT_EQ(reading.Value, 0) << "2 times the sum of nothing";
}

TEST_F(TCompiler, OnePowerPerOperand) {
  TReading reading = ReadText("2^3^2");
  EXPECT_EQ(reading.Value, 8);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 4..5): Line too long, unused chars"});
}

TEST_F(TCompiler, ASignDoesNotStartAFactor) {
  TReading reading = ReadText("2*-3");
  EXPECT_EQ(reading.Value, -3);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 3..4): Expression expected but '-' found"});
}

TEST_F(TCompiler, FunctionsAsInfixOperators) {
  EXPECT_EQ(ReadText("7 mod 3").Value, 1);
  EXPECT_EQ(ReadText("2 max 5").Value, 5);
  EXPECT_EQ(ReadText("2 max 5 max 3").Value, 5);
  TReading reading = ReadText("2 sqrt 5");
  EXPECT_EQ(reading.Value, 2) << "a one-argument function is no operator";
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 3..7): Line too long, unused chars"});
}

TEST_F(TCompiler, CallArgumentsAndSeparators) {
  const auto commaGroups = [](TDParser& parser) { parser.ThousandSeparator = ","; };
  EXPECT_EQ(ReadText("sum(1,2)", -1e300L, 0, 1e300L, commaGroups).Value, 12);
  EXPECT_EQ(ReadText("sum(1;2)", -1e300L, 0, 1e300L, commaGroups).Value, 3);
  EXPECT_EQ(ReadText("sum(1, 2)", -1e300L, 0, 1e300L, commaGroups).Value, 3);
  EXPECT_EQ(ReadText("sum[1;;2}").Value, 3);
  EXPECT_EQ(ReadText("sum(1 2 3)").Value, 6) << "separators are optional";
  EXPECT_EQ(ReadText("sum(1 ? 2)").Value, 3) << "stray characters are skipped";
  EXPECT_EQ(ReadText("PI").Value, 3.1415926535897932385L) << "a name without brackets";
}

TEST_F(TCompiler, WrongArgumentCountsFallBackToTheDefault) {
  TReading reading = ReadText("sqrt", -10, 4, 10);
  EXPECT_EQ(reading.Value, 4);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 5..5): Illegal number of parameters (0)"});
  reading = ReadText("sqrt(4;9)+1", -10, 4, 10);
  EXPECT_EQ(reading.Value, 1) << "the call gives the empty vector, the sum goes on";
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 10..11): Illegal number of parameters (2)"});
}

TEST_F(TCompiler, MissingClosersAndOperands) {
  TReading reading = ReadText("(1+2");
  EXPECT_EQ(reading.Value, 3);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 5..5): ')' expected but '' found"});

  reading = ReadText("sum(1;2,");
  EXPECT_EQ(reading.Value, 3);
  EXPECT_EQ(reading.Messages,
            TLines{"[Error] (1, 9..9): '')', ',' or expression' expected but '' found"});

  reading = ReadText("()", -10, 7, 10);
  EXPECT_EQ(reading.Value, 7);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 2..3): Expression expected but '' found"});

  reading = ReadText("sum(*)");
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 5..6): Expression expected but '*' found"});
}

TEST_F(TCompiler, UndeclaredIdentifiers) {
  TReading reading = ReadText("abc", 0, 5, 10);
  EXPECT_EQ(reading.Value, 5);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 1..4): Undeclared identifier 'abc'"});
  reading = ReadText("1+abc*2");
  EXPECT_EQ(reading.Value, 1);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 3..6): Undeclared identifier 'abc'"});
}

TEST_F(TCompiler, KeywordsGiveTheBounds) {
  EXPECT_EQ(ReadText("MAX", 0, 1, 2147483647).Value, 2147483647);
  EXPECT_EQ(ReadText("max", 0, 1, 2147483647).Value, 2147483647);
  EXPECT_EQ(ReadText("Min", 3, 4, 5).Value, 3);
  TReading reading = ReadText("max(1;2)", 0, 1, 100);
  EXPECT_EQ(reading.Value, 100);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 4..5): Line too long, unused chars"});
}

TEST_F(TCompiler, RangeCheckClampsWithAMessage) {
  TReading reading = ReadText("-5", 0, 1, 2147483647);
  EXPECT_EQ(reading.Value, 0);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 3..3): Value -5 out of range 0..2147483647"});
  reading = ReadText("1/0", 0, 1, 2147483647);
  EXPECT_EQ(reading.Value, 2147483647);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 4..4): Value INF out of range 0..2147483647"});
  reading = ReadText("2.5", 0, 1, 2);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 4..4): Value 2.5 out of range 0..2"});
}

TEST_F(TCompiler, RangeMessagesUseTheLocaleDecimalSeparator) {
  DecimalSep = ",";
  TReading reading = ReadText("0.5", 1.5L, 2, 3);
  EXPECT_EQ(reading.Messages, TLines{"[Error] (1, 4..4): Value 0,5 out of range 1,5..3"});
}

TEST_F(TCompiler, EmptyTextReadsTheDefault) {
  EXPECT_EQ(ReadText("", 0, 42, 100).Value, 42);
  EXPECT_EQ(ReadText("", 0, 42, 100).Messages, TLines());
  TReading blank = ReadText(" ", 0, 42, 100);
  EXPECT_EQ(blank.Value, 42);
  EXPECT_EQ(blank.Messages, TLines{"[Error] (1, 2..2): Line too long, unused chars"});
}

TEST_F(TCompiler, FloatingPointErrorsLeaveReadValue) {
  EXPECT_THROW(ReadText("ln(0)"), EZeroDivide);
  EXPECT_THROW(ReadText("sqrt(-1)"), EInvalidOp);
  EXPECT_THROW(ReadText("exp(20000)"), EOverflow);
}

TEST_F(TCompiler, TheTreeStaysUntilTheNextParserIsCreated) {
  ReadText("1+2");
  ASSERT_NE(ExpressionTree, nullptr);
  EXPECT_EQ(ExpressionTree->Name, "Plus");
  ASSERT_EQ(ExpressionTree->Children.size(), 2u);
  EXPECT_EQ(ExpressionTree->Children[1]->Name, "Number");
  EXPECT_EQ(ExpressionTree->Children[1]->Value, 2);
  TDParser next("3");
  EXPECT_EQ(ExpressionTree, nullptr);
}

TEST_F(TCompiler, EvaluateCallsTheRegistryByName) {
  EXPECT_EQ(Evaluate(nullptr), TVector());
  TNode call("SUM");
  call.Children.push_back(std::make_unique<TNode>("Number", 2));
  call.Children.push_back(nullptr);
  call.Children.push_back(std::make_unique<TNode>("Number", 3));
  EXPECT_EQ(Evaluate(&call), TVector{5}) << "a missing child is the empty vector";
  TNode unknown("nosuchthing");
  EXPECT_EQ(Evaluate(&unknown), TVector());
}

// Names are kept whole: a registered function with a long name is reached by its full name.
TEST_F(TCompiler, LongFunctionNamesAreKeptWhole) {
  AddFunction(
      "Test", "AVeryLongFunctionName", [](TVector& Result) { Result = TVector{11}; }, "");
  AddFunction(
      "Test", "AVeryLongFunctionNam2", [](TVector& Result) { Result = TVector{22}; }, "");
  EXPECT_EQ(ReadText("AVeryLongFunctionName").Value, 11);
  EXPECT_EQ(ReadText("AVeryLongFunctionNam2").Value, 22);
  FinalizeFramework();
  InitializeFramework();
}

// Bad input costs linear time and bounded stack.

TEST_F(TCompiler, DeepNestingIsReportedOnceAndSkipped) {
  TReading brackets = ReadText(std::string(1000000, '('), 0, 3, 10);
  EXPECT_EQ(brackets.Value, 3);
  ASSERT_FALSE(brackets.Messages.empty());
  EXPECT_EQ(brackets.Messages[0], "[Error] (1, 257..258): Nesting too deep: more than 256 levels");
  EXPECT_LE(brackets.Messages.size(), 3u);

  std::string calls;
  for (int i = 0; i < 100000; ++i)
    calls += "sum(";
  calls += "1";
  calls += std::string(100000, ')');
  TReading nested = ReadText(calls, 0, 3, 10);
  EXPECT_EQ(nested.Value, 3);
  EXPECT_EQ(nested.Messages.front(),
            "[Error] (1, 1,025..1,028): Nesting too deep: more than 256 levels");

  std::string nots(5000, '\xAC');
  TReading negations = ReadText(nots + "1", -10, 3, 10);
  EXPECT_NE(negations.Messages.front().find("Nesting too deep"), std::string::npos);
}

TEST_F(TCompiler, NestingUpToTheLimitIsRead) {
  std::string text(MaxNesting - 1, '(');
  text += '2';
  text.append(MaxNesting - 1, ')');
  TReading reading = ReadText(text);
  EXPECT_EQ(reading.Value, 2);
  EXPECT_EQ(reading.Messages, TLines());
}

TEST_F(TCompiler, LongChainsAreComputedWithoutRecursion) {
  std::string sum = "1";
  for (int i = 0; i < 200000; ++i)
    sum += "+1";
  EXPECT_EQ(ReadText(sum).Value, 200001);
  std::string signs(300000, '-');
  TReading reading = ReadText(signs + "1", -1e300L, 0, 1e300L);
  EXPECT_FALSE(reading.Messages.empty());
}

TEST_F(TCompiler, RandomBytesGiveMessagesAndAValue) {
  std::mt19937 random(12345);
  std::string bytes(1 << 20, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  // Errors of functions the noise happens to call are fine; anything else is not.
  try {
    TReading reading = ReadText(bytes, 0, 1, 2);
    EXPECT_GE(reading.Value, 0);
    EXPECT_LE(reading.Value, 2);
    EXPECT_FALSE(reading.Messages.empty());
  } catch (const EMathError&) {
  }
}

} // namespace

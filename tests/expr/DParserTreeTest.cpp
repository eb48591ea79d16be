// The compact tree of a read: long chains computed to values worked out in closed form, missing
// operands in their places, the tree as nodes, deep input, and errors in the middle of long
// expressions.

#include "ParserTestSupport.h"
#include "app/uStartup.h"
#include "expr/uDParser.h"
#include "expr/uDParserTree_p.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "platform/uExceptions.h"
#include "support/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

constexpr long double Max = std::numeric_limits<long double>::max();

// Every test starts from the point locale and leaves the settings as it found them.
class TTree : public testing::Test {
 private:
  TNumberFormatGuard Format_{PointLocale};
};

// The text made of term(1), term(2), ... term(count).
std::string Joined(int count, const std::function<std::string(int)>& term) {
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += term(i);
  return text;
}

std::string Repeated(std::string_view part, int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += part;
  return text;
}

// A tree as text, prefix form: "_" for a missing operand, numbers by their value.
std::string Shape(const TNode* node) {
  if (!node)
    return "_";
  if (node->Name == "Number") {
    std::string number = std::to_string(static_cast<long long>(node->Value));
    return number;
  }
  std::string text = node->Name + "(";
  for (std::size_t i = 0; i < node->Children.size(); ++i)
    text += (i ? ", " : "") + Shape(node->Children[i].get());
  return text + ")";
}

TEST_F(TTree, LongChainsHaveTheirClosedFormValues) {
  constexpr int n = 100000;
  const struct {
    const char* what;
    std::string text;
    long double value;
  } rows[] = {
      {"1+2+...+n = n(n+1)/2",
       Joined(n, [](int i) { return (i > 1 ? "+" : "") + std::to_string(i); }),
       static_cast<long double>(n) * (n + 1) / 2},
      {"1-2+3-...-n = -n/2 for even n",
       Joined(n, [](int i) { return (i == 1  ? ""
                                     : i % 2 ? "+"
                                             : "-") +
                                    std::to_string(i); }),
       -n / 2},
      {"1+2*3+2*3+... = 1 + 6k", "1" + Repeated("+2*3", n), 1 + 6.0L * n},
      {"2*2*...*2, 1000 factors", "2" + Repeated("*2", 999), std::ldexp(1.0L, 1000)},
      {"1/2/.../2, 1000 divisions", "1" + Repeated("/2", 1000), std::ldexp(1.0L, -1000)},
      {"2^2*2^2*..., 1000 powers", "2^2" + Repeated("*2^2", 999), std::ldexp(1.0L, 2000)},
      {"1-(1-(1-...)) 255 deep, odd", Repeated("1-(", 254) + "1" + std::string(254, ')'), 1},
      {"sum of 100000 arguments", "sum(1" + Repeated(";1", n - 1) + ")", n},
  };
  for (const auto& row : rows) {
    const TReading reading = ReadText(row.text, -Max, 0, Max);
    EXPECT_EQ(reading.Value, row.value) << row.what;
    EXPECT_EQ(reading.Messages, TLines()) << row.what;
  }
}

TEST_F(TTree, AMillionTermsReadThroughTheCalculatorsPath) {
  const std::string text = "1" + Repeated("+1", 999999);
  TParserMessages messages;
  EXPECT_EQ(StrToValE(text, true, &messages, 0, 5, 1e300L), 1000000);
  EXPECT_EQ(messages.Count(), 0);
}

// A missing operand stands in its own place: left of the operator when it is the left one.
TEST_F(TTree, MissingOperandsTakeTheirPlaces) {
  const struct {
    const char* text;
    long double value;
    TLines messages;
  } rows[] = {
      {"<3", 1, {}},
      {"3<", 0, {"[Error] (1, 3..3): Expression expected but '' found"}},
      {"=0", 1, {}},
      {"1+/4", 1, {"[Error] (1, 3..4): Expression expected but '/' found"}},
      {"1+^3", 1, {"[Error] (1, 3..4): Expression expected but '^' found"}},
      {"1+!", 2, {"[Error] (1, 3..4): Expression expected but '!' found"}},
      {"--5", -5, {"[Error] (1, 2..3): Expression expected but '-' found"}},
      {"\xAC", -1, {"[Error] (1, 2..2): Expression expected but '' found"}},
  };
  for (const auto& row : rows) {
    const TReading reading = ReadText(row.text);
    EXPECT_EQ(reading.Value, row.value) << row.text;
    EXPECT_EQ(reading.Messages, row.messages) << row.text;
  }
}

TEST_F(TTree, TheSlotShowsTheTreeAsNodes) {
  const struct {
    const char* text;
    const char* shape;
  } rows[] = {
      {"-5", "Minus(_, 5)"},
      {"1+", "Plus(1, _)"},
      {"1+2*3", "Plus(1, Mul(2, 3))"},
      {"1-2-3", "Minus(Minus(1, 2), 3)"},
      {"2^3!", "Power(2, fact(3))"},
      {"\xAC"
       "2!",
       "not(fact(2))"},
      {"1<=2", "LessOrEqual(1, 2)"},
      {"4>=5=0", "Equal(GreaterOrEqual(4, 5), 0)"},
      {"7 mod 3", "mod(7, 3)"},
      {"SUM(1;;2)", "SUM(1, 2)"},
      {"sum(*)", "sum(_)"},
      {"sqrt(4;9)", "sqrt(4, 9)"},
      {"PI", "PI()"},
  };
  for (const auto& row : rows) {
    ReadText(row.text);
    EXPECT_EQ(Shape(ExpressionTree.get()), row.shape) << row.text;
  }
  ReadText("abc");
  EXPECT_EQ(ExpressionTree, nullptr) << "nothing compiled, no tree";
}

// Calls of one name and argument count share what the tree keeps of them, also past the first few
// different ones; names are kept as written.
TEST_F(TTree, ManyDifferentCallsAreEachComputed) {
  const auto ones = [](int count) { return "1" + Repeated(";1", count - 1); };
  const std::string text =
      "0" + Joined(40, [&](int k) { return "+sum(" + ones(k) + ")"; }) +
      Joined(40, [&](int k) { return "+sum(" + ones(41 - k) + ")+" + std::to_string(k); });
  const TReading reading = ReadText(text);
  EXPECT_EQ(reading.Value, 2 * (40 * 41 / 2) + 40 * 41 / 2);
  EXPECT_EQ(reading.Messages, TLines());

  ReadText("Sum(1)+SUM(1;1)+sum(1)+Sum(2)");
  EXPECT_EQ(Shape(ExpressionTree.get()), "Plus(Plus(Plus(Sum(1), SUM(1, 1)), sum(1)), Sum(2))");
}

TEST_F(TTree, TheLeftSpineOfALongSumIsWalkedAndFreed) {
  constexpr int terms = 300000;
  ASSERT_EQ(ReadText("1" + Repeated("+1", terms - 1)).Value, terms);
  int plus = 0;
  const TNode* node = ExpressionTree.get();
  for (; node && node->Name == "Plus"; node = node->Children[0].get())
    ++plus;
  EXPECT_EQ(plus, terms - 1);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Name, "Number");
  TDParser next("");
  EXPECT_EQ(ExpressionTree, nullptr);
}

TEST_F(TTree, HandBuiltTreesOfAnyDepthAreComputed) {
  constexpr int depth = 200000;
  TNodePtr left = std::make_unique<TNode>("Number", 1);
  TNodePtr right = std::make_unique<TNode>("Number", 1);
  for (int i = 0; i < depth; ++i) {
    auto node = std::make_unique<TNode>("Plus");
    node->Children.push_back(std::move(left));
    node->Children.push_back(std::make_unique<TNode>("Number", 1));
    left = std::move(node);
    node = std::make_unique<TNode>("plus");
    node->Children.push_back(std::make_unique<TNode>("Number", 2));
    node->Children.push_back(std::move(right));
    right = std::move(node);
  }
  EXPECT_EQ(Evaluate(left.get()), TVector{depth + 1}) << "leaning left";
  EXPECT_EQ(Evaluate(right.get()), TVector{2.0L * depth + 1}) << "leaning right";
}

// The tree keeps the registry entries it found; after the registry was freed and filled again
// they are looked up by name, never used.
TEST_F(TTree, ARegistryRebuiltAfterCompilingIsAskedAgain) {
  ReadText("1+2*3");
  TExpressionTree kept = std::move(ExpressionTree);
  FinalizeFramework();
  InitializeFramework();
  EXPECT_EQ(Evaluate(kept), TVector{7});
}

TEST_F(TTree, AFloatingPointErrorInTheMiddleOfALongSumLeavesTheRead) {
  const std::string half = Repeated("1+", 50000);
  const struct {
    const char* call;
    std::function<void(const std::string&)> read;
  } rows[] = {
      {"ln(0)", [](const std::string& text) { EXPECT_THROW(ReadText(text), EZeroDivide); }},
      {"exp(20000)", [](const std::string& text) { EXPECT_THROW(ReadText(text), EOverflow); }},
      {"sqrt(-1)", [](const std::string& text) { EXPECT_THROW(ReadText(text), EInvalidOp); }},
  };
  for (const auto& row : rows) {
    const std::string text = half + row.call + "+" + half + "1";
    SCOPED_TRACE(row.call);
    row.read(text);
    EXPECT_NE(ExpressionTree, nullptr) << "the tree stays until the next read";
    TParserMessages messages;
    EXPECT_THROW(StrToValE(text, true, &messages, 0, 5, 1e300L), EMathError);
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(ReadText("1+2").Value, 3) << "the next read is not disturbed";
  }
}

TEST_F(TTree, ADivisionByZeroInTheMiddleReachesTheRangeCheck) {
  const std::string half = Repeated("1+", 50000);
  TParserMessages messages;
  EXPECT_EQ(StrToValE(half + "1/0+" + half + "1", false, &messages, 0, 5, 2147483647), 2147483647);
  ASSERT_EQ(messages.Count(), 1);
  EXPECT_EQ(messages[0].Text, "Value INF out of range 0..2147483647");
}

TEST_F(TTree, DeepInputGivesAMessageOrAValue) {
  constexpr int deep = 100000;
  const std::string rows[] = {
      std::string(deep, '('),      std::string(deep, '(') + "1" + std::string(deep, ')'),
      Repeated("-(", deep) + "1",  Repeated("sum(", deep),
      Repeated("2*(", deep) + "2", std::string(deep, '\xAC') + "1",
      Repeated("[{(", deep),       "1" + std::string(deep, '!'),
  };
  for (const std::string& text : rows) {
    TParserMessages messages;
    const long double value = StrToValE(text, true, &messages, 0, 3, 10);
    EXPECT_GE(value, 0) << text.substr(0, 12);
    EXPECT_LE(value, 10) << text.substr(0, 12);
    EXPECT_GT(messages.Count(), 0) << text.substr(0, 12);
  }
}

TEST(TChunkedArray, KeepsTheOrderAcrossBlocks) {
  // Sizes at, before and after the ends of the first blocks (16, 16 + 32, ...), and a large one.
  for (const std::uint32_t size : {0u, 1u, 15u, 16u, 17u, 48u, 49u, 100000u}) {
    TChunkedArray<std::uint32_t> array;
    for (std::uint32_t i = 0; i < size; ++i)
      array.push_back(i * 3);
    EXPECT_EQ(array.size(), size);
    std::uint32_t expected = 0;
    bool inOrder = true;
    array.ForEach([&](std::uint32_t value) {
      inOrder = inOrder && value == expected * 3;
      ++expected;
    });
    EXPECT_TRUE(inOrder) << size;
    EXPECT_EQ(expected, size);
    TChunkedArray<std::uint32_t>::TReader reader(array);
    for (std::uint32_t i = 0; i < size; ++i)
      if (reader.Next() != i * 3) {
        ADD_FAILURE() << "reader at " << i << " of " << size;
        break;
      }
  }
}

} // namespace

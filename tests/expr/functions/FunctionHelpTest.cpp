// What help shows of the registry: names, calls, and the parts of a description.

#include "app/uStartup.h"
#include "expr/functions/uFunctionHelp.h"
#include "expr/functions/uNamespace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const std::vector<TFunctionHelp>& Functions) {
  std::vector<std::string> names;
  for (const TFunctionHelp& function : Functions)
    names.push_back(function.Name);
  return names;
}

// The registry holds the built-in functions only.
TEST(TFunctionHelp, ListsEveryBuiltInNameOnceInTheOrderOfRegistration) {
  const std::vector<TFunctionHelp> functions = RegisteredFunctions();
  ASSERT_EQ(functions.size(), 73u);
  EXPECT_EQ(functions.front().Name, "x");
  EXPECT_EQ(functions.front().Namespace, "Variable");
  EXPECT_EQ(functions.front().ArgCounts, std::vector<std::int32_t>{0});
  EXPECT_EQ(functions.front().Description, "Variable X.");
  EXPECT_EQ(functions.back().Name, "EloPerfo");
  EXPECT_EQ(functions.back().Namespace, "Chess");
  EXPECT_EQ(functions.back().ArgCounts, std::vector<std::int32_t>{-1});
}

TEST(TFunctionHelp, FindsNamesByTheirBeginningIgnoringCaseInNameOrder) {
  const struct {
    std::string Prefix;
    std::vector<std::string> Names;
  } cases[] = {
      {"sq", {"sqr", "sqrt"}},
      {"SQ", {"sqr", "sqrt"}},
      {"sqrt", {"sqrt"}},
      {"e", {"E", "Elo", "EloC", "EloDif", "EloPerfo", "Equal", "ex", "exp"}},
      {"arcs", {"ArcSin", "ArcSinh"}},
      {"va", {"Variance0", "VarianceCoef"}},
      {"sqrtx", {}},
      {"_", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Names(FunctionsStartingWith(c.Prefix)), c.Names) << "prefix '" << c.Prefix << "'";
  EXPECT_EQ(FunctionsStartingWith("").size(), 73u);
}

class TFunctionHelpWithTestFunctions : public testing::Test {
 protected:
  void TearDown() override {
    FinalizeFramework();
    InitializeFramework();
  }
};

void Any(std::span<const TVector>, TVector&) {}
void One(const TVector&, TVector&) {}
void Two(const TVector&, const TVector&, TVector&) {}

TEST_F(TFunctionHelpWithTestFunctions, AFunctionRegisteredLaterAppearsByItself) {
  AddFunction("Test", "sqrtish", Any, "(a;b) Made up for the test. More.");
  const std::vector<TFunctionHelp> matches = FunctionsStartingWith("sq");
  ASSERT_EQ(Names(matches), (std::vector<std::string>{"sqr", "sqrt", "sqrtish"}));
  EXPECT_EQ(matches[2].Namespace, "Test");
  EXPECT_EQ(CallsText(matches[2]), "sqrtish(x; y; \xE2\x80\xA6)");
  EXPECT_EQ(RegisteredFunctions().back().Name, "sqrtish");
}

TEST_F(TFunctionHelpWithTestFunctions, ANameWithSeveralCountsIsOneEntryWithEveryCall) {
  AddFunction("Test", "twin", One, "");
  AddFunction("Test", "TWIN", Two, "(Left;Right) https://example.org/Twin");
  const std::vector<TFunctionHelp> matches = FunctionsStartingWith("tw");
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].Name, "twin");
  EXPECT_EQ(matches[0].ArgCounts, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(matches[0].Description, "(Left;Right) https://example.org/Twin")
      << "the first description there is";
  EXPECT_EQ(CallsText(matches[0]), "twin(x), twin(Left; Right)");
}

TEST(TFunctionHelp, WritesACallForEveryArgumentCount) {
  const struct {
    std::string Name;
    std::int32_t ArgCount;
    std::string Description;
    std::string Call;
  } cases[] = {
      {"PI", 0, "https://en.wikipedia.org/wiki/Pi", "PI"},
      {"sqrt", 1, "https://en.wikipedia.org/wiki/Square_root", "sqrt(x)"},
      {"mul", 2, "", "mul(x; y)"},
      {"IfElse", 3, "", "IfElse(x; y; z)"},
      {"Max", -1, "", "Max(x; y; \xE2\x80\xA6)"},
      {"power", 2, "(Base;Exponent) https://en.wikipedia.org/wiki/Exponentiation",
       "power(Base; Exponent)"},
      {"f", 2, "( a ;  b )", "f(a; b)"},
      {"f", 1, "(Base;Exponent)", "f(x)"},
      {"f", 3, "(a;;c)", "f(x; y; z)"},
      {"f", 1, "(open", "f(x)"},
      {"EloC", -1, "([Coef.]; Your elo; 1st opponent elo)", "EloC(x; y; \xE2\x80\xA6)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CallText(c.Name, c.ArgCount, c.Description), c.Call)
        << c.Name << " with " << c.ArgCount << ", '" << c.Description << "'";
}

TEST(TFunctionHelp, InsertsABracketOnlyAfterNamesThatTakeArguments) {
  const struct {
    std::vector<std::int32_t> Counts;
    std::string Inserted;
  } cases[] = {
      {{0}, "f"}, {{1}, "f("}, {{-1}, "f("}, {{0, 2}, "f("}, {{3}, "f("},
  };
  for (const auto& c : cases) {
    const TFunctionHelp function{"f", "Test", c.Counts, ""};
    EXPECT_EQ(InsertionText(function), c.Inserted) << testing::PrintToString(c.Counts);
  }
}

TEST(TFunctionHelp, SplitsADescriptionIntoTextSentenceAndLink) {
  const struct {
    std::string Description;
    std::string Text;
    std::string Link;
    std::string Summary;
  } cases[] = {
      {"https://en.wikipedia.org/wiki/Square_root", "", "https://en.wikipedia.org/wiki/Square_root",
       "Square root"},
      {"(Dividend;Divisor) https://en.wikipedia.org/wiki/Division_(mathematics)",
       "(Dividend;Divisor)", "https://en.wikipedia.org/wiki/Division_(mathematics)",
       "Division (mathematics)"},
      {"(a;b) Adds. More.", "(a;b) Adds. More.", "", "Adds."},
      {"([Coef.]; Your elo; 1st opponent elo)", "([Coef.]; Your elo; 1st opponent elo)", "",
       "([Coef.]; Your elo; 1st opponent elo)"},
      {"Probably Elo difference for result <0..1>. https://en.wikipedia.org/wiki/Elo_rating_system",
       "Probably Elo difference for result <0..1>.",
       "https://en.wikipedia.org/wiki/Elo_rating_system",
       "Probably Elo difference for result <0..1>."},
      {"Variable X.", "Variable X.", "", "Variable X."},
      {"", "", "", ""},
      {"First one. Second one.", "First one. Second one.", "", "First one."},
      {"See http://a.example/x for more. Then", "See for more. Then", "http://a.example/x",
       "See for more."},
      {"https://en.wikipedia.org/wiki/Bitwise_operation#NOT", "",
       "https://en.wikipedia.org/wiki/Bitwise_operation#NOT", "Bitwise operation: NOT"},
      {"https://en.wikipedia.org/wiki/E_(mathematical_constant)", "",
       "https://en.wikipedia.org/wiki/E_(mathematical_constant)", "E (mathematical constant)"},
      {"myhttps://x is no link", "myhttps://x is no link", "", "myhttps://x is no link"},
      {"Ends with 1.5 and 2..3 inside", "Ends with 1.5 and 2..3 inside", "",
       "Ends with 1.5 and 2..3 inside"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescriptionText(c.Description), c.Text) << c.Description;
    EXPECT_EQ(ReferenceLink(c.Description), c.Link) << c.Description;
    EXPECT_EQ(Summary(c.Description), c.Summary) << c.Description;
  }
}

TEST(TFunctionHelp, SummarisesEveryBuiltInFunction) {
  // Every built-in function has a line of help, except the one registered without description.
  for (const TFunctionHelp& function : RegisteredFunctions())
    EXPECT_EQ(Summary(function.Description).empty(), function.Name == "VarianceCoef")
        << function.Name;
}

} // namespace

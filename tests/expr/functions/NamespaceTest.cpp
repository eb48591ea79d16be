#include "app/uStartup.h"
#include "expr/functions/uNamespace.h"
#include "platform/uExceptions.h"
#include "support/TestVectors.h"
#include "text/uStrings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Tests that register functions of their own start the framework afresh afterwards.
class TRegistry : public testing::Test {
 protected:
  void TearDown() override {
    FinalizeFramework();
    InitializeFramework();
  }
};

void ReturnArgCount(std::span<const TVector> Args, TVector& Result) {
  Result = NumToVector(static_cast<long double>(Args.size()));
}

void One(const TVector&, TVector& Result) {
  Result = NumToVector(1);
}

void Two(const TVector&, const TVector&, TVector& Result) {
  Result = NumToVector(2);
}

void Seven(const TVector&, const TVector&, TVector& Result) {
  Result = NumToVector(7);
}

void Three(const TVector&, const TVector&, const TVector&, TVector& Result) {
  Result = NumToVector(3);
}

struct TBuiltIn {
  const char* Namespace;
  const char* Name;
  int ArgCount;
};

// The built-in functions in the order of registration.
const TBuiltIn BuiltIns[] = {
    {"Variable", "x", 0},
    {"Conditional Tests", "IfElse", 3},
    {"Arithmetic", "Equal", 2},
    {"Arithmetic", "Greater", 2},
    {"Arithmetic", "Less", 2},
    {"Arithmetic", "GreaterOrEqual", 2},
    {"Arithmetic", "LessOrEqual", 2},
    {"Arithmetic", "E", 0},
    {"Physics", "C", 0},
    {"Arithmetic", "neg", 1},
    {"Arithmetic", "inv", 1},
    {"Arithmetic", "plus", 2},
    {"Arithmetic", "minus", 2},
    {"Arithmetic", "mul", 2},
    {"Arithmetic", "div", 2},
    {"Arithmetic", "mod", 2},
    {"Arithmetic", "power", 2},
    {"Arithmetic", "log", 2},
    {"Arithmetic", "ln", 1},
    {"Arithmetic", "sqr", 1},
    {"Arithmetic", "sqrt", 1},
    {"Arithmetic", "trunc", 1},
    {"Arithmetic", "floor", 1},
    {"Arithmetic", "round", 1},
    {"Arithmetic", "ceil", 1},
    {"Arithmetic", "frac", 1},
    {"Arithmetic", "abs", 1},
    {"Arithmetic", "not", 1},
    {"Arithmetic", "inc", 1},
    {"Arithmetic", "dec", 1},
    {"Arithmetic", "exp", 1},
    {"Arithmetic", "fact", 1},
    {"Arithmetic", "gamma", 1},
    {"Logic", "false", 0},
    {"Logic", "true", 0},
    {"Logic", "shl", -1},
    {"Logic", "shr", -1},
    {"Logic", "and", -1},
    {"Logic", "or", -1},
    {"Logic", "nor", -1},
    {"Logic", "xor", -1},
    {"Logic", "xnor", -1},
    {"Goniometic", "PI", 0},
    {"Goniometic", "Sin", 1},
    {"Goniometic", "Cos", 1},
    {"Goniometic", "Tan", 1},
    {"Goniometic", "ArcSin", 1},
    {"Goniometic", "ArcCos", 1},
    {"Goniometic", "Sinh", 1},
    {"Goniometic", "Cosh", 1},
    {"Goniometic", "Tanh", 1},
    {"Goniometic", "ArcSinh", 1},
    {"Goniometic", "ArcCosh", 1},
    {"Goniometic", "ArcTanh", 1},
    {"Statistics", "Avg", -1},
    {"Statistics", "AvgG", -1},
    {"Statistics", "AvgH", -1},
    {"Statistics", "Count", -1},
    {"Statistics", "Min", -1},
    {"Statistics", "Max", -1},
    {"Statistics", "Skew", -1},
    {"Statistics", "Sum", -1},
    {"Statistics", "dx", -1},
    {"Statistics", "Variance0", -1},
    {"Statistics", "ex", -1},
    {"Statistics", "VarianceCoef", -1},
    {"Statistics", "Random", -1},
    {"Physics", "Gravity", -1},
    {"Chess", "Elo", -1},
    {"Chess", "ArcElo", -1},
    {"Chess", "EloC", -1},
    {"Chess", "EloDif", -1},
    {"Chess", "EloPerfo", -1},
};

std::vector<const TFunction*> Registered() {
  std::vector<const TFunction*> functions;
  ForEachFunction([&](const TFunction& function) { functions.push_back(&function); });
  return functions;
}

TEST_F(TRegistry, HoldsThe73BuiltInFunctionsInModuleAndRowOrder) {
  std::vector<const TFunction*> functions = Registered();
  ASSERT_EQ(functions.size(), std::size(BuiltIns));
  for (std::size_t i = 0; i < functions.size(); ++i) {
    EXPECT_EQ(functions[i]->Namespace, BuiltIns[i].Namespace) << i;
    EXPECT_EQ(functions[i]->Name, BuiltIns[i].Name) << i;
    EXPECT_EQ(functions[i]->ArgCount, BuiltIns[i].ArgCount) << BuiltIns[i].Name;
    EXPECT_EQ(FindFunction("", BuiltIns[i].Name, BuiltIns[i].ArgCount), functions[i])
        << BuiltIns[i].Name;
  }
}

TEST_F(TRegistry, KeysAreStringHashesOfTheUpperCasedName) {
  for (const char* name : {"plus", "Plus", "IfElse", "VarianceCoef", "x_9", "\xE9t\xE9"}) {
    std::string upper = name;
    for (char& c : upper)
      c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    EXPECT_EQ(FunctionKey(name), StringHash(upper)) << name;
  }
}

TEST_F(TRegistry, BuiltInNamesFallIntoDifferentSlots) {
  std::set<std::uint32_t> slots;
  for (const TBuiltIn& function : BuiltIns)
    slots.insert(FunctionKey(function.Name) % 10240);
  EXPECT_EQ(slots.size(), 73u);
}

TEST_F(TRegistry, DescriptionsAreLinksTextsWithLinksOrAsTheTablesSay) {
  EXPECT_EQ(FindFunction("", "x", 0)->Description, "Variable X.");
  EXPECT_EQ(FindFunction("", "VarianceCoef", -1)->Description, "");
  EXPECT_EQ(FindFunction("", "EloC", -1)->Description,
            "([Coef.]; Your elo; 1st opponent elo; 1st opponent result; 2nd opponent elo; 2nd "
            "opponent result...)");
  EXPECT_EQ(FindFunction("", "div", 2)->Description.rfind("(Dividend;Divisor) https://", 0), 0u);
  EXPECT_EQ(FindFunction("", "power", 2)->Description.rfind("(Base;Exponent) https://", 0), 0u);
  EXPECT_EQ(FindFunction("", "Elo", -1)
                ->Description.rfind("Probably Elo difference for result <0..1>. https://", 0),
            0u);
  EXPECT_EQ(FindFunction("", "shl", -1)->Description, FindFunction("", "shr", -1)->Description);
  EXPECT_EQ(FindFunction("", "Equal", 2)->Description, FindFunction("", "IfElse", 3)->Description);
  EXPECT_EQ(FindFunction("", "Greater", 2)->Description,
            FindFunction("", "LessOrEqual", 2)->Description);
  for (const char* linked : {"E", "plus", "Sin", "Avg", "Gravity", "true"})
    EXPECT_EQ(FindFunction("", linked, -1)->Description.rfind("https://", 0), 0u) << linked;
}

TEST_F(TRegistry, LookupsIgnoreCase) {
  const TFunction* plus = FindFunction("", "plus", 2);
  ASSERT_NE(plus, nullptr);
  for (const char* spelling : {"Plus", "PLUS", "pLuS"})
    EXPECT_EQ(FindFunction("", spelling, 2), plus) << spelling;
}

TEST_F(TRegistry, FixedCountsMatchOnlyThemselvesAndVariadicMatchesAll) {
  EXPECT_TRUE(FunctionExists("", "div", 2));
  EXPECT_FALSE(FunctionExists("", "div", 3));
  EXPECT_TRUE(FunctionExists("", "div"));
  for (int n = 0; n <= 6; ++n)
    EXPECT_TRUE(FunctionExists("", "Sum", n)) << n;
  EXPECT_FALSE(FunctionExists("", "nosuchfunction"));
}

TEST_F(TRegistry, CallsDispatchByArgumentCount) {
  EXPECT_EQ(Call("E"), TVector{2.7182818284590452354L});
  EXPECT_EQ(Call("div", {{7}, {2}}), TVector{3.5L});
  EXPECT_EQ(Call("Sum", {{1}, {2}, {3}}), TVector{6});
}

TEST_F(TRegistry, UnknownNamesAndWrongCountsGiveTheEmptyVectorWithoutError) {
  TVector result{5};
  CallFunction("", "nosuchfunction", {}, result);
  EXPECT_EQ(result, TVector());
  result = TVector{5};
  const TVector args[] = {{1}, {2}, {3}};
  CallFunction("", "div", args, result);
  EXPECT_EQ(result, TVector());
}

TEST_F(TRegistry, NamesThatOnlyShareAHashDoNotReachAFunction) {
  ASSERT_EQ(FunctionKey("pm6s"), FunctionKey("plus"));
  EXPECT_FALSE(FunctionExists("", "pm6s", 2));
  EXPECT_EQ(Call("pm6s", {{1}, {2}}), TVector());
  // A name whose hash is 0 finds no empty slot either.
  ASSERT_EQ(FunctionKey("pdfyfcd"), 0u);
  EXPECT_FALSE(FunctionExists("", "pdfyfcd"));
  EXPECT_FALSE(FunctionExists("", ""));
}

TEST_F(TRegistry, NamesSharingAHashBothStay) {
  AddFunction("Test", "pm6s", Seven, "");
  EXPECT_EQ(Call("pm6s", {{1}, {2}}), TVector{7});
  EXPECT_EQ(Call("plus", {{1}, {2}}), TVector{3});
}

TEST_F(TRegistry, OneNameMayCarrySeveralArgumentCounts) {
  AddFunction("Test", "multi", One, "");
  AddFunction("Test", "Multi", Two, "");
  EXPECT_EQ(Call("multi", {{0}}), TVector{1});
  EXPECT_EQ(Call("MULTI", {{0}, {0}}), TVector{2});
  EXPECT_EQ(Call("multi", {}), TVector());
}

TEST_F(TRegistry, RegisteringANameAndCountAgainReplacesTheEntry) {
  AddFunction("Test", "twice", Two, "first");
  AddFunction("Test", "TWICE", Seven, "second");
  EXPECT_EQ(Call("twice", {{0}, {0}}), TVector{7});
  EXPECT_EQ(FindFunction("", "twice", 2)->Description, "second");
  EXPECT_EQ(Registered().size(), std::size(BuiltIns) + 1);
}

TEST_F(TRegistry, VariadicCallbacksReceiveEveryArgument) {
  AddFunction("Test", "argcount", ReturnArgCount, "");
  EXPECT_EQ(Call("argcount"), TVector{0});
  EXPECT_EQ(Call("argcount", {{}, {1, 2}, {}, {4}}), TVector{4});
}

TEST_F(TRegistry, CountsOutsideTheCallbackFormsRaise) {
  AddFunction("Test", "four", TCallback(Three), "", 4);
  AddFunction("Test", "mismatch", TCallback(One), "", 2);
  for (const char* name : {"four", "mismatch"}) {
    std::vector<TVector> args(name == std::string("four") ? 4 : 2);
    TVector result;
    try {
      CallFunction("", name, args, result);
      ADD_FAILURE() << name << ": no exception";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), "Invalid number of function arguments.") << name;
    }
  }
}

TEST_F(TRegistry, EntriesWithoutCallbackGiveTheEmptyVector) {
  AddFunction("Test", "hollow", TCallback(), "", 1);
  EXPECT_TRUE(FunctionExists("", "hollow", 1));
  TVector result{5};
  const TVector args[] = {{1}};
  CallFunction("", "hollow", args, result);
  EXPECT_EQ(result, TVector());
}

TEST_F(TRegistry, ErrorsOfACallbackPassThroughAndLeaveTheResult) {
  TVector result{5};
  const TVector args[] = {{0}};
  EXPECT_THROW(CallFunction("", "ln", args, result), EZeroDivide);
  EXPECT_EQ(result, TVector{5});
}

TEST_F(TRegistry, ShutDownFreesTheTableAndStartUpRegistersAgain) {
  FinalizeFramework();
  EXPECT_FALSE(FunctionExists("", "plus"));
  EXPECT_EQ(Call("plus", {{1}, {2}}), TVector());
  InitializeFramework();
  EXPECT_EQ(Call("plus", {{1}, {2}}), TVector{3});
}

} // namespace

// The 73 built-in functions called by name through the registry. Expected values are
// worked out by hand or with decimal arithmetic to 40 digits, not with the code under test.

#include "app/uStartup.h"
#include "expr/functions/uGoniometricFunctions.h"
#include "expr/functions/uMathFunctions.h"
#include "expr/functions/uStatisticsFunctions.h"
#include "platform/uExceptions.h"
#include "support/TestVectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();

struct TTypicalCall {
  const char* Name;
  std::vector<TVector> Args;
  TVector Expected;
};

const TTypicalCall TypicalCalls[] = {
    // Arithmetic, comparison and conditional tests
    {"x", {}, {}},
    {"IfElse", {{1}, {2}, {3}}, {2}},
    {"Equal", {{2}, {2}}, {1}},
    {"Greater", {{3}, {2}}, {1}},
    {"Less", {{3}, {2}}, {0}},
    {"GreaterOrEqual", {{2}, {2}}, {1}},
    {"LessOrEqual", {{3}, {2}}, {0}},
    {"E", {}, {2.71828182845904523536L}},
    {"C", {}, {299792458}},
    {"neg", {{1, -2}}, {-1, 2}},
    {"inv", {{4}}, {0.25L}},
    {"plus", {{1}, {2}}, {3}},
    {"minus", {{5}, {3}}, {2}},
    {"mul", {{6}, {7}}, {42}},
    {"div", {{7}, {2}}, {3.5L}},
    {"mod", {{7}, {3}}, {1}},
    {"power", {{2}, {10}}, {1024}},
    {"log", {{10}, {1000}}, {3}},
    {"ln", {{10}}, {2.30258509299404568402L}},
    {"sqr", {{12}}, {144}},
    {"sqrt", {{2}}, {1.41421356237309504880L}},
    {"trunc", {{2.7L}}, {2}},
    {"floor", {{-2.5L}}, {-3}},
    {"round", {{2.5L}}, {3}},
    {"ceil", {{2.1L}}, {3}},
    {"frac", {{2.75L}}, {0.75L}},
    {"abs", {{-3}}, {3}},
    {"not", {{5}}, {-6}},
    {"inc", {{1}}, {2}},
    {"dec", {{1}}, {0}},
    {"exp", {{1}}, {2.71828182845904523536L}},
    {"fact", {{5}}, {120}},
    {"gamma", {{0.5L}}, {1.77245385090551602730L}},
    // Logic
    {"false", {}, {0}},
    {"true", {}, {1}},
    {"shl", {{1}, {4}}, {16}},
    {"shr", {{256}, {4}}, {16}},
    {"and", {{12}, {10}}, {8}},
    {"or", {{1}, {2}, {4}}, {7}},
    {"nor", {{1}, {2}}, {-4}},
    {"xor", {{5}, {1}}, {4}},
    {"xnor", {{5}, {1}}, {-5}},
    // Goniometric
    {"PI", {}, {3.14159265358979323846L}},
    {"Sin", {{1}}, {0.84147098480789650665L}},
    {"Cos", {{1}}, {0.54030230586813971740L}},
    {"Tan", {{1}}, {1.55740772465490223051L}},
    {"ArcSin", {{0.5L}}, {0.52359877559829887308L}},
    {"ArcCos", {{0.5L}}, {1.04719755119659774615L}},
    {"Sinh", {{1}}, {1.17520119364380145688L}},
    {"Cosh", {{1}}, {1.54308063481524377848L}},
    {"Tanh", {{1}}, {0.76159415595576488812L}},
    {"ArcSinh", {{1}}, {0.88137358701954302523L}},
    {"ArcCosh", {{2}}, {1.31695789692481670863L}},
    {"ArcTanh", {{0.5L}}, {0.54930614433405484570L}},
    // Statistics
    {"Avg", {{1}, {2}, {6}}, {3}},
    {"AvgG", {{2}, {8}}, {4}},
    {"AvgH", {{1}, {4}, {4}}, {2}},
    {"Count", {{1}, {2}, {3}}, {3}},
    {"Min", {{3}, {1}, {2}}, {1}},
    {"Max", {{3}, {1}, {2}}, {3}},
    {"Skew", {{1}, {2}, {3}, {10}}, {-12.5186184541266373720L}},
    {"Sum", {{1}, {2}, {3}}, {6}},
    {"dx", {{1}, {2}, {3}, {6}}, {1.5L}},
    {"Variance0", {{1}, {2}, {3}, {4}}, {1.25L}},
    {"ex", {{2}, {4}, {4}, {4}, {5}, {5}, {7}, {9}}, {2}},
    {"VarianceCoef", {{2}, {4}}, {0.57735026918962576451L}},
    {"Random", {{1}}, {0}},
    // Physics and chess
    {"Gravity", {{12756000}}, {4.903325L}},
    {"Elo", {{0.75L}}, {193}},
    {"ArcElo", {{193}}, {0.75L}},
    {"EloC", {{10}, {2000}, {2100}, {1}}, {6.4L}},
    {"EloDif", {{10}, {2000}, {2100}, {1}}, {6.4L}},
    {"EloPerfo", {{2000}, {2100}, {1}, {1900}, {0.5L}}, {2193}},
};

TEST(TBuiltInFunctions, EachGivesItsValueForATypicalArgument) {
  std::set<std::string> covered;
  for (const TTypicalCall& call : TypicalCalls) {
    TVector result;
    CallFunction("", call.Name, call.Args, result);
    EXPECT_TRUE(VectorNear(result, call.Expected, 4e-19L)) << call.Name;
    covered.insert(call.Name);
  }
  EXPECT_EQ(covered.size(), 73u);
}

TEST(TBuiltInFunctions, ExtendedPrecisionConstantsAreExact) {
  EXPECT_EQ(Call("PI"), TVector{3.1415926535897932385L});
  EXPECT_EQ(Call("E"), TVector{2.7182818284590452354L});
}

// Arithmetic, comparison and logic

TEST(TMathFunctions, XIsTheHostsVariable) {
  EXPECT_EQ(Call("x"), TVector());
  VariableX = TVector{1, 2};
  EXPECT_EQ(Call("X"), (TVector{1, 2}));
  VariableX = TVector();
}

TEST(TMathFunctions, IfElseTestsTheFirstElementAndReturnsAWholeArgument) {
  EXPECT_EQ(Call("IfElse", {{0}, {1}, {2}}), TVector{2});
  EXPECT_EQ(Call("IfElse", {{0, 5}, {1}, {2}}), TVector{2});
  EXPECT_EQ(Call("IfElse", {{3}, {1, 2}, {9}}), (TVector{1, 2}));
  EXPECT_EQ(Call("IfElse", {{}, {1}, {}}), TVector());
}

TEST(TMathFunctions, ComparisonsCompareScalars) {
  EXPECT_EQ(Call("Equal", {{2}, {2, 7}}), TVector{1});
  EXPECT_EQ(Call("Less", {{}, {1}}), TVector{1});
  EXPECT_EQ(Call("GreaterOrEqual", {{}, {0}}), TVector{1});
  EXPECT_EQ(Call("Greater", {{-1}, {}}), TVector{0});
}

TEST(TMathFunctions, IncAndDecChangeTheFirstElementOnly) {
  EXPECT_EQ(Call("inc", {{1, 2}}), (TVector{2, 2}));
  EXPECT_EQ(Call("dec", {{}}), TVector{-1});
}

TEST(TMathFunctions, DivisionAndModulo) {
  EXPECT_EQ(Call("mod", {{-7}, {3}}), TVector{2});
  EXPECT_EQ(Call("div", {{1}, {0}}), TVector{Inf});
  EXPECT_EQ(Call("inv", {{0}}), TVector{Inf});
  EXPECT_EQ(Call("inv", {{2, 2}}), TVector{0.25L});
}

TEST(TMathFunctions, PowersAndLogarithms) {
  EXPECT_TRUE(VectorNear(Call("log", {{2}, {8}}), TVector{3}));
  EXPECT_EQ(Call("power", {{2}, {10}}), TVector{1024});
  EXPECT_EQ(Call("power", {{0}, {0}}), TVector{1});
}

TEST(TMathFunctions, Rounding) {
  EXPECT_EQ(Call("round", {{-2.5L}}), TVector{-3});
  EXPECT_EQ(Call("trunc", {{-2.5L}}), TVector{-2});
  EXPECT_EQ(Call("floor", {{-2.5L}}), TVector{-3});
  EXPECT_EQ(Call("ceil", {{2.1L}}), TVector{3});
  EXPECT_EQ(Call("frac", {{-2.5L}}), TVector{-0.5L});
  EXPECT_EQ(Call("not", {{0}}), TVector{-1});
  EXPECT_EQ(Call("not", {{2.5L}}), TVector{-4});
}

TEST(TMathFunctions, Factorials) {
  EXPECT_EQ(Call("fact", {{5}}), TVector{120});
  EXPECT_EQ(Call("fact", {{170.5L}}), Call("gamma", {{171.5L}}));
  EXPECT_EQ(Call("fact", {{1755}}), TVector{Inf});
}

TEST(TLogicFunctions, FoldTheirArgumentsFromTheLeft) {
  EXPECT_EQ(Call("and"), TVector());
  EXPECT_EQ(Call("and", {{2.5L}}), TVector{2.5L}) << "a single argument comes back unrounded";
  EXPECT_EQ(Call("and", {{5, 6}, {4}}), (TVector{4, 4}));
  EXPECT_EQ(Call("and", {{12}, {10}, {6}}), TVector{0});
  EXPECT_EQ(Call("or", {{1}, {2}, {4}}), TVector{7});
  EXPECT_EQ(Call("xor", {{5}, {1}}), TVector{4});
  EXPECT_EQ(Call("shr", {{256}, {4}}), TVector{16});
  EXPECT_EQ(Call("shl", {{1}, {4}}), TVector{16});
  // not(not(1 or 2) or 4) = not(-4 or 4) = not(-4) = 3
  EXPECT_EQ(Call("nor", {{1}, {2}, {4}}), TVector{3});
  EXPECT_EQ(Call("nor", {{1, 7}, {2}}), TVector{-4}) << "nor collapses to one element";
  EXPECT_EQ(Call("true"), TVector{1});
  EXPECT_EQ(Call("false"), TVector{0});
}

TEST(TMathFunctions, ErrorsOfTheVectorLayerPassThrough) {
  EXPECT_THROW(Call("ln", {{0}}), EZeroDivide);
  EXPECT_THROW(Call("sqrt", {{-1}}), EInvalidOp);
  EXPECT_THROW(Call("log", {{1}, {5}}), EZeroDivide);
  EXPECT_THROW(Call("gamma", {{0}}), EZeroDivide);
  EXPECT_THROW(Call("exp", {{20000}}), EOverflow);
}

// Goniometric functions

TEST(TGoniometricFunctions, SpecialValues) {
  EXPECT_TRUE(VectorNear(Call("Sin", {{3.1415926535897932385L / 2}}), TVector{1}));
  EXPECT_EQ(Call("ArcTanh", {{1}}), TVector{Inf});
  EXPECT_EQ(Call("ArcTanh", {{-1}}), TVector{-Inf});
  EXPECT_EQ(Call("Cosh", {{0}}), TVector{1});
  EXPECT_EQ(Call("Sinh", {{1e-17L}}), TVector{0});
  EXPECT_EQ(Call("Tanh", {{-1e-17L}}), TVector{0});
  EXPECT_EQ(Call("Sin", {{1e19L}}), TVector{0});
  EXPECT_EQ(Call("Cos", {{-1e19L}}), TVector{0});
}

TEST(TGoniometricFunctions, ArcSinhIsOddAndExactForLargeNegativeArguments) {
  EXPECT_TRUE(VectorNear(Call("ArcSinh", {{-1}}), TVector{-0.88137358701954302523L}));
  EXPECT_TRUE(VectorNear(Call("ArcSinh", {{-1e10L}}), TVector{-23.7189981105004021496L}));
}

TEST(TGoniometricFunctions, ErrorsOutsideTheDomains) {
  EXPECT_THROW(Call("ArcSin", {{2}}), EInvalidOp);
  EXPECT_THROW(Call("ArcCos", {{-1.5L}}), EInvalidOp);
  EXPECT_THROW(Call("ArcCosh", {{0.5L}}), EInvalidOp);
  EXPECT_THROW(Call("ArcCosh", {{-2}}), EInvalidOp);
  EXPECT_THROW(Call("ArcCosh", {{-1}}), EZeroDivide);
  EXPECT_THROW(Call("ArcTanh", {{2}}), EInvalidOp);
  EXPECT_THROW(Call("Cosh", {{20000}}), EOverflow);
  EXPECT_THROW(Call("Sinh", {{-20000}}), EOverflow);
  EXPECT_THROW(Call("Tanh", {{20000}}), EOverflow);
}

TEST(TGoniometricFunctions, OtherAngleUnitsConvertCircularFunctionsOnly) {
  AngleUnit = auDegree;
  EXPECT_TRUE(VectorNear(Call("Sin", {{30}}), TVector{0.5L}));
  EXPECT_TRUE(VectorNear(Call("ArcCos", {{0.5L}}), TVector{60}));
  EXPECT_TRUE(VectorNear(Call("Sinh", {{1}}), TVector{1.17520119364380145688L}));
  AngleUnit = auTurn;
  EXPECT_TRUE(VectorNear(Call("Cos", {{0.5L}}), TVector{-1}));
  AngleUnit = auGrad;
  EXPECT_TRUE(VectorNear(Call("ArcSin", {{1}}), TVector{100}));
  AngleUnit = auRadian;
}

// Statistics

TEST(TStatisticsFunctions, CountSumAndMeans) {
  EXPECT_EQ(Call("Count"), TVector{0});
  EXPECT_EQ(Call("Count", {{1, 2}, {3}}), TVector{2});
  EXPECT_EQ(Call("Sum", {{1, 2}, {10}}), (TVector{11, 2}));
  EXPECT_EQ(Call("Avg", {{1}, {2}, {6}}), TVector{3});
  EXPECT_EQ(Call("Avg", {{2, 4}, {4}}), (TVector{3, 2}));
  EXPECT_TRUE(VectorNear(Call("AvgG", {{2}, {8}}), TVector{4}));
  EXPECT_TRUE(VectorNear(Call("AvgH", {{1}, {4}, {4}}), TVector{2}));
  EXPECT_EQ(Call("AvgH", {{0}, {4}}), TVector{0}) << "a zero observation makes the term infinite";
}

TEST(TStatisticsFunctions, NoArgumentGivesTheEmptyVector) {
  for (const char* name : {"Avg", "AvgG", "AvgH", "Min", "Max", "Skew", "Sum", "dx", "Variance0",
                           "ex", "VarianceCoef"})
    EXPECT_EQ(Call(name), TVector()) << name;
}

TEST(TStatisticsFunctions, MinAndMaxReturnTheWinningArgumentWhole) {
  EXPECT_EQ(Call("Min", {{5}, {1, 1}, {2}}), (TVector{1, 1})) << "the earlier of equal sums";
  EXPECT_EQ(Call("Max", {{3}, {1, 2}}), TVector{3});
}

TEST(TStatisticsFunctions, SpreadFigures) {
  EXPECT_EQ(Call("Variance0", {{1}, {2}, {3}, {4}}), TVector{1.25L});
  EXPECT_EQ(Call("ex", {{2}, {4}, {4}, {4}, {5}, {5}, {7}, {9}}), TVector{2});
  EXPECT_EQ(Call("Variance0", {{5}}), TVector());
  EXPECT_EQ(Call("ex", {{5}}), TVector());
  EXPECT_EQ(Call("dx", {{1}, {2}, {3}, {6}}), TVector{1.5L});
  EXPECT_EQ(Call("dx", {{4}}), TVector());
  EXPECT_TRUE(VectorNear(Call("VarianceCoef", {{2}, {4}}), TVector{0.57735026918962576451L}));
}

TEST(TStatisticsFunctions, ErrorsOfNegativeMeansAndProducts) {
  EXPECT_THROW(Call("VarianceCoef", {{-2}, {-4}}), EInvalidOp);
  EXPECT_THROW(Call("AvgG", {{-2}, {8}}), EInvalidOp);
  EXPECT_EQ(Call("AvgG", {{-2}}), TVector{-2}) << "one observation is its own mean";
}

TEST(TStatisticsFunctions, RandomIsTheSameSequenceInEveryRun) {
  // Restarting the framework resets the generator, as a new process starts with seed 0.
  FinalizeFramework();
  InitializeFramework();
  const long double expected[] = {0, 0, 8, 2, 2, 6};
  for (long double value : expected)
    EXPECT_EQ(Call("Random", {{10}}), TVector{value});
  EXPECT_EQ(Call("Random", {{1}}), TVector{0});
  EXPECT_EQ(Call("Random", {{0}}), TVector{0});
  RandomSeed = 0;
  EXPECT_EQ(Call("Random"), TVector{0}) << "the first draw from seed 0";
  for (int i = 0; i < 100; ++i) {
    long double unit = Call("Random")[0];
    EXPECT_TRUE(unit >= 0 && unit < 1) << unit;
    long double negative = Call("Random", {{-10}})[0];
    EXPECT_TRUE(negative > -10 && negative <= 0) << negative;
  }
}

// Physics and chess

TEST(TPhysicsFunctions, GravityIsInverselyProportionalToTheDistance) {
  EXPECT_EQ(Call("Gravity"), TVector{9.80665L});
  EXPECT_EQ(Call("Gravity", {{6378000}}), TVector{9.80665L});
  EXPECT_EQ(Call("Gravity", {{12756000}}), TVector{4.903325L});
  EXPECT_EQ(Call("Gravity", {{0}}), TVector());
  EXPECT_EQ(Call("Gravity", {{-1}}), TVector());
}

TEST(TEloFunctions, EloGivesTheDifferenceForAScore) {
  const struct {
    long double score;
    long double difference;
  } rows[] = {{1, 765},      {0, -765},     {0.5L, 0},  {0.75L, 193},
              {0.25L, -193}, {0.996L, 765}, {-1, -765}, {2, 765}};
  for (const auto& row : rows)
    EXPECT_EQ(Call("Elo", {{row.score}}), TVector{row.difference}) << row.score;
  EXPECT_EQ(Call("Elo"), TVector());
  EXPECT_EQ(Call("Elo", {{}}), TVector{-765}) << "an empty score counts as 0";
}

TEST(TEloFunctions, EloWithOpponentsAveragesTheirRatings) {
  EXPECT_EQ(Call("Elo", {{2000}, {0.75L}}), TVector{2193});
  EXPECT_EQ(Call("Elo", {{2000}, {2200}, {1}}), TVector{2482.5L});
}

TEST(TEloFunctions, ArcEloFindsTheNearestScore) {
  const struct {
    long double difference;
    long double score;
  } rows[] = {{193, 0.75L}, {0, 0.5L}, {-100, 0.36L}, {1000, 1}, {-1000, 0}, {1e12L, 1}};
  for (const auto& row : rows)
    EXPECT_EQ(Call("ArcElo", {{row.difference}}), TVector{row.score}) << row.difference;
  EXPECT_EQ(Call("ArcElo"), TVector{0.5L});
  EXPECT_EQ(Call("ArcElo", {{100}, {93}}), TVector{0.75L}) << "several arguments are summed";
}

TEST(TEloFunctions, RatingsByLayout) {
  EXPECT_EQ(Call("EloPerfo", {{2000}, {2100}, {1}, {1900}, {0.5L}}), TVector{2193});
  EXPECT_TRUE(VectorNear(Call("EloDif", {{10}, {2000}, {2100}, {1}}), TVector{6.4L}));
  // The opponent rated 1500 counts as 1700 against 2000 in the coefficient layout: the
  // expected score is 0.85 (difference 300), so a win gains 10 * 0.15.
  EXPECT_TRUE(VectorNear(Call("EloDif", {{10}, {2000}, {1500}, {1}}), TVector{1.5L}));
  // The performance layout takes 1500 as it is: 1500 + 765 for a win.
  EXPECT_EQ(Call("EloPerfo", {{2000}, {1500}, {1}}), TVector{2265});
  EXPECT_EQ(Call("EloC", {{2000}, {2100}}), TVector());
  EXPECT_EQ(Call("EloPerfo", {{2000}, {0}, {1}}), TVector());
}

} // namespace

// The dexpr tool, run as a user runs it, under the C locale.

#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TProcessResult Dexpr(const std::vector<std::string>& Args, const std::string& Input = "") {
  return RunProcess(DEXPR_PATH, Args, Input, {"LC_ALL=C"});
}

struct TCase {
  std::vector<std::string> Args;
  std::string Out;
  int ExitCode;
};

void ExpectCases(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    TProcessResult result = Dexpr(c.Args);
    std::string call;
    for (const std::string& arg : c.Args)
      call += " '" + arg + "'";
    EXPECT_EQ(result.Out, c.Out) << "dexpr" << call;
    EXPECT_EQ(result.ExitCode, c.ExitCode) << "dexpr" << call << "\n" << result.Err;
  }
}

TEST(Dexpr, ReadsExpressionsLikeAField) {
  ExpectCases({
      {{"1+2*3", "7 mod 3"}, "7\n1\n", 0},
      {{"abc"}, "0\n[Error] (1, 1..4): Undeclared identifier 'abc'\n", 1},
      {{"--min", "0", "--max", "2147483647", "--", "-5"},
       "0\n[Error] (1, 3..3): Value -5 out of range 0..2147483647\n",
       1},
      {{"--min=0", "--max=2147483647", "--default", "180", ""}, "180\n", 0},
      {{"--", "-0"}, "0\n", 0},
      {{"1/3"}, "0.333333333333333\n", 0},
      {{"10^20"}, "1E20\n", 0},
      {{"--max", "1e4932", "1/0"},
       "1E4932\n[Error] (1, 4..4): Value INF out of range -1.18973149535723E4932..1E4932\n",
       1},
      {{"\xC2\xAC"
        "0"},
       "-1\n",
       0},
      {{"Random(10)", "Random(10)", "Random(10)", "Random(10)"}, "0\n0\n8\n2\n", 0},
      {{"--fixed-format", "1,000.5"}, "1000.5\n", 0},
  });
}

TEST(Dexpr, ReproducesTheReadingRules) {
  ExpectCases({
      {{"1,2", "1, 2"},
       "1\n[Error] (1, 2..3): Line too long, unused chars\n"
       "1\n[Error] (1, 2..3): Line too long, unused chars\n",
       1},
      {{"--fixed-format", "sum(1,2)", "sum(1, 2)", "sum(1;2)"}, "12\n3\n3\n", 0},
      {{"1.2.3", "1:30", "1:00:00", "50%", "$1F", "0x1f", "0o17", "#101", "2E3", "2e+3", "2E-3"},
       "1.23\n90\n3600\n0.5\n31\n31\n15\n5\n2000\n2000\n0.002\n",
       0},
      {{"1-0-5", "0+min(1;2)"}, "-4\n1\n", 0},
      {{".5"}, "0\n[Error] (1, 1..2): Line too long, unused chars\n", 1},
      {{"9E4932"}, "9\n[Error] (1, 7..7): Value out of range.\n", 1},
      {{"?"}, "0\n[Error] (1, 1..2): Line too long, unused chars\n", 1},
      {{"--", "1+2*3", "(1+2)*3", "[1+2]*3", "2^3", "3!", "2*3!", "1+2=3", "3=1+2", "-5", "2*(-3)",
        "7 mod 3", "2 max 5"},
       "7\n9\n9\n8\n6\n12\n1\n2\n-5\n-6\n1\n5\n",
       0},
      {{"2^3^2"}, "8\n[Error] (1, 4..5): Line too long, unused chars\n", 1},
      {{"2*-3"}, "-3\n[Error] (1, 3..4): Expression expected but '-' found\n", 1},
      {{"--default", "4", "sqrt"}, "4\n[Error] (1, 5..5): Illegal number of parameters (0)\n", 1},
      {{"(1+2"}, "3\n[Error] (1, 5..5): ')' expected but '' found\n", 1},
      {{"sum(1;2,"}, "3\n[Error] (1, 9..9): '')', ',' or expression' expected but '' found\n", 1},
      {{"--min", "0", "--max", "2147483647", "1/0"},
       "2147483647\n[Error] (1, 4..4): Value INF out of range 0..2147483647\n",
       1},
      {{"--max", "100", "max(1;2)", "MAX", "min"},
       "100\n[Error] (1, 4..5): Line too long, unused chars\n100\n"
       "-1.18973149535723E4932\n",
       1},
      {{"--default", "5", "abc"}, "5\n[Error] (1, 1..4): Undeclared identifier 'abc'\n", 1},
      {{"12 34"}, "12\n[Error] (1, 4..6): Line too long, unused chars\n", 1},
      {{""}, "0\n", 0},
  });
}

TEST(Dexpr, FloatingPointErrorsGoToStandardErrorAndReadingGoesOn) {
  TProcessResult result = Dexpr({"ln(0)", "1+1", "sqrt(-1)"});
  EXPECT_EQ(result.Out, "2\n");
  EXPECT_EQ(result.Err, "Floating point division by zero\nInvalid floating point operation\n");
  EXPECT_EQ(result.ExitCode, 3);
}

TEST(Dexpr, ReadsLinesOfStandardInput) {
  TProcessResult result = Dexpr({}, "1+1\r\n\n2*3\nabc");
  EXPECT_EQ(result.Out, "2\n0\n6\n0\n[Error] (1, 1..4): Undeclared identifier 'abc'\n");
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(Dexpr({}, "5\n").Out, "5\n") << "no line after the last line end";
  EXPECT_EQ(Dexpr({}, "").Out, "");
}

TEST(Dexpr, UsageErrors) {
  const std::vector<std::vector<std::string>> calls = {
      {"--bogus"},       {"-5"},           {"--min", "abc"},     {"--min=1e5000"}, {"--max"},
      {"--min", "0x10"}, {"--min", "inf"}, {"--fixed-format=1"},
  };
  for (const auto& args : calls) {
    TProcessResult result = Dexpr(args);
    EXPECT_EQ(result.ExitCode, 2) << args[0];
    EXPECT_EQ(result.Out, "") << args[0];
    EXPECT_NE(result.Err.find("dexpr: "), std::string::npos) << args[0];
  }
  EXPECT_EQ(Dexpr({"-"}).ExitCode, 1) << "a lone minus is an expression";
}

TEST(Dexpr, ListsTheFunctionsAndHelps) {
  TProcessResult result = Dexpr({"--functions"});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Out.rfind("Variable\tx\t0\tVariable X.\nConditional Tests\tIfElse\t3\t", 0), 0u);
  EXPECT_NE(result.Out.find("\nStatistics\tSum\tany\thttps://"), std::string::npos);
  EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), 73);
  TProcessResult help = Dexpr({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_EQ(help.Out.rfind("usage: dexpr", 0), 0u);
}

} // namespace

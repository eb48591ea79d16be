// The dexpr tool, run as a user runs it, under the C locale.

#include "support/ChildProcess.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> CLocale = {"LC_ALL=C"};
// How long a child may keep a test waiting; only reached when dexpr hangs.
constexpr std::chrono::seconds Guard{30};

TProcessResult Dexpr(const std::vector<std::string>& Args, const std::string& Input = "") {
  return RunProcess(DEXPR_PATH, Args, Input, CLocale);
}

std::string Call(const std::vector<std::string>& Args) {
  std::string call = "dexpr";
  for (const std::string& arg : Args)
    call += " '" + arg + "'";
  return call;
}

struct TCase {
  std::vector<std::string> Args;
  std::string Out;
  std::string Err;
  int ExitCode;
};

void ExpectCases(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    TProcessResult result = Dexpr(c.Args);
    EXPECT_EQ(result.Out, c.Out) << Call(c.Args);
    EXPECT_EQ(result.Err, c.Err) << Call(c.Args);
    EXPECT_EQ(result.ExitCode, c.ExitCode) << Call(c.Args);
  }
}

TEST(Dexpr, ReadsExpressionsLikeAField) {
  ExpectCases({
      {{"1+2*3", "7 mod 3"}, "7\n1\n", "", 0},
      {{"abc"}, "0\n", "[Error] (1, 1..4): Undeclared identifier 'abc'\n", 1},
      {{"--min", "0", "--max", "2147483647", "--", "-5"},
       "0\n",
       "[Error] (1, 3..3): Value -5 out of range 0..2147483647\n",
       1},
      {{"--min=0", "--max=2147483647", "--default", "180", ""}, "180\n", "", 0},
      {{"--", "-0"}, "0\n", "", 0},
      {{"1/3"}, "0.333333333333333\n", "", 0},
      {{"10^20"}, "1E20\n", "", 0},
      {{"--max", "1e4932", "1/0"},
       "1E4932\n",
       "[Error] (1, 4..4): Value INF out of range -1.18973149535723E4932..1E4932\n",
       1},
      {{"\xC2\xAC"
        "0"},
       "-1\n",
       "",
       0},
      {{"Random(10)", "Random(10)", "Random(10)", "Random(10)"}, "0\n0\n8\n2\n", "", 0},
      {{"--fixed-format", "1,000.5"}, "1000.5\n", "", 0},
      {{"--min", "3", "--max", "3", "5"},
       "3\n",
       "[Error] (1, 2..2): Value 5 out of range 3..3\n",
       1},
  });
}

TEST(Dexpr, ReproducesTheReadingRules) {
  ExpectCases({
      {{"1,2", "1, 2"},
       "1\n1\n",
       "1: [Error] (1, 2..3): Line too long, unused chars\n"
       "2: [Error] (1, 2..3): Line too long, unused chars\n",
       1},
      {{"--fixed-format", "sum(1,2)", "sum(1, 2)", "sum(1;2)"}, "12\n3\n3\n", "", 0},
      {{"1.2.3", "1:30", "1:00:00", "50%", "$1F", "0x1f", "0o17", "#101", "2E3", "2e+3", "2E-3"},
       "1.23\n90\n3600\n0.5\n31\n31\n15\n5\n2000\n2000\n0.002\n",
       "",
       0},
      {{"1-0-5", "0+min(1;2)"}, "-4\n1\n", "", 0},
      {{".5"}, "0\n", "[Error] (1, 1..2): Line too long, unused chars\n", 1},
      {{"9E4932"}, "9\n", "[Error] (1, 7..7): Value out of range.\n", 1},
      {{"?"}, "0\n", "[Error] (1, 1..2): Line too long, unused chars\n", 1},
      {{"--", "1+2*3", "(1+2)*3", "[1+2]*3", "2^3", "3!", "2*3!", "1+2=3", "3=1+2", "-5", "2*(-3)",
        "7 mod 3", "2 max 5"},
       "7\n9\n9\n8\n6\n12\n1\n2\n-5\n-6\n1\n5\n",
       "",
       0},
      {{"2^3^2"}, "8\n", "[Error] (1, 4..5): Line too long, unused chars\n", 1},
      {{"2*-3"}, "-3\n", "[Error] (1, 3..4): Expression expected but '-' found\n", 1},
      {{"--default", "4", "sqrt"},
       "4\n",
       "[Error] (1, 5..5): Illegal number of parameters (0)\n",
       1},
      {{"(1+2"}, "3\n", "[Error] (1, 5..5): ')' expected but '' found\n", 1},
      {{"sum(1;2,"},
       "3\n",
       "[Error] (1, 9..9): '')', ',' or expression' expected but '' found\n",
       1},
      {{"--min", "0", "--max", "2147483647", "1/0"},
       "2147483647\n",
       "[Error] (1, 4..4): Value INF out of range 0..2147483647\n",
       1},
      {{"--max", "100", "max(1;2)", "MAX", "min"},
       "100\n100\n-1.18973149535723E4932\n",
       "1: [Error] (1, 4..5): Line too long, unused chars\n",
       1},
      {{"--default", "5", "abc"}, "5\n", "[Error] (1, 1..4): Undeclared identifier 'abc'\n", 1},
      {{"12 34"}, "12\n", "[Error] (1, 4..6): Line too long, unused chars\n", 1},
      {{""}, "0\n", "", 0},
      {{"1", "(abc", "2"},
       "1\n0\n2\n",
       "2: [Error] (1, 2..5): Undeclared identifier 'abc'\n"
       "2: [Error] (1, 5..5): Expression expected but '' found\n"
       "2: [Error] (1, 5..5): ')' expected but '' found\n",
       1},
  });
}

TEST(Dexpr, FloatingPointErrorsLeaveAnEmptyLineAndReadingGoesOn) {
  ExpectCases({
      {{"ln(0)", "1+1", "sqrt(-1)"},
       "\n2\n\n",
       "1: Floating point division by zero\n3: Invalid floating point operation\n",
       3},
      {{"ln(0)"}, "\n", "Floating point division by zero\n", 3},
      {{"abc", "1/0*0"},
       "0\n\n",
       "1: [Error] (1, 1..4): Undeclared identifier 'abc'\n2: Invalid floating point operation\n",
       3},
      {{"ln(0) 1"},
       "\n",
       "Floating point division by zero\n[Error] (1, 7..8): Line too long, unused chars\n",
       3},
  });
}

TEST(Dexpr, ReadsLinesOfStandardInput) {
  TProcessResult result = Dexpr({}, "1+1\r\n\n2*3\nabc");
  EXPECT_EQ(result.Out, "2\n0\n6\n0\n");
  EXPECT_EQ(result.Err, "4: [Error] (1, 1..4): Undeclared identifier 'abc'\n");
  EXPECT_EQ(result.ExitCode, 1);
  result = Dexpr({}, "ln(0)\n7\r");
  EXPECT_EQ(result.Out, "\n7\n");
  EXPECT_EQ(result.Err, "1: Floating point division by zero\n"
                        "2: [Error] (2, 1..1): Line too long, unused chars\n")
      << "a CR without LF stays in the line, and ends a line of the text";
  EXPECT_EQ(result.ExitCode, 3);
  EXPECT_EQ(Dexpr({}, "abc\n").Err, "1: [Error] (1, 1..4): Undeclared identifier 'abc'\n")
      << "standard input numbers even a single line";
  EXPECT_EQ(Dexpr({}, "5\n").Out, "5\n") << "no line after the last line end";
  EXPECT_EQ(Dexpr({}, "").Out, "");
}

TEST(Dexpr, SkipsAByteOrderMarkAtTheStartOfStandardInput) {
  const std::string bom = "\xEF\xBB\xBF";
  TProcessResult result = Dexpr({}, bom + "1+1\n" + bom + "2\n");
  EXPECT_EQ(result.Out, "2\n0\n");
  EXPECT_EQ(result.Err, "2: [Error] (1, 1..2): Line too long, unused chars\n")
      << "a mark later on is the character U+FEFF, beyond Latin-1";
  EXPECT_EQ(result.ExitCode, 1);
  result = Dexpr({}, bom);
  EXPECT_EQ(result.Out, "") << "a mark alone is an empty input";
  EXPECT_EQ(result.ExitCode, 0);
}

// The Latin-1 text Latin1 as UTF-8, for the messages that show it.
std::string AsUtf8(std::string_view Latin1) {
  std::string utf8;
  for (char c : Latin1) {
    const unsigned code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 + code / 64);
      utf8 += static_cast<char>(0x80 + code % 64);
    }
  }
  return utf8;
}

TEST(Dexpr, ReadsBytesThatAreNotUtf8AsLatin1) {
  // Bytes, and the Latin-1 characters they read as: one a byte where the bytes are not a
  // well-formed UTF-8 sequence, "?" for a character beyond Latin-1.
  struct TRow {
    const char* What;
    std::string Bytes;
    std::string Latin1;
  };
  const std::vector<TRow> rows = {
      {"overlong 2-byte '+'", "\xC0\xAB", "\xC0\xAB"},
      {"overlong 2-byte U+007F", "\xC1\xBF", "\xC1\xBF"},
      {"overlong 3-byte '+'", "\xE0\x80\xAB", "\xE0\x80\xAB"},
      {"overlong 3-byte U+07FF", "\xE0\x9F\xBF", "\xE0\x9F\xBF"},
      {"overlong 4-byte '+'", "\xF0\x80\x80\xAB", "\xF0\x80\x80\xAB"},
      {"overlong 4-byte U+FFFF", "\xF0\x8F\xBF\xBF", "\xF0\x8F\xBF\xBF"},
      {"surrogate U+D800", "\xED\xA0\x80", "\xED\xA0\x80"},
      {"surrogate U+DFFF", "\xED\xBF\xBF", "\xED\xBF\xBF"},
      {"surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", "\xED\xA0\xBD\xED\xB8\x80"},
      {"U+110000", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
      {"lead F5", "\xF5\x80\x80\x80", "\xF5\x80\x80\x80"},
      {"5-byte form", "\xF8\x88\x80\x80\x80", "\xF8\x88\x80\x80\x80"},
      {"FE and FF", "\xFE\xFF", "\xFE\xFF"},
      {"2-byte cut at the end", "\xC3", "\xC3"},
      {"3-byte cut at the end", "\xE2\x82", "\xE2\x82"},
      {"4-byte cut before a character", "\xF0\x9F\x98\xC3\xA9", "\xF0\x9F\x98\xE9"},
      {"stray continuation", "\x80", "\x80"},
      {"two stray continuations", "\xBF\x80", "\xBF\x80"},
      {"continuation after a character", "\xC3\xA9\xA9", "\xE9\xA9"},
      {"U+0080", "\xC2\x80", "\x80"},
      {"U+00FF", "\xC3\xBF", "\xFF"},
      {"U+D7FF", "\xED\x9F\xBF", "?"},
      {"U+E000", "\xEE\x80\x80", "?"},
      {"U+20AC", "\xE2\x82\xAC", "?"},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", "?"},
  };
  // "1+" shows the first character in the message about the missing operand; in "sum(...)x"
  // the characters are skipped as stray argument text and the column of the "x" counts them.
  for (const TRow& row : rows) {
    TProcessResult result = Dexpr({"1+" + row.Bytes, "sum(" + row.Bytes + ")x"});
    const std::string first = AsUtf8(row.Latin1.substr(0, 1));
    const std::size_t x = 5 + row.Latin1.size();
    EXPECT_EQ(result.Out, "1\n0\n") << row.What;
    EXPECT_EQ(result.Err, "1: [Error] (1, 3..4): Expression expected but '" + first + "' found\n" +
                              "1: [Error] (1, 3..4): Line too long, unused chars\n" +
                              "2: [Error] (1, " + std::to_string(x + 1) + ".." +
                              std::to_string(x + 2) + "): Line too long, unused chars\n")
        << row.What;
  }
  TProcessResult result = Dexpr({"1\xC0\xAB"
                                 "2"});
  EXPECT_EQ(result.Out, "1\n") << "an overlong '+' is no operator";
  EXPECT_EQ(result.Err, "[Error] (1, 2..3): Line too long, unused chars\n");
}

TEST(Dexpr, AnswersEachLineAsSoonAsItIsRead) {
  TChildProcess dexpr(DEXPR_PATH, {}, {CLocale, "", RLIM_INFINITY});
  ASSERT_TRUE(dexpr.Started());
  const std::vector<std::pair<std::string, std::string>> exchanges = {
      {"1+1\n", "2\n"}, {"abc\n", "0\n"}, {"ln(0)\n", "\n"}, {"2*3\r\n", "6\n"}};
  for (const auto& [line, answer] : exchanges) {
    ASSERT_TRUE(dexpr.Write(line, Guard)) << line;
    ASSERT_EQ(dexpr.ReadLine(Guard), answer) << "the answer to " << line << " before the next line";
  }
  ASSERT_TRUE(dexpr.Write("7", Guard));
  TProcessResult result = dexpr.Finish(Guard);
  EXPECT_EQ(result.Out, "7\n") << "the last line needs no line end";
  EXPECT_EQ(result.Err, "2: [Error] (1, 1..4): Undeclared identifier 'abc'\n"
                        "3: Floating point division by zero\n");
  EXPECT_EQ(result.ExitCode, 3);
}

TEST(Dexpr, EndsWithAReasonWhenOutputCannotBeWritten) {
  const std::vector<std::vector<std::string>> calls = {{"1+1"},         {"1", "2"}, {},
                                                       {"--functions"}, {"--help"}, {"--version"}};
  for (const auto& args : calls) {
    TChildProcess dexpr(DEXPR_PATH, args, {CLocale, "/dev/full", RLIM_INFINITY});
    ASSERT_TRUE(dexpr.Started());
    dexpr.Write("1+1\n", Guard);
    TProcessResult result = dexpr.Finish(Guard);
    EXPECT_EQ(result.Err, "dexpr: write error: No space left on device\n") << Call(args);
    EXPECT_EQ(result.ExitCode, 4) << Call(args);
  }
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DEXPR_TEST_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DEXPR_TEST_UNDER_ASAN 1
#endif

TEST(Dexpr, EndsWithAReasonWhenMemoryRunsOut) {
#ifdef DEXPR_TEST_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer cannot run with a small address-space limit";
#endif
  // A sum of five million ones needs far more than 100 MiB to read: its text twice and its tree.
  std::string huge;
  for (int i = 0; i < 5'000'000; ++i)
    huge += "1+";
  TChildProcess dexpr(DEXPR_PATH, {}, {CLocale, "", rlim_t{100} << 20});
  ASSERT_TRUE(dexpr.Started());
  dexpr.Write("2\n" + huge + "1\n3\n", Guard);
  TProcessResult result = dexpr.Finish(Guard);
  EXPECT_EQ(result.Out, "2\n") << "the line before is answered, the program ends at the long one";
  EXPECT_EQ(result.Err, "dexpr: out of memory\n");
  EXPECT_EQ(result.ExitCode, 4);
}

TEST(Dexpr, UsageErrors) {
  const std::vector<std::vector<std::string>> calls = {
      {"--bogus"},
      {"-5"},
      {"--min", "abc"},
      {"--min=1e5000"},
      {"--max"},
      {"--min", "0x10"},
      {"--min", "inf"},
      {"--fixed-format=1"},
      {"--min", "5", "--max", "3", "4"},
      {"--max=-1", "--min=0"},
  };
  for (const auto& args : calls) {
    TProcessResult result = Dexpr(args);
    EXPECT_EQ(result.ExitCode, 2) << Call(args);
    EXPECT_EQ(result.Out, "") << Call(args);
    EXPECT_EQ(result.Err.rfind("dexpr: ", 0), 0u) << Call(args) << "\n" << result.Err;
    EXPECT_NE(result.Err.find("\nusage: dexpr"), std::string::npos) << Call(args);
  }
  EXPECT_EQ(Dexpr({"-"}).ExitCode, 1) << "a lone minus is an expression";
}

TEST(Dexpr, ListsTheFunctions) {
  TProcessResult result = Dexpr({"--functions"});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Out.rfind("Variable\tx\t0\tVariable X.\nConditional Tests\tIfElse\t3\t", 0), 0u);
  EXPECT_NE(result.Out.find("\nStatistics\tSum\tany\thttps://"), std::string::npos);
  EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), 73);
}

TEST(Dexpr, HelpNamesEveryOption) {
  TProcessResult help = Dexpr({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_EQ(help.Err, "");
  EXPECT_EQ(help.Out.rfind("usage: dexpr", 0), 0u);
  for (const char* option : {"--fixed-format", "--min", "--default", "--max", "--functions",
                             "--help", "--version", "--  "})
    EXPECT_NE(help.Out.find(std::string("\n  ") + option), std::string::npos) << option << " in\n"
                                                                              << help.Out;
}

TEST(Dexpr, TellsItsVersion) {
  // The project version, which the program information holds in four parts.
  const std::string version = DEXPR_VERSION;
  TProcessResult result = Dexpr({"--version"});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Err, "");
  EXPECT_TRUE(result.Out == "dexpr " + version + "\n" || result.Out == "dexpr " + version + ".0\n")
      << result.Out;
}

} // namespace

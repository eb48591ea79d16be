// dexpr at a terminal, driven through a pseudo-terminal as a person types: the prompt, results,
// messages with their caret lines, the history of an earlier run, and Tab completion.

#include "support/TerminalProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// How long dexpr may keep a test waiting; only reached when it hangs.
constexpr std::chrono::seconds Guard{20};
constexpr std::string_view Prompt = "dexpr> ";
constexpr std::string_view Enter = "\r";
constexpr std::string_view EndOfInput = "\x04";
constexpr std::string_view UpArrow = "\x1b[A";

// The lines a terminal shows, each between bars, for a failure's message.
std::string Shown(const std::vector<std::string>& Lines) {
  std::string text;
  for (const std::string& line : Lines)
    text += "|" + line + "|\n";
  return text;
}

class TDexprAtATerminal : public testing::Test {
 protected:
  // dexpr on a terminal of its own, in a UTF-8 locale, with its state and home in the test's
  // folder and no line-editing settings of the machine.
  std::unique_ptr<TTerminalProcess> Start(std::vector<std::string> Environment = {},
                                          const std::vector<std::string>& Args = {}) {
    const std::vector<std::string> standard = {"LC_ALL=C.UTF-8", "TERM=dumb", "INPUTRC=/dev/null",
                                               "HOME=" + (Folder / "home").string(),
                                               "XDG_STATE_HOME=" + (Folder / "state").string()};
    for (const std::string& entry : standard) {
      const std::string name = entry.substr(0, entry.find('=') + 1);
      if (std::none_of(Environment.begin(), Environment.end(),
                       [&](const std::string& e) { return e.starts_with(name); }))
        Environment.push_back(entry);
    }
    auto dexpr = std::make_unique<TTerminalProcess>(DEXPR_PATH, Args, Environment);
    EXPECT_TRUE(dexpr->Started());
    return dexpr;
  }

  // Types Line and Enter once dexpr asks for it.
  static void Enters(TTerminalProcess& Dexpr, std::string_view Line) {
    ASSERT_TRUE(Dexpr.WaitFor(Prompt, Guard)) << Dexpr.Shown();
    ASSERT_TRUE(Dexpr.Type(Line));
    ASSERT_TRUE(Dexpr.Type(Enter));
  }

  // Ends the input with Ctrl+D at the next prompt and returns the exit status.
  static int End(TTerminalProcess& Dexpr) {
    EXPECT_TRUE(Dexpr.WaitFor(Prompt, Guard)) << Dexpr.Shown();
    EXPECT_TRUE(Dexpr.Type(EndOfInput));
    return Dexpr.Finish(Guard);
  }

  // The lines shown after the one that ends with Line as typed after the prompt.
  static std::vector<std::string> LinesAfter(const TTerminalProcess& Dexpr, std::string_view Line,
                                             std::size_t Count) {
    const std::vector<std::string> lines = Dexpr.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == std::string(Prompt) + std::string(Line))
        return std::vector<std::string>(
            lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), i + 1 + Count)));
    return {};
  }

  TTempFolder Folder;
};

TEST_F(TDexprAtATerminal, AsksAndAnswersEachLine) {
  auto dexpr = Start();
  Enters(*dexpr, "1+2*3");
  Enters(*dexpr, "7 mod 3");
  Enters(*dexpr, "   ");
  EXPECT_EQ(End(*dexpr), 0);
  EXPECT_EQ(LinesAfter(*dexpr, "1+2*3", 1), std::vector<std::string>{"7"}) << dexpr->Shown();
  EXPECT_EQ(LinesAfter(*dexpr, "7 mod 3", 3), (std::vector<std::string>{"1", "dexpr>", "dexpr>"}))
      << "a blank line gets no answer, and the prompt comes again\n"
      << Shown(dexpr->Lines());
}

TEST_F(TDexprAtATerminal, ShowsEachMessageWithACaretLineUnderItsColumns) {
  auto dexpr = Start();
  // "é" is two bytes of UTF-8 and one column, as the reader counts it.
  Enters(*dexpr, "sum(\xC3\xA9)+abc");
  Enters(*dexpr, "(1+abc");
  Enters(*dexpr, "ln(0)");
  EXPECT_EQ(End(*dexpr), 3) << "a floating-point error is the worst outcome";

  const std::string indent(Prompt.size(), ' ');
  EXPECT_EQ(LinesAfter(*dexpr, "sum(\xC3\xA9)+abc", 3),
            (std::vector<std::string>{indent + "       ^~~",
                                      "[Error] (1, 8..11): Undeclared identifier 'abc'", "0"}))
      << Shown(dexpr->Lines());
  // A second message shows the line again above its caret line.
  const std::vector<std::string> bracket = LinesAfter(*dexpr, "(1+abc", 6);
  EXPECT_EQ(bracket, (std::vector<std::string>{
                         indent + "   ^~~", "[Error] (1, 4..7): Undeclared identifier 'abc'",
                         indent + "(1+abc", indent + "      ^",
                         "[Error] (1, 7..7): ')' expected but '' found", "1"}))
      << Shown(dexpr->Lines());
  EXPECT_EQ(LinesAfter(*dexpr, "ln(0)", 1),
            std::vector<std::string>{"Floating point division by zero"})
      << Shown(dexpr->Lines());
}

TEST_F(TDexprAtATerminal, RecallsTheHistoryOfAnEarlierRun) {
  {
    auto first = Start();
    Enters(*first, "6*7");
    EXPECT_EQ(End(*first), 0);
  }
  const std::filesystem::path history = Folder / "state" / "dexpr" / "history";
  EXPECT_EQ(ReadWholeFile(history), "6*7\n");

  auto second = Start();
  ASSERT_TRUE(second->WaitFor(Prompt, Guard));
  ASSERT_TRUE(second->Type(UpArrow));
  ASSERT_TRUE(second->Type(Enter));
  EXPECT_EQ(End(*second), 0);
  EXPECT_EQ(LinesAfter(*second, "6*7", 1), std::vector<std::string>{"42"})
      << Shown(second->Lines());
}

TEST_F(TDexprAtATerminal, KeepsTheHistoryInTheHomeWithoutAnAbsoluteStateFolder) {
  for (const std::string state : {"XDG_STATE_HOME=", "XDG_STATE_HOME=relative/state"}) {
    auto dexpr = Start({state});
    Enters(*dexpr, "2+2");
    EXPECT_EQ(End(*dexpr), 0) << state;
    const std::filesystem::path history =
        Folder / "home" / ".local" / "state" / "dexpr" / "history";
    EXPECT_EQ(ReadWholeFile(history), "2+2\n") << state << " (a repeated line is kept once)";
  }
}

TEST_F(TDexprAtATerminal, SaysWhenItCannotKeepTheHistoryAndGoesOn) {
  // A file where the state folder should be: no folder can be made inside it.
  const std::filesystem::path file = Folder / "file";
  std::ofstream(file).put('x');
  auto dexpr = Start({"XDG_STATE_HOME=" + file.string()});
  Enters(*dexpr, "1+1");
  EXPECT_EQ(End(*dexpr), 0);
  const std::vector<std::string> lines = dexpr->Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(
      lines[0].starts_with("dexpr: history not kept: " + file.string() + "/dexpr/history: "))
      << Shown(lines);
  EXPECT_EQ(LinesAfter(*dexpr, "1+1", 1), std::vector<std::string>{"2"}) << Shown(lines);
}

TEST_F(TDexprAtATerminal, TabCompletesFunctionNames) {
  auto dexpr = Start();
  ASSERT_TRUE(dexpr->WaitFor(Prompt, Guard));
  // Tab adds "r", the part "sqr(" and "sqrt(" share, and rings the bell, as more than one name
  // begins so; a "t" makes it one name, which Tab completes with its bracket.
  ASSERT_TRUE(dexpr->Type("sq\t"));
  ASSERT_TRUE(dexpr->WaitFor("sq\ar", Guard)) << dexpr->Shown();
  ASSERT_TRUE(dexpr->Type("t\t"));
  ASSERT_TRUE(dexpr->WaitFor("t(", Guard)) << dexpr->Shown();
  ASSERT_TRUE(dexpr->Type("16)"));
  ASSERT_TRUE(dexpr->Type(Enter));
  // Case is ignored, and a name without arguments gets no bracket.
  Enters(*dexpr, "2*pi\t");
  // Letters inside a number are no name.
  Enters(*dexpr, "0x1f\t");
  EXPECT_EQ(End(*dexpr), 0);
  EXPECT_EQ(LinesAfter(*dexpr, "sqrt(16)", 1), std::vector<std::string>{"4"})
      << Shown(dexpr->Lines());
  EXPECT_EQ(LinesAfter(*dexpr, "2*PI", 1), std::vector<std::string>{"6.28318530717959"})
      << Shown(dexpr->Lines());
  EXPECT_EQ(LinesAfter(*dexpr, "0x1f", 1), std::vector<std::string>{"31"}) << Shown(dexpr->Lines());
}

TEST_F(TDexprAtATerminal, ArgumentsAreReadWithoutPrompt) {
  auto dexpr = Start({}, {"1+2*3"});
  EXPECT_EQ(dexpr->Finish(Guard), 0);
  EXPECT_EQ(dexpr->Shown(), "7\r\n") << "the terminal turns LF into CR LF";
}

} // namespace

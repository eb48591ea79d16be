#include "report/uLog.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TLine {
  std::string Text;
  TMessageLevel Level;
  friend bool operator==(const TLine&, const TLine&) = default;
  friend std::ostream& operator<<(std::ostream& out, const TLine& line) {
    return out << int(line.Level) << ": " << line.Text;
  }
};

// Records the lines it gets; counts its destruction. Optionally logs from inside Add, or fails.
class TTestLog : public TLog {
 public:
  enum TBehaviour {
    Record,
    LogAgain,
    Fail
  };

  TTestLog(std::vector<TLine>& Lines, int& Destroyed, TBehaviour Behaviour = Record)
      : FLines(Lines), FDestroyed(Destroyed), FBehaviour(Behaviour) {}
  ~TTestLog() override { ++FDestroyed; }

  void Add(const std::string& Line, TMessageLevel Level) override {
    FLines.push_back({Line, Level});
    if (FBehaviour == LogAgain)
      MainLogAdd("again: " + Line, Level);
    if (FBehaviour == Fail)
      throw std::runtime_error("disk full");
  }

 private:
  std::vector<TLine>& FLines;
  int& FDestroyed;
  TBehaviour FBehaviour;
};

class TMainLog : public testing::Test {
 protected:
  void TearDown() override { SetMainLog(nullptr); }

  void Install(TTestLog::TBehaviour Behaviour = TTestLog::Record) {
    SetMainLog(std::make_unique<TTestLog>(Lines, Destroyed, Behaviour));
  }

  std::vector<TLine> Lines;
  int Destroyed = 0;
};

TEST_F(TMainLog, WithoutASinkEveryCallReturnsAtOnce) {
  ASSERT_EQ(MainLog(), nullptr);
  MainLogAdd("Closing x", mlDebug);
  EXPECT_EQ(MainLog(), nullptr);
}

TEST_F(TMainLog, PassesLineAndLevelToTheSinkUnchanged) {
  Install();
  MainLogAdd("Opening for reading \"a.txt\"", mlDebug);
  MainLogAdd("", mlNone);
  MainLogAdd("Division by zero in class 'TDTimer'", mlFatalError);
  const std::vector<TLine> expected = {
      {"Opening for reading \"a.txt\"", mlDebug},
      {"", mlNone},
      {"Division by zero in class 'TDTimer'", mlFatalError},
  };
  EXPECT_EQ(Lines, expected);
}

TEST_F(TMainLog, DropsALineTheSinkLogsWhileAddingOne) {
  Install(TTestLog::LogAgain);
  MainLogAdd("one", mlWarning);
  MainLogAdd("two", mlError);
  const std::vector<TLine> expected = {{"one", mlWarning}, {"two", mlError}};
  EXPECT_EQ(Lines, expected);
}

TEST_F(TMainLog, ASinkThatFailsLosesOnlyItsLine) {
  Install(TTestLog::Fail);
  EXPECT_NO_THROW(MainLogAdd("one", mlError));
  EXPECT_NO_THROW(MainLogAdd("two", mlError));
  EXPECT_EQ(Lines.size(), 2u) << "the sink still gets the lines after a failure";
}

TEST_F(TMainLog, ReplacingTheSinkFreesTheOldOne) {
  Install();
  Install();
  EXPECT_EQ(Destroyed, 1);
  MainLogAdd("x", mlInformation);
  EXPECT_EQ(Lines.size(), 1u) << "only the new sink gets the line";
}

TEST_F(TMainLog, FinalizingFreesTheSinkAndClearsIt) {
  Install();
  FinalizeLog();
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(MainLog(), nullptr);
  MainLogAdd("after", mlError);
  EXPECT_TRUE(Lines.empty());
  FinalizeLog();
  EXPECT_EQ(Destroyed, 1) << "a second finalization has nothing to free";
}

} // namespace

#include "report/uLog.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records each line as "level: text" and counts its own destruction. It may also log from inside
// Add, or fail after recording.
class TTestLog : public TLog {
 public:
  enum TBehaviour {
    Record,
    LogAgain,
    Fail
  };

  TTestLog(std::vector<std::string>& Lines, int& Destroyed, TBehaviour Behaviour)
      : Lines_(Lines), Destroyed_(Destroyed), Behaviour_(Behaviour) {}
  ~TTestLog() override { ++Destroyed_; }

  void Add(const std::string& Line, TMessageLevel Level) override {
    Lines_.push_back(std::to_string(Level) + ": " + Line);
    if (Behaviour_ == LogAgain)
      MainLogAdd("again: " + Line, Level);
    if (Behaviour_ == Fail)
      throw std::runtime_error("disk full");
  }

 private:
  std::vector<std::string>& Lines_;
  int& Destroyed_;
  TBehaviour Behaviour_;
};

class TMainLog : public testing::Test {
 protected:
  void TearDown() override { SetMainLog(nullptr); }

  void Install(TTestLog::TBehaviour Behaviour = TTestLog::Record) {
    SetMainLog(std::make_unique<TTestLog>(Lines, Destroyed, Behaviour));
  }

  std::vector<std::string> Lines;
  int Destroyed = 0;
};

TEST_F(TMainLog, PassesLineAndLevelToTheSinkUnchanged) {
  Install();
  MainLogAdd("Opening for reading \"a.txt\"", mlDebug);
  MainLogAdd("", mlNone);
  MainLogAdd("Division by zero in class 'TDTimer'", mlFatalError);
  const std::vector<std::string> expected = {"1: Opening for reading \"a.txt\"",
                                             "6: ", "5: Division by zero in class 'TDTimer'"};
  EXPECT_EQ(Lines, expected);
}

TEST_F(TMainLog, DropsALineTheSinkLogsWhileAddingOne) {
  Install(TTestLog::LogAgain);
  MainLogAdd("one", mlWarning);
  MainLogAdd("two", mlError);
  const std::vector<std::string> expected = {"3: one", "4: two"};
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

TEST_F(TMainLog, FinalizingFreesTheSinkOnceAndLogsNothingAfter) {
  Install();
  FinalizeLog();
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(MainLog(), nullptr);
  MainLogAdd("after", mlError);
  EXPECT_TRUE(Lines.empty());
  FinalizeLog();
  EXPECT_EQ(Destroyed, 1) << "a second finalization has nothing to free";
}

// Lines logged during start-up, before the sink exists, reach the first sink installed, in order
// and before its own lines; once it is installed, nothing more is kept.
TEST_F(TMainLog, TheFirstSinkReceivesTheLinesKeptForIt) {
  KeepEarlyLogLines();
  MainLogAdd("Cannot create directory", mlError);
  MainLogAdd("Reading \"a.ini\"", mlDebug);
  Install();
  MainLogAdd("later", mlWarning);
  SetMainLog(nullptr);
  MainLogAdd("without a sink", mlError);
  Install();
  const std::vector<std::string> expected = {"4: Cannot create directory", "1: Reading \"a.ini\"",
                                             "3: later"};
  EXPECT_EQ(Lines, expected);
}

TEST_F(TMainLog, DroppedEarlyLinesReachNoSink) {
  KeepEarlyLogLines();
  for (int i = 0; i < 1000; ++i)
    MainLogAdd("line " + std::to_string(i), mlError);
  DropEarlyLogLines();
  Install();
  EXPECT_TRUE(Lines.empty());

  SetMainLog(nullptr);
  KeepEarlyLogLines();
  for (int i = 0; i < 1000; ++i)
    MainLogAdd("line " + std::to_string(i), mlError);
  Install();
  ASSERT_EQ(Lines.size(), 256u) << "at most 256 lines are kept";
  EXPECT_EQ(Lines.back(), "4: line 255") << "the first lines are kept, the rest dropped";
}

} // namespace

#include "platform/uExceptions.h"
#include "report/uLog.h"
#include "report/uMsg.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

// Line feeds written visibly, so that a transcript line stays on one line.
std::string Visible(const std::string& Text) {
  std::string result;
  for (char c : Text)
    result += c == '\n' ? std::string("\\n") : std::string(1, c);
  return result;
}

std::string Joined(const TArrayOfString& Items) {
  std::string result;
  for (const std::string& item : Items)
    result += (result.empty() ? "" : ", ") + item;
  return result;
}

// Writes every logged line into the transcript.
class TTranscriptLog : public TLog {
 public:
  explicit TTranscriptLog(std::vector<std::string>& Transcript) : Transcript_(Transcript) {}
  void Add(const std::string& Line, TMessageLevel Level) override {
    Transcript_.push_back("log " + MessageLevelCaption(Level) + ": " + Visible(Line));
  }

 private:
  std::vector<std::string>& Transcript_;
};

// A log sink and a message dialog that write what they get, in order, into one transcript; the
// dialog answers with Answer.
class TReporting : public testing::Test {
 protected:
  void SetUp() override {
    SetMainLog(std::make_unique<TTranscriptLog>(Transcript));
    Previous_ = SetShowQueuedMessage([this](const std::string& Text, const TArrayOfString& Params,
                                            bool Retry, TMessageLevel Level,
                                            const TArrayOfString& Buttons, std::uint16_t TimeOut) {
      Transcript.push_back("dialog " + MessageLevelCaption(Level) + ": " + Visible(Text) + " | " +
                           Joined(Params) + " | " + (Retry ? "retry" : "no retry") + " | " +
                           Joined(Buttons) + " | " + std::to_string(TimeOut) + " s");
      return Answer;
    });
  }
  void TearDown() override {
    SetShowQueuedMessage(std::move(Previous_));
    SetMainLog(nullptr);
  }

  std::vector<std::string> Transcript;
  std::int32_t Answer = -1;

 private:
  TShowQueuedMessage Previous_;
};

TEST(ReplaceParams, PutsEachParameterInQuotes) {
  const struct {
    const char* Text;
    TArrayOfString Params;
    const char* Expected;
  } cases[] = {
      {"Cannot open %1 (%2)", {"a", "b"}, "Cannot open 'a' ('b')"},
      {"%2 before %1", {"a", "b"}, "'b' before 'a'"},
      {"%1 and %1 again", {"x"}, "'x' and 'x' again"},
      {"%1%1", {"x"}, "'x''x'"},
      {"empty %1", {""}, "empty ''"},
      {"no pattern", {"a"}, "no pattern"},
      {"", {"a"}, ""},
      // Every other "%" stays as it is.
      {"100% of %1", {"a"}, "100% of 'a'"},
      {"%%1", {"a"}, "%'a'"},
      {"ends in %", {"a"}, "ends in %"},
      {"% 1 and %-1 and %+1", {"a"}, "% 1 and %-1 and %+1"},
      {"%0 and %01", {"a"}, "%0 and %01"},
      // A parameter beyond the list keeps its "%" and number.
      {"%1 of %3", {"a", "b"}, "'a' of %3"},
      {"%99999999999999999999999", {"a"}, "%99999999999999999999999"},
      // "%1" followed by a further digit is another parameter, not the first.
      {"%10 items", {"a", "b"}, "%10 items"},
      {"%10 and %1",
       {"p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"},
       "'p10' and 'p1'"},
      // Inserted parameters are never searched again, for their own pattern or any other.
      {"%1", {"%1"}, "'%1'"},
      {"copy %1 to %2", {"a%2b", "c"}, "copy 'a%2b' to 'c'"},
      {"%2 then %1", {"x", "%1"}, "'%1' then 'x'"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceParams(c.Text, c.Params), c.Expected)
        << "template \"" << c.Text << "\" with " << c.Params.size() << " parameters";
}

TEST(ReplaceParams, WithoutParametersReturnsTheTextUnchanged) {
  for (const char* text : {"Cannot open %1", "%", "%%1%2", "plain"})
    EXPECT_EQ(ReplaceParams(text, {}), text);
}

TEST(ErrorCodeToStr, NamesTheCodeAndThePlatformTextWithoutATrailingLineBreak) {
  const std::string text = ErrorCodeToStr(ENOENT);
  ASSERT_EQ(text.rfind("Error Code 2 - ", 0), 0u) << text;
  EXPECT_EQ(text.substr(15), std::strerror(ENOENT));
  EXPECT_GT(text.size(), 15u) << "the platform has a text for ENOENT";
}

TEST(ErrorCodeToStr, AnUnknownCodeHasAnEmptyText) {
  EXPECT_EQ(ErrorCodeToStr(-1), "Error Code 4294967295 - ");
  EXPECT_EQ(ErrorCodeToStr(100000), "Error Code 100000 - ");
}

TEST(ErrorCodeToStr, WritesTheCodeUnsignedAndTrimsTheTextForEveryCode) {
  EXPECT_EQ(ErrorCodeToStr(-1).rfind("Error Code 4294967295 - ", 0), 0u);
  EXPECT_EQ(ErrorCodeToStr(std::numeric_limits<int>::min()).rfind("Error Code 2147483648 - ", 0),
            0u);
  for (int code = -2; code < 200; ++code) {
    const std::string text = ErrorCodeToStr(code);
    const std::string prefix = "Error Code " + std::to_string(std::uint32_t(code)) + " - ";
    ASSERT_EQ(text.rfind(prefix, 0), 0u) << "code " << code << ": " << text;
    if (text.size() > prefix.size()) {
      EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text[prefix.size()])))
          << "code " << code << ": " << text;
      EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text.back())))
          << "code " << code << ": " << text;
    }
  }
}

struct TReportCase {
  const char* Routine;
  std::function<void()> Report;
  std::vector<std::string> Expected;
};

// Every routine with what it logs and what it asks, in order.
std::vector<TReportCase> ReportCases() {
  const std::string noFile = ErrorCodeToStr(ENOENT);
  const std::string denied = ErrorCodeToStr(EACCES);
  return {
      {"ReportMessage",
       [] { ReportMessage(mlInformation, "Saved %1", {"a.txt"}); },
       {"log Information: Saved 'a.txt'",
        "dialog Information: Saved %1 | a.txt | no retry | OK | 15 s"}},
      {"ShowWarning",
       [] { ShowWarning("Low memory"); },
       {"log Warning: Low memory", "dialog Warning: Low memory |  | no retry | OK | 15 s"}},
      {"ShowWarning with parameters",
       [] {
         ShowWarning("Skipped %1 of %2", {"3", "7"});
       },
       {"log Warning: Skipped '3' of '7'",
        "dialog Warning: Skipped %1 of %2 | 3, 7 | no retry | OK | 15 s"}},
      {"ShowError",
       [] { ShowError("Disk full"); },
       {"log Error: Disk full", "dialog Error: Disk full |  | no retry | OK | 15 s"}},
      {"ShowError with parameters",
       [] {
         ShowError("Cannot open %1 (%2)", {"a", "b"});
       },
       {"log Error: Cannot open 'a' ('b')",
        "dialog Error: Cannot open %1 (%2) | a, b | no retry | OK | 15 s"}},
      {"ShowErrorCode",
       [] { ShowErrorCode(ENOENT); },
       {"log Error: " + noFile, "dialog Error: " + noFile + " |  | no retry | OK | 15 s"}},
      {"ShowErrorCode with code 0", [] { ShowErrorCode(0); }, {}},
      {"ShowErrorRetry",
       [] { ShowErrorRetry("Cannot read"); },
       {"log Error: Cannot read",
        "dialog Error: Cannot read |  | no retry | &Retry, &Ignore | 15 s"}},
      {"AskConfirmation",
       [] {
         AskConfirmation("Reload %1?", {mbNo, mbYes});
       },
       {"dialog Confirmation: Reload %1? |  | no retry | &Yes, &No | 15 s"}},
      {"ShowIOError",
       [] { ShowIOError("/tmp/a.txt", ENOENT); },
       {"log Error: " + noFile + ": /tmp/a.txt",
        "dialog Error: " + noFile + "\\n%1 | /tmp/a.txt | no retry | OK | 15 s"}},
      {"ShowIOErrorRetry",
       [] { ShowIOErrorRetry("/tmp/a.txt", EACCES); },
       {"log Error: " + denied + ": /tmp/a.txt",
        "dialog Error: " + denied + "\\n%1 | /tmp/a.txt | retry | &Retry, &Ignore | 15 s"}},
      {"ShowIOErrorMessage",
       [] { ShowIOErrorMessage("b.csv", "Bad header"); },
       {"log Error: Bad header: b.csv",
        "dialog Error: Bad header\\n%1 | b.csv | no retry | OK | 15 s"}},
      {"ShowIOErrorMessageRetry",
       [] { ShowIOErrorMessageRetry("b.csv", "Bad header"); },
       {"log Error: Bad header: b.csv",
        "dialog Error: Bad header\\n%1 | b.csv | retry | &Retry, &Ignore | 15 s"}},
      {"ShowMessageDialog",
       [] {
         ShowMessageDialog("Delete %1?", {"x"}, mlWarning, {mbCancel, mbDeleteAll, mbDelete});
       },
       {"dialog Warning: Delete %1? | x | no retry | &Delete, Delete All, Cancel | 15 s"}},
      {"ReportException",
       [] { ReportException(std::runtime_error("Boom")); },
       {"log Fatal Error: Boom"}},
  };
}

TEST_F(TReporting, EveryRoutineLogsFirstAndThenAsksTheDialog) {
  for (const TReportCase& c : ReportCases()) {
    Transcript.clear();
    c.Report();
    EXPECT_EQ(Transcript, c.Expected) << c.Routine;
  }
}

TEST_F(TReporting, WithoutASinkEveryRoutineStillAsksAndNothingIsWritten) {
  SetMainLog(nullptr);
  const std::filesystem::path logFile =
      std::filesystem::path(testing::TempDir()) / "report-test-no-sink.log";
  std::filesystem::remove(logFile);
  const std::string savedName = MainLogFileName();
  SetMainLogFileName(logFile.string());

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  for (const TReportCase& c : ReportCases()) {
    Transcript.clear();
    c.Report();
    std::vector<std::string> dialogs;
    for (const std::string& step : c.Expected)
      if (step.starts_with("dialog "))
        dialogs.push_back(step);
    EXPECT_EQ(Transcript, dialogs) << c.Routine;
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(std::filesystem::exists(logFile));
  SetMainLogFileName(savedName);
}

TEST_F(TReporting, ShowMessageDialogMapsTheAnswerBackToItsButton) {
  const struct {
    TDlgButtons Buttons;
    std::int32_t Answer;
    TDlgButton Expected;
  } cases[] = {
      {{mbYes, mbNo}, 0, mbYes},
      {{mbYes, mbNo}, 1, mbNo},
      {{mbNo, mbYes}, 1, mbNo},
      {{mbNoToAll, mbOK, mbAbort}, 1, mbAbort},
      {{mbYes, mbNo}, -1, mbCancel}, // time-out, closed window, suppressed dialog
      {{mbYes, mbNo}, 2, mbCancel},
      {{mbYes, mbNo}, -7, mbCancel},
      {{mbYes, mbNo}, std::numeric_limits<std::int32_t>::max(), mbCancel},
      {{}, 0, mbCancel},
  };
  for (const auto& c : cases) {
    Answer = c.Answer;
    EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, c.Buttons), c.Expected)
        << "buttons " << c.Buttons.Bits() << ", answer " << c.Answer;
  }
}

TEST_F(TReporting, RetryQuestionsReadTheAnswerAsTheirCaptionsSay) {
  const struct {
    std::int32_t Answer;
    bool ErrorRetry;   // Retry, Ignore; no answer means Retry
    bool IOErrorRetry; // Retry, Ignore; only Retry means Retry
  } cases[] = {
      {0, true, true},
      {1, false, false},
      {-1, true, false},
      {2, true, false},
  };
  for (const auto& c : cases) {
    Answer = c.Answer;
    EXPECT_EQ(ShowErrorRetry("Cannot read"), c.ErrorRetry) << "answer " << c.Answer;
    EXPECT_EQ(ShowIOErrorMessageRetry("a.txt", "Cannot read"), c.IOErrorRetry)
        << "answer " << c.Answer;
    EXPECT_EQ(ShowIOErrorRetry("a.txt", EIO), c.IOErrorRetry) << "answer " << c.Answer;
  }
}

TEST_F(TReporting, WithoutADialogEveryQuestionGetsNoAnswer) {
  SetShowQueuedMessage({});
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  EXPECT_EQ(AskConfirmation("Sure?", {mbYes, mbNo}), mbCancel);
  EXPECT_TRUE(ShowErrorRetry("Cannot read"));
  EXPECT_FALSE(ShowIOErrorMessageRetry("a.txt", "Cannot read"));
  const std::vector<std::string> logged = {"log Error: Cannot read",
                                           "log Error: Cannot read: a.txt"};
  EXPECT_EQ(Transcript, logged) << "the log still holds every report";
}

// Reports made before the program's dialog exists are answered at once and shown by the first
// dialog installed, in order; after that nothing more is kept.
TEST_F(TReporting, TheFirstDialogShowsTheReportsKeptForIt) {
  TShowQueuedMessage dialog = SetShowQueuedMessage({});
  KeepEarlyReports();
  ShowError("Cannot create %1", {"/proc/x/"});
  EXPECT_EQ(AskConfirmation("Sure?", {mbYes, mbNo}), mbCancel) << "kept entries get no answer";
  Transcript.clear();
  SetShowQueuedMessage(dialog);
  const std::vector<std::string> shown = {
      "dialog Error: Cannot create %1 | /proc/x/ | no retry | OK | 15 s",
      "dialog Confirmation: Sure? |  | no retry | &Yes, &No | 15 s"};
  EXPECT_EQ(Transcript, shown);

  Transcript.clear();
  SetShowQueuedMessage({});
  ShowWarning("not kept");
  SetShowQueuedMessage(dialog);
  EXPECT_EQ(Transcript, std::vector<std::string>{"log Warning: not kept"});
}

TEST_F(TReporting, DroppedEarlyReportsAreNeverShown) {
  TShowQueuedMessage dialog = SetShowQueuedMessage({});
  KeepEarlyReports();
  ShowError("dropped");
  DropEarlyReports();
  Transcript.clear();
  SetShowQueuedMessage(dialog);
  EXPECT_TRUE(Transcript.empty());

  SetShowQueuedMessage({});
  KeepEarlyReports();
  for (int i = 0; i < 500; ++i)
    ShowError("error " + std::to_string(i));
  Transcript.clear();
  SetShowQueuedMessage(dialog);
  ASSERT_EQ(Transcript.size(), 100u) << "at most 100 entries are kept";
  EXPECT_EQ(Transcript.back(), "dialog Error: error 99 |  | no retry | OK | 15 s");
}

TEST_F(TReporting, ADialogThatFailsCountsAsNoAnswer) {
  SetShowQueuedMessage(
      [](const std::string&, const TArrayOfString&, bool, TMessageLevel, const TArrayOfString&,
         std::uint16_t) -> std::int32_t { throw std::runtime_error("no display"); });
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  EXPECT_TRUE(ShowErrorRetry("Cannot read"));
  EXPECT_FALSE(ShowIOErrorMessageRetry("a.txt", "Cannot read"));
  EXPECT_NO_THROW(ShowError("Disk full"));
  EXPECT_EQ(Transcript.size(), 3u) << "the log lines are written before the dialog fails";
}

TEST_F(TReporting, ADialogMayInstallAnotherWhileItRuns) {
  int calls = 0;
  SetShowQueuedMessage([&calls](const std::string&, const TArrayOfString&, bool, TMessageLevel,
                                const TArrayOfString&, std::uint16_t) {
    // The running dialog is replaced; its captures must stay alive until it returns.
    SetShowQueuedMessage({});
    ++calls;
    return 1;
  });
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbNo);
  EXPECT_EQ(ShowMessageDialog("Sure?", {}, mlConfirmation, {mbYes, mbNo}), mbCancel);
  EXPECT_EQ(calls, 1);
}

// A framework class that reports what its event raised, as the timer does.
class TDTimer {
 public:
  virtual ~TDTimer() = default;

  void Fire(const std::function<void()>& Event) {
    try {
      Event();
    } catch (const std::exception& e) {
      ReportException(e, this);
    }
  }
};

class TDerivedTimer : public TDTimer {};

namespace outer {
struct TItem {};
template <class T>
struct TBox {};
} // namespace outer

TEST_F(TReporting, ReportExceptionNamesTheSenderClassAndShowsNoDialog) {
  TDTimer timer;
  timer.Fire([] { throw std::runtime_error("Division by zero"); });
  timer.Fire([] { throw EZeroDivide(); });
  TDerivedTimer derived;
  TDTimer& base = derived;
  base.Fire([] { throw std::runtime_error("Boom"); });
  ReportException(std::runtime_error("Cannot load %1"), "TDBitmap");
  const std::vector<std::string> expected = {
      "log Fatal Error: Division by zero in class 'TDTimer'",
      "log Fatal Error: Floating point division by zero in class 'TDTimer'",
      "log Fatal Error: Boom in class 'TDerivedTimer'",
      "log Fatal Error: Cannot load %1 in class 'TDBitmap'", // the message is not a template
  };
  EXPECT_EQ(Transcript, expected);
}

TEST_F(TReporting, ReportExceptionWithoutSenderLogsTheBareMessage) {
  const TDTimer* none = nullptr;
  ReportException(std::runtime_error("Division by zero"));
  ReportException(Exception("Invalid number of function arguments."), none);
  const std::vector<std::string> expected = {
      "log Fatal Error: Division by zero",
      "log Fatal Error: Invalid number of function arguments.",
  };
  EXPECT_EQ(Transcript, expected);
}

TEST(ClassNameOf, DropsTheScopesOfTheClassButNotOfItsTemplateArguments) {
  EXPECT_EQ(ClassNameOf(typeid(TDTimer)), "TDTimer");
  EXPECT_EQ(ClassNameOf(typeid(outer::TItem)), "TItem");
  EXPECT_EQ(ClassNameOf(typeid(outer::TBox<outer::TItem>)),
            "TBox<(anonymous namespace)::outer::TItem>");
  EXPECT_EQ(ClassNameOf(typeid(int)), "int");
}

TEST(AttemptWithRetries, RetriesWhileTheAnswerIsYes) {
  const struct {
    const char* Case;
    int FailuresBeforeSuccess;
    int RetriesGranted;
    bool Expected;
    int Attempts;
    int Asks;
  } cases[] = {
      {"succeeds at once", 0, 0, true, 1, 0},
      {"succeeds on the third attempt", 2, 5, true, 3, 2},
      {"declined at once", 3, 0, false, 1, 1},
      {"declined after one retry", 3, 1, false, 2, 2},
      {"succeeds on the last retry allowed", MaxRetries, 1000, true, MaxRetries + 1, MaxRetries},
      {"gives up after the bound", 1000, 1000, false, MaxRetries + 1, MaxRetries},
  };
  for (const auto& c : cases) {
    int attempts = 0;
    int asks = 0;
    const bool result = AttemptWithRetries([&] { return attempts++ >= c.FailuresBeforeSuccess; },
                                           [&] { return asks++ < c.RetriesGranted; });
    EXPECT_EQ(result, c.Expected) << c.Case;
    EXPECT_EQ(attempts, c.Attempts) << c.Case;
    EXPECT_EQ(asks, c.Asks) << c.Case;
  }
}

TEST_F(TReporting, AQuestionNoOneCanAnswerEndsAfterTheBound) {
  SetShowQueuedMessage({});
  int attempts = 0;
  EXPECT_FALSE(AttemptWithRetries([&] { return ++attempts < 0; },
                                  [] { return ShowErrorRetry("Cannot copy"); }));
  EXPECT_EQ(attempts, MaxRetries + 1);
  EXPECT_EQ(Transcript.size(), std::size_t(MaxRetries)) << "one log line per question";
}

} // namespace

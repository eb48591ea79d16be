#include "EnvTestSupport.h"
#include "env/uFileWatch.h"
#include "text/uOutputFormat.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The answers, as indexes of the buttons Yes, Yes to All, No, No to All.
constexpr std::int32_t AnswerYes = 0, AnswerYesToAll = 1, AnswerNo = 2, AnswerNoToAll = 3;

// What the plain reload routine was called with.
std::vector<std::string> PlainReloads;

void RecordReload(const std::string& FileName) {
  PlainReloads.push_back(FileName);
}

void FailReload(const std::string&) {
  throw std::runtime_error("Cannot reload");
}

class TFileWatchTest : public TEnvTest {
 protected:
  TFileWatchTest() {
    WatchedFiles.clear();
    PlainReloads.clear();
  }
  ~TFileWatchTest() override { WatchedFiles.clear(); }

  // Writes the file File with the last-write time Seconds after the epoch.
  void Write(const std::string& File, long Seconds) {
    WriteWholeFile(Folder / File, "content");
    const timespec times[2] = {{Seconds, 0}, {Seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Name(File).c_str(), times, 0), 0) << File;
  }
  // Watches File, recording its reloads in MethodReloads.
  void Watch(const std::string& File, TReloadProc Plain = RecordReload) {
    WatchFile(Name(File), Plain,
              [this](const std::string& FileName) { MethodReloads.push_back(FileName); });
  }
  std::string Question(const std::string& File, long Seconds, bool ChangedByApp) const {
    return Name(File) + "\nhas been modified " +
           DateTimeToText(FileTimeToDateTime(TFileTime{Seconds, 0}), 0, nsLocale) +
           " outside of the application" + (ChangedByApp ? " and with the application" : "") +
           "\nReload it?";
  }

  std::vector<std::string> MethodReloads;
};

TEST_F(TFileWatchTest, AFileSeenForTheFirstTimeIsNeverReported) {
  Write("a", 1000);
  Watch("a");
  CheckWatchedFiles();
  CheckWatchedFiles();
  EXPECT_TRUE(Reports.Questions.empty());
  EXPECT_EQ(WatchedFiles[0].LastWrite, (TFileTime{1000, 0}));
}

TEST_F(TFileWatchTest, YesToAllReloadsEveryChangedFileAfterOneQuestion) {
  Write("a", 1000);
  Write("b", 1000);
  Watch("a");
  Watch("b");
  CheckWatchedFiles();
  Write("a", 2000);
  Write("b", 3000);
  ASSERT_TRUE(SetFileChangedByApp(Name("a"), true));
  Reports.AnswerAlways(AnswerYesToAll);
  CheckWatchedFiles();
  ASSERT_EQ(Reports.Questions.size(), 1u);
  const TQuestion& question = Reports.Questions[0];
  EXPECT_EQ(question.Text, Question("a", 2000, true));
  EXPECT_EQ(question.Level, mlConfirmation);
  EXPECT_EQ(question.Buttons, (TArrayOfString{"&Yes", "Yes to &All", "&No", "N&o to All"}));
  EXPECT_EQ(PlainReloads, (std::vector<std::string>{Name("a"), Name("b")}));
  EXPECT_EQ(MethodReloads, PlainReloads);
}

TEST_F(TFileWatchTest, EachAnswerReloadsOrSkipsOrEndsThePass) {
  const struct {
    std::int32_t Answer;
    std::size_t Questions;
    std::size_t Reloads;
  } cases[] = {
      {AnswerYes, 2, 2},
      {AnswerNo, 2, 0},
      {-1, 2, 0}, // no answer
      {AnswerNoToAll, 1, 0},
  };
  for (const auto& c : cases) {
    WatchedFiles.clear();
    PlainReloads.clear();
    Reports.Questions.clear();
    Write("a", 1000);
    Write("b", 1000);
    Watch("a");
    Watch("b");
    CheckWatchedFiles();
    Write("a", 2000);
    Write("b", 2000);
    Reports.AnswerAlways(c.Answer);
    CheckWatchedFiles();
    EXPECT_EQ(Reports.Questions.size(), c.Questions) << "answer " << c.Answer;
    EXPECT_EQ(PlainReloads.size(), c.Reloads) << "answer " << c.Answer;
  }
  // No to All, the last answer, ended the pass before b: its change is still news.
  Reports.Questions.clear();
  CheckWatchedFiles();
  ASSERT_EQ(Reports.Questions.size(), 1u);
  EXPECT_EQ(Reports.Questions[0].Text, Question("b", 2000, false));
}

TEST_F(TFileWatchTest, AFileDeletedAfterBeingWatchedIsSkippedSilently) {
  Write("a", 1000);
  Watch("a");
  CheckWatchedFiles();
  fs::remove(Folder / "a");
  CheckWatchedFiles();
  EXPECT_TRUE(Reports.Questions.empty());
  EXPECT_TRUE(Reports.Log.empty());
}

TEST_F(TFileWatchTest, AFailingReloadIsReportedAndThePassGoesOn) {
  Write("a", 1000);
  Write("b", 1000);
  Watch("a", FailReload);
  Watch("b");
  CheckWatchedFiles();
  Write("a", 2000);
  Write("b", 2000);
  Reports.AnswerAlways(AnswerYes);
  CheckWatchedFiles();
  EXPECT_EQ(Reports.Log, std::vector<std::string>{"Fatal Error: Cannot reload"});
  EXPECT_EQ(MethodReloads, (std::vector<std::string>{Name("a"), Name("b")}));
  EXPECT_EQ(PlainReloads, std::vector<std::string>{Name("b")});
}

TEST_F(TFileWatchTest, ACheckAskedForDuringAQuestionRunsAfterThePassInsteadOfNesting) {
  Write("a", 1000);
  Write("b", 1000);
  Watch("a");
  Watch("b");
  CheckWatchedFiles();
  Write("a", 2000);
  Write("b", 2000);
  int open = 0, mostOpen = 0;
  Reports.Answer = [&](const TQuestion& Question) {
    ++open;
    mostOpen = std::max(mostOpen, open);
    if (Question.Text == this->Question("a", 2000, false)) {
      // While the question is open, a changes again and the window is activated.
      Write("a", 3000);
      CheckWatchedFiles();
    }
    --open;
    return AnswerNo;
  };
  CheckWatchedFiles();
  std::vector<std::string> asked;
  for (const TQuestion& question : Reports.Questions)
    asked.push_back(question.Text);
  EXPECT_EQ(asked, (std::vector<std::string>{Question("a", 2000, false), Question("b", 2000, false),
                                             Question("a", 3000, false)}));
  EXPECT_EQ(mostOpen, 1);
}

} // namespace

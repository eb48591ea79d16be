#include "EnvTestSupport.h"
#include "env/uFileHelpers.h"
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

// The answers, as indexes of the buttons Yes, Yes to All, No, No to All.
constexpr std::int32_t AnswerYes = 0, AnswerYesToAll = 1, AnswerNo = 2, AnswerNoToAll = 3;

std::vector<std::string> Reloads; // by either callback, in order

void RecordReload(const std::string& FileName) {
  Reloads.push_back(FileName);
}

void FailReload(const std::string&) {
  throw std::runtime_error("Cannot reload");
}

// Watches the files a and b, both already seen once.
class TFileWatchTest : public TEnvTest {
 protected:
  TFileWatchTest() {
    WatchedFiles.clear();
    Reloads.clear();
    for (const char* file : {"a", "b"}) {
      Touch(file, 1000);
      WatchFile(Name(file), RecordReload);
    }
    CheckWatchedFiles();
  }
  ~TFileWatchTest() override { WatchedFiles.clear(); }

  // Writes File with the last-write time Seconds after the epoch.
  void Touch(const std::string& File, long Seconds) {
    WriteWholeFile(Folder / File, "content");
    const timespec times[2] = {{Seconds, 0}, {Seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Name(File).c_str(), times, 0), 0) << File;
  }
  std::string Question(const std::string& File, long Seconds) const {
    return Name(File) + "\nhas been modified " +
           DateTimeToText(FileTimeToDateTime(TFileTime{Seconds, 0}), 0, nsLocale) +
           " outside of the application\nReload it?";
  }
  std::vector<std::string> Asked() const {
    std::vector<std::string> texts;
    for (const TQuestion& question : Reports.Questions)
      texts.push_back(question.Text);
    return texts;
  }
};

TEST_F(TFileWatchTest, AFileSeenForTheFirstTimeIsNeverReported) {
  Touch("c", 1000);
  WatchFile(Name("c"), RecordReload);
  CheckWatchedFiles();
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TFileWatchTest, YesToAllReloadsBothChangedFilesAfterOneQuestion) {
  Touch("a", 2000);
  Touch("b", 3000);
  Reports.AnswerAlways(AnswerYesToAll);
  CheckWatchedFiles();
  EXPECT_EQ(Asked(), std::vector<std::string>{Question("a", 2000)});
  EXPECT_EQ(Reports.Questions[0].Buttons,
            (TArrayOfString{"&Yes", "Yes to &All", "&No", "N&o to All"}));
  EXPECT_EQ(Reloads, (std::vector<std::string>{Name("a"), Name("b")}));
}

TEST_F(TFileWatchTest, NoToAllEndsThePassAndTheRestIsAskedNextTime) {
  Touch("a", 2000);
  Touch("b", 2000);
  Reports.AnswerAlways(AnswerNoToAll);
  CheckWatchedFiles();
  CheckWatchedFiles();
  EXPECT_EQ(Asked(), (std::vector<std::string>{Question("a", 2000), Question("b", 2000)}));
  EXPECT_TRUE(Reloads.empty());
}

TEST_F(TFileWatchTest, AFileDeletedAfterBeingWatchedIsSkippedSilently) {
  std::filesystem::remove(Folder / "a");
  CheckWatchedFiles();
  EXPECT_TRUE(Reports.Questions.empty());
  EXPECT_TRUE(Reports.Log.empty());
}

TEST_F(TFileWatchTest, AFailingReloadIsReportedAndThePassGoesOn) {
  WatchedFiles[0].OnReload = FailReload;
  WatchedFiles[0].OnReloadMethod = RecordReload;
  Touch("a", 2000);
  Touch("b", 2000);
  Reports.AnswerAlways(AnswerYes);
  CheckWatchedFiles();
  EXPECT_EQ(Reports.Log, std::vector<std::string>{"Fatal Error: Cannot reload"});
  EXPECT_EQ(Reloads, (std::vector<std::string>{Name("a"), Name("b")}));
}

TEST_F(TFileWatchTest, AReloadMayChangeTheWatch) {
  WatchedFiles[0].OnReloadMethod = [this](const std::string&) {
    EXPECT_TRUE(UnwatchFile(Name("a")));
    for (int i = 0; i < 100; ++i)
      WatchFile(Name("new"), nullptr);
  };
  Touch("a", 2000);
  Touch("b", 2000);
  Reports.AnswerAlways(AnswerYes);
  CheckWatchedFiles();
  EXPECT_EQ(Reloads, (std::vector<std::string>{Name("a"), Name("b")}));
  EXPECT_EQ(WatchedFiles.size(), 101u);
}

TEST_F(TFileWatchTest, ACheckAskedForDuringAQuestionRunsAfterThePassInsteadOfNesting) {
  Touch("a", 2000);
  Touch("b", 2000);
  int open = 0, mostOpen = 0;
  Reports.Answer = [&](const TQuestion& Asked) {
    mostOpen = std::max(mostOpen, ++open);
    if (Asked.Text == Question("a", 2000)) {
      // While the question is open, a changes again and the window is activated.
      Touch("a", 3000);
      CheckWatchedFiles();
    }
    --open;
    return AnswerNo;
  };
  CheckWatchedFiles();
  EXPECT_EQ(Asked(), (std::vector<std::string>{Question("a", 2000), Question("b", 2000),
                                               Question("a", 3000)}));
  EXPECT_EQ(mostOpen, 1);
}

} // namespace

// Reports made while the framework starts, before any dialog exists: a directory that cannot be
// created is shown by the first dialog installed, written to the log the environment asks for,
// and by dexpr, which has no dialog, written to standard error.

#include "app/uStartup.h"
#include "report/uMsg.h"
#include "support/RunProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Restarts the framework with the application-data folders inside a regular file, so that
// creating them fails; puts the environment and the framework back afterwards.
class StartupReports : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(Blocker).put('x');
    FinalizeFramework();
    Environment_.emplace();
    Environment_->Set("XDG_CONFIG_HOME", Blocker.string());
    Environment_->Set("XDG_DATA_HOME", Blocker.string());
  }
  void TearDown() override {
    SetShowQueuedMessage({});
    FinalizeFramework();
    Environment_.reset();
    InitializeFramework();
    DropEarlyReports();
  }

  TTempFolder Folder;
  const std::filesystem::path Blocker = Folder.Path() / "file";

 private:
  std::optional<TEnvironmentGuard> Environment_;
};

TEST_F(StartupReports, TheFirstDialogShowsTheDirectoriesThatCouldNotBeCreated) {
  InitializeFramework();
  std::vector<std::string> shown;
  SetShowQueuedMessage([&shown](const std::string& Text, const TArrayOfString& Params, bool,
                                TMessageLevel Level, const TArrayOfString&, std::uint16_t) {
    shown.push_back(MessageLevelCaption(Level) + ": " + ReplaceParams(Text, Params));
    return std::int32_t{-1};
  });
  const std::string entry = "Error: Error Code 17 - File exists\n'" + Blocker.string() + "/'";
  EXPECT_EQ(shown, (std::vector<std::string>{entry, entry}))
      << "one entry for the application data, one for the local application data";
}

TEST_F(StartupReports, DexprWritesThemToStandardErrorAndTheLog) {
  const std::filesystem::path log = Folder.Path() / "dexpr.log";
  const TProcessResult result = RunProcess(DEXPR_PATH, {"1"}, "",
                                           {"LC_ALL=C", "XDG_CONFIG_HOME=" + Blocker.string(),
                                            "XDG_DATA_HOME=" + Blocker.string(), "BMI_LOG=Error",
                                            "BMI_LOG_FILE=" + log.string()});
  const std::string line =
      "dexpr: [Error] Error Code 17 - File exists: '" + Blocker.string() + "/'";
  EXPECT_EQ(result.Err, line + "\n" + line + "\n");
  EXPECT_EQ(result.Out, "1\n");
  EXPECT_EQ(result.ExitCode, 0);

  const std::vector<std::string> logged = SplitLines(ReadWholeFile(log));
  ASSERT_EQ(logged.size(), 2u) << ReadWholeFile(log);
  for (const std::string& entry : logged)
    EXPECT_NE(entry.find("[Error] Error Code 17 - File exists: " + Blocker.string() + "/"),
              std::string::npos)
        << entry;
}

} // namespace

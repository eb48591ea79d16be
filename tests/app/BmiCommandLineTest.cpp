// The calculator's command line: the standard options of a Qt program.

#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TProcessResult Bmi(const std::vector<std::string>& Args) {
  return RunProcess(BMI_PATH, Args, "", {"LC_ALL=C", "QT_QPA_PLATFORM=offscreen"});
}

TEST(BmiCommandLine, VersionPrintsTheProgramsVersion) {
  const TProcessResult result = Bmi({"--version"});
  EXPECT_EQ(result.Out, "bmi 1.0.0.0\n");
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
}

TEST(BmiCommandLine, HelpNamesTheStandardOptions) {
  const TProcessResult result = Bmi({"--help"});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  for (const char* option : {"--help", "--version", "body mass index"})
    EXPECT_NE(result.Out.find(option), std::string::npos) << option << "\n" << result.Out;
}

TEST(BmiCommandLine, AnythingElseIsAnError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"extra"}}) {
    const TProcessResult result = Bmi(args);
    EXPECT_EQ(result.ExitCode, 1) << args[0];
    EXPECT_EQ(result.Out, "") << args[0];
    EXPECT_NE(result.Err.find("bmi: "), std::string::npos) << result.Err;
  }
}

} // namespace

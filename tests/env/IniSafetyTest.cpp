// A program killed while it saves an ini file must leave the file as it was: the new content
// replaces it only whole, in one step.

#include "EnvTestSupport.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr long NewKeys = 3000;

class TIniSafetyTest : public TEnvTest {
 protected:
  TIniSafetyTest() {
    for (int key = 0; key < 3000; ++key)
      Old += "Old" + std::to_string(key) + "=value " + std::to_string(key) + "\n";
    Old = "[Old]\n" + Old;
    New = Old + "[New]\n";
    for (long key = 0; key < NewKeys; ++key)
      New += "Key" + std::to_string(key) + "=" + std::to_string(key) + "\n";
    Environment = {"HOME=" + Name("home"), "TMPDIR=" + Name("tmp"),
                   "XDG_CONFIG_HOME=" + Name("config"), "XDG_DATA_HOME=" + Name("data")};
    std::filesystem::create_directories(Folder / "tmp");
  }

  TProcessResult Save(long KillAt) const {
    return RunProcess(ENVPROBE_BARE,
                      {"saveini", Name("a.ini"), std::to_string(NewKeys), std::to_string(KillAt)},
                      "", Environment);
  }

  std::string Old, New;
  std::vector<std::string> Environment;
};

TEST_F(TIniSafetyTest, ASaveKilledAtAnyFileOperationLeavesTheOldFileWhole) {
  WriteWholeFile(Folder / "a.ini", Old);
  const TProcessResult normal = Save(0);
  ASSERT_EQ(normal.ExitCode, 0) << normal.Err;
  long operations = 0, rename = 0;
  ASSERT_EQ(std::sscanf(normal.Out.c_str(), "operations=%ld rename=%ld", &operations, &rename), 2)
      << normal.Out;
  ASSERT_TRUE(ReadWholeFile(Folder / "a.ini") == New) << "a finished save writes every key";
  ASSERT_GT(rename, 0);

  for (long killAt = 1; killAt <= operations; ++killAt) {
    WriteWholeFile(Folder / "a.ini", Old);
    const TProcessResult killed = Save(killAt);
    EXPECT_EQ(killed.ExitCode, -1) << "killed before operation " << killAt;
    const std::string content = ReadWholeFile(Folder / "a.ini");
    const bool whole = content == Old || (killAt > rename && content == New);
    EXPECT_TRUE(whole) << "killed before operation " << killAt << " of " << operations << ": "
                       << content.size() << " bytes";
  }
}

} // namespace

// A program killed while it writes a protected file must leave the file as it was: the target is
// replaced only by a complete copy, in one step.

#include "EnvTestSupport.h"
#include "support/RunProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int Runs = 50;
constexpr long NewSize = 8 << 20;

class TDataSafetyTest : public TEnvTest {
 protected:
  TDataSafetyTest() {
    fs::create_directories(Folder / "tmp");
    std::mt19937 random(7);
    Old.resize(1 << 20);
    for (char& c : Old)
      c = static_cast<char>(random());
    Environment = {"HOME=" + Name("home"), "TMPDIR=" + Name("tmp"),
                   "XDG_CONFIG_HOME=" + Name("config"), "XDG_DATA_HOME=" + Name("data")};
  }

  std::vector<std::string> Arguments(long KillAt) const {
    return {"write", Name("target"), std::to_string(NewSize), std::to_string(KillAt)};
  }

  // Starts the writer and kills it after Delay, unless it ended before. True when it was killed.
  bool KillAfter(std::chrono::microseconds Delay) const {
    std::vector<std::string> strings = {ENVPROBE_BARE};
    for (const std::string& argument : Arguments(0))
      strings.push_back(argument);
    std::vector<char*> argv;
    for (std::string& s : strings)
      argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = Environment;
    for (char** entry = environ; *entry; ++entry)
      environment.emplace_back(*entry); // the first of a name counts
    std::vector<char*> envp;
    for (std::string& s : environment)
      envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << argv[0];
      return false;
    }
    std::this_thread::sleep_for(Delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }

  std::string Old;
  std::vector<std::string> Environment;
};

TEST_F(TDataSafetyTest, AWriterKilledAtAnyPointLeavesTheTargetWholeAndANormalCloseReplacesIt) {
  const std::string fresh(NewSize, 'n');
  WriteWholeFile(Folder / "target", Old);
  const auto start = std::chrono::steady_clock::now();
  const TProcessResult normal = RunProcess(ENVPROBE_BARE, Arguments(0), "", Environment);
  const auto duration = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(normal.ExitCode, 0) << normal.Err;
  long operations = 0, rename = 0;
  ASSERT_EQ(std::sscanf(normal.Out.c_str(), "operations=%ld rename=%ld", &operations, &rename), 2)
      << normal.Out;
  ASSERT_TRUE(ReadWholeFile(Folder / "target") == fresh) << "a normal close replaces the file";

  std::mt19937 random(2024);
  int keptOld = 0, killedRunning = 0;
  for (int run = 0; run < Runs; ++run) {
    WriteWholeFile(Folder / "target", Old);
    std::string point;
    bool mayBeNew = true;
    if (run % 2 == 0) {
      // Killed by itself just before one of its file operations.
      const long killAt = std::uniform_int_distribution<long>(1, operations)(random);
      point =
          "before file operation " + std::to_string(killAt) + " of " + std::to_string(operations);
      const TProcessResult killed = RunProcess(ENVPROBE_BARE, Arguments(killAt), "", Environment);
      EXPECT_EQ(killed.ExitCode, -1) << point;
      mayBeNew = killAt > rename;
    } else {
      // Killed from outside at a moment of its run.
      const auto span = std::chrono::duration_cast<std::chrono::microseconds>(duration);
      const auto delay =
          std::chrono::microseconds(std::uniform_int_distribution<long>(0, span.count())(random));
      point = "after " + std::to_string(delay.count()) + " us";
      killedRunning += KillAfter(delay);
    }
    const std::string content = ReadWholeFile(Folder / "target");
    const bool old = content == Old;
    keptOld += old;
    EXPECT_TRUE(old || (mayBeNew && content == fresh))
        << "run " << run << " killed " << point << ": " << content.size() << " bytes";
  }
  EXPECT_GT(keptOld, 0);
  RecordProperty("KeptOld", keptOld);
  RecordProperty("KilledWhileRunning", killedRunning);
}

} // namespace

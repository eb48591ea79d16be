#include "app/uStartup.h"
#include "report/uFileLog.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::sys_days;
using std::chrono::system_clock;

// 2024-05-01 12:03:07.042 UTC.
const system_clock::time_point May1st = sys_days{std::chrono::year{2024} / 5 / 1} +
                                        std::chrono::hours{12} + std::chrono::minutes{3} +
                                        std::chrono::seconds{7} + milliseconds{42};

// Sets the time zone of the C library's local time; the zone before is back after the test.
class TTimeZone : public testing::Test {
 protected:
  void SetZone(const std::string& Zone) {
    if (!Environment_)
      Environment_.emplace();
    Environment_->Set("TZ", Zone);
    ::tzset();
  }
  void TearDown() override {
    Environment_.reset();
    ::tzset();
  }

 private:
  std::optional<TEnvironmentGuard> Environment_;
};

TEST_F(TTimeZone, FormatLogLineStampsLocalTimeWithMillisecondsAndOffset) {
  const struct {
    const char* Zone;
    system_clock::time_point Time;
    const char* Expected;
  } cases[] = {
      {"UTC0", May1st, "2024-05-01 12:03:07.042 +0000 [Warning] Low memory"},
      {"XST-2", May1st, "2024-05-01 14:03:07.042 +0200 [Warning] Low memory"},
      {"XST+5:30", May1st, "2024-05-01 06:33:07.042 -0530 [Warning] Low memory"},
      {"UTC0", May1st + std::chrono::hours{12},
       "2024-05-02 00:03:07.042 +0000 [Warning] Low memory"},
      // Before the epoch the milliseconds still count up from the whole second.
      {"UTC0", system_clock::time_point{} - milliseconds{1},
       "1969-12-31 23:59:59.999 +0000 [Warning] Low memory"},
      {"UTC0", system_clock::time_point{}, "1970-01-01 00:00:00.000 +0000 [Warning] Low memory"},
  };
  for (const auto& c : cases) {
    SetZone(c.Zone);
    EXPECT_EQ(FormatLogLine(c.Time, mlWarning, "Low memory"), c.Expected) << "zone " << c.Zone;
  }
}

TEST_F(TTimeZone, FormatLogLineNamesTheLevelByItsCaption) {
  SetZone("UTC0");
  const struct {
    TMessageLevel Level;
    const char* Expected;
  } cases[] = {
      {mlConfirmation, "[Confirmation] x"},
      {mlDebug, "[Debug] x"},
      {mlInformation, "[Information] x"},
      {mlWarning, "[Warning] x"},
      {mlError, "[Error] x"},
      {mlFatalError, "[Fatal Error] x"},
      {mlNone, "[None] x"},
      // A value outside the enumeration has no caption and shows its number.
      {static_cast<TMessageLevel>(MessageLevelCount), "[7] x"},
      {static_cast<TMessageLevel>(200), "[200] x"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatLogLine(May1st, c.Level, "x").substr(30), c.Expected)
        << "level " << int(c.Level);
}

TEST_F(TTimeZone, FormatLogLineKeepsEveryCallOnOneLine) {
  SetZone("UTC0");
  const struct {
    std::string Text;
    const char* Expected;
  } cases[] = {
      {"plain text", "plain text"},
      {"", ""},
      {"Bad header\n'b.csv'", "Bad header\\n'b.csv'"},
      {"a\r\nb\rc\n", "a\\r\\nb\\rc\\n"},
      {std::string("nul\0here", 8), "nul\\x00here"},
      {"\x01\x1F\x7F", "\\x01\\x1F\\x7F"},
      // Tabs, backslashes and UTF-8 stay as they are.
      {"a\tb", "a\tb"},
      {"C:\\dir\\n", "C:\\dir\\n"},
      {"\xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD", "\xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatLogLine(May1st, mlError, c.Text),
              std::string("2024-05-01 12:03:07.042 +0000 [Error] ") + c.Expected);
}

TEST(LogLevelFromText, AcceptsCaptionsKeysAndNamesInAnyCase) {
  const struct {
    const char* Text;
    std::optional<TMessageLevel> Expected;
  } cases[] = {
      {"Debug", mlDebug},
      {"debug", mlDebug},
      {"DEBUG", mlDebug},
      {" Warning\t", mlWarning},
      {"Confirmation", mlConfirmation},
      {"information", mlInformation},
      {"Error", mlError},
      {"Fatal Error", mlFatalError},
      {"fatal error", mlFatalError},
      {"FatalError", mlFatalError},
      {"mlFatalError", mlFatalError},
      {"MLERROR", mlError},
      {"None", mlNone},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"info", std::nullopt},
      {"Fatal  Error", std::nullopt},
      {"Debugging", std::nullopt},
      {"ml", std::nullopt},
      {"1", std::nullopt},
      {"Warning,Error", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LogLevelFromText(c.Text), c.Expected) << "\"" << c.Text << "\"";
}

// "2024-05-01 14:03:07.042 +0200 ": 9 stands for a digit, + for a sign.
constexpr std::string_view StampForm = "9999-99-99 99:99:99.999 +9999 ";

bool HasStamp(std::string_view Line) {
  if (Line.size() < StampForm.size())
    return false;
  for (std::size_t i = 0; i < StampForm.size(); ++i) {
    const char c = Line[i];
    const bool fits = StampForm[i] == '9'   ? c >= '0' && c <= '9'
                      : StampForm[i] == '+' ? c == '+' || c == '-'
                                            : c == StampForm[i];
    if (!fits)
      return false;
  }
  return true;
}

// The lines of the file, each as "[Caption] text" without its time stamp, after checking the
// stamp's form.
std::vector<std::string> LoggedLines(const std::filesystem::path& File) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(ReadWholeFile(File))) {
    if (HasStamp(line)) {
      lines.push_back(line.substr(StampForm.size()));
    } else {
      ADD_FAILURE() << "no time stamp: " << line;
      lines.push_back(line);
    }
  }
  return lines;
}

// A temporary folder, no log variables, no log file name, and a dialog that counts what reaches
// it; the sink, the file name and the dialog before are put back at the end.
class TFileLogTest : public testing::Test {
 protected:
  void SetUp() override {
    Environment.Unset(LogLevelVariable);
    Environment.Unset(LogFileVariable);
    SavedFileName_ = MainLogFileName();
    SetMainLogFileName("");
    SavedDialog_ =
        SetShowQueuedMessage([this](const std::string&, const TArrayOfString&, bool, TMessageLevel,
                                    const TArrayOfString&, std::uint16_t) {
          ++Dialogs;
          return -1;
        });
  }
  void TearDown() override {
    SetMainLog(nullptr);
    SetShowQueuedMessage(std::move(SavedDialog_));
    SetMainLogFileName(SavedFileName_);
  }

  TTempFolder Folder;
  TEnvironmentGuard Environment;
  int Dialogs = 0;

 private:
  std::string SavedFileName_;
  TShowQueuedMessage SavedDialog_;
};

TEST_F(TFileLogTest, WritesOnlyTheLinesAtOrAboveItsLevel) {
  for (std::size_t min = 0; min < MessageLevelCount; ++min) {
    const auto minLevel = static_cast<TMessageLevel>(min);
    const std::filesystem::path file = Folder / ("level" + std::to_string(min) + ".log");
    std::vector<std::string> expected;
    {
      TFileLog log(file.string(), minLevel);
      for (std::size_t level = 0; level < MessageLevelCount; ++level) {
        const std::string& caption = MessageLevelCaption(static_cast<TMessageLevel>(level));
        log.Add("line " + caption, static_cast<TMessageLevel>(level));
        if (level >= min)
          expected.push_back("[" + caption + "] line " + caption);
      }
    }
    EXPECT_EQ(LoggedLines(file), expected) << "lowest level " << MessageLevelCaption(minLevel);
  }
}

TEST_F(TFileLogTest, EachLineIsInTheFileAsSoonAsItIsAdded) {
  const std::filesystem::path file = Folder / "bmi.log";
  TFileLog log(file.string(), mlDebug);
  log.Add("Opening for reading \"a.txt\"", mlDebug);
  EXPECT_EQ(LoggedLines(file), std::vector<std::string>{"[Debug] Opening for reading \"a.txt\""});
  log.Add("Closing \"a.txt\"", mlDebug);
  EXPECT_EQ(LoggedLines(file).size(), 2u);
}

TEST_F(TFileLogTest, AppendsToAnExistingFile) {
  const std::filesystem::path file = Folder / "bmi.log";
  std::ofstream(file) << "2024-01-01 00:00:00.000 +0000 [Error] earlier run\n";
  TFileLog(file.string(), mlDebug).Add("this run", mlWarning);
  const std::vector<std::string> expected = {"[Error] earlier run", "[Warning] this run"};
  EXPECT_EQ(LoggedLines(file), expected);
}

TEST_F(TFileLogTest, MakesTheMissingFoldersAndAPrivateFile) {
  const std::filesystem::path file = Folder / "state/bmi/bmi.log";
  TFileLog(file.string(), mlDebug).Add("first", mlInformation);
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  struct stat status {};
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0077, 0u) << "only the owner may read the log";
  ASSERT_EQ(::stat(file.parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0077, 0u) << "only the owner may enter a folder made for the log";
}

TEST_F(TFileLogTest, MakesNoFileBeforeTheFirstLineItKeeps) {
  const std::filesystem::path file = Folder / "state/bmi.log";
  {
    TFileLog log(file.string(), mlError);
    log.Add("traced", mlDebug);
    log.Add("warned", mlWarning);
  }
  EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

TEST_F(TFileLogTest, AnUnwritableFileLosesTheLinesQuietly) {
  // A folder that is a plain file cannot hold the log, whatever the user's rights.
  std::ofstream(Folder / "plain") << "not a folder";
  const std::string names[] = {(Folder / "plain/bmi.log").string(),
                               (Folder / "plain/deeper/bmi.log").string(), Folder.Path().string(),
                               ""};
  for (const std::string& name : names) {
    testing::internal::CaptureStderr();
    {
      TFileLog log(name, mlDebug);
      errno = EACCES;
      EXPECT_NO_THROW(log.Add("lost", mlError));
      EXPECT_EQ(errno, EACCES) << "the caller's error code survives the log";
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << name;
    EXPECT_EQ(Dialogs, 0) << name;
  }
  EXPECT_EQ(ReadWholeFile(Folder / "plain"), "not a folder");
}

TEST_F(TFileLogTest, AFailedWriteLosesTheLineQuietly) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  testing::internal::CaptureStderr();
  {
    TFileLog log("/dev/full", mlDebug);
    errno = 0;
    EXPECT_NO_THROW(log.Add("disk full", mlError));
    EXPECT_EQ(errno, 0);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(Dialogs, 0);
}

TEST_F(TFileLogTest, AFailedOpenIsTriedAgainOnTheNextLine) {
  std::ofstream(Folder / "state") << "in the way";
  const std::filesystem::path file = Folder / "state/bmi.log";
  TFileLog log(file.string(), mlDebug);
  log.Add("lost", mlError);
  std::filesystem::remove(Folder / "state");
  log.Add("kept", mlError);
  EXPECT_EQ(LoggedLines(file), std::vector<std::string>{"[Error] kept"});
}

TEST_F(TFileLogTest, WithoutBmiLogNothingIsInstalledOrWritten) {
  const std::filesystem::path file = Folder / "state/bmi.log";
  Environment.Set(LogFileVariable, file.string());
  for (const char* value : {static_cast<const char*>(nullptr), "", "  ", "None", "none"}) {
    if (value)
      Environment.Set(LogLevelVariable, value);
    testing::internal::CaptureStderr();
    InitializeFileLog();
    EXPECT_EQ(MainLog(), nullptr) << (value ? value : "unset");
    ShowError("Disk %1", {"full"});
    ReportException(std::runtime_error("Boom"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << (value ? value : "unset");
  }
  EXPECT_EQ(MainLogFileName(), file.string()) << "the name is fixed, ready for a sink";
  EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

TEST_F(TFileLogTest, BmiLogNamingALevelInstallsTheSinkAtThatLevel) {
  const std::filesystem::path file = Folder / "bmi.log";
  Environment.Set(LogFileVariable, file.string());
  Environment.Set(LogLevelVariable, "warning");
  InitializeFileLog();
  const auto* sink = dynamic_cast<const TFileLog*>(MainLog());
  ASSERT_NE(sink, nullptr);
  EXPECT_EQ(sink->FileName(), file.string());
  EXPECT_EQ(sink->MinLevel(), mlWarning);

  MainLogAdd("Opening for reading \"a.txt\"", mlDebug);
  ShowError("Cannot open %1 (%2)", {"a", "b"});
  ReportMessage(mlInformation, "Saved %1", {"a.txt"});
  ReportException(std::runtime_error("Division by zero"), "TDTimer");
  const std::vector<std::string> expected = {"[Error] Cannot open 'a' ('b')",
                                             "[Fatal Error] Division by zero in class 'TDTimer'"};
  EXPECT_EQ(LoggedLines(file), expected);
}

TEST_F(TFileLogTest, AnUnknownLevelInstallsNothingAndSaysSoOnOneLine) {
  const std::filesystem::path file = Folder / "bmi.log";
  Environment.Set(LogFileVariable, file.string());
  for (const char* value : {"verbose", "info", "3", "Debug\nError"}) {
    Environment.Set(LogLevelVariable, value);
    testing::internal::CaptureStderr();
    InitializeFileLog();
    const std::string note = testing::internal::GetCapturedStderr();
    EXPECT_EQ(MainLog(), nullptr) << value;
    ASSERT_FALSE(note.empty()) << value;
    EXPECT_EQ(note.find('\n'), note.size() - 1) << "one line: " << note;
    EXPECT_NE(note.find("BMI_LOG"), std::string::npos) << note;
    EXPECT_NE(note.find(std::string(value).substr(0, 4)), std::string::npos) << note;
  }
  ShowError("Disk full");
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(TFileLogTest, ARelativeLogFileIsTakenFromTheCurrentFolderAtStartUp) {
  const TCurrentFolderGuard current(Folder.Path());
  Environment.Set(LogFileVariable, "logs/run.log");
  Environment.Set(LogLevelVariable, "Debug");
  InitializeFileLog();
  const std::filesystem::path expected = std::filesystem::current_path() / "logs/run.log";
  EXPECT_EQ(MainLogFileName(), expected.string());
  std::filesystem::current_path(Folder.Path().parent_path());
  MainLogAdd("moved", mlDebug);
  EXPECT_EQ(LoggedLines(expected), std::vector<std::string>{"[Debug] moved"});
}

TEST_F(TFileLogTest, WithoutBmiLogFileTheFixedNameOrElseTheDefaultIsUsed) {
  Environment.Set("XDG_STATE_HOME", (Folder / "state").string());
  InitializeFileLog();
  EXPECT_EQ(MainLogFileName(), (Folder / "state/bmi/bmi.log").string());

  SetMainLogFileName((Folder / "fixed.log").string());
  InitializeFileLog();
  EXPECT_EQ(MainLogFileName(), (Folder / "fixed.log").string());

  Environment.Set(LogFileVariable, (Folder / "chosen.log").string());
  InitializeFileLog();
  EXPECT_EQ(MainLogFileName(), (Folder / "chosen.log").string());
}

TEST_F(TFileLogTest, TheDefaultFileIsInTheUsersStateFolder) {
  const struct {
    std::optional<std::string> StateHome;
    std::optional<std::string> Home;
    const char* Expected;
  } cases[] = {
      {"/x/state", "/home/u", "/x/state/bmi/bmi.log"},
      {"/x/state/", "/home/u", "/x/state/bmi/bmi.log"},
      {std::nullopt, "/home/u", "/home/u/.local/state/bmi/bmi.log"},
      {"", "/home/u/", "/home/u/.local/state/bmi/bmi.log"},
      // A relative state folder is not a state folder.
      {"state", "/home/u", "/home/u/.local/state/bmi/bmi.log"},
  };
  for (const auto& c : cases) {
    TEnvironmentGuard environment;
    if (c.StateHome)
      environment.Set("XDG_STATE_HOME", *c.StateHome);
    else
      environment.Unset("XDG_STATE_HOME");
    if (c.Home)
      environment.Set("HOME", *c.Home);
    else
      environment.Unset("HOME");
    EXPECT_EQ(DefaultLogFileName(), c.Expected)
        << "XDG_STATE_HOME " << c.StateHome.value_or("unset") << ", HOME "
        << c.Home.value_or("unset");
  }
}

TEST_F(TFileLogTest, TheStartUpInstallsTheLogAndTheShutDownClosesIt) {
  const std::filesystem::path file = Folder / "bmi.log";
  Environment.Set(LogFileVariable, file.string());
  Environment.Set(LogLevelVariable, "Debug");
  FinalizeFramework();
  InitializeFramework();
  const bool installed = dynamic_cast<const TFileLog*>(MainLog()) != nullptr;
  MainLogAdd("started", mlInformation);
  FinalizeFramework();
  EXPECT_EQ(MainLog(), nullptr);
  Environment.Unset(LogLevelVariable);
  InitializeFramework();
  EXPECT_TRUE(installed);
  EXPECT_EQ(LoggedLines(file), std::vector<std::string>{"[Information] started"});
  EXPECT_EQ(MainLog(), nullptr);
}

} // namespace

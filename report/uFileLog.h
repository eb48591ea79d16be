#pragma once

// The file log: a log sink that appends one line per logged call to a text file, installed at
// start-up only when the environment asks for it.
//
//   BMI_LOG       the lowest level written: a level's caption, key or name in any case ("Debug",
//                 "warning", "Fatal Error", "FatalError", "mlError"). Unset, empty or "None": no
//                 log. Any other value: no log, and a one-line note on stderr.
//   BMI_LOG_FILE  the file written; a relative name is taken from the current directory at
//                 start-up. Unset or empty: the file name the program's paths fixed for the log
//                 (MainLogFileName), or, in a program that fixed none,
//                 $XDG_STATE_HOME/bmi/bmi.log (~/.local/state/bmi/bmi.log without it).
//
// A line reads "2024-05-01 14:03:07.042 +0200 [Warning] text": local time with milliseconds and
// the offset from UTC, the level caption in square brackets, and the text with its line breaks
// and other control characters written as escapes, so that every call stays on one line.

#include "report/uLog.h"
#include "report/uTypes.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The environment variables that switch the log on and name its file.
inline constexpr const char* LogLevelVariable = "BMI_LOG";
inline constexpr const char* LogFileVariable = "BMI_LOG_FILE";

// Appends the lines of MinLevel and above to a file. The file (mode 0600), and any missing
// directory above it (mode 0700), is made on the first line kept and opened for appending; each
// line goes out in one write, and the file is closed when the sink is freed. A line that cannot
// be written is dropped silently, and a failed open is tried again on the next line: the sink
// never reports, since every report comes back to the log.
class TFileLog : public TLog {
 public:
  TFileLog(std::string FileName, TMessageLevel MinLevel);
  ~TFileLog() override;

  void Add(const std::string& Line, TMessageLevel Level) override;

  const std::string& FileName() const noexcept { return FileName_; }
  TMessageLevel MinLevel() const noexcept { return MinLevel_; }

 private:
  [[nodiscard]] bool Open() noexcept;

  std::string FileName_;
  TMessageLevel MinLevel_;
  // The open file's descriptor, or -1 before the first line and after a failed open.
  int Handle_ = -1;
};

// One log line without its line feed, for Text logged at Level at the given Time (local time
// zone as the C library has it; a level without a caption shows its number).
std::string FormatLogLine(std::chrono::system_clock::time_point Time, TMessageLevel Level,
                          std::string_view Text);

// The level that Text names: a level's caption ("Fatal Error"), key ("FatalError") or name
// ("mlFatalError"), ASCII case ignored, surrounding blanks ignored. Nothing for any other text.
std::optional<TMessageLevel> LogLevelFromText(std::string_view Text);

// $XDG_STATE_HOME/bmi/bmi.log when that variable holds an absolute path, else
// $HOME/.local/state/bmi/bmi.log (the home of the user's account when HOME is unset or empty);
// empty when no home can be found.
std::string DefaultLogFileName();

// The sink the environment asks for, writing FileName: nullptr when BMI_LOG is unset, empty or
// "None", when it names no level (a note goes to stderr), or when FileName is empty (a note too).
std::unique_ptr<TFileLog> FileLogFromEnvironment(const std::string& FileName);

// Start-up: fixes MainLogFileName from BMI_LOG_FILE (or keeps it, or takes the default) and
// installs the sink that FileLogFromEnvironment makes, if any. FinalizeLog frees it.
void InitializeFileLog();

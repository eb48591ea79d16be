#pragma once

// The application-wide log. The framework traces what it does, and every report, through
// MainLogAdd to one optional sink. No sink is installed unless someone installs one; without it
// every log call returns at once and nothing is written anywhere.

#include "report/uTypes.h"

#include <memory>
#include <string>
#include <string_view>

// A log sink. Add receives every logged line with its level; it must accept any text and level
// and must not call the reporting routines (they log first, so they would come back here).
class TLog {
 public:
  TLog() = default;
  TLog(const TLog&) = delete;
  TLog& operator=(const TLog&) = delete;
  virtual ~TLog() = default;

  virtual void Add(const std::string& Line, TMessageLevel Level) = 0;
};

// The installed sink, or nullptr.
TLog* MainLog() noexcept;
// Installs Sink, which the log keeps until it is replaced or the log is finalized; the sink
// installed before is freed. nullptr removes the sink.
void SetMainLog(std::unique_ptr<TLog> Sink) noexcept;

// Passes Line and Level to the sink, if one is installed. Never raises: a sink that fails loses
// the line. A line logged by the sink itself while it adds one is dropped.
void MainLogAdd(std::string_view Line, TMessageLevel Level) noexcept;

// Lines logged while the program starts, before the sink that the environment asks for can be
// installed, are kept: KeepEarlyLogLines starts keeping (at most 256 lines), the next sink
// installed receives the kept lines first, in order, and keeping ends there or at
// DropEarlyLogLines, which forgets them.
void KeepEarlyLogLines() noexcept;
void DropEarlyLogLines() noexcept;

// The file a sink writes to. It is fixed at start-up by the paths of the environment; it is
// empty until then. Nothing is read or written here.
const std::string& MainLogFileName() noexcept;
void SetMainLogFileName(std::string FileName);

// Frees the sink, if any, at shut-down. Runs after the modules that may log.
void FinalizeLog() noexcept;

#include "report/uLog.h"

#include <utility>
#include <vector>

namespace {

std::unique_ptr<TLog> Sink;
std::string LogFileName;
// Set while the sink adds a line, so that a line the sink logs itself cannot recurse.
bool Adding = false;

struct TKeptLine {
  std::string Line;
  TMessageLevel Level;
};
// Lines logged while the program starts, before its sink can be installed.
constexpr std::size_t MaxKeptLines = 256;
bool Keeping = false;
std::vector<TKeptLine> KeptLines;

void AddToSink(std::string_view Line, TMessageLevel Level) noexcept {
  Adding = true;
  try {
    Sink->Add(std::string(Line), Level);
  } catch (...) {
    // Logging must never break the caller; the line is lost.
  }
  Adding = false;
}

} // namespace

TLog* MainLog() noexcept {
  return Sink.get();
}

void SetMainLog(std::unique_ptr<TLog> NewSink) noexcept {
  // The old sink is freed after the new one is in place, so lines it logs while being freed
  // reach the new sink, not a sink half destroyed.
  std::unique_ptr<TLog> old = std::exchange(Sink, std::move(NewSink));
  if (!Sink)
    return;
  std::vector<TKeptLine> kept = std::exchange(KeptLines, {});
  Keeping = false;
  for (const TKeptLine& line : kept)
    AddToSink(line.Line, line.Level);
}

void MainLogAdd(std::string_view Line, TMessageLevel Level) noexcept {
  if (Adding)
    return;
  if (Sink) {
    AddToSink(Line, Level);
  } else if (Keeping && KeptLines.size() < MaxKeptLines) {
    try {
      KeptLines.push_back({std::string(Line), Level});
    } catch (...) {
      // Without memory the line is lost, as a failing sink loses it.
    }
  }
}

void KeepEarlyLogLines() noexcept {
  Keeping = true;
}

void DropEarlyLogLines() noexcept {
  Keeping = false;
  KeptLines.clear();
  KeptLines.shrink_to_fit();
}

const std::string& MainLogFileName() noexcept {
  return LogFileName;
}

void SetMainLogFileName(std::string FileName) {
  LogFileName = std::move(FileName);
}

void FinalizeLog() noexcept {
  SetMainLog(nullptr);
  DropEarlyLogLines();
}

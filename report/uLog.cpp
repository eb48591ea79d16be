#include "report/uLog.h"

#include <utility>

namespace {

std::unique_ptr<TLog> Sink;
std::string LogFileName;
// Set while the sink adds a line, so that a line the sink logs itself cannot recurse.
bool Adding = false;

} // namespace

TLog* MainLog() noexcept {
  return Sink.get();
}

void SetMainLog(std::unique_ptr<TLog> NewSink) noexcept {
  // The old sink is freed after the new one is in place, so lines it logs while being freed
  // reach the new sink, not a sink half destroyed.
  std::unique_ptr<TLog> old = std::exchange(Sink, std::move(NewSink));
}

void MainLogAdd(std::string_view Line, TMessageLevel Level) noexcept {
  if (!Sink || Adding)
    return;
  Adding = true;
  try {
    Sink->Add(std::string(Line), Level);
  } catch (...) {
    // Logging must never break the caller; the line is lost.
  }
  Adding = false;
}

const std::string& MainLogFileName() noexcept {
  return LogFileName;
}

void SetMainLogFileName(std::string FileName) {
  LogFileName = std::move(FileName);
}

void FinalizeLog() noexcept {
  SetMainLog(nullptr);
}

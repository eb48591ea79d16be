#include "platform/uDisplayModes.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

std::unique_ptr<TDisplayModes> Installed;
// What the exit and signal handlers restore; the installed settings, read without locking
// from a signal handler.
TDisplayModes* volatile Guarded = nullptr;

constexpr int GuardedSignals[] = {SIGINT, SIGTERM, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction PreviousActions[std::size(GuardedSignals)];
bool GuardInstalled = false;

void RestoreAtExit() {
  if (TDisplayModes* modes = Guarded)
    modes->RestoreOriginal();
}

// Puts the mode back, then lets the signal take the course it had before the guard.
void RestoreOnSignal(int Signal) {
  RestoreAtExit();
  for (std::size_t i = 0; i < std::size(GuardedSignals); ++i)
    if (GuardedSignals[i] == Signal)
      sigaction(Signal, &PreviousActions[i], nullptr);
  std::raise(Signal);
}

} // namespace

std::string DisplayDriverKey(int Driver) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", Driver);
  return std::string(DisplayDriverRoot) + number;
}

std::string DisplayModeKey(int Driver, std::int32_t Bits, std::int32_t Width, std::int32_t Height) {
  return DisplayDriverKey(Driver) + "\\MODES\\" + std::to_string(Bits) + "\\" +
         std::to_string(Width) + "," + std::to_string(Height);
}

TDisplayModes* DisplayModes() {
  return Installed.get();
}

std::unique_ptr<TDisplayModes> SetDisplayModes(std::unique_ptr<TDisplayModes> Modes) {
  Guarded = Modes.get();
  std::swap(Installed, Modes);
  return Modes;
}

void GuardDisplayModes() noexcept {
  if (GuardInstalled)
    return;
  GuardInstalled = true;
  std::atexit(RestoreAtExit);
  for (std::size_t i = 0; i < std::size(GuardedSignals); ++i) {
    struct sigaction action {};
    action.sa_handler = RestoreOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(GuardedSignals[i], &action, &PreviousActions[i]);
    // A signal the program ignores stays ignored.
    if (PreviousActions[i].sa_handler == SIG_IGN)
      sigaction(GuardedSignals[i], &PreviousActions[i], nullptr);
  }
}

void FinalizeDisplayModes() noexcept {
  if (Installed)
    Installed->RestoreOriginal();
  Guarded = nullptr;
  Installed.reset();
}

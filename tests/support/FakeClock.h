#pragma once

// A clock that tests set by hand, and a scope that installs it: time stands still unless a test
// moves it.

#include "platform/uClock.h"

#include <cstdint>

class TFakeClock : public TClock {
 public:
  explicit TFakeClock(std::int64_t Frequency = 1000, std::int64_t Start = 1'000'000)
      : Frequency(Frequency), Now(Start), Milliseconds(Start), Start_(Start) {}

  std::int64_t CounterFrequency() noexcept override { return Frequency; }
  std::int64_t Counter() noexcept override { return Now; }
  std::int64_t MillisecondTicks() noexcept override { return Milliseconds; }

  // Moves both counters on: the high-resolution one by Ticks, the millisecond one by the same
  // time.
  void Advance(std::int64_t Ticks) noexcept {
    Now += Ticks;
    if (Frequency > 0)
      Milliseconds = Start_ + (Now - Start_) * 1000 / Frequency;
  }

  std::int64_t Frequency;
  std::int64_t Now;
  std::int64_t Milliseconds;

 private:
  std::int64_t Start_;
};

// Installs a clock for its own lifetime and restarts the tick counter on it; then reinstalls the
// clock that was installed before.
class TClockScope {
 public:
  explicit TClockScope(TClock& Clock) : Previous_(SetClock(&Clock)) {}
  ~TClockScope() { SetClock(Previous_); }
  TClockScope(const TClockScope&) = delete;
  TClockScope& operator=(const TClockScope&) = delete;

 private:
  TClock* Previous_;
};

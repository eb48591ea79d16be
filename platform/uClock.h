#pragma once

// The machine's clock and the framework's tick counter over it. Timers and load sampling measure
// time in ticks of this counter: a 64-bit count and its frequency in ticks per second, never below
// 1000. The clock behind it can be replaced, so that tests drive time by hand.

#include <cstdint>

// A time or a duration in ticks of the tick counter. Signed, so that differences may be negative.
using TTicks = std::int64_t;

// The machine's counters. The machine's own clock reads std::chrono::steady_clock.
class TClock {
 public:
  TClock() = default;
  TClock(const TClock&) = delete;
  TClock& operator=(const TClock&) = delete;
  virtual ~TClock() = default;

  // The high-resolution counter's frequency in counts per second; 0 or less when there is none.
  virtual std::int64_t CounterFrequency() noexcept = 0;
  // The high-resolution counter, counting up from an arbitrary start.
  virtual std::int64_t Counter() noexcept = 0;
  // Milliseconds counted up from an arbitrary start: the counter to fall back on.
  virtual std::int64_t MillisecondTicks() noexcept = 0;
};

// Installs Clock, which the caller keeps alive while it is installed, and restarts the tick
// counter on it; nullptr installs the machine's clock again. Returns the clock installed before,
// or nullptr for the machine's.
TClock* SetClock(TClock* Clock) noexcept;

// Starts the tick counter on the installed clock: the high-resolution counter when its frequency
// is at least 1000 per second, otherwise the millisecond ticks at a frequency of 1000. Until the
// first start the counter runs on the machine's steady clock.
void StartTickCounter() noexcept;
// Ticks per second; at least 1000.
TTicks TickFrequency() noexcept;
// The tick counter now.
TTicks TickCount() noexcept;
// Milliseconds as ticks, rounded to nearest (saturated to the range of TTicks).
TTicks MillisecondsToTicks(std::int64_t Milliseconds) noexcept;

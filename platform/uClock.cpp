#include "platform/uClock.h"

#include <chrono>
#include <limits>

namespace {

using TSteady = std::chrono::steady_clock;

class TSteadyClock final : public TClock {
 public:
  std::int64_t CounterFrequency() noexcept override {
    return TSteady::period::num == 1 ? TSteady::period::den : 0;
  }
  std::int64_t Counter() noexcept override { return TSteady::now().time_since_epoch().count(); }
  std::int64_t MillisecondTicks() noexcept override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TSteady::now().time_since_epoch())
        .count();
  }
};

TSteadyClock SteadyClock;
TClock* Installed = &SteadyClock;

// The counter as the steady clock gives it, until StartTickCounter chooses.
constexpr bool SteadyHasCounter = TSteady::period::num == 1 && TSteady::period::den >= 1000;
bool UseCounter = SteadyHasCounter;
TTicks Frequency = SteadyHasCounter ? TSteady::period::den : 1000;

} // namespace

TClock* SetClock(TClock* Clock) noexcept {
  TClock* previous = Installed == &SteadyClock ? nullptr : Installed;
  Installed = Clock ? Clock : &SteadyClock;
  StartTickCounter();
  return previous;
}

void StartTickCounter() noexcept {
  const std::int64_t frequency = Installed->CounterFrequency();
  UseCounter = frequency >= 1000;
  Frequency = UseCounter ? frequency : 1000;
}

TTicks TickFrequency() noexcept {
  return Frequency;
}

TTicks TickCount() noexcept {
  return UseCounter ? Installed->Counter() : Installed->MillisecondTicks();
}

TTicks MillisecondsToTicks(std::int64_t Milliseconds) noexcept {
  const __int128 ticks =
      (static_cast<__int128>(Milliseconds) * Frequency + (Milliseconds >= 0 ? 500 : -500)) / 1000;
  if (ticks > std::numeric_limits<TTicks>::max())
    return std::numeric_limits<TTicks>::max();
  if (ticks < std::numeric_limits<TTicks>::min())
    return std::numeric_limits<TTicks>::min();
  return static_cast<TTicks>(ticks);
}

#include "platform/uClock.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(TickCounter, RunsOnTheCounterFromAFrequencyOf1000) {
  const struct {
    std::int64_t Frequency;
    TTicks ExpectedFrequency;
    bool OnCounter;
  } cases[] = {
      {1000, 1000, true},
      {1001, 1001, true},
      {3'579'545, 3'579'545, true},
      {1'000'000'000, 1'000'000'000, true},
      // No counter, or one too slow: the millisecond ticks at 1000 per second.
      {999, 1000, false},
      {1, 1000, false},
      {0, 1000, false},
      {-1000, 1000, false},
  };
  for (const auto& c : cases) {
    TFakeClock clock(c.Frequency);
    clock.Now = 123'456'789;
    clock.Milliseconds = 42;
    const TClockScope scope(clock);
    EXPECT_EQ(TickFrequency(), c.ExpectedFrequency) << "counter frequency " << c.Frequency;
    EXPECT_EQ(TickCount(), c.OnCounter ? 123'456'789 : 42) << "counter frequency " << c.Frequency;
  }
}

TEST(TickCounter, FollowsTheClockItRunsOn) {
  TFakeClock clock(1000, 5000);
  const TClockScope scope(clock);
  clock.Advance(250);
  EXPECT_EQ(TickCount(), 5250);
}

TEST(TickCounter, ReturnsToTheSteadyClockWhenTheFakeIsRemoved) {
  {
    TFakeClock clock(0);
    const TClockScope scope(clock);
    ASSERT_EQ(TickFrequency(), 1000);
  }
  // The steady clock counts nanoseconds on Linux.
  EXPECT_EQ(TickFrequency(), 1'000'000'000);
}

TEST(TickCounter, InstallingAClockReturnsTheOneBefore) {
  TFakeClock first, second;
  EXPECT_EQ(SetClock(&first), nullptr) << "the machine's clock is installed at first";
  EXPECT_EQ(SetClock(&second), &first);
  EXPECT_EQ(SetClock(nullptr), &second);
}

TEST(MillisecondsToTicks, RoundsToNearestAndSaturates) {
  constexpr TTicks max = std::numeric_limits<TTicks>::max();
  constexpr TTicks min = std::numeric_limits<TTicks>::min();
  const struct {
    std::int64_t Frequency;
    std::int64_t Milliseconds;
    TTicks Expected;
  } cases[] = {
      {1000, 500, 500},
      {1000, -20, -20},
      {1'000'000'000, 20, 20'000'000},
      {3'579'545, 1, 3580},   // 3579.545 rounds up
      {3'579'545, -1, -3580}, // and away from zero
      {1'000'000'000, std::numeric_limits<std::int64_t>::max(), max},
      {1'000'000'000, std::numeric_limits<std::int64_t>::min(), min},
  };
  for (const auto& c : cases) {
    TFakeClock clock(c.Frequency);
    const TClockScope scope(clock);
    EXPECT_EQ(MillisecondsToTicks(c.Milliseconds), c.Expected)
        << c.Milliseconds << " ms at " << c.Frequency << " ticks per second";
  }
}

} // namespace

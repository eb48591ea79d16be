#include "platform/uSystemQueries.h"
#include "support/FakeClock.h"
#include "ui/uSysInfo.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// System answers set by hand; counts how often the processor times are asked for.
class TFakeSystem : public TSystemQueries {
 public:
  std::optional<TOSVersion> OSVersion() override { return Version; }
  std::optional<TProcessorIdentification> ProcessorIdentification() override { return Processor; }
  std::optional<unsigned> ProcessorCount() override { return Processors; }
  std::optional<TSystemTimes> SystemTimes() override {
    ++TimesAsked;
    return Times;
  }

  // Moves the times on: Time by Elapsed, Idle by Idle.
  void Pass(std::int64_t Elapsed, std::int64_t Idle) {
    Times->Time += Elapsed;
    Times->Idle += Idle;
  }

  std::optional<TOSVersion> Version = TOSVersion{6, 1};
  std::optional<TProcessorIdentification> Processor;
  std::optional<unsigned> Processors = 2;
  std::optional<TSystemTimes> Times = TSystemTimes{5'000'000'000, 1'000'000'000};
  int TimesAsked = 0;
};

// The system information started on a fake system and a fake 1000 Hz clock; the machine's are
// put back, and read again, afterwards.
class TSystemInfo : public testing::Test {
 protected:
  void SetUp() override {
    SetSystemQueries(&System);
    SetClock(&Clock);
  }
  void TearDown() override {
    SetSystemQueries(nullptr);
    SetClock(nullptr);
    InitSystemInfo();
  }

  // Starts as the framework does, then lets the refresh interval pass.
  void Start() {
    InitSystemInfo();
    Clock.Advance(CPUUsageRefreshMilliseconds);
  }

  TFakeSystem System;
  TFakeClock Clock{1000};
};

TEST_F(TSystemInfo, SetsTheVersionFlagsFromTheKernelVersion) {
  const struct {
    std::optional<TOSVersion> Version;
    bool Above4;
    bool From410;
  } cases[] = {
      {TOSVersion{6, 1}, true, true},   {TOSVersion{5, 0}, true, true},
      {TOSVersion{4, 10}, false, true}, {TOSVersion{4, 19}, false, true},
      {TOSVersion{4, 9}, false, false}, {TOSVersion{3, 99}, false, false},
      {TOSVersion{0, 0}, false, false}, {std::nullopt, false, false},
  };
  for (const auto& c : cases) {
    System.Version = c.Version;
    InitSystemInfo();
    const std::string version =
        c.Version ? std::to_string(c.Version->Major) + "." + std::to_string(c.Version->Minor)
                  : "unknown";
    EXPECT_EQ(OSVersionAbove4, c.Above4) << "version " << version;
    EXPECT_EQ(OSVersion410, c.From410) << "version " << version;
  }
}

TEST_F(TSystemInfo, FillsTheProcessorRecord) {
  System.Processor = TProcessorIdentification{
      0x000906EA, 0x00100800, {'G', 'e', 'n', 'u', 'i', 'n', 'e', 'I', 'n', 't', 'e', 'l'}};
  System.Processors = 8;
  InitSystemInfo();
  EXPECT_EQ(CPUInfo.Signature, 0x000906EAu);
  EXPECT_EQ(CPUInfo.MiscInfo, 0x00100800u);
  EXPECT_EQ(std::string(CPUInfo.Vendor.begin(), CPUInfo.Vendor.end()), "GenuineIntel");
  EXPECT_EQ(CPUInfo.ProcessorCount, 8);
}

TEST_F(TSystemInfo, KeepsBlanksAndZerosWithoutAnIdentification) {
  System.Processor = TProcessorIdentification{1, 2, {'x'}};
  InitSystemInfo();
  System.Processor = std::nullopt;
  InitSystemInfo();
  EXPECT_EQ(CPUInfo.Signature, 0u);
  EXPECT_EQ(CPUInfo.MiscInfo, 0u);
  EXPECT_EQ(std::string(CPUInfo.Vendor.begin(), CPUInfo.Vendor.end()), std::string(12, ' '));
}

TEST_F(TSystemInfo, CountsProcessorsFromOneTo255) {
  const struct {
    std::optional<unsigned> Reported;
    int Expected;
  } cases[] = {
      {1, 1},
      {2, 2},
      {255, 255},
      // More than a byte holds.
      {256, 255},
      {4096, 255},
      // The system cannot tell.
      {std::nullopt, 1},
      {0, 1},
  };
  for (const auto& c : cases) {
    System.Processors = c.Reported;
    InitSystemInfo();
    const std::string reported = c.Reported ? std::to_string(*c.Reported) : "nothing";
    EXPECT_EQ(ProcessorCount(), c.Expected) << "the system reports " << reported;
    EXPECT_EQ(CPUInfo.ProcessorCount, c.Expected) << "the system reports " << reported;
  }
}

TEST_F(TSystemInfo, TheFirstLoadIsZero) {
  InitSystemInfo();
  EXPECT_EQ(System.TimesAsked, 1) << "start-up takes the first sample";
  Clock.Advance(CPUUsageRefreshMilliseconds);
  EXPECT_EQ(SystemCPUUsage(), 0) << "the first sample has nothing to compare with";
}

TEST_F(TSystemInfo, ComputesTheLoadSinceThePreviousSample) {
  // Per 100 ns of one processor's time: the idle time summed over all processors.
  const struct {
    unsigned Processors;
    std::int64_t Elapsed;
    std::int64_t Idle;
    int Expected;
  } cases[] = {
      {1, 5'000'000, 5'000'000, 0},
      {1, 5'000'000, 0, 10000},
      {2, 5'000'000, 5'000'000, 5000},
      {4, 5'000'000, 15'000'000, 2500},
      {3, 3'000'000, 1'000'000, 8889},
      {8, 10'000'000, 79'999'999, 0},
      {8, 10'000'000, 79'992'000, 1},
      {2, 1, 1, 5000},
      // More idle time than the processors have, or less than none: clamped.
      {2, 5'000'000, 10'000'001, 0},
      {1, 5'000'000, 50'000'000, 0},
      {1, 5'000'000, -2'500'000, 10000},
      {2, 5'000'000, -5'000'000, 10000},
  };
  for (const auto& c : cases) {
    System.Processors = c.Processors;
    Start();
    System.Pass(c.Elapsed, c.Idle);
    EXPECT_EQ(SystemCPUUsage(), c.Expected)
        << c.Processors << " processors, " << c.Idle << " idle in " << c.Elapsed;
  }
}

TEST_F(TSystemInfo, ReturnsTheLastLoadWithinTheRefreshIntervalWithoutAsking) {
  Start();
  System.Pass(5'000'000, 5'000'000);
  ASSERT_EQ(SystemCPUUsage(), 5000);
  const int asked = System.TimesAsked;
  System.Pass(5'000'000, 0);
  const std::int64_t sampled = Clock.Now;
  for (int ms : {0, 1, CPUUsageRefreshMilliseconds - 1}) {
    Clock.Now = sampled + ms;
    EXPECT_EQ(SystemCPUUsage(), 5000) << ms << " ms after the sample";
  }
  EXPECT_EQ(System.TimesAsked, asked) << "the system is not asked within the interval";
  Clock.Now = sampled + CPUUsageRefreshMilliseconds;
  EXPECT_EQ(SystemCPUUsage(), 10000) << "a full interval later it samples again";
  EXPECT_EQ(System.TimesAsked, asked + 1);
}

TEST_F(TSystemInfo, CountsTheRefreshIntervalInMilliseconds) {
  // At a nanosecond counter 500 ticks would be half a microsecond.
  TFakeClock fast(1'000'000'000);
  const TClockScope scope(fast);
  InitSystemInfo();
  fast.Advance(1'000'000 * CPUUsageRefreshMilliseconds - 1);
  System.Pass(5'000'000, 0);
  SystemCPUUsage();
  EXPECT_EQ(System.TimesAsked, 1);
  fast.Advance(1);
  EXPECT_EQ(SystemCPUUsage(), 10000);
  EXPECT_EQ(System.TimesAsked, 2);
}

TEST_F(TSystemInfo, ALoadQueryThatFailsGivesZeroAndKeepsThePreviousSample) {
  Start();
  System.Pass(5'000'000, 2'500'000);
  ASSERT_EQ(SystemCPUUsage(), 7500);
  System.Pass(5'000'000, 0);
  const struct {
    const char* Failing;
    std::optional<unsigned>* Processors;
    std::optional<TSystemTimes>* Times;
  } cases[] = {
      {"processor count", &System.Processors, nullptr},
      {"processor times", nullptr, &System.Times},
  };
  for (const auto& c : cases) {
    const std::optional<unsigned> processors = System.Processors;
    const std::optional<TSystemTimes> times = System.Times;
    if (c.Processors)
      c.Processors->reset();
    if (c.Times)
      c.Times->reset();
    Clock.Advance(CPUUsageRefreshMilliseconds);
    EXPECT_EQ(SystemCPUUsage(), 0) << "the " << c.Failing << " query fails";
    System.Processors = processors;
    System.Times = times;
  }
  Clock.Advance(CPUUsageRefreshMilliseconds);
  EXPECT_EQ(SystemCPUUsage(), 10000) << "the load since the sample before the failures";
}

TEST_F(TSystemInfo, KeepsTheLastLoadWhenNoTimePassedBetweenSamples) {
  Start();
  System.Pass(5'000'000, 2'500'000);
  ASSERT_EQ(SystemCPUUsage(), 7500);
  // The counters move in steps of the kernel's clock, so two samples may hold the same time.
  for (std::int64_t elapsed : {0, -1}) {
    System.Pass(elapsed, 0);
    Clock.Advance(CPUUsageRefreshMilliseconds);
    EXPECT_EQ(SystemCPUUsage(), 7500) << elapsed << " passed";
  }
}

TEST_F(TSystemInfo, AClockThatWentBackRestartsTheRefreshInterval) {
  Start();
  System.Pass(5'000'000, 5'000'000);
  ASSERT_EQ(SystemCPUUsage(), 5000);
  const int asked = System.TimesAsked;
  Clock.Advance(-10'000);
  System.Pass(5'000'000, 0);
  EXPECT_EQ(SystemCPUUsage(), 5000);
  Clock.Advance(CPUUsageRefreshMilliseconds - 1);
  EXPECT_EQ(SystemCPUUsage(), 5000);
  EXPECT_EQ(System.TimesAsked, asked);
  Clock.Advance(1);
  EXPECT_EQ(SystemCPUUsage(), 10000);
}

} // namespace

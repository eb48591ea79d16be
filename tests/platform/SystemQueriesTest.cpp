#include "platform/uSystemQueries.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(ParseKernelRelease, ReadsMajorAndMinor) {
  const struct {
    const char* Release;
    std::optional<TOSVersion> Expected;
  } cases[] = {
      {"6.1.0-18-amd64", TOSVersion{6, 1}},
      {"4.10.0", TOSVersion{4, 10}},
      {"4.9.0-generic", TOSVersion{4, 9}},
      {"5.15.133.1-microsoft-standard-WSL2", TOSVersion{5, 15}},
      {"3", TOSVersion{3, 0}},
      {"7-rc1", TOSVersion{7, 0}},
      {"4.", TOSVersion{4, 0}},
      {"4.x", TOSVersion{4, 0}},
      {"4294967295.4294967295", TOSVersion{4294967295u, 4294967295u}},
      // No number first, or a number beyond 32 bits: no version.
      {"", std::nullopt},
      {"linux", std::nullopt},
      {" 6.1", std::nullopt},
      {"-6.1", std::nullopt},
      {"4294967296.1", std::nullopt},
      {"6.4294967296", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<TOSVersion> version = ParseKernelRelease(c.Release);
    ASSERT_EQ(version.has_value(), c.Expected.has_value()) << "release \"" << c.Release << '"';
    if (version) {
      EXPECT_EQ(version->Major, c.Expected->Major) << "release \"" << c.Release << '"';
      EXPECT_EQ(version->Minor, c.Expected->Minor) << "release \"" << c.Release << '"';
    }
  }
}

// Two processors, counters at 100 per second: idle 400 + iowait 20 ticks, all states 1000 ticks
// (the guest times, 70 and 5, are part of user and nice already).
constexpr const char* TwoProcessors = "cpu  300 50 200 400 20 10 15 5 70 5\n"
                                      "cpu0 150 25 100 200 10 5 8 2 35 2\n"
                                      "cpu1 150 25 100 200 10 5 7 3 35 3\n"
                                      "intr 12345 0 0\n"
                                      "ctxt 99\n"
                                      "btime 1700000000\n";

TEST(ParseProcStat, ReadsIdleAndTimeIn100Nanoseconds) {
  const struct {
    const char* Text;
    long TicksPerSecond;
    std::int64_t Idle;
    std::int64_t Time;
  } cases[] = {
      {TwoProcessors, 100, 420 * 100'000, 1000 * 100'000 / 2},
      {TwoProcessors, 1000, 420 * 10'000, 1000 * 10'000 / 2},
      // Kernels before iowait write four states.
      {"cpu 1 2 3 4\ncpu0 1 2 3 4\n", 100, 4 * 100'000, 10 * 100'000},
      // Lines in another order, tabs and a missing final line feed.
      {"intr 1\ncpu3\t1 1 1 1\ncpu\t2 2 2 6 0 0 0 0", 100, 6 * 100'000, 12 * 100'000},
      // Names that only start like a processor line do not count.
      {"cpu 1 1 1 1\ncpu0 1 1 1 1\ncpufreq 1\ncpu1x 2\n", 100, 100'000, 4 * 100'000},
  };
  for (const auto& c : cases) {
    const std::optional<TSystemTimes> times = ParseProcStat(c.Text, c.TicksPerSecond);
    ASSERT_TRUE(times) << c.Text;
    EXPECT_EQ(times->Idle, c.Idle) << c.Text;
    EXPECT_EQ(times->Time, c.Time) << c.Text;
  }
}

TEST(ParseProcStat, RejectsWhatIsNoProcessorStatistics) {
  const struct {
    const char* Why;
    std::string Text;
    long TicksPerSecond;
  } cases[] = {
      {"empty", "", 100},
      {"no total line", "cpu0 1 2 3 4\n", 100},
      {"no processor line", "cpu 1 2 3 4\n", 100},
      {"too few states", "cpu 1 2 3\ncpu0 1 2 3\n", 100},
      {"a state that is no number", "cpu 1 2 x 4\ncpu0 1 2 3 4\n", 100},
      {"a negative state", "cpu 1 -2 3 4\ncpu0 1 2 3 4\n", 100},
      {"a state beyond 64 bits", "cpu 1 2 3 18446744073709551616\ncpu0 1 2 3 4\n", 100},
      {"a time beyond 64 bits of 100 ns", "cpu 18446744073709551615 0 0 0\ncpu0 1 2 3 4\n", 100},
      {"no clock rate", TwoProcessors, 0},
      {"a negative clock rate", TwoProcessors, -100},
      {"binary garbage", std::string("cpu \0\xff 1 2 3\ncpu0\n", 18), 100},
  };
  for (const auto& c : cases)
    EXPECT_FALSE(ParseProcStat(c.Text, c.TicksPerSecond)) << c.Why;
}

TEST(SystemQueries, TheMachineAnswersEveryQuery) {
  TSystemQueries& system = SystemQueries();
  EXPECT_TRUE(system.OSVersion());
  const std::optional<unsigned> processors = system.ProcessorCount();
  ASSERT_TRUE(processors);
  EXPECT_GE(*processors, 1u);
  const std::optional<TSystemTimes> times = system.SystemTimes();
  ASSERT_TRUE(times);
  EXPECT_GT(times->Time, 0);
  EXPECT_GE(times->Idle, 0);
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_TRUE(system.ProcessorIdentification());
#endif
}

} // namespace

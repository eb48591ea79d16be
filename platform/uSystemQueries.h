#pragma once

// What the framework asks the operating system about the machine: the kernel's version, the
// processor's identification, the number of processors and the accumulated processor times. The
// machine's own answers come from uname, the cpuid instruction, sysconf and /proc/stat; tests
// install fakes instead.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// A kernel version: the first two numbers of its release.
struct TOSVersion {
  unsigned Major = 0;
  unsigned Minor = 0;
};

// The processor identification instruction's answers: the first two registers of leaf 1 and the
// vendor text of leaf 0 (its second, fourth and third register, in that order).
struct TProcessorIdentification {
  std::uint32_t Signature = 0; // stepping, model, family
  std::uint32_t MiscInfo = 0;  // brand index, cache line size, logical processors, APIC id
  std::array<char, 12> Vendor{};
};

// Processor times accumulated since boot, in units of 100 ns: Idle summed over every processor,
// Time the time that passed for one processor.
struct TSystemTimes {
  std::int64_t Idle = 0;
  std::int64_t Time = 0;
};

class TSystemQueries {
 public:
  TSystemQueries() = default;
  TSystemQueries(const TSystemQueries&) = delete;
  TSystemQueries& operator=(const TSystemQueries&) = delete;
  virtual ~TSystemQueries() = default;

  // Every query answers nothing when the system cannot tell.
  virtual std::optional<TOSVersion> OSVersion() = 0;
  virtual std::optional<TProcessorIdentification> ProcessorIdentification() = 0;
  // Processors online, at least 1.
  virtual std::optional<unsigned> ProcessorCount() = 0;
  virtual std::optional<TSystemTimes> SystemTimes() = 0;
};

// The installed queries: the machine's unless a test installed others.
TSystemQueries& SystemQueries() noexcept;
// Installs Queries, which the caller keeps alive while they are installed; nullptr installs the
// machine's again. Returns the queries installed before, or nullptr for the machine's.
TSystemQueries* SetSystemQueries(TSystemQueries* Queries) noexcept;

// The version at the start of a kernel release such as "6.1.0-18-amd64": the major number and,
// after a ".", the minor (0 when there is none). Nothing when the release starts with no number or
// a number does not fit in 32 bits.
std::optional<TOSVersion> ParseKernelRelease(std::string_view Release);
// The processor times of a /proc/stat text whose counters run at ClockTicksPerSecond: idle and
// waiting for input count as idle; Time is the sum of the "cpu" line's states (without the guest
// times, which the user times already hold) divided by the number of "cpuN" lines. Nothing when
// the text has no such lines, a field is no number, a sum does not fit, or the clock rate is not
// positive.
std::optional<TSystemTimes> ParseProcStat(std::string_view Text, long ClockTicksPerSecond);

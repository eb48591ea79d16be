#pragma once

// What the framework knows about the machine, gathered once at start-up: two version flags of the
// operating system, the processor's identification and a first sample of the system's processor
// load. Start-up also starts the tick counter that timers run on.

#include <array>
#include <cstdint>

// The kernel's major version is above 4.
extern bool OSVersionAbove4;
// The kernel's version is 4.10 or later.
extern bool OSVersion410;

// The processor's identification.
struct TCPUInfo {
  std::uint32_t Signature = 0; // identification leaf 1, first register: stepping, model, family
  std::uint32_t MiscInfo = 0;  // identification leaf 1, second register
  std::array<char, 12> Vendor = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  std::uint8_t ProcessorCount = 1; // at most 255
};

extern TCPUInfo CPUInfo;

// How long SystemCPUUsage returns its last load before it samples the system again.
inline constexpr int CPUUsageRefreshMilliseconds = 500;

// The number of processors online; 1 when the system cannot tell, 255 when there are more.
std::uint8_t ProcessorCount();

// The system's processor load in hundredths of a percent, 0 ... 10000, over the time since the
// previous sample. Returns the last load without asking the system when that sample is less than
// CPUUsageRefreshMilliseconds old. The first sample, and any sample the system cannot answer,
// gives 0.
std::int32_t SystemCPUUsage();

// Start-up: reads the version flags, starts the tick counter, fills CPUInfo, forgets any earlier
// load sample and takes a first one.
void InitSystemInfo();

#include "ui/uSysInfo.h"

#include "platform/uClock.h"
#include "platform/uSystemQueries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

bool OSVersionAbove4 = false;
bool OSVersion410 = false;
TCPUInfo CPUInfo;

namespace {

constexpr std::int32_t FullLoad = 10000;

// The load state: the last load, when it was computed, and the sample it was computed from.
struct TLoadState {
  std::int32_t Load = 0;
  // Far enough in the past that the first call always samples.
  TTicks LastTick = std::numeric_limits<TTicks>::min() / 2;
  std::optional<TSystemTimes> Previous;
};

TLoadState LoadState;

// The load between two samples: 100 % less the share of the time the processors were idle,
// clamped to 0 ... 100 %. A sample with no time passed since the previous one gives nothing.
std::optional<std::int32_t> LoadBetween(const TSystemTimes& Previous, const TSystemTimes& Current,
                                        unsigned Processors) {
  const long double idle = static_cast<long double>(Current.Idle) - Previous.Idle;
  const long double time = static_cast<long double>(Current.Time) - Previous.Time;
  if (!(time > 0))
    return std::nullopt;
  const long double load = std::round((100 - idle / time * 100 / Processors) * 100);
  return static_cast<std::int32_t>(std::clamp<long double>(load, 0, FullLoad));
}

// Samples the system and computes the load since the previous sample.
std::int32_t ComputeLoad() {
  TSystemQueries& system = SystemQueries();
  const std::optional<unsigned> processors = system.ProcessorCount();
  const std::optional<TSystemTimes> times = system.SystemTimes();
  if (!processors || *processors == 0 || !times)
    return 0;
  std::int32_t load = 0;
  if (LoadState.Previous) {
    const std::optional<std::int32_t> between =
        LoadBetween(*LoadState.Previous, *times, *processors);
    // No time passed: the counters advance in steps, so keep the last load.
    if (!between)
      return LoadState.Load;
    load = *between;
  }
  LoadState.Previous = times;
  return load;
}

} // namespace

std::uint8_t ProcessorCount() {
  const std::optional<unsigned> count = SystemQueries().ProcessorCount();
  if (!count || *count == 0)
    return 1;
  return static_cast<std::uint8_t>(std::min(*count, 255u));
}

std::int32_t SystemCPUUsage() {
  const TTicks now = TickCount();
  if (now < LoadState.LastTick)
    LoadState.LastTick = now;
  const TTicks refresh = MillisecondsToTicks(CPUUsageRefreshMilliseconds);
  if (static_cast<__int128>(now) - LoadState.LastTick < refresh)
    return LoadState.Load;
  LoadState.Load = ComputeLoad();
  LoadState.LastTick = now;
  return LoadState.Load;
}

void InitSystemInfo() {
  const std::optional<TOSVersion> version = SystemQueries().OSVersion();
  OSVersionAbove4 = version && version->Major > 4;
  OSVersion410 = version && (version->Major > 4 || (version->Major == 4 && version->Minor >= 10));

  StartTickCounter();

  CPUInfo = TCPUInfo();
  if (const std::optional<TProcessorIdentification> id =
          SystemQueries().ProcessorIdentification()) {
    CPUInfo.Signature = id->Signature;
    CPUInfo.MiscInfo = id->MiscInfo;
    CPUInfo.Vendor = id->Vendor;
  }
  CPUInfo.ProcessorCount = ProcessorCount();

  LoadState = TLoadState();
  SystemCPUUsage();
}

#include "platform/uSystemQueries.h"

#include <cpuid.h>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// The states of a "cpu" line, in the kernel's order; guest and guest_nice follow them.
enum : std::size_t {
  StateIdle = 3,
  StateIOWait = 4,
  StatesCounted = 8, // user, nice, system, idle, iowait, irq, softirq, steal
  StatesRequired = 4 // the oldest kernels write only user, nice, system and idle
};

// /proc/stat is a few kilobytes; more than this is no /proc/stat.
constexpr std::size_t MaxProcStatSize = 1 << 20;

constexpr std::int64_t HundredNanosecondsPerSecond = 10'000'000;

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t';
}

std::vector<std::string_view> Fields(std::string_view Line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < Line.size()) {
    while (pos < Line.size() && IsBlank(Line[pos]))
      ++pos;
    std::size_t end = pos;
    while (end < Line.size() && !IsBlank(Line[end]))
      ++end;
    if (end > pos)
      fields.push_back(Line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

// The whole of Text as an unsigned decimal number.
std::optional<std::uint64_t> ReadNumber(std::string_view Text) noexcept {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
  if (Text.empty() || error != std::errc() || end != Text.data() + Text.size())
    return std::nullopt;
  return value;
}

// "cpu" followed by one or more digits: the line of one processor.
bool IsProcessorLine(std::string_view Name) noexcept {
  if (Name.size() <= 3 || Name.substr(0, 3) != "cpu")
    return false;
  for (char c : Name.substr(3))
    if (c < '0' || c > '9')
      return false;
  return true;
}

// Counter ticks as 100 ns units, or nothing when they do not fit.
std::optional<std::int64_t> ToHundredNanoseconds(unsigned __int128 Ticks, long TicksPerSecond) {
  const unsigned __int128 value =
      Ticks * HundredNanosecondsPerSecond / static_cast<unsigned __int128>(TicksPerSecond);
  if (value > static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()))
    return std::nullopt;
  return static_cast<std::int64_t>(value);
}

// Owns a file descriptor.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int Fd) noexcept : Fd_(Fd) {}
  ~TFileDescriptor() {
    if (Fd_ >= 0)
      close(Fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const noexcept { return Fd_; }

 private:
  int Fd_;
};

// The whole of a small file such as those of /proc, whose size stat cannot tell.
std::optional<std::string> ReadSmallFile(const char* Name) {
  const TFileDescriptor file(open(Name, O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0)
    return std::nullopt;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(file.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return std::nullopt;
    if (n == 0)
      return text;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > MaxProcStatSize)
      return std::nullopt;
  }
}

class TMachineQueries final : public TSystemQueries {
 public:
  std::optional<TOSVersion> OSVersion() override {
    utsname name{};
    if (uname(&name) != 0)
      return std::nullopt;
    return ParseKernelRelease(
        std::string_view(name.release, strnlen(name.release, sizeof name.release)));
  }

  std::optional<TProcessorIdentification> ProcessorIdentification() override {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx))
      return std::nullopt;
    TProcessorIdentification id;
    std::memcpy(id.Vendor.data(), &ebx, 4);
    std::memcpy(id.Vendor.data() + 4, &edx, 4);
    std::memcpy(id.Vendor.data() + 8, &ecx, 4);
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
      id.Signature = eax;
      id.MiscInfo = ebx;
    }
    return id;
  }

  std::optional<unsigned> ProcessorCount() override {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    if (count < 1)
      return std::nullopt;
    return count > std::numeric_limits<unsigned>::max() ? std::numeric_limits<unsigned>::max()
                                                        : static_cast<unsigned>(count);
  }

  std::optional<TSystemTimes> SystemTimes() override {
    const std::optional<std::string> text = ReadSmallFile("/proc/stat");
    if (!text)
      return std::nullopt;
    return ParseProcStat(*text, sysconf(_SC_CLK_TCK));
  }
};

TMachineQueries MachineQueries;
TSystemQueries* Installed = &MachineQueries;

} // namespace

TSystemQueries& SystemQueries() noexcept {
  return *Installed;
}

TSystemQueries* SetSystemQueries(TSystemQueries* Queries) noexcept {
  TSystemQueries* previous = Installed == &MachineQueries ? nullptr : Installed;
  Installed = Queries ? Queries : &MachineQueries;
  return previous;
}

std::optional<TOSVersion> ParseKernelRelease(std::string_view Release) {
  const char* const begin = Release.data();
  const char* const end = begin + Release.size();
  TOSVersion version;
  const auto major = std::from_chars(begin, end, version.Major);
  if (major.ec != std::errc())
    return std::nullopt;
  if (major.ptr == end || *major.ptr != '.')
    return version;
  const auto minor = std::from_chars(major.ptr + 1, end, version.Minor);
  if (minor.ec == std::errc::result_out_of_range)
    return std::nullopt;
  if (minor.ec != std::errc())
    version.Minor = 0;
  return version;
}

std::optional<TSystemTimes> ParseProcStat(std::string_view Text, long ClockTicksPerSecond) {
  if (ClockTicksPerSecond <= 0)
    return std::nullopt;
  std::optional<std::vector<std::string_view>> total;
  std::uint64_t processors = 0;
  std::size_t pos = 0;
  while (pos < Text.size()) {
    std::size_t end = Text.find('\n', pos);
    if (end == Text.npos)
      end = Text.size();
    std::vector<std::string_view> fields = Fields(Text.substr(pos, end - pos));
    pos = end + 1;
    if (fields.empty())
      continue;
    if (fields.front() == "cpu" && !total)
      total = std::move(fields);
    else if (IsProcessorLine(fields.front()))
      ++processors;
  }
  if (!total || processors == 0 || total->size() < 1 + StatesRequired)
    return std::nullopt;

  unsigned __int128 sum = 0, idle = 0;
  for (std::size_t state = 0; state < StatesCounted && state + 1 < total->size(); ++state) {
    const std::optional<std::uint64_t> ticks = ReadNumber((*total)[state + 1]);
    if (!ticks)
      return std::nullopt;
    sum += *ticks;
    if (state == StateIdle || state == StateIOWait)
      idle += *ticks;
  }
  const std::optional<std::int64_t> idleTime = ToHundredNanoseconds(idle, ClockTicksPerSecond);
  const std::optional<std::int64_t> allTime = ToHundredNanoseconds(sum, ClockTicksPerSecond);
  if (!idleTime || !allTime)
    return std::nullopt;
  return TSystemTimes{*idleTime,
                      static_cast<std::int64_t>(static_cast<std::uint64_t>(*allTime) / processors)};
}

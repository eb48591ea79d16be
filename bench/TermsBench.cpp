// The cost per term of reading long sums "1+1+...+1" with StrToValE and a message list, the
// calculator's path, at 1 thousand, 10 thousand, 100 thousand and 5 million terms, so that linear
// growth shows as a flat cost per term. muparser reads the same texts beside it as far as it can:
// it refuses expressions of more than 20000 characters, so it takes part up to 10 thousand terms.
//
// Time: Google Benchmark's own timing, real and processor time, divided by the terms.
// Memory: every size is read once more in a child process of its own, forked before any benchmark
// runs, so that no heap left by an earlier read can hide what a read needs. Two figures per term:
//   rss_B_per_term:  the growth of the peak resident set during the read (VmHWM after the read less
//                    VmRSS before it, the peak reset through /proc/self/clear_refs just before):
//                    what the machine pays, allocator overhead and page rounding included. The
//                    kernel counts resident pages in batches, so the figure is good to about a
//                    hundred kilobytes and says little at 1000 terms;
//   heap_B_per_term: the growth of the peak of live heap bytes, counted by the replaced global
//                    operator new and delete with the allocator's usable size of every block: exact
//                    at every size, but blind to the stack and to memory taken other than by new.
// The text itself is made before either baseline and is not counted. The same read is done once
// before the baselines and its memory handed back, so that neither the code pages reading touches
// first nor heap left over from it count, while the heap has to be touched again.

#include "BenchRatios.h"
#include "app/uStartup.h"
#include "expr/uDParser.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"

#include <fcntl.h>
#include <malloc.h>
#include <muParser.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

// Live and peak heap bytes, counted by the operators below. The benchmark is single-threaded.
std::size_t LiveBytes = 0;
std::size_t PeakBytes = 0;

void* Allocate(std::size_t size, std::size_t alignment) {
  void* block = nullptr;
  if (alignment <= alignof(std::max_align_t))
    block = std::malloc(size ? size : 1);
  else if (posix_memalign(&block, alignment, size ? size : 1) != 0)
    block = nullptr;
  if (!block)
    return nullptr;
  LiveBytes += malloc_usable_size(block);
  if (LiveBytes > PeakBytes)
    PeakBytes = LiveBytes;
  return block;
}

void Release(void* block) noexcept {
  if (!block)
    return;
  LiveBytes -= malloc_usable_size(block);
  std::free(block);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  if (void* block = Allocate(size, alignment))
    return block;
  throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
  return AllocateOrThrow(size, 0);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, 0);
}
void operator delete(void* block) noexcept {
  Release(block);
}
void operator delete[](void* block) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}

namespace {

constexpr long double Max = std::numeric_limits<long double>::max();
// muparser refuses longer expressions (mu::ParserBase::MaxLenExpression).
constexpr std::size_t MuparserLimit = 20000;

const long Sizes[] = {1000, 10000, 100000, 5000000};

std::string Sum(long terms) {
  std::string text;
  text.reserve(static_cast<std::size_t>(terms) * 2);
  text += '1';
  for (long i = 1; i < terms; ++i)
    text += "+1";
  return text;
}

// One read as the calculator does it; false when the value or the messages are not the right ones.
bool ReadOurs(const std::string& text, long terms) {
  TParserMessages messages;
  const long double value = StrToValE(text, true, &messages, -Max, 0, Max);
  return value == terms && messages.Count() == 0;
}

bool ReadTheirs(const std::string& text, long terms) {
  try {
    mu::Parser parser;
    parser.SetExpr(text);
    return parser.Eval() == terms;
  } catch (const mu::Parser::exception_type&) {
    return false;
  }
}

// A number of kilobytes from a line of /proc/self/status, or -1. Plain system calls into a buffer
// on the stack, so that measuring touches no memory of its own.
long StatusKilobytes(const char* key) {
  char buffer[4096];
  const int file = open("/proc/self/status", O_RDONLY);
  if (file < 0)
    return -1;
  const ssize_t length = read(file, buffer, sizeof buffer - 1);
  close(file);
  if (length <= 0)
    return -1;
  buffer[length] = '\0';
  const std::size_t keyLength = std::strlen(key);
  for (const char* line = buffer; *line;) {
    if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':')
      return std::strtol(line + keyLength + 1, nullptr, 10);
    const char* end = std::strchr(line, '\n');
    if (!end)
      break;
    line = end + 1;
  }
  return -1;
}

// Sets the peak resident set to the present one.
bool ResetPeakResidentSet() {
  const int file = open("/proc/self/clear_refs", O_WRONLY);
  if (file < 0)
    return false;
  const bool written = write(file, "5", 1) == 1;
  close(file);
  return written;
}

struct TMemory {
  bool Measured = false;
  double ResidentPerTerm = -1; // -1 when the peak could not be reset
  double HeapPerTerm = 0;
};

// Reads the text of terms once in a child process and returns what the read took.
TMemory Measure(long terms, bool ours) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const std::string text = Sum(terms);
    // The same read once before brings every page of code that reading uses into memory; what it
    // leaves is released again and the freed heap handed back to the system.
    if (!(ours ? ReadOurs(text, terms) : ReadTheirs(text, terms)))
      _exit(1);
    if (ours)
      TDParser release(std::string_view{}); // creating a parser releases the tree of the last read
    malloc_trim(0);
    // Twice: the first reset may itself bring pages in.
    const bool reset = ResetPeakResidentSet() && ResetPeakResidentSet();
    const long residentBefore = StatusKilobytes("VmRSS");
    const std::size_t heapBefore = LiveBytes;
    PeakBytes = LiveBytes;
    const bool right = ours ? ReadOurs(text, terms) : ReadTheirs(text, terms);
    const long residentPeak = StatusKilobytes("VmHWM");
    TMemory memory;
    memory.Measured = right;
    if (reset && residentBefore >= 0 && residentPeak >= 0)
      memory.ResidentPerTerm = (residentPeak - residentBefore) * 1024.0 / terms;
    memory.HeapPerTerm = static_cast<double>(PeakBytes - heapBefore) / terms;
    const bool written = write(pipeEnds[1], &memory, sizeof memory) == sizeof memory;
    _exit(written ? 0 : 1);
  }
  close(pipeEnds[1]);
  TMemory memory;
  if (child < 0 || read(pipeEnds[0], &memory, sizeof memory) != sizeof memory)
    memory = {};
  close(pipeEnds[0]);
  if (child > 0)
    waitpid(child, nullptr, 0);
  return memory;
}

void Report(benchmark::State& state, const TMemory& memory) {
  if (memory.ResidentPerTerm >= 0)
    state.counters["rss_B_per_term"] = memory.ResidentPerTerm;
  state.counters["heap_B_per_term"] = memory.HeapPerTerm;
}

// After the usual table and the ratios, the figures of every run per term, one row a size.
class TTermsReporter : public TRatioReporter {
 public:
  TTermsReporter() : TRatioReporter("StrToValE", "muparser") {}

  void ReportRuns(const std::vector<Run>& Runs) override {
    TRatioReporter::ReportRuns(Runs);
    for (const Run& run : Runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred)
        continue;
      const std::string name = run.benchmark_name();
      const std::size_t slash = name.find('/');
      const long terms = std::strtol(name.c_str() + slash + 1, nullptr, 10);
      const auto counter = [&](const char* key) {
        const auto found = run.counters.find(key);
        return found == run.counters.end() ? -1.0 : found->second.value;
      };
      // Google Benchmark gives the times per iteration in nanoseconds, the default unit.
      Figures_[terms][name.substr(0, slash)] = {
          run.GetAdjustedRealTime() / terms, run.GetAdjustedCPUTime() / terms,
          counter("rss_B_per_term"), counter("heap_B_per_term")};
    }
  }

  void Finalize() override {
    TRatioReporter::Finalize();
    std::printf("\nper term%10s %-40s %-40s\n", "", "StrToValE", "muparser");
    std::printf("%18s", "terms");
    for (int side = 0; side < 2; ++side)
      std::printf(" %9s %9s %9s %9s ", "real ns", "cpu ns", "rss B", "heap B");
    std::printf("\n");
    for (const auto& [terms, sides] : Figures_) {
      std::printf("%18ld", terms);
      for (const char* side : {"StrToValE", "muparser"}) {
        const auto found = sides.find(side);
        if (found == sides.end()) {
          std::printf(" %-40s", "   (cannot read it)");
          continue;
        }
        const TFigures& f = found->second;
        std::printf(" %9.1f %9.1f %9.1f %9.1f ", f.Real, f.Cpu, f.Resident, f.Heap);
      }
      std::printf("\n");
    }
  }

 private:
  struct TFigures {
    double Real, Cpu, Resident, Heap;
  };
  std::map<long, std::map<std::string, TFigures>> Figures_;
};

void Ours(benchmark::State& state, long terms, TMemory memory) {
  const std::string text = Sum(terms);
  TParserMessages messages;
  long double value = 0;
  for (auto _ : state) {
    messages.Clear();
    value = StrToValE(text, true, &messages, -Max, 0, Max);
    benchmark::DoNotOptimize(value);
  }
  if (value != terms || messages.Count() != 0 || !memory.Measured)
    state.SkipWithError("the sum was not read right");
  Report(state, memory);
}

void Theirs(benchmark::State& state, long terms, TMemory memory) {
  const std::string text = Sum(terms);
  if (text.size() > MuparserLimit) {
    state.SkipWithError("muparser takes at most 20000 characters");
    for (auto _ : state) {
    }
    return;
  }
  mu::Parser parser;
  double value = 0;
  for (auto _ : state) {
    parser.SetExpr(text);
    value = parser.Eval();
    benchmark::DoNotOptimize(value);
  }
  if (value != terms || !memory.Measured)
    state.SkipWithError("the sum was not read right");
  Report(state, memory);
}

} // namespace

int main(int argc, char** argv) {
  TFrameworkScope framework;
  for (const long terms : Sizes) {
    const std::string name = std::to_string(terms) + " terms";
    benchmark::RegisterBenchmark(("StrToValE/" + name).c_str(), Ours, terms, Measure(terms, true));
    const bool peer = static_cast<std::size_t>(terms) * 2 - 1 <= MuparserLimit;
    benchmark::RegisterBenchmark(("muparser/" + name).c_str(), Theirs, terms,
                                 peer ? Measure(terms, false) : TMemory{});
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TTermsReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

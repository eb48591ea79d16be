// Reading a text file line by line: TFile::Readln over a 200 MB file of 40-byte lines, side by
// side with std::getline over a std::ifstream and a plain read + memchr splitter. Every reader
// hands each line over as a std::string, as Readln does. A last row reads the bytes alone, in
// reads of Readln's buffer size: the part of the time that no way of splitting lines can save. The
// file is made once, in $TMPDIR (or /tmp), read warm from the page cache, and removed at the end.

#include "BenchRatios.h"
#include "app/uStartup.h"
#include "env/uFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t LineSize = 40; // 39 characters and a line feed
constexpr std::size_t LineCount = 5'000'000;
constexpr std::int64_t FileBytes = std::int64_t(LineSize * LineCount);

std::string FileName;

// Lines of "line", a number and letters that change from line to line.
bool MakeFile() {
  std::FILE* out = std::fopen(FileName.c_str(), "wb");
  if (!out)
    return false;
  std::string chunk;
  char line[LineSize + 1];
  for (std::size_t i = 0; i < LineCount; ++i) {
    std::snprintf(line, sizeof line, "line %09zu %-24.*s\n", i, int(i % 25),
                  "abcdefghijklmnopqrstuvwxyz");
    chunk.append(line, LineSize);
    if (chunk.size() >= (1 << 20) || i + 1 == LineCount) {
      std::fwrite(chunk.data(), 1, chunk.size(), out);
      chunk.clear();
    }
  }
  return std::fclose(out) == 0;
}

void Finish(benchmark::State& state, std::size_t Lines, std::size_t Bytes) {
  if (Lines != LineCount || Bytes != LineCount * (LineSize - 1))
    state.SkipWithError("the lines read are not the lines written");
  state.SetBytesProcessed(state.iterations() * FileBytes);
}

void ReadlnLines(benchmark::State& state) {
  std::size_t lines = 0, bytes = 0;
  for (auto _ : state) {
    lines = bytes = 0;
    TFile file;
    if (!file.Open(FileName, fmReadOnly))
      break;
    for (std::string line; file.Readln(line);) {
      ++lines;
      bytes += line.size();
    }
    // A read-only file: the lines are counted whatever the close says.
    (void)file.Close();
  }
  Finish(state, lines, bytes);
}

void GetlineLines(benchmark::State& state) {
  std::size_t lines = 0, bytes = 0;
  for (auto _ : state) {
    lines = bytes = 0;
    std::ifstream in(FileName, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      ++lines;
      bytes += line.size();
    }
  }
  Finish(state, lines, bytes);
}

void MemchrLines(benchmark::State& state) {
  std::size_t lines = 0, bytes = 0;
  const auto buffer = std::make_unique_for_overwrite<char[]>(FileBufferSize);
  for (auto _ : state) {
    lines = bytes = 0;
    const int handle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
      break;
    std::string line;
    bool carried = false; // line holds the start of a line cut by the buffer's end
    for (ssize_t got; (got = ::read(handle, buffer.get(), FileBufferSize)) > 0;) {
      const char* begin = buffer.get();
      const char* const end = begin + got;
      while (begin < end) {
        const char* stop = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
        if (!stop) {
          if (carried)
            line.append(begin, end);
          else
            line.assign(begin, end);
          carried = true;
          break;
        }
        if (carried)
          line.append(begin, stop);
        else
          line.assign(begin, stop);
        carried = false;
        ++lines;
        bytes += line.size();
        begin = stop + 1;
      }
    }
    if (carried) {
      ++lines;
      bytes += line.size();
    }
    ::close(handle);
  }
  Finish(state, lines, bytes);
}

void ReadOnly(benchmark::State& state) {
  const auto buffer = std::make_unique_for_overwrite<char[]>(FileBufferSize);
  std::int64_t total = 0;
  for (auto _ : state) {
    total = 0;
    const int handle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
      break;
    for (ssize_t got; (got = ::read(handle, buffer.get(), FileBufferSize)) > 0;)
      total += got;
    ::close(handle);
  }
  if (total != FileBytes)
    state.SkipWithError("the bytes read are not the bytes written");
  state.SetBytesProcessed(state.iterations() * FileBytes);
}

// The ratio reporter of Readln against getline, which also prints Readln against the memchr
// splitter and the share of the time that goes to reading the bytes.
class TReadlnReporter : public TRatioReporter {
 public:
  TReadlnReporter() : TRatioReporter("Readln", "getline") {}

  void ReportRuns(const std::vector<Run>& Runs) override {
    TRatioReporter::ReportRuns(Runs);
    for (const Run& run : Runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        Times_[run.benchmark_name().substr(0, run.benchmark_name().find('/'))] =
            run.GetAdjustedRealTime();
  }

  void Finalize() override {
    TRatioReporter::Finalize();
    if (Times_.count("Readln") && Times_.count("memchr"))
      std::printf("read + memchr against Readln: %.2fx (above 1: Readln is faster)\n",
                  Times_["memchr"] / Times_["Readln"]);
    if (Times_.count("read") && Times_.count("getline") && Times_.count("Readln"))
      std::printf("reading the bytes alone takes %.0f %% of getline's time, %.0f %% of Readln's\n",
                  100 * Times_["read"] / Times_["getline"],
                  100 * Times_["read"] / Times_["Readln"]);
  }

 private:
  std::map<std::string, double> Times_;
};

} // namespace

int main(int argc, char** argv) {
  TFrameworkScope framework;
  const char* temp = std::getenv("TMPDIR");
  FileName = std::string(temp && *temp ? temp : "/tmp") + "/bench_readln_lines.txt";
  if (!MakeFile()) {
    std::fprintf(stderr, "cannot write %s\n", FileName.c_str());
    return 1;
  }
  const std::pair<const char*, void (*)(benchmark::State&)> readers[] = {
      {"Readln/200MB", ReadlnLines},
      {"getline/200MB", GetlineLines},
      {"memchr/200MB", MemchrLines},
      {"read/200MB", ReadOnly},
  };
  for (const auto& [name, reader] : readers)
    benchmark::RegisterBenchmark(name, reader)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  TReadlnReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::remove(FileName.c_str());
  return 0;
}

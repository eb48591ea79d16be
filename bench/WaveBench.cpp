// Loading wave files with TWave::LoadFromFile, side by side with libsndfile reading the same files
// into 16-bit samples (sf_readf_short into a buffer made for each read, as a load makes its
// image): a 100 MB 16-bit stereo PCM wave, and a 50 MB µ-law wave expanded to 16 bits. The files
// are made once, in $TMPDIR (or /tmp), read warm from the page cache, and removed at the end.
// Before the timing, both loads are checked to give the same samples, and the growth of the
// peak resident set of one load is set against the bytes of samples it delivers: 1.0 is one copy.
//
// Last, the start of playback: the time from TWave::Play to the first period handed to ALSA's
// null device (a home of the benchmark's own whose .asoundrc makes it the default), median over
// 100 plays.

#include "BenchRatios.h"
#include "app/uStartup.h"
#include "platform/uSoundPlayer.h"
#include "sound/uWave.h"

#include <fcntl.h>
#include <malloc.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TBenchFile {
  const char* Case;
  std::uint16_t Tag;
  std::uint16_t Channels;
  std::uint16_t Bits;
  std::uint64_t DataBytes;
  std::string Name;
};

TBenchFile Files[] = {
    {"pcm16_stereo_100MB", 1, 2, 16, 100u << 20, {}},
    {"mulaw_50MB_to_16bit", 7, 1, 8, 50u << 20, {}},
};

void Put16(std::string& Out, std::uint16_t Value) {
  Out += char(Value & 0xFF);
  Out += char(Value >> 8);
}

void Put32(std::string& Out, std::uint32_t Value) {
  Put16(Out, std::uint16_t(Value));
  Put16(Out, std::uint16_t(Value >> 16));
}

// A wave of noise: a canonical header and DataBytes of xorshift bytes.
bool MakeFile(const TBenchFile& File) {
  std::FILE* out = std::fopen(File.Name.c_str(), "wb");
  if (!out)
    return false;
  const std::uint32_t rate = 44100;
  std::string header = "RIFF";
  Put32(header, std::uint32_t(36 + File.DataBytes));
  header += "WAVEfmt ";
  Put32(header, 16);
  Put16(header, File.Tag);
  Put16(header, File.Channels);
  Put32(header, rate);
  Put32(header, rate * File.Channels * File.Bits / 8);
  Put16(header, std::uint16_t(File.Channels * File.Bits / 8));
  Put16(header, File.Bits);
  header += "data";
  Put32(header, std::uint32_t(File.DataBytes));
  std::fwrite(header.data(), 1, header.size(), out);
  std::vector<std::uint64_t> block(1 << 17);
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (std::uint64_t done = 0; done < File.DataBytes; done += block.size() * 8) {
    for (std::uint64_t& word : block) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      word = state;
    }
    std::fwrite(block.data(), 1, std::min<std::uint64_t>(block.size() * 8, File.DataBytes - done),
                out);
  }
  return std::fclose(out) == 0;
}

// libsndfile's read of a whole file into 16-bit samples.
std::unique_ptr<short[]> ReadWithSndfile(const std::string& Name, std::size_t& Samples) {
  SF_INFO info{};
  SNDFILE* file = sf_open(Name.c_str(), SFM_READ, &info);
  if (!file)
    return nullptr;
  Samples = std::size_t(info.frames) * std::size_t(info.channels);
  auto samples = std::make_unique_for_overwrite<short[]>(Samples);
  const sf_count_t read = sf_readf_short(file, samples.get(), info.frames);
  sf_close(file);
  return read == info.frames ? std::move(samples) : nullptr;
}

void LoadWithTWave(benchmark::State& state, const TBenchFile* File) {
  for (auto _ : state) {
    TWave wave;
    wave.LoadFromFile(File->Name);
    if (wave.Image().empty()) {
      state.SkipWithError("no image");
      break;
    }
    benchmark::DoNotOptimize(wave.Data());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(File->DataBytes));
}

void LoadWithSndfile(benchmark::State& state, const TBenchFile* File) {
  for (auto _ : state) {
    std::size_t samples = 0;
    const auto data = ReadWithSndfile(File->Name, samples);
    if (!data) {
      state.SkipWithError("libsndfile cannot read the file");
      break;
    }
    benchmark::DoNotOptimize(data.get());
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(File->DataBytes));
}

long StatusKilobytes(const char* Field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status)
    return -1;
  char line[256];
  long value = -1;
  const std::size_t length = std::strlen(Field);
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, Field, length) == 0 && line[length] == ':')
      value = std::atol(line + length + 1);
  std::fclose(status);
  return value;
}

// Sets the peak resident set to the present one.
bool ResetPeakResidentSet() {
  const int file = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
  if (file < 0)
    return false;
  const bool written = ::write(file, "5", 1) == 1;
  ::close(file);
  return written;
}

// The growth of the peak resident set while Load runs, in bytes; -1 when it cannot be measured.
template <class TLoad>
double PeakGrowth(TLoad Load) {
  malloc_trim(0);
  if (!ResetPeakResidentSet() || !ResetPeakResidentSet())
    return -1;
  const long before = StatusKilobytes("VmRSS");
  Load();
  const long peak = StatusKilobytes("VmHWM");
  return before < 0 || peak < 0 ? -1 : (peak - before) * 1024.0;
}

// Checks that both readers give the same samples and prints how many copies of them a load
// holds at its peak.
bool CheckAndMeasure(const TBenchFile& File) {
  std::size_t samples = 0;
  TWave wave;
  wave.LoadFromFile(File.Name);
  const auto theirs = ReadWithSndfile(File.Name, samples);
  if (!theirs || wave.DataSize() != 2 * samples ||
      std::memcmp(wave.Data(), theirs.get(), 2 * samples) != 0) {
    std::fprintf(stderr, "%s: TWave and libsndfile give different samples\n", File.Case);
    return false;
  }
  const double bytes = 2.0 * samples;
  const double ours = PeakGrowth([&] {
    TWave load;
    load.LoadFromFile(File.Name);
  });
  const double peer = PeakGrowth([&] {
    std::size_t count = 0;
    (void)ReadWithSndfile(File.Name, count);
  });
  std::printf("%-22s peak resident growth of one load, in copies of the %.0f MB of samples: "
              "TWave %.2f, libsndfile %.2f\n",
              File.Case, bytes / (1 << 20), ours / bytes, peer / bytes);
  return true;
}

// The milliseconds from TWave::Play to the first period handed to the device, over Plays plays.
std::vector<double> PlaybackStarts(int Plays) {
  std::atomic<std::int64_t> first{0};
  SetPlaybackObserver([&first](const TPlaybackProgress& Progress) {
    std::int64_t none = 0;
    first.compare_exchange_strong(none, Progress.Time.time_since_epoch().count());
  });
  TWave wave(2, 44100, 16);
  wave.SetSampleCount(4410);
  std::vector<double> starts;
  for (int i = 0; i < Plays; ++i) {
    first = 0;
    const auto start = std::chrono::steady_clock::now();
    if (!wave.Play())
      break;
    while (first == 0)
      std::this_thread::yield();
    const std::chrono::steady_clock::duration took =
        std::chrono::steady_clock::duration(first.load()) - start.time_since_epoch();
    starts.push_back(std::chrono::duration<double, std::milli>(took).count());
    while (PlaybackState().Playing)
      std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  StopSound();
  SetPlaybackObserver({});
  return starts;
}

void ReportPlaybackStarts() {
  const std::string home = std::filesystem::temp_directory_path() / "bench_wave_home";
  std::filesystem::create_directories(home);
  if (std::FILE* rc = std::fopen((home + "/.asoundrc").c_str(), "w")) {
    std::fputs("pcm.!default { type null }\n", rc);
    std::fclose(rc);
  }
  ::setenv("HOME", home.c_str(), 1);
  std::vector<double> starts = PlaybackStarts(100);
  std::filesystem::remove_all(home);
  if (starts.size() != 100) {
    std::printf("playback start: the null device did not play (%zu plays)\n", starts.size());
    return;
  }
  std::sort(starts.begin(), starts.end());
  std::printf("playback start, TWave::Play to the first period on ALSA's null device, 100 plays: "
              "median %.3f ms, fastest %.3f ms, slowest %.3f ms\n",
              (starts[49] + starts[50]) / 2, starts.front(), starts.back());
}

} // namespace

int main(int argc, char** argv) {
  TFrameworkScope framework;
  const char* temp = std::getenv("TMPDIR");
  const std::string folder = temp && *temp ? temp : "/tmp";
  bool ready = true;
  for (TBenchFile& file : Files) {
    file.Name = folder + "/bench_wave_" + file.Case + ".wav";
    if (!MakeFile(file)) {
      std::fprintf(stderr, "cannot write %s\n", file.Name.c_str());
      ready = false;
    }
  }
  for (const TBenchFile& file : Files)
    ready = ready && CheckAndMeasure(file);
  if (ready) {
    for (const TBenchFile& file : Files) {
      benchmark::RegisterBenchmark(("TWave/" + std::string(file.Case)).c_str(), LoadWithTWave,
                                   &file)
          ->UseRealTime();
      benchmark::RegisterBenchmark(("libsndfile/" + std::string(file.Case)).c_str(),
                                   LoadWithSndfile, &file)
          ->UseRealTime();
    }
    RunWithRatios(argc, argv, "TWave", "libsndfile");
    ReportPlaybackStarts();
  }
  for (const TBenchFile& file : Files)
    std::remove(file.Name.c_str());
  return ready ? 0 : 1;
}

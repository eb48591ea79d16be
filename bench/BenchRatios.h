#pragma once

// Runs the registered benchmarks and prints, after Google Benchmark's own table, how many times
// faster each subject is than its peer measured in the same run. A benchmark takes part when its
// name has the form "<side>/<case>", where side is the subject's or the peer's name.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  TRatioReporter(std::string Subject, std::string Peer)
      : Subject_(std::move(Subject)), Peer_(std::move(Peer)) {}

  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& run : Runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred)
        continue;
      const std::string name = run.benchmark_name();
      const std::size_t slash = name.find('/');
      if (slash == std::string::npos)
        continue;
      const std::string side = name.substr(0, slash);
      const std::string key = name.substr(slash + 1);
      if (side == Subject_ || side == Peer_) {
        if (Times_.find(key) == Times_.end())
          Order_.push_back(key);
        Times_[key][side] = run.GetAdjustedRealTime();
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-48s %12s %12s %8s\n", "case", Subject_.c_str(), Peer_.c_str(), "ratio");
    double logSum = 0;
    int count = 0;
    double worst = 0;
    for (const std::string& key : Order_) {
      auto& times = Times_[key];
      if (!times.count(Subject_) || !times.count(Peer_))
        continue;
      const double ratio = times[Peer_] / times[Subject_];
      std::printf("%-48s %10.0fns %10.0fns %7.1fx\n", key.c_str(), times[Subject_], times[Peer_],
                  ratio);
      logSum += std::log(ratio);
      worst = count == 0 ? ratio : std::min(worst, ratio);
      ++count;
    }
    if (count > 0)
      std::printf("geometric mean: %.1fx faster than %s; slowest case: %.1fx\n",
                  std::exp(logSum / count), Peer_.c_str(), worst);
  }

 private:
  std::string Subject_, Peer_;
  std::vector<std::string> Order_;
  std::map<std::string, std::map<std::string, double>> Times_;
};

// Runs every benchmark with the ratio reporter; for main().
inline int RunWithRatios(int argc, char** argv, const char* Subject, const char* Peer) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter(Subject, Peer);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// Start-up time: the calculator from its start to the first paint of its window and out again,
// side by side with a minimal Qt window of three line edits, run alternately and compared by the
// median of their wall times. Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise (for a real X server: xvfb-run -a bench_startup with QT_QPA_PLATFORM=xcb).

#include "support/RunProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Milliseconds(const std::string& program, const std::vector<std::string>& environment) {
  const auto start = std::chrono::steady_clock::now();
  TProcessResult result = RunProcess(program, {}, "", environment);
  const auto stop = std::chrono::steady_clock::now();
  if (result.ExitCode != 0) {
    std::fprintf(stderr, "%s failed (%d): %s\n", program.c_str(), result.ExitCode,
                 result.Err.c_str());
    std::exit(1);
  }
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::vector<std::string> environment = {"BMI_EXIT_AFTER_FIRST_PAINT=1",
                                                std::string("QT_QPA_PLATFORM=") +
                                                    (platform ? platform : "offscreen")};
  std::vector<double> ours, theirs;
  // One run of each first, so that neither pays for cold caches in the figures.
  Milliseconds(BMI_PATH, environment);
  Milliseconds(MINIMAL_WINDOW_PATH, environment);
  for (int i = 0; i < runs; ++i) {
    ours.push_back(Milliseconds(BMI_PATH, environment));
    theirs.push_back(Milliseconds(MINIMAL_WINDOW_PATH, environment));
  }
  const double bmi = Median(ours), minimal = Median(theirs);
  std::printf("start to first paint, median of %d runs (%s):\n", runs,
              platform ? platform : "offscreen");
  std::printf("  bmi             %7.1f ms\n  minimal window  %7.1f ms\n  ratio           %7.2f\n",
              bmi, minimal, bmi / minimal);
  return 0;
}

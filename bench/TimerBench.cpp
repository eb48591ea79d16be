// Measures the framework's timers in the real Qt event loop, beside a plain QTimer with
// Qt::PreciseTimer as the peer, and prints the figures with their ratios:
//   - an idle application whose only timer is not enabled: processor time over 2 s;
//   - one 50 Hz timer over 5 s: the lateness of its firings against their due times (median, 95th
//     percentile, extremes), the number of firings, the drift of the phase and the processor time.
// Due times are the start time plus whole periods; each firing is set against the last due time
// before it, allowing a millisecond of earliness for wake-ups rounded to whole milliseconds.
// The 50 Hz runs alternate between the two timers, three times unless the first argument gives
// another count. Run it in a release build, with QT_QPA_PLATFORM=offscreen where there is no
// display.

#include "app/uStartup.h"
#include "ui/uDTimer.h"

#include <time.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using TClockPoint = std::chrono::steady_clock::time_point;
using TMilliseconds = std::chrono::duration<double, std::milli>;

constexpr int IdleRunMs = 2000;
constexpr int RateRunMs = 5000;
constexpr int Hertz = 50;
constexpr double PeriodMs = 1000.0 / Hertz;
// A firing this much before a due time counts as an early firing for that due time.
constexpr double EarlyAllowanceMs = 1.0;

double ProcessSeconds() {
  timespec time{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

// Runs the event loop for Milliseconds and returns the processor time it took, in percent of
// one core.
double RunEventLoop(int Milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(Milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  const double processStart = ProcessSeconds();
  const TClockPoint wallStart = std::chrono::steady_clock::now();
  loop.exec();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  return (ProcessSeconds() - processStart) / wall * 100;
}

struct TRateFigures {
  std::size_t Firings = 0;
  double MedianMs = 0;
  double P95Ms = 0;
  double MinMs = 0;
  double MaxMs = 0;
  double FirstSecondMs = 0; // mean lateness over the first second
  double LastSecondMs = 0;  // and over the last
  double ProcessorPercent = 0;
};

double Percentile(std::vector<double> Sorted, double Fraction) {
  if (Sorted.empty())
    return 0;
  const std::size_t index =
      static_cast<std::size_t>(std::ceil(Fraction * static_cast<double>(Sorted.size())) - 1);
  return Sorted[std::min(index, Sorted.size() - 1)];
}

// The lateness of each firing against its due time on the grid Start + k periods, for the
// firings within the run.
TRateFigures Evaluate(const std::vector<TClockPoint>& Firings, TClockPoint Start,
                      double ProcessorPercent) {
  TRateFigures figures;
  figures.ProcessorPercent = ProcessorPercent;
  std::vector<double> lateness;
  double firstSum = 0, lastSum = 0;
  int firstCount = 0, lastCount = 0;
  for (const TClockPoint firing : Firings) {
    const double sinceStart = TMilliseconds(firing - Start).count();
    if (sinceStart >= RateRunMs)
      continue;
    const double late =
        sinceStart - std::floor((sinceStart + EarlyAllowanceMs) / PeriodMs) * PeriodMs;
    lateness.push_back(late);
    if (sinceStart < 1000) {
      firstSum += late;
      ++firstCount;
    } else if (sinceStart >= RateRunMs - 1000) {
      lastSum += late;
      ++lastCount;
    }
  }
  figures.Firings = lateness.size();
  figures.FirstSecondMs = firstCount ? firstSum / firstCount : 0;
  figures.LastSecondMs = lastCount ? lastSum / lastCount : 0;
  std::sort(lateness.begin(), lateness.end());
  if (!lateness.empty()) {
    figures.MedianMs = Percentile(lateness, 0.5);
    figures.P95Ms = Percentile(lateness, 0.95);
    figures.MinMs = lateness.front();
    figures.MaxMs = lateness.back();
  }
  return figures;
}

// The framework's timer: one TDTimer at 50 events per second.
TRateFigures RunFrameworkTimer() {
  std::vector<TClockPoint> firings;
  firings.reserve(2 * RateRunMs / 1000 * Hertz);
  TDTimer timer;
  timer.SetEventStep(esFrequency);
  timer.SetInterval(Hertz);
  timer.OnTimer = [&](TDTimer&) { firings.push_back(std::chrono::steady_clock::now()); };
  timer.SetEnabled(false);
  const TClockPoint start = std::chrono::steady_clock::now();
  timer.SetEnabled(true);
  const double processor = RunEventLoop(RateRunMs);
  timer.SetEnabled(false);
  return Evaluate(firings, start, processor);
}

// The peer: a repeating QTimer with Qt::PreciseTimer at 20 ms.
TRateFigures RunQTimer() {
  std::vector<TClockPoint> firings;
  firings.reserve(2 * RateRunMs / 1000 * Hertz);
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setInterval(static_cast<int>(PeriodMs));
  QObject::connect(&timer, &QTimer::timeout,
                   [&] { firings.push_back(std::chrono::steady_clock::now()); });
  const TClockPoint start = std::chrono::steady_clock::now();
  timer.start();
  const double processor = RunEventLoop(RateRunMs);
  timer.stop();
  return Evaluate(firings, start, processor);
}

// Ours over the peer's, or "-" when the peer's figure is zero.
void PrintRatio(const char* Name, double Ours, double Peer, const char* Unit, int Decimals) {
  std::printf("  %-28s %10.*f %s %10.*f %s", Name, Decimals, Ours, Unit, Decimals, Peer, Unit);
  if (Peer != 0)
    std::printf(" %8.2f\n", Ours / Peer);
  else
    std::printf(" %8s\n", "-");
}

} // namespace

int main(int argc, char** argv) {
  const QGuiApplication application(argc, argv);
  const TFrameworkScope framework;

  std::printf("Idle application, %d ms of event loop\n", IdleRunMs);
  double idleOurs = 0, idlePeer = 0;
  {
    // A timer that ran once and was disabled: the driver exists and has nothing pending.
    TDTimer timer;
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    timer.SetEnabled(false);
    idleOurs = RunEventLoop(IdleRunMs);
  }
  {
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(static_cast<int>(PeriodMs));
    idlePeer = RunEventLoop(IdleRunMs);
  }
  std::printf("  %-28s %12s %12s %8s\n", "", "TDTimer", "QTimer", "ratio");
  PrintRatio("processor, % of one core", idleOurs, idlePeer, " ", 3);

  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  for (int run = 1; run <= runs; ++run) {
    std::printf("\nOne %d Hz timer, %d ms, run %d of %d\n", Hertz, RateRunMs, run, runs);
    const TRateFigures ours = RunFrameworkTimer();
    const TRateFigures peer = RunQTimer();
    std::printf("  %-28s %12s %12s %8s\n", "", "TDTimer", "QTimer", "ratio");
    PrintRatio("firings", static_cast<double>(ours.Firings), static_cast<double>(peer.Firings),
               "  ", 0);
    PrintRatio("lateness median", ours.MedianMs, peer.MedianMs, "ms", 3);
    PrintRatio("lateness 95th percentile", ours.P95Ms, peer.P95Ms, "ms", 3);
    PrintRatio("lateness least", ours.MinMs, peer.MinMs, "ms", 3);
    PrintRatio("lateness most", ours.MaxMs, peer.MaxMs, "ms", 3);
    PrintRatio("mean lateness, first second", ours.FirstSecondMs, peer.FirstSecondMs, "ms", 3);
    PrintRatio("mean lateness, last second", ours.LastSecondMs, peer.LastSecondMs, "ms", 3);
    PrintRatio("processor, % of one core", ours.ProcessorPercent, peer.ProcessorPercent, " ", 3);
  }
  return 0;
}

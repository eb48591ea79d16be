#include "ui/uDTimer.h"

#include "platform/uExceptions.h"
#include "report/uMsg.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <limits>
#include <typeinfo>

namespace {

// The shared driver; it exists while at least one timer exists.
std::unique_ptr<TDIdleTimer> Driver;

constexpr TTicks MaxTicks = std::numeric_limits<TTicks>::max();
constexpr TTicks MinTicks = std::numeric_limits<TTicks>::min();

TTicks Saturated(__int128 Value) noexcept {
  return Value > MaxTicks ? MaxTicks : Value < MinTicks ? MinTicks : static_cast<TTicks>(Value);
}

// A × B / C, truncated, without overflow in between; C > 0.
TTicks MulDiv(TTicks A, TTicks B, TTicks C) noexcept {
  return Saturated(static_cast<__int128>(A) * B / C);
}

// A × B / C rounded to nearest, halves away from zero; C > 0.
TTicks MulDivRound(TTicks A, TTicks B, TTicks C) noexcept {
  const __int128 product = static_cast<__int128>(A) * B;
  return Saturated((product >= 0 ? product + C / 2 : product - C / 2) / C);
}

TTicks SaturatedAdd(TTicks A, TTicks B) noexcept {
  TTicks sum;
  if (__builtin_add_overflow(A, B, &sum))
    return B > 0 ? MaxTicks : MinTicks;
  return sum;
}

std::uint32_t Saturated32(TTicks Value) noexcept {
  return static_cast<std::uint32_t>(
      std::clamp<TTicks>(Value, 0, std::numeric_limits<std::uint32_t>::max()));
}

// A share in tenths of a percent: Part × 1000 / Whole, within 0 ... 1000; Whole > 0.
std::int32_t Share(TTicks Part, TTicks Whole) noexcept {
  return static_cast<std::int32_t>(std::clamp<TTicks>(MulDiv(Part, 1000, Whole), 0, 1000));
}

// Count events in Window ticks (Window > 0) as events per second × 1000, rounded, at most the
// largest 32-bit value.
std::int32_t RatePerThousandSeconds(std::uint32_t Count, TTicks Window) noexcept {
  const __int128 rate =
      (static_cast<__int128>(Count) * TickFrequency() * 1000 + Window / 2) / Window;
  return static_cast<std::int32_t>(
      std::min<__int128>(rate, std::numeric_limits<std::int32_t>::max()));
}

// How early a timer may fire: 20 ms.
TTicks EarlyTolerance() noexcept {
  return MulDivRound(TickFrequency(), 1, 50);
}

// Whether the application is active, as Qt tells; a program without a GUI application counts
// as active, since it has no windows to be inactive with.
bool GuiApplicationActive() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
  return true;
}

// Counts the rounds and dispatches running, so that no slot of the list is erased and the driver
// is not freed under them.
class TDepthScope {
 public:
  explicit TDepthScope(int& Depth) noexcept : FDepth(Depth) { ++FDepth; }
  ~TDepthScope() { --FDepth; }
  TDepthScope(const TDepthScope&) = delete;
  TDepthScope& operator=(const TDepthScope&) = delete;

 private:
  int& FDepth;
};

} // namespace

// TDTimer

TDTimer::TDTimer() {
  UpdateStep();
  TDIdleTimer::Register(*this);
  FHandlerEnd = TickCount();
}

TDTimer::~TDTimer() {
  TDIdleTimer::Unregister(*this);
  Stop();
}

void TDTimer::SetActiveOnly(bool Value) {
  if (FActiveOnly == Value)
    return;
  FActiveOnly = Value;
  const TDIdleTimer* driver = TDIdleTimer::Instance();
  const bool active = driver ? driver->ApplicationActive() : GuiApplicationActive();
  if (!FRunning)
    return;
  if (Value && !active)
    Suspend();
  // Suspended only stands for the application being inactive, which no longer concerns this
  // timer: it runs on from now instead of counting the pause as lost steps.
  else if (!Value && FSuspended)
    Resume();
}

void TDTimer::SetEnabled(bool Value) {
  if (FEnabled == Value)
    return;
  FEnabled = Value;
  if (FLoading)
    return;
  if (Value)
    Start();
  else
    Stop();
}

void TDTimer::SetInterval(std::uint32_t Value) {
  Value = std::max<std::uint32_t>(1, Value);
  if (FInterval == Value)
    return;
  FInterval = Value;
  UpdateStep();
}

void TDTimer::SetEventStep(TEventStep Value) {
  if (FEventStep == Value)
    return;
  FEventStep = Value;
  UpdateStep();
}

void TDTimer::UpdateStep() {
  const TTicks frequency = TickFrequency();
  switch (FEventStep) {
  case esFrequency:
    FStep = MulDivRound(frequency, 1, FInterval);
    break;
  case esCPU:
    FStep = FInterval;
    break;
  case esInterval:
  default:
    FStep = MulDivRound(FInterval, frequency, 1000);
    break;
  }
  FStep = std::max<TTicks>(1, FStep);
  if (FRunning)
    if (TDIdleTimer* driver = TDIdleTimer::Instance())
      driver->Wake();
}

void TDTimer::Loaded() {
  FLoading = false;
  if (FEnabled)
    Start();
}

void TDTimer::Start() {
  Stop();
  FMeasuredFrequency = 0;
  FWindowCount = 0;
  FDueBase = 0;
  FWindowStart = 0;
  FPreviousEvent = TickCount();
  FElapsed = 0;
  FHandlerTime = 0;
  FIdleTime = 0;
  FHandlerSum = 0;
  FIdleSum = 0;
  FStepsElapsed = 1;
  FLostSteps = 0;
  FLostStepsLastSecond = 0;
  FCPUUsage = 0;
  FCPUUsageAverage = 0;
  FEventCount = 0;
  const TDIdleTimer* driver = TDIdleTimer::Instance();
  if (!FActiveOnly || (driver ? driver->ApplicationActive() : GuiApplicationActive()))
    Resume();
  else
    // Started while the application is inactive: paused until it becomes active.
    Suspend();
  FRunning = true;
}

void TDTimer::Stop() {
  if (FRunning)
    Suspend();
  FRunning = false;
}

void TDTimer::Resume() {
  const TTicks now = TickCount();
  FDueBase = now;
  FWindowStart = now;
  FSuspended = false;
  if (TDIdleTimer* driver = TDIdleTimer::Instance())
    driver->Wake();
}

bool TDTimer::Checked() const noexcept {
  return FEnabled && FRunning && !(FSuspended && FActiveOnly) && !FInHandler;
}

void TDTimer::Dispatch(const TDTimerEvent& Handler) {
  if (!Handler)
    return;
  // Copies, so that a handler may replace itself or destroy the timer while it runs.
  const TDTimerEvent handler = Handler;
  const std::type_info& type = typeid(*this);
  try {
    handler(*this);
  } catch (const std::exception& E) {
    ReportException(E, &type);
  } catch (...) {
    ReportException(Exception("Unknown exception"), &type);
  }
}

// TDIdleTimer

TDIdleTimer* TDIdleTimer::Instance() noexcept {
  return Driver.get();
}

TDIdleTimer::TDIdleTimer(TKey)
    : FActive(GuiApplicationActive()), FWakeUp(std::make_unique<QTimer>()) {
  FWakeUp->setSingleShot(true);
  FWakeUp->setTimerType(Qt::PreciseTimer);
  // Nothing may pass into the event loop: a failure of the round itself is logged.
  QObject::connect(FWakeUp.get(), &QTimer::timeout, [this] {
    try {
      Idle();
    } catch (const std::exception& E) {
      ReportException(E);
    }
  });
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    QObject::connect(application, &QGuiApplication::applicationStateChanged, FWakeUp.get(),
                     [this](Qt::ApplicationState State) {
                       try {
                         ApplicationStateChanged(State == Qt::ApplicationActive);
                       } catch (const std::exception& E) {
                         ReportException(E);
                       }
                     });
  FChecksEnd = TickCount();
}

TDIdleTimer::~TDIdleTimer() = default;

void TDIdleTimer::Register(TDTimer& Timer) {
  if (!Driver)
    Driver = std::make_unique<TDIdleTimer>(TKey{});
  try {
    Driver->FTimers.push_back(&Timer);
  } catch (...) {
    FreeWhenUnused();
    throw;
  }
}

void TDIdleTimer::Unregister(TDTimer& Timer) noexcept {
  if (!Driver)
    return;
  std::vector<TDTimer*>& timers = Driver->FTimers;
  const auto slot = std::find(timers.begin(), timers.end(), &Timer);
  if (slot == timers.end())
    return;
  if (Driver->FDepth > 0)
    *slot = nullptr;
  else
    timers.erase(slot);
  FreeWhenUnused();
}

void TDIdleTimer::FreeWhenUnused() noexcept {
  if (!Driver || Driver->FDepth > 0)
    return;
  Driver->Compact();
  if (Driver->FTimers.empty())
    Driver.reset();
}

void TDIdleTimer::Compact() noexcept {
  std::erase(FTimers, nullptr);
}

std::vector<TDTimer*> TDIdleTimer::Timers() const {
  std::vector<TDTimer*> timers;
  for (TDTimer* timer : FTimers)
    if (timer)
      timers.push_back(timer);
  return timers;
}

bool TDIdleTimer::Idle() {
  const TTicks start = TickCount();
  FIdleTime = start - FChecksEnd;
  FWakeRequested = false;
  TRound round;
  {
    const TDepthScope depth(FDepth);
    // By index: handlers may add timers, which are checked in this round too.
    for (std::size_t i = 0; i < FTimers.size(); ++i)
      CheckTimer(i, round);
  }

  const TTicks end = TickCount();
  FLoopTime = end - start;
  FChecksEnd = end;
  const TTicks total = SaturatedAdd(FLoopTime, FIdleTime);
  if (total > 0)
    FCPUUsage = Share(FLoopTime, total);
  FLoopSum = SaturatedAdd(FLoopSum, FLoopTime);
  FIdleSum = SaturatedAdd(FIdleSum, FIdleTime);
  const TTicks sums = SaturatedAdd(FLoopSum, FIdleSum);
  if (sums >= TickFrequency()) {
    FCPUUsageAverage = Share(FLoopSum, sums);
    FLoopSum = 0;
    FIdleSum = 0;
  }

  const bool done = !round.Pending;
  if (FDepth == 0) {
    Compact();
    if (FTimers.empty()) {
      // The handlers destroyed every timer: free the driver, which is this object.
      Driver.reset();
      return done;
    }
  }
  if (FWakeRequested)
    Arm(TickCount());
  else if (round.Pending)
    Arm(round.NearestDue);
  else
    Arm(std::nullopt);
  return done;
}

void TDIdleTimer::CheckTimer(std::size_t Index, TRound& Round) {
  TDTimer* const timer = FTimers[Index];
  if (!timer || !timer->Checked())
    return;
  TDTimer& t = *timer;
  const TTicks now = TickCount();
  t.FIdleTime = now - t.FHandlerEnd;
  const TTicks sinceDueBase = now - t.FDueBase;
  if (t.FEventStep == esCPU)
    t.FStep = std::max<TTicks>(
        1, MulDivRound(t.FHandlerTime, 100, std::max<std::uint32_t>(1, t.FInterval)));

  if (sinceDueBase > 0 && sinceDueBase >= t.FStep - EarlyTolerance()) {
    const TTicks frequency = TickFrequency();
    if (t.FWindowCount < std::numeric_limits<std::uint32_t>::max())
      ++t.FWindowCount;
    // The window is at least one second long, so never empty.
    const TTicks window = now - t.FWindowStart;
    if (window >= frequency) {
      t.FMeasuredFrequency = RatePerThousandSeconds(t.FWindowCount, window);
      t.FWindowCount = 0;
      t.FWindowStart = now;
    }
    // Whole steps since the due base; the due base moves by them, so the phase is kept.
    const TTicks steps = std::max<TTicks>(1, sinceDueBase / t.FStep);
    t.FStepsElapsed = Saturated32(steps);
    if (steps > 1)
      t.FLostSteps = Saturated32(static_cast<TTicks>(t.FLostSteps) + (steps - 1));
    t.FDueBase = SaturatedAdd(t.FDueBase, Saturated(static_cast<__int128>(steps) * t.FStep));
    t.FElapsed = now - t.FPreviousEvent;
    t.FPreviousEvent = now;

    // A handler may run an event loop of its own (a modal dialog): the other timers keep firing
    // there, from rounds that skip this one.
    t.FInHandler = true;
    Arm(NearestDue());
    t.Dispatch(t.OnTimer);
    if (!FTimers[Index])
      return; // destroyed by its handler
    t.FInHandler = false;

    t.FHandlerEnd = TickCount();
    t.FHandlerTime = t.FHandlerEnd - now;
    const TTicks total = SaturatedAdd(t.FHandlerTime, t.FIdleTime);
    if (total > 0)
      t.FCPUUsage = Share(t.FHandlerTime, total);
    t.FHandlerSum = SaturatedAdd(t.FHandlerSum, t.FHandlerTime);
    t.FIdleSum = SaturatedAdd(t.FIdleSum, t.FIdleTime);
    const TTicks sums = SaturatedAdd(t.FHandlerSum, t.FIdleSum);
    if (sums >= frequency) {
      t.FCPUUsageAverage = Share(t.FHandlerSum, sums);
      t.FLostStepsLastSecond = t.FLostSteps;
      t.FLostSteps = 0;
      t.FHandlerSum = 0;
      t.FIdleSum = 0;
    }
    ++t.FEventCount;
  }

  // A timer its handler stopped is no longer pending.
  if (!t.Checked())
    return;
  const TTicks due = SaturatedAdd(t.FDueBase, t.FStep);
  if (!Round.Pending || due < Round.NearestDue) {
    Round.NearestDue = due;
    Round.Pending = true;
  }
}

std::optional<TTicks> TDIdleTimer::NearestDue() const {
  std::optional<TTicks> nearest;
  for (const TDTimer* timer : FTimers)
    if (timer && timer->Checked()) {
      const TTicks due = SaturatedAdd(timer->FDueBase, timer->FStep);
      if (!nearest || due < *nearest)
        nearest = due;
    }
  return nearest;
}

void TDIdleTimer::Wake() {
  FWakeRequested = true;
  Arm(TickCount());
}

void TDIdleTimer::Arm(std::optional<TTicks> Due) {
  if (!Due) {
    FWait.reset();
    FWakeUp->stop();
    return;
  }
  const TTicks remaining = *Due - TickCount();
  // Qt counts in whole milliseconds of an int; a later wake-up simply arms again.
  const std::int64_t wait = remaining <= 0
                                ? 0
                                : std::min<TTicks>(MulDivRound(remaining, 1000, TickFrequency()),
                                                   std::numeric_limits<int>::max());
  FWait = wait;
  if (QCoreApplication::instance())
    FWakeUp->start(static_cast<int>(wait));
}

void TDIdleTimer::ApplicationStateChanged(bool Active) {
  if (FActive == Active)
    return;
  FActive = Active;
  {
    const TDepthScope depth(FDepth);
    for (std::size_t i = 0; i < FTimers.size(); ++i) {
      TDTimer* const timer = FTimers[i];
      if (!timer)
        continue;
      timer->Dispatch(Active ? timer->OnActivate : timer->OnDeactivate);
      if (!FTimers[i] || !timer->FRunning || !timer->FActiveOnly)
        continue;
      if (Active)
        timer->Resume();
      else
        timer->Suspend();
    }
  }
  // The handlers may have destroyed every timer; this object is then gone.
  FreeWhenUnused();
}

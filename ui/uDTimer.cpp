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
  explicit TDepthScope(int& Depth) noexcept : Depth_(Depth) { ++Depth_; }
  ~TDepthScope() { --Depth_; }
  TDepthScope(const TDepthScope&) = delete;
  TDepthScope& operator=(const TDepthScope&) = delete;

 private:
  int& Depth_;
};

} // namespace

// TDTimer

TDTimer::TDTimer() {
  UpdateStep();
  TDIdleTimer::Register(*this);
  HandlerEnd_ = TickCount();
}

TDTimer::~TDTimer() {
  TDIdleTimer::Unregister(*this);
  Stop();
}

void TDTimer::SetActiveOnly(bool Value) {
  if (ActiveOnly_ == Value)
    return;
  ActiveOnly_ = Value;
  const TDIdleTimer* driver = TDIdleTimer::Instance();
  const bool active = driver ? driver->ApplicationActive() : GuiApplicationActive();
  if (!Running_)
    return;
  if (Value && !active)
    Suspend();
  // Suspended only stands for the application being inactive, which no longer concerns this
  // timer: it runs on from now instead of counting the pause as lost steps.
  else if (!Value && Suspended_)
    Resume();
}

void TDTimer::SetEnabled(bool Value) {
  if (Enabled_ == Value)
    return;
  Enabled_ = Value;
  if (Loading_)
    return;
  if (Value)
    Start();
  else
    Stop();
}

void TDTimer::SetInterval(std::uint32_t Value) {
  Value = std::max<std::uint32_t>(1, Value);
  if (Interval_ == Value)
    return;
  Interval_ = Value;
  UpdateStep();
}

void TDTimer::SetEventStep(TEventStep Value) {
  if (EventStep_ == Value)
    return;
  EventStep_ = Value;
  UpdateStep();
}

void TDTimer::UpdateStep() {
  const TTicks frequency = TickFrequency();
  switch (EventStep_) {
  case esFrequency:
    Step_ = MulDivRound(frequency, 1, Interval_);
    break;
  case esCPU:
    Step_ = Interval_;
    break;
  case esInterval:
  default:
    Step_ = MulDivRound(Interval_, frequency, 1000);
    break;
  }
  Step_ = std::max<TTicks>(1, Step_);
  if (Running_)
    if (TDIdleTimer* driver = TDIdleTimer::Instance())
      driver->Wake();
}

void TDTimer::Loaded() {
  Loading_ = false;
  if (Enabled_)
    Start();
}

void TDTimer::Start() {
  Stop();
  MeasuredFrequency_ = 0;
  WindowCount_ = 0;
  DueBase_ = 0;
  WindowStart_ = 0;
  PreviousEvent_ = TickCount();
  Elapsed_ = 0;
  HandlerTime_ = 0;
  IdleTime_ = 0;
  HandlerSum_ = 0;
  IdleSum_ = 0;
  StepsElapsed_ = 1;
  LostSteps_ = 0;
  LostStepsLastSecond_ = 0;
  CPUUsage_ = 0;
  CPUUsageAverage_ = 0;
  EventCount_ = 0;
  const TDIdleTimer* driver = TDIdleTimer::Instance();
  if (!ActiveOnly_ || (driver ? driver->ApplicationActive() : GuiApplicationActive()))
    Resume();
  else
    // Started while the application is inactive: paused until it becomes active.
    Suspend();
  Running_ = true;
}

void TDTimer::Stop() {
  if (Running_)
    Suspend();
  Running_ = false;
}

void TDTimer::Resume() {
  const TTicks now = TickCount();
  DueBase_ = now;
  WindowStart_ = now;
  Suspended_ = false;
  if (TDIdleTimer* driver = TDIdleTimer::Instance())
    driver->Wake();
}

bool TDTimer::Checked() const noexcept {
  return Enabled_ && Running_ && !(Suspended_ && ActiveOnly_) && !InHandler_;
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
    : Active_(GuiApplicationActive()), WakeUp_(std::make_unique<QTimer>()) {
  WakeUp_->setSingleShot(true);
  WakeUp_->setTimerType(Qt::PreciseTimer);
  // Nothing may pass into the event loop: a failure of the round itself is logged.
  QObject::connect(WakeUp_.get(), &QTimer::timeout, [this] {
    try {
      Idle();
    } catch (const std::exception& E) {
      ReportException(E);
    }
  });
  if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    QObject::connect(application, &QGuiApplication::applicationStateChanged, WakeUp_.get(),
                     [this](Qt::ApplicationState State) {
                       try {
                         ApplicationStateChanged(State == Qt::ApplicationActive);
                       } catch (const std::exception& E) {
                         ReportException(E);
                       }
                     });
  ChecksEnd_ = TickCount();
}

TDIdleTimer::~TDIdleTimer() = default;

void TDIdleTimer::Register(TDTimer& Timer) {
  if (!Driver)
    Driver = std::make_unique<TDIdleTimer>(TKey{});
  try {
    Driver->Timers_.push_back(&Timer);
  } catch (...) {
    FreeWhenUnused();
    throw;
  }
}

void TDIdleTimer::Unregister(TDTimer& Timer) noexcept {
  if (!Driver)
    return;
  std::vector<TDTimer*>& timers = Driver->Timers_;
  const auto slot = std::find(timers.begin(), timers.end(), &Timer);
  if (slot == timers.end())
    return;
  if (Driver->Depth_ > 0)
    *slot = nullptr;
  else
    timers.erase(slot);
  FreeWhenUnused();
}

void TDIdleTimer::FreeWhenUnused() noexcept {
  if (!Driver || Driver->Depth_ > 0)
    return;
  Driver->Compact();
  if (Driver->Timers_.empty())
    Driver.reset();
}

void TDIdleTimer::Compact() noexcept {
  std::erase(Timers_, nullptr);
}

std::vector<TDTimer*> TDIdleTimer::Timers() const {
  std::vector<TDTimer*> timers;
  for (TDTimer* timer : Timers_)
    if (timer)
      timers.push_back(timer);
  return timers;
}

bool TDIdleTimer::Idle() {
  const TTicks start = TickCount();
  IdleTime_ = start - ChecksEnd_;
  WakeRequested_ = false;
  TRound round;
  {
    const TDepthScope depth(Depth_);
    // By index: handlers may add timers, which are checked in this round too.
    for (std::size_t i = 0; i < Timers_.size(); ++i)
      CheckTimer(i, round);
  }

  const TTicks end = TickCount();
  LoopTime_ = end - start;
  ChecksEnd_ = end;
  const TTicks total = SaturatedAdd(LoopTime_, IdleTime_);
  if (total > 0)
    CPUUsage_ = Share(LoopTime_, total);
  LoopSum_ = SaturatedAdd(LoopSum_, LoopTime_);
  IdleSum_ = SaturatedAdd(IdleSum_, IdleTime_);
  const TTicks sums = SaturatedAdd(LoopSum_, IdleSum_);
  if (sums >= TickFrequency()) {
    CPUUsageAverage_ = Share(LoopSum_, sums);
    LoopSum_ = 0;
    IdleSum_ = 0;
  }

  const bool done = !round.Pending;
  if (Depth_ == 0) {
    Compact();
    if (Timers_.empty()) {
      // The handlers destroyed every timer: free the driver, which is this object.
      Driver.reset();
      return done;
    }
  }
  if (WakeRequested_)
    Arm(TickCount());
  else if (round.Pending)
    Arm(round.NearestDue);
  else
    Arm(std::nullopt);
  return done;
}

void TDIdleTimer::CheckTimer(std::size_t Index, TRound& Round) {
  TDTimer* const timer = Timers_[Index];
  if (!timer || !timer->Checked())
    return;
  TDTimer& t = *timer;
  const TTicks now = TickCount();
  t.IdleTime_ = now - t.HandlerEnd_;
  const TTicks sinceDueBase = now - t.DueBase_;
  if (t.EventStep_ == esCPU)
    t.Step_ = std::max<TTicks>(
        1, MulDivRound(t.HandlerTime_, 100, std::max<std::uint32_t>(1, t.Interval_)));

  if (sinceDueBase > 0 && sinceDueBase >= t.Step_ - EarlyTolerance()) {
    const TTicks frequency = TickFrequency();
    if (t.WindowCount_ < std::numeric_limits<std::uint32_t>::max())
      ++t.WindowCount_;
    // The window is at least one second long, so never empty.
    const TTicks window = now - t.WindowStart_;
    if (window >= frequency) {
      t.MeasuredFrequency_ = RatePerThousandSeconds(t.WindowCount_, window);
      t.WindowCount_ = 0;
      t.WindowStart_ = now;
    }
    // Whole steps since the due base; the due base moves by them, so the phase is kept.
    const TTicks steps = std::max<TTicks>(1, sinceDueBase / t.Step_);
    t.StepsElapsed_ = Saturated32(steps);
    if (steps > 1)
      t.LostSteps_ = Saturated32(static_cast<TTicks>(t.LostSteps_) + (steps - 1));
    t.DueBase_ = SaturatedAdd(t.DueBase_, Saturated(static_cast<__int128>(steps) * t.Step_));
    t.Elapsed_ = now - t.PreviousEvent_;
    t.PreviousEvent_ = now;

    // A handler may run an event loop of its own (a modal dialog): the other timers keep firing
    // there, from rounds that skip this one.
    t.InHandler_ = true;
    Arm(NearestDue());
    t.Dispatch(t.OnTimer);
    if (!Timers_[Index])
      return; // destroyed by its handler
    t.InHandler_ = false;

    t.HandlerEnd_ = TickCount();
    t.HandlerTime_ = t.HandlerEnd_ - now;
    const TTicks total = SaturatedAdd(t.HandlerTime_, t.IdleTime_);
    if (total > 0)
      t.CPUUsage_ = Share(t.HandlerTime_, total);
    t.HandlerSum_ = SaturatedAdd(t.HandlerSum_, t.HandlerTime_);
    t.IdleSum_ = SaturatedAdd(t.IdleSum_, t.IdleTime_);
    const TTicks sums = SaturatedAdd(t.HandlerSum_, t.IdleSum_);
    if (sums >= frequency) {
      t.CPUUsageAverage_ = Share(t.HandlerSum_, sums);
      t.LostStepsLastSecond_ = t.LostSteps_;
      t.LostSteps_ = 0;
      t.HandlerSum_ = 0;
      t.IdleSum_ = 0;
    }
    ++t.EventCount_;
  }

  // A timer its handler stopped is no longer pending.
  if (!t.Checked())
    return;
  const TTicks due = SaturatedAdd(t.DueBase_, t.Step_);
  if (!Round.Pending || due < Round.NearestDue) {
    Round.NearestDue = due;
    Round.Pending = true;
  }
}

std::optional<TTicks> TDIdleTimer::NearestDue() const {
  std::optional<TTicks> nearest;
  for (const TDTimer* timer : Timers_)
    if (timer && timer->Checked()) {
      const TTicks due = SaturatedAdd(timer->DueBase_, timer->Step_);
      if (!nearest || due < *nearest)
        nearest = due;
    }
  return nearest;
}

void TDIdleTimer::Wake() {
  WakeRequested_ = true;
  Arm(TickCount());
}

void TDIdleTimer::Arm(std::optional<TTicks> Due) {
  if (!Due) {
    Wait_.reset();
    WakeUp_->stop();
    return;
  }
  const TTicks remaining = *Due - TickCount();
  // Qt counts in whole milliseconds of an int; a later wake-up simply arms again.
  const std::int64_t wait = remaining <= 0
                                ? 0
                                : std::min<TTicks>(MulDivRound(remaining, 1000, TickFrequency()),
                                                   std::numeric_limits<int>::max());
  Wait_ = wait;
  if (QCoreApplication::instance())
    WakeUp_->start(static_cast<int>(wait));
}

void TDIdleTimer::ApplicationStateChanged(bool Active) {
  if (Active_ == Active)
    return;
  Active_ = Active;
  {
    const TDepthScope depth(Depth_);
    for (std::size_t i = 0; i < Timers_.size(); ++i) {
      TDTimer* const timer = Timers_[i];
      if (!timer)
        continue;
      timer->Dispatch(Active ? timer->OnActivate : timer->OnDeactivate);
      if (!Timers_[i] || !timer->Running_ || !timer->ActiveOnly_)
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

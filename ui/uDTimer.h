#pragma once

// The framework's timers. A TDTimer does not use a platform timer of its own: one shared driver,
// TDIdleTimer, checks every enabled timer against the tick counter in rounds run from the Qt event
// loop, fires the due ones, and then arms one precise single-shot Qt timer for the nearest due
// time, so that the application sleeps in its event loop until then; with no timer pending it
// arms nothing and the application waits for events.
//
// Firing rules: a timer fires when it is due within 20 ms; it fires once however many whole steps
// have passed, counting the skipped ones as lost; and it keeps its phase, so a late firing does not
// shift the later ones. Each timer measures what it delivers: its event rate, the time between its
// events, the steps it lost and the share of time its handler takes.
//
// Everything runs on the GUI thread. Handlers must not block: they delay every other timer.

#include "platform/uClock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;
class TDTimer;

// What a timer's Interval means.
enum TEventStep : std::uint8_t {
  esInterval,  // a period in milliseconds
  esFrequency, // a rate in events per second
  esCPU        // the share of time, in percent, that the OnTimer handler may take
};

// A timer's event handler; Sender is the timer.
using TDTimerEvent = std::function<void(TDTimer& Sender)>;

class TDTimer {
 public:
  // A stopped timer: Enabled, Interval 1000, esInterval, not ActiveOnly. It joins the shared
  // driver's list, creating the driver for the first timer. The initial Enabled does not start it:
  // Loaded or a change of Enabled does.
  TDTimer();
  // Stops the timer and leaves the driver's list; the last timer frees the driver. A timer may be
  // destroyed from any handler, its own included.
  virtual ~TDTimer();
  TDTimer(const TDTimer&) = delete;
  TDTimer& operator=(const TDTimer&) = delete;

  // Properties. Setting a property to the value it has does nothing.

  bool ActiveOnly() const noexcept { return ActiveOnly_; }
  // Pauses the timer while the application is not active: set while the timer runs and the
  // application is inactive, it suspends the timer.
  void SetActiveOnly(bool Value);
  bool Enabled() const noexcept { return Enabled_; }
  // Starts (true) or stops (false) the timer; while it is loading, only stores the value.
  void SetEnabled(bool Value);
  std::uint32_t Interval() const noexcept { return Interval_; }
  // Stores max(1, Value) and recomputes Step.
  void SetInterval(std::uint32_t Value);
  TEventStep EventStep() const noexcept { return EventStep_; }
  // Stores Value and recomputes Step.
  void SetEventStep(TEventStep Value);

  // Called once per firing. What it raises is logged through ReportException with this timer as
  // the sender; the timer goes on.
  TDTimerEvent OnTimer;
  // Called when the application becomes active and when it becomes inactive. What they raise is
  // reported like OnTimer's exceptions.
  TDTimerEvent OnActivate;
  TDTimerEvent OnDeactivate;

  // Building a timer from a description: BeginLoading before the properties are set, Loaded after.
  // While loading, SetEnabled only stores its value; Loaded ends loading and starts the timer when
  // it is Enabled.
  void BeginLoading() noexcept { Loading_ = true; }
  bool Loading() const noexcept { return Loading_; }
  void Loaded();

  // Stops, resets the measurements and runs: counting from now unless it is ActiveOnly and the
  // application is inactive, in which case it starts suspended.
  void Start();
  // Suspends a running timer and stops it.
  void Stop();
  // Counts the next firing from now and stops being suspended.
  void Resume();
  // Marks the timer paused; an ActiveOnly timer is not checked until it resumes.
  void Suspend() noexcept { Suspended_ = true; }

  // Run-time state. Times are in ticks of the tick counter.

  bool Running() const noexcept { return Running_; }
  // Paused because the application is inactive (or stopped).
  bool Suspended() const noexcept { return Suspended_; }
  // The period; at least 1.
  TTicks Step() const noexcept { return Step_; }
  // The time the next firing is counted from: its due time is DueBase + Step.
  TTicks DueBase() const noexcept { return DueBase_; }
  TTicks PreviousEvent() const noexcept { return PreviousEvent_; }
  // The time between the last two firings.
  TTicks Elapsed() const noexcept { return Elapsed_; }
  // When the last handler returned, how long it took, and the time from its end to the next check.
  TTicks HandlerEnd() const noexcept { return HandlerEnd_; }
  TTicks HandlerTime() const noexcept { return HandlerTime_; }
  TTicks IdleTime() const noexcept { return IdleTime_; }

  // Measurements, reset by Start.

  // Firings per second × 1000 over the last window of at least one second; 0 before the first.
  std::int32_t MeasuredFrequency() const noexcept { return MeasuredFrequency_; }
  // Whole steps covered by the last firing; at least 1.
  std::uint32_t StepsElapsed() const noexcept { return StepsElapsed_; }
  // Steps skipped since the last one-second summary, and as they were at that summary.
  std::uint32_t LostSteps() const noexcept { return LostSteps_; }
  std::uint32_t LostStepsLastSecond() const noexcept { return LostStepsLastSecond_; }
  // The handler's share of the time in tenths of a percent: of the last firing, and averaged
  // over at least one second.
  std::int32_t CPUUsage() const noexcept { return CPUUsage_; }
  std::int32_t CPUUsageAverage() const noexcept { return CPUUsageAverage_; }
  // Firings since the start.
  std::uint64_t EventCount() const noexcept { return EventCount_; }

 private:
  friend class TDIdleTimer;

  void UpdateStep();
  // Whether the driver checks this timer.
  bool Checked() const noexcept;
  // The activation changes of the application.
  void ApplicationActivated();
  void ApplicationDeactivated();
  // Calls Handler, reporting what it raises.
  void Dispatch(const TDTimerEvent& Handler);

  bool ActiveOnly_ = false;
  bool Enabled_ = true;
  std::uint32_t Interval_ = 1000;
  TEventStep EventStep_ = esInterval;
  bool Loading_ = false;

  bool Running_ = false;
  bool Suspended_ = false;
  bool InHandler_ = false;
  TTicks Step_ = 1;
  TTicks DueBase_ = 0;
  TTicks PreviousEvent_ = 0;
  TTicks Elapsed_ = 0;
  TTicks WindowStart_ = 0;
  std::uint32_t WindowCount_ = 0;
  TTicks HandlerEnd_ = 0;
  TTicks HandlerTime_ = 0;
  TTicks IdleTime_ = 0;
  TTicks HandlerSum_ = 0;
  TTicks IdleSum_ = 0;

  std::int32_t MeasuredFrequency_ = 0;
  std::uint32_t StepsElapsed_ = 1;
  std::uint32_t LostSteps_ = 0;
  std::uint32_t LostStepsLastSecond_ = 0;
  std::int32_t CPUUsage_ = 0;
  std::int32_t CPUUsageAverage_ = 0;
  std::uint64_t EventCount_ = 0;
};

// The shared driver of every timer. It exists while at least one timer exists. It follows the
// activation changes of the QGuiApplication that exists when it is made; without one, the
// application counts as active.
class TDIdleTimer {
  struct TKey {};

 public:
  // The driver, or nullptr while no timer exists.
  static TDIdleTimer* Instance() noexcept;

  // Made by the first timer only.
  explicit TDIdleTimer(TKey);
  ~TDIdleTimer();
  TDIdleTimer(const TDIdleTimer&) = delete;
  TDIdleTimer& operator=(const TDIdleTimer&) = delete;

  // One round of checks, as the event loop runs it: checks every timer in creation order, fires
  // the due ones, then arms the wake-up for the nearest due time, or nothing when no timer is
  // pending. True when no timer is pending. When the round's handlers destroyed every timer, the
  // round frees the driver as its last act.
  bool Idle();

  // The live timers in creation order.
  std::vector<TDTimer*> Timers() const;
  // Milliseconds until the armed wake-up, as armed after the last round or change; nothing when
  // no wake-up is armed.
  std::optional<std::int64_t> Wait() const noexcept { return Wait_; }
  // Whether the application is active, as the last activation change told.
  bool ApplicationActive() const noexcept { return Active_; }

  // The idle-loop figures: the time between the last two rounds, the time the last round's checks
  // took, and the rounds' share of the time in tenths of a percent, of the last round and averaged
  // over at least one second.
  TTicks IdleTime() const noexcept { return IdleTime_; }
  TTicks LoopTime() const noexcept { return LoopTime_; }
  std::int32_t CPUUsage() const noexcept { return CPUUsage_; }
  std::int32_t CPUUsageAverage() const noexcept { return CPUUsageAverage_; }

 private:
  friend class TDTimer;

  // The state one round of checks shares between its timers.
  struct TRound {
    TTicks NearestDue = 0; // the earliest due time of the timers checked so far
    bool Pending = false;  // whether any checked timer set it
  };

  static void Register(TDTimer& Timer);
  static void Unregister(TDTimer& Timer) noexcept;
  // Frees the driver once no timer is left and no round or dispatch is running.
  static void FreeWhenUnused() noexcept;

  void CheckTimer(std::size_t Index, TRound& Round);
  // The nearest due time of every timer that is checked and not in its handler, from now.
  std::optional<TTicks> NearestDue() const;
  // A timer started, resumed or changed its step: a round runs as soon as the event loop is free.
  void Wake();
  void Arm(std::optional<TTicks> Remaining);
  void ApplicationStateChanged(bool Active);
  void Compact() noexcept;

  std::vector<TDTimer*> Timers_; // slots of timers destroyed during a round are null
  int Depth_ = 0;                // rounds and activation dispatches running
  bool WakeRequested_ = false;
  bool Active_ = true;
  std::unique_ptr<QTimer> WakeUp_;
  std::optional<std::int64_t> Wait_;

  TTicks ChecksEnd_ = 0;
  TTicks IdleTime_ = 0;
  TTicks LoopTime_ = 0;
  TTicks LoopSum_ = 0;
  TTicks IdleSum_ = 0;
  std::int32_t CPUUsage_ = 0;
  std::int32_t CPUUsageAverage_ = 0;
};

#include "platform/uExceptions.h"
#include "report/uLog.h"
#include "support/FakeClock.h"
#include "ui/uDTimer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The fake clock's start: timers started at once count from here.
constexpr TTicks T0 = 1'000'000;

class TLines : public TLog {
 public:
  explicit TLines(std::vector<std::string>& Lines) : Lines_(Lines) {}
  void Add(const std::string& Line, TMessageLevel Level) override {
    Lines_.push_back(std::to_string(Level) + ": " + Line);
  }

 private:
  std::vector<std::string>& Lines_;
};

// A timer of a class of its own, as a form would derive one.
class TDBlinkTimer : public TDTimer {};

// Timers on a fake clock at 1000 ticks per second, so that a tick is a millisecond; the log
// collects what the timers report.
class TTimers : public testing::Test {
 protected:
  void SetUp() override { SetMainLog(std::make_unique<TLines>(Log)); }
  void TearDown() override {
    SetMainLog(nullptr);
    EXPECT_EQ(TDIdleTimer::Instance(), nullptr) << "the last timer freed the driver";
  }

  // A timer started the way a form starts the timers it describes.
  static std::unique_ptr<TDTimer> Started(std::uint32_t Interval, TEventStep Step = esInterval,
                                          bool ActiveOnly = false) {
    auto timer = std::make_unique<TDTimer>();
    timer->BeginLoading();
    timer->SetInterval(Interval);
    timer->SetEventStep(Step);
    timer->SetActiveOnly(ActiveOnly);
    timer->Loaded();
    return timer;
  }

  // One round of the driver at T0 + Offset.
  bool RoundAt(TTicks Offset) {
    Clock.Now = T0 + Offset;
    return TDIdleTimer::Instance()->Idle();
  }

  // What the platform tells when the application's state changes.
  static void SetApplicationState(Qt::ApplicationState State) {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    emit application->applicationStateChanged(State);
  }

  TFakeClock Clock{1000, T0};
  TClockScope ClockScope{Clock};
  std::vector<std::string> Log;
};

// Properties and starting.

TEST_F(TTimers, StoresAnIntervalOf0As1) {
  TDTimer timer;
  for (std::uint32_t interval : {1000u, 0u, 1u, 0u, 4294967295u}) {
    timer.SetInterval(interval);
    EXPECT_EQ(timer.Interval(), interval == 0 ? 1u : interval) << "interval " << interval;
  }
}

TEST_F(TTimers, ComputesTheStepFromTheIntervalItsMeaningAndTheTickFrequency) {
  const struct {
    std::int64_t Frequency;
    TEventStep EventStep;
    std::uint32_t Interval;
    TTicks Step;
  } cases[] = {
      // 50 events per second on a 1000 Hz counter.
      {1000, esFrequency, 50, 20},
      {1000, esFrequency, 3, 333},
      {1000, esFrequency, 400, 3}, // 2.5 rounds up
      {1000, esFrequency, 3000, 1},
      {1'000'000'000, esFrequency, 50, 20'000'000},
      {1000, esInterval, 1000, 1000},
      {1000, esInterval, 0, 1},
      {3'579'545, esInterval, 1, 3580},
      {1'000'000'000, esInterval, 4294967295u, 4'294'967'295'000'000},
      // The processor share starts as a step of Interval ticks.
      {1000, esCPU, 40, 40},
      {1'000'000'000, esCPU, 40, 40},
  };
  for (const auto& c : cases) {
    TFakeClock clock(c.Frequency);
    const TClockScope scope(clock);
    TDTimer timer;
    timer.SetEventStep(c.EventStep);
    timer.SetInterval(c.Interval);
    EXPECT_EQ(timer.Step(), c.Step) << "event step " << int(c.EventStep) << ", interval "
                                    << c.Interval << " at " << c.Frequency << " Hz";
  }
}

TEST_F(TTimers, StartsStoppedWithItsDefaults) {
  TDTimer timer;
  EXPECT_FALSE(timer.ActiveOnly());
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_EQ(timer.EventStep(), esInterval);
  EXPECT_EQ(timer.HandlerEnd(), T0);
  EXPECT_FALSE(timer.Running());
}

TEST_F(TTimers, ATimerCreatedAtRunTimeIsNotStartedByItsInitialEnabled) {
  TDTimer timer;
  int fired = 0;
  timer.OnTimer = [&](TDTimer&) { ++fired; };
  timer.SetEnabled(true);
  EXPECT_TRUE(RoundAt(10'000)) << "nothing is pending";
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), std::nullopt);
}

TEST_F(TTimers, OnlyLoadedAndAChangeOfEnabledStartTheTimer) {
  TDTimer loaded;
  loaded.BeginLoading();
  loaded.SetEnabled(false);
  loaded.SetEnabled(true);
  EXPECT_FALSE(loaded.Running()) << "while loading, Enabled only stores its value";
  loaded.Loaded();
  EXPECT_TRUE(loaded.Running());
  EXPECT_FALSE(loaded.Loading());

  TDTimer disabled;
  disabled.BeginLoading();
  disabled.SetEnabled(false);
  disabled.Loaded();
  EXPECT_FALSE(disabled.Running()) << "Loaded starts only an enabled timer";

  TDTimer changed;
  changed.SetEnabled(false);
  changed.SetEnabled(true);
  EXPECT_TRUE(changed.Running());
  changed.SetEnabled(false);
  EXPECT_FALSE(changed.Running());
  EXPECT_TRUE(changed.Suspended());
}

TEST_F(TTimers, SettingAPropertyToTheValueItHasChangesNothing) {
  const auto timer = Started(100);
  RoundAt(100);
  RoundAt(200);
  ASSERT_EQ(timer->EventCount(), 2u);
  timer->SetEnabled(true);
  timer->SetInterval(100);
  timer->SetEventStep(esInterval);
  timer->SetActiveOnly(false);
  EXPECT_EQ(timer->EventCount(), 2u) << "the timer was not restarted";
  EXPECT_EQ(timer->DueBase(), T0 + 200);
  EXPECT_EQ(timer->Step(), 100);
}

// Firing.

TEST_F(TTimers, FiresOncePerStepAndKeepsItsPhase) {
  const auto timer = Started(100);
  const struct {
    TTicks At;
    std::uint64_t EventCount;
    TTicks DueBase;
  } rounds[] = {
      {0, 0, 0},     {50, 0, 0},    {100, 1, 100}, {130, 1, 100}, {230, 2, 200},
      {270, 2, 200}, {305, 3, 300}, {399, 4, 400}, {410, 4, 400}, {500, 5, 500},
  };
  for (const auto& round : rounds) {
    RoundAt(round.At);
    EXPECT_EQ(timer->EventCount(), round.EventCount) << "at " << round.At;
    EXPECT_EQ(timer->DueBase(), T0 + round.DueBase) << "at " << round.At;
    EXPECT_EQ(timer->LostSteps(), 0u) << "at " << round.At;
  }
}

TEST_F(TTimers, FiresWhenItIsDueWithin20Milliseconds) {
  const struct {
    std::int64_t Frequency;
    TEventStep EventStep;
    std::uint32_t Interval;
    TTicks At; // ticks after the start
    bool Fires;
  } cases[] = {
      {1000, esInterval, 100, 79, false},
      {1000, esInterval, 100, 80, true},
      {1000, esInterval, 100, 100, true},
      {1'000'000'000, esInterval, 100, 79'999'999, false},
      {1'000'000'000, esInterval, 100, 80'000'000, true},
      // A step within the tolerance fires as soon as its due base has passed.
      {1000, esFrequency, 50, 0, false},
      {1000, esFrequency, 50, 1, true},
  };
  for (const auto& c : cases) {
    TFakeClock clock(c.Frequency, T0);
    const TClockScope scope(clock);
    const auto timer = Started(c.Interval, c.EventStep);
    clock.Now = T0 + c.At;
    TDIdleTimer::Instance()->Idle();
    EXPECT_EQ(timer->EventCount(), c.Fires ? 1u : 0u)
        << "interval " << c.Interval << ", " << c.At << " ticks at " << c.Frequency << " Hz";
    if (c.Fires) {
      EXPECT_EQ(timer->DueBase(), T0 + timer->Step()) << "an early firing keeps the phase";
    }
  }
}

TEST_F(TTimers, AHandlerLongerThanThreeStepsCostsTwoStepsAndKeepsThePhase) {
  const auto timer = Started(100);
  timer->OnTimer = [&](TDTimer& Sender) {
    if (Sender.EventCount() == 0)
      Clock.Advance(350);
  };
  RoundAt(100);
  ASSERT_EQ(Clock.Now, T0 + 450);
  TDIdleTimer::Instance()->Idle();
  EXPECT_EQ(timer->EventCount(), 2u) << "one firing for the steps that passed";
  EXPECT_EQ(timer->StepsElapsed(), 3u);
  EXPECT_EQ(timer->LostSteps(), 2u);
  EXPECT_EQ(timer->DueBase(), T0 + 400);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 50) << "the next firing is due at T0 + 500";
  RoundAt(500);
  EXPECT_EQ(timer->EventCount(), 3u);
  EXPECT_EQ(timer->StepsElapsed(), 1u);
  EXPECT_EQ(timer->DueBase(), T0 + 500);
}

TEST_F(TTimers, CountsMoreLostStepsThan32BitsHoldAsTheMostAndStillKeepsThePhase) {
  TFakeClock clock(1'000'000'000, T0);
  const TClockScope scope(clock);
  const auto timer = Started(1'000'000'000, esFrequency); // a step of one tick
  clock.Now = T0 + 5'000'000'000;
  TDIdleTimer::Instance()->Idle();
  EXPECT_EQ(timer->StepsElapsed(), 4294967295u);
  EXPECT_EQ(timer->LostStepsLastSecond(), 4294967295u) << "summarised: 5 s passed";
  EXPECT_EQ(timer->DueBase(), T0 + 5'000'000'000);
}

TEST_F(TTimers, MeasuresTheRateOverWindowsOfAtLeastOneSecond) {
  const auto timer = Started(100);
  for (TTicks at = 100; at < 1000; at += 100)
    RoundAt(at);
  EXPECT_EQ(timer->MeasuredFrequency(), 0) << "no window of a second yet";
  RoundAt(1000);
  EXPECT_EQ(timer->MeasuredFrequency(), 10'000) << "10 events per second";
  timer->SetInterval(300);
  for (TTicks at = 1300; at <= 2200; at += 300)
    RoundAt(at);
  EXPECT_EQ(timer->MeasuredFrequency(), 3333) << "4 events in 1.2 s";
}

TEST_F(TTimers, MeasuresTheTimeBetweenFirings) {
  const auto timer = Started(100);
  RoundAt(100);
  EXPECT_EQ(timer->Elapsed(), 100) << "since the start";
  RoundAt(230);
  EXPECT_EQ(timer->Elapsed(), 130);
  EXPECT_EQ(timer->PreviousEvent(), T0 + 230);
  RoundAt(250);
  EXPECT_EQ(timer->Elapsed(), 130) << "a check that does not fire changes nothing";
}

TEST_F(TTimers, MeasuresTheHandlersShareOfTheTime) {
  const auto timer = Started(100);
  timer->OnTimer = [&](TDTimer&) { Clock.Advance(25); };
  RoundAt(100);
  EXPECT_EQ(timer->HandlerTime(), 25);
  EXPECT_EQ(timer->IdleTime(), 100) << "since the timer was created";
  EXPECT_EQ(timer->CPUUsage(), 200);
  RoundAt(200);
  EXPECT_EQ(timer->IdleTime(), 75);
  EXPECT_EQ(timer->CPUUsage(), 250);
  for (TTicks at = 300; at <= 900; at += 100)
    RoundAt(at);
  EXPECT_EQ(timer->CPUUsageAverage(), 0) << "925 ticks summed: not yet a second";
  RoundAt(1000);
  EXPECT_EQ(timer->CPUUsageAverage(), 243) << "250 of 1025 ticks";
}

TEST_F(TTimers, SummarisesTheLostStepsOncePerSecond) {
  const auto timer = Started(100);
  RoundAt(100);
  RoundAt(400);
  ASSERT_EQ(timer->LostSteps(), 2u);
  for (TTicks at = 500; at <= 900; at += 100)
    RoundAt(at);
  EXPECT_EQ(timer->LostStepsLastSecond(), 0u);
  RoundAt(1000);
  EXPECT_EQ(timer->LostStepsLastSecond(), 2u);
  EXPECT_EQ(timer->LostSteps(), 0u);
}

TEST_F(TTimers, AProcessorShareTimerStepsByItsHandlersTime) {
  const auto timer = Started(50, esCPU);
  timer->OnTimer = [&](TDTimer&) { Clock.Advance(10); };
  RoundAt(1);
  ASSERT_EQ(timer->EventCount(), 1u);
  RoundAt(100);
  EXPECT_EQ(timer->Step(), 20) << "a 10-tick handler may take 50 % of 20 ticks";
}

// The driver.

TEST_F(TTimers, WithNoTimerPendingTheDriverLetsTheApplicationWait) {
  SetApplicationState(Qt::ApplicationInactive);
  TDTimer neverStarted;
  const auto stopped = Started(100);
  stopped->SetEnabled(false);
  const auto paused = Started(100, esInterval, true);
  const auto stopsItself = Started(100);
  stopsItself->OnTimer = [](TDTimer& Sender) { Sender.SetEnabled(false); };
  EXPECT_TRUE(RoundAt(1000));
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), std::nullopt);
  EXPECT_EQ(stopped->EventCount() + paused->EventCount(), 0u);
  EXPECT_EQ(stopsItself->EventCount(), 1u);
}

TEST_F(TTimers, ArmsOneWakeUpForTheNearestDueTime) {
  const auto slow = Started(100);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 0) << "a started timer is checked at once";
  const auto fast = Started(50);
  EXPECT_FALSE(RoundAt(10));
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 40);
  RoundAt(50);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 50) << "both are due at T0 + 100";
  slow->SetInterval(std::numeric_limits<std::uint32_t>::max());
  fast->SetEnabled(false);
  RoundAt(60);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), std::numeric_limits<int>::max())
      << "a wait beyond what Qt takes is armed again when it ends";
}

TEST_F(TTimers, RoundsTheWakeUpToTheNearestMillisecond) {
  TFakeClock clock(1'000'000, T0);
  const TClockScope scope(clock);
  const auto timer = Started(100);
  for (const auto& [at, wait] : {std::pair<TTicks, std::int64_t>{8'500, 92}, {8'501, 91}}) {
    clock.Now = T0 + at;
    TDIdleTimer::Instance()->Idle();
    EXPECT_EQ(TDIdleTimer::Instance()->Wait(), wait) << at << " µs after the start";
  }
}

TEST_F(TTimers, TheEventLoopRunsTheRounds) {
  const auto timer = Started(100);
  Clock.Now = T0 + 100;
  for (int i = 0; i < 100 && timer->EventCount() == 0; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(timer->EventCount(), 1u);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 100);
}

TEST_F(TTimers, TheDriverLivesAsLongAsATimer) {
  auto first = Started(100);
  auto second = Started(100);
  first->SetEnabled(false);
  second->SetEnabled(false);
  EXPECT_NE(TDIdleTimer::Instance(), nullptr) << "disabled timers keep the driver";
  first.reset();
  EXPECT_NE(TDIdleTimer::Instance(), nullptr);
  second.reset();
  EXPECT_EQ(TDIdleTimer::Instance(), nullptr) << "destroying the last timer frees it";
}

TEST_F(TTimers, ChecksTheTimersInCreationOrderAndKeepsItWhenOneGoes) {
  std::string fired;
  std::unique_ptr<TDTimer> timers[3];
  for (int i = 0; i < 3; ++i) {
    timers[i] = Started(100);
    timers[i]->OnTimer = [&fired, i](TDTimer&) { fired += char('a' + i); };
  }
  // The second destroys itself in its handler; the round goes on.
  timers[1]->OnTimer = [&](TDTimer&) {
    fired += 'b';
    timers[1].reset();
  };
  RoundAt(100);
  EXPECT_EQ(fired, "abc");
  EXPECT_EQ(TDIdleTimer::Instance()->Timers(),
            (std::vector<TDTimer*>{timers[0].get(), timers[2].get()}));
  RoundAt(200);
  EXPECT_EQ(fired, "abcac");
}

TEST_F(TTimers, TheLastTimerDestroyingItselfFreesTheDriverAfterTheRound) {
  for (bool fromEventLoop : {false, true}) {
    auto timer = Started(100);
    timer->OnTimer = [&](TDTimer&) { timer.reset(); };
    Clock.Now += 100;
    if (fromEventLoop)
      for (int i = 0; i < 100 && TDIdleTimer::Instance(); ++i)
        QCoreApplication::processEvents();
    else
      TDIdleTimer::Instance()->Idle();
    EXPECT_EQ(timer, nullptr) << (fromEventLoop ? "from the event loop" : "from Idle");
    EXPECT_EQ(TDIdleTimer::Instance(), nullptr)
        << (fromEventLoop ? "from the event loop" : "from Idle");
  }
}

TEST_F(TTimers, WhileAHandlerRunsTheOtherTimersKeepFiring) {
  const auto outer = Started(100);
  const auto inner = Started(150);
  outer->OnTimer = [&](TDTimer&) {
    EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 50) << "armed for the other timer";
    // An event loop inside the handler, as a modal dialog runs one.
    Clock.Advance(60);
    TDIdleTimer::Instance()->Idle();
  };
  RoundAt(100);
  EXPECT_EQ(outer->EventCount(), 1u) << "a timer does not fire again inside its handler";
  EXPECT_EQ(inner->EventCount(), 1u);
  EXPECT_EQ(TDIdleTimer::Instance()->Wait(), 40) << "the outer timer is due again at T0 + 200";
}

TEST_F(TTimers, TheIdleLoopMeasuresItsShareOfTheTime) {
  const auto timer = Started(30);
  timer->OnTimer = [&](TDTimer&) { Clock.Advance(10); };
  RoundAt(30);
  const TDIdleTimer& driver = *TDIdleTimer::Instance();
  EXPECT_EQ(driver.IdleTime(), 30);
  EXPECT_EQ(driver.LoopTime(), 10);
  EXPECT_EQ(driver.CPUUsage(), 250);
  for (TTicks at = 70; at <= 990; at += 40)
    RoundAt(at);
  EXPECT_EQ(driver.CPUUsageAverage(), 250) << "10 of every 40 ticks";
}

TEST_F(TTimers, ReportsAHandlersExceptionWithTheTimersClassAndGoesOn) {
  const struct {
    std::function<void()> Throw;
    std::string Expected;
    bool Derived;
  } cases[] = {
      {[] { throw std::runtime_error("Division by zero"); },
       "5: Division by zero in class 'TDTimer'", false},
      {[] { throw EZeroDivide(); }, "5: Floating point division by zero in class 'TDBlinkTimer'",
       true},
      {[] { throw 42; }, "5: Unknown exception in class 'TDTimer'", false},
  };
  for (const auto& c : cases) {
    Log.clear();
    std::unique_ptr<TDTimer> timer =
        c.Derived ? std::make_unique<TDBlinkTimer>() : std::make_unique<TDTimer>();
    timer->SetInterval(100);
    timer->OnTimer = [&](TDTimer&) { c.Throw(); };
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    Clock.Now += 100;
    TDIdleTimer::Instance()->Idle();
    Clock.Now += 100;
    TDIdleTimer::Instance()->Idle();
    EXPECT_EQ(Log, (std::vector<std::string>{c.Expected, c.Expected}));
    EXPECT_EQ(timer->EventCount(), 2u) << c.Expected;
  }
}

// Activation.

TEST_F(TTimers, TellsEveryTimerWhenTheApplicationsActivationChanges) {
  TDTimer first, second;
  SetApplicationState(Qt::ApplicationActive);
  std::string told;
  first.OnActivate = [&](TDTimer&) { told += "first active;"; };
  second.OnActivate = [&](TDTimer&) { told += "second active;"; };
  second.OnDeactivate = [&](TDTimer&) { told += "second inactive;"; };
  for (Qt::ApplicationState state : {Qt::ApplicationInactive, Qt::ApplicationHidden,
                                     Qt::ApplicationActive, Qt::ApplicationActive})
    SetApplicationState(state);
  EXPECT_EQ(told, "second inactive;first active;second active;") << "only changes are told";
}

TEST_F(TTimers, AnActiveOnlyTimerPausesWhileTheApplicationIsInactive) {
  const auto timer = Started(100, esInterval, true);
  const auto always = Started(100);
  SetApplicationState(Qt::ApplicationActive);
  RoundAt(100);
  Clock.Now = T0 + 150;
  SetApplicationState(Qt::ApplicationInactive);
  EXPECT_TRUE(timer->Suspended());
  RoundAt(1000);
  EXPECT_EQ(timer->EventCount(), 1u);
  EXPECT_EQ(always->EventCount(), 2u) << "a timer without ActiveOnly goes on";
  Clock.Now = T0 + 1030;
  SetApplicationState(Qt::ApplicationActive);
  EXPECT_FALSE(timer->Suspended());
  RoundAt(1100);
  EXPECT_EQ(timer->EventCount(), 1u) << "counted from the activation";
  RoundAt(1130);
  EXPECT_EQ(timer->EventCount(), 2u);
  EXPECT_EQ(timer->LostSteps(), 0u) << "the pause costs no steps";
}

TEST_F(TTimers, SettingActiveOnlySuspendsOnlyARunningTimerOfAnInactiveApplication) {
  const struct {
    Qt::ApplicationState State;
    bool Running;
    bool Suspended;
  } cases[] = {
      {Qt::ApplicationInactive, true, true},
      {Qt::ApplicationActive, true, false},
      {Qt::ApplicationInactive, false, false},
  };
  for (const auto& c : cases) {
    const auto timer = Started(100);
    SetApplicationState(c.State);
    if (!c.Running)
      timer->Stop();
    timer->Suspend();
    timer->Resume();
    timer->SetActiveOnly(true);
    EXPECT_EQ(timer->Suspended(), c.Suspended)
        << (c.State == Qt::ApplicationActive ? "active" : "inactive") << ", "
        << (c.Running ? "running" : "stopped");
  }
}

TEST_F(TTimers, AnActiveOnlyTimerStartedWhileInactiveWaitsForActivation) {
  TDTimer timer;
  SetApplicationState(Qt::ApplicationInactive);
  timer.SetInterval(100);
  timer.SetActiveOnly(true);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Suspended());
  RoundAt(5000);
  EXPECT_EQ(timer.EventCount(), 0u);
  SetApplicationState(Qt::ApplicationActive);
  RoundAt(5100);
  EXPECT_EQ(timer.EventCount(), 1u);
  EXPECT_EQ(timer.LostSteps(), 0u);
}

TEST_F(TTimers, ClearingActiveOnlyRunsASuspendedTimerOnFromNow) {
  const auto timer = Started(100, esInterval, true);
  SetApplicationState(Qt::ApplicationActive);
  SetApplicationState(Qt::ApplicationInactive);
  Clock.Now = T0 + 5000;
  timer->SetActiveOnly(false);
  EXPECT_FALSE(timer->Suspended());
  RoundAt(5100);
  EXPECT_EQ(timer->EventCount(), 1u);
  EXPECT_EQ(timer->LostSteps(), 0u);
}

TEST_F(TTimers, ReportsAnActivationHandlersExceptionAndTellsTheOtherTimers) {
  TDTimer failing, other;
  SetApplicationState(Qt::ApplicationInactive);
  failing.OnActivate = [](TDTimer&) { throw std::runtime_error("no focus"); };
  bool told = false;
  other.OnActivate = [&](TDTimer&) { told = true; };
  SetApplicationState(Qt::ApplicationActive);
  EXPECT_EQ(Log, std::vector<std::string>{"5: no focus in class 'TDTimer'"});
  EXPECT_TRUE(told);
}

TEST_F(TTimers, ATimerMayDestroyItselfWhenTheApplicationsActivationChanges) {
  auto timer = std::make_unique<TDTimer>();
  SetApplicationState(Qt::ApplicationActive);
  timer->OnDeactivate = [&](TDTimer&) { timer.reset(); };
  SetApplicationState(Qt::ApplicationInactive);
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(TDIdleTimer::Instance(), nullptr) << "the last timer took the driver with it";
}

} // namespace

#include "ui/uScreen.h"

#include "env/uIni.h"
#include "platform/uDisplayModes.h"
#include "platform/uRegistry.h"
#include "report/uMsg.h"
#include "sound/uWave.h"
#include "text/uOutputFormat.h"
#include "ui/uDButton.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

bool ScreenModeChanging = false;

namespace {

TScreenState State;

constexpr std::int64_t BlankingMicroseconds = 560;
constexpr std::int32_t MaxWidth = 4096;
constexpr std::int32_t MaxHeight = 3072;

// The only setting where the platform offers no modes: the primary screen as Qt shows it.
// Switching to it succeeds without a change; switching to anything else fails.
class TQtDisplayModes final : public TDisplayModes {
 public:
  bool EnumSetting(int Index, TDisplaySetting& Setting) override {
    if (Index != 0)
      return false;
    Setting = Current();
    return Setting.Width > 0;
  }
  TDisplaySetting Current() override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
      return {};
    const QSize size = screen->size() * screen->devicePixelRatio();
    return {size.width(), size.height(), screen->depth(),
            static_cast<std::int32_t>(std::lround(screen->refreshRate()))};
  }
  bool Change(const TDisplaySetting& Setting, bool) override {
    const TDisplaySetting current = Current();
    return Setting.Width == current.Width && Setting.Height == current.Height &&
           Setting.Bits == current.Bits;
  }
};

// The hourglass while the modes are read.
class TWaitCursor {
 public:
  TWaitCursor() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      Shown_ = false;
  }
  ~TWaitCursor() {
    if (Shown_)
      QApplication::restoreOverrideCursor();
  }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  bool Shown_ = true;
};

TDisplayModes* Platform() {
  if (!DisplayModes())
    SetDisplayModes(std::make_unique<TQtDisplayModes>());
  return DisplayModes();
}

std::string ToText(std::int64_t Value) {
  return std::to_string(Value);
}

// A whole number, the whole text; nullopt-like false otherwise.
bool ParseInt(std::string_view Text, std::int32_t& Value) {
  while (!Text.empty() && Text.front() == ' ')
    Text.remove_prefix(1);
  while (!Text.empty() && Text.back() == ' ')
    Text.remove_suffix(1);
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  return error == std::errc() && end == Text.data() + Text.size() && !Text.empty();
}

void InsertRate(TRefreshRateList& Rates, std::int32_t Rate) {
  const auto at = std::lower_bound(Rates.begin(), Rates.end(), Rate);
  if (at == Rates.end() || *at != Rate)
    Rates.insert(at, Rate);
}

std::string JoinRates(const TRefreshRateList& Rates) {
  std::string list;
  for (const std::int32_t rate : Rates)
    list += (list.empty() ? "" : ",") + ToText(rate);
  return list;
}

std::int64_t PixelCount(const TScreenModeEx& Mode) {
  return std::int64_t{Mode.Width} * Mode.Height;
}

// Adds a mode unless one of the same Width, Height and Bits is listed; returns its index.
int AddMode(std::int32_t Width, std::int32_t Height, std::int32_t Bits) {
  for (std::size_t i = 0; i < State.Modes.size(); ++i) {
    const TScreenModeEx& mode = State.Modes[i];
    if (mode.Width == Width && mode.Height == Height && mode.Bits == Bits)
      return static_cast<int>(i);
  }
  TScreenModeEx mode;
  mode.Width = Width;
  mode.Height = Height;
  mode.Bits = Bits;
  mode.RefreshRate = 60;
  const auto at = std::find_if(State.Modes.begin(), State.Modes.end(), [&](const TScreenModeEx& m) {
    return PixelCount(m) > PixelCount(mode);
  });
  const auto index = at - State.Modes.begin();
  State.Modes.insert(at, std::move(mode));
  if (std::find(State.Bits.begin(), State.Bits.end(), Bits) == State.Bits.end())
    State.Bits.push_back(Bits);
  return static_cast<int>(index);
}

// The listed mode nearest to Width, Height, Bits (first of equal distances), and its distance;
// -1 for an empty list.
int NearestMode(std::int32_t Width, std::int32_t Height, std::int32_t Bits,
                std::int64_t& Distance) {
  int nearest = -1;
  Distance = LLONG_MAX;
  for (std::size_t i = 0; i < State.Modes.size(); ++i) {
    const TScreenModeEx& mode = State.Modes[i];
    const std::int64_t distance = std::llabs(std::int64_t{mode.Width} - Width) +
                                  std::llabs(std::int64_t{mode.Height} - Height) +
                                  std::llabs(std::int64_t{mode.Bits} - Bits);
    if (distance < Distance) {
      Distance = distance;
      nearest = static_cast<int>(i);
    }
  }
  return nearest;
}

std::string ModeKeyOf(const TScreenModeEx& Mode) {
  return DisplayModeKey(State.DriverIndex, Mode.Bits, Mode.Width, Mode.Height);
}

// Shows TfScreen with one line per driver; the driver picked, or -1.
int AskForDriver() {
  TfScreen form(GetActiveForm());
  for (std::size_t i = 0; i < State.Drivers.size(); ++i)
    form.ComboBoxDriver->addItem(
        QString::fromStdString(ToText(State.DriverNumbers[i]) + ": " + State.Drivers[i]));
  form.ComboBoxDriver->setCurrentIndex(0);
  form.exec();
  const int line = form.ComboBoxDriver->currentIndex();
  return line >= 0 && line < static_cast<int>(State.DriverNumbers.size())
             ? State.DriverNumbers[static_cast<std::size_t>(line)]
             : -1;
}

void FindDrivers() {
  TRegistry registry(HKEY_LOCAL_MACHINE);
  State.Drivers.clear();
  State.DriverNumbers.clear();
  State.DriverIndex = -1;
  for (int i = 0; i <= 15; ++i) {
    const std::string key = DisplayDriverKey(i);
    if (!registry.KeyExists(key))
      continue;
    State.DriverIndex = i;
    State.DriverNumbers.push_back(i);
    if (registry.OpenKeyReadOnly(key))
      State.Drivers.push_back(registry.ReadString("DriverDesc"));
    else
      State.Drivers.emplace_back();
    if (registry.KeyExists(key + "\\Modes\\8") &&
        registry.OpenKey(key + "\\Modes\\8\\641," + ToText(480 + i), true)) {
      (void)registry.WriteString("", "60,75");
      (void)registry.WriteString("RefreshRate", "60");
    }
  }
  registry.CloseKey();
  if (State.Drivers.size() > 1)
    State.DriverIndex = -1;
}

void ChooseDriver() {
  if (State.DriverIndex != -1)
    return;
  TDIniFile* options = MainIni();
  std::int32_t stored = -1;
  if (options)
    options->RWNum("Monitor", "ActualDriver", stored, false);
  // Only a driver that was found can be chosen.
  if (std::find(State.DriverNumbers.begin(), State.DriverNumbers.end(), stored) !=
      State.DriverNumbers.end()) {
    State.DriverIndex = stored;
    return;
  }
  if (State.Drivers.size() <= 1)
    return;
  State.DriverIndex = AskForDriver();
  if (options && State.DriverIndex != -1) {
    std::int32_t chosen = State.DriverIndex;
    options->RWNum("Monitor", "ActualDriver", chosen, true);
  }
}

// Reads the rate list and the rate of every listed mode from its key, and the bounds over them.
void ReadRefreshRates(std::int64_t& MaxRate, std::int64_t& MaxFrequency, std::int64_t& MaxClock) {
  MaxRate = MaxFrequency = MaxClock = 0;
  State.MinRate = 0;
  if (State.DriverIndex < 0)
    return;
  TRegistry registry(HKEY_LOCAL_MACHINE);
  for (TScreenModeEx& mode : State.Modes) {
    if (!registry.OpenKeyReadOnly(ModeKeyOf(mode)))
      continue;
    const std::string list = registry.ReadString("");
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(',', start);
      if (end == std::string::npos)
        end = list.size();
      std::int32_t rate = 0;
      if (ParseInt(std::string_view(list).substr(start, end - start), rate) && rate >= 30 &&
          rate <= 200) {
        InsertRate(mode.RefreshRates, rate);
        const std::int64_t frequency = HorizontalFrequency(mode.Height, rate);
        MaxRate = std::max<std::int64_t>(MaxRate, rate);
        State.MinRate = State.MinRate == 0 ? rate : std::min<std::int64_t>(State.MinRate, rate);
        MaxFrequency = std::max(MaxFrequency, frequency);
        MaxClock = std::max(MaxClock, frequency * mode.Width);
      }
      start = end + 1;
    }
    mode.RefreshRateCount = static_cast<std::int32_t>(mode.RefreshRates.size());
    if (!mode.RefreshRates.empty())
      mode.RefreshRate = mode.RefreshRates.front();
    std::int32_t rate = 0;
    if (registry.ValueExists("RefreshRate") && ParseInt(registry.ReadString("RefreshRate"), rate) &&
        rate >= 1 && rate <= 200)
      mode.RefreshRate = rate;
  }
  registry.CloseKey();
}

bool SameMode(const TScreenMode& A, const TScreenMode& B) {
  return A.Width == B.Width && A.Height == B.Height && A.Bits == B.Bits &&
         A.RefreshRate == B.RefreshRate;
}

} // namespace

const TScreenState& ScreenState() noexcept {
  return State;
}

std::int64_t EffectiveLines(std::int64_t Height) noexcept {
  return Height >= 400 ? Height : 2 * Height;
}

std::int64_t HorizontalFrequency(std::int64_t Height, std::int64_t Rate) noexcept {
  const std::int64_t denominator = 1000000 - BlankingMicroseconds * Rate;
  if (denominator <= 0 || Rate <= 0)
    return 0;
  const std::int64_t numerator = EffectiveLines(Height) * Rate * 1000000;
  return (numerator + denominator - 1) / denominator;
}

std::int64_t HighestRefreshRate(std::int64_t Height, std::int64_t Frequency) noexcept {
  const std::int64_t denominator =
      EffectiveLines(Height) * 1000000 + BlankingMicroseconds * Frequency;
  if (Frequency <= 0 || Height <= 0 || denominator <= 0)
    return 0;
  return Frequency * 1000000 / denominator;
}

std::int64_t VideoMemory(std::int64_t Width, std::int64_t Bits, std::int64_t Height) noexcept {
  return ((Width * Bits + 31) / 32 * 4) * Height;
}

std::string ModeToText(const TScreenMode& Mode) {
  // The multiplication sign, in the framework's UTF-8.
  constexpr std::string_view times = "\xC3\x97";
  std::string text = NumberToText(Mode.Width, 0, nsLocale);
  text += times;
  text += NumberToText(Mode.Height, 0, nsLocale);
  if (Mode.Bits != 0) {
    text += times;
    text += NumberToText(Mode.Bits, 0, nsLocale) + " bit";
  }
  if (Mode.RefreshRate != 0)
    text += "/" + NumberToText(Mode.RefreshRate, 0, nsLocale) + " Hz";
  return text;
}

void ReadScreenModes() {
  const TWaitCursor cursor;
  TDisplayModes* platform = Platform();
  const bool first = !State.Searched;
  if (first) {
    platform->PublishDriver();
    FindDrivers();
  }
  State.Modes.clear();
  State.Bits.clear();
  TDisplaySetting setting;
  for (int n = 0; platform->EnumSetting(n, setting); ++n) {
    if (setting.Width == 641) {
      // A marker mode: its height names the driver that offers it.
      if (setting.Height >= 480 && setting.Height <= 480 + 15)
        State.DriverIndex = setting.Height - 480;
      continue;
    }
    if (setting.Bits > 4 && setting.Width > 0 && setting.Height > 0)
      AddMode(setting.Width, setting.Height, setting.Bits);
  }
  ChooseDriver();
  {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    for (int i = 0; i <= 15; ++i)
      (void)registry.DeleteKey(DisplayDriverKey(i) + "\\Modes\\8\\641," + ToText(480 + i));
  }
  const TDisplaySetting current = platform->Current();
  if (current.Width > 0 && current.Height > 0)
    AddMode(current.Width, current.Height, current.Bits);

  State.DriverDesc.clear();
  State.DriverDate.clear();
  if (State.DriverIndex >= 0) {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(DisplayDriverKey(State.DriverIndex))) {
      State.DriverDesc = registry.ReadString("DriverDesc");
      State.DriverDate = registry.ReadString("DriverDate");
    }
  }
  std::int64_t maxRate = 0, maxFrequency = 0, maxClock = 0;
  ReadRefreshRates(maxRate, maxFrequency, maxClock);

  const bool geForce = State.DriverDesc.find("GeForce") != std::string::npos;
  State.MinWidth = geForce ? 80 : 208;
  State.MinHeight = geForce ? 142 : 156;
  std::int64_t maxMemory = 0;
  for (const TScreenModeEx& mode : State.Modes)
    maxMemory = std::max(maxMemory, VideoMemory(mode.Width, mode.Bits, mode.Height));

  UpdateCurrentMode();
  if (first) {
    State.Searched = true;
    State.StartMode = State.CurrentMode;
    State.MaxHorizontalFrequency = maxFrequency;
    State.MaxRefreshRate = maxRate;
    State.MaxPixelClock = maxClock;
    State.MaxVideoMemory = maxMemory;
  }
}

void UpdateCurrentMode() {
  const TDisplaySetting current = Platform()->Current();
  State.CurrentMode = {current.Width, current.Height, current.Bits, 0};
  State.CurrentModeIndex = -1;
  for (std::size_t i = 0; i < State.Modes.size(); ++i) {
    const TScreenModeEx& mode = State.Modes[i];
    if (mode.Width == current.Width && mode.Height == current.Height && mode.Bits == current.Bits) {
      State.CurrentModeIndex = static_cast<int>(i);
      State.CurrentMode.RefreshRate = mode.RefreshRate;
      break;
    }
  }
}

void RegisterRefreshRates(int ModeIndex, std::int32_t Rate) {
  if (ModeIndex < 0 || ModeIndex >= static_cast<int>(State.Modes.size()))
    return;
  TScreenModeEx& mode = State.Modes[static_cast<std::size_t>(ModeIndex)];
  // A limit of 0 was never learned and caps nothing.
  std::int64_t highest = State.MaxRefreshRate;
  const std::int64_t byFrequency = HighestRefreshRate(mode.Height, State.MaxHorizontalFrequency);
  if (byFrequency > 0)
    highest = highest > 0 ? std::min(highest, byFrequency) : byFrequency;
  std::int64_t top = std::max<std::int64_t>(Rate, highest);
  if (State.MaxPixelClock > 0 && mode.Width > 0) {
    const std::int64_t byClock = HighestRefreshRate(mode.Height, State.MaxPixelClock / mode.Width);
    if (byClock > 0)
      top = std::min(top, byClock);
  }
  if (top <= 0)
    return;
  static constexpr std::int32_t usual[] = {60, 72, 75, 85, 90, 96, 100, 120, 125, 144, 150, 180};
  const std::int64_t from = State.MinRate > 0 ? std::min(top, State.MinRate) : top;
  mode.RefreshRates.clear();
  for (std::int64_t r = from; r <= top; ++r)
    if (r == top || std::find(std::begin(usual), std::end(usual), r) != std::end(usual))
      mode.RefreshRates.push_back(static_cast<std::int32_t>(r));
  mode.RefreshRateCount = static_cast<std::int32_t>(mode.RefreshRates.size());
  mode.RefreshRate = static_cast<std::int32_t>(top);
  if (State.DriverIndex < 0)
    return;
  TRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(ModeKeyOf(mode), true))
    return;
  (void)registry.WriteString("", JoinRates(mode.RefreshRates));
  (void)registry.WriteString("RefreshRate", ToText(top));
  (void)registry.DeleteValue("ModeRefreshRateList");
}

bool SetScreenMode(const TScreenMode& Mode, bool TestOnly, bool UpdateRegistry, bool Confirm,
                   bool RegistryRepair, bool AddHistory) {
  if (State.Modes.empty())
    return false;
  // 1. Size: the width to a multiple of 8, both within the limits.
  const std::int32_t width = std::clamp(Mode.Width / 8 * 8, State.MinWidth, MaxWidth);
  const std::int32_t height = std::clamp(Mode.Height, State.MinHeight, MaxHeight);
  // 2. Bits: the last depth found, or the one of least cost; lower depths cost four times more.
  std::int32_t bits = State.Bits.empty() ? Mode.Bits : State.Bits.back();
  if (Mode.Bits != 0 && !State.Bits.empty()) {
    std::int64_t best = LLONG_MAX;
    for (const std::int32_t depth : State.Bits) {
      const std::int64_t cost = depth < Mode.Bits ? (std::int64_t{Mode.Bits} - depth) * 4
                                                  : std::int64_t{depth} - Mode.Bits;
      if (cost < best) {
        best = cost;
        bits = depth;
      }
    }
  }
  // 3. The nearest listed mode.
  std::int64_t distance = 0;
  int index = NearestMode(width, height, bits, distance);
  // 4. The rate: as asked, else the mode's; at least 30, at most what the monitor allows.
  std::int64_t rate = Mode.RefreshRate != 0
                          ? Mode.RefreshRate
                          : State.Modes[static_cast<std::size_t>(index)].RefreshRate;
  if (rate < 30) {
    rate = 30;
  } else {
    const std::int64_t allowed = HighestRefreshRate(
        State.Modes[static_cast<std::size_t>(index)].Height, State.MaxHorizontalFrequency);
    if (allowed > 0 && rate > allowed)
      rate = allowed;
  }
  // 5. The registry's rates for the mode.
  if (RegistryRepair || distance == 0) {
    if (distance > 0) {
      AddMode(width, height, bits);
      index = NearestMode(width, height, bits, distance);
      RegisterRefreshRates(index, static_cast<std::int32_t>(rate));
    } else {
      TScreenModeEx& mode = State.Modes[static_cast<std::size_t>(index)];
      TRegistry registry(HKEY_LOCAL_MACHINE);
      const bool open = State.DriverIndex >= 0 && registry.OpenKey(ModeKeyOf(mode), true);
      if (std::find(mode.RefreshRates.begin(), mode.RefreshRates.end(), rate) ==
          mode.RefreshRates.end()) {
        InsertRate(mode.RefreshRates, static_cast<std::int32_t>(rate));
        mode.RefreshRateCount = static_cast<std::int32_t>(mode.RefreshRates.size());
        if (open)
          (void)registry.WriteString("", JoinRates(mode.RefreshRates));
      }
      if (rate != mode.RefreshRate) {
        if (open)
          (void)registry.WriteString("RefreshRate", ToText(rate));
        mode.RefreshRate = static_cast<std::int32_t>(rate);
      }
    }
  }
  // 6.
  if (TestOnly)
    return true;
  const TScreenModeEx& mode = State.Modes[static_cast<std::size_t>(index)];
  const TScreenMode chosen{mode.Width, mode.Height, mode.Bits, static_cast<std::int32_t>(rate)};
  // 7. A request that differs from the mode chosen.
  if ((Mode.Width != 0 && Mode.Width != chosen.Width) ||
      (Mode.Height != 0 && Mode.Height != chosen.Height) ||
      (Mode.Bits != 0 && Mode.Bits != chosen.Bits) ||
      (Mode.RefreshRate != 0 && Mode.RefreshRate != chosen.RefreshRate))
    ShowError("Screen mode " + ModeToText(Mode) + " can not be set, using " + ModeToText(chosen) +
              ".");
  // 8., 9. The switch.
  ScreenModeChanging = true;
  const bool switched = Platform()->Change(
      {chosen.Width, chosen.Height, chosen.Bits, chosen.RefreshRate}, UpdateRegistry);
  ScreenModeChanging = false;
  if (!switched) {
    ShowError("Can not change screen mode to %1.", {ModeToText(chosen)});
    return false;
  }
  // 10. Keep it?
  if (Confirm) {
    PlayWindowsSound(wsSystemQuestion);
    if (!State.History.empty() &&
        AskConfirmation("Use mode " + ModeToText(chosen) + "?", {mbYes, mbNo}) != mbYes) {
      const TScreenMode back = State.History.back();
      SetScreenMode(back, false, UpdateRegistry, false, true, false);
      return false;
    }
  }
  // 11.
  State.CurrentMode = chosen;
  State.CurrentModeIndex = index;
  if (AddHistory)
    State.History.push_back(chosen);
  return true;
}

bool RestoreStartMode() {
  return SetScreenMode(State.StartMode, false, true, false, true, true);
}

void ResetScreenModes() {
  State = TScreenState{};
}

void InitializeScreen() {
  if (QGuiApplication::platformName() == "xcb")
    SetDisplayModes(CreateXRandRModes());
  TDisplayModeSwitch modeSwitch;
  modeSwitch.SwitchTo = [](const TScreenMode& Mode) {
    ReadScreenModes();
    SetScreenMode(Mode, false, false, false, false, true);
  };
  modeSwitch.RestoreStartMode = [] {
    ReadScreenModes();
    // Nothing to do when the display shows the start-up mode already.
    if (!SameMode(State.CurrentMode, State.StartMode))
      RestoreStartMode();
  };
  SetDisplayModeSwitch(std::move(modeSwitch));
}

void FinalizeScreen() noexcept {
  SetDisplayModeSwitch({});
  FinalizeDisplayModes();
}

TfScreen::TfScreen(QWidget* Owner) : TDForm(Owner, "fScreen") {
  SetCaption("Can not assign graphics driver, select driver manually");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(393, 72);
  ComboBoxDriver = new QComboBox(this);
  ComboBoxDriver->setObjectName("ComboBoxDriver");
  ComboBoxDriver->setGeometry(8, 8, 377, 21);
  ButtonOk = new TDButton(this, "ButtonOk", "&OK");
  ButtonOk->SetDefault(true);
  ButtonOk->setGeometry(393 - 84, 72 - 32, 76, 24);
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  FormCreate();
}

void TfScreen::FormCreate() {
  SetBackground(baGradient);
}

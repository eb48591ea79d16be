#pragma once

// The display modes of the primary display: the list of modes with their refresh rates, kept in
// the display driver's registry keys (platform/uDisplayModes), the choice of the mode nearest to
// a request, the switch to it with a history for undoing, and the way back to the mode the
// program started in. Full-screen forms with ChangeMode use it through the form's display-mode
// switch, which InitializeScreen installs.
//
// On X11 the platform's settings are XRandR's; under Wayland and on Qt's offscreen platform the
// only setting is the screen as Qt shows it, and every switch to another mode fails and is
// reported.

#include "ui/uDForm.h"

#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class TDButton;

// Refresh rates in ascending order without duplicates.
using TRefreshRateList = std::vector<std::int32_t>;

// One listed mode.
struct TScreenModeEx {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Bits = 0;
  std::int32_t RefreshRate = 0; // the rate used for the mode
  TRefreshRateList RefreshRates;
  std::int32_t RefreshRateCount = 0;
  std::int32_t Reserved[2] = {};
};

// What the module has learned; read by tests and by the program's own views.
struct TScreenState {
  std::vector<TScreenModeEx> Modes; // ascending by Width x Height, equal counts in order found
  std::vector<std::int32_t> Bits;   // the bit depths, in order of discovery
  std::vector<std::string> Drivers; // "DriverDesc" of the driver keys found
  std::vector<int> DriverNumbers;   // their key numbers
  int DriverIndex = -1;             // the chosen driver's key number; -1 unknown
  std::string DriverDesc;
  std::string DriverDate;
  TScreenMode CurrentMode;
  int CurrentModeIndex = -1;
  TScreenMode StartMode;
  std::vector<TScreenMode> History; // the top is the back
  // The monitor's limits, learned at the first enumeration; 0 means nothing learned.
  std::int64_t MaxRefreshRate = 0;
  std::int64_t MaxHorizontalFrequency = 0;
  std::int64_t MaxPixelClock = 0;
  std::int64_t MaxVideoMemory = 0;
  // Over the rates of the registry at the last enumeration; 0 when none.
  std::int64_t MinRate = 0;
  std::int32_t MinWidth = 208;
  std::int32_t MinHeight = 156;
  bool Searched = false; // the driver search and the limits are done
};
const TScreenState& ScreenState() noexcept;

// Set while the platform switches the display.
extern bool ScreenModeChanging;

// Derived quantities, in 64-bit arithmetic. The vertical blanking time is 560 microseconds.
// Lines counted per frame: Height from 400 on, twice Height below (double scan).
std::int64_t EffectiveLines(std::int64_t Height) noexcept;
// Horizontal frequency in Hz of Height lines at Rate Hz, rounded up so that the rate that gave
// it is allowed again; 0 when it cannot be had (a rate at or beyond the blanking time's limit).
std::int64_t HorizontalFrequency(std::int64_t Height, std::int64_t Rate) noexcept;
// The highest rate at horizontal frequency Frequency for Height; 0 when Height or Frequency is
// 0 (nothing known, nothing capped).
std::int64_t HighestRefreshRate(std::int64_t Height, std::int64_t Frequency) noexcept;
// ((Width * Bits + 31) div 32 * 4) * Height bytes.
std::int64_t VideoMemory(std::int64_t Width, std::int64_t Bits, std::int64_t Height) noexcept;

// Width + "×" + Height, then "×" + Bits + " bit" unless Bits is 0, then "/" + RefreshRate +
// " Hz" unless that is 0; numbers in the locale's style.
std::string ModeToText(const TScreenMode& Mode);

// Rebuilds the mode list from the platform's settings and the driver's registry keys; at the
// first call it also finds the driver, asking the user with TfScreen when several are found and
// none is known, and learns the start-up mode and the monitor's limits.
void ReadScreenModes();
// Reads the current width, height and bits per pixel and finds their index in the list; the
// current rate is that mode's rate.
void UpdateCurrentMode();
// Chooses the mode nearest to Mode, keeps the registry's refresh rates for it (always with
// RegistryRepair, else when it matches exactly), and unless TestOnly switches to it, reporting
// a mode that differs from the request. Confirm asks to keep the new mode, going back to the
// history's mode on any answer but Yes; AddHistory pushes the mode. False when the list is
// empty, the switch fails or the mode is not kept.
bool SetScreenMode(const TScreenMode& Mode, bool TestOnly, bool UpdateRegistry, bool Confirm,
                   bool RegistryRepair, bool AddHistory);
// Switches back to the start-up mode (no question, registry repaired, pushed on the history).
bool RestoreStartMode();
// Writes a refresh-rate list for mode ModeIndex reaching up to Rate as far as the monitor's
// limits allow, and makes its top the mode's rate.
void RegisterRefreshRates(int ModeIndex, std::int32_t Rate);

// Forgets everything learned, so that the next ReadScreenModes searches the drivers again; for
// tests.
void ResetScreenModes();

// Installs the platform's display settings (XRandR on X11, the screen as Qt shows it elsewhere)
// and the switch of full-screen forms; FinalizeScreen puts back a mode the program changed and
// removes both. Part of the widget layer's start-up.
void InitializeScreen();
void FinalizeScreen() noexcept;

// The form that lets the user pick the display driver.
class TfScreen : public TDForm {
  Q_OBJECT

 public:
  explicit TfScreen(QWidget* Owner = nullptr);

  QComboBox* ComboBoxDriver;
  TDButton* ButtonOk;

  void FormCreate();
};

#pragma once

// The display settings of the primary display: the modes it offers, the one it shows, and the
// switch between them. On X11 they come from XRandR (the primary output, or else the first
// output that shows something); elsewhere a caller installs a stand-in through SetDisplayModes.
//
// The refresh-rate bookkeeping of the framework lives in the registry's display-driver keys, as
// on the platform the framework was made for. The XRandR driver fills them from what the server
// reports, once (PublishDriver): driver key 0000 with "DriverDesc" (output and driver name) and,
// per size, the mode key with the rates of that size and the rate in use as "RefreshRate". A
// switch takes the rate from that mode key, as a display driver does.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One display setting; RefreshRate in Hz, 0 when the platform does not know it.
struct TDisplaySetting {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Bits = 0; // bits per pixel
  std::int32_t RefreshRate = 0;

  bool operator==(const TDisplaySetting&) const = default;
};

// The root of the display drivers' keys under HKEY_LOCAL_MACHINE, ending in "\".
inline constexpr std::string_view DisplayDriverRoot =
    "System\\CurrentControlSet\\Services\\Class\\Display\\";
// The key of driver Driver: the root + its number as four digits.
std::string DisplayDriverKey(int Driver);
// The key of a mode of driver Driver: its driver key + "\MODES\" + Bits + "\" + Width + "," +
// Height.
std::string DisplayModeKey(int Driver, std::int32_t Bits, std::int32_t Width, std::int32_t Height);

class TDisplayModes {
 public:
  virtual ~TDisplayModes() = default;
  // Setting number Index (from 0) into Setting; false past the last. Index 0 reads the
  // platform's list anew.
  virtual bool EnumSetting(int Index, TDisplaySetting& Setting) = 0;
  // The width, height and bits per pixel shown now (RefreshRate as far as known).
  virtual TDisplaySetting Current() = 0;
  // Writes the driver's registry keys; called before the framework's first driver search.
  virtual void PublishDriver() {}
  // Shows Width x Height at Bits, the rate taken from the driver's mode key. UpdateRegistry asks
  // to keep the setting beyond the program, which no driver here does. False when the platform
  // refuses; showing the setting already shown succeeds without a change.
  virtual bool Change(const TDisplaySetting& Setting, bool UpdateRegistry) = 0;
  // Puts back the mode shown before the first change, silently; nothing when none was made.
  virtual void RestoreOriginal() noexcept {}
};

// The display settings in use: the one installed, else XRandR on the X display named by DISPLAY
// (nullptr when there is none or it lacks XRandR 1.2).
TDisplayModes* DisplayModes();
// Installs Modes (nullptr returns to XRandR) and returns the one installed before.
std::unique_ptr<TDisplayModes> SetDisplayModes(std::unique_ptr<TDisplayModes> Modes);
// XRandR on the X display DisplayName (nullptr: DISPLAY), or nullptr when it cannot be had.
std::unique_ptr<TDisplayModes> CreateXRandRModes(const char* DisplayName = nullptr);

// Until the program ends, a mode changed by Change is put back at exit and on SIGINT, SIGTERM and
// the crash signals; the signal is then handled as before. Safe to call more than once.
void GuardDisplayModes() noexcept;
// Frees the display settings made here, putting back the mode shown before their first change.
void FinalizeDisplayModes() noexcept;

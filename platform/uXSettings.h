#pragma once

// The desktop's settings that X clients share through the XSETTINGS protocol: the settings
// manager of a screen holds them in the property _XSETTINGS_SETTINGS of the window that owns the
// selection _XSETTINGS_S<screen>. The sound player reads "Net/EnableEventSounds" from them, the
// switch that desktops set when the user turns event sounds off.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The integer setting Name in Data, the content of an _XSETTINGS_SETTINGS property in either byte
// order; nullopt when Data holds no integer of that name. Malformed data is read up to its first
// fault and never beyond its end.
std::optional<std::int32_t> XSettingsInteger(std::span<const std::uint8_t> Data,
                                             std::string_view Name);

// Whether the desktop wants event sounds: false only when its settings manager says
// "Net/EnableEventSounds" is 0. Without an X display or a settings manager the answer is true.
// The connection to the display is made on the first call and kept until CloseXSettings.
bool DesktopEventSoundsEnabled();
// Closes the connection to the display, if one is open.
void CloseXSettings() noexcept;

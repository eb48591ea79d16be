#pragma once

// The framework's global options: desktop icons, splash screen, window background and update
// checks, with their current values. Start-up names them and sets their defaults; without an ini
// object nothing changes them afterwards.

#include "env/uOptions.h"
#include "graphics/uColors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

enum TGlobalOption : std::uint8_t {
  goStartMenuIcon,
  goDesktopIcon,
  goQuickLaunchIcon,
  goRunAfterStartUp,
  goShowSplashScreenWhenApplicationStarts,
  goWindowBackgroundTexture,
  goWindowBackgroundColor,
  goAutomaticallyCheckForUpdate,
  goCheckForUpdateDaysPeriod,
};

inline constexpr std::string_view GlobalOptionNames[] = {
    "goStartMenuIcon",
    "goDesktopIcon",
    "goQuickLaunchIcon",
    "goRunAfterStartUp",
    "goShowSplashScreenWhenApplicationStarts",
    "goWindowBackgroundTexture",
    "goWindowBackgroundColor",
    "goAutomaticallyCheckForUpdate",
    "goCheckForUpdateDaysPeriod",
};
inline constexpr std::size_t GlobalOptionCount = std::size(GlobalOptionNames);
static_assert(GlobalOptionCount == goCheckForUpdateDaysPeriod + 1, "one name per option");

// The global option table, indexed by TGlobalOption; the names are filled in at start-up.
extern std::array<TOption, GlobalOptionCount> GlobalOptions;
// The current value of each global option.
extern std::array<TParam, GlobalOptionCount> GlobalParams;

// The value of goWindowBackgroundTexture: whether forms and buttons paint their texture.
bool WindowBackgroundTexture() noexcept;
// The value of goWindowBackgroundColor: the colour of form backgrounds.
TColor WindowBackgroundColor() noexcept;

// Names the global options and sets every value to its default; part of the framework's start-up.
void InitializeCommon();
// Puts the table back as it was before start-up.
void FinalizeCommon() noexcept;

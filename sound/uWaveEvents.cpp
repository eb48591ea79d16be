// The platform's event sounds, sound files and the pan of a sound.

#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "platform/uRegistry.h"
#include "platform/uSoundPlayer.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "sound/uWave.h"

#include <cerrno>

namespace {

constexpr TThemeSoundName ThemeSounds[] = {
    {"dialog-information", ""},             // SystemAsterisk
    {"window-close", ""},                   // Close
    {"dialog-error", ""},                   // SystemHand
    {"bell", ""},                           // .Default
    {"dialog-warning", ""},                 // SystemExclamation
    {"desktop-logout", ""},                 // SystemExit
    {"window-maximized", ""},               // Maximize
    {"menu-click", ""},                     // MenuCommand
    {"menu-popup", ""},                     // MenuPopup
    {"window-minimized", ""},               // Minimize
    {"window-new", ""},                     // Open
    {"dialog-error", ""},                   // AppGPFault
    {"dialog-question", "window-question"}, // SystemQuestion
    {"window-unmaximized", ""},             // RestoreDown
    {"window-unminimized", ""},             // RestoreUp
    {"desktop-login", ""},                  // SystemStart
};
static_assert(std::size(ThemeSounds) == WindowsSoundCount, "one theme sound per event");

// Plays the theme sound of an event, or its fallback when the theme lacks it; a failure goes to
// the log only.
void PlayThemeSound(TWindowsSound Index) {
  const TThemeSoundName sound = ThemeSoundName(Index);
  if (sound.Name.empty())
    return;
  int code = SoundPlayer().PlayThemeSound(std::string(sound.Name));
  if (code == ENOENT && !sound.Fallback.empty())
    code = SoundPlayer().PlayThemeSound(std::string(sound.Fallback));
  if (code != 0)
    MainLogAdd("Theme sound " + std::string(sound.Name) + ": " + ErrorCodeToStr(code), mlDebug);
}

} // namespace

std::string WindowsSoundFile(TWindowsSound Index) {
  if (Index >= WindowsSoundCount)
    return {};
  TRegistry registry(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly("AppEvents\\Schemes\\Apps\\.Default\\" +
                                std::string(WindowsSoundNames[Index]) + "\\.Current"))
    return {};
  return registry.ReadString("");
}

TThemeSoundName ThemeSoundName(TWindowsSound Index) noexcept {
  return Index < WindowsSoundCount ? ThemeSounds[Index] : TThemeSoundName{};
}

void PlayWindowsSound(TWindowsSound Index) {
  if (Index >= WindowsSoundCount)
    return;
  MainLogAdd("Play windows sound " + std::string(WindowsSoundNames[Index]) + ".", mlDebug);
  const std::string file = WindowsSoundFile(Index);
  PlaySoundFile(file);
  // On this platform the theme stands in for the sound files that no one set.
  if (file.empty())
    PlayThemeSound(Index);
}

std::optional<TWindowsSound> LevelSound(TMessageLevel Level) noexcept {
  switch (Level) {
  case mlConfirmation:
    return wsSystemQuestion;
  case mlDebug:
  case mlInformation:
  case mlWarning:
    return wsSystemExclamation;
  case mlError:
  case mlFatalError:
    return wsSystemHand;
  case mlNone:
    break;
  }
  return std::nullopt;
}

void PlayLevelSound(TMessageLevel Level) {
  if (const std::optional<TWindowsSound> sound = LevelSound(Level))
    PlayWindowsSound(*sound);
}

void PlaySoundFile(std::string_view FileName) {
  MainLogAdd("Play sound " + std::string(FileName) + ".", mlDebug);
  if (FileName.empty() || !FileExistsEx(FileName))
    return;
  ShowErrorCode(SoundPlayer().PlayFile(ExpandDir(FileName)));
}

void StopSound() {
  ShowErrorCode(SoundPlayer().Stop());
}

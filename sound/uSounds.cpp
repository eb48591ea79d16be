#include "sound/uSounds.h"

#include "env/uIni.h"

#include <algorithm>

TSoundSettings SoundSettings;

namespace {

constexpr std::string_view SoundsSection = "Sounds";

// The list and what goes with it between start-up and shut-down.
class TSoundList {
 public:
  std::vector<TSound> Sounds;
  std::unique_ptr<TWave> Converted; // the wave playing, kept until the next one
  TDIniFile* RegisteredWith = nullptr;

  // Reads the settings from the program's options store once, when it has one.
  void RegisterOptions() {
    TDIniFile* ini = MainIni();
    if (!ini || ini == RegisteredWith)
      return;
    RegisteredWith = ini;
    ini->RegisterRW(MakeRWOptions<TSoundList, &TSoundList::RWOptions>(*this));
  }

  // Writes the settings to the store they were read from, if it is still the program's.
  void UnregisterOptions() {
    if (RegisteredWith && RegisteredWith == MainIni())
      RegisteredWith->UnregisterRW(MakeRWOptions<TSoundList, &TSoundList::RWOptions>(*this));
    RegisteredWith = nullptr;
  }

  void RWOptions(bool Save) {
    TDIniFile& ini = *RegisteredWith;
    ini.RWBool(SoundsSection, "Enabled", SoundSettings.Enabled, Save);
    ini.RWBool(SoundsSection, "Music", SoundSettings.Music, Save);
    for (TSound& sound : Sounds) {
      ini.RWString(SoundsSection, sound.Name, sound.FileName, Save);
      ini.RWBool(SoundsSection, sound.Name + " Enabled", sound.Enabled, Save);
    }
  }
};

TSoundList List;

} // namespace

std::int32_t RegisterSounds(std::span<const std::string_view> Names, bool Off) {
  const auto first = static_cast<std::int32_t>(List.Sounds.size());
  for (const std::string_view name : Names) {
    TSound& sound = List.Sounds.emplace_back();
    sound.Name = name;
    if (name != "Warning")
      sound.DefaultFileName = "Sounds/" + sound.Name + ".wav";
    sound.FileName = sound.DefaultFileName;
    sound.Enabled = !Off;
  }
  return first;
}

std::vector<TSound>& FrameworkSounds() noexcept {
  return List.Sounds;
}

std::int32_t FrameworkSoundIndex(std::string_view Name) noexcept {
  const auto found = std::find_if(List.Sounds.begin(), List.Sounds.end(),
                                  [Name](const TSound& Sound) { return Sound.Name == Name; });
  return found == List.Sounds.end() ? -1 : static_cast<std::int32_t>(found - List.Sounds.begin());
}

void PlayFrameworkSound(std::int32_t Index, std::int32_t X, std::int32_t Width) {
  if (!SoundSettings.Enabled || List.Sounds.empty())
    return;
  List.RegisterOptions();
  // The store may have turned the sounds off.
  if (!SoundSettings.Enabled || Index < 0 || std::size_t(Index) >= List.Sounds.size())
    return;
  TSound& sound = List.Sounds[std::size_t(Index)];
  if (!sound.Enabled)
    return;
  if (!sound.Wave) {
    sound.Wave = std::make_unique<TWave>();
    if (!sound.FileName.empty())
      sound.Wave->LoadFromFile(sound.FileName);
  }
  if (sound.Wave->Image().empty())
    return;
  const TPanVolumes volumes = PanVolumes(X, Width);
  StopSound();
  for (TSound& other : List.Sounds)
    other.Playing = false;
  List.Converted = sound.Wave->ConvertChannels(2, volumes.Left, volumes.Right);
  // A wave that cannot be converted plays as it is.
  sound.Playing = (List.Converted ? *List.Converted : *sound.Wave).Play();
}

void InitializeSounds() {
  SoundSettings = {};
  StopSound();
}

void FinalizeSounds() {
  StopSound();
  List.Converted.reset();
  List.UnregisterOptions();
  List.Sounds.clear();
  SoundSettings = {};
}

#pragma once

// The framework's own sounds, such as the press and release sounds of buttons: a list of named
// sounds, each with its wave file and its switch, played panned to the horizontal position of the
// control that caused them. Their settings are kept in the section "Sounds" of the options store
// when the program has one (env/uIni.h). The program carries no wave files: a sound whose file is
// missing plays nothing and reports nothing.

#include "sound/uWave.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The sound settings. Only Enabled and Music are kept in the options store; none but Enabled
// changes the playing described here.
struct TSoundSettings {
  bool Enabled = true;
  bool Music = true;
  bool Reduce = true;
  bool Bits16 = true; // "16bits"
  std::int32_t Frequency = 22050;
  bool Stereo = true;
};
extern TSoundSettings SoundSettings;

// One framework sound.
struct TSound {
  std::unique_ptr<TWave> Wave; // loaded from FileName when the sound first plays
  bool Enabled = true;
  bool Playing = false; // the sound started last, while it may still play
  std::string Name;
  std::string FileName;
  std::string DefaultFileName;
};

// Appends one sound a name, in order, with the file "Sounds/" + name + ".wav" (none for the name
// "Warning"), enabled unless Off. Returns the index of the first one appended.
std::int32_t RegisterSounds(std::span<const std::string_view> Names, bool Off = false);
// The sounds registered, in order.
std::vector<TSound>& FrameworkSounds() noexcept;
// The index of the first sound named Name, or -1.
std::int32_t FrameworkSoundIndex(std::string_view Name) noexcept;

// Plays sound Index panned to X of Width (PanVolumes), for a control at X in a work area of
// Width: nothing while the sounds are off, none is registered, the sound is off or its wave
// cannot be loaded. With an options store, the settings are read from it first, once. Stops the
// sound playing and plays the sound converted to stereo, keeping the converted wave until the
// next sound or the shut-down.
void PlayFrameworkSound(std::int32_t Index, std::int32_t X, std::int32_t Width);

// Part of the framework's start-up: the settings at their defaults, an empty list, the sound
// player stopped.
void InitializeSounds();
// Part of the shut-down: stops the sound playing, frees every wave, writes the settings to the
// options store they were read from and empties the list.
void FinalizeSounds();

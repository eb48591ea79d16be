#pragma once

// The platform's sound player. It plays one sound at a time, asynchronously: starting a sound
// stops the one playing. Wave images and files go to ALSA's default device from a playback thread
// of the player's own; named event sounds go to the freedesktop sound theme through libcanberra,
// unless the desktop has turned event sounds off. Every call returns 0 or the errno code of its
// failure and raises nothing; all calls come from one thread, the user interface's.
//
// The framework reaches the player only through the installed TSoundPlayer, so that tests can
// put a recording fake in its place.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TSoundPlayer {
 public:
  TSoundPlayer() = default;
  TSoundPlayer(const TSoundPlayer&) = delete;
  TSoundPlayer& operator=(const TSoundPlayer&) = delete;
  virtual ~TSoundPlayer() = default;

  // Plays the first Size bytes of Image, a RIFF/WAVE image (platform/uWaveImage.h), and keeps
  // Image alive while it plays. A null Image only stops the sound playing.
  [[nodiscard]] virtual int PlayImage(std::shared_ptr<const std::uint8_t[]> Image,
                                      std::size_t Size) = 0;
  // Reads the wave file Path whole and plays it.
  [[nodiscard]] virtual int PlayFile(const std::string& Path) = 0;
  // Plays the sound Name of the freedesktop sound theme ("dialog-error", "bell"); ENOENT when
  // the theme has no such sound. Nothing plays, and the result is 0, while the desktop has event
  // sounds turned off.
  [[nodiscard]] virtual int PlayThemeSound(const std::string& Name) = 0;
  // Stops the sound playing, if any.
  [[nodiscard]] virtual int Stop() = 0;
};

// The installed player: the platform's own unless a test installed another.
TSoundPlayer& SoundPlayer() noexcept;
// Installs Player, which the caller keeps alive while installed, and returns the player
// installed before (nullptr for the platform's own). nullptr installs the platform's own.
TSoundPlayer* SetSoundPlayer(TSoundPlayer* Player) noexcept;

// What the platform's own player has done with the last image or file it played.
struct TPlaybackState {
  bool Playing = false;     // its playback thread runs
  bool Stopped = false;     // it ended on a stop, before the device had played it all
  int Error = 0;            // the device failed while playing (errno code)
  std::uint64_t Frames = 0; // frames of the sound
  std::uint64_t FramesWritten = 0;
};
TPlaybackState PlaybackState();

// Handed to the playback observer after each period written to the device.
struct TPlaybackProgress {
  std::uint64_t Frames = 0;
  std::uint64_t FramesWritten = 0;
  std::chrono::steady_clock::time_point Time; // when the period was taken by the device
  const std::atomic<bool>& StopRequested;     // a stop waits for the playback thread
};
using TPlaybackObserver = std::function<void(const TPlaybackProgress&)>;
// Sets the function the platform's own player calls from its playback thread after each period
// handed to the device, for measurements and tests; an empty function removes it. Set it while
// nothing plays.
void SetPlaybackObserver(TPlaybackObserver Observer);

// Stops the platform's own player and frees its device and theme-sound context; part of the
// framework's shut-down. The player starts again when used.
void FinalizeSoundPlayer() noexcept;

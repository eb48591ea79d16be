#pragma once

// The two halves of the platform's own sound player: wave streams played on ALSA's default
// device by a thread, and theme sounds played by libcanberra.

#include "platform/uSoundPlayer.h"
#include "platform/uWaveImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

// Plays one wave stream at a time on ALSA's default device.
class TAlsaPlayback {
 public:
  TAlsaPlayback() = default;
  TAlsaPlayback(const TAlsaPlayback&) = delete;
  TAlsaPlayback& operator=(const TAlsaPlayback&) = delete;
  ~TAlsaPlayback() { Stop(); }

  // Stops the stream playing, opens the device for Stream and starts a thread that plays it;
  // Owner keeps the samples alive until the thread ends. 0 or the errno code of the failure to
  // open and set up the device.
  [[nodiscard]] int Start(std::shared_ptr<const void> Owner, const TWaveStream& Stream);
  // Asks the playback thread to stop and waits for it.
  void Stop() noexcept;
  TPlaybackState State() const;
  // Set while no thread runs.
  void SetObserver(TPlaybackObserver Observer) { Observer_ = std::move(Observer); }

 private:
  struct TRun; // what the thread shares with the player
  std::shared_ptr<TRun> Run_;
  std::thread Thread_;
  TPlaybackObserver Observer_;
};

struct ca_context;

// Plays sounds of the freedesktop sound theme through one libcanberra context, made on first use.
class TThemeSounds {
 public:
  TThemeSounds();
  TThemeSounds(const TThemeSounds&) = delete;
  TThemeSounds& operator=(const TThemeSounds&) = delete;
  ~TThemeSounds();

  // Cancels the sound playing and plays Name; 0 also when the desktop has event sounds off.
  [[nodiscard]] int Play(const std::string& Name);
  // Cancels the sounds playing.
  void Cancel() noexcept;
  // Cancels, waits a while for libcanberra to report every sound finished, and frees the
  // context. Freeing it while a sound has not reported can crash inside libcanberra, so a
  // context that does not report in time is left alone.
  void Close() noexcept;

 private:
  struct TPending; // the plays libcanberra has not reported finished yet
  ca_context* Context_ = nullptr;
  std::unique_ptr<TPending> Pending_;
  std::uint32_t LastId_ = 0;
};

// Wave streams on ALSA's default device. The device is opened and set up in the caller's thread,
// so that its failure is the caller's result; a thread then hands the samples to it a period at a
// time in non-blocking mode, waiting in poll(2) on the device and on an event that a stop sets,
// so that a stop ends the sound at once.

#include "platform/uSoundPlayer_p.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

// The latency asked of the device; the device chooses its buffer and period sizes around it.
constexpr unsigned DeviceLatencyMicroseconds = 100000;

snd_pcm_format_t AlsaFormat(TSampleCoding Coding) noexcept {
  switch (Coding) {
  case scUnsigned8:
    return SND_PCM_FORMAT_U8;
  case scSigned16:
    return SND_PCM_FORMAT_S16_LE;
  case scSigned24:
    return SND_PCM_FORMAT_S24_3LE;
  case scSigned32:
    return SND_PCM_FORMAT_S32_LE;
  case scFloat32:
    return SND_PCM_FORMAT_FLOAT_LE;
  case scFloat64:
    return SND_PCM_FORMAT_FLOAT64_LE;
  case scALaw:
    return SND_PCM_FORMAT_A_LAW;
  case scMuLaw:
    return SND_PCM_FORMAT_MU_LAW;
  }
  return SND_PCM_FORMAT_UNKNOWN;
}

// ALSA writes its own diagnostics to standard error; the player's callers get error codes.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsaDiagnostics() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(Quiet); });
}

} // namespace

struct TAlsaPlayback::TRun {
  TRun(snd_pcm_t* Pcm, int StopEvent, std::shared_ptr<const void> Owner, const TWaveStream& Stream,
       TPlaybackObserver Observer) noexcept
      : Pcm(Pcm), StopEvent(StopEvent), Owner(std::move(Owner)), Stream(Stream),
        Observer(std::move(Observer)) {}
  TRun(const TRun&) = delete;
  TRun& operator=(const TRun&) = delete;
  ~TRun() {
    if (Pcm)
      snd_pcm_close(Pcm);
    ::close(StopEvent);
  }

  void Play() noexcept;
  // Waits for the device to take more frames, for a stop, or TimeoutMs.
  void Wait(int TimeoutMs) noexcept;
  // Waits for the frames handed to the device to be played, or for a stop.
  void Drain() noexcept;
  void Finish(bool Stopped, int Error) noexcept;

  snd_pcm_t* Pcm;
  int StopEvent;
  std::shared_ptr<const void> Owner;
  TWaveStream Stream;
  TPlaybackObserver Observer;
  std::atomic<bool> StopRequested{false};
  std::vector<pollfd> Polls;
  int PeriodMs = 10;

  mutable std::mutex Mutex;
  TPlaybackState State; // guarded by Mutex
};

void TAlsaPlayback::TRun::Wait(int TimeoutMs) noexcept {
  ::poll(Polls.data(), Polls.size(), TimeoutMs);
}

void TAlsaPlayback::TRun::Drain() noexcept {
  pollfd stop{StopEvent, POLLIN, 0};
  while (!StopRequested) {
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_state(Pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(Pcm, &delay) < 0 || delay <= 0)
      return;
    const auto ms = std::int64_t(delay) * 1000 / Stream.SamplesPerSecond + 1;
    ::poll(&stop, 1, int(std::min<std::int64_t>(ms, 100)));
  }
}

void TAlsaPlayback::TRun::Finish(bool Stopped, int Error) noexcept {
  const std::lock_guard lock(Mutex);
  State.Playing = false;
  State.Stopped = Stopped;
  State.Error = Error;
}

void TAlsaPlayback::TRun::Play() noexcept {
  const std::uint64_t frames = Stream.Samples.size() / Stream.FrameBytes;
  snd_pcm_uframes_t bufferSize = 0, periodSize = 0;
  if (snd_pcm_get_params(Pcm, &bufferSize, &periodSize) < 0 || periodSize == 0)
    periodSize = 1024;
  PeriodMs = int(std::clamp<std::uint64_t>(periodSize * 1000 / Stream.SamplesPerSecond, 1, 100));
  const int count = std::max(snd_pcm_poll_descriptors_count(Pcm), 0);
  Polls.resize(std::size_t(count) + 1);
  snd_pcm_poll_descriptors(Pcm, Polls.data(), unsigned(count));
  Polls.back() = {StopEvent, POLLIN, 0};

  std::uint64_t written = 0;
  int error = 0;
  while (written < frames && !StopRequested) {
    const snd_pcm_sframes_t avail = snd_pcm_avail_update(Pcm);
    if (avail < 0) {
      if (const int failed = snd_pcm_recover(Pcm, int(avail), 1); failed < 0) {
        error = -failed;
        break;
      }
      continue;
    }
    const auto piece = std::min<std::uint64_t>(periodSize, frames - written);
    if (std::uint64_t(avail) < piece) {
      // A full buffer starts the device when it has not started by itself.
      if (snd_pcm_state(Pcm) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(Pcm);
      Wait(2 * PeriodMs);
      continue;
    }
    const snd_pcm_sframes_t done = snd_pcm_writei(
        Pcm, Stream.Samples.data() + written * Stream.FrameBytes, snd_pcm_uframes_t(piece));
    if (done == -EAGAIN) {
      Wait(2 * PeriodMs);
      continue;
    }
    if (done < 0) {
      if (const int failed = snd_pcm_recover(Pcm, int(done), 1); failed < 0) {
        error = -failed;
        break;
      }
      continue;
    }
    written += std::uint64_t(done);
    {
      const std::lock_guard lock(Mutex);
      State.FramesWritten = written;
    }
    if (Observer)
      Observer({frames, written, std::chrono::steady_clock::now(), StopRequested});
  }
  if (error == 0 && !StopRequested) {
    // A sound shorter than the start threshold starts here.
    if (snd_pcm_state(Pcm) == SND_PCM_STATE_PREPARED)
      snd_pcm_start(Pcm);
    Drain();
  }
  snd_pcm_drop(Pcm);
  Finish(StopRequested, error);
}

int TAlsaPlayback::Start(std::shared_ptr<const void> Owner, const TWaveStream& Stream) {
  Stop();
  Run_.reset();
  if (Stream.Channels == 0 || Stream.SamplesPerSecond == 0 || Stream.FrameBytes == 0)
    return EINVAL;
  SilenceAlsaDiagnostics();
  snd_pcm_t* pcm = nullptr;
  if (const int failed = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
      failed < 0)
    return -failed;
  if (const int failed = snd_pcm_set_params(pcm, AlsaFormat(Stream.Coding),
                                            SND_PCM_ACCESS_RW_INTERLEAVED, Stream.Channels,
                                            Stream.SamplesPerSecond, 1, DeviceLatencyMicroseconds);
      failed < 0) {
    snd_pcm_close(pcm);
    return -failed;
  }
  const int stopEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopEvent < 0) {
    const int code = errno;
    snd_pcm_close(pcm);
    return code;
  }
  auto run = std::make_shared<TRun>(pcm, stopEvent, std::move(Owner), Stream, Observer_);
  run->State.Playing = true;
  run->State.Frames = Stream.Samples.size() / Stream.FrameBytes;
  try {
    Thread_ = std::thread([run] { run->Play(); });
  } catch (const std::system_error& failure) {
    return failure.code().value() != 0 ? failure.code().value() : EAGAIN;
  }
  Run_ = std::move(run);
  return 0;
}

void TAlsaPlayback::Stop() noexcept {
  if (!Thread_.joinable())
    return;
  Run_->StopRequested = true;
  const std::uint64_t one = 1;
  // The event counts up; a write can fail only when it is full, when it is set anyway.
  (void)!::write(Run_->StopEvent, &one, sizeof one);
  Thread_.join();
}

TPlaybackState TAlsaPlayback::State() const {
  if (!Run_)
    return {};
  const std::lock_guard lock(Run_->Mutex);
  return Run_->State;
}

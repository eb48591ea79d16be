#include "platform/uSoundPlayer.h"

#include "platform/uFileOps.h"
#include "platform/uMemory.h"
#include "platform/uSoundPlayer_p.h"
#include "platform/uWaveImage.h"

#include <fcntl.h>

#include <cerrno>
#include <new>

namespace {

// The platform's own player: one wave stream on ALSA or one theme sound at a time.
class TPlatformSoundPlayer : public TSoundPlayer {
 public:
  int PlayImage(std::shared_ptr<const std::uint8_t[]> Image, std::size_t Size) override {
    Theme.Cancel();
    Alsa.Stop();
    if (!Image)
      return 0;
    TWaveStream stream;
    if (const int failed = ReadWaveImage({Image.get(), Size}, stream); failed != 0)
      return failed;
    return Alsa.Start(std::move(Image), stream);
  }

  int PlayFile(const std::string& Path) override {
    std::shared_ptr<std::uint8_t[]> image;
    std::size_t size = 0;
    if (const int failed = ReadWholeFile(Path, image, size); failed != 0)
      return failed;
    return PlayImage(std::move(image), size);
  }

  int PlayThemeSound(const std::string& Name) override {
    Alsa.Stop();
    return Theme.Play(Name);
  }

  int Stop() override {
    Alsa.Stop();
    Theme.Cancel();
    return 0;
  }

  TAlsaPlayback Alsa;
  TThemeSounds Theme;

 private:
  static int ReadWholeFile(const std::string& Path, std::shared_ptr<std::uint8_t[]>& Image,
                           std::size_t& Size) {
    TFileOps& ops = FileOps();
    int handle = -1;
    if (const int failed = ops.Open(Path, O_RDONLY, 0, handle); failed != 0)
      return failed;
    std::int64_t length = 0;
    int code = ops.Size(handle, length);
    if (code == 0) {
      try {
        Image = MakeLargeBlock(std::size_t(length));
        code = ops.Read(handle, Image.get(), std::size_t(length), 0, Size);
      } catch (const std::bad_alloc&) {
        code = ENOMEM;
      }
    }
    ops.Release(handle);
    return code;
  }
};

TPlatformSoundPlayer& PlatformPlayer() {
  static TPlatformSoundPlayer player;
  return player;
}

TSoundPlayer* Installed = nullptr;

} // namespace

TSoundPlayer& SoundPlayer() noexcept {
  return Installed ? *Installed : PlatformPlayer();
}

TSoundPlayer* SetSoundPlayer(TSoundPlayer* Player) noexcept {
  TSoundPlayer* before = Installed;
  Installed = Player;
  return before;
}

TPlaybackState PlaybackState() {
  return PlatformPlayer().Alsa.State();
}

void SetPlaybackObserver(TPlaybackObserver Observer) {
  PlatformPlayer().Alsa.SetObserver(std::move(Observer));
}

void FinalizeSoundPlayer() noexcept {
  PlatformPlayer().Alsa.Stop();
  PlatformPlayer().Theme.Close();
}

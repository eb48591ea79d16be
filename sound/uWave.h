#pragma once

// Wave sounds. TWave holds a sound as a whole RIFF/WAVE image in memory: read from a wave file
// chunk by chunk, with A-law and µ-law expanded to 16-bit PCM, or built here with the canonical
// 44-byte header. It converts between mono and stereo with a volume for each side and plays
// through the platform's sound player. The platform's event sounds (the level sounds of the
// message dialog, the confirmation sound) are played by event name; on this platform an event
// without a sound file of its own plays the matching sound of the freedesktop sound theme.
//
// Failures are reported (report/uMsg.h) and loading goes on where it can; nothing raises.

#include "platform/uWaveImage.h"
#include "report/uTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The "fmt " chunk of a wave file.
struct TWaveFormat {
  std::uint16_t FormatTag = 0;
  std::uint16_t Channels = 0;
  std::uint32_t SamplesPerSec = 0;
  std::uint32_t AvgBytesPerSec = 0;
  std::uint16_t BlockAlign = 0;
  std::uint16_t BitsPerSample = 0;

  friend bool operator==(const TWaveFormat&, const TWaveFormat&) = default;
};
static_assert(sizeof(TWaveFormat) == 16, "the chunk's 16 bytes");

// The format tags a wave file may have besides those the player knows (platform/uWaveImage.h).
inline constexpr std::uint16_t WaveFormatMSADPCM = 2;
inline constexpr std::uint16_t WaveFormatIMAADPCM = 17;

// The canonical header of every image built here: "RIFF", data size + 36, "WAVE", "fmt ", 16,
// the format, "data", data size.
inline constexpr std::uint32_t WaveHeaderSize = 44;

class TWave {
 public:
  // Create: an empty wave, without format or image.
  TWave() = default;
  // CreateFormat: an empty PCM wave with the given channels, rate and bits per sample; its average
  // bytes per second are Channels × BitsPerSample × SamplesPerSecond / 8 and its block align
  // Channels × BitsPerSample / 8.
  TWave(std::uint16_t Channels, std::uint32_t SamplesPerSecond, std::uint16_t BitsPerSample);
  TWave(const TWave&) = delete;
  TWave& operator=(const TWave&) = delete;

  // Read only the header and the sample count (for durations): LoadFromFile builds no image.
  bool HeaderOnly = false;
  TWaveFormat Format;

  // Reads a wave file (expanded with ExpandDir) in place of what the wave held. A missing file
  // leaves the wave empty and reports nothing. A file under 12 bytes is reported as "File
  // truncated." and read no further; a wrong RIFF or WAVE mark ("File is not wave."), a RIFF
  // length that does not match the file ("Wave bytes following repaired."), a format tag outside
  // PCM, the two ADPCMs, A-law and µ-law, and an unknown chunk id are reported and reading goes
  // on. Nothing is read beyond the end of the file, and at most the file's size plus the samples
  // expanded is allocated. The image is the file's bytes up to the end of its last "data" chunk,
  // or for A-law and µ-law the samples expanded behind a canonical header (mono, 16 bits).
  void LoadFromFile(std::string_view FileName);
  // Makes the wave Count frames long when Count differs from SampleCount: a new image of
  // DataSize = BitsPerSample × Channels × Count / 8 bytes behind a canonical header, holding the
  // samples that fit of the old one and silence (zero bytes) after them.
  void SetSampleCount(std::uint32_t Count);
  // A copy with Channels channels (1 or 2) at volumes in 1/65536 of the full level: mono to mono
  // copies; mono to stereo scales the sample by each side's volume; stereo to stereo scales each
  // side; stereo to mono takes the mean of the two scaled sides. 8-bit samples are unsigned with
  // 128 as zero; results are limited to the sample range. Null unless the wave is 8- or 16-bit
  // PCM with one or two channels and Channels is 1 or 2.
  std::unique_ptr<TWave> ConvertChannels(std::uint16_t Channels, std::uint32_t LeftVolume,
                                         std::uint32_t RightVolume) const;
  // Plays the image asynchronously, stopping the sound playing; a wave without an image only
  // stops it. A failure of the player is reported with its error code; false then.
  bool Play() const;
  // SampleCount × 1000 / SamplesPerSec rounded to the nearest millisecond, ties to even; 0 for a
  // rate of 0.
  std::uint32_t DurationMs() const noexcept;

  // Frames of the sound.
  std::uint32_t SampleCount() const noexcept { return SampleCount_; }
  // Where the samples start inside the image.
  std::uint32_t DataOffset() const noexcept { return DataOffset_; }
  // Bytes of sample data: for a file, those of its "data" chunk that the file holds.
  std::uint64_t DataSize() const noexcept { return DataSize_; }
  // The RIFF image; empty when there is none.
  std::span<const std::uint8_t> Image() const noexcept { return {Image_.get(), ImageSize_}; }
  // The first sample inside the image, or null when there is none.
  std::uint8_t* Data() noexcept { return Image_ ? Image_.get() + DataOffset_ : nullptr; }
  const std::uint8_t* Data() const noexcept {
    return Image_ ? Image_.get() + DataOffset_ : nullptr;
  }

 private:
  // Forgets the image and the counts; Format and HeaderOnly stay.
  void Clear() noexcept;
  // The sample bytes the image holds: DataSize, or less when the image ends before.
  std::uint64_t DataPresent() const noexcept;
  // Takes Image, of Size bytes, as the wave's image with its samples at Offset.
  void SetImage(std::shared_ptr<std::uint8_t[]> Image, std::size_t Size, std::uint32_t Offset,
                std::uint64_t DataSize) noexcept;

  friend class TWaveLoader;

  std::uint32_t SampleCount_ = 0;
  std::uint32_t DataOffset_ = 0;
  std::uint64_t DataSize_ = 0;
  std::shared_ptr<std::uint8_t[]> Image_; // shared with the player while it plays
  std::size_t ImageSize_ = 0;
};

// Writes the canonical 44-byte header of Format and DataSize bytes of samples at Header.
void WriteWaveHeader(std::uint8_t* Header, const TWaveFormat& Format, std::uint32_t DataSize);

// The duration of the wave file FileName in milliseconds: 0 for a missing file; otherwise its
// header is loaded (TWave::HeaderOnly) and its DurationMs returned.
std::uint32_t WaveDuration(std::string_view FileName);

// The platform's event sounds, in this order.
enum TWindowsSound : std::uint8_t {
  wsSystemAsterisk,
  wsClose,
  wsSystemHand,
  wsDefault,
  wsSystemExclamation,
  wsSystemExit,
  wsMaximize,
  wsMenuCommand,
  wsMenuPopup,
  wsMinimize,
  wsOpen,
  wsAppGPFault,
  wsSystemQuestion,
  wsRestoreDown,
  wsRestoreUp,
  wsSystemStart,
};

inline constexpr std::string_view WindowsSoundNames[] = {
    "SystemAsterisk",    "Close",       "SystemHand", ".Default",
    "SystemExclamation", "SystemExit",  "Maximize",   "MenuCommand",
    "MenuPopup",         "Minimize",    "Open",       "AppGPFault",
    "SystemQuestion",    "RestoreDown", "RestoreUp",  "SystemStart",
};
inline constexpr std::size_t WindowsSoundCount = std::size(WindowsSoundNames);
static_assert(WindowsSoundCount == wsSystemStart + 1, "one name per event");

// The sound file of an event: the default value of the current user's registry key
// "AppEvents\Schemes\Apps\.Default\<event name>\.Current", or empty (always, on this platform,
// unless something wrote the key). Empty for an index outside the events.
std::string WindowsSoundFile(TWindowsSound Index);

// The freedesktop theme sound that stands in for an event, and the sound to try when the theme
// lacks the first (empty when there is none): SystemAsterisk → dialog-information, SystemHand
// and AppGPFault → dialog-error, SystemExclamation → dialog-warning, SystemQuestion →
// dialog-question or else window-question, .Default → bell, the window and menu events to the
// window-… and menu-… sounds, SystemStart and SystemExit to desktop-login and desktop-logout.
struct TThemeSoundName {
  std::string_view Name;
  std::string_view Fallback;
};
TThemeSoundName ThemeSoundName(TWindowsSound Index) noexcept;

// Logs "Play windows sound <event name>." at mlDebug and plays the event's sound file
// (PlaySoundFile). When the event has no file, the theme sound stands in: played, or its
// fallback when the theme lacks it; a failure there is logged, not shown, since a message
// dialog whose sound fails must not bring up another.
void PlayWindowsSound(TWindowsSound Index);

// The event sound of a message level in the message dialog: SystemQuestion for mlConfirmation,
// SystemExclamation for mlDebug, mlInformation and mlWarning, SystemHand for mlError and
// mlFatalError, none for mlNone.
std::optional<TWindowsSound> LevelSound(TMessageLevel Level) noexcept;
// Plays the event sound of Level, if it has one.
void PlayLevelSound(TMessageLevel Level);

// Logs "Play sound <FileName>." at mlDebug; unless the name is empty, plays the file (expanded
// with ExpandDir) asynchronously. A missing file plays nothing and reports nothing; a failure of
// the player is reported with its error code.
void PlaySoundFile(std::string_view FileName);
// Stops any sound started through the player; a failure is reported with its error code.
void StopSound();

// The volumes of a sound panned to X of Width: Left = (Width − X) × 65536 / Width and Right =
// X × 65536 / Width, each limited to 0 … 65536; both 32768 for a Width of 0.
struct TPanVolumes {
  std::uint32_t Left = 0;
  std::uint32_t Right = 0;

  friend bool operator==(const TPanVolumes&, const TPanVolumes&) = default;
};
TPanVolumes PanVolumes(std::int32_t X, std::int32_t Width) noexcept;

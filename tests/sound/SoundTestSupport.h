#pragma once

// Helpers of the sound tests: wave files built chunk by chunk, and a sound player that records
// what it is asked instead of playing.

#include "env/EnvTestSupport.h"
#include "platform/uSoundPlayer.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline std::string Le16(std::uint16_t Value) {
  return {char(Value & 0xFF), char(Value >> 8)};
}

inline std::string Le32(std::uint32_t Value) {
  return Le16(std::uint16_t(Value)) + Le16(std::uint16_t(Value >> 16));
}

// A chunk: its id, its size (that of Body unless given) and Body with a pad byte when odd.
inline std::string Chunk(std::string_view Id, std::string_view Body,
                         std::optional<std::uint32_t> Size = std::nullopt) {
  std::string chunk = std::string(Id) + Le32(Size.value_or(std::uint32_t(Body.size())));
  chunk += Body;
  if (Body.size() % 2 == 1)
    chunk += '\0';
  return chunk;
}

// The body of a "fmt " chunk, with the average rate and block align that follow from the rest.
inline std::string FmtBody(std::uint16_t Tag, std::uint16_t Channels, std::uint32_t Rate,
                           std::uint16_t Bits) {
  return Le16(Tag) + Le16(Channels) + Le32(Rate) + Le32(Rate * Channels * Bits / 8) +
         Le16(std::uint16_t(Channels * Bits / 8)) + Le16(Bits);
}

// A RIFF file of Chunks; its RIFF length is right unless given.
inline std::string Riff(std::string_view Chunks,
                        std::optional<std::uint32_t> Length = std::nullopt) {
  return "RIFF" + Le32(Length.value_or(std::uint32_t(Chunks.size() + 4))) + "WAVE" +
         std::string(Chunks);
}

// Installs itself as the sound player for its lifetime and records every call as a line:
// "image <bytes>", "file <path>", "theme <name>", "stop".
class TRecordingPlayer : public TSoundPlayer {
 public:
  TRecordingPlayer() : Previous_(SetSoundPlayer(this)) {}
  ~TRecordingPlayer() override { SetSoundPlayer(Previous_); }

  int PlayImage(std::shared_ptr<const std::uint8_t[]> Image, std::size_t Size) override {
    Calls.push_back("image " + std::to_string(Size));
    Image_.assign(Image.get(), Image.get() + (Image ? Size : 0));
    return Result;
  }
  int PlayFile(const std::string& Path) override {
    Calls.push_back("file " + Path);
    return Result;
  }
  int PlayThemeSound(const std::string& Name) override {
    Calls.push_back("theme " + Name);
    const auto found = ThemeResults.find(Name);
    return found == ThemeResults.end() ? 0 : found->second;
  }
  int Stop() override {
    Calls.push_back("stop");
    return StopResult;
  }

  // The last image played.
  const std::vector<std::uint8_t>& Image() const { return Image_; }

  std::vector<std::string> Calls;
  int Result = 0; // of PlayImage and PlayFile
  int StopResult = 0;
  std::map<std::string, int> ThemeResults; // 0 for the others

 private:
  TSoundPlayer* Previous_;
  std::vector<std::uint8_t> Image_;
};

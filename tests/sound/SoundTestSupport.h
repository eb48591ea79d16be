#pragma once

// Helpers of the sound tests: a sound player that records what it is asked instead of playing,
// and wave files built chunk by chunk (support/WaveFiles.h).

#include "env/EnvTestSupport.h"
#include "platform/uSoundPlayer.h"
#include "support/WaveFiles.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

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

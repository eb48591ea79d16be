#pragma once

// Wave files built chunk by chunk, for the tests of the sound player and of the sound layer.

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
  return Body.size() % 2 == 1 ? chunk + '\0' : chunk;
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

// The bytes of File as an image for the sound player.
inline std::shared_ptr<const std::uint8_t[]> ImageOf(const std::string& File) {
  auto image = std::make_shared<std::uint8_t[]>(File.size());
  std::memcpy(image.get(), File.data(), File.size());
  return image;
}

#pragma once

// Reading the RIFF/WAVE images that the sound player plays: where the samples are and how they
// are coded. Only the image's own bytes are read; the RIFF length it states is not trusted, a
// chunk that claims more bytes than the image holds ends at the image's end, and a "LIST" chunk
// is read into.

#include <cstdint>
#include <span>

// How the samples of a stream are coded, little-endian where they are wider than a byte.
enum TSampleCoding : std::uint8_t {
  scUnsigned8,
  scSigned16,
  scSigned24, // in three bytes
  scSigned32,
  scFloat32,
  scFloat64,
  scALaw,
  scMuLaw,
};

// The samples of an image and their format.
struct TWaveStream {
  TSampleCoding Coding = scSigned16;
  std::uint16_t Channels = 0;
  std::uint32_t SamplesPerSecond = 0;
  std::uint32_t FrameBytes = 0;          // bytes of one sample of every channel
  std::span<const std::uint8_t> Samples; // whole frames only
};

// The format tags of the "fmt " chunk that the player knows.
inline constexpr std::uint16_t WaveFormatPCM = 1;
inline constexpr std::uint16_t WaveFormatFloat = 3;
inline constexpr std::uint16_t WaveFormatALaw = 6;
inline constexpr std::uint16_t WaveFormatMuLaw = 7;
inline constexpr std::uint16_t WaveFormatExtensible = 0xFFFE;

// Finds the format and the samples of Image. Returns 0; EINVAL when Image is no RIFF/WAVE image
// with a "fmt " chunk of at least 16 bytes, a "data" chunk, at least one channel and a rate; or
// ENOTSUP when its samples are coded in a way the player does not play (ADPCM, odd sizes).
[[nodiscard]] int ReadWaveImage(std::span<const std::uint8_t> Image, TWaveStream& Stream);

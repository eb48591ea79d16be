#pragma once

// The line ends of a block of text as bits: TFile marks its buffer once when it loads it, and
// then finds the end of each line with a bit scan instead of looking at the line's bytes again.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Sets bit i % 64 of Bits[i / 64] for every CR and LF at Bytes[i], i < Count, and clears the
// other bits, those of a last word beyond Count too. Whole words are read: Bytes must be readable
// up to the next multiple of 64. Takes the widest instructions the processor has.
void MarkLineEnds(const char* Bytes, std::size_t Count, std::uint64_t* Bits) noexcept;

using TMarkLineEnds = void (*)(const char* Bytes, std::size_t Count, std::uint64_t* Bits) noexcept;

struct TLineEndMarker {
  std::string_view Name;
  TMarkLineEnds Mark;
};

// Every way of marking that this processor can run, each with the contract of MarkLineEnds; the
// portable one first, the one MarkLineEnds takes last.
std::span<const TLineEndMarker> LineEndMarkers() noexcept;

#include "env/uLineEnds_p.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The marks of Text as the text says them, one bit a byte.
std::vector<std::uint64_t> ExpectedMarks(const std::string& Text) {
  std::vector<std::uint64_t> bits((Text.size() + 63) / 64);
  for (std::size_t i = 0; i < Text.size(); ++i)
    if (Text[i] == '\r' || Text[i] == '\n')
      bits[i / 64] |= std::uint64_t(1) << i % 64;
  return bits;
}

TEST(TLineEnds, EveryMarkerMarksCrAndLfOnlyAndNothingBehindTheText) {
  std::mt19937 random(64);
  const char alphabet[] = {'\r', '\n', 'a', ' ', '\0', '\x8D', '\x8A', '\xFF', '\x0C', '\x0B'};
  for (std::size_t size = 0; size <= 300; ++size) {
    std::string text(size, ' ');
    for (char& c : text)
      c = alphabet[random() % sizeof alphabet];
    // Behind the text come line ends, which must not be marked.
    std::string readable = text + std::string(64, '\n');
    const auto expected = ExpectedMarks(text);
    std::vector<TLineEndMarker> markers(LineEndMarkers().begin(), LineEndMarkers().end());
    markers.push_back({"MarkLineEnds", MarkLineEnds});
    for (const TLineEndMarker& marker : markers) {
      std::vector<std::uint64_t> bits(expected.size() + 1, 0x5A5A5A5A5A5A5A5A);
      marker.Mark(readable.data(), size, bits.data());
      bits.resize(expected.size());
      EXPECT_EQ(bits, expected) << marker.Name << ", " << size << " bytes";
    }
  }
}

} // namespace

#include "sound/uG711.h"

namespace {

// A code holds a sign bit, a three-bit segment and a four-bit step inside the segment. The
// decoder output is the middle of the step's interval, here in 16-bit units.
constexpr std::int16_t ALawSample(unsigned Code) {
  const unsigned code = Code ^ 0x55;
  const unsigned segment = (code >> 4) & 7;
  const unsigned step = code & 15;
  // Segments 0 and 1 share one resolution; each later segment doubles the one before.
  const int magnitude =
      segment == 0 ? int(step << 4) + 8 : (int(step << 4) + 0x108) << (segment - 1);
  return static_cast<std::int16_t>((code & 0x80) ? magnitude : -magnitude);
}

constexpr std::int16_t MuLawSample(unsigned Code) {
  const unsigned code = ~Code & 0xFF;
  const unsigned segment = (code >> 4) & 7;
  const unsigned step = code & 15;
  // The bias of 33 (0x84 in 16-bit units) makes every segment start at a power of two.
  const int magnitude = ((int(step << 3) + 0x84) << segment) - 0x84;
  return static_cast<std::int16_t>((code & 0x80) ? -magnitude : magnitude);
}

template <std::int16_t (*Sample)(unsigned)>
constexpr TG711Table MakeTable() {
  TG711Table table{};
  for (unsigned code = 0; code < 256; ++code)
    table[code] = Sample(code);
  return table;
}

constexpr TG711Table ALaw = MakeTable<ALawSample>();
constexpr TG711Table MuLaw = MakeTable<MuLawSample>();

} // namespace

const TG711Table& ALawTable() noexcept {
  return ALaw;
}

const TG711Table& MuLawTable() noexcept {
  return MuLaw;
}

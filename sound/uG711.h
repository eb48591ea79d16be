#pragma once

// The expansion of G.711 A-law and µ-law codes to 16-bit linear samples: one table of 256
// samples for each law, indexed by the code as it is stored in a wave file.

#include <array>
#include <cstdint>

using TG711Table = std::array<std::int16_t, 256>;

// A-law: the even bits of each code are inverted for transmission, and a set top bit is positive.
// The samples reach ±32256.
const TG711Table& ALawTable() noexcept;
// µ-law: every bit of each code is inverted for transmission, and a set top bit (after the
// inversion) is negative. The samples reach ±32124.
const TG711Table& MuLawTable() noexcept;

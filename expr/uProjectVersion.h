#pragma once

// Dotted version texts such as "1.2.3.4" or "4.5.0+build".

#include <cstdint>
#include <string_view>

class TParserMessages;

struct TProjectVersion {
  std::uint16_t Major = 0;
  std::uint16_t Minor = 0;
  std::uint16_t Release = 0;
  std::uint16_t Build = 0;

  friend bool operator==(const TProjectVersion&, const TProjectVersion&) = default;
};

// Reads Major, Minor and Release up to each ".", and Build up to a "+"; a missing part is 0, and
// "N/A" is all zeros. Each part is read as a whole number of 0 or more. Without a message list, the
// first part that cannot be read ends the reading quietly: the parts before it keep their values.
void StrToProjectVersion(std::string_view Text, TParserMessages* Messages,
                         TProjectVersion& Version);

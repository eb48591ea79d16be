#include "text/uStrings.h"

std::uint32_t StringHash(std::string_view text) noexcept {
  std::uint32_t hash = 0;
  for (unsigned char byte : text)
    hash = hash * 31 + byte;
  return hash;
}

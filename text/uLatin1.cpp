#include "text/uLatin1.h"

#include <algorithm>

std::string Latin1ToUtf8(std::string_view Latin1) {
  std::string result;
  result.reserve(Latin1.size());
  for (char c : Latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      result += c;
    } else {
      result += static_cast<char>(0xC0 | (byte >> 6));
      result += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return result;
}

std::string LocaleSeparatorLatin1(std::string_view Utf8) {
  if (Utf8.size() == 1 && static_cast<unsigned char>(Utf8[0]) < 0x80)
    return std::string(Utf8);
  if (Utf8.size() == 2) {
    const auto lead = static_cast<unsigned char>(Utf8[0]);
    const auto trail = static_cast<unsigned char>(Utf8[1]);
    if ((lead == 0xC2 || lead == 0xC3) && (trail & 0xC0) == 0x80)
      return std::string(1, static_cast<char>(((lead & 0x03) << 6) | (trail & 0x3F)));
  }
  // U+202F, the narrow no-break space some locales group digits with, reads like the no-break
  // space, which also lets a typed space group digits.
  if (Utf8 == "\xE2\x80\xAF")
    return "\xA0";
  return "";
}

std::size_t Utf8SequenceLength(std::string_view Utf8) noexcept {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(Utf8[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80)
    return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF; // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // below is overlong
    else if (lead == 0xED)
      high = 0x9F; // above are the surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90; // below is overlong
    else if (lead == 0xF4)
      high = 0x8F; // above is beyond U+10FFFF
  } else {
    return 0;
  }
  if (Utf8.size() < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t k = 2; k < length; ++k)
    if ((byte(k) & 0xC0) != 0x80)
      return 0;
  return length;
}

std::string Utf8ToLatin1(std::string_view Utf8) {
  std::string result;
  result.reserve(Utf8.size());
  for (std::string_view rest = Utf8; !rest.empty();) {
    const std::size_t length = Utf8SequenceLength(rest);
    if (length <= 1)
      result += rest[0];
    else if (length == 2 && static_cast<unsigned char>(rest[0]) <= 0xC3)
      result += static_cast<char>(((rest[0] & 0x03) << 6) | (rest[1] & 0x3F));
    else
      result += '?';
    rest.remove_prefix(std::max<std::size_t>(length, 1));
  }
  return result;
}

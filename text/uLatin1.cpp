#include "text/uLatin1.h"

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

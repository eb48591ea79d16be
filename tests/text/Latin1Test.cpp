// Conversions between UTF-8 and the reader's Latin-1 text.

#include "text/uLatin1.h"

#include <gtest/gtest.h>

namespace {

TEST(Latin1, WritesEveryByteAsItsCharacterInUtf8) {
  EXPECT_EQ(Latin1ToUtf8(""), "");
  EXPECT_EQ(Latin1ToUtf8("a1+"), "a1+");
  EXPECT_EQ(Latin1ToUtf8("\x7F\x80"), "\x7F\xC2\x80");
  EXPECT_EQ(Latin1ToUtf8("\xAC"
                         "0"),
            "\xC2\xAC"
            "0")
      << "the not sign";
  EXPECT_EQ(Latin1ToUtf8("\xA0\xE9\xFF"), "\xC2\xA0\xC3\xA9\xC3\xBF");
}

TEST(Latin1, TakesLocaleSeparatorsThatLatin1Has) {
  EXPECT_EQ(LocaleSeparatorLatin1("."), ".");
  EXPECT_EQ(LocaleSeparatorLatin1(""), "");
  EXPECT_EQ(LocaleSeparatorLatin1("\xC2\xA0"), "\xA0");
  EXPECT_EQ(LocaleSeparatorLatin1("\xC3\xA9"), "\xE9");
  EXPECT_EQ(LocaleSeparatorLatin1("\xE2\x80\xAF"), "\xA0") << "the narrow no-break space";
  EXPECT_EQ(LocaleSeparatorLatin1("\xE2\x80\x99"), "") << "the right single quotation mark";
  EXPECT_EQ(LocaleSeparatorLatin1("\xD9\xAB"), "") << "the Arabic decimal separator";
}

// Well-formed sequences become their character (or "?" beyond Latin-1); every byte of a malformed
// one stands for itself. Worked out from the UTF-8 definition: the shortest form only, no
// surrogates (U+D800..U+DFFF), nothing above U+10FFFF.
TEST(Latin1, DecodesOnlyWellFormedUtf8) {
  const struct {
    const char* Utf8;
    const char* Latin1;
    const char* What;
  } cases[] = {
      {"1+2", "1+2", "ASCII"},
      {"\xC2\xAC", "\xAC", "the not sign"},
      {"\xC3\xBF", "\xFF", "the last Latin-1 character"},
      {"\xC4\x80", "?", "U+0100, beyond Latin-1"},
      {"\xE2\x80\xAF", "?", "a three-byte character"},
      {"\xF0\x9F\x98\x80", "?", "a four-byte character"},
      {"\xF4\x8F\xBF\xBF", "?", "U+10FFFF, the last code point"},
      {"\xC0\xAB", "\xC0\xAB", "an overlong '+'"},
      {"\xC1\xBF", "\xC1\xBF", "an overlong U+007F"},
      {"\xE0\x80\xAB", "\xE0\x80\xAB", "an overlong '+' in three bytes"},
      {"\xF0\x80\x80\xAB", "\xF0\x80\x80\xAB", "an overlong '+' in four bytes"},
      {"\xED\xA0\x80", "\xED\xA0\x80", "the surrogate U+D800"},
      {"\xED\xBF\xBF", "\xED\xBF\xBF", "the surrogate U+DFFF"},
      {"\xED\x9F\xBF", "?", "U+D7FF, just below the surrogates"},
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80", "U+110000"},
      {"\xF5\x80\x80\x80", "\xF5\x80\x80\x80", "a lead byte that never starts a sequence"},
      {"\xC2", "\xC2", "a sequence cut at the end"},
      {"\xE2\x80", "\xE2\x80", "a three-byte sequence cut at the end"},
      {"\xE2\x80"
       "1",
       "\xE2\x80"
       "1",
       "a sequence cut by an ASCII byte"},
      {"\x80\xBF", "\x80\xBF", "stray continuation bytes"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8ToLatin1(c.Utf8), c.Latin1) << c.What;
}

} // namespace

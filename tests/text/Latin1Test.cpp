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

} // namespace

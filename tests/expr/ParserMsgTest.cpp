#include "expr/uParserMsg.h"
#include "support/NumberFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(TParserMessages, RenderOneLineEachJoinedByCrLf) {
  TParserMessages messages;
  EXPECT_EQ(messages.ToString(), "");
  messages.Add(0, 0, 0, "first", mlError);
  EXPECT_EQ(messages.ToString(), "[Error] (1, 1..1): first");
  messages.Add(2, 4, 7, "second", mlFatalError);
  EXPECT_EQ(messages.ToString(), "[Error] (1, 1..1): first\r\n[Fatal Error] (3, 5..8): second");
  messages.Add(2, 4, 7, "second", mlFatalError);
  EXPECT_EQ(messages.Count(), 3) << "equal messages are not merged";
  messages.Clear();
  EXPECT_EQ(messages.Count(), 0);
}

TEST(TParserMessages, LinesAndColumnsFollowTheLocaleGrouping) {
  TNumberFormatGuard format(CommaLocale);
  EXPECT_EQ(MessageToString({0, 999, 1233, "x", mlWarning}), "[Warning] (1, 1.000..1.234): x");
}

// A separator of several bytes is the locale's character in the UTF-8 form; in the reader's
// Latin-1 form it is its Latin-1 stand-in (the no-break space) or nothing when it has none.
TEST(TParserMessages, SeparatorsOfSeveralBytesAreEncodedOnce) {
  const TParserMessage message{0, 1099, 1100, "Undeclared identifier '\xE9x'", mlError};
  {
    TNumberFormatGuard format(FrenchLocale);
    EXPECT_EQ(MessageToUtf8(message), "[Error] (1, 1\xE2\x80\xAF"
                                      "100..1\xE2\x80\xAF"
                                      "101): "
                                      "Undeclared identifier '\xC3\xA9x'");
    EXPECT_EQ(MessageToString(message), "[Error] (1, 1\xA0"
                                        "100..1\xA0"
                                        "101): Undeclared identifier '\xE9x'");
  }
  {
    TNumberFormatGuard format(SwissGermanLocale);
    EXPECT_EQ(MessageToUtf8(message), "[Error] (1, 1\xE2\x80\x99"
                                      "100..1\xE2\x80\x99"
                                      "101): "
                                      "Undeclared identifier '\xC3\xA9x'");
    EXPECT_EQ(MessageToString(message), "[Error] (1, 1100..1101): Undeclared identifier '\xE9x'");
  }
}

TEST(TParserMessages, JoinTheUtf8FormsByCrLf) {
  TNumberFormatGuard format(FrenchLocale);
  TParserMessages messages;
  EXPECT_EQ(messages.ToUtf8(), "");
  messages.Add(0, 0, 0, "\xAC", mlError);
  messages.Add(1233, 4, 7, "second", mlWarning);
  EXPECT_EQ(messages.ToUtf8(), "[Error] (1, 1..1): \xC2\xAC\r\n[Warning] (1\xE2\x80\xAF"
                               "234, 5..8): second");
}

} // namespace

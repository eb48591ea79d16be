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

} // namespace

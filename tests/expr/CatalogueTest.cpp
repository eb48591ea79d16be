// Every catalogue text the reader writes, checked once, verbatim.

#include "ParserTestSupport.h"
#include "expr/uDParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(TMessageCatalogue, HoldsFiftyOneRows) {
  EXPECT_EQ(MessageCatalogue[0], "%1");
  EXPECT_EQ(MessageCatalogue[29], "Identifier redeclared: '%1");
  EXPECT_EQ(MessageCatalogue[44],
            "Previous declaration of '%1' was not marked width then 'overload' directive'");
  EXPECT_EQ(MessageCatalogue[50], "Compile terminated by user");
}

TEST(TMessageCatalogue, RowsTheReaderWrites) {
  constexpr long double Max = std::numeric_limits<long double>::max();
  const auto comments = [](TDParser& parser) { parser.CommentsEnabled = true; };
  const struct {
    int row;
    std::string text;
    long double min, max;
    std::function<void(TDParser&)> setup;
    std::string message;
  } rows[] = {
      {11, "5", 0, 1, {}, "[Error] (1, 2..2): Value 5 out of range 0..1"},
      {14, "sqrt(1;2)", -Max, Max, {}, "[Error] (1, 10..10): Illegal number of parameters (2)"},
      {15, "1E9999", -Max, Max, {}, "[Error] (1, 7..7): Exponent out of range."},
      {15, "2E4932", -Max, Max, {}, "[Error] (1, 7..7): Value out of range."},
      {19, "2*)", -Max, Max, {}, "[Error] (1, 3..4): Expression expected but ')' found"},
      {23, "(1", -Max, Max, {}, "[Error] (1, 3..3): ')' expected but '' found"},
      {26, "zz", -Max, Max, {}, "[Error] (1, 1..3): Undeclared identifier 'zz'"},
      {41, "1 {", -Max, Max, comments,
       "[Error] (1, 4..4): Unexpected end of file in comment started on line 1"},
      {43, "1 1", -Max, Max, {}, "[Error] (1, 3..4): Line too long, unused chars"},
      {45,
       std::string(300, '('),
       -Max,
       Max,
       {},
       "[Error] (1, 257..258): Nesting too deep: more than 256 levels"},
  };
  for (const auto& row : rows) {
    TReading reading = ReadText(row.text, row.min, 0, row.max, row.setup);
    EXPECT_NE(std::find(reading.Messages.begin(), reading.Messages.end(), row.message),
              reading.Messages.end())
        << "row " << row.row << ": " << testing::PrintToString(reading.Messages);
  }
}

TEST(TMessageCatalogue, ReadingPastTheEndIsReported) {
  TParserMessages messages;
  {
    TDParser parser("12");
    parser.Messages = &messages;
    parser.ReadInteger(0, 100);
  }
  EXPECT_EQ(Lines(messages),
            (std::vector<std::string>{"[Error] (1, 4..4): Statement expected but end of file found",
                                      "[Error] (1, 4..4): Line too long, unused chars"}));
}

TEST(TMessageCatalogue, TheHundredthMessageWarnsOfTooManyErrors) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += "zz ";
  TReading reading = ReadText(text, -1, 0, 1);
  ASSERT_GT(reading.Messages.size(), 100u);
  EXPECT_EQ(reading.Messages[100],
            "[Fatal Error] (1, 298..300): Compilation terminated; too many errors");
}

} // namespace

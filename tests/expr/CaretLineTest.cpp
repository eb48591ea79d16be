// The line that marks a message's columns under its input.

#include "expr/uCaretLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CaretLine, MarksTheColumnsOfAMessage) {
  const struct {
    std::string Line;
    int Start, End;
    std::string Caret;
  } cases[] = {
      {"abc", 0, 3, "^~~"},        {"1+abc", 2, 5, "  ^~~"}, {"(1+2", 4, 4, "    ^"},
      {"12 34", 3, 5, "   ^~"},    {"", 0, 0, "^"},          {"x", 5, 3, "     ^"},
      {"x", -2, -2, "^"},          {"x", -2, 2, "^~"},       {"\t1+\tabc", 4, 7, "\t  \t^~~"},
      {"\xE9+abc", 2, 5, "  ^~~"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CaretLine(c.Line, c.Start, c.End), c.Caret)
        << "'" << c.Line << "' " << c.Start << ".." << c.End;
}

} // namespace

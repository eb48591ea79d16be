#pragma once

// Helpers for tests of reading: tokens of a text, and a value with its messages.

#include "expr/uDParser.h"
#include "expr/uParserMsg.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TToken {
  TTokenKind Kind;
  std::string Text;
  long double Value;
};

// Every token of Text up to the end of input, with setup applied to the parser first.
inline std::vector<TToken> Tokens(std::string_view Text,
                                  const std::function<void(TDParser&)>& Setup = {}) {
  TDParser parser(Text);
  if (Setup)
    Setup(parser);
  std::vector<TToken> tokens;
  for (parser.NextToken(); parser.Kind() != tkEndOfInput; parser.NextToken())
    tokens.push_back({parser.Kind(), std::string(parser.TokenText()), parser.NumberValue()});
  return tokens;
}

// The messages of a list in their one-line forms.
inline std::vector<std::string> Lines(const TParserMessages& Messages) {
  std::vector<std::string> lines;
  for (const TParserMessage& message : Messages)
    lines.push_back(MessageToString(message));
  return lines;
}

struct TReading {
  long double Value;
  std::vector<std::string> Messages; // one-line forms, end checks included
};

// Reads Text as ReadValue does with the given bounds, after setup, and runs the end checks.
inline TReading ReadText(std::string_view Text, long double MinVal = -1e300L,
                         long double DefVal = 0, long double MaxVal = 1e300L,
                         const std::function<void(TDParser&)>& Setup = {}) {
  TParserMessages messages;
  long double value;
  {
    TDParser parser(Text);
    parser.Messages = &messages;
    if (Setup)
      Setup(parser);
    value = parser.ReadValue(MinVal, DefVal, MaxVal);
  }
  return {value, Lines(messages)};
}

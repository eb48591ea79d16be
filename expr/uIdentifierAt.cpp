#include "expr/uIdentifierAt.h"

#include "expr/uDParser.h"
#include "expr/uInputFormat.h"
#include "text/uLatin1.h"
#include "text/uOutputFormat.h"

namespace {

bool IsIdentifierCharacter(char c) noexcept {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::optional<TIdentifierAt> IdentifierAt(std::string_view Text, int Cursor, bool UseWinFormat) {
  const int length = static_cast<int>(Text.size());
  if (Cursor < 0 || Cursor > length)
    Cursor = length;
  // The scanner alone decides, token by token from the start, so that letters inside a number
  // ("0x1f", "2e5") are never taken for a name.
  TDParser parser(Text.substr(0, static_cast<std::size_t>(Cursor)));
  UseInputSeparators(parser, UseWinFormat);
  TTokenKind last = tkNone;
  std::string_view lastText;
  int lastEnd = 0;
  for (parser.NextToken(); parser.Kind() != tkEndOfInput; parser.NextToken()) {
    last = parser.Kind();
    lastText = parser.TokenText();
    lastEnd = parser.Position();
  }
  if (last != tkIdentifier || lastEnd != Cursor)
    return std::nullopt;
  TIdentifierAt identifier;
  identifier.Start = Cursor - static_cast<int>(lastText.size());
  identifier.Prefix = std::string(lastText);
  identifier.End = Cursor;
  while (identifier.End < length && IsIdentifierCharacter(Text[identifier.End]))
    ++identifier.End;
  return identifier;
}

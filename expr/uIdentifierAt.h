#pragma once

// Where a name being typed stands in a text: the identifier that the reader's scanner finds
// ending at the cursor, for completing it.

#include <optional>
#include <string>
#include <string_view>

// An identifier around a cursor. Start and End are the indexes of its whole run of characters,
// which may go on past the cursor; Prefix holds its characters before the cursor.
struct TIdentifierAt {
  int Start = 0;
  int End = 0;
  std::string Prefix;
};

// The identifier whose characters run up to Cursor in the Latin-1 Text, as the scanner reads the
// text before the cursor with the locale's separators when UseWinFormat (else "." and ","), the
// way a field reads it. None when the cursor does not end an identifier: after other characters,
// or inside a number such as 0x1f, $ab or 2e5. A Cursor outside the text counts as its end.
std::optional<TIdentifierAt> IdentifierAt(std::string_view Text, int Cursor, bool UseWinFormat);

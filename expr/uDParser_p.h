#pragma once

// What the scanner and the compiler of TDParser share, private to the reader.

#include <cstdint>
#include <string>

// Catalogue rows the reader writes.
enum : int {
  RowRange = 11,
  RowParameterCount = 14,
  RowNumber = 15,
  RowExpressionExpected = 19,
  RowExpected = 23,
  RowUndeclared = 26,
  RowCommentOpen = 41,
  RowPastEnd = 42,
  RowUnusedText = 43,
  RowGeneral = 45,
  RowTooMany = 49,
};

// A whole number as message text, grouped by the locale.
std::string WholeText(std::int64_t value);
// A number as message text: 15 significant digits with the locale's decimal separator.
std::string NumberText(long double value);

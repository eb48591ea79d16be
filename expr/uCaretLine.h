#pragma once

// Marking a message's columns under the line it was read from, as compilers mark them:
//
//   1+abc
//     ^~~

#include <cstdint>
#include <string>
#include <string_view>

// The marking line for the columns StartColumn .. EndColumn (counted from 0, EndColumn just after
// the last one) of the Latin-1 Line: a blank for every column before StartColumn, or a tab where
// Line has a tab so that both line up on a terminal; then "^" and a "~" for every further column.
// An empty or backward range is one "^"; columns before 0 count as 0. The line has no line end.
std::string CaretLine(std::string_view Line, std::int32_t StartColumn, std::int32_t EndColumn);

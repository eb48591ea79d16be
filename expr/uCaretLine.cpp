#include "expr/uCaretLine.h"

#include <algorithm>

std::string CaretLine(std::string_view Line, std::int32_t StartColumn, std::int32_t EndColumn) {
  const std::int32_t start = std::max<std::int32_t>(StartColumn, 0);
  const std::int32_t width = std::max<std::int32_t>(EndColumn - start, 1);
  std::string caret;
  caret.reserve(static_cast<std::size_t>(start + width));
  for (std::int32_t column = 0; column < start; ++column)
    caret += static_cast<std::size_t>(column) < Line.size() && Line[column] == '\t' ? '\t' : ' ';
  caret += '^';
  caret.append(static_cast<std::size_t>(width - 1), '~');
  return caret;
}

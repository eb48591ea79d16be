#include "env/uCSVFile.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

namespace {

bool IsSeparator(char C) noexcept {
  return C == '\t' || C == ',' || C == ';';
}

} // namespace

TCSVFile::TCSVFile(std::int32_t ColumnCount)
    : ColumnCount(std::max(ColumnCount, 0)), ColumnMap(CSVColumnMapSize) {
  std::iota(ColumnMap.begin(), ColumnMap.end(), 0);
}

TCSVFile::~TCSVFile() {
  // A destructor has no one to tell; Close reports its own failure.
  if (File_.Opened())
    (void)File_.Close(true, false);
}

bool TCSVFile::Open(std::string_view FileName) {
  LineIndex_ = 0;
  return File_.Open(FileName, fmReadOnly, FILE_FLAG_SEQUENTIAL_SCAN);
}

bool TCSVFile::Eof() const noexcept {
  return !File_.Opened() || File_.Eof();
}

bool TCSVFile::Close() {
  ColumnMap.clear();
  if (!File_.Opened())
    return false;
  return File_.Close(true, false);
}

void TCSVFile::StoreField(TArrayOfString& Fields, std::int32_t Number, std::string&& Text) const {
  const std::int32_t columns = std::max(ColumnCount, 0);
  if (columns > 0 && Number >= columns)
    return;
  const std::int32_t target =
      std::size_t(Number) < ColumnMap.size() ? ColumnMap[std::size_t(Number)] : Number;
  if (target < 0)
    return;
  if (std::size_t(target) >= Fields.size()) {
    if (columns > 0)
      return;
    Fields.resize(std::size_t(target) + 1);
  }
  Fields[std::size_t(target)] = std::move(Text);
}

bool TCSVFile::ReadLine(TArrayOfString& Fields) {
  Fields.assign(std::size_t(std::max(ColumnCount, 0)), std::string());
  if (!File_.Opened())
    return false;
  std::string line;
  for (;;) {
    if (!File_.Readln(line))
      return false;
    if (!line.empty() && (AcceptComments || line.front() != '#'))
      break;
  }
  // One pass over the line: a quote opening or closing quoted text is dropped, a doubled quote
  // inside quoted text gives one quote, and separators outside quoted text end the field.
  std::string field;
  std::int32_t number = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"')
        field += c;
      else if (i + 1 < line.size() && line[i + 1] == '"')
        field += line[i++];
      else
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (IsSeparator(c)) {
      StoreField(Fields, number, std::move(field));
      field.clear();
      // Fields past the last one stored cannot change the result.
      if (number < INT32_MAX)
        ++number;
    } else {
      field += c;
    }
  }
  StoreField(Fields, number, std::move(field));
  ++LineIndex_;
  return true;
}

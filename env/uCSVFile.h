#pragma once

// TCSVFile reads delimited text files line by line into lists of fields, through TFile (so a
// byte-order mark is detected and skipped). A tab, "," or ";" ends a field; double quotes enclose
// text in which the separators are text and a doubled quote stands for one quote. Empty lines,
// and lines starting with "#" unless AcceptComments is set, are skipped.

#include "env/uFile.h"
#include "report/uTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

// A list of signed 32-bit numbers.
using TArrayOfSG = std::vector<std::int32_t>;

// The size of a column map.
inline constexpr std::int32_t CSVColumnMapSize = 255;

class TCSVFile {
 public:
  // A reader of ColumnCount fields a line (0, or a negative count: as many as the line has), with
  // the column map 0, 1, ..., 254.
  explicit TCSVFile(std::int32_t ColumnCount = 0);
  TCSVFile(const TCSVFile&) = delete;
  TCSVFile& operator=(const TCSVFile&) = delete;
  // Closes a file still open.
  ~TCSVFile();

  // Opens FileName for reading, as TFile does (a failure asks Retry or Ignore), and starts
  // counting lines from 0. False when it cannot be opened.
  [[nodiscard]] bool Open(std::string_view FileName);
  // Reads the next line that is neither empty nor, unless AcceptComments, a comment, and splits
  // it into Fields: field i goes to Fields[ColumnMap[i]]. With ColumnCount > 0, Fields has exactly
  // ColumnCount entries: fields from ColumnCount on, and fields mapped outside those entries, are
  // dropped. With ColumnCount 0, Fields grows to hold every field mapped. A negative map entry
  // drops its field; fields beyond the map go to their own index. True when a line was read;
  // at the end of the file, or with no file open, Fields holds ColumnCount empty entries.
  [[nodiscard]] bool ReadLine(TArrayOfString& Fields);
  // True when no line is left, and when no file is open.
  bool Eof() const noexcept;
  // Closes an open file (a read-only file keeps its time) and empties ColumnMap, so that every
  // field then goes to its own index. False when no file was open.
  [[nodiscard]] bool Close();

  // The lines split since Open.
  std::int32_t LineIndex() const noexcept { return LineIndex_; }
  TFile& File() noexcept { return File_; }

  // Fields a line gives; 0 for as many as the line has.
  std::int32_t ColumnCount;
  // Where field i goes: ColumnMap[i]; a negative entry drops the field.
  TArrayOfSG ColumnMap;
  // Lines starting with "#" are read as data rather than skipped.
  bool AcceptComments = false;

 private:
  // Stores the text of field Number as the map and ColumnCount say.
  void StoreField(TArrayOfString& Fields, std::int32_t Number, std::string&& Text) const;

  TFile File_;
  std::int32_t LineIndex_ = 0;
};

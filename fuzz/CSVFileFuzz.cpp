// Reads arbitrary bytes as a CSV file, line by line. The first byte chooses the column count
// (bits 0-2), whether comments are read (bit 3) and whether the next eight bytes, as signed
// numbers, replace the start of the column map (bit 4). Checks that fixed column counts hold,
// that no text is made up and that reading ends.

#include "FuzzFile.h"
#include "app/uStartup.h"
#include "env/uCSVFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFrameworkScope framework;
  static TFuzzFile file;
  if (Size == 0)
    return 0;
  const std::uint8_t options = Data[0];
  ++Data;
  --Size;
  TCSVFile reader(options & 7);
  reader.AcceptComments = (options & 8) != 0;
  if ((options & 16) != 0 && Size >= 8) {
    for (int i = 0; i < 8; ++i)
      reader.ColumnMap[std::size_t(i)] = static_cast<std::int8_t>(Data[i]);
    Data += 8;
    Size -= 8;
  }
  file.Fill(Data, Size);
  if (!reader.Open(file.Name()))
    std::abort();
  std::size_t lines = 0, bytes = 0;
  for (TArrayOfString fields; !reader.Eof();) {
    const bool read = reader.ReadLine(fields);
    if (reader.ColumnCount > 0 && fields.size() != std::size_t(reader.ColumnCount))
      std::abort();
    for (const std::string& field : fields)
      bytes += field.size();
    if (read && ++lines > Size)
      std::abort();
    if (!read)
      break;
  }
  if (bytes > Size || reader.LineIndex() != std::int32_t(lines))
    std::abort();
  // Only the safety of reading is checked here.
  (void)reader.Close();
  return 0;
}

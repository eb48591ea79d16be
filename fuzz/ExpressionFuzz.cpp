// Reads arbitrary bytes as a typed field: with a message list, and without one, where messages
// raise the conversion error. The first byte chooses the separators.

#include "app/uStartup.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "platform/uExceptions.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFrameworkScope framework;
  if (Size == 0)
    return 0;
  const bool useLocale = Data[0] & 1;
  const std::string_view text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  constexpr long double Max = std::numeric_limits<long double>::max();
  try {
    TParserMessages messages;
    StrToValE(text, useLocale, &messages, -Max, 0, Max);
    messages.ToString();
  } catch (const EMathError&) {
  }
  try {
    StrToValE(text, useLocale, nullptr, 0, 1, 2147483647);
  } catch (const EMathError&) {
  } catch (const EConvertError&) {
  }
  return 0;
}

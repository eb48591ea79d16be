#include "expr/uProjectVersion.h"

#include "expr/uInputFormat.h"
#include "platform/uExceptions.h"

namespace {

// The text up to the next separator, moving Rest behind it; the whole rest when it is missing.
std::string_view TakePart(std::string_view& Rest, char Separator) {
  const std::size_t end = Rest.find(Separator);
  std::string_view part = Rest.substr(0, end);
  Rest = end == std::string_view::npos ? std::string_view() : Rest.substr(end + 1);
  return part;
}

} // namespace

void StrToProjectVersion(std::string_view Text, TParserMessages* Messages,
                         TProjectVersion& Version) {
  Version = TProjectVersion();
  if (Text == "N/A")
    return;
  std::string_view rest = Text;
  std::uint16_t* const fields[] = {&Version.Major, &Version.Minor, &Version.Release,
                                   &Version.Build};
  const char separators[] = {'.', '.', '.', '+'};
  try {
    for (int i = 0; i < 4; ++i) {
      const std::string_view part = TakePart(rest, separators[i]);
      *fields[i] =
          static_cast<std::uint16_t>(StrToValI(part, false, 0, 0, 2147483647, 1, Messages));
    }
  } catch (const EConvertError&) {
    // A part that cannot be read ends the reading; the parts before it stand.
  }
}

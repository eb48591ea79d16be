#include "expr/uInputFormat.h"

#include "expr/uDParser.h"
#include "expr/uParserMsg.h"
#include "platform/uExceptions.h"
#include "platform/uFloatErrors.h"
#include "text/uLatin1.h"
#include "text/uOutputFormat.h"

namespace {

// Divides a bound by the denominator in extended precision, raising the floating-point error of
// a zero denominator.
long double Scaled(long double bound, long double denominator) {
  return FloatChecked([](long double b, long double d) { return b / d; }, bound, denominator);
}

std::int64_t ReadScaled(std::string_view Line, bool UseWinFormat, TParserMessages* Messages,
                        long double MinVal, long double DefVal, long double MaxVal,
                        long double Denominator) {
  long double value = StrToValE(Line, UseWinFormat, Messages, Scaled(MinVal, Denominator),
                                Scaled(DefVal, Denominator), Scaled(MaxVal, Denominator));
  return RoundAway(
      FloatChecked([](long double v, long double d) { return v * d; }, value, Denominator));
}

} // namespace

void UseInputSeparators(TDParser& Parser, bool UseWinFormat) {
  if (UseWinFormat) {
    Parser.DecimalSeparator = LocaleSeparatorLatin1(DecimalSep);
    Parser.ThousandSeparator = LocaleSeparatorLatin1(ThousandSep);
  } else {
    Parser.DecimalSeparator = ".";
    Parser.ThousandSeparator = ",";
  }
}

long double StrToValE(std::string_view Line, bool UseWinFormat, TParserMessages* Messages,
                      long double MinVal, long double DefVal, long double MaxVal) {
  // The parser is declared first so that it is destroyed last: its end checks then report into
  // the caller's list, but no longer into a temporary list, which is gone by then.
  TDParser parser(Line);
  UseInputSeparators(parser, UseWinFormat);
  if (Messages) {
    parser.Messages = Messages;
    return parser.ReadValue(MinVal, DefVal, MaxVal);
  }

  TParserMessages temporary;
  struct TDetach {
    TDParser& Parser;
    ~TDetach() { Parser.Messages = nullptr; }
  } detach{parser};
  parser.Messages = &temporary;
  const long double result = parser.ReadValue(MinVal, DefVal, MaxVal);
  if (temporary.Count() > 0)
    throw EConvertError(temporary.ToString());
  return result;
}

std::int32_t StrToValI(std::string_view Line, bool UseWinFormat, std::int32_t MinVal,
                       std::int32_t DefVal, std::int32_t MaxVal, std::int32_t Denominator,
                       TParserMessages* Messages) {
  return static_cast<std::int32_t>(
      ReadScaled(Line, UseWinFormat, Messages, MinVal, DefVal, MaxVal, Denominator));
}

std::uint32_t StrToValU(std::string_view Line, bool UseWinFormat, std::uint32_t MinVal,
                        std::uint32_t DefVal, std::uint32_t MaxVal, std::uint32_t Denominator,
                        TParserMessages* Messages) {
  return static_cast<std::uint32_t>(
      ReadScaled(Line, UseWinFormat, Messages, MinVal, DefVal, MaxVal, Denominator));
}

std::int64_t StrToValS8(std::string_view Line, bool UseWinFormat, TParserMessages* Messages,
                        std::int64_t MinVal, std::int64_t DefVal, std::int64_t MaxVal,
                        std::int64_t Denominator) {
  return ReadScaled(Line, UseWinFormat, Messages, static_cast<long double>(MinVal),
                    static_cast<long double>(DefVal), static_cast<long double>(MaxVal),
                    static_cast<long double>(Denominator));
}

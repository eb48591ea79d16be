#pragma once

// Reading typed values: one call reads a whole text as an expression with bounds and a default.
// With a message list the functions never raise for bad input: they return the default for an
// empty or unreadable text and the nearest bound for a value out of range, and the list says why.
// Without a list, any message found while reading raises EConvertError carrying the messages,
// one a line; text left over after the value is then ignored. Floating-point errors of the
// functions an expression calls pass through in both modes.
//
// UseWinFormat takes the decimal and thousands separators of the user's locale as they are at the
// time of the call; otherwise "." and ",".

#include <cstdint>
#include <string_view>

class TDParser;
class TParserMessages;

// Gives Parser the separators the value input reads with: the locale's (as Latin-1) when
// UseWinFormat, else "." and ",".
void UseInputSeparators(TDParser& Parser, bool UseWinFormat);

long double StrToValE(std::string_view Line, bool UseWinFormat, TParserMessages* Messages,
                      long double MinVal, long double DefVal, long double MaxVal);

// The integer forms read the value in units of 1/Denominator: the bounds are divided by it before
// reading, and the value read is multiplied by it and rounded half away from zero. A Denominator
// of 0 raises the floating-point error of the division.
std::int32_t StrToValI(std::string_view Line, bool UseWinFormat, std::int32_t MinVal,
                       std::int32_t DefVal, std::int32_t MaxVal, std::int32_t Denominator,
                       TParserMessages* Messages);
std::uint32_t StrToValU(std::string_view Line, bool UseWinFormat, std::uint32_t MinVal,
                        std::uint32_t DefVal, std::uint32_t MaxVal, std::uint32_t Denominator,
                        TParserMessages* Messages);
std::int64_t StrToValS8(std::string_view Line, bool UseWinFormat, TParserMessages* Messages,
                        std::int64_t MinVal, std::int64_t DefVal, std::int64_t MaxVal,
                        std::int64_t Denominator);

#pragma once

// The locale's number settings as a whole, so that a test can set them and put them back.

#include "text/uOutputFormat.h"

#include <string>

struct TNumberFormat {
  std::string DecimalSep, ThousandSep;
  int GroupSize, FractionGroupSize;
  std::string NegativeSign;
  int NegativeFormat, LeadingZero;
  std::string ListSep, TimeSep;

  static TNumberFormat Current() {
    return {::DecimalSep,        ::ThousandSep,  ::GroupSize,
            ::FractionGroupSize, ::NegativeSign, ::NegativeFormat,
            ::LeadingZero,       ::ListSep,      ::TimeSep};
  }
  void Apply() const {
    ::DecimalSep = DecimalSep;
    ::ThousandSep = ThousandSep;
    ::GroupSize = GroupSize;
    ::FractionGroupSize = FractionGroupSize;
    ::NegativeSign = NegativeSign;
    ::NegativeFormat = NegativeFormat;
    ::LeadingZero = LeadingZero;
    ::ListSep = ListSep;
    ::TimeSep = TimeSep;
  }
};

// "." before the decimals, "," between groups of three.
inline const TNumberFormat PointLocale = {".", ",", 3, 0, "-", 1, 1, ";", ":"};
// "," before the decimals, "." between groups of three.
inline const TNumberFormat CommaLocale = {",", ".", 3, 0, "-", 1, 1, ";", ":"};

// Separators of locales whose thousands separator Latin-1 lacks: French (the narrow no-break
// space U+202F) and Swiss German (the right single quotation mark U+2019).
inline const TNumberFormat FrenchLocale = {",", "\xE2\x80\xAF", 3, 0, "-", 1, 1, ";", ":"};
inline const TNumberFormat SwissGermanLocale = {".", "\xE2\x80\x99", 3, 0, "-", 1, 1, ";", ":"};

// Applies a number format for its lifetime and puts back the one it found.
class TNumberFormatGuard {
 public:
  explicit TNumberFormatGuard(const TNumberFormat& Format) { Format.Apply(); }
  ~TNumberFormatGuard() { Saved_.Apply(); }
  TNumberFormatGuard(const TNumberFormatGuard&) = delete;
  TNumberFormatGuard& operator=(const TNumberFormatGuard&) = delete;

 private:
  TNumberFormat Saved_ = TNumberFormat::Current();
};

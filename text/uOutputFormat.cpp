#include "text/uOutputFormat.h"

#include "text/uStrings.h"
#include "text/uTranslate.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

// Until start-up reads the user's locale, the settings are those of the C locale.
std::string DecimalSep = ".";
std::string ThousandSep;
int GroupSize = 0;
int FractionGroupSize = 0;
std::string NegativeSign = "-";
int NegativeFormat = 1;
int LeadingZero = 1;
std::string ListSep = ";";
std::string TimeSep = ":";

namespace {

constexpr const char* OutOfRange = "Out of 64-bit range";
constexpr const char* Unknown = "unknown";

// More implied decimal places than this only pad with zeros; the limit keeps a wild argument
// from building a huge text.
constexpr std::int64_t MaxDecimals = 255;

constexpr std::int64_t MsPerSecond = 1000;
constexpr std::int64_t MsPerDay = 86400000;

// The user's locale, for the locale's date and time texts.
struct TLocaleDeleter {
  void operator()(locale_t locale) const noexcept { freelocale(locale); }
};
using TLocale = std::unique_ptr<std::remove_pointer_t<locale_t>, TLocaleDeleter>;
TLocale UserLocale;

// A text built from its end towards its start.
class TReversedText {
 public:
  void Prepend(char c) { Reversed_.push_back(c); }
  void Prepend(std::string_view s) { Reversed_.append(s.rbegin(), s.rend()); }
  std::string Text() const { return std::string(Reversed_.rbegin(), Reversed_.rend()); }

 private:
  std::string Reversed_;
};

// |Value| without overflow, also for the smallest 64-bit integer.
std::uint64_t Magnitude(std::int64_t Value) noexcept {
  return Value < 0 ? 0 - static_cast<std::uint64_t>(Value) : static_cast<std::uint64_t>(Value);
}

// The decimal digits of |Value|; empty for 0.
std::string DigitsOf(std::int64_t Value) {
  return Value == 0 ? std::string() : std::to_string(Magnitude(Value));
}

bool IsExtreme(std::int64_t Value) noexcept {
  return Value == std::numeric_limits<std::int64_t>::min() ||
         Value == std::numeric_limits<std::int64_t>::max();
}

// Value (0 .. 10^width - 1) with leading zeros to width digits.
std::string ZeroPadded(std::uint64_t Value, std::size_t width) {
  std::string text = std::to_string(Value);
  if (text.size() < width)
    text.insert(0, width - text.size(), '0');
  return text;
}

struct TNumberSeparators {
  std::string_view Decimal;
  std::string_view Thousand;
  int GroupSize;
  int FractionGroupSize;
};

TNumberSeparators SeparatorsOf(TNumberStyle Style) {
  switch (Style) {
  case nsPlain:
    return {".", "", 3, 3};
  case nsLocale:
    return {DecimalSep, ThousandSep, GroupSize, FractionGroupSize};
  default:
    return {".", ",", 3, 3};
  }
}

std::string WithNegativeForm(std::string text, TNumberStyle Style) {
  if (Style != nsLocale)
    return "-" + text;
  switch (NegativeFormat) {
  case 0:
    return "(" + text + ")";
  case 2:
    return NegativeSign + " " + text;
  case 3:
    return text + NegativeSign;
  case 4:
    return text + " " + NegativeSign;
  default:
    return NegativeSign + text;
  }
}

// A duration split into its parts; hours are not bounded by a day.
struct TDuration {
  std::uint64_t Hours;
  std::uint64_t Minutes;
  std::uint64_t Seconds;
  std::uint64_t Ms;
};

// Durations from 4294967295000 ms on show as 999:59:59.999.
TDuration SplitMs(std::uint64_t v) {
  if (v >= 4294967295000u)
    return {999, 59, 59, 999};
  const std::uint64_t seconds = v / MsPerSecond;
  return {seconds / 3600, seconds / 60 % 60, seconds % 60, v % MsPerSecond};
}

// The fraction digits of a duration's milliseconds for |Decimals| places (at most 3); negative
// Decimals drop zeros at the end unless Pad keeps the width.
std::string FractionDigits(std::uint64_t ms, int Decimals, bool Pad) {
  const int places = Decimals < -3 || Decimals > 3 ? 3 : std::abs(Decimals);
  std::string digits;
  if (places == 1) {
    if (Decimals > 0 || ms / 100 != 0)
      digits = ZeroPadded(ms / 100, 1);
  } else if (places == 2) {
    digits = ZeroPadded(ms / 10, 2);
  } else if (places == 3) {
    digits = ZeroPadded(ms, 3);
  }
  if (Decimals < 0 && !Pad)
    while (!digits.empty() && digits.back() == '0')
      digits.pop_back();
  return digits;
}

// The separator written after the hours in a strftime time format: the literal text between the
// hour conversion and the next conversion; ":" when the format shows none.
std::string TimeSeparatorOf(std::string_view format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%')
      continue;
    std::size_t c = i + 1;
    while (c < format.size() && std::string_view("EO_-0^#").find(format[c]) != std::string::npos)
      ++c;
    if (c >= format.size())
      break;
    const char conversion = format[c];
    if (std::string_view("HIkl").find(conversion) != std::string::npos) {
      const std::size_t next = std::min(format.find('%', c + 1), format.size());
      if (next > c + 1)
        return std::string(format.substr(c + 1, next - c - 1));
      break;
    }
    i = c;
  }
  return ":";
}

// One entry of a locale's grouping: a positive group size, or 0 for none.
int GroupEntry(char entry) noexcept {
  return entry <= 0 || entry == CHAR_MAX ? 0 : entry;
}

// Whether the whole days of a date-time lie within 0001-01-01 .. 9999-12-31.
bool IsValidDate(TDateTime value) noexcept {
  return std::isfinite(value) && std::trunc(value) >= -693593 && std::trunc(value) <= 2958465;
}

// The calendar fields of a valid date-time for strftime: the truncated days give the date and
// the magnitude of the fraction the time of day, rounded to whole milliseconds and held below
// midnight.
std::tm CalendarOf(TDateTime value) {
  using namespace std::chrono;
  const double whole = std::trunc(value);
  const sys_days day = sys_days(year(1899) / December / 30) + days(static_cast<int>(whole));
  const year_month_day date(day);
  const sys_days newYear = sys_days(date.year() / January / 1);
  const auto ms =
      std::min<std::int64_t>(std::llround(std::fabs(value - whole) * MsPerDay), MsPerDay - 1);
  const std::int64_t seconds = ms / MsPerSecond;

  std::tm fields{};
  fields.tm_year = static_cast<int>(date.year()) - 1900;
  fields.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
  fields.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  fields.tm_wday = static_cast<int>(weekday(day).c_encoding());
  fields.tm_yday = static_cast<int>((day - newYear).count());
  fields.tm_hour = static_cast<int>(seconds / 3600);
  fields.tm_min = static_cast<int>(seconds / 60 % 60);
  fields.tm_sec = static_cast<int>(seconds % 60);
  return fields;
}

// The fields through a strftime format of the user's locale; "unknown" when nothing comes out.
std::string LocaleText(const char* format, const std::tm& fields) {
  char buffer[256];
  const std::size_t length =
      UserLocale ? strftime_l(buffer, sizeof buffer, format, &fields, UserLocale.get())
                 : std::strftime(buffer, sizeof buffer, format, &fields);
  return length == 0 ? std::string(Unknown) : std::string(buffer, length);
}

} // namespace

std::string NumberToText(std::int64_t Value, int Decimals, TNumberStyle Style) {
  if (IsExtreme(Value))
    return OutOfRange;
  if (Style == nsPlain && Decimals == 0)
    return std::to_string(Value);
  const TNumberSeparators separators = SeparatorsOf(Style);
  const std::string digits = DigitsOf(Value);
  std::size_t remaining = digits.size();

  // Digits are taken from the end; i counts the digit positions, negative inside the fraction.
  // Until a digit other than 0 is met, zeros of an optional fraction (Decimals < 0) are dropped.
  bool show = Decimals >= 0;
  std::int64_t i =
      -std::min<std::int64_t>(std::abs(static_cast<std::int64_t>(Decimals)), MaxDecimals);
  bool written = false;
  TReversedText text;
  for (;;) {
    const char digit = remaining > 0 ? digits[--remaining] : '0';
    if (digit != '0')
      show = true;
    if (show) {
      text.Prepend(digit);
      written = true;
    }
    if (remaining == 0 && i >= 0)
      break;
    if (i == -1) {
      if (show)
        text.Prepend(separators.Decimal);
      show = true;
      if (remaining == 0) {
        // A number with no digit written yet is "0" whatever the leading-zero rule.
        if (!written || Style != nsLocale || LeadingZero == 1)
          text.Prepend('0');
        break;
      }
    } else if (i >= 0) {
      if (separators.GroupSize > 0 && (i + 1) % separators.GroupSize == 0)
        text.Prepend(separators.Thousand);
    } else if (show && separators.FractionGroupSize > 0 &&
               (-i - 1) % separators.FractionGroupSize == 0) {
      text.Prepend(separators.Thousand);
    }
    ++i;
  }
  return Value < 0 ? WithNegativeForm(text.Text(), Style) : text.Text();
}

std::string IntToText(std::int32_t Value, int Decimals, TNumberStyle Style) {
  if (Style == nsPlain && Decimals == 0)
    return std::to_string(Value);
  return NumberToText(Value, Decimals, Style);
}

std::string IntToText(std::int32_t Value, TNumberStyle Style) {
  return IntToText(Value, 0, Style);
}

std::string FormatPicture(std::string_view Picture, std::int64_t Value) {
  if (IsExtreme(Value))
    return OutOfRange;
  const std::string digits = DigitsOf(Value);
  std::size_t remaining = digits.size();
  // 1-based position of the first ".", or beyond every position.
  const std::size_t point = std::min(Picture.find('.'), Picture.size()) + 1;
  const bool negative = Value < 0;
  bool started = false;
  TReversedText text;
  for (std::size_t p = Picture.size(); p >= 1; --p) {
    const char place = Picture[p - 1];
    switch (place) {
    case '0':
    case '#':
      if (remaining > 0) {
        const char digit = digits[--remaining];
        if (digit != '0') {
          text.Prepend(digit);
          started = true;
        } else if (place == '0') {
          // A zero in a "0" place starts the number, so a "." to its left is written.
          text.Prepend('0');
          started = true;
        } else {
          text.Prepend(p <= point || started ? '0' : ' ');
        }
      } else if (place == '0' || (p > point && started)) {
        text.Prepend('0');
        started = true;
      } else {
        text.Prepend(' ');
      }
      break;
    case ' ':
      text.Prepend(' ');
      break;
    case ',':
      text.Prepend(remaining > 0 ? ',' : ' ');
      break;
    case '.':
      text.Prepend(started ? '.' : ' ');
      break;
    case '+':
      text.Prepend(negative ? '-' : '+');
      break;
    case '-':
      text.Prepend(negative ? '-' : ' ');
      break;
    default:
      break;
    }
  }
  return text.Text();
}

std::string BytesToText(std::int64_t Value, TNumberStyle Style) {
  const std::uint64_t v = Magnitude(Value);
  std::string text;
  if (v < 1024) {
    const auto count = static_cast<std::int64_t>(v);
    text = NumberToText(count, 0, Style) + " byte" + PluralSuffix(count);
  } else {
    static constexpr char UnitLetters[] = "KMGTPE";
    int unit = 0;
    std::string number;
    if (v >= std::uint64_t{1} << 60) {
      // Divided by 128 first, so that the hundredths fit in 64 bits.
      constexpr std::uint64_t divisor = std::uint64_t{1} << 53;
      unit = 5;
      number = NumberToText(static_cast<std::int64_t>((v / 128 * 100 + divisor / 2) / divisor), -2,
                            Style);
    } else {
      while (unit < 4 && v >> (10 * (unit + 2)) != 0)
        ++unit;
      const std::uint64_t u = std::uint64_t{1} << (10 * (unit + 1));
      // Rounding adds half of the divisor before the integer division.
      if (v < 10 * u)
        number = NumberToText(static_cast<std::int64_t>((v * 100 + u / 2) / u), -2, Style);
      else if (v < 100 * u)
        number = NumberToText(static_cast<std::int64_t>((v * 10 + u / 2) / u), -1, Style);
      else
        number = NumberToText(static_cast<std::int64_t>((v + u / 2) / u), 0, Style);
    }
    text = number + " " + UnitLetters[unit] + "iB";
  }
  return Value < 0 ? "-" + text : text;
}

std::string MsToText(std::int64_t Value, int Mode, int Decimals, bool Pad, TNumberStyle Style) {
  const bool locale = Style == nsLocale;
  const std::string timeSep = locale ? TimeSep : ":";
  const std::string decimalSep = locale ? DecimalSep : ".";
  const std::string listSep = locale ? ListSep : "; ";

  std::uint64_t v = Magnitude(Value);
  std::string text = Value < 0 ? "-" : "";
  if (Mode < 0 || Mode > 4)
    Mode = 1;
  if (Mode == 0 && v >= 60000)
    Mode = 1;

  if (Mode == 4) {
    static constexpr std::pair<std::uint64_t, const char*> Units[] = {
        {31536000000u, "year"}, {604800000u, "week"}, {86400000u, "day"}};
    for (auto [unit, word] : Units) {
      if (v < unit)
        continue;
      const auto count = static_cast<std::int64_t>(v / unit);
      v %= unit;
      text += std::to_string(count) + " " + Translate(word + PluralSuffix(count)) + listSep;
    }
  }
  TDuration parts = SplitMs(v);
  if (Mode == 4)
    parts.Hours %= 24;

  bool hoursWritten = false;
  if (Mode == 1 && parts.Hours == 0) {
    if (Pad)
      text += "   ";
  } else if (Mode != 0) {
    if (parts.Hours < 10 && Mode == 3)
      text += ZeroPadded(parts.Hours, 2);
    else if (parts.Hours < 10)
      text += (Pad ? " " : "") + std::to_string(parts.Hours);
    else
      text += std::to_string(parts.Hours);
    text += timeSep;
    hoursWritten = true;
  }

  if (Mode != 0) {
    if (parts.Minutes > 9 || hoursWritten || Mode >= 2)
      text += ZeroPadded(parts.Minutes, 2);
    else
      text += (Pad ? " " : "") + std::to_string(parts.Minutes);
    text += timeSep;
    text += ZeroPadded(parts.Seconds, 2);
  } else {
    text += std::to_string(parts.Hours * 3600 + parts.Minutes * 60 + parts.Seconds);
  }

  if (parts.Ms == 0 && Decimals <= 0)
    return text;
  // A separator left with no digit after it is not written.
  const std::string digits = FractionDigits(parts.Ms, Decimals, Pad);
  if (!digits.empty())
    text += decimalSep + digits;
  return text;
}

std::string DateToText(TDateTime Date, TNumberStyle Style) {
  if (Date == 0)
    return {};
  if (!IsValidDate(Date))
    return Unknown;
  const std::tm fields = CalendarOf(Date);
  if (Style == nsLocale)
    return LocaleText("%x", fields);
  return FormatPicture("0000", fields.tm_year + 1900) + "-" +
         FormatPicture("00", fields.tm_mon + 1) + "-" + FormatPicture("00", fields.tm_mday);
}

std::string TimeToText(TDateTime Time, int Decimals, TNumberStyle Style) {
  if (!std::isfinite(Time))
    return Unknown;
  if (Style == nsLocale)
    return LocaleText("%X", CalendarOf(std::fabs(Time - std::trunc(Time))));
  // Rounded halves away from zero; a duration beyond the 64-bit range is no time.
  const long double ms = static_cast<long double>(Time) * MsPerDay;
  if (!(std::fabs(ms) < 0x1p63L))
    return Unknown;
  const long double whole = std::trunc(ms);
  const auto rounded = static_cast<std::int64_t>(whole + std::trunc(2 * (ms - whole)));
  return MsToText(rounded, 3, Decimals, false, Style);
}

std::string DateTimeToText(TDateTime DateTime, int Decimals, TNumberStyle Style) {
  if (DateTime == 0)
    return {};
  if (!IsValidDate(DateTime))
    return Unknown;
  if (Style == nsLocale)
    return LocaleText("%x %X", CalendarOf(DateTime));
  const double whole = std::trunc(DateTime);
  return DateToText(whole, Style) + " " + TimeToText(std::fabs(DateTime - whole), Decimals, Style);
}

bool ReadLocaleSettings(const char* LocaleName) {
  TLocale locale(newlocale(LC_ALL_MASK, LocaleName, nullptr));
  const bool loaded = locale != nullptr;
  if (!loaded)
    locale.reset(newlocale(LC_ALL_MASK, "C", nullptr));
  if (!locale)
    return false;

  const std::string_view decimal = nl_langinfo_l(RADIXCHAR, locale.get());
  DecimalSep = decimal.empty() ? "." : decimal;
  // An empty thousands separator is the locale's choice: no separator.
  ThousandSep = nl_langinfo_l(THOUSEP, locale.get());
  const char* grouping = nl_langinfo_l(GROUPING, locale.get());
  // POSIX grouping lists the integer part's group sizes from the right, the last repeating
  // ("3;3" is groups of three throughout); it says nothing of fractions, which stay ungrouped.
  GroupSize = GroupEntry(grouping[0]);
  FractionGroupSize = 0;
  // Every locale here writes the sign before the number and a zero before the point.
  NegativeSign = "-";
  NegativeFormat = 1;
  LeadingZero = 1;
  ListSep = ";";
  TimeSep = TimeSeparatorOf(nl_langinfo_l(T_FMT, locale.get()));
  UserLocale = std::move(locale);
  return loaded;
}

void InitializeOutputFormat() {
  // A locale the C library does not know leaves the C locale's settings, as for any program.
  (void)ReadLocaleSettings("");
}

void FinalizeOutputFormat() {
  UserLocale.reset();
}

#pragma once

// Numbers, byte sizes, durations and dates as display text, in a fixed style or in the user's
// locale. The locale's settings are read once at start-up; every routine returns a new string.

#include <cstdint>
#include <string>
#include <string_view>

// How a number is written. Any other value behaves as nsGrouped.
enum TNumberStyle : std::uint8_t {
  nsPlain,   // no grouping, "." as decimal point
  nsGrouped, // "," between groups of three, "." as decimal point
  nsLocale   // the separators, grouping, negative form and leading zero of the user's locale
};

// The locale settings of nsLocale, read from the user's locale by InitializeOutputFormat. They
// are plain variables so that tests can set them; nothing else changes them after start-up.
extern std::string DecimalSep;  // decimal separator
extern std::string ThousandSep; // between digit groups; may be empty (no separator)
extern int GroupSize;           // integer digits per group; 0 or less: no grouping
extern int FractionGroupSize;   // fraction digits per group; 0 or less: no grouping
extern std::string NegativeSign;
extern int NegativeFormat; // 0 "(1)", 1 "-1", 2 "- 1", 3 "1-", 4 "1 -" (with NegativeSign)
extern int LeadingZero;    // 1 writes "0.5", any other value ".5"
extern std::string ListSep;
extern std::string TimeSep;

// The platform's date-time value: days since 1899-12-30 with the time of day as the fraction.
// The whole part (truncated) is the day and the magnitude of the fraction its time, so -1.25 is
// 1899-12-29 06:00. Valid dates run from 0001-01-01 to 9999-12-31.
using TDateTime = double;

// Value with |Decimals| implied decimal places: Decimals > 0 writes exactly that many decimals,
// Decimals < 0 up to that many without trailing zeros, 0 an integer. The smallest and largest
// 64-bit values give "Out of 64-bit range". At most 255 decimal places are written.
std::string NumberToText(std::int64_t Value, int Decimals, TNumberStyle Style);
// The plain decimal text for nsPlain without decimals, else NumberToText.
std::string IntToText(std::int32_t Value, int Decimals, TNumberStyle Style);
// IntToText with no decimals.
std::string IntToText(std::int32_t Value, TNumberStyle Style);

// Value written right to left through a digit picture: "0" a digit or zero, "#" a digit or a
// space, "." and "," separators, "+" and "-" the sign, " " a space; other characters write
// nothing. Digits beyond the picture's places are cut: 12345 through "000" gives "345".
std::string FormatPicture(std::string_view Picture, std::int64_t Value);

// A byte count with a binary unit and up to three significant digits: "1 byte", "1.5 KiB",
// "1024 KiB", "8 EiB".
std::string BytesToText(std::int64_t Value, TNumberStyle Style);

// A duration in milliseconds. Mode 0 writes seconds ("59") below one minute and behaves as mode 1
// from there; mode 1 writes [h:]m:ss; mode 2 h:mm:ss; mode 3 hh:mm:ss; mode 4 years, weeks and
// days in words, then h:mm:ss. Other modes behave as mode 1. Decimals 1 to 3 write tenths,
// hundredths or milliseconds; negative Decimals drop trailing zeros (unless Pad); beyond 3 they
// count as 3. Pad aligns short hours and minutes with spaces.
std::string MsToText(std::int64_t Value, int Mode, int Decimals, bool Pad, TNumberStyle Style);

// The date as "yyyy-mm-dd", or the locale's short date for nsLocale; "" for 0 and "unknown" for
// a value that is no valid date.
std::string DateToText(TDateTime Date, TNumberStyle Style);
// The duration Time in days as MsToText mode 3 (hh:mm:ss), or the locale's time of day for
// nsLocale; "unknown" for a value that is no valid time.
std::string TimeToText(TDateTime Time, int Decimals, TNumberStyle Style);
// DateToText of the whole days, a space and TimeToText of the fraction, or the locale's date and
// time for nsLocale; "" for 0 and "unknown" for a value that is no valid date.
std::string DateTimeToText(TDateTime DateTime, int Decimals, TNumberStyle Style);

// Reads the locale settings and the locale's date and time formats from the named locale ("" is
// the user's locale, from the environment). Returns false, and reads the C locale instead, when
// that locale cannot be loaded. Does not touch the process's global locale.
[[nodiscard]] bool ReadLocaleSettings(const char* LocaleName);

// Reads the user's locale; part of the framework's start-up.
void InitializeOutputFormat();
// Releases the locale read at start-up.
void FinalizeOutputFormat();

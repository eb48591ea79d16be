#pragma once

// The platform's general floating-point format, in which the framework shows computed values.

#include <string>
#include <string_view>

// Value with 15 significant digits, halves rounded away from zero: fixed notation without
// trailing zeros (and without a decimal separator for whole numbers) for 0 and for magnitudes from
// 0.0001 with at most 15 integer digits, scientific notation otherwise ("1E-5", "1.5E20",
// "-2.5E-7"); "INF", "-INF" and "NAN" for the special values; negative zero is "0".
std::string FloatToStr(long double Value, std::string_view DecimalSeparator = ".");

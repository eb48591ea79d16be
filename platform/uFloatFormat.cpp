#include "platform/uFloatFormat.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int SignificantDigits = 15;

// The exact decimal expansion of a finite, non-zero |Value| as its significant digits and the
// decimal exponent of the first one. The C library prints long doubles exactly when asked for
// enough digits, which an extended real always has finitely many of: Value = M * 2^E with M a
// 64-bit integer, so its expansion ends after at most -E digits behind the point.
void ExactDigits(long double Value, std::string& Digits, int& Exponent10) {
  int exponent2;
  long double mantissa = std::frexp(std::fabs(Value), &exponent2);
  auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
  int lowest = exponent2 - 64 + std::countr_zero(bits); // Value = odd * 2^lowest
  int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(Value))));
  // Digits before the point (magnitude + 1) and after it (-lowest when negative), plus a margin
  // for the estimate of the magnitude.
  int significant = magnitude + 1 + (lowest < 0 ? -lowest : 0) + 2;
  if (significant < SignificantDigits + 2)
    significant = SignificantDigits + 2;

  std::vector<char> buffer(static_cast<std::size_t>(significant) + 32);
  std::snprintf(buffer.data(), buffer.size(), "%.*Le", significant - 1, std::fabs(Value));
  const char* e = std::strchr(buffer.data(), 'e');
  Digits.clear();
  for (const char* p = buffer.data(); p != e; ++p)
    if (*p >= '0' && *p <= '9')
      Digits += *p;
  Exponent10 = std::atoi(e + 1);
}

} // namespace

std::string FloatToStr(long double Value, std::string_view DecimalSeparator) {
  if (std::isnan(Value))
    return "NAN";
  if (std::isinf(Value))
    return Value < 0 ? "-INF" : "INF";
  if (Value == 0)
    return "0";

  std::string digits;
  int exponent;
  ExactDigits(Value, digits, exponent);

  // Round to 15 digits, halves away from zero: the exact expansion decides, so a digit 5 that
  // only appears through an earlier rounding cannot tip the result.
  bool up = digits[SignificantDigits] >= '5';
  digits.resize(SignificantDigits);
  if (up) {
    int i = SignificantDigits - 1;
    while (i >= 0 && digits[i] == '9')
      digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exponent;
    }
  }
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string text = Value < 0 ? "-" : "";
  // Fixed notation from 0.0001 up to 15 integer digits.
  if (exponent >= -4 && exponent < SignificantDigits) {
    if (exponent < 0) {
      text += '0';
      text += DecimalSeparator;
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else if (static_cast<int>(digits.size()) <= exponent + 1) {
      text += digits;
      text.append(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
    } else {
      text.append(digits, 0, static_cast<std::size_t>(exponent) + 1);
      text += DecimalSeparator;
      text.append(digits, static_cast<std::size_t>(exponent) + 1);
    }
    return text;
  }
  text += digits[0];
  if (digits.size() > 1) {
    text += DecimalSeparator;
    text.append(digits, 1);
  }
  text += 'E';
  text += std::to_string(exponent);
  return text;
}

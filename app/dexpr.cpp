// dexpr reads expressions exactly as a field of the calculator does, for scripts, tests and a
// terminal: each argument, or each line of standard input, is read as one value, and the value is
// printed with the messages found while reading it.

#include "app/uStartup.h"
#include "expr/functions/uNamespace.h"
#include "expr/uDParser.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "platform/uExceptions.h"
#include "platform/uFloatFormat.h"
#include "report/uConsoleMsg.h"
#include "text/uLatin1.h"
#include "text/uOutputFormat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: dexpr [--fixed-format] [--min X] [--default X] [--max X] [EXPRESSION ...]\n"
    "       dexpr --functions\n"
    "       dexpr --help\n"
    "Reads each EXPRESSION, or each line of standard input, as a value and prints it with the\n"
    "messages found while reading it. Exit status: 0 no message, 1 some message, 3 a\n"
    "floating-point error, 2 a usage error.\n";

enum TExitCode {
  ecClean = 0,
  ecMessages = 1,
  ecUsage = 2,
  ecFloatError = 3
};

struct TOptions {
  bool FixedFormat = false;
  long double Min = -std::numeric_limits<long double>::max();
  long double Default = 0;
  long double Max = std::numeric_limits<long double>::max();
  bool ListFunctions = false;
  bool Help = false;
  std::vector<std::string> Expressions;
  bool FromArguments = false;
};

struct TUsageError {
  std::string Reason;
};

// UTF-8 to the expression language's Latin-1. Characters beyond Latin-1 become "?", which starts
// no token and so is reported where it stands; bytes that are not UTF-8 are taken as Latin-1.
std::string Utf8ToLatin1(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80         ? 1
                 : (lead >> 5) == 6  ? 2
                 : (lead >> 4) == 14 ? 3
                 : (lead >> 3) == 30 ? 4
                                     : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k)
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      result += text[i++];
      continue;
    }
    if (length == 1)
      result += text[i];
    else if (length == 2 && lead <= 0xC3)
      result += static_cast<char>(((lead & 0x03) << 6) | (text[i + 1] & 0x3F));
    else
      result += '?';
    i += length;
  }
  return result;
}

// A plain decimal number: optional sign, digits with an optional fraction, optional exponent.
long double ParseBound(std::string_view name, const std::string& text) {
  std::size_t i = 0;
  const auto digits = [&] {
    std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
      ++i;
    return i - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  bool plain = mantissa > 0;
  if (plain && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    plain = digits() > 0;
  }
  if (!plain || i != text.size())
    throw TUsageError{"--" + std::string(name) + " needs a plain decimal number, not '" + text +
                      "'"};
  errno = 0;
  const long double value = std::strtold(text.c_str(), nullptr);
  if (errno == ERANGE && (value == HUGE_VALL || value == -HUGE_VALL))
    throw TUsageError{"--" + std::string(name) + " lies outside the extended range: " + text};
  return value;
}

TOptions ParseArguments(int argc, char** argv) {
  TOptions options;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      options.Expressions.push_back(argument);
      options.FromArguments = true;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = argument;
    std::optional<std::string> value;
    if (std::size_t equals = argument.find('='); equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    long double* bound = name == "--min"       ? &options.Min
                         : name == "--default" ? &options.Default
                         : name == "--max"     ? &options.Max
                                               : nullptr;
    if (bound) {
      if (!value) {
        if (++i >= argc)
          throw TUsageError{name + " needs a value"};
        value = argv[i];
      }
      *bound = ParseBound(name.substr(2), *value);
      continue;
    }
    if (value)
      throw TUsageError{"option " + name + " takes no value"};
    if (name == "--fixed-format")
      options.FixedFormat = true;
    else if (name == "--functions")
      options.ListFunctions = true;
    else if (name == "--help")
      options.Help = true;
    else
      throw TUsageError{"unknown option " + name};
  }
  return options;
}

// Standard input split at LF, one CR before each LF removed; a final empty piece after the last LF
// is not a line.
std::vector<std::string> ReadLines(std::istream& input) {
  std::vector<std::string> lines;
  std::string all((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string::npos)
      end = all.size();
    std::string line = all.substr(start, end - start);
    if (end < all.size() && !line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void ListFunctions() {
  ForEachFunction([](const TFunction& function) {
    std::cout << function.Namespace << '\t' << function.Name << '\t'
              << (function.ArgCount < 0 ? std::string("any") : std::to_string(function.ArgCount))
              << '\t' << function.Description << '\n';
  });
}

// Reads one expression and prints its value and messages; returns its exit code.
TExitCode ReadExpression(const std::string& expression, const TOptions& options) {
  TParserMessages messages;
  long double value;
  try {
    value = StrToValE(Utf8ToLatin1(expression), !options.FixedFormat, &messages, options.Min,
                      options.Default, options.Max);
  } catch (const EMathError& error) {
    std::cout.flush();
    std::cerr << error.what() << '\n';
    return ecFloatError;
  }
  std::cout << Latin1ToUtf8(FloatToStr(value, LocaleSeparatorLatin1(DecimalSep))) << '\n';
  for (const TParserMessage& message : messages)
    std::cout << MessageToUtf8(message) << '\n';
  return messages.Count() > 0 ? ecMessages : ecClean;
}

} // namespace

int main(int argc, char** argv) {
  TOptions options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const TUsageError& error) {
    std::cerr << "dexpr: " << error.Reason << '\n' << Usage;
    return ecUsage;
  }
  if (options.Help) {
    std::cout << Usage;
    return ecClean;
  }
  try {
    TFrameworkScope framework;
    InstallConsoleMessages("dexpr");
    if (options.ListFunctions) {
      ListFunctions();
      return ecClean;
    }
    std::vector<std::string> expressions =
        options.FromArguments ? options.Expressions : ReadLines(std::cin);
    TExitCode worst = ecClean;
    for (const std::string& expression : expressions)
      worst = std::max(worst, ReadExpression(expression, options));
    return worst;
  } catch (const std::exception& error) {
    std::cerr << "dexpr: " << error.what() << '\n';
    return ecFloatError;
  }
}

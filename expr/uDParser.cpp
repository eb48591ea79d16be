// TDParser's construction, messages and scanner. The compiler is in uDParserCompiler.cpp, the
// compact tree and the evaluator in uDParserTree.cpp.

#include "expr/uDParser.h"

#include "expr/uDParser_p.h"
#include "expr/uParserMsg.h"
#include "platform/uFloatFormat.h"
#include "text/uOutputFormat.h"
#include "text/uLatin1.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

TCharClasses DefaultCharClasses{};

// clang-format off
const std::string_view MessageCatalogue[MessageCatalogueSize] = {
    "%1",
    "Unit '%1' successfully compiled",
    "Program '%1' successfully compiled",
    "%1",
    "Insert 'Space' before '%1'",
    "Insert 'Space' after '%1'",
    "'Space' to 'Tab' in start of line",
    "'Tab' to 'Space' in middle of line",
    "Remove 'blanks' after %1",
    "Identifier '%1' case mishmash '%2'",
    "Empty command",
    "%1",
    "Variable '%1' is declared but never used in '%2'",
    "Text after final 'END.' - ignored by compiler",
    "Illegal number of parameters (%1)",
    "%1",
    "Unterminated string",
    "Illegal character in input file: '%1'",
    "Identifier expected but '%1' found",
    "Expression expected but '%1' found",
    "string constant expected but identifier '%1' found",
    "',' or ';' expected but identifier '%1' found",
    "',' or ':' expected but identifier '%1' found",
    "'%1' expected but '%2' found",
    "Internal error: %1",
    "Ordinal variable expected but '%1' found",
    "Undeclared identifier '%1'",
    "Missing operator or semicolon",
    "';' expected but '%1' found",
    "Identifier redeclared: '%1",
    "Program or unit '%1' recursively uses itself",
    "':' expected but '%1' found",
    "Statements not allowed in interface part",
    "'begin' expected but '%1' found",
    "Declaration expected but '%1' found",
    "Program identifier '%1' does not match file name",
    "'program' expected but identifier '%1' found",
    "Unit identifier '%1' does not match file name",
    "'unit' expected but identifier '%1' found",
    "'interface' expected but identifier '%1' found",
    "'.' expected but '%1'",
    "Unexpected end of file in comment started on line %1",
    "Statement expected but end of file found",
    "Line too long, unused chars",
    "Previous declaration of '%1' was not marked width then 'overload' directive'",
    "%1",
    "Could not compile used unit '%1'",
    "Could not compile program '%1'",
    "File not found: '%1'",
    "Compilation terminated; too many errors",
    "Compile terminated by user",
};
// clang-format on

namespace {

constexpr int MaxMessagesBeforeWarning = 100;
// Numbers from this magnitude up are out of the extended range.
constexpr long double NumberLimit = 1.1e4932L;

// The kind of the token a character stands for; tkNone for a character that starts no token.
constexpr std::array<TTokenKind, 256> TokenKinds = [] {
  std::array<TTokenKind, 256> kinds{};
  kinds.fill(tkNone);
  const std::pair<unsigned char, TTokenKind> symbols[] = {
      {'%', tkPercent},     {'+', tkPlus},         {'-', tkMinus},     {'*', tkStar},
      {'/', tkSlash},       {'^', tkCaret},        {'(', tkOpenParen}, {')', tkCloseParen},
      {'[', tkOpenBracket}, {']', tkCloseBracket}, {'{', tkOpenBrace}, {'}', tkCloseBrace},
      {'<', tkLess},        {'>', tkGreater},      {'=', tkEqual},     {',', tkComma},
      {';', tkSemicolon},   {'.', tkDot},          {':', tkColon},     {'!', tkExclamation},
      {'"', tkDoubleQuote}, {172, tkNot},
  };
  for (const auto& [c, kind] : symbols)
    kinds[c] = kind;
  return kinds;
}();

// The value of a digit: 0-9 in every base (digits are not tested against the base), A-F in
// either case in base 16; -1 for anything else.
int DigitValue(unsigned char c, int base) noexcept {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (base == 16 && c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (base == 16 && c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::int32_t SaturatedRound(long double x) noexcept {
  if (std::isnan(x))
    return 0;
  if (x >= INT32_MAX)
    return INT32_MAX;
  if (x <= INT32_MIN)
    return INT32_MIN;
  return static_cast<std::int32_t>(RoundAway(x));
}

// Fills the placeholders of a catalogue text in one left-to-right pass: substituted texts are not
// searched again.
std::string Substitute(std::string_view text, std::initializer_list<std::string_view> params,
                       int paramMode) {
  if (paramMode < 0)
    return std::string(text);
  const std::string_view* values = params.begin();
  const auto param = [&](std::size_t i) {
    return i < params.size() ? values[i] : std::string_view();
  };
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      if (text[i + 1] == '1') {
        result += param(0);
        ++i;
        continue;
      }
      if (text[i + 1] == '2' && paramMode >= 1) {
        result += param(1);
        ++i;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}

} // namespace

std::string WholeText(std::int64_t value) {
  return NumberToText(value, 0, nsLocale);
}

std::string NumberText(long double value) {
  return FloatToStr(value, LocaleSeparatorLatin1(DecimalSep));
}

// Parser

TDParser::TDParser(const char* Buffer, int Length)
    : Text_(Buffer), Length_(std::max(Length, 0)), CharClasses_(DefaultCharClasses) {
  FreeTree(ExpressionTree);
}

TDParser::TDParser(std::string_view Text)
    : TDParser(Text.data(), static_cast<int>(std::min<std::size_t>(Text.size(), INT_MAX))) {}

TDParser::~TDParser() {
  try {
    RunEndChecks();
  } catch (...) {
    // Only running out of memory can fail here; the messages are then lost, not the program.
  }
}

void TDParser::RunEndChecks() {
  Abandoned_ = false;
  if (Position_ > Length_)
    AddMessage(RowPastEnd);
  if (Kind_ != tkEndOfInput || Position_ < Length_)
    AddMessage(RowUnusedText);
  if (CommentState_ != csNone)
    AddMessage(RowCommentOpen, {WholeText(std::int64_t{CommentLine_} + 1)}, 0);
}

void TDParser::AddMessage(int Number, std::initializer_list<std::string_view> Params,
                          int ParamMode) {
  if (!Messages || Abandoned_ || Number < 0 || Number >= MessageCatalogueSize)
    return;
  const int end = Position_ - LineStart_;
  const int start = end - static_cast<int>(TokenText_.size());
  Messages->Add(LineIndex_, std::max(0, start), std::max(0, end),
                Substitute(MessageCatalogue[Number], Params, ParamMode), mlError);
  if (!TooManyMessages_ && Messages->Count() >= MaxMessagesBeforeWarning) {
    TooManyMessages_ = true;
    Messages->Add(LineIndex_, start, end, std::string(MessageCatalogue[RowTooMany]), mlFatalError);
  }
}

// Scanner

bool TDParser::Match(std::string_view Text) noexcept {
  if (Text.empty() || Position_ < 0 ||
      Text.size() > static_cast<std::size_t>(Length_ - std::min(Position_, Length_)))
    return false;
  if (std::memcmp(Text_ + Position_, Text.data(), Text.size()) != 0)
    return false;
  Position_ += static_cast<int>(Text.size()) - 1;
  return true;
}

void TDParser::SkipBlanks() noexcept {
  while (!EndOfInput()) {
    switch (static_cast<unsigned char>(Text_[Position_])) {
    case 0:
    case 9:
    case 10:
    case 11:
    case 13:
    case 32:
      ++Position_;
      continue;
    }
    return;
  }
}

void TDParser::Skip(int Count) noexcept {
  const std::int64_t target = std::int64_t{Position_} + Count;
  Position_ = static_cast<int>(std::clamp<std::int64_t>(target, 0, std::max(Length_, Position_)));
}

std::int32_t TDParser::ReadInteger(std::int32_t Min, std::int32_t Max) {
  int p = std::min(Position_ > 0 ? Position_ - 1 : 0, Length_);
  const auto at = [&](int i) { return static_cast<unsigned char>(Text_[i]); };
  while (p < Length_ &&
         (at(p) == 0 || at(p) == 9 || at(p) == 10 || at(p) == 11 || at(p) == 13 || at(p) == 32))
    ++p;
  bool negative = false;
  while (p < Length_ && (at(p) == '+' || at(p) == '-')) {
    negative ^= at(p) == '-';
    ++p;
  }
  std::int64_t value = 0;
  while (p < Length_ && at(p) >= '0' && at(p) <= '9') {
    value = std::min<std::int64_t>(value * 10 + (at(p) - '0'), std::int64_t{1} << 40);
    ++p;
  }
  Position_ = p + 1;
  if (negative)
    value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, Min, std::max(Min, Max)));
}

void TDParser::NextToken() {
  TokenText_ = {};
  NumberValue_ = 0;
  Kind_ = tkNone;
  if (EndOfInput()) {
    Kind_ = tkEndOfInput;
    return;
  }
  while (!EndOfInput()) {
    const auto c = static_cast<unsigned char>(Text_[Position_]);
    const TCharClass charClass = CharClasses_[c];
    if (charClass == ccBlank && CommentState_ == csNone) {
      ++Position_;
      continue;
    }
    if (charClass == ccLineEnd) {
      ++LineIndex_;
      if (c == '\r' && Position_ + 1 < Length_ && Text_[Position_ + 1] == '\n')
        ++Position_;
      LineStart_ = Position_ + 1;
      if (CommentState_ == csLine)
        CommentState_ = csNone;
      ++Position_;
      continue;
    }
    const auto open = [&](TCommentState state) {
      if (CommentState_ == csNone) {
        CommentState_ = state;
        CommentLine_ = LineIndex_;
      }
      ++Position_;
    };
    if (CommentsEnabled && Match(BlockCommentStart1)) {
      open(csBlock1);
      continue;
    }
    if (CommentsEnabled && Match(BlockCommentStart2)) {
      open(csBlock2);
      continue;
    }
    if ((CommentState_ == csBlock1 && Match(BlockCommentEnd1)) ||
        (CommentState_ == csBlock2 && Match(BlockCommentEnd2))) {
      CommentState_ = csNone;
      ++Position_;
      continue;
    }
    if (CommentsEnabled && Match(LineComment)) {
      open(csLine);
      continue;
    }
    if (CommentState_ != csNone) {
      ++Position_;
      continue;
    }
    const int start = Position_;
    if (charClass == ccDigit || charClass == ccNumberPrefix) {
      Kind_ = tkNumber;
      ReadNumber();
      TokenText_ = std::string_view(Text_ + start, static_cast<std::size_t>(Position_ - start));
      return;
    }
    if (charClass == ccLetter) {
      while (!EndOfInput() &&
             (CharClasses_[static_cast<unsigned char>(Text_[Position_])] == ccLetter ||
              CharClasses_[static_cast<unsigned char>(Text_[Position_])] == ccDigit))
        ++Position_;
      Kind_ = tkIdentifier;
      TokenText_ = std::string_view(Text_ + start, static_cast<std::size_t>(Position_ - start));
      return;
    }
    const char next = Position_ + 1 < Length_ ? Text_[Position_ + 1] : '\0';
    if (c == '*' && next == '*') {
      Kind_ = tkDoubleStar;
      Position_ += 2;
    } else if (c == ':' && next == '=') {
      Kind_ = tkAssign;
      Position_ += 2;
    } else {
      Kind_ = TokenKinds[c];
      Position_ += 1;
    }
    TokenText_ = std::string_view(Text_ + start, static_cast<std::size_t>(Position_ - start));
    return;
  }
}

void TDParser::ReadNumber() {
  int base = 10;
  const char first = Text_[Position_];
  if (first == '#') {
    base = 2;
    ++Position_;
  } else if (first == '$') {
    base = 16;
    ++Position_;
  } else if (first == '0') {
    ++Position_;
    const char prefix = EndOfInput() ? '\0' : Text_[Position_];
    if (prefix == 'O' || prefix == 'o') {
      base = 8;
      ++Position_;
    } else if (prefix == 'X' || prefix == 'x') {
      base = 16;
      ++Position_;
    }
  }

  // Only an exponent may carry a sign: a sign after a leading 0 or a prefix belongs to the next
  // token, so 1-0-5 is 1 - 0 - 5.
  const long double mantissa = ReadDigits(base, false);
  long double result = mantissa;
  if (!EndOfInput() && (Text_[Position_] == 'E' || Text_[Position_] == 'e')) {
    ++Position_;
    long double exponent = ReadDigits(10, true);
    if (std::fabs(exponent) > 4932) {
      exponent = std::copysign(4932.0L, exponent);
      AddMessage(RowNumber, {"Exponent out of range."}, 0);
    }
    const long double factor = Power(10, exponent);
    if (mantissa != 0) {
      const long double magnitude = std::fabs(mantissa);
      bool fits = true;
      if (factor > 1)
        fits = magnitude > 1 ? factor < NumberLimit / magnitude : magnitude * factor < NumberLimit;
      if (fits)
        result = mantissa * factor;
      else
        AddMessage(RowNumber, {"Value out of range."}, 0);
    }
  }
  NumberValue_ = result;
}

std::int32_t TDParser::IntValue() const noexcept {
  return SaturatedRound(NumberValue_);
}

long double TDParser::ReadDigits(int Base, bool SignAllowed) {
  bool negative = false;
  if (SignAllowed && !EndOfInput() && (Text_[Position_] == '+' || Text_[Position_] == '-')) {
    negative = Text_[Position_] == '-';
    ++Position_;
  }
  const bool hasDecimal = DecimalSeparator.size() == 1;
  const bool hasThousand = ThousandSeparator.size() == 1;
  const bool thousandIsPoint = ThousandSeparator == ".";
  const bool thousandIsNoBreakSpace =
      hasThousand && static_cast<unsigned char>(ThousandSeparator[0]) == 160;

  long double total = 0;
  long double current = 0;
  long double divisor = 1;
  bool fraction = false;
  while (!EndOfInput()) {
    const auto c = static_cast<unsigned char>(Text_[Position_]);
    if (!fraction && hasDecimal && c == static_cast<unsigned char>(DecimalSeparator[0])) {
      fraction = true;
      ++Position_;
      continue;
    }
    // Without a point for grouping, a point is a decimal point, and later points are skipped.
    if (!thousandIsPoint && c == '.') {
      fraction = true;
      ++Position_;
      continue;
    }
    if ((hasThousand && c == static_cast<unsigned char>(ThousandSeparator[0])) ||
        (thousandIsNoBreakSpace && c == ' ')) {
      if (Position_ + 1 < Length_ && Text_[Position_ + 1] == ' ')
        break;
      ++Position_;
      continue;
    }
    if (c == ':') {
      total = (total + current) * 60;
      current = 0;
      ++Position_;
      continue;
    }
    const int value = DigitValue(c, Base);
    if (value < 0)
      break;
    if (fraction) {
      divisor *= Base;
      current += value / divisor;
    } else {
      current = current * Base + value;
    }
    ++Position_;
  }
  long double result = total + current;
  if (!EndOfInput() && Text_[Position_] == '%') {
    ++Position_;
    result /= 100;
  }
  return negative ? -result : result;
}

void InitializeDParser() {
  DefaultCharClasses.fill(ccOther);
  for (int c = 'A'; c <= 'Z'; ++c)
    DefaultCharClasses[c] = DefaultCharClasses[c + 'a' - 'A'] = ccLetter;
  DefaultCharClasses['_'] = ccLetter;
  for (int c = '0'; c <= '9'; ++c)
    DefaultCharClasses[c] = ccDigit;
  DefaultCharClasses['\t'] = DefaultCharClasses[' '] = ccBlank;
  DefaultCharClasses['\n'] = DefaultCharClasses['\r'] = ccLineEnd;
  DefaultCharClasses['#'] = DefaultCharClasses['$'] = ccNumberPrefix;
  DefaultCharClasses['+'] = ccPlus;
  DefaultCharClasses['-'] = ccMinus;
  DefaultCharClasses['^'] = ccCaret;
  DefaultCharClasses['*'] = ccStar;
  DefaultCharClasses['/'] = ccSlash;
  DefaultCharClasses['('] = ccOpenParen;
  DefaultCharClasses[')'] = ccCloseParen;
  DefaultCharClasses['.'] = ccDot;
  DefaultCharClasses[','] = ccComma;
  DefaultCharClasses[';'] = ccSemicolon;
  DefaultCharClasses['%'] = ccPercent;
}

void FinalizeDParser() {
  FreeTree(ExpressionTree);
}

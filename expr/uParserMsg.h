#pragma once

// Positioned messages found while reading a typed text. Reading never stops at the first problem:
// the scanner, the compiler and the range check append what they find, and the caller shows the
// list, for example on the input field.

#include "report/uTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// One message. Lines and columns count from 0; EndColumn is just after the offending token.
struct TParserMessage {
  std::int32_t Line = 0;
  std::int32_t StartColumn = 0;
  std::int32_t EndColumn = 0;
  std::string Text;
  TMessageLevel Level = mlError;
};

// The one-line form: "[" level caption "] (" line ", " start ".." end "): " text, with lines and
// columns counted from 1, written as whole numbers in the user's locale. The text is the reader's
// Latin-1, so a thousands separator that Latin-1 lacks becomes its stand-in there.
std::string MessageToString(const TParserMessage& Message);
// The same line for showing to the user: UTF-8, with the locale's own thousands separator.
std::string MessageToUtf8(const TParserMessage& Message);

// An ordered list of messages, in the order of adding.
class TParserMessages {
 public:
  // Appends a message; equal messages are not merged.
  void Add(std::int32_t Line, std::int32_t StartColumn, std::int32_t EndColumn, std::string Text,
           TMessageLevel Level);
  void Clear() noexcept { Messages_.clear(); }
  int Count() const noexcept { return static_cast<int>(Messages_.size()); }
  const TParserMessage& operator[](int Index) const { return Messages_[Index]; }
  auto begin() const noexcept { return Messages_.begin(); }
  auto end() const noexcept { return Messages_.end(); }

  // Every message in its one-line form, joined by CR LF, without a line break after the last;
  // the empty text for an empty list.
  std::string ToString() const;
  // The same, each message by MessageToUtf8.
  std::string ToUtf8() const;

 private:
  // Every message in the form Form gives it, joined by CR LF.
  std::string Joined(std::string (*Form)(const TParserMessage&)) const;

  std::vector<TParserMessage> Messages_;
};

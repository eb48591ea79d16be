#include "expr/uParserMsg.h"

#include "text/uLatin1.h"
#include "text/uOutputFormat.h"

namespace {

enum TEncoding {
  enLatin1,
  enUtf8
};

// A line or column number in the user's locale. The locale's thousands separator is UTF-8; in
// the reader's Latin-1 text it becomes its Latin-1 stand-in.
std::string Whole(std::int64_t Value, TEncoding Encoding) {
  std::string text = NumberToText(Value, 0, nsLocale);
  if (Encoding == enUtf8 || ThousandSep.empty())
    return text;
  const std::string standIn = LocaleSeparatorLatin1(ThousandSep);
  std::string latin1;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, ThousandSep.size(), ThousandSep) == 0) {
      latin1 += standIn;
      i += ThousandSep.size();
    } else {
      latin1 += text[i++];
    }
  }
  return latin1;
}

std::string Header(const TParserMessage& Message, TEncoding Encoding) {
  std::string text = "[";
  text += MessageLevelCaption(Message.Level);
  text += "] (";
  text += Whole(std::int64_t{Message.Line} + 1, Encoding);
  text += ", ";
  text += Whole(std::int64_t{Message.StartColumn} + 1, Encoding);
  text += "..";
  text += Whole(std::int64_t{Message.EndColumn} + 1, Encoding);
  text += "): ";
  return text;
}

} // namespace

std::string MessageToString(const TParserMessage& Message) {
  return Header(Message, enLatin1) + Message.Text;
}

std::string MessageToUtf8(const TParserMessage& Message) {
  return Header(Message, enUtf8) + Latin1ToUtf8(Message.Text);
}

void TParserMessages::Add(std::int32_t Line, std::int32_t StartColumn, std::int32_t EndColumn,
                          std::string Text, TMessageLevel Level) {
  Messages_.push_back(TParserMessage{Line, StartColumn, EndColumn, std::move(Text), Level});
}

std::string TParserMessages::ToString() const {
  return Joined(MessageToString);
}

std::string TParserMessages::ToUtf8() const {
  return Joined(MessageToUtf8);
}

std::string TParserMessages::Joined(std::string (*Form)(const TParserMessage&)) const {
  std::string text;
  for (const TParserMessage& message : Messages_) {
    if (!text.empty())
      text += "\r\n";
    text += Form(message);
  }
  return text;
}

#include "expr/uParserMsg.h"

#include "text/uOutputFormat.h"

namespace {

std::string Whole(std::int64_t Value) {
  return NumberToText(Value, 0, nsLocale);
}

} // namespace

std::string MessageToString(const TParserMessage& Message) {
  std::string text = "[";
  text += MessageLevelCaption(Message.Level);
  text += "] (";
  text += Whole(std::int64_t{Message.Line} + 1);
  text += ", ";
  text += Whole(std::int64_t{Message.StartColumn} + 1);
  text += "..";
  text += Whole(std::int64_t{Message.EndColumn} + 1);
  text += "): ";
  text += Message.Text;
  return text;
}

void TParserMessages::Add(std::int32_t Line, std::int32_t StartColumn, std::int32_t EndColumn,
                          std::string Text, TMessageLevel Level) {
  Messages_.push_back(TParserMessage{Line, StartColumn, EndColumn, std::move(Text), Level});
}

std::string TParserMessages::ToString() const {
  std::string text;
  for (const TParserMessage& message : Messages_) {
    if (!text.empty())
      text += "\r\n";
    text += MessageToString(message);
  }
  return text;
}

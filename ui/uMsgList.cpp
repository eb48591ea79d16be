#include "ui/uMsgList.h"

#include "env/uFileHelpers.h"

#include <ctime>
#include <map>

namespace {

std::vector<TIgnore> Entries;
std::uint8_t Mode = amShow;

QString FromUtf8(std::string_view Text) {
  return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

bool IsBlank(char C) noexcept {
  return C == ' ' || C == '\t' || C == '\n' || C == '\v' || C == '\f' || C == '\r';
}

bool IsDigit(char C) noexcept {
  return C >= '0' && C <= '9';
}

} // namespace

std::vector<TIgnore>& MessageList() noexcept {
  return Entries;
}

std::uint8_t& AnswerMode() noexcept {
  return Mode;
}

void FreeMessageList() noexcept {
  Entries.clear();
  Entries.shrink_to_fit();
  Mode = amShow;
}

std::optional<std::int32_t> FindReusableAnswer(bool Retry, TMessageLevel Level,
                                               std::string_view Text) {
  for (auto entry = Entries.rbegin(); entry != Entries.rend(); ++entry)
    if (entry->UseForAll != ufSingle && entry->Retry == Retry && entry->MsgType == Level &&
        entry->Text == Text)
      return entry->Answer;
  return std::nullopt;
}

std::optional<std::size_t> FirstUnanswered() {
  for (std::size_t i = 0; i < Entries.size(); ++i)
    if (Entries[i].Answer == -1)
      return i;
  return std::nullopt;
}

TDateTime LocalNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return FileTimeToDateTime({now.tv_sec, now.tv_nsec});
}

TFilledMessage FillMessage(std::string_view Template, const TArrayOfString& Params) {
  TFilledMessage filled;
  std::map<std::size_t, TParamPlace> last;
  std::size_t i = 0;
  while (i < Template.size()) {
    const std::size_t percent = Template.find('%', i);
    filled.Text += FromUtf8(Template.substr(
        i, percent == std::string_view::npos ? std::string_view::npos : percent - i));
    if (percent == std::string_view::npos)
      break;
    i = percent + 1;
    while (i < Template.size() &&
           (IsBlank(Template[i]) || Template[i] == '+' || Template[i] == '-'))
      ++i;
    std::size_t number = 0;
    bool digits = false;
    while (i < Template.size() && IsDigit(Template[i])) {
      // Saturates: a number this long names no parameter anyway.
      if (number <= Params.size())
        number = number * 10 + static_cast<std::size_t>(Template[i] - '0');
      digits = true;
      ++i;
    }
    if (!digits || number < 1 || number > Params.size()) {
      filled.Text += QLatin1Char('%');
      continue;
    }
    filled.Text += QLatin1Char('\'');
    const QString param = FromUtf8(Params[number - 1]);
    last[number - 1] = {number - 1, filled.Text.size(), param.size()};
    filled.Text += param;
    filled.Text += QLatin1Char('\'');
  }
  for (const auto& [index, place] : last)
    filled.Places.push_back(place);
  return filled;
}

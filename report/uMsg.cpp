#include "report/uMsg.h"

#include "report/uLog.h"
#include "text/uStrings.h"

#include <cxxabi.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t NoAnswer = -1;

// The installed message dialog; empty while none is installed.
TShowQueuedMessage Dialog;

// Dialog entries made while the program starts, before its dialog can exist.
struct TKeptEntry {
  std::string Text;
  TArrayOfString Params;
  bool Retry;
  TMessageLevel Level;
  TArrayOfString Buttons;
};
constexpr std::size_t MaxKeptEntries = 100;
bool Keeping = false;
std::vector<TKeptEntry> KeptEntries;

// Queues one dialog entry with the standard time-out and returns its answer. Without a dialog
// the entry is answered at once with no answer, as a suppressed dialog answers; a dialog that
// raises gives no answer as well, since reporting must never raise.
std::int32_t QueueMessage(const std::string& Text, const TArrayOfString& Params, bool Retry,
                          TMessageLevel Level, const TArrayOfString& Buttons) noexcept {
  try {
    // A copy, so that a dialog that installs another one while it runs is not destroyed
    // under its own feet.
    const TShowQueuedMessage dialog = Dialog;
    if (!dialog) {
      if (Keeping && KeptEntries.size() < MaxKeptEntries)
        KeptEntries.push_back({Text, Params, Retry, Level, Buttons});
      return NoAnswer;
    }
    return dialog(Text, Params, Retry, Level, Buttons, MessageTimeOut);
  } catch (...) {
    return NoAnswer;
  }
}

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// The 0-based parameter index that the digits after a "%" name, or -1 when they name none of
// Count parameters. Only the plain decimal form counts: "%01" is not the first parameter.
std::ptrdiff_t ParamIndex(std::string_view Digits, std::size_t Count) noexcept {
  if (Digits.empty() || Digits.front() == '0')
    return -1;
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), number);
  if (error != std::errc() || end != Digits.data() + Digits.size() || number > Count)
    return -1;
  return static_cast<std::ptrdiff_t>(number - 1);
}

// The text of an errno value from strerror_r, whichever of its two forms the C library offers.
[[maybe_unused]] const char* SystemErrorText(int Result, const char* Buffer) noexcept {
  return Result == 0 ? Buffer : "";
}
[[maybe_unused]] const char* SystemErrorText(const char* Result, const char*) noexcept {
  return Result ? Result : "";
}

std::string IOErrorLine(std::string_view FileName, std::string_view ErrorText) {
  std::string line(ErrorText);
  line += ": ";
  line += FileName;
  return line;
}

// The dialog shows the file name on a line of its own as the one parameter.
std::string IOErrorTemplate(std::string_view ErrorText) {
  std::string text(ErrorText);
  text += "\n%1";
  return text;
}

bool AskIOErrorRetry(std::string_view FileName, std::string_view ErrorText, bool Retry,
                     TArrayOfString Buttons) {
  MainLogAdd(IOErrorLine(FileName, ErrorText), mlError);
  return QueueMessage(IOErrorTemplate(ErrorText), {std::string(FileName)}, Retry, mlError,
                      Buttons) == 0;
}

// The name without the scopes it stands in: "(anonymous namespace)::TDTimer" is "TDTimer".
// Template arguments keep theirs.
std::string_view WithoutScope(std::string_view Name) noexcept {
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i < Name.size(); ++i) {
    switch (Name[i]) {
    case '<':
    case '(':
    case '[':
      ++depth;
      break;
    case '>':
    case ')':
    case ']':
      --depth;
      break;
    case ':':
      if (depth == 0 && i + 1 < Name.size() && Name[i + 1] == ':') {
        start = i + 2;
        ++i;
      }
      break;
    default:
      break;
    }
  }
  return Name.substr(start);
}

struct TFree {
  void operator()(char* Memory) const noexcept { std::free(Memory); }
};

} // namespace

TShowQueuedMessage SetShowQueuedMessage(TShowQueuedMessage NewDialog) {
  TShowQueuedMessage previous = std::exchange(Dialog, std::move(NewDialog));
  if (Dialog) {
    // The kept entries were answered long ago; the dialog shows them now for the user to read.
    std::vector<TKeptEntry> kept = std::exchange(KeptEntries, {});
    Keeping = false;
    for (const TKeptEntry& entry : kept)
      QueueMessage(entry.Text, entry.Params, entry.Retry, entry.Level, entry.Buttons);
  }
  return previous;
}

void KeepEarlyReports() noexcept {
  Keeping = true;
}

void DropEarlyReports() noexcept {
  Keeping = false;
  KeptEntries.clear();
  KeptEntries.shrink_to_fit();
}

std::string ReplaceParams(std::string_view Text, const TArrayOfString& Params) {
  if (Params.empty())
    return std::string(Text);
  std::string result;
  result.reserve(Text.size());
  std::size_t pos = 0;
  while (pos < Text.size()) {
    const std::size_t percent = Text.find('%', pos);
    if (percent == Text.npos) {
      result.append(Text.substr(pos));
      break;
    }
    result.append(Text.substr(pos, percent - pos));
    std::size_t end = percent + 1;
    while (end < Text.size() && IsDigit(Text[end]))
      ++end;
    const std::ptrdiff_t index =
        ParamIndex(Text.substr(percent + 1, end - percent - 1), Params.size());
    if (index >= 0) {
      result += '\'';
      result += Params[static_cast<std::size_t>(index)];
      result += '\'';
    } else {
      result.append(Text.substr(percent, end - percent));
    }
    pos = end;
  }
  return result;
}

void ReportMessage(TMessageLevel Level, std::string_view Text, const TArrayOfString& Params) {
  MainLogAdd(ReplaceParams(Text, Params), Level);
  ShowMessageDialog(Text, Params, Level, {mbOK});
}

void ShowWarning(std::string_view Text, const TArrayOfString& Params) {
  ReportMessage(mlWarning, Text, Params);
}

void ShowError(std::string_view Text, const TArrayOfString& Params) {
  ReportMessage(mlError, Text, Params);
}

void ShowErrorCode(int ErrorCode) {
  if (ErrorCode != 0)
    ShowError(ErrorCodeToStr(ErrorCode));
}

std::string ErrorCodeToStr(int ErrorCode) {
  std::string result =
      "Error Code " + std::to_string(static_cast<std::uint32_t>(ErrorCode)) + " - ";
  // A code the system does not know has no text: the result then ends in " - ".
  if (!strerrorname_np(ErrorCode))
    return result;
  char buffer[260] = {};
  return result + TrimBoth(SystemErrorText(strerror_r(ErrorCode, buffer, sizeof buffer), buffer));
}

bool ShowErrorRetry(std::string_view Text) {
  MainLogAdd(Text, mlError);
  return ShowMessageDialog(Text, {}, mlError, {mbRetry, mbIgnore}) != mbIgnore;
}

TDlgButton AskConfirmation(std::string_view Text, TDlgButtons Buttons) {
  return ShowMessageDialog(Text, {}, mlConfirmation, Buttons);
}

void ShowIOErrorMessage(std::string_view FileName, std::string_view ErrorText) {
  AskIOErrorRetry(FileName, ErrorText, false, {std::string(DlgButtonCaption(mbOK))});
}

bool ShowIOErrorMessageRetry(std::string_view FileName, std::string_view ErrorText) {
  return AskIOErrorRetry(
      FileName, ErrorText, true,
      {std::string(DlgButtonCaption(mbRetry)), std::string(DlgButtonCaption(mbIgnore))});
}

void ShowIOError(std::string_view FileName, int ErrorCode) {
  ShowIOErrorMessage(FileName, ErrorCodeToStr(ErrorCode));
}

bool ShowIOErrorRetry(std::string_view FileName, int ErrorCode) {
  return ShowIOErrorMessageRetry(FileName, ErrorCodeToStr(ErrorCode));
}

TDlgButton ShowMessageDialog(std::string_view Text, const TArrayOfString& Params,
                             TMessageLevel Level, TDlgButtons Buttons) {
  std::vector<TDlgButton> shown;
  TArrayOfString captions;
  for (std::size_t ordinal = 0; ordinal < DlgButtonCount; ++ordinal) {
    const auto button = static_cast<TDlgButton>(ordinal);
    if (Buttons.Contains(button)) {
      shown.push_back(button);
      captions.emplace_back(DlgButtonCaption(button));
    }
  }
  const std::int32_t answer = QueueMessage(std::string(Text), Params, false, Level, captions);
  if (answer < 0 || static_cast<std::size_t>(answer) >= shown.size())
    return mbCancel;
  return shown[static_cast<std::size_t>(answer)];
}

void ReportException(const std::exception& E) {
  MainLogAdd(E.what(), mlFatalError);
}

// The class name is appended, not put in through ReplaceParams, so that a "%1" in the message
// itself stays as it is.
void ReportException(const std::exception& E, std::string_view SenderClass) {
  std::string line = E.what();
  line += " in class '";
  line += SenderClass;
  line += '\'';
  MainLogAdd(line, mlFatalError);
}

void ReportException(const std::exception& E, const std::type_info* SenderType) {
  if (SenderType)
    ReportException(E, ClassNameOf(*SenderType));
  else
    ReportException(E);
}

std::string ClassNameOf(const std::type_info& Type) {
  int status = 0;
  const std::unique_ptr<char, TFree> demangled(
      abi::__cxa_demangle(Type.name(), nullptr, nullptr, &status));
  const std::string_view name = status == 0 && demangled ? demangled.get() : Type.name();
  return std::string(WithoutScope(name));
}

bool AttemptWithRetries(const std::function<bool()>& Attempt,
                        const std::function<bool()>& AskRetry) {
  if (Attempt())
    return true;
  for (int retry = 0; retry < MaxRetries; ++retry) {
    if (!AskRetry())
      return false;
    if (Attempt())
      return true;
  }
  return false;
}

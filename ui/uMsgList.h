#pragma once

// The entries of the message dialog: every report that reaches the dialog becomes an entry of one
// application-wide list, appended and never removed until the list is freed at program end; the
// answer mode says whether an answer is reused or no dialog is shown any more. Also the text of
// an entry as the dialog's memo shows it, with the places of its parameters.

#include "report/uTypes.h"
#include "text/uOutputFormat.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How an entry was answered.
enum TUseForAll : std::uint8_t {
  ufSingle = 0,   // for itself only
  ufReuse = 1,    // the answer stands for every identical later report
  ufNeverShow = 2 // answered with "Never Show": no dialog comes up again
};

// One entry of the message list.
struct TIgnore {
  TMessageLevel MsgType = mlNone;
  bool Retry = false;
  std::uint8_t UseForAll = ufSingle;
  std::string Text; // the template, "%1" ... standing for the parameters
  TArrayOfString Params;
  std::int32_t Answer = -1; // 0-based index into Buttons; -1 while unanswered
  TArrayOfString Buttons;
  TDateTime Created = 0;     // local date and time of the report
  std::uint16_t TimeOut = 0; // seconds until the dialog closes by itself; 0: no countdown
};

// What AnswerMode holds: show dialogs, reuse stored answers first, never show a dialog.
inline constexpr std::uint8_t amShow = 0;
inline constexpr std::uint8_t amReuse = 1;
inline constexpr std::uint8_t amNeverShow = 2;

// The list's entries, oldest first.
std::vector<TIgnore>& MessageList() noexcept;
// The answer mode; rises from amShow only by an answer given with "Use Answer for All" down.
std::uint8_t& AnswerMode() noexcept;
// Frees every entry and sets the answer mode back to amShow; the program's end.
void FreeMessageList() noexcept;

// The answer of the newest entry answered for reuse (UseForAll not ufSingle) with the same retry
// flag, level and template (compared case-sensitively); nothing when there is none.
std::optional<std::int32_t> FindReusableAnswer(bool Retry, TMessageLevel Level,
                                               std::string_view Text);
// The lowest index of an unanswered entry; nothing when every entry is answered.
std::optional<std::size_t> FirstUnanswered();
// The local date and time now.
TDateTime LocalNow();

// Where a parameter stands in a filled-in message: Start and Length count the characters of
// the QString (UTF-16 units, a line feed counting one), as a text document counts positions.
struct TParamPlace {
  std::size_t Index = 0; // the parameter's 0-based index
  qsizetype Start = 0;
  qsizetype Length = 0;
};

// A template filled in for the memo.
struct TFilledMessage {
  QString Text;
  std::vector<TParamPlace> Places; // the last occurrence of each parameter used, by index
};

// Fills in Template (UTF-8): after each "%", white space and "+" and "-" signs are skipped and a
// decimal number is read; a number from 1 to the parameter count becomes "'" + parameter + "'",
// any other number, or none, a lone "%" (the skipped characters and digits are dropped). Places
// hold the parameter without its quotes, at its last occurrence.
TFilledMessage FillMessage(std::string_view Template, const TArrayOfString& Params);

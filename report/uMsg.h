#pragma once

// Message reporting: the one way the framework reports failures, warnings and questions. Each
// report is written to the log first (MainLogAdd) and then, unless the routine is log-only,
// queued as an entry of the message dialog, which may ask the user for an answer. Message
// templates name their parameters "%1", "%2", ...; parameters are shown in single quotes.
//
// None of these routines raises: a dialog that fails counts as no answer, a sink that fails loses
// the line. A dialog that gives no answer (time-out, closed window, suppressed dialog, another
// report already on screen) yields what each routine states for no answer.

#include "report/uTypes.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

// Seconds an unanswered dialog entry made here stays on screen.
inline constexpr std::uint16_t MessageTimeOut = 15;

// The message dialog: queues an entry with the template Text and its Params, the Retry flag, the
// Level, the answer captions Buttons and the time-out in seconds, and returns the answer as the
// 0-based index into Buttons, or -1 for no answer.
using TShowQueuedMessage = std::function<std::int32_t(
    const std::string& Text, const TArrayOfString& Params, bool Retry, TMessageLevel Level,
    const TArrayOfString& Buttons, std::uint16_t TimeOut)>;
// Installs the message dialog that every report goes to and returns the one installed before.
// An empty function removes it. While none is installed, every entry is answered at once with
// -1, as a suppressed dialog answers.
TShowQueuedMessage SetShowQueuedMessage(TShowQueuedMessage Dialog);

// Reports made while the program starts, before its dialog can exist, are not lost:
// KeepEarlyReports starts keeping the entries that find no dialog (at most 100, each still
// answered -1 at once); the next dialog installed shows the kept entries first, in order, and
// keeping ends there or at DropEarlyReports, which forgets them.
void KeepEarlyReports() noexcept;
void DropEarlyReports() noexcept;

// Text with every "%i" (i = 1 ... Params.size(), followed by no further digit) replaced by
// "'" + Params[i - 1] + "'", in one pass over Text: inserted parameters are never searched again.
// Any other "%", with its digits, stays as it is.
std::string ReplaceParams(std::string_view Text, const TArrayOfString& Params);

// Logs the filled-in text at Level, then asks the dialog with the template, the parameters and the
// button OK.
void ReportMessage(TMessageLevel Level, std::string_view Text, const TArrayOfString& Params = {});
// ReportMessage at mlWarning and at mlError.
void ShowWarning(std::string_view Text, const TArrayOfString& Params = {});
void ShowError(std::string_view Text, const TArrayOfString& Params = {});
// ShowError with ErrorCodeToStr(ErrorCode); a zero code reports nothing, so callers may pass
// errno unchecked.
void ShowErrorCode(int ErrorCode);

// "Error Code " + the code as an unsigned 32-bit decimal + " - " + the system's text for the code
// (an errno value), without leading or trailing white space; a code the system does not know has
// no text, so the result ends in " - ".
std::string ErrorCodeToStr(int ErrorCode);

// Logs Text at mlError, then asks Retry or Ignore. True unless the answer is Ignore, so no answer
// means Retry; loop on it through AttemptWithRetries, which bounds the repetitions.
bool ShowErrorRetry(std::string_view Text);
// Asks the question Text at mlConfirmation with Buttons; logs nothing. No answer, or a dialog
// without buttons, gives mbCancel.
TDlgButton AskConfirmation(std::string_view Text, TDlgButtons Buttons);

// A failed file operation: logs ErrorText + ": " + FileName at mlError, then shows ErrorText with
// the file name, quoted, on a line of its own, with the button OK.
void ShowIOErrorMessage(std::string_view FileName, std::string_view ErrorText);
// As ShowIOErrorMessage, asking Retry or Ignore; true only when the answer is Retry.
bool ShowIOErrorMessageRetry(std::string_view FileName, std::string_view ErrorText);
// The two forms above with ErrorCodeToStr(ErrorCode) as the error text.
void ShowIOError(std::string_view FileName, int ErrorCode);
bool ShowIOErrorRetry(std::string_view FileName, int ErrorCode);

// The general question: asks Text with Params at Level with the captions of Buttons, lowest
// first, and returns the button answered; no answer gives mbCancel.
TDlgButton ShowMessageDialog(std::string_view Text, const TArrayOfString& Params,
                             TMessageLevel Level, TDlgButtons Buttons);

// An exception caught where none may escape (event dispatchers). Logs its message at mlFatalError
// and shows no dialog; with a sender, the line reads message + " in class '" + class + "'".
void ReportException(const std::exception& E);
void ReportException(const std::exception& E, std::string_view SenderClass);
// The sender's class is the dynamic type of the object, without namespaces: a timer passes
// this. A null Sender reports as no sender.
void ReportException(const std::exception& E, const std::type_info* SenderType);
template <class TSender>
requires std::is_class_v<TSender>
void ReportException(const std::exception& E, const TSender* Sender) {
  ReportException(E, Sender ? &typeid(*Sender) : nullptr);
}
// The class name of a type as the reports show it: demangled, without its namespaces.
std::string ClassNameOf(const std::type_info& Type);

// How often AttemptWithRetries repeats a failed operation before it gives up, so that a retry
// question that no one can answer (dialog suppressed, a stored answer of Retry) cannot loop
// forever.
inline constexpr int MaxRetries = 20;
// Runs Attempt; while it fails, asks AskRetry (typically ShowErrorRetry or ShowIOErrorRetry) and
// runs it again on a yes, at most MaxRetries times. True when Attempt succeeded. What Attempt or
// AskRetry raise passes to the caller.
bool AttemptWithRetries(const std::function<bool()>& Attempt,
                        const std::function<bool()>& AskRetry);

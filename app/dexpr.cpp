// dexpr reads expressions exactly as a field of the calculator does, for scripts, tests and a
// terminal: each argument, or each line of standard input, is read as one value. Standard output
// gets one line per expression, so results line up with the input; the messages found while
// reading go to standard error. At a terminal, with no expression arguments, it asks for one
// line after another, with line editing, history and completion (uLineEditor), and marks each
// message's columns under the line.

#include "app/uLineEditor.h"
#include "app/uStartup.h"
#include "env/uProjectInfo.h"
#include "expr/functions/uNamespace.h"
#include "expr/uCaretLine.h"
#include "expr/uDParser.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "platform/uExceptions.h"
#include "platform/uFloatFormat.h"
#include "report/uConsoleMsg.h"
#include "text/uLatin1.h"
#include "text/uOutputFormat.h"

#include <stdio.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view Synopsis =
    "usage: dexpr [--fixed-format] [--min X] [--default X] [--max X] [--] [EXPRESSION ...]\n"
    "       dexpr --functions | --help | --version\n";

constexpr std::string_view Help =
    "Reads each EXPRESSION, or each line of standard input when there is none, as a value the way\n"
    "a field of the calculator reads it, and prints the value.\n"
    "\n"
    "Options:\n"
    "  --fixed-format  read '.' as the decimal point and ',' as the thousands separator\n"
    "                  (default: the separators of the locale)\n"
    "  --min X         lowest value; a smaller one reads as X\n"
    "                  (default: the lowest extended value, -1.18973149535723E4932)\n"
    "  --default X     value of an empty or unreadable expression (default: 0)\n"
    "  --max X         highest value; a greater one reads as X\n"
    "                  (default: the highest extended value, 1.18973149535723E4932)\n"
    "                  X is a plain decimal number such as -2.5 or 1e6, given as '--min X' or\n"
    "                  '--min=X'; --min may not exceed --max\n"
    "  --functions     list the functions, one a line: namespace, name, argument count\n"
    "                  ('any' for any number) and description, separated by tabs\n"
    "  --help          show this help\n"
    "  --version       show the program's version\n"
    "  --              end of the options: every later argument is an expression, also one\n"
    "                  that begins with '-'\n"
    "\n"
    "Input: the arguments, one expression each, or, when there is none, standard input, one\n"
    "expression a line. LF or CR LF ends a line, and a UTF-8 byte-order mark at the start of\n"
    "standard input is skipped. Each line's result is written as soon as the line is read.\n"
    "Text is UTF-8 in and out. A character beyond Latin-1 reads as '?', and bytes that are not\n"
    "well-formed UTF-8 (overlong forms, surrogates, code points above U+10FFFF, cut or stray\n"
    "bytes) read as Latin-1 characters, one byte each.\n"
    "\n"
    "Interactive use: with no EXPRESSION and a terminal on both standard input and standard\n"
    "output, dexpr asks with the prompt 'dexpr> ' and offers line editing, Tab completion of\n"
    "function names and a history kept across runs in $XDG_STATE_HOME/dexpr/history (or\n"
    "~/.local/state/dexpr/history). Each message is shown under the line with a caret line\n"
    "marking its columns, then the value; Ctrl+D ends.\n"
    "\n"
    "Output: one line on standard output per expression: its value, or an empty line when a\n"
    "floating-point error leaves none. Messages and errors go to standard error; when the\n"
    "expressions come from standard input or from more than one argument, each of their lines\n"
    "begins with the expression's number and ': ' (its line of standard input, or its place\n"
    "among the arguments).\n"
    "\n"
    "Exit status: 0 no message, 1 some message, 3 a floating-point error (the worst of these\n"
    "wins), 2 a usage error, 4 the program ended early: a write failed, memory ran out or the\n"
    "framework could not start; the reason follows 'dexpr: ' on standard error.\n";

// What an interactive session asks with.
constexpr std::string_view Prompt = "dexpr> ";

enum TExitCode {
  ecClean = 0,
  ecMessages = 1,
  ecUsage = 2,
  ecFloatError = 3,
  ecFatal = 4
};

struct TOptions {
  bool FixedFormat = false;
  long double Min = -std::numeric_limits<long double>::max();
  long double Default = 0;
  long double Max = std::numeric_limits<long double>::max();
  std::string MinText = "-1.18973149535723E4932";
  std::string MaxText = "1.18973149535723E4932";
  bool ListFunctions = false;
  bool Help = false;
  bool Version = false;
  std::vector<std::string> Expressions;
  bool FromArguments = false;
};

struct TUsageError {
  std::string Reason;
};

// A failure that ends the program, such as output that cannot be written.
struct TFatalError {
  std::string Reason;
};

// The output text of one message: UTF-8, with the locale's own thousands separator.
std::string MessageText(const TParserMessage& message) {
  return MessageToUtf8(message);
}

// Appends text to standard output; a failed write ends the program.
void WriteOutput(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
    throw TFatalError{std::string("write error: ") + std::strerror(errno)};
}

// Sends what standard output holds on its way; a failed write ends the program.
void FlushOutput() {
  if (std::fflush(stdout) != 0)
    throw TFatalError{std::string("write error: ") + std::strerror(errno)};
}

// Appends text to standard error, which has nowhere to report its own failure.
void WriteError(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
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
      if (bound == &options.Min)
        options.MinText = *value;
      else if (bound == &options.Max)
        options.MaxText = *value;
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
    else if (name == "--version")
      options.Version = true;
    else
      throw TUsageError{"unknown option " + name};
  }
  if (options.Min > options.Max)
    throw TUsageError{"--min " + options.MinText + " is greater than --max " + options.MaxText};
  return options;
}

// Standard input one line at a time, as it arrives: a line ends at LF, and one CR before the LF
// is removed; a final piece without LF is a line when it is not empty. A UTF-8 byte-order mark at
// the very start is skipped.
class TLineReader {
 public:
  TLineReader() = default;
  ~TLineReader() { std::free(Buffer_); }
  TLineReader(const TLineReader&) = delete;
  TLineReader& operator=(const TLineReader&) = delete;

  // The next line, valid until the next call; none at the end of the input. A read error ends
  // the program; a line too long for memory throws std::bad_alloc.
  std::optional<std::string_view> Next() {
    errno = 0;
    const ssize_t length = getline(&Buffer_, &Capacity_, stdin);
    if (length < 0) {
      if (errno == ENOMEM)
        throw std::bad_alloc();
      if (std::ferror(stdin))
        throw TFatalError{std::string("read error: ") + std::strerror(errno)};
      return std::nullopt;
    }
    std::string_view line(Buffer_, static_cast<std::size_t>(length));
    const bool ended = line.ends_with('\n');
    if (ended) {
      line.remove_suffix(1);
      if (line.ends_with('\r'))
        line.remove_suffix(1);
    }
    if (First_) {
      First_ = false;
      if (line.starts_with("\xEF\xBB\xBF"))
        line.remove_prefix(3);
      if (line.empty() && !ended)
        return std::nullopt;
    }
    return line;
  }

 private:
  char* Buffer_ = nullptr; // owned, grown by getline
  std::size_t Capacity_ = 0;
  bool First_ = true;
};

void ListFunctions() {
  ForEachFunction([](const TFunction& function) {
    WriteOutput(function.Namespace + '\t' + function.Name + '\t' +
                (function.ArgCount < 0 ? std::string("any") : std::to_string(function.ArgCount)) +
                '\t' + function.Description + '\n');
  });
}

// What reading one expression gave.
struct TReading {
  std::optional<long double> Value; // none after a floating-point error
  std::string FloatError;           // that error's message
  TParserMessages Messages;
};

TReading Read(std::string_view expression, const TOptions& options) {
  TReading reading;
  try {
    reading.Value = StrToValE(Utf8ToLatin1(expression), !options.FixedFormat, &reading.Messages,
                              options.Min, options.Default, options.Max);
  } catch (const EMathError& error) {
    reading.FloatError = error.what();
  }
  return reading;
}

// The value as dexpr writes it, UTF-8 and without line end.
std::string ValueText(long double value) {
  return Latin1ToUtf8(FloatToStr(value, LocaleSeparatorLatin1(DecimalSep)));
}

TExitCode ExitCodeOf(const TReading& reading) {
  return !reading.Value ? ecFloatError : reading.Messages.Count() > 0 ? ecMessages : ecClean;
}

// Reads one expression: writes its value line to standard output and sends it on, then writes
// the floating-point error and the messages to standard error, each line after Prefix. Returns
// the expression's exit code.
TExitCode ReadExpression(std::string_view expression, const std::string& prefix,
                         const TOptions& options) {
  const TReading reading = Read(expression, options);
  std::string errors;
  if (!reading.Value)
    errors = prefix + reading.FloatError + '\n';
  WriteOutput(reading.Value ? ValueText(*reading.Value) + '\n' : "\n");
  FlushOutput();
  for (const TParserMessage& message : reading.Messages)
    errors += prefix + MessageText(message) + '\n';
  WriteError(errors);
  return ExitCodeOf(reading);
}

// Reads expressions typed on a terminal, with line editing, history and completion. Each message
// is shown under the line with a caret line that marks its columns, as compilers show them (a
// second message repeats the line above its caret line); the value, or the floating-point error,
// follows. Blank lines are skipped.
TExitCode ReadInteractively(const TOptions& options) {
  TLineEditor editor(std::string(Prompt), TLineEditor::DefaultHistoryFile(), !options.FixedFormat);
  if (!editor.HistoryProblem().empty())
    WriteError("dexpr: history not kept: " + editor.HistoryProblem() + '\n');
  // The prompt's width of blanks puts a caret line under the line as typed after the prompt.
  const std::string indent(Prompt.size(), ' ');
  TExitCode worst = ecClean;
  while (std::optional<std::string> line = editor.ReadLine()) {
    if (line->find_first_not_of(" \t") == std::string::npos)
      continue;
    const TReading reading = Read(*line, options);
    const std::string latin1 = Utf8ToLatin1(*line);
    std::string errors;
    bool lineAbove = true;
    for (const TParserMessage& message : reading.Messages) {
      if (message.Line == 0) {
        if (!lineAbove)
          errors += indent + *line + '\n';
        errors += indent + CaretLine(latin1, message.StartColumn, message.EndColumn) + '\n';
      }
      errors += MessageText(message) + '\n';
      lineAbove = false;
    }
    if (!reading.Value)
      errors += reading.FloatError + '\n';
    FlushOutput();
    WriteError(errors);
    if (reading.Value) {
      WriteOutput(ValueText(*reading.Value) + '\n');
      FlushOutput();
    }
    worst = std::max(worst, ExitCodeOf(reading));
  }
  // Ctrl+D leaves the cursor after the prompt; the shell's prompt goes on a line of its own.
  WriteOutput("\n");
  return worst;
}

// Whether dexpr talks to a person: no expression arguments, and a terminal on both standard
// input and standard output.
bool Interactive(const TOptions& options) {
  return !options.FromArguments && isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

// Reads every expression of the arguments or of standard input; returns the worst exit code.
TExitCode ReadExpressions(const TOptions& options) {
  TExitCode worst = ecClean;
  if (options.FromArguments) {
    const bool numbered = options.Expressions.size() > 1;
    for (std::size_t i = 0; i < options.Expressions.size(); ++i) {
      const std::string prefix = numbered ? std::to_string(i + 1) + ": " : "";
      worst = std::max(worst, ReadExpression(options.Expressions[i], prefix, options));
    }
    return worst;
  }
  if (Interactive(options))
    return ReadInteractively(options);
  TLineReader reader;
  std::size_t number = 0;
  while (std::optional<std::string_view> line = reader.Next())
    worst = std::max(worst, ReadExpression(*line, std::to_string(++number) + ": ", options));
  return worst;
}

} // namespace

int main(int argc, char** argv) {
  TOptions options;
  try {
    options = ParseArguments(argc, argv);
  } catch (const TUsageError& error) {
    WriteError("dexpr: " + error.Reason + '\n');
    WriteError(Synopsis);
    WriteError("Run 'dexpr --help' for the options, the input rules and the exit statuses.\n");
    return ecUsage;
  }
  try {
    TExitCode code = ecClean;
    if (options.Help) {
      WriteOutput(Synopsis);
      WriteOutput(Help);
    } else {
      TFrameworkScope framework;
      InstallConsoleMessages("dexpr");
      if (options.Version)
        WriteOutput("dexpr " + GetProjectInfo(piProductVersion) + '\n');
      else if (options.ListFunctions)
        ListFunctions();
      else
        code = ReadExpressions(options);
    }
    FlushOutput();
    return code;
  } catch (const TFatalError& error) {
    WriteError("dexpr: " + error.Reason + '\n');
  } catch (const std::bad_alloc&) {
    WriteError("dexpr: out of memory\n");
  } catch (const std::exception& error) {
    WriteError(std::string("dexpr: ") + error.what() + '\n');
  }
  return ecFatal;
}

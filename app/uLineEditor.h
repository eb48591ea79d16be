#pragma once

// Line editing on a terminal for dexpr, with GNU Readline: a prompt, the usual editing keys, a
// history kept in a file across runs, and Tab completion of the registered function names (a
// name that takes arguments completes with its "(").
//
// Readline is one per process: only one editor may exist at a time.

#include <optional>
#include <string>

class TLineEditor {
 public:
  // The largest number of lines the history file keeps.
  static constexpr int HistorySize = 1000;

  // Edits lines after Prompt on the terminal of standard input and output. HistoryFile, when not
  // empty, is read now and each line entered is added to it at once; its folder is created when
  // missing. UseWinFormat says how the names are found for completion: with the locale's
  // separators, as the expressions are read, or with "." and ",".
  TLineEditor(std::string Prompt, std::string HistoryFile, bool UseWinFormat);
  // Trims the history file to HistorySize lines.
  ~TLineEditor();
  TLineEditor(const TLineEditor&) = delete;
  TLineEditor& operator=(const TLineEditor&) = delete;

  // The next line the user enters (UTF-8, without its line end); none at the end of the input
  // (Ctrl+D on an empty line).
  std::optional<std::string> ReadLine();

  const std::string& Prompt() const noexcept { return Prompt_; }
  // Why the history is not kept, when it is not: the file or its folder cannot be made or read.
  const std::string& HistoryProblem() const noexcept { return HistoryProblem_; }

  // Where dexpr keeps its history: "dexpr/history" in $XDG_STATE_HOME when that is an absolute
  // path, else in the home's ".local/state"; empty when there is no home either.
  static std::string DefaultHistoryFile();

 private:
  std::string Prompt_;
  std::string HistoryFile_; // empty when the history is not kept
  std::string HistoryProblem_;
  std::string LastLine_;
};

#include "app/uLineEditor.h"

#include "expr/functions/uFunctionHelp.h"
#include "expr/uIdentifierAt.h"
#include "platform/uProcess.h"
#include "text/uLatin1.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

// Readline's headers need <cstdio> before them.
#include <readline/history.h>
#include <readline/readline.h>

namespace {

// Readline calls plain functions, so what completion needs is kept here while an editor exists.
bool CompletionUseWinFormat = true;
std::vector<std::string> Candidates;
std::size_t NextCandidate = 0;
// Every byte that cannot be part of a name breaks words for completion, so that Readline's word
// is the run of name characters before the cursor.
std::string BreakCharacters;

bool IsNameCharacter(int c) noexcept {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string NameBreakCharacters() {
  std::string characters;
  for (int c = 1; c < 256; ++c)
    if (!IsNameCharacter(c))
      characters += static_cast<char>(c);
  return characters;
}

// Readline's generator: the candidates one by one, each in memory Readline frees.
char* NextMatch(const char*, int State) {
  if (State == 0)
    NextCandidate = 0;
  if (NextCandidate >= Candidates.size())
    return nullptr;
  return strdup(Candidates[NextCandidate++].c_str());
}

// Completes the name before the cursor, as the expression reader scans the line: "0x1f" and
// "2e5" are numbers and complete nothing. After anything but a name, every name is offered.
char** CompleteName(const char* Text, int, int End) {
  rl_attempted_completion_over = 1; // never file names
  rl_completion_append_character = '\0';
  const std::string_view word(Text);
  if (!word.empty()) {
    const std::string before =
        Utf8ToLatin1(std::string_view(rl_line_buffer, static_cast<std::size_t>(End)));
    const std::optional<TIdentifierAt> name =
        IdentifierAt(before, static_cast<int>(before.size()), CompletionUseWinFormat);
    if (!name || name->Prefix != word)
      return nullptr;
  }
  Candidates.clear();
  for (const TFunctionHelp& function : FunctionsStartingWith(word))
    Candidates.push_back(InsertionText(function));
  return rl_completion_matches(Text, NextMatch);
}

std::string ErrorText(int Error) {
  return std::strerror(Error);
}

} // namespace

TLineEditor::TLineEditor(std::string Prompt, std::string HistoryFile, bool UseWinFormat)
    : Prompt_(std::move(Prompt)), HistoryFile_(std::move(HistoryFile)) {
  CompletionUseWinFormat = UseWinFormat;
  BreakCharacters = NameBreakCharacters();
  rl_readline_name = "dexpr";
  rl_attempted_completion_function = CompleteName;
  rl_basic_word_break_characters = BreakCharacters.c_str();
  rl_completer_word_break_characters = BreakCharacters.c_str();
  rl_variable_bind("completion-ignore-case", "on");
  using_history();
  if (HistoryFile_.empty())
    return;

  const std::filesystem::path file(HistoryFile_);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  // Appending needs the file to exist; it is the user's alone.
  const int fd =
      error ? -1 : open(HistoryFile_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) {
    HistoryProblem_ = HistoryFile_ + ": " + (error ? error.message() : ErrorText(errno));
    HistoryFile_.clear();
    return;
  }
  close(fd);
  if (const int failed = read_history(HistoryFile_.c_str()); failed != 0) {
    HistoryProblem_ = HistoryFile_ + ": " + ErrorText(failed);
    HistoryFile_.clear();
    return;
  }
  if (history_length > 0)
    if (const HIST_ENTRY* last = history_get(history_base + history_length - 1))
      LastLine_ = last->line;
}

TLineEditor::~TLineEditor() {
  if (!HistoryFile_.empty())
    history_truncate_file(HistoryFile_.c_str(), HistorySize);
  clear_history();
  rl_attempted_completion_function = nullptr;
  Candidates.clear();
}

std::optional<std::string> TLineEditor::ReadLine() {
  const std::unique_ptr<char, decltype(&std::free)> entered(readline(Prompt_.c_str()), &std::free);
  if (!entered)
    return std::nullopt;
  std::string line(entered.get());
  // Blank lines and a line repeated at once are not worth recalling.
  if (line.find_first_not_of(" \t") != std::string::npos && line != LastLine_) {
    add_history(line.c_str());
    LastLine_ = line;
    if (!HistoryFile_.empty())
      append_history(1, HistoryFile_.c_str());
  }
  return line;
}

std::string TLineEditor::DefaultHistoryFile() {
  std::string folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/') {
    folder = state;
  } else {
    const std::string home = HomeDirectory();
    if (home.empty())
      return {};
    folder = home + "/.local/state";
  }
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder + "/dexpr/history";
}

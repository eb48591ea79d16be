#include "report/uFileLog.h"

#include "text/uStrings.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// Keeps errno as it was, so that a line logged between a failed call and the report of its error
// code cannot change the code.
class TErrnoKeeper {
 public:
  TErrnoKeeper() noexcept : Saved_(errno) {}
  ~TErrnoKeeper() { errno = Saved_; }
  TErrnoKeeper(const TErrnoKeeper&) = delete;
  TErrnoKeeper& operator=(const TErrnoKeeper&) = delete;

 private:
  int Saved_;
};

char LowerAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view A, std::string_view B) noexcept {
  if (A.size() != B.size())
    return false;
  for (std::size_t i = 0; i < A.size(); ++i)
    if (LowerAscii(A[i]) != LowerAscii(B[i]))
      return false;
  return true;
}

// Text with its line breaks written as "\n" and "\r" and every other control character but the
// tab as "\xHH", so that it fills one line of the file.
void AppendEscaped(std::string& Out, std::string_view Text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  for (char c : Text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      Out += "\\n";
    } else if (c == '\r') {
      Out += "\\r";
    } else if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
      Out += "\\x";
      Out += Hex[byte >> 4];
      Out += Hex[byte & 0x0F];
    } else {
      Out += c;
    }
  }
}

// Makes every missing directory above FileName, each with mode 0700; failures are left for the
// open that follows to find.
void MakeDirectoriesAbove(const std::string& FileName) {
  for (std::size_t slash = FileName.find('/', 1); slash != std::string::npos;
       slash = FileName.find('/', slash + 1)) {
    const std::string directory = FileName.substr(0, slash);
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
      return;
  }
}

// Writes all of Data, or stops at the first failure.
void WriteAll(int Handle, std::string_view Data) noexcept {
  while (!Data.empty()) {
    const ssize_t written = ::write(Handle, Data.data(), Data.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    Data.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The home folder of the user's account, from the password database; empty when there is none.
std::string AccountHome() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  return found && found->pw_dir ? std::string(found->pw_dir) : std::string();
}

std::string AbsoluteFileName(const std::string& FileName) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(FileName, error);
  return error ? FileName : absolute.string();
}

void Note(const std::string& Text) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, Text.c_str());
}

} // namespace

TFileLog::TFileLog(std::string FileName, TMessageLevel MinLevel)
    : FileName_(std::move(FileName)), MinLevel_(MinLevel) {}

TFileLog::~TFileLog() {
  if (Handle_ >= 0)
    ::close(Handle_);
}

void TFileLog::Add(const std::string& Line, TMessageLevel Level) {
  if (Level < MinLevel_)
    return;
  const TErrnoKeeper keeper;
  if (Handle_ < 0 && !Open())
    return;
  std::string text = FormatLogLine(std::chrono::system_clock::now(), Level, Line);
  text += '\n';
  WriteAll(Handle_, text);
}

bool TFileLog::Open() noexcept {
  if (FileName_.empty())
    return false;
  try {
    MakeDirectoriesAbove(FileName_);
  } catch (...) {
    // Out of memory for a directory name: the open below tells whether the folder is there.
  }
  Handle_ = ::open(FileName_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
  return Handle_ >= 0;
}

std::string FormatLogLine(std::chrono::system_clock::time_point Time, TMessageLevel Level,
                          std::string_view Text) {
  const auto whole = std::chrono::floor<std::chrono::seconds>(Time);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(Time - whole).count();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(whole);
  std::tm local{};
  char date[32] = "";
  char offset[16] = "";
  char stamp[64] = "(no local time)";
  if (::localtime_r(&seconds, &local) &&
      std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local) != 0 &&
      std::strftime(offset, sizeof offset, "%z", &local) != 0)
    std::snprintf(stamp, sizeof stamp, "%s.%03d %s", date, static_cast<int>(milliseconds), offset);

  const std::string& caption = MessageLevelCaption(Level);
  std::string line = stamp;
  line += " [";
  line += caption.empty() ? std::to_string(static_cast<int>(Level)) : caption;
  line += "] ";
  AppendEscaped(line, Text);
  return line;
}

std::optional<TMessageLevel> LogLevelFromText(std::string_view Text) {
  const std::string wanted = TrimBoth(Text);
  const std::vector<std::string> keys = EnumKeys(MessageLevelNames);
  const std::vector<std::string> captions = EnumCaptions(MessageLevelNames);
  for (std::size_t i = 0; i < MessageLevelCount; ++i)
    if (SameIgnoringCase(wanted, MessageLevelNames[i]) || SameIgnoringCase(wanted, keys[i]) ||
        SameIgnoringCase(wanted, captions[i]))
      return static_cast<TMessageLevel>(i);
  return std::nullopt;
}

std::string DefaultLogFileName() {
  static constexpr std::string_view Tail = "bmi/bmi.log";
  const char* stateHome = std::getenv("XDG_STATE_HOME");
  if (stateHome && stateHome[0] == '/')
    return EnsureTrailingBackslash(stateHome) + std::string(Tail);
  const char* homeVariable = std::getenv("HOME");
  const std::string home = homeVariable && *homeVariable ? homeVariable : AccountHome();
  if (home.empty())
    return {};
  return EnsureTrailingBackslash(home) + ".local/state/" + std::string(Tail);
}

std::unique_ptr<TFileLog> FileLogFromEnvironment(const std::string& FileName) {
  const char* value = std::getenv(LogLevelVariable);
  if (!value || TrimBoth(value).empty())
    return nullptr;
  const std::optional<TMessageLevel> level = LogLevelFromText(value);
  if (!level) {
    std::string shown;
    AppendEscaped(shown, value);
    Note(std::string(LogLevelVariable) + "=\"" + shown +
         "\" names no log level (Confirmation, Debug, Information, Warning, Error, Fatal Error, "
         "None); nothing is logged");
    return nullptr;
  }
  if (*level == mlNone)
    return nullptr;
  if (FileName.empty()) {
    Note(std::string("no file for the log: set ") + LogFileVariable +
         " or HOME; nothing is logged");
    return nullptr;
  }
  return std::make_unique<TFileLog>(FileName, *level);
}

void InitializeFileLog() {
  const char* fileName = std::getenv(LogFileVariable);
  if (fileName && *fileName)
    SetMainLogFileName(AbsoluteFileName(fileName));
  else if (MainLogFileName().empty())
    SetMainLogFileName(DefaultLogFileName());
  if (std::unique_ptr<TFileLog> sink = FileLogFromEnvironment(MainLogFileName()))
    SetMainLog(std::move(sink));
  // Without a sink now, the lines kept for it during start-up have nowhere to go.
  DropEarlyLogLines();
}

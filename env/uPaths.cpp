#include "env/uPaths.h"

#include "platform/uProcess.h"
#include "platform/uRegistry.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uStrings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <exception>

extern char** environ;

std::string WorkDir;
std::string ExeFileName;
std::string ExeDir;
std::string GraphDir;
std::string SoundsDir;
std::string DataDir;
std::string SysDir;
std::string WinDir;
std::string ProgramFilesDir;
std::string TempDir;
std::string AppTempDir;
std::string UserAppDataDir;
std::string AppDataDir;
std::string LocalAppDataDir;
std::string MainIniFileName;
std::string LocalIniFileName;
std::string DocumentsDir;
std::vector<TStringPair> EnvironmentList;

namespace {

constexpr std::string_view ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";

std::string GetEnv(const char* Name) {
  const char* value = std::getenv(Name);
  return value ? value : "";
}

// Path with "." and ".." resolved and doubled "/" dropped, as the platform's full-path expansion
// does it: by the text alone, without following links. ".." never climbs above the root; a
// trailing "/" stays.
std::string NormalizePath(std::string_view Path) {
  const bool absolute = Path.starts_with("/");
  const bool trailing = Path.size() > 1 && Path.back() == '/';
  std::vector<std::string_view> parts;
  std::size_t pos = 0;
  while (pos <= Path.size()) {
    const std::size_t end = std::min(Path.find('/', pos), Path.size());
    const std::string_view part = Path.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".")
      continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..")
        parts.pop_back();
      else if (!absolute)
        parts.push_back(part);
      continue;
    }
    parts.push_back(part);
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0)
      result += '/';
    result += parts[i];
  }
  if (trailing && !parts.empty())
    result += '/';
  return result.empty() ? std::string(".") : result;
}

// The "%NAME%" variables of Path replaced by their values.
std::string ExpandVariables(std::string_view Path) {
  std::string result(Path);
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = result.find('%', pos);
    if (open == std::string::npos)
      break;
    const std::size_t close = result.find('%', open + 1);
    if (close == std::string::npos)
      break;
    const std::string name = result.substr(open + 1, close - open - 1);
    const std::string value = name.empty() ? std::string() : GetEnv(name.c_str());
    if (value.empty()) {
      pos = close + 1;
      continue;
    }
    result.replace(open, close - open + 1, value);
    pos = open + value.size();
  }
  return result;
}

// Reads the whole file behind its byte-order mark into Data (a byte container).

} // namespace

void FinalizePaths() noexcept {
  for (std::string* path :
       {&WorkDir, &ExeFileName, &ExeDir, &GraphDir, &SoundsDir, &DataDir, &SysDir, &WinDir,
        &ProgramFilesDir, &TempDir, &AppTempDir, &UserAppDataDir, &AppDataDir, &LocalAppDataDir,
        &MainIniFileName, &LocalIniFileName, &DocumentsDir})
    path->clear();
  EnvironmentList.clear();
}

void CorrectDir(std::string& Dir) {
  if (!Dir.empty() && Dir.back() != PathDelimiter)
    Dir += PathDelimiter;
}

TArrayOfString SplitCommandLine(std::string_view Text, int Count) {
  TArrayOfString items(static_cast<std::size_t>(std::max(Count, 0)));
  std::size_t pos = 0;
  for (std::string& item : items) {
    while (pos < Text.size() && Text[pos] == ' ')
      ++pos;
    if (pos >= Text.size())
      break;
    const char end = Text[pos] == '"' ? '"' : ' ';
    if (end == '"')
      ++pos;
    const std::size_t stop = std::min(Text.find(end, pos), Text.size());
    item = Text.substr(pos, stop - pos);
    pos = stop + 1;
  }
  return items;
}

void ReadEnvironment() {
  EnvironmentList.clear();
  if (!environ) {
    ShowWarning("GetEnvironmentStrings failed (%1)", {ErrorCodeToStr(errno)});
    return;
  }
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text = *entry;
    const std::size_t equals = std::min(text.find('='), text.size());
    EnvironmentList.push_back({std::string(text.substr(0, equals)),
                               std::string(text.substr(std::min(equals + 1, text.size())))});
  }
}

std::string GetShellFolder(std::string_view Name, bool AllUsers) {
  TRegistry registry(AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(ShellFoldersKey))
    return {};
  std::string dir = registry.ReadString(Name);
  CorrectDir(dir);
  return dir;
}

std::string ExpandDir(std::string_view Path) {
  if (Path.empty())
    return ExeDir;
  const std::string path = ExpandVariables(Path);
  if (path.starts_with("/"))
    return path;
  return NormalizePath(ExeDir + path);
}

std::string ResolvePath(std::string_view FileName) {
  if (FileName.starts_with("/"))
    return std::string(FileName);
  return NormalizePath(ExeDir + std::string(FileName));
}

std::string DelFileExt(std::string_view FileName) {
  const std::size_t slash = FileName.rfind('/');
  const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view part = FileName.substr(start);
  const std::size_t dot = part.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || part == "..")
    return std::string(FileName);
  return std::string(FileName.substr(0, start + dot));
}

#include "env/uPaths.h"

#include "env/uFile.h"
#include "env/uProjectInfo.h"
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

bool StartsWith(std::string_view Text, std::string_view Prefix) noexcept {
  return Text.substr(0, Prefix.size()) == Prefix;
}

// Path with "." and ".." resolved and doubled "/" dropped, as the platform's full-path expansion
// does it: by the text alone, without following links. ".." never climbs above the root; a
// trailing "/" stays.
std::string NormalizePath(std::string_view Path) {
  const bool absolute = StartsWith(Path, "/");
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

// An XDG base directory: the variable when it holds an absolute path, else Fallback in the home
// directory; empty when there is no home either.
std::string XdgDirectory(const char* Variable, std::string_view Fallback) {
  std::string dir = GetEnv(Variable);
  if (!StartsWith(dir, "/")) {
    const std::string home = HomeDirectory();
    dir = home.empty() ? std::string() : EnsureTrailingBackslash(home) + std::string(Fallback);
  }
  CorrectDir(dir);
  return dir;
}

// The documents folder of the XDG user directories: "XDG_DOCUMENTS_DIR" in the environment or
// in user-dirs.dirs of the configuration directory, as "$HOME/..." or an absolute path.
std::string XdgDocumentsDirectory() {
  std::string value = GetEnv("XDG_DOCUMENTS_DIR");
  const std::string list = UserAppDataDir + "user-dirs.dirs";
  std::string text;
  if (value.empty() && !UserAppDataDir.empty() && FileOps().Kind(list, true) == fkFile &&
      ReadStringFromFile(list, text)) {
    std::ptrdiff_t pos = 1;
    while (pos <= std::ptrdiff_t(text.size())) {
      const std::string line = TrimBoth(ReadTextLine(text, pos));
      constexpr std::string_view Key = "XDG_DOCUMENTS_DIR=";
      if (StartsWith(line, Key)) {
        value = line.substr(Key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
          value = value.substr(1, value.size() - 2);
      }
    }
  }
  if (value == "$HOME" || StartsWith(value, "$HOME/")) {
    const std::string home = HomeDirectory();
    value = home.empty() ? std::string() : home + value.substr(5);
  }
  if (!StartsWith(value, "/"))
    return {};
  CorrectDir(value);
  return value;
}

// Makes Dir (ending in "/") a directory that only this user can reach: created with mode 0700
// when missing, or an existing directory of this user, narrowed to 0700. False when something
// else is in its place: a link, a file, or another user's directory.
bool MakePrivateDir(const std::string& Dir) {
  TFileOps& ops = FileOps();
  const std::string path = Dir.substr(0, Dir.size() - 1);
  if (ops.Kind(path, false) == fkNone) {
    if (const int code = ops.MakeDir(path, 0700); code != 0 && code != EEXIST) {
      // Nothing can be made under this name at all; the failure is reported once.
      ShowIOError(Dir, code);
      return true;
    }
  }
  std::uint32_t owner = 0;
  if (ops.Kind(path, false) != fkDirectory || ops.Owner(path, owner) != 0 ||
      owner != CurrentUserId())
    return false;
  ops.SetMode(path, 0700);
  return true;
}

// The program's temporary directory. It holds the copies of the files being written, so it must
// be the user's own: in a shared /tmp another user may have made the directory of that name, or
// put a link there. Then the name gets the user id.
std::string PrivateTempDirectory(const std::string& Internal) {
  const std::string preferred = TempDir + "_" + Internal + "/";
  if (MakePrivateDir(preferred))
    return preferred;
  const std::string own = TempDir + "_" + Internal + "-" + std::to_string(CurrentUserId()) + "/";
  if (!MakePrivateDir(own))
    ShowIOError(own, EACCES);
  return own;
}

std::string FilePattern(std::string_view Ext) {
  return Ext.find('.') == std::string_view::npos ? "*." + std::string(Ext) : std::string(Ext);
}

// Reads the whole file behind its byte-order mark into Data (a byte container).
template <class TData>
bool ReadWholeFile(std::string_view FileName, TData& Data) {
  Data.clear();
  TFile file;
  if (!file.Open(FileName, fmReadOnly, FILE_FLAG_SEQUENTIAL_SCAN))
    return false;
  bool read = false;
  try {
    Data.resize(static_cast<std::size_t>(file.FileSize()));
    read = file.BlockRead(Data.data(), Data.size());
  } catch (const std::exception&) {
    // Larger than memory.
    ShowIOError(FileName, ENOMEM);
  }
  file.Close(false, false);
  if (!read)
    TData().swap(Data);
  return read;
}

} // namespace

void InitPaths() {
  if (!ExeFileName.empty())
    return;
  WorkDir = CurrentDirectory();
  CorrectDir(WorkDir);
  ExeFileName = ProgramFileName();
  const std::size_t slash = ExeFileName.rfind('/');
  ExeDir = slash == std::string::npos ? WorkDir : ExeFileName.substr(0, slash + 1);

  GraphDir = ExeDir + "Graphics/";
  SoundsDir = ExeDir + "Sounds/";
  DataDir = ExeDir + "Data/";
  SysDir = "/usr/lib/";
  WinDir = "/";
  ProgramFilesDir = "/opt/";

  TempDir = GetEnv("TMPDIR");
  if (TempDir.empty())
    TempDir = WinDir + "tmp";
  CorrectDir(TempDir);
  const std::string company = GetProjectInfo(piCompanyName);
  const std::string internal = GetProjectInfo(piInternalName);
  AppTempDir = PrivateTempDirectory(internal);

  UserAppDataDir = XdgDirectory("XDG_CONFIG_HOME", ".config");
  if (UserAppDataDir.empty())
    UserAppDataDir = WinDir + ".config/";
  AppDataDir = UserAppDataDir + company + "/" + internal + "/";
  if (!DirectoryExists(AppDataDir))
    CreateDirEx(AppDataDir);

  std::string local = GetShellFolder("Local AppData", false);
  if (local.empty())
    local = XdgDirectory("XDG_DATA_HOME", ".local/share");
  LocalAppDataDir = local.empty() ? AppDataDir : local + company + "/" + internal + "/";
  CreateDirEx(LocalAppDataDir);

  ReadEnvironment();

  // An ini file beside the program makes the program portable: ini and log stay beside it.
  const std::string iniName = internal + ".ini";
  const std::string logName = "Log/" + internal + ".log";
  if (FileOps().Kind(ExeDir + iniName, true) == fkFile) {
    MainIniFileName = ExeDir + iniName;
    SetMainLogFileName(ExeDir + logName);
  } else {
    MainIniFileName = AppDataDir + iniName;
    SetMainLogFileName(AppDataDir + logName);
  }
  LocalIniFileName = LocalAppDataDir + iniName;

  DocumentsDir = GetShellFolder("Personal", false);
  if (DocumentsDir.empty())
    DocumentsDir = XdgDocumentsDirectory();
}

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
  if (StartsWith(path, "/"))
    return path;
  return NormalizePath(ExeDir + path);
}

std::string ResolvePath(std::string_view FileName) {
  if (StartsWith(FileName, "/"))
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

bool FileExistsEx(std::string_view FileName) {
  const TFileKind kind = FileOps().Kind(ExpandDir(FileName), true);
  return kind != fkNone && kind != fkDirectory;
}

bool DirectoryExists(std::string_view Dir) {
  return !Dir.empty() && FileOps().Kind(ResolvePath(Dir), true) == fkDirectory;
}

bool CreateDirChecked(std::string_view Dir) {
  if (Dir.empty())
    return false;
  if (DirectoryExists(Dir))
    return true;
  const int code = FileOps().MakeDir(ResolvePath(Dir), 0777);
  if (code == 0 || (code == EEXIST && DirectoryExists(Dir)))
    return true;
  ShowIOError(Dir, code);
  return false;
}

bool CreateDirEx(std::string_view Dir) {
  for (std::size_t i = 0; i + 1 < Dir.size(); ++i)
    if (Dir[i] == '/' && !CreateDirChecked(Dir.substr(0, i + 1)))
      return false;
  return CreateDirChecked(Dir);
}

bool CopyFileEx(std::string_view Source, std::string_view Dest, bool FailIfExists) {
  MainLogAdd("Copy file " + QuoteText(Source) + " to " + QuoteText(Dest), mlDebug);
  const std::string source = ResolvePath(Source);
  const std::string dest = ResolvePath(Dest);
  int code = 0;
  return AttemptWithRetries(
      [&] {
        code = FileOps().Copy(source, dest, FailIfExists);
        return code == 0;
      },
      [&] {
        return ShowErrorRetry(ErrorCodeToStr(code) + "\nDuring copying file \n" +
                              std::string(Source) + "\nto\n" + std::string(Dest));
      });
}

bool DeleteFileEx(std::string_view FileName) {
  MainLogAdd("Delete file " + QuoteText(FileName), mlDebug);
  const int code = FileOps().Delete(ResolvePath(FileName));
  if (code != 0)
    ShowIOError(FileName, code);
  return code == 0;
}

std::int64_t GetFileSize64(int Handle) {
  std::int64_t size = -1;
  int code = 0;
  const bool known = AttemptWithRetries(
      [&] {
        code = FileOps().Size(Handle, size);
        return code == 0;
      },
      [&] { return ShowErrorRetry(ErrorCodeToStr(code)); });
  return known ? size : -1;
}

TDateTime FileTimeToDateTime(const TFileTime& FileTime) {
  const std::time_t seconds = static_cast<std::time_t>(FileTime.Seconds);
  std::tm local{};
  if (!::localtime_r(&seconds, &local))
    return 0;
  // Days since 1970-01-01 of the local calendar date (the civil-from-days inverse).
  const std::int64_t year = std::int64_t(local.tm_year) + 1900 - (local.tm_mon < 2 ? 1 : 0);
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t month = local.tm_mon + 1;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + local.tm_mday - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = era * 146097 + dayOfEra - 719468 + 25569;
  const double time = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + std::min(local.tm_sec, 59) +
                       double(FileTime.Nanoseconds) / 1e9) /
                      86400.0;
  // Before the epoch of the date-time type the day counts down, the time of day still up.
  return days >= 0 ? double(days) + time : double(days) - time;
}

bool GetFileTimes(std::string_view FileName, TFileTime& Creation, TFileTime& LastAccess,
                  TFileTime& LastWrite) {
  Creation = LastAccess = LastWrite = TFileTime();
  const int code = FileOps().Times(ResolvePath(FileName), Creation, LastAccess, LastWrite);
  if (code == 0)
    return true;
  Creation = LastAccess = LastWrite = TFileTime();
  ShowIOError(FileName, code);
  return false;
}

bool GetFileModified(std::string_view FileName, TFileTime& LastWrite) {
  TFileTime creation, lastAccess;
  return GetFileTimes(FileName, creation, lastAccess, LastWrite);
}

bool ReadBlockFromFile(std::string_view FileName, std::vector<std::uint8_t>& Data) {
  return ReadWholeFile(FileName, Data);
}

bool WriteBlockToFile(std::string_view FileName, const void* Data, std::size_t Size) {
  TFile file;
  file.Charset = fcAnsi;
  if (!file.Open(FileName, fmRewrite, FILE_FLAG_SEQUENTIAL_SCAN))
    return false;
  if (file.BlockWrite(Data, Size) && file.Truncate())
    return file.Close(true, false);
  // Nothing of a failed write reaches the file: the copy is dropped and the target kept.
  const std::string copy = file.TempFileName();
  file.Close(false, true);
  if (copy != ExpandDir(FileName))
    DeleteFileEx(copy);
  return false;
}

bool ReadStringFromFile(std::string_view FileName, std::string& Text) {
  // UTF-8 is the platform's 8-bit text, so no character set needs converting.
  return ReadWholeFile(FileName, Text);
}

const std::string& AllFilesFilter() {
  static const std::string filter = MakeFilter("All Files", {"*"});
  return filter;
}

std::string MakeFilter(std::string_view Description, const TArrayOfString& Exts) {
  std::string patterns;
  for (const std::string& ext : Exts)
    patterns += (patterns.empty() ? "" : ";") + FilePattern(ext);
  return std::string(Description) + " (" + patterns + ")|" + patterns;
}

std::string MakeFilterList(const TArrayOfString& Exts, const TArrayOfString& Descriptions) {
  std::string filter;
  if (Exts.size() >= 2) {
    std::string names, patterns;
    for (const std::string& ext : Exts) {
      names += (names.empty() ? "" : ", ") + ext;
      patterns += (patterns.empty() ? "*." : ";*.") + ext;
    }
    filter = "Any (" + names + ")|" + patterns + "|";
  }
  for (std::size_t i = 0; i < Exts.size(); ++i) {
    const std::string description = i < Descriptions.size() ? Descriptions[i] : std::string();
    filter += description + " (*." + Exts[i] + ")|*." + Exts[i] + "|";
  }
  return filter;
}

std::string MakeFilterListAll(const TArrayOfString& Exts, const TArrayOfString& Descriptions) {
  return MakeFilterList(Exts, Descriptions) + AllFilesFilter();
}

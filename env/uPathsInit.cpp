#include "env/uPathsInit.h"

#include "env/uFile.h"
#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "env/uProjectInfo.h"
#include "platform/uFileOps.h"
#include "platform/uProcess.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uStrings.h"

#include <cerrno>
#include <cstdlib>

namespace {

std::string GetEnv(const char* Name) {
  const char* value = std::getenv(Name);
  return value ? value : "";
}

// An XDG base directory: the variable when it holds an absolute path, else Fallback in the home
// directory; empty when there is no home either.
std::string XdgDirectory(const char* Variable, std::string_view Fallback) {
  std::string dir = GetEnv(Variable);
  if (!dir.starts_with("/")) {
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
      if (line.starts_with(Key)) {
        value = line.substr(Key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
          value = value.substr(1, value.size() - 2);
      }
    }
  }
  if (value == "$HOME" || value.starts_with("$HOME/")) {
    const std::string home = HomeDirectory();
    value = home.empty() ? std::string() : home + value.substr(5);
  }
  if (!value.starts_with("/"))
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
  // A directory that cannot be created is reported, and start-up goes on without it.
  if (!DirectoryExists(AppDataDir))
    (void)CreateDirEx(AppDataDir);

  std::string local = GetShellFolder("Local AppData", false);
  if (local.empty())
    local = XdgDirectory("XDG_DATA_HOME", ".local/share");
  LocalAppDataDir = local.empty() ? AppDataDir : local + company + "/" + internal + "/";
  (void)CreateDirEx(LocalAppDataDir);

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

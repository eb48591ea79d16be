#pragma once

// Where the program's files live: the directory variables, the process environment, and the
// arithmetic of path names. InitPaths (uPathsInit) fills the variables at start-up.
//
// Every directory string ends with "/". Relative file names are taken from the program's
// directory, never from the current one.

#include "platform/uFileOps.h"
#include "report/uTypes.h"
#include "text/uOutputFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The directories and files of the program, fixed by InitPaths at start-up. The log file name
// is MainLogFileName() of the log.
extern std::string WorkDir;          // the current directory at start-up
extern std::string ExeFileName;      // the program file, from /proc/self/exe
extern std::string ExeDir;           // its directory
extern std::string GraphDir;         // ExeDir + "Graphics/"
extern std::string SoundsDir;        // ExeDir + "Sounds/"
extern std::string DataDir;          // ExeDir + "Data/"
extern std::string SysDir;           // the system's libraries: "/usr/lib/"
extern std::string WinDir;           // the system's root: "/"
extern std::string ProgramFilesDir;  // where add-on programs are installed: "/opt/"
extern std::string TempDir;          // $TMPDIR, else WinDir + "tmp/"
extern std::string AppTempDir;       // TempDir + "_" + internal name + "/", private to the user
extern std::string UserAppDataDir;   // $XDG_CONFIG_HOME, else the home's ".config/"
extern std::string AppDataDir;       // UserAppDataDir + company + "/" + internal name + "/"
extern std::string LocalAppDataDir;  // the same under $XDG_DATA_HOME or the home's ".local/share/"
extern std::string MainIniFileName;  // beside the program if it is there, else in AppDataDir
extern std::string LocalIniFileName; // LocalAppDataDir + internal name + ".ini"
extern std::string DocumentsDir;     // the user's documents folder; empty when unknown

// The process environment as read by ReadEnvironment, in its order.
extern std::vector<TStringPair> EnvironmentList;

// Clears the paths and the environment list at shut-down, so that InitPaths can run again.
void FinalizePaths() noexcept;

// Appends "/" to Dir unless it is empty or already ends with one.
void CorrectDir(std::string& Dir);
// The first Count items of a command line, missing ones empty. Blanks before an item are
// skipped; an item starting with a double quote runs to the next one (the quotes dropped), any
// other to the next blank.
TArrayOfString SplitCommandLine(std::string_view Text, int Count);
// Reads the process environment into EnvironmentList: the name of each entry is the text before
// its first "=", the value the rest. Warns when the process has no environment.
void ReadEnvironment();
// The shell folder Name (with "/" appended) from the registry's "Shell Folders" key of the
// current user, or of all users; empty when the key or the value is missing, as it is unless
// someone writes it.
std::string GetShellFolder(std::string_view Name, bool AllUsers);

// The full name of Path: "%NAME%" replaced by the environment variable NAME where that is set
// and not empty (the scan goes on behind the value or behind the closing "%"; an opening "%"
// without a closing one ends it); then an absolute path is kept as it is, and any other is
// taken from ExeDir, with "." and ".." resolved. An empty Path gives ExeDir.
std::string ExpandDir(std::string_view Path);
// The name of a file for the platform: an absolute name as it is, any other taken from ExeDir
// with "." and ".." resolved. Unlike ExpandDir, "%" has no meaning here.
std::string ResolvePath(std::string_view FileName);
// FileName without its extension: the last "." of the file part and what follows. A leading "."
// of the file part ("/x/.profile") starts no extension.
std::string DelFileExt(std::string_view FileName);

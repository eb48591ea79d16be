#pragma once

// Where the program's files live, and the file operations the framework uses: path expansion,
// directory creation, logged copy and delete, file sizes and times, whole-file reading and
// writing through TFile, and file-dialog filters.
//
// Every directory string ends with "/". Relative file names are taken from the program's
// directory, never from the current one. Failures are reported through the reporting routines
// and give False, -1 or an empty value; nothing raises.

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

// Computes the paths above, creates AppTempDir, AppDataDir and LocalAppDataDir when missing,
// reads the environment and fixes the ini and log file names. Runs once: nothing happens while
// ExeFileName is set. A directory that cannot be created is reported and start-up goes on.
void InitPaths();
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
// True when ExpandDir(FileName) names something that is not a directory.
bool FileExistsEx(std::string_view FileName);
// True when Dir (taken from ExeDir when relative) is a directory.
bool DirectoryExists(std::string_view Dir);

// Creates Dir unless it exists. False for an empty Dir, and when creation fails (reported).
bool CreateDirChecked(std::string_view Dir);
// Creates Dir with every missing parent; false at the first directory that cannot be created.
bool CreateDirEx(std::string_view Dir);

// Copies Source over Dest (taken from ExeDir when relative), logged. Dest is replaced atomically:
// it is at every moment either the old file or the whole copy. A failure asks Retry or Ignore.
bool CopyFileEx(std::string_view Source, std::string_view Dest, bool FailIfExists);
// Deletes FileName, logged; a failure is reported.
bool DeleteFileEx(std::string_view FileName);
// The size of the open file Handle, or -1 when the platform fails and the user gives up.
std::int64_t GetFileSize64(int Handle);

// A file time as the user's local date and time.
TDateTime FileTimeToDateTime(const TFileTime& FileTime);
// The creation (zero where the file system keeps none), last-access and last-write times of a
// file or directory; all zero and False when they cannot be read (reported).
bool GetFileTimes(std::string_view FileName, TFileTime& Creation, TFileTime& LastAccess,
                  TFileTime& LastWrite);
bool GetFileModified(std::string_view FileName, TFileTime& LastWrite);

// The whole content of a file behind its byte-order mark, through TFile. Empty and False when
// it cannot be read.
bool ReadBlockFromFile(std::string_view FileName, std::vector<std::uint8_t>& Data);
// Writes Size bytes as the whole new content of a file, without a byte-order mark, through a
// temporary copy: when anything fails the file stays as it was.
bool WriteBlockToFile(std::string_view FileName, const void* Data, std::size_t Size);
// The whole text of a file behind its byte-order mark; UTF-8 comes as it is (the platform's
// 8-bit text), other character sets as raw bytes.
bool ReadStringFromFile(std::string_view FileName, std::string& Text);

// File-dialog filters: description, "|", patterns, "|", and so on.

// The filter of all files: "All Files (*.*)|*.*".
const std::string& AllFilesFilter();
// Description + " (" + patterns + ")|" + patterns, the patterns joined by ";", each "*." + ext
// unless the ext holds a "." already.
std::string MakeFilter(std::string_view Description, const TArrayOfString& Exts);
// With two or more extensions first "Any (" + exts joined by ", " + ")|" + "*." + ext joined by
// ";" + "|"; then Descriptions[i] + " (*." + Exts[i] + ")|*." + Exts[i] + "|" for each extension
// (a missing description is empty).
std::string MakeFilterList(const TArrayOfString& Exts, const TArrayOfString& Descriptions);
// MakeFilterList followed by AllFilesFilter.
std::string MakeFilterListAll(const TArrayOfString& Exts, const TArrayOfString& Descriptions);

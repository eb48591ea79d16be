#pragma once

// The file operations the framework uses besides TFile: existence, directory creation, logged
// copy and delete, file sizes and times. Relative names are taken from the program's directory.
// Failures are reported through the reporting routines and give False or -1; nothing raises.

#include "platform/uFileOps.h"
#include "text/uOutputFormat.h"

#include <cstdint>
#include <string_view>

// True when ExpandDir(FileName) names something that is not a directory.
bool FileExistsEx(std::string_view FileName);
// True when Dir (taken from ExeDir when relative) is a directory.
bool DirectoryExists(std::string_view Dir);

// Creates Dir unless it exists. False for an empty Dir, and when creation fails (reported).
[[nodiscard]] bool CreateDirChecked(std::string_view Dir);
// Creates Dir with every missing parent; false at the first directory that cannot be created.
[[nodiscard]] bool CreateDirEx(std::string_view Dir);

// Copies Source over Dest (taken from ExeDir when relative), logged. Dest is replaced atomically:
// it is at every moment either the old file or the whole copy. A failure asks Retry or Ignore.
[[nodiscard]] bool CopyFileEx(std::string_view Source, std::string_view Dest, bool FailIfExists);
// Deletes FileName, logged; a failure is reported.
[[nodiscard]] bool DeleteFileEx(std::string_view FileName);
// The size of the open file Handle, or -1 when the platform fails and the user gives up.
std::int64_t GetFileSize64(int Handle);

// A file time as the user's local date and time.
TDateTime FileTimeToDateTime(const TFileTime& FileTime);
// The creation (zero where the file system keeps none), last-access and last-write times of a
// file or directory; all zero and False when they cannot be read (reported).
[[nodiscard]] bool GetFileTimes(std::string_view FileName, TFileTime& Creation, TFileTime& LastAccess,
                  TFileTime& LastWrite);
[[nodiscard]] bool GetFileModified(std::string_view FileName, TFileTime& LastWrite);

#pragma once

// The file-change watch: files the program has loaded, each with the last-write time last seen.
// A check, which the main window runs when it is activated, asks the user for every file that
// another program changed whether to reload it, and calls the file's reload callbacks on a yes.
// Nothing is watched unless a front end adds files.

#include "platform/uFileOps.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reload callbacks: a plain routine, and a routine bound to an object; each gets the file name.
using TReloadProc = void (*)(const std::string& FileName);
using TReloadMethod = std::function<void(const std::string& FileName)>;

// One watched file.
struct TWatchedFile {
  TFileTime LastWrite; // last seen; zero until the first check sees the file
  std::string FileName;
  bool ChangedByApp = false; // the program has unsaved changes of its own to the file
  TReloadProc OnReload = nullptr;
  TReloadMethod OnReloadMethod;
  std::uint64_t Id = 0; // set by WatchFile, one number per entry
};

// The watched files, in the order they were added.
extern std::vector<TWatchedFile> WatchedFiles;

// Adds FileName to the watch with its callbacks; its time is taken at the next check.
void WatchFile(std::string_view FileName, TReloadProc OnReload, TReloadMethod OnReloadMethod = {});
// Removes the first entry of FileName; false when it is not watched.
[[nodiscard]] bool UnwatchFile(std::string_view FileName);
// Marks whether the program has unsaved changes of its own to FileName; false when not watched.
[[nodiscard]] bool SetFileChangedByApp(std::string_view FileName, bool Changed);

// Checks the watched files, in order. A file that is missing is skipped silently, one whose time
// cannot be read with a report; a file seen for the first time only has its time taken. For a
// file whose last-write time changed, the new time is taken and the user is asked, with Yes, Yes
// to All, No and No to All, whether to reload it: Yes reloads it, Yes to All reloads it and every
// further changed file of this pass without asking, No to All ends the pass. Reloading calls
// OnReload and then OnReloadMethod; what either raises is reported (ReportException) and the pass
// goes on. A check asked for while one runs (from a reload, or while the question is open) is not
// nested: the running check makes one more pass when it ends. Files added during a pass wait for
// the next one; files removed are not checked.
void CheckWatchedFiles();

// Empties the watch at shut-down.
void FinalizeFileWatch() noexcept;

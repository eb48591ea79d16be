#include "env/uFileWatch.h"

#include "env/uFileHelpers.h"
#include "report/uMsg.h"
#include "text/uOutputFormat.h"

#include <algorithm>
#include <exception>

std::vector<TWatchedFile> WatchedFiles;

namespace {

// The number of the last entry added.
std::uint64_t LastId = 0;

// Checks running (the outermost one works), and whether another was asked for meanwhile.
int CheckDepth = 0;
bool CheckRequested = false;

class TCheckScope {
 public:
  TCheckScope() noexcept { ++CheckDepth; }
  TCheckScope(const TCheckScope&) = delete;
  TCheckScope& operator=(const TCheckScope&) = delete;
  ~TCheckScope() { --CheckDepth; }
};

std::vector<TWatchedFile>::iterator FindWatched(std::string_view FileName) {
  return std::find_if(WatchedFiles.begin(), WatchedFiles.end(),
                      [&](const TWatchedFile& file) { return file.FileName == FileName; });
}

std::string ChangeQuestion(const std::string& FileName, const TFileTime& Time, bool ChangedByApp) {
  return FileName + "\nhas been modified " + DateTimeToText(FileTimeToDateTime(Time), 0, nsLocale) +
         " outside of the application" + (ChangedByApp ? " and with the application" : "") +
         "\nReload it?";
}

// The entry numbered Id, or null when it has left the list (a question or a reload runs other
// code, which may change the list).
TWatchedFile* Entry(std::uint64_t Id) {
  for (TWatchedFile& file : WatchedFiles)
    if (file.Id == Id)
      return &file;
  return nullptr;
}

void Reload(const std::string& FileName, TReloadProc OnReload,
            const TReloadMethod& OnReloadMethod) {
  if (OnReload) {
    try {
      OnReload(FileName);
    } catch (const std::exception& e) {
      ReportException(e);
    }
  }
  if (OnReloadMethod) {
    try {
      OnReloadMethod(FileName);
    } catch (const std::exception& e) {
      ReportException(e);
    }
  }
}

void CheckPass() {
  std::vector<std::uint64_t> ids;
  for (const TWatchedFile& file : WatchedFiles)
    ids.push_back(file.Id);
  bool reloadAll = false;
  for (const std::uint64_t id : ids) {
    TWatchedFile* file = Entry(id);
    if (!file)
      continue;
    const std::string fileName = file->FileName;
    if (!FileExistsEx(fileName))
      continue;
    TFileTime time;
    if (!GetFileModified(fileName, time) || !(file = Entry(id)))
      continue;
    if (file->LastWrite == TFileTime()) {
      file->LastWrite = time;
      continue;
    }
    if (file->LastWrite == time)
      continue;
    file->LastWrite = time;
    if (!reloadAll) {
      const TDlgButton answer = AskConfirmation(ChangeQuestion(fileName, time, file->ChangedByApp),
                                                {mbYes, mbYesToAll, mbNo, mbNoToAll});
      if (answer == mbNoToAll)
        return;
      if (answer == mbYesToAll)
        reloadAll = true;
      else if (answer != mbYes)
        continue;
      if (!(file = Entry(id)))
        continue;
    }
    // Copies: a callback may change the list.
    const TReloadProc onReload = file->OnReload;
    const TReloadMethod onReloadMethod = file->OnReloadMethod;
    Reload(fileName, onReload, onReloadMethod);
  }
}

} // namespace

void WatchFile(std::string_view FileName, TReloadProc OnReload, TReloadMethod OnReloadMethod) {
  WatchedFiles.push_back(
      {TFileTime(), std::string(FileName), false, OnReload, std::move(OnReloadMethod), ++LastId});
}

bool UnwatchFile(std::string_view FileName) {
  const auto file = FindWatched(FileName);
  if (file == WatchedFiles.end())
    return false;
  WatchedFiles.erase(file);
  return true;
}

bool SetFileChangedByApp(std::string_view FileName, bool Changed) {
  const auto file = FindWatched(FileName);
  if (file == WatchedFiles.end())
    return false;
  file->ChangedByApp = Changed;
  return true;
}

void CheckWatchedFiles() {
  if (CheckDepth > 0) {
    CheckRequested = true;
    return;
  }
  TCheckScope scope;
  do {
    CheckRequested = false;
    CheckPass();
  } while (CheckRequested);
}

void FinalizeFileWatch() noexcept {
  WatchedFiles.clear();
}

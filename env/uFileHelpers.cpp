#include "env/uFileHelpers.h"

#include "env/uPaths.h"
#include "platform/uFileOps.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uStrings.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

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

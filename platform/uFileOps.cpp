#include "platform/uFileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The largest transfer asked of the kernel at once; it moves at most about 2 GiB per call.
constexpr std::size_t MaxTransfer = std::size_t(1) << 30;
// The piece size of Copy.
constexpr std::size_t CopyPiece = std::size_t(256) << 10;

int LastError() noexcept {
  return errno != 0 ? errno : EIO;
}

TFileTime ToFileTime(const statx_timestamp& Time) noexcept {
  return {Time.tv_sec, Time.tv_nsec};
}

// A descriptor of the table that is released when the scope ends, unless it was closed.
class TScopedHandle {
 public:
  explicit TScopedHandle(TFileOps& Ops) noexcept : Ops_(Ops) {}
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;
  ~TScopedHandle() {
    if (Handle >= 0)
      Ops_.Release(Handle);
  }

  int Handle = -1;

 private:
  TFileOps& Ops_;
};

// A file that is deleted when the scope ends, unless it was kept.
class TScopedFile {
 public:
  TScopedFile(TFileOps& Ops, std::string Name) : Name(std::move(Name)), Ops_(Ops) {}
  TScopedFile(const TScopedFile&) = delete;
  TScopedFile& operator=(const TScopedFile&) = delete;
  ~TScopedFile() {
    if (!Kept)
      Ops_.Delete(Name);
  }

  std::string Name;
  bool Kept = false;

 private:
  TFileOps& Ops_;
};

std::string DirectoryOf(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

std::string FilePartOf(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The path a symbolic link finally leads to, or the path itself when it is none or leads nowhere.
std::string FollowLinks(TFileOps& Ops, const std::string& Path) {
  if (Ops.Kind(Path, false) != fkLink)
    return Path;
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(Path.c_str(), nullptr),
                                                             &std::free);
  return resolved ? std::string(resolved.get()) : Path;
}

// Makes a finished rename durable; a failure here leaves the rename done, so it is not reported.
void SyncDirectory(const std::string& Directory) noexcept {
  const int handle = ::open(Directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle >= 0) {
    ::fsync(handle);
    ::close(handle);
  }
}

TFileOps PlatformOps;
TFileOps* Installed = &PlatformOps;

} // namespace

int TFileOps::Open(const std::string& Path, int Flags, int Mode, int& Handle) {
  Handle = -1;
  int handle;
  do
    handle = ::open(Path.c_str(), Flags | O_CLOEXEC, Mode);
  while (handle < 0 && errno == EINTR);
  if (handle < 0)
    return LastError();
  struct stat status;
  if (::fstat(handle, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(handle);
    return EISDIR;
  }
  Handle = handle;
  return 0;
}

int TFileOps::Close(int& Handle) {
  if (Handle < 0)
    return EBADF;
  // Linux frees a descriptor even when close reports an error (a write-back error on a network
  // file system, say). A duplicate keeps the open file, so that the caller can try again.
  const int spare = ::fcntl(Handle, F_DUPFD_CLOEXEC, 0);
  if (::close(Handle) == 0) {
    if (spare >= 0)
      ::close(spare);
    Handle = -1;
    return 0;
  }
  const int code = LastError();
  Handle = spare;
  return code;
}

void TFileOps::Release(int& Handle) noexcept {
  if (Handle >= 0)
    ::close(Handle);
  Handle = -1;
}

int TFileOps::Read(int Handle, void* Buffer, std::size_t Count, std::int64_t Offset,
                   std::size_t& Done) {
  Done = 0;
  auto* bytes = static_cast<char*>(Buffer);
  while (Done < Count) {
    const std::size_t piece = std::min(Count - Done, MaxTransfer);
    const ssize_t n = ::pread(Handle, bytes + Done, piece, Offset + std::int64_t(Done));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return LastError();
    }
    if (n == 0)
      break;
    Done += std::size_t(n);
  }
  return 0;
}

int TFileOps::Write(int Handle, const void* Buffer, std::size_t Count, std::int64_t Offset,
                    std::size_t& Done) {
  Done = 0;
  const auto* bytes = static_cast<const char*>(Buffer);
  while (Done < Count) {
    const std::size_t piece = std::min(Count - Done, MaxTransfer);
    const ssize_t n = ::pwrite(Handle, bytes + Done, piece, Offset + std::int64_t(Done));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return LastError();
    }
    if (n == 0)
      return ENOSPC;
    Done += std::size_t(n);
  }
  return 0;
}

int TFileOps::Seek(int Handle, std::int64_t Offset) {
  return ::lseek(Handle, Offset, SEEK_SET) < 0 ? LastError() : 0;
}

int TFileOps::Size(int Handle, std::int64_t& Size) {
  struct stat status;
  if (::fstat(Handle, &status) != 0) {
    Size = -1;
    return LastError();
  }
  Size = status.st_size;
  return 0;
}

int TFileOps::Truncate(int Handle, std::int64_t Length) {
  int result;
  do
    result = ::ftruncate(Handle, Length);
  while (result != 0 && errno == EINTR);
  return result != 0 ? LastError() : 0;
}

int TFileOps::Touch(int Handle) {
  const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  return ::futimens(Handle, times) != 0 ? LastError() : 0;
}

int TFileOps::AdviseSequential(int Handle) {
  return ::posix_fadvise(Handle, 0, 0, POSIX_FADV_SEQUENTIAL);
}

int TFileOps::Sync(int Handle) {
  return ::fsync(Handle) != 0 ? LastError() : 0;
}

int TFileOps::Copy(const std::string& Source, const std::string& Dest, bool FailIfExists) {
  TScopedHandle source(*this);
  if (const int code = Open(Source, O_RDONLY, 0, source.Handle))
    return code;
  struct stat sourceStatus;
  if (::fstat(source.Handle, &sourceStatus) != 0)
    return LastError();

  const std::string target = FollowLinks(*this, Dest);
  struct stat targetStatus;
  const bool targetExists = ::stat(target.c_str(), &targetStatus) == 0;
  if (targetExists && FailIfExists)
    return EEXIST;

  std::string name = DirectoryOf(target) + "/." + FilePartOf(target) + ".XXXXXX";
  TScopedHandle copy(*this);
  if (const int code = CreateUnique(name, copy.Handle))
    return code;
  TScopedFile temporary(*this, name);

  std::vector<char> buffer(CopyPiece);
  for (std::int64_t offset = 0;;) {
    std::size_t got = 0, put = 0;
    if (const int code = Read(source.Handle, buffer.data(), buffer.size(), offset, got))
      return code;
    if (got == 0)
      break;
    if (const int code = Write(copy.Handle, buffer.data(), got, offset, put))
      return code;
    offset += std::int64_t(got);
  }

  // The copy takes the target's permissions and owner when it replaces one, else the source's
  // permissions; the last-write time is the source's.
  const mode_t mode = (targetExists ? targetStatus.st_mode : sourceStatus.st_mode) & 07777;
  if (::fchmod(copy.Handle, mode) != 0)
    return LastError();
  if (targetExists && (targetStatus.st_uid != ::geteuid() || targetStatus.st_gid != ::getegid()))
    (void)::fchown(copy.Handle, targetStatus.st_uid, targetStatus.st_gid);
  const timespec times[2] = {{0, UTIME_OMIT}, sourceStatus.st_mtim};
  if (::futimens(copy.Handle, times) != 0)
    return LastError();

  if (const int code = Sync(copy.Handle))
    return code;
  if (const int code = Close(copy.Handle))
    return code;
  if (const int code = Rename(name, target, FailIfExists))
    return code;
  temporary.Kept = true;
  SyncDirectory(DirectoryOf(target));
  return 0;
}

int TFileOps::Delete(const std::string& Path) {
  return ::unlink(Path.c_str()) != 0 ? LastError() : 0;
}

int TFileOps::Rename(const std::string& Source, const std::string& Dest, bool NoReplace) {
  if (!NoReplace)
    return ::rename(Source.c_str(), Dest.c_str()) != 0 ? LastError() : 0;
  if (::renameat2(AT_FDCWD, Source.c_str(), AT_FDCWD, Dest.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS)
    return LastError();
  // A file system without the no-replace rename: a hard link fails just as well on an existing
  // name.
  if (::link(Source.c_str(), Dest.c_str()) != 0)
    return LastError();
  ::unlink(Source.c_str());
  return 0;
}

int TFileOps::CreateUnique(std::string& Template, int& Handle) {
  Handle = ::mkostemp(Template.data(), O_CLOEXEC);
  return Handle < 0 ? LastError() : 0;
}

int TFileOps::MakeDir(const std::string& Path, int Mode) {
  return ::mkdir(Path.c_str(), static_cast<mode_t>(Mode)) != 0 ? LastError() : 0;
}

TFileKind TFileOps::Kind(const std::string& Path, bool FollowLink) {
  struct stat status;
  if ((FollowLink ? ::stat(Path.c_str(), &status) : ::lstat(Path.c_str(), &status)) != 0)
    return fkNone;
  if (S_ISREG(status.st_mode))
    return fkFile;
  if (S_ISDIR(status.st_mode))
    return fkDirectory;
  if (S_ISLNK(status.st_mode))
    return fkLink;
  return fkOther;
}

int TFileOps::Owner(const std::string& Path, std::uint32_t& UserId) {
  struct stat status;
  if (::lstat(Path.c_str(), &status) != 0)
    return LastError();
  UserId = status.st_uid;
  return 0;
}

int TFileOps::SetMode(const std::string& Path, int Mode) {
  return ::chmod(Path.c_str(), static_cast<mode_t>(Mode)) != 0 ? LastError() : 0;
}

int TFileOps::Times(const std::string& Path, TFileTime& Creation, TFileTime& LastAccess,
                    TFileTime& LastWrite) {
  struct statx status;
  if (::statx(AT_FDCWD, Path.c_str(), 0, STATX_BTIME | STATX_ATIME | STATX_MTIME, &status) != 0)
    return LastError();
  Creation = (status.stx_mask & STATX_BTIME) ? ToFileTime(status.stx_btime) : TFileTime();
  LastAccess = ToFileTime(status.stx_atime);
  LastWrite = ToFileTime(status.stx_mtime);
  return 0;
}

TFileOps& FileOps() noexcept {
  return *Installed;
}

TFileOps* SetFileOps(TFileOps* Ops) noexcept {
  TFileOps* previous = Installed;
  Installed = Ops ? Ops : &PlatformOps;
  return previous;
}

#pragma once

// The platform's file operations. The file layer reaches files and directories only through the
// installed TFileOps, so that tests can replace single operations and inject failures. Every
// operation returns 0 on success or the errno code of its failure, and raises nothing.

#include <cstddef>
#include <cstdint>
#include <string>

// A point in time as the file system keeps it: seconds and nanoseconds since 1970-01-01 UTC.
struct TFileTime {
  std::int64_t Seconds = 0;
  std::int64_t Nanoseconds = 0;

  friend bool operator==(const TFileTime&, const TFileTime&) = default;
};

// What a path names.
enum TFileKind : std::uint8_t {
  fkNone, // nothing, or not reachable
  fkFile,
  fkDirectory,
  fkLink, // a symbolic link
  fkOther // a device, pipe or socket
};

class TFileOps {
 public:
  TFileOps() = default;
  TFileOps(const TFileOps&) = delete;
  TFileOps& operator=(const TFileOps&) = delete;
  virtual ~TFileOps() = default;

  // Opens Path with the open(2) Flags (close-on-exec is always added) and the creation Mode.
  // A directory cannot be opened as a file: that fails with EISDIR.
  [[nodiscard]] virtual int Open(const std::string& Path, int Flags, int Mode, int& Handle);
  // Closes Handle. On failure Handle is still a descriptor that must be closed, by another Close
  // or by Release, so that a caller may try again; on success it is -1.
  [[nodiscard]] virtual int Close(int& Handle);
  // Closes Handle whatever happens and sets it to -1; for giving up after a failed Close.
  virtual void Release(int& Handle) noexcept;
  // Reads or writes up to Count bytes at Offset, repeating short transfers; Done is the number
  // of bytes transferred, also on failure. A read stops early only at the end of the file.
  [[nodiscard]] virtual int Read(int Handle, void* Buffer, std::size_t Count, std::int64_t Offset,
                                 std::size_t& Done);
  [[nodiscard]] virtual int Write(int Handle, const void* Buffer, std::size_t Count,
                                  std::int64_t Offset, std::size_t& Done);
  // Moves the file pointer to Offset from the start.
  [[nodiscard]] virtual int Seek(int Handle, std::int64_t Offset);
  [[nodiscard]] virtual int Size(int Handle, std::int64_t& Size);
  [[nodiscard]] virtual int Truncate(int Handle, std::int64_t Length);
  // Sets the last-write time to now, keeping the last-access time.
  [[nodiscard]] virtual int Touch(int Handle);
  // Tells the kernel that the file will be read from start to end.
  [[nodiscard]] virtual int AdviseSequential(int Handle);
  [[nodiscard]] virtual int Sync(int Handle);

  // Copies Source to Dest with its content, permissions and last-write time. Dest is replaced
  // atomically: the copy is written beside it under a hidden temporary name, synced and renamed
  // over it, so that Dest is at every moment either the old file or the complete copy. An
  // existing Dest keeps its permissions and owner; a symbolic link Dest is followed. With
  // FailIfExists an existing Dest fails with EEXIST. Built on the operations of this table.
  [[nodiscard]] virtual int Copy(const std::string& Source, const std::string& Dest,
                                 bool FailIfExists);
  [[nodiscard]] virtual int Delete(const std::string& Path);
  // Renames Source to Dest, replacing Dest unless NoReplace, when it fails with EEXIST.
  [[nodiscard]] virtual int Rename(const std::string& Source, const std::string& Dest,
                                   bool NoReplace);
  // Creates a new file from Template, whose last six characters are "XXXXXX" and are replaced
  // by the name chosen; opened for reading and writing with mode 0600.
  [[nodiscard]] virtual int CreateUnique(std::string& Template, int& Handle);
  [[nodiscard]] virtual int MakeDir(const std::string& Path, int Mode);
  // What Path names; with FollowLink a final symbolic link is followed (fkNone when it leads
  // nowhere), without it a link is fkLink.
  virtual TFileKind Kind(const std::string& Path, bool FollowLink);
  // The owner's user id of an existing path, not following a final symbolic link.
  [[nodiscard]] virtual int Owner(const std::string& Path, std::uint32_t& UserId);
  [[nodiscard]] virtual int SetMode(const std::string& Path, int Mode);
  // Creation (zero where the file system keeps none), last-access and last-write times of a file
  // or directory.
  [[nodiscard]] virtual int Times(const std::string& Path, TFileTime& Creation,
                                  TFileTime& LastAccess, TFileTime& LastWrite);
};

// The installed operations; the platform's own unless a test installed others.
TFileOps& FileOps() noexcept;
// Installs Ops, which the caller keeps alive while installed, and returns the operations
// installed before. nullptr installs the platform's own.
TFileOps* SetFileOps(TFileOps* Ops) noexcept;

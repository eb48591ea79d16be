#include "env/uFile.h"

#include "env/uPaths.h"
#include "platform/uFileOps.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uOutputFormat.h"
#include "text/uStrings.h"

#include <fcntl.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

namespace {

std::vector<std::string> ModeNames;
const std::string Empty;

constexpr std::string_view BOMs[FileCharsetCount] = {
    {},
    "\xEF\xBB\xBF",
    "\xFE\xFF",
    "\xFF\xFE",
    {"\x00\x00\xFE\xFF", 4},
    {"\xFF\xFE\x00\x00", 4},
    "+/v8",
    "+/v9",
    "+/v+",
    "+/v/",
    "\xF7\x64\x4C",
    "\xDD\x73\x66\x73",
    "\x0E\xFE\xFF",
    "\xFB\xEE\x28",
    "\xFB\xEE\x28\xFF",
    "\x84\x31\x95\x33",
};

// The temporary copies held by open files of this process. Two files with the same name in
// different directories, written at the same time, must not share one copy.
std::set<std::string> HeldTempNames;

// Takes the name of a temporary copy for Target: "~" and the file part in AppTempDir, or, while
// another open file holds that, "~2~", "~3~", ... and the file part.
std::string HoldTempName(const std::string& Target) {
  const std::string part = Target.substr(Target.rfind('/') + 1);
  std::string name = ResolvePath(AppTempDir + "~" + part);
  for (int n = 2; HeldTempNames.contains(name); ++n)
    name = ResolvePath(AppTempDir + "~" + std::to_string(n) + "~" + part);
  HeldTempNames.insert(name);
  return name;
}

std::string SizeText(std::size_t Size) {
  return BytesToText(static_cast<std::int64_t>(Size), nsPlain);
}

// The first CR or LF in [Begin, End), or End; 16 bytes at a time where SSE2 is there, as on every
// x86-64 processor. Lines are short, so a wider vector would rarely pay for its set-up.
inline const char* FindLineEnd(const char* Begin, const char* End) noexcept {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (End - Begin >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Begin));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    if (mask != 0)
      return Begin + __builtin_ctz(static_cast<unsigned>(mask));
    Begin += 16;
  }
#endif
  while (Begin < End && *Begin != '\r' && *Begin != '\n')
    ++Begin;
  return Begin;
}

std::string DirectoryPart(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

bool IsProtectedMode(TFileMode Mode) noexcept {
  return Mode == fmRewrite || Mode == fmReadAndWrite;
}

} // namespace

const std::string& FileModeName(TFileMode Mode) noexcept {
  return Mode < ModeNames.size() ? ModeNames[Mode] : Empty;
}

std::string_view CharsetBOM(TFileCharset Charset) noexcept {
  return Charset < FileCharsetCount ? BOMs[Charset] : std::string_view();
}

int CharsetCharSize(TFileCharset Charset) noexcept {
  switch (Charset) {
  case fcUTF16BE:
  case fcUTF16LE:
    return 2;
  case fcUTF32BE:
  case fcUTF32LE:
    return 4;
  default:
    return 1;
  }
}

TFile::~TFile() {
  if (!Opened())
    return;
  try {
    ShowWarning("Forcing close of file %1.", {TempFileName_});
    Close(true, true);
  } catch (...) {
    // Reporting ran out of memory; the handle is released all the same.
  }
  FileOps().Release(Handle_);
  ReleaseTempName();
}

bool TFile::Open(std::string_view FileName, TFileMode Mode, std::uint32_t Flags) {
  if (Opened()) {
    ShowWarning("Forcing close file %1.", {std::string(FileName)});
    Close(true, false);
  }
  FileName_ = FileName;
  FilePos_ = 0;
  Mode_ = Mode;
  Buffer_.reset();
  BufferSize_ = FileBufferSize;
  ResetBuffer();
  BOMSize_ = 0;
  FileSize_ = 0;
  ExpandedName_ = ExpandDir(FileName);
  ReleaseTempName();

  Protected_ = Protection && IsProtectedMode(Mode);
  if (Protected_) {
    TempFileName_ = HoldTempName(ExpandedName_);
    TempNameHeld_ = true;
    if (FileOps().Kind(TempFileName_, false) != fkNone)
      DeleteFileEx(TempFileName_);
    // The copy is the file worked on: without it the target would be replaced by an empty file.
    if (Mode == fmReadAndWrite && FileOps().Kind(ExpandedName_, true) != fkNone &&
        !CopyFileEx(ExpandedName_, TempFileName_, false)) {
      ReleaseTempName();
      return false;
    }
  } else {
    TempFileName_ = ExpandedName_;
  }

  MainLogAdd("Opening for " + FileModeName(Mode) + " " + TempFileName_, mlDebug);
  int access = O_RDWR;
  if (Mode == fmReadOnly)
    access = O_RDONLY;
  else if (Mode == fmRewrite || Mode == fmAppend)
    access = O_WRONLY;
  if (!OpenHandle(access)) {
    ReleaseTempName();
    return false;
  }
  if (Flags & FILE_FLAG_SEQUENTIAL_SCAN)
    FileOps().AdviseSequential(Handle_);

  FileSize_ = GetFileSize64(Handle_);
  if (FileSize_ < 0) {
    // Without its size nothing in the file can be found; the file stays closed.
    FileOps().Release(Handle_);
    FileSize_ = 0;
    ReleaseTempName();
    return false;
  }

  switch (Mode) {
  case fmReadOnly:
  case fmReadAndWrite:
    if (!(Flags & (FILE_FLAG_NO_BUFFERING | FileFlagNoBOM)))
      DetectBOM();
    break;
  case fmRewrite:
    Truncate();
    if (!(Flags & FileFlagNoBOM))
      WriteBOM();
    break;
  case fmAppend:
    if (FileSize_ > 0)
      SeekEnd();
    else if (!(Flags & FileFlagNoBOM))
      WriteBOM();
    break;
  }
  return true;
}

bool TFile::OpenHandle(int Access) {
  int code = 0;
  return AttemptWithRetries(
      [&] {
        // A file that exists is opened, as is every file read; any other is created.
        int flags = Access;
        if (Access != O_RDONLY && FileOps().Kind(TempFileName_, true) == fkNone)
          flags |= O_CREAT | O_EXCL;
        code = FileOps().Open(TempFileName_, flags, 0666, Handle_);
        return code == 0;
      },
      [&] { return ShowIOErrorRetry(TempFileName_, code); });
}

void TFile::DetectBOM() {
  char head[4] = {' ', ' ', ' ', ' '};
  const auto count = static_cast<std::size_t>(std::min<std::int64_t>(4, FileSize_));
  if (count > 0)
    BlockRead(head, count);
  Charset = DefaultCharset;
  for (std::size_t charset = fcUTF8; charset < FileCharsetCount; ++charset) {
    const std::string_view bom = BOMs[charset];
    if (std::memcmp(head, bom.data(), bom.size()) == 0) {
      Charset = static_cast<TFileCharset>(charset);
      BOMSize_ = static_cast<std::int64_t>(bom.size());
      FileSize_ -= BOMSize_;
      break;
    }
  }
  SeekBegin();
}

bool TFile::WriteBOM() {
  const std::string_view bom = CharsetBOM(Charset);
  return bom.empty() || BlockWrite(bom.data(), bom.size());
}

bool TFile::Close(bool ChangeFileTime, bool Forced) {
  if (!Opened()) {
    ShowWarning("Cannot again close file %1.", {TempFileName_});
    return false;
  }
  int code = 0;
  const bool closed = AttemptWithRetries(
      [&] {
        MainLogAdd("Closing " + TempFileName_, mlDebug);
        Buffer_.reset();
        ResetBuffer();
        if (ChangeFileTime && Mode_ != fmReadOnly)
          FileOps().Touch(Handle_);
        code = FileOps().Close(Handle_);
        return code == 0;
      },
      [&] {
        if (Handle_ >= 0)
          return ShowIOErrorRetry(TempFileName_, code);
        // Nothing is left to close again.
        ShowIOError(TempFileName_, code);
        return false;
      });
  if (!closed) {
    // The file may not hold what was written: a protected target is not touched, and its
    // temporary copy stays.
    FileOps().Release(Handle_);
    ReleaseTempName();
    return false;
  }

  bool result = true;
  if (Protected_ && !Forced) {
    const std::string directory = DirectoryPart(ExpandedName_);
    if (!directory.empty() && FileOps().Kind(directory, true) != fkDirectory) {
      // The copy stays in the temporary directory, so that what was written is not lost.
      ShowIOError(FileName_, ENOENT);
      result = false;
    } else if (DeleteAfterClose) {
      DeleteFileEx(TempFileName_);
    } else if (CopyFileEx(TempFileName_, ExpandedName_, false)) {
      DeleteFileEx(TempFileName_);
    } else {
      result = false;
    }
  } else if (DeleteAfterClose) {
    DeleteFileEx(ExpandedName_);
  }
  ReleaseTempName();
  return result;
}

void TFile::ReleaseTempName() noexcept {
  if (TempNameHeld_)
    HeldTempNames.erase(TempFileName_);
  TempNameHeld_ = false;
}

void TFile::ResetBuffer() noexcept {
  BufferStart_ = NoBuffer;
  BufferEnd_ = 0;
}

bool TFile::BlockRead(void* Buffer, std::size_t Count) {
  std::size_t done = 0;
  int code = 0;
  const bool read = AttemptWithRetries(
      [&] {
        code = FileOps().Read(Handle_, Buffer, Count, FilePos_ + BOMSize_, done);
        return code == 0;
      },
      [&] { return ShowIOErrorRetry(TempFileName_, code); });
  FilePos_ += static_cast<std::int64_t>(done);
  if (!read)
    return false;
  if (done < Count) {
    ShowWarning("Reading only " + SizeText(done) + "/" + SizeText(Count) + " from " +
                TempFileName_);
    return false;
  }
  MainLogAdd("Reading " + SizeText(Count) + " from " + TempFileName_, mlDebug);
  return true;
}

bool TFile::BlockWrite(const void* Buffer, std::size_t Count) {
  std::size_t done = 0;
  int code = 0;
  const bool written = AttemptWithRetries(
      [&] {
        code = FileOps().Write(Handle_, Buffer, Count, FilePos_ + BOMSize_, done);
        return code == 0;
      },
      [&] { return ShowIOErrorRetry(TempFileName_, code); });
  // What was written is what the file now holds: lines read later must see it, and the end of
  // the file moves with it.
  ResetBuffer();
  FilePos_ += static_cast<std::int64_t>(done);
  FileSize_ = std::max(FileSize_, FilePos_);
  if (!written)
    return false;
  if (done < Count) {
    ShowWarning("Writing only " + SizeText(done) + "/" + SizeText(Count) + " to " + TempFileName_);
    return false;
  }
  MainLogAdd("Writing " + SizeText(Count) + " to " + TempFileName_, mlDebug);
  return true;
}

bool TFile::Seek(std::int64_t Pos) {
  int code = 0;
  const bool moved = AttemptWithRetries(
      [&] {
        if (Pos > std::numeric_limits<std::int64_t>::max() - BOMSize_) {
          code = EOVERFLOW;
          return false;
        }
        code = FileOps().Seek(Handle_, Pos + BOMSize_);
        return code == 0;
      },
      [&] { return ShowIOErrorRetry(TempFileName_, code); });
  if (moved)
    FilePos_ = Pos;
  return moved;
}

bool TFile::Truncate() {
  int code = 0;
  const bool truncated = AttemptWithRetries(
      [&] {
        code = FileOps().Truncate(Handle_, FilePos_ + BOMSize_);
        return code == 0;
      },
      [&] { return ShowIOErrorRetry(TempFileName_, code); });
  if (truncated) {
    FileSize_ = FilePos_;
    ResetBuffer();
  }
  return truncated;
}

bool TFile::LoadBuffer(std::int64_t Pos) {
  if (!Buffer_)
    Buffer_ = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(BufferSize_));
  const std::int64_t filePos = FilePos_;
  BufferStart_ = Pos / BufferSize_ * BufferSize_;
  BufferEnd_ = std::min(BufferStart_ + BufferSize_ - 1, FileSize_ - 1);
  FilePos_ = BufferStart_;
  const bool read =
      BlockRead(Buffer_.get(), static_cast<std::size_t>(BufferEnd_ - BufferStart_ + 1));
  FilePos_ = filePos;
  if (!read)
    ResetBuffer();
  return read;
}

bool TFile::ByteAt(std::int64_t Pos, unsigned char& Byte) {
  if ((Pos < BufferStart_ || Pos > BufferEnd_) && !LoadBuffer(Pos))
    return false;
  Byte = static_cast<unsigned char>(Buffer_[static_cast<std::size_t>(Pos - BufferStart_)]);
  return true;
}

bool TFile::Readln(std::string& Line) {
  // The common case first: a text line that ends inside the buffer, with the byte after a CR
  // in the buffer as well. Everything else takes the general way.
  const std::int64_t start = FilePos_;
  if ((Charset == fcAnsi || Charset == fcUTF8) && start >= BufferStart_ && start <= BufferEnd_) {
    const char* const begin = Buffer_.get() + (start - BufferStart_);
    const char* const end = Buffer_.get() + (BufferEnd_ - BufferStart_ + 1);
    const char* const stop = FindLineEnd(begin, end);
    if (end - stop >= 2 || (stop != end && *stop == '\n')) {
      const auto length = static_cast<std::size_t>(stop - begin);
      Line.assign(begin, length);
      FilePos_ = start + std::int64_t(length) + 1 + (*stop == '\r' && stop[1] == '\n');
      return true;
    }
  }
  return ReadlnSlowly(Line);
}

bool TFile::ReadlnSlowly(std::string& Line) {
  Line.clear();
  const std::int64_t start = FilePos_;
  if (start >= FileSize_)
    return false;
  const bool text = Charset == fcAnsi || Charset == fcUTF8;
  if (!(text ? ReadlnText(Line) : ReadlnUnits(Line))) {
    // Nothing of the line is consumed, so that it can be read again.
    Line.clear();
    FilePos_ = start;
    return false;
  }
  if (!text) {
    Line.clear();
    ShowWarning("Unsupported charset in file %1", {FileName_});
  }
  return true;
}

bool TFile::ReadlnText(std::string& Line) {
  while (FilePos_ < FileSize_) {
    if ((FilePos_ < BufferStart_ || FilePos_ > BufferEnd_) && !LoadBuffer(FilePos_))
      return false;
    const char* const begin = Buffer_.get() + (FilePos_ - BufferStart_);
    const char* const end = Buffer_.get() + (BufferEnd_ - BufferStart_ + 1);
    const char* const stop = FindLineEnd(begin, end);
    Line.append(begin, static_cast<std::size_t>(stop - begin));
    FilePos_ += stop - begin;
    if (stop != end) {
      ++FilePos_;
      unsigned char next;
      if (*stop == '\r' && FilePos_ < FileSize_) {
        if (!ByteAt(FilePos_, next))
          return false;
        if (next == '\n')
          ++FilePos_;
      }
      return true;
    }
  }
  return true;
}

bool TFile::ReadlnUnits(std::string& Line) {
  const int size = CharsetCharSize(Charset);
  const bool utf16 = Charset == fcUTF16BE || Charset == fcUTF16LE;
  // The code unit at Pos, when the file holds all of it; CR and LF in UTF-16 are whole units.
  const auto unitAt = [&](std::int64_t Pos, unsigned char(&Unit)[4], int& Got) {
    Got = 0;
    for (; Got < size && Pos + Got < FileSize_; ++Got)
      if (!ByteAt(Pos + Got, Unit[Got]))
        return false;
    return true;
  };
  const auto lineBreak = [&](const unsigned char(&Unit)[4], int Got) -> int {
    if (!utf16)
      return Unit[0] == '\n' ? '\n' : 0;
    if (Got < 2)
      return 0;
    const int value = Charset == fcUTF16BE ? Unit[0] << 8 | Unit[1] : Unit[1] << 8 | Unit[0];
    return value == '\r' || value == '\n' ? value : 0;
  };
  while (FilePos_ < FileSize_) {
    unsigned char unit[4];
    int got = 0;
    if (!unitAt(FilePos_, unit, got))
      return false;
    const int ending = lineBreak(unit, got);
    if (ending != 0) {
      FilePos_ += utf16 ? 2 : 1;
      if (ending == '\r' && FilePos_ < FileSize_) {
        if (!unitAt(FilePos_, unit, got))
          return false;
        if (lineBreak(unit, got) == '\n')
          FilePos_ += 2;
      }
      return true;
    }
    Line.append(reinterpret_cast<const char*>(unit), static_cast<std::size_t>(got));
    FilePos_ += got;
  }
  return true;
}

void InitializeFile() {
  ModeNames = EnumCaptions(FileModeNames);
}

#include "env/uFile.h"

#include "env/uFileHelpers.h"
#include "env/uLineEnds_p.h"
#include "env/uPaths.h"
#include "platform/uFileOps.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uOutputFormat.h"
#include "text/uStrings.h"

#include <fcntl.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <exception>
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

// Line = [Begin, Begin + Count), and True. Lines are mostly short: up to 64 bytes they are copied
// with two overlapping moves of a fixed size instead of a call to memcpy.
bool AssignLine(std::string& Line, const char* Begin, std::size_t Count) {
  Line.resize(Count);
  char* const out = Line.data();
  if (Count > 64 || Count < 8) {
    std::memcpy(out, Begin, Count);
  } else if (Count >= 32) {
    std::memcpy(out, Begin, 32);
    std::memcpy(out + Count - 32, Begin + Count - 32, 32);
  } else if (Count >= 16) {
    std::memcpy(out, Begin, 16);
    std::memcpy(out + Count - 16, Begin + Count - 16, 16);
  } else {
    std::memcpy(out, Begin, 8);
    std::memcpy(out + Count - 8, Begin + Count - 8, 8);
  }
  return true;
}

std::string DirectoryPart(const std::string& Path) {
  const std::size_t slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

bool IsProtectedMode(TFileMode Mode) noexcept {
  return Mode == fmRewrite || Mode == fmReadAndWrite;
}

template <class TData>
bool ReadWholeFile(std::string_view FileName, TData& Data) {
  Data.clear();
  TFile file;
  if (!file.Open(FileName, fmReadOnly, FILE_FLAG_SEQUENTIAL_SCAN))
    return false;
  bool read = false;
  try {
    Data.resize(static_cast<std::size_t>(file.FileSize()));
    read = file.BlockRead(Data.data(), Data.size());
  } catch (const std::exception&) {
    // Larger than memory.
    ShowIOError(FileName, ENOMEM);
  }
  // What was read is whole whether or not the close works; a failed close is reported.
  (void)file.Close(false, false);
  if (!read)
    TData().swap(Data);
  return read;
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
    // A destructor has no one to tell; Close reports its own failure.
    (void)Close(true, true);
  } catch (...) {
    // Reporting ran out of memory; the handle is released all the same.
  }
  FileOps().Release(Handle_);
  ReleaseTempName();
}

bool TFile::Open(std::string_view FileName, TFileMode Mode, std::uint32_t Flags) {
  if (Opened()) {
    ShowWarning("Forcing close file %1.", {std::string(FileName)});
    // The file opened before is finished with either way; Close reports its own failure.
    (void)Close(true, false);
  }
  FileName_ = FileName;
  FilePos_ = 0;
  Mode_ = Mode;
  FreeBuffer();
  BufferSize_ = FileBufferSize;
  BOMSize_ = 0;
  FileSize_ = 0;
  ExpandedName_ = ExpandDir(FileName);
  ReleaseTempName();

  Protected_ = Protection && IsProtectedMode(Mode);
  if (Protected_) {
    TempFileName_ = HoldTempName(ExpandedName_);
    TempNameHeld_ = true;
    // A stale copy left by a crash; if it cannot go, opening it below fails and says why.
    if (FileOps().Kind(TempFileName_, false) != fkNone)
      (void)DeleteFileEx(TempFileName_);
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

  const bool withBOM = !(Flags & FileFlagNoBOM);
  bool ready = true;
  switch (Mode) {
  case fmReadOnly:
  case fmReadAndWrite:
    if (withBOM && !(Flags & FILE_FLAG_NO_BUFFERING))
      ready = DetectBOM();
    break;
  case fmRewrite:
    ready = Truncate() && (!withBOM || WriteBOM());
    break;
  case fmAppend:
    ready = FileSize_ > 0 ? SeekEnd() : !withBOM || WriteBOM();
    break;
  }
  if (!ready)
    AbandonOpen();
  return ready;
}

void TFile::AbandonOpen() {
  const std::string copy = TempFileName_;
  const bool protectedCopy = Protected_;
  // Nothing was written through the file yet; a failed close is reported by Close.
  (void)Close(false, true);
  // The temporary copy holds nothing of value, and a left copy would only be found later.
  if (protectedCopy && FileOps().Kind(copy, false) != fkNone)
    (void)DeleteFileEx(copy);
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

bool TFile::DetectBOM() {
  char head[4] = {' ', ' ', ' ', ' '};
  const auto count = static_cast<std::size_t>(std::min<std::int64_t>(4, FileSize_));
  if (count > 0 && !BlockRead(head, count))
    return false;
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
  return SeekBegin();
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
        FreeBuffer();
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
      // The file is closed as asked; a copy that stays is reported by the delete.
      (void)DeleteFileEx(TempFileName_);
    } else if (CopyFileEx(TempFileName_, ExpandedName_, false)) {
      // The target holds what was written; a copy left behind is reported, nothing is lost.
      (void)DeleteFileEx(TempFileName_);
    } else {
      result = false;
    }
  } else if (DeleteAfterClose) {
    // The file is closed as asked; a file that stays is reported by the delete.
    (void)DeleteFileEx(ExpandedName_);
  }
  ReleaseTempName();
  return result;
}

void TFile::ReleaseTempName() noexcept {
  if (TempNameHeld_)
    HeldTempNames.erase(TempFileName_);
  TempNameHeld_ = false;
}

void TFile::FreeBuffer() noexcept {
  Buffer_.reset();
  LineEnds_.reset();
  ResetBuffer();
}

void TFile::ResetBuffer() noexcept {
  BufferStart_ = NoBuffer;
  BufferEnd_ = 0;
  CursorPos_ = NoCursor;
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
  // Lines are read a buffer at a time: the trace is not even formatted when no one keeps it.
  if (MainLog())
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
  if (MainLog())
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
  const auto size = static_cast<std::size_t>(BufferSize_);
  if (!Buffer_) {
    // The line-end marks read whole words of bytes: the buffer ends in one more word's room.
    Buffer_ = std::make_unique_for_overwrite<char[]>(size + 64);
    LineEnds_ = std::make_unique_for_overwrite<std::uint64_t[]>(size / 64 + 1);
  }
  const std::int64_t filePos = FilePos_;
  BufferStart_ = Pos / BufferSize_ * BufferSize_;
  BufferEnd_ = std::min(BufferStart_ + BufferSize_ - 1, FileSize_ - 1);
  FilePos_ = BufferStart_;
  const auto count = static_cast<std::size_t>(BufferEnd_ - BufferStart_ + 1);
  const bool read = BlockRead(Buffer_.get(), count);
  FilePos_ = filePos;
  CursorPos_ = NoCursor;
  if (read)
    MarkLineEnds(Buffer_.get(), count, LineEnds_.get());
  else
    ResetBuffer();
  return read;
}

bool TFile::ByteAt(std::int64_t Pos, unsigned char& Byte) {
  if ((Pos < BufferStart_ || Pos > BufferEnd_) && !LoadBuffer(Pos))
    return false;
  Byte = static_cast<unsigned char>(Buffer_[static_cast<std::size_t>(Pos - BufferStart_)]);
  return true;
}

std::uint64_t TFile::MarksFrom(std::size_t Index) const noexcept {
  return LineEnds_[Index / 64] & ~std::uint64_t(0) << Index % 64;
}

bool TFile::SkipToMarks(std::size_t& Word, std::uint64_t& Ends) const noexcept {
  const auto words = static_cast<std::size_t>(BufferEnd_ - BufferStart_) / 64 + 1;
  while (Ends == 0) {
    if (++Word == words)
      return false;
    Ends = LineEnds_[Word];
  }
  return true;
}

std::size_t TFile::NextLineEnd(std::size_t Index) const noexcept {
  std::size_t word = Index / 64;
  std::uint64_t ends = MarksFrom(Index);
  if (!SkipToMarks(word, ends))
    return NoLineEnd;
  return word * 64 + static_cast<std::size_t>(std::countr_zero(ends));
}

bool TFile::Readln(std::string& Line) {
  // The common case first: a text line that ends inside the buffer, with the byte after a CR in
  // the buffer as well. Everything else takes the general way. Going on from the line before,
  // the marks still ahead are at hand and the line ends at the lowest of them.
  const std::int64_t start = FilePos_;
  std::size_t word;
  std::uint64_t ends;
  if (start == CursorPos_) {
    word = CursorWord_;
    ends = CursorEnds_;
  } else if (start >= BufferStart_ && start <= BufferEnd_) {
    const auto index = static_cast<std::size_t>(start - BufferStart_);
    word = index / 64;
    ends = MarksFrom(index);
  } else {
    return ReadlnSlowly(Line);
  }
  if ((Charset != fcAnsi && Charset != fcUTF8) || !SkipToMarks(word, ends))
    return ReadlnSlowly(Line);
  const char* const bytes = Buffer_.get();
  const auto index = static_cast<std::size_t>(start - BufferStart_);
  const auto stop = word * 64 + static_cast<std::size_t>(std::countr_zero(ends));
  std::size_t next = stop + 1;
  ends &= ends - 1;
  if (bytes[stop] == '\r') {
    if (BufferStart_ + std::int64_t(stop) == BufferEnd_)
      return ReadlnSlowly(Line); // the byte after the CR is in the next range
    if (bytes[next] == '\n') {
      ++next;
      if (ends == 0) // the CR ends a word of marks, and the LF starts the next
        ends = LineEnds_[++word];
      ends &= ends - 1;
    }
  }
  FilePos_ = CursorPos_ = BufferStart_ + std::int64_t(next);
  CursorWord_ = word;
  CursorEnds_ = ends;
  return AssignLine(Line, bytes + index, stop - index);
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
    const auto index = static_cast<std::size_t>(FilePos_ - BufferStart_);
    const std::size_t stop = NextLineEnd(index);
    const char* const bytes = Buffer_.get();
    if (stop == NoLineEnd) {
      // The line goes on in the next range.
      Line.append(bytes + index, static_cast<std::size_t>(BufferEnd_ - BufferStart_) + 1 - index);
      FilePos_ = BufferEnd_ + 1;
      continue;
    }
    Line.append(bytes + index, stop - index);
    FilePos_ = BufferStart_ + std::int64_t(stop) + 1;
    unsigned char next;
    if (bytes[stop] == '\r' && FilePos_ < FileSize_) {
      if (!ByteAt(FilePos_, next))
        return false;
      if (next == '\n')
        ++FilePos_;
    }
    return true;
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

bool ReadBlockFromFile(std::string_view FileName, std::vector<std::uint8_t>& Data) {
  return ReadWholeFile(FileName, Data);
}

bool WriteBlockToFile(std::string_view FileName, const void* Data, std::size_t Size) {
  TFile file;
  file.Charset = fcAnsi;
  if (!file.Open(FileName, fmRewrite, FILE_FLAG_SEQUENTIAL_SCAN))
    return false;
  if (file.BlockWrite(Data, Size) && file.Truncate())
    return file.Close(true, false);
  // Nothing of a failed write reaches the file: the copy is dropped and the target kept.
  const std::string copy = file.TempFileName();
  // The write has failed already and was reported; these only tidy up after it.
  (void)file.Close(false, true);
  if (copy != ExpandDir(FileName))
    (void)DeleteFileEx(copy);
  return false;
}

bool ReadStringFromFile(std::string_view FileName, std::string& Text) {
  // UTF-8 is the platform's 8-bit text, so no character set needs converting.
  return ReadWholeFile(FileName, Text);
}

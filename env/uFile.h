#pragma once

// TFile, the framework's one way to read and write files: 64-bit positions, byte-order marks
// detected on reading and written for new files, text lines read through a 128 KiB buffer, and
// the target of a file opened for writing protected by working on a temporary copy that replaces
// it only when the file is closed normally. Every open, read, write and close is logged at
// mlDebug, and every failure of the platform becomes a Retry/Ignore question; nothing raises.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TFileMode : std::uint8_t {
  fmReadOnly,
  fmRewrite, // created or emptied
  fmAppend,  // written behind the end
  fmReadAndWrite,
};

inline constexpr std::string_view FileModeNames[] = {
    "fmReadOnly",
    "fmRewrite",
    "fmAppend",
    "fmReadAndWrite",
};
inline constexpr std::size_t FileModeCount = std::size(FileModeNames);
static_assert(FileModeCount == fmReadAndWrite + 1, "one name per mode");

// The name of a mode in log lines ("Read Only", "Rewrite", "Append", "Read And Write"). The table
// is built at start-up; before that, and for a value outside the enumeration, the name is empty.
const std::string& FileModeName(TFileMode Mode) noexcept;

// The character sets told apart by their byte-order marks, in the order in which a mark is
// searched for.
enum TFileCharset : std::uint8_t {
  fcAnsi, // no mark: the platform's 8-bit text, UTF-8 here
  fcUTF8,
  fcUTF16BE,
  fcUTF16LE,
  fcUTF32BE,
  fcUTF32LE,
  fcUTF7a,
  fcUTF7b,
  fcUTF7c,
  fcUTF7d,
  fcUTF1,
  fcUTFEBCDIC,
  fcSCSU,
  fcBOCU1,
  fcBOCU1b,
  fcGB18030,
};
inline constexpr std::size_t FileCharsetCount = fcGB18030 + 1;

// The byte-order mark of a character set; empty for fcAnsi and for values outside the enumeration.
std::string_view CharsetBOM(TFileCharset Charset) noexcept;
// The size in bytes of one code unit: 2 for UTF-16, 4 for UTF-32, else 1.
int CharsetCharSize(TFileCharset Charset) noexcept;

// The flags of Open. Sequential scan tells the kernel that the file will be read from start to
// end; every caller in the framework passes it. No buffering and FileFlagNoBOM turn the
// handling of byte-order marks off; overlapped is ignored.
inline constexpr std::uint32_t FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
inline constexpr std::uint32_t FILE_FLAG_NO_BUFFERING = 0x20000000;
inline constexpr std::uint32_t FILE_FLAG_OVERLAPPED = 0x40000000;
inline constexpr std::uint32_t FileFlagNoBOM = 8;

// The size of the read buffer of Readln.
inline constexpr std::int64_t FileBufferSize = 0x20000;

class TFile {
 public:
  TFile() = default;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  // Closes a file still open with a warning, without touching a protected target: its changes
  // stay in the temporary copy.
  ~TFile();

  // Options.
  TFileCharset Charset = fcUTF8;        // detected on reading; the mark written for new files
  bool Protection = true;               // fmRewrite and fmReadAndWrite work on a temporary copy
  TFileCharset DefaultCharset = fcAnsi; // taken when a read file has no mark
  bool DeleteAfterClose = false;        // deletes the file (or the temporary copy) at Close

  // Opens FileName (expanded with ExpandDir). A file already open is closed first, with a
  // warning. For fmReadOnly and fmReadAndWrite the byte-order mark is detected and all positions
  // count from behind it; fmRewrite empties the file and writes the mark of Charset, fmAppend
  // writes it into an empty file and moves to the end of any other. With Protection, fmRewrite
  // and fmReadAndWrite open a temporary copy in AppTempDir (for fmReadAndWrite, a copy of the
  // existing file). False when the file cannot be opened and the user gives up.
  [[nodiscard]] bool Open(std::string_view FileName, TFileMode Mode,
                          std::uint32_t Flags = FILE_FLAG_SEQUENTIAL_SCAN);
  // Closes the file. ChangeFileTime sets the last-write time of a written file to now. A
  // protected file replaces its target with the temporary copy, unless Forced; if the copy
  // cannot be put in place, the target stays as it was, the temporary copy is kept, and the
  // result is False. A file that is not open is a warning and False.
  [[nodiscard]] bool Close(bool ChangeFileTime = true, bool Forced = false);
  bool Opened() const noexcept { return Handle_ >= 0; }

  // Reads or writes Count bytes at FilePos, unbuffered, and moves FilePos by the bytes
  // transferred. Fewer bytes than Count is a warning and False; a failure of the platform is a
  // Retry/Ignore question, and False when ignored.
  [[nodiscard]] bool BlockRead(void* Buffer, std::size_t Count);
  [[nodiscard]] bool BlockWrite(const void* Buffer, std::size_t Count);
  // Moves FilePos; a position that the platform refuses is a Retry/Ignore question.
  [[nodiscard]] bool Seek(std::int64_t Pos);
  [[nodiscard]] bool SeekBegin() { return Seek(0); }
  [[nodiscard]] bool SeekEnd() { return Seek(FileSize_); }
  // Ends the file at FilePos.
  [[nodiscard]] bool Truncate();
  bool Eof() const noexcept { return FilePos_ >= FileSize_; }
  // The next text line into Line, without its line break: CR, LF and CR LF each end one line,
  // and a last line needs none. fcAnsi and fcUTF8 lines come as they are (the platform's 8-bit
  // text is UTF-8); the other character sets are not supported: each line comes empty, with a
  // warning. False at the end of the file, and when the file cannot be read; then Line is empty
  // and FilePos stays at the start of the line.
  [[nodiscard]] bool Readln(std::string& Line);

  // State.
  int Handle() const noexcept { return Handle_; }
  const std::string& FileName() const noexcept { return FileName_; }
  // The file actually opened: the expanded name, or the temporary copy.
  const std::string& TempFileName() const noexcept { return TempFileName_; }
  TFileMode Mode() const noexcept { return Mode_; }
  // The length of the mark found on reading; positions count from behind it.
  std::int64_t BOMSize() const noexcept { return BOMSize_; }
  std::int64_t FilePos() const noexcept { return FilePos_; }
  std::int64_t FileSize() const noexcept { return FileSize_; }
  std::int64_t BufferSize() const noexcept { return BufferSize_; }

 private:
  [[nodiscard]] bool OpenHandle(int Access);
  // Reads the byte-order mark and takes the file's character set from it; false when the start
  // of the file cannot be read.
  [[nodiscard]] bool DetectBOM();
  // Closes a file whose open failed after its handle was made, and drops its temporary copy.
  void AbandonOpen();
  [[nodiscard]] bool WriteBOM();
  // Reads the buffer range that holds Pos.
  [[nodiscard]] bool LoadBuffer(std::int64_t Pos);
  [[nodiscard]] bool ByteAt(std::int64_t Pos, unsigned char& Byte);
  // The line-end marks of the word of the buffer that holds Index, those before Index cleared.
  std::uint64_t MarksFrom(std::size_t Index) const noexcept;
  // Moves Word on, while its marks Ends are none, to the next word of the buffer with a mark and
  // gives its marks. False when the buffer has no further mark.
  bool SkipToMarks(std::size_t& Word, std::uint64_t& Ends) const noexcept;
  // The buffer index of the first CR or LF at or after Index, or NoLineEnd; Index must be in the
  // buffer.
  std::size_t NextLineEnd(std::size_t Index) const noexcept;
  [[gnu::noinline]] bool ReadlnSlowly(std::string& Line);
  [[nodiscard]] bool ReadlnText(std::string& Line);
  [[nodiscard]] bool ReadlnUnits(std::string& Line);
  // Forgets the buffer's contents; FreeBuffer also frees its memory.
  void ResetBuffer() noexcept;
  void FreeBuffer() noexcept;
  void ReleaseTempName() noexcept;

  int Handle_ = -1;
  std::string FileName_;
  std::string ExpandedName_;
  std::string TempFileName_;
  bool Protected_ = false;    // worked on in a temporary copy
  bool TempNameHeld_ = false; // the copy's name is taken from other open files
  TFileMode Mode_ = fmReadOnly;
  std::unique_ptr<char[]> Buffer_;
  // One bit for each byte of the buffer, set for CR and LF: marked when the buffer is loaded.
  std::unique_ptr<std::uint64_t[]> LineEnds_;
  // Where the last line read fast ended: the word of marks of that position, with the marks
  // before it cleared. Readln takes it when it goes on from there.
  std::int64_t CursorPos_ = NoCursor;
  std::size_t CursorWord_ = 0;
  std::uint64_t CursorEnds_ = 0;
  std::int64_t BufferStart_ = NoBuffer;
  std::int64_t BufferEnd_ = 0;
  std::int64_t BufferSize_ = FileBufferSize;
  std::int64_t BOMSize_ = 0;
  std::int64_t FilePos_ = 0;
  std::int64_t FileSize_ = 0;

  static constexpr std::int64_t NoBuffer = 0x7FFFFFFFFFFFFFFF;
  static constexpr std::size_t NoLineEnd = ~std::size_t(0);
  static constexpr std::int64_t NoCursor = -1;
};

// Builds the mode names; part of the framework's start-up.
void InitializeFile();

// The whole content of a file behind its byte-order mark, through TFile. Empty and False when
// it cannot be read.
[[nodiscard]] bool ReadBlockFromFile(std::string_view FileName, std::vector<std::uint8_t>& Data);
// Writes Size bytes as the whole new content of a file, without a byte-order mark, through a
// temporary copy: when anything fails the file stays as it was.
[[nodiscard]] bool WriteBlockToFile(std::string_view FileName, const void* Data, std::size_t Size);
// The whole text of a file behind its byte-order mark; UTF-8 comes as it is (the platform's
// 8-bit text), other character sets as raw bytes.
[[nodiscard]] bool ReadStringFromFile(std::string_view FileName, std::string& Text);

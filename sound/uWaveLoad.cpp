// Reading wave files chunk by chunk. Chunk headers and the small "fmt " and "fact" bodies come
// through a look-ahead block, so that a file of many small chunks costs few reads. The samples are
// read once, after the last chunk: a file with many "data" chunks is not read again for each.

#include "env/uFile.h"
#include "env/uFileHelpers.h"
#include "platform/uMemory.h"
#include "report/uMsg.h"
#include "sound/uG711.h"
#include "sound/uWave.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The look-ahead block for chunk headers and small bodies.
constexpr std::size_t LookAheadSize = 4096;
// The block of A-law and µ-law bytes expanded at a time.
constexpr std::size_t ExpandBlockSize = 64 * 1024;
// Lists nested deeper than this are skipped whole; no wave file nests more than two.
constexpr int MaxListDepth = 64;
// Chunk reports (unknown ids, invalid format tags) shown for one file at most, so that a file of
// garbage does not queue a message for every eight of its bytes.
constexpr int MaxChunkReports = 16;

std::uint16_t Read16(const std::uint8_t* P) noexcept {
  return static_cast<std::uint16_t>(P[0] | P[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* P) noexcept {
  return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
         std::uint32_t(P[3]) << 24;
}

bool IsId(const std::uint8_t* P, std::string_view Id) noexcept {
  return std::memcmp(P, Id.data(), 4) == 0;
}

bool IsLaw(std::uint16_t Tag) noexcept {
  return Tag == WaveFormatALaw || Tag == WaveFormatMuLaw;
}

bool IsAcceptedTag(std::uint16_t Tag) noexcept {
  return Tag == WaveFormatPCM || Tag == WaveFormatMSADPCM || IsLaw(Tag) ||
         Tag == WaveFormatIMAADPCM;
}

TWaveFormat FormatFrom(const std::uint8_t* P) noexcept {
  return {Read16(P), Read16(P + 2), Read32(P + 4), Read32(P + 8), Read16(P + 12), Read16(P + 14)};
}

// The frames in DataSize bytes: DataSize × 8 / (bits × channels), a channel count of 0 taken as
// 1; 0 without bits per sample.
std::uint32_t FramesIn(std::uint64_t DataSize, const TWaveFormat& Format) noexcept {
  const std::uint64_t bits =
      std::uint64_t(Format.BitsPerSample) * std::max<std::uint16_t>(Format.Channels, 1);
  return bits == 0 ? 0 : std::uint32_t(DataSize * 8 / bits);
}

// The format of A-law or µ-law samples expanded to 16-bit PCM; one channel is assumed.
TWaveFormat ExpandedFormat(TWaveFormat Format) noexcept {
  Format.FormatTag = WaveFormatPCM;
  Format.Channels = 1;
  Format.BitsPerSample = 16;
  Format.BlockAlign = 2;
  Format.AvgBytesPerSec = 2 * Format.SamplesPerSec;
  return Format;
}

// Reads small parts of an open file at any position; bytes beyond its end read as 0.
class TChunkReader {
 public:
  explicit TChunkReader(TFile& File) noexcept
      : File_(File), Size_(std::uint64_t(File.FileSize())) {}

  std::uint64_t Size() const noexcept { return Size_; }

  // Count (at most LookAheadSize) bytes at Pos. False when the file cannot be read.
  bool Read(std::uint64_t Pos, std::uint8_t* Buffer, std::size_t Count) {
    std::memset(Buffer, 0, Count);
    if (Pos >= Size_)
      return true;
    const std::size_t present = std::size_t(std::min<std::uint64_t>(Count, Size_ - Pos));
    if (Pos < BlockStart_ || Pos + present > BlockStart_ + BlockSize_) {
      BlockStart_ = Pos;
      BlockSize_ = std::size_t(std::min<std::uint64_t>(LookAheadSize, Size_ - Pos));
      if (!File_.Seek(std::int64_t(Pos)) || !File_.BlockRead(Block_.data(), BlockSize_)) {
        BlockSize_ = 0;
        return false;
      }
    }
    std::memcpy(Buffer, Block_.data() + (Pos - BlockStart_), present);
    return true;
  }

 private:
  TFile& File_;
  std::uint64_t Size_;
  std::array<std::uint8_t, LookAheadSize> Block_;
  std::uint64_t BlockStart_ = 0;
  std::size_t BlockSize_ = 0;
};

} // namespace

// Reads one file into a wave.
class TWaveLoader {
 public:
  TWaveLoader(TWave& Wave, std::string_view FileName, TFile& File)
      : Wave_(Wave), FileName_(FileName), File_(File), Reader_(File) {}

  void Load();

 private:
  // What the last "data" chunk said; its samples are read when every chunk is known.
  struct TDataChunk {
    bool Found = false;
    std::uint64_t Offset = 0; // of its first sample
    std::uint64_t Size = 0;   // the bytes of it that the file holds
    TWaveFormat Format;       // as it stood when the chunk came
    std::uint32_t SampleCount = 0;
  };

  // Reads the chunks from Pos on. False when the file cannot be read.
  bool ReadChunks(std::uint64_t Pos);
  // Reads one chunk other than a list, whose body starts at Body; false when the file cannot be
  // read.
  bool ReadChunk(const std::uint8_t* Id, std::uint32_t Size, std::uint64_t Body);
  // Reports a fault of a chunk, up to MaxChunkReports for the file.
  void ReportChunk(TMessageLevel Level, std::string_view Text, const TArrayOfString& Params);
  void ReadData();
  void ReadSamples();
  void ExpandSamples();
  void OutOfMemory();

  TWave& Wave_;
  std::string FileName_;
  TFile& File_;
  TChunkReader Reader_;
  TDataChunk Data_;
  int Reports_ = 0;
};

void TWaveLoader::Load() {
  const std::uint64_t size = Reader_.Size();
  if (size < 12) {
    ShowIOErrorMessage(FileName_, "File truncated.");
    return;
  }
  std::uint8_t header[12];
  if (!Reader_.Read(0, header, sizeof header))
    return;
  if (!IsId(header, "RIFF") || !IsId(header + 8, "WAVE"))
    ShowIOErrorMessage(FileName_, "File is not wave.");
  if (std::uint64_t(Read32(header + 4)) + 8 != size)
    ShowIOErrorMessage(FileName_, "Wave bytes following repaired.");
  if (ReadChunks(12) && !Wave_.HeaderOnly)
    ReadData();
}

bool TWaveLoader::ReadChunks(std::uint64_t Pos) {
  // The ends of the lists being read, innermost last, each with the position to go on at
  // behind it; the file's end is the outermost.
  struct TLevel {
    std::uint64_t End;
    std::uint64_t Next;
  };
  std::array<TLevel, MaxListDepth + 1> levels;
  int depth = 0;
  levels[0] = {Reader_.Size(), Reader_.Size()};
  // Positions in 64 bits: a chunk size near 4 GiB cannot wrap them, and every step moves on.
  for (std::uint64_t pos = Pos;;) {
    const std::uint64_t end = levels[std::size_t(depth)].End;
    if (pos > end || end - pos < 8) {
      if (depth == 0)
        return true;
      pos = levels[std::size_t(depth--)].Next;
      continue;
    }
    std::uint8_t header[8];
    if (!Reader_.Read(pos, header, sizeof header))
      return false;
    const std::uint32_t size = Read32(header + 4);
    const std::uint64_t body = pos + 8;
    const std::uint64_t next = body + size + (size & 1);
    if (IsId(header, "LIST")) {
      if (depth < MaxListDepth) {
        // The chunks inside follow the list's four-character type.
        levels[std::size_t(++depth)] = {std::min(body + size, end), next};
        pos = body + 4;
        continue;
      }
    } else if (!ReadChunk(header, size, body)) {
      return false;
    }
    pos = next;
  }
}

bool TWaveLoader::ReadChunk(const std::uint8_t* Id, std::uint32_t Size, std::uint64_t Body) {
  TWaveFormat& format = Wave_.Format;
  if (IsId(Id, "fmt ")) {
    std::uint8_t bytes[16];
    if (!Reader_.Read(Body, bytes, sizeof bytes))
      return false;
    format = FormatFrom(bytes);
    if (!IsAcceptedTag(format.FormatTag))
      ReportChunk(mlError, "Invalid wave format. Chunk format tag is %1.",
                  {std::to_string(format.FormatTag)});
  } else if (IsId(Id, "fact")) {
    std::uint8_t bytes[4];
    if (!Reader_.Read(Body, bytes, sizeof bytes))
      return false;
    Wave_.SampleCount_ = Read32(bytes);
  } else if (IsId(Id, "data")) {
    // A chunk that claims more than the file holds has the bytes the file holds.
    const std::uint64_t present =
        std::min<std::uint64_t>(Size, Reader_.Size() - std::min(Body, Reader_.Size()));
    Wave_.DataSize_ = present;
    if (Wave_.SampleCount_ == 0)
      Wave_.SampleCount_ =
          IsLaw(format.FormatTag)
              ? (format.BitsPerSample == 0 ? 0 : std::uint32_t(present * 8 / format.BitsPerSample))
              : FramesIn(present, format);
    if (!Wave_.HeaderOnly) {
      Data_ = {true, Body, present, format, Wave_.SampleCount_};
      // The expanded samples are 16-bit PCM, and the chunks after this one see them so.
      if (IsLaw(format.FormatTag))
        format = ExpandedFormat(format);
    }
  } else if (!IsId(Id, "ICRD") && !IsId(Id, "IENG") && !IsId(Id, "ISBJ") && !IsId(Id, "ICOP") &&
             !IsId(Id, "DISP") && !IsId(Id, "ISFT") && !IsId(Id, "ICMT")) {
    ReportChunk(mlWarning, "Unknown chunk id %1 in file %2!",
                {std::string(reinterpret_cast<const char*>(Id), 4), FileName_});
  }
  return true;
}

void TWaveLoader::ReportChunk(TMessageLevel Level, std::string_view Text,
                              const TArrayOfString& Params) {
  if (Reports_ < MaxChunkReports) {
    ++Reports_;
    ReportMessage(Level, Text, Params);
  }
}

void TWaveLoader::ReadData() {
  if (!Data_.Found)
    return;
  try {
    if (IsLaw(Data_.Format.FormatTag))
      ExpandSamples();
    else
      ReadSamples();
  } catch (const std::bad_alloc&) {
    OutOfMemory();
  }
}

void TWaveLoader::OutOfMemory() {
  Wave_.SetImage(nullptr, 0, 0, Wave_.DataSize_);
  ShowIOErrorMessage(FileName_, "Out of memory.");
}

void TWaveLoader::ReadSamples() {
  // The file's bytes up to the end of the chunk; a RIFF image holds 32-bit offsets.
  const std::uint64_t end = Data_.Offset + Data_.Size;
  if (end > 0xFFFFFFFFu) {
    OutOfMemory();
    return;
  }
  auto image = MakeLargeBlock(std::size_t(end));
  if (!File_.Seek(0) || !File_.BlockRead(image.get(), std::size_t(end)))
    return;
  // The image is a RIFF image of its own: its lengths say what it holds.
  std::uint8_t* p = image.get();
  const auto put32 = [](std::uint8_t* At, std::uint64_t Value) {
    for (int i = 0; i < 4; ++i)
      At[i] = std::uint8_t(Value >> (8 * i));
  };
  put32(p + 4, end - 8);
  put32(p + Data_.Offset - 4, Data_.Size);
  Wave_.SetImage(std::move(image), std::size_t(end), std::uint32_t(Data_.Offset), Data_.Size);
}

void TWaveLoader::ExpandSamples() {
  const TG711Table& table = Data_.Format.FormatTag == WaveFormatALaw ? ALawTable() : MuLawTable();
  // A "fact" count beyond the data pads the image with silence, at most as many bytes as the
  // file holds, so that a lying count cannot ask for more.
  const std::uint64_t expanded = std::min<std::uint64_t>(Data_.SampleCount, Data_.Size);
  const std::uint64_t samples =
      std::min<std::uint64_t>(Data_.SampleCount, expanded + Reader_.Size() / 2);
  const std::uint64_t dataSize = 2 * samples;
  auto image = MakeLargeBlock(std::size_t(WaveHeaderSize + dataSize));
  WriteWaveHeader(image.get(), ExpandedFormat(Data_.Format), std::uint32_t(dataSize));
  std::uint8_t* out = image.get() + WaveHeaderSize;
  std::vector<std::uint8_t> block(std::size_t(std::min<std::uint64_t>(ExpandBlockSize, expanded)));
  for (std::uint64_t done = 0; done < expanded;) {
    const std::size_t count = std::size_t(std::min<std::uint64_t>(block.size(), expanded - done));
    if (!File_.Seek(std::int64_t(Data_.Offset + done)) || !File_.BlockRead(block.data(), count))
      return;
    for (std::size_t i = 0; i < count; ++i) {
      const std::int16_t sample = table[block[i]];
      out[2 * i] = std::uint8_t(sample);
      out[2 * i + 1] = std::uint8_t(std::uint16_t(sample) >> 8);
    }
    out += 2 * count;
    done += count;
  }
  std::memset(out, 0, std::size_t(dataSize - 2 * expanded));
  Wave_.SampleCount_ = std::uint32_t(samples);
  Wave_.SetImage(std::move(image), std::size_t(WaveHeaderSize + dataSize), WaveHeaderSize,
                 dataSize);
}

void TWave::LoadFromFile(std::string_view FileName) {
  Clear();
  Format = {};
  if (!FileExistsEx(FileName))
    return;
  TFile file;
  if (!file.Open(FileName, fmReadOnly, FILE_FLAG_SEQUENTIAL_SCAN | FileFlagNoBOM))
    return;
  TWaveLoader(*this, FileName, file).Load();
  (void)file.Close();
}

std::uint32_t WaveDuration(std::string_view FileName) {
  if (!FileExistsEx(FileName))
    return 0;
  TWave wave;
  wave.HeaderOnly = true;
  wave.LoadFromFile(FileName);
  return wave.DurationMs();
}

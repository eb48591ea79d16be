#include "platform/uElf.h"

#include "platform/uFileOps.h"

#include <fcntl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The most section headers read; more count as damage.
constexpr std::uint64_t MaxSections = 1u << 16;
constexpr std::uint32_t SectionNoBits = 8;      // SHT_NOBITS: the section takes no room in the file
constexpr std::uint16_t ExtendedIndex = 0xFFFF; // SHN_XINDEX

// An open ELF file with its layout; every read is checked against the file's size.
class TElfReader {
 public:
  explicit TElfReader(const std::string& FileName) {
    TFileOps& ops = FileOps();
    if (ops.Open(FileName, O_RDONLY, 0, Handle_) != 0 || ops.Size(Handle_, Size_) != 0)
      Size_ = -1;
  }
  TElfReader(const TElfReader&) = delete;
  TElfReader& operator=(const TElfReader&) = delete;
  ~TElfReader() { FileOps().Release(Handle_); }

  // Count bytes at Offset, or false when they are not all in the file.
  bool Read(std::uint64_t Offset, std::uint64_t Count, void* Buffer) {
    if (Size_ < 0 || Offset > std::uint64_t(Size_) || Count > std::uint64_t(Size_) - Offset)
      return false;
    std::size_t done = 0;
    return FileOps().Read(Handle_, Buffer, Count, std::int64_t(Offset), done) == 0 && done == Count;
  }

  bool ReadHeader() {
    static constexpr unsigned char Magic[4] = {0x7F, 'E', 'L', 'F'};
    unsigned char ident[16];
    if (!Read(0, sizeof ident, ident) || std::memcmp(ident, Magic, sizeof Magic) != 0)
      return false;
    F64 = ident[4] == 2;
    BigEndian_ = ident[5] == 2;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2))
      return false;
    unsigned char header[64];
    if (!Read(0, F64 ? 64 : 52, header))
      return false;
    SectionOffset_ = F64 ? Get(header + 0x28, 8) : Get(header + 0x20, 4);
    EntrySize_ = Get(header + (F64 ? 0x3A : 0x2E), 2);
    Count_ = Get(header + (F64 ? 0x3C : 0x30), 2);
    NamesIndex_ = Get(header + (F64 ? 0x3E : 0x32), 2);
    if (SectionOffset_ == 0 || EntrySize_ < (F64 ? 64u : 40u))
      return false;
    // With many sections, section 0 holds the true count and the index of the name table.
    if (Count_ == 0 || NamesIndex_ == ExtendedIndex) {
      TSection first;
      if (!Section(0, first))
        return false;
      if (Count_ == 0)
        Count_ = first.Size;
      if (NamesIndex_ == ExtendedIndex)
        NamesIndex_ = first.Link;
    }
    return Count_ > 0 && Count_ <= MaxSections && NamesIndex_ < Count_;
  }

  struct TSection {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t Link = 0;
  };

  bool Section(std::uint64_t Index, TSection& Section) {
    unsigned char entry[64];
    if (!Read(SectionOffset_ + Index * EntrySize_, F64 ? 64 : 40, entry))
      return false;
    Section.Name = std::uint32_t(Get(entry, 4));
    Section.Type = std::uint32_t(Get(entry + 4, 4));
    Section.Offset = F64 ? Get(entry + 24, 8) : Get(entry + 16, 4);
    Section.Size = F64 ? Get(entry + 32, 8) : Get(entry + 20, 4);
    Section.Link = std::uint32_t(F64 ? Get(entry + 40, 4) : Get(entry + 24, 4));
    return true;
  }

  // Reads the whole content of a section of at most Limit bytes.
  bool Content(const TSection& Section, std::uint64_t Limit, std::string& Contents) {
    if (Section.Type == SectionNoBits || Section.Size > Limit)
      return false;
    Contents.resize(Section.Size);
    return Read(Section.Offset, Section.Size, Contents.data());
  }

  std::uint64_t Count() const noexcept { return Count_; }
  std::uint64_t NamesIndex() const noexcept { return NamesIndex_; }

 private:
  std::uint64_t Get(const unsigned char* Bytes, int Size) const noexcept {
    std::uint64_t value = 0;
    for (int i = 0; i < Size; ++i)
      value |= std::uint64_t(Bytes[BigEndian_ ? Size - 1 - i : i]) << (8 * i);
    return value;
  }

  int Handle_ = -1;
  std::int64_t Size_ = -1;
  bool F64 = false;
  bool BigEndian_ = false;
  std::uint64_t SectionOffset_ = 0;
  std::uint64_t EntrySize_ = 0;
  std::uint64_t Count_ = 0;
  std::uint64_t NamesIndex_ = 0;
};

} // namespace

bool ReadElfSection(const std::string& FileName, std::string_view SectionName,
                    std::string& Contents) {
  Contents.clear();
  TElfReader elf(FileName);
  if (!elf.ReadHeader())
    return false;
  TElfReader::TSection namesSection;
  std::string names;
  if (!elf.Section(elf.NamesIndex(), namesSection) ||
      !elf.Content(namesSection, std::uint64_t(1) << 24, names))
    return false;
  for (std::uint64_t index = 1; index < elf.Count(); ++index) {
    TElfReader::TSection section;
    if (!elf.Section(index, section))
      return false;
    if (section.Name >= names.size())
      continue;
    const std::size_t end = names.find('\0', section.Name);
    if (end == std::string::npos ||
        std::string_view(names).substr(section.Name, end - section.Name) != SectionName)
      continue;
    if (elf.Content(section, MaxElfSectionSize, Contents))
      return true;
    Contents.clear();
    return false;
  }
  return false;
}

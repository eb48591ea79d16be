#include "platform/uElf.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

// A minimal ELF file: the header, the contents of the sections, their name table, and the
// section headers (a null section, the given ones, then the name table).
struct TElfImage {
  bool Is64 = true;
  bool BigEndian = false;
  std::vector<std::pair<std::string, std::string>> Sections;

  std::string Build() const {
    std::string bytes(Is64 ? 64 : 52, '\0');
    bytes.replace(0, 6,
                  "\x7F"
                  "ELF"s +
                      char(Is64 ? 2 : 1) + char(BigEndian ? 2 : 1));
    std::string names = "\0.shstrtab\0"s;
    struct TEntry {
      std::uint64_t Name, Offset, Size;
    };
    std::vector<TEntry> entries = {{0, 0, 0}};
    for (const auto& [name, content] : Sections) {
      entries.push_back({names.size(), bytes.size(), content.size()});
      names += name + '\0';
      bytes += content;
    }
    entries.push_back({1, bytes.size(), names.size()});
    bytes += names;
    const std::uint64_t headers = bytes.size();
    const int entrySize = Is64 ? 64 : 40;
    for (const TEntry& entry : entries) {
      std::string header(entrySize, '\0');
      Put(header, 0, 4, entry.Name);
      Put(header, 4, 4, 1); // PROGBITS
      Put(header, Is64 ? 24 : 16, Is64 ? 8 : 4, entry.Offset);
      Put(header, Is64 ? 32 : 20, Is64 ? 8 : 4, entry.Size);
      bytes += header;
    }
    Put(bytes, Is64 ? 0x28 : 0x20, Is64 ? 8 : 4, headers);
    Put(bytes, Is64 ? 0x3A : 0x2E, 2, entrySize);
    Put(bytes, Is64 ? 0x3C : 0x30, 2, entries.size());
    Put(bytes, Is64 ? 0x3E : 0x32, 2, entries.size() - 1);
    return bytes;
  }

  void Put(std::string& Bytes, std::size_t At, int Size, std::uint64_t Value) const {
    for (int i = 0; i < Size; ++i)
      Bytes[At + (BigEndian ? Size - 1 - i : i)] = char(Value >> (8 * i));
  }
};

class TElfTest : public testing::Test {
 protected:
  // Reads the ".projinfo" section of Bytes written to a file.
  bool Read(const std::string& Bytes, std::string& Contents) {
    const std::string file = (Folder / "elf").string();
    WriteWholeFileForTest(file, Bytes);
    return ReadElfSection(file, ".projinfo", Contents);
  }
  static void WriteWholeFileForTest(const std::string& File, const std::string& Bytes) {
    std::ofstream(File, std::ios::binary) << Bytes;
  }

  TTempFolder Folder;
};

TEST_F(TElfTest, FindsTheSectionInEveryClassAndByteOrder) {
  const std::string info = "CompanyName=A\0"s;
  for (bool is64 : {false, true}) {
    for (bool bigEndian : {false, true}) {
      TElfImage image{is64, bigEndian, {{".text", "code"}, {".projinfo", info}, {".data", "d"}}};
      std::string contents;
      EXPECT_TRUE(Read(image.Build(), contents)) << is64 << bigEndian;
      EXPECT_EQ(contents, info) << is64 << bigEndian;
    }
  }
}

TEST_F(TElfTest, DamagedFilesGiveNothing) {
  const std::string good = TElfImage{true, false, {{".projinfo", "x"}}}.Build();
  struct {
    const char* Damage;
    std::string Bytes;
  } cases[] = {
      {"no section", TElfImage{true, false, {{".projinfo2", "x"}, {".proj", "y"}}}.Build()},
      {"empty file", ""},
      {"no ELF", "\x7F"
                 "ELX" +
                     good.substr(4)},
      {"unknown class", good.substr(0, 4) + '\3' + good.substr(5)},
      {"cut short", good.substr(0, good.size() - 10)},
      {"headers beyond the end", good},
      {"name table index beyond the sections", good},
      {"content beyond the end", good},
      {"content too large",
       TElfImage{true, false, {{".projinfo", std::string(MaxElfSectionSize + 1, 'x')}}}.Build()},
  };
  TElfImage layout{true, false, {}};
  layout.Put(cases[5].Bytes, 0x28, 8, 0xFFFFFFFFFFFFFF00u);
  layout.Put(cases[6].Bytes, 0x3E, 2, 9);
  // The first section's offset: header 64 bytes, then its content, names, then the headers.
  layout.Put(cases[7].Bytes, good.size() - 3 * 64 + 64 + 24, 8, 1u << 30);
  for (const auto& c : cases) {
    std::string contents = "stale";
    EXPECT_FALSE(Read(c.Bytes, contents)) << c.Damage;
    EXPECT_EQ(contents, "") << c.Damage;
  }
}

TEST_F(TElfTest, AFileThatCannotBeOpenedGivesNothing) {
  std::string contents;
  EXPECT_FALSE(ReadElfSection((Folder / "missing").string(), ".projinfo", contents));
  EXPECT_FALSE(ReadElfSection(Folder.Path().string(), ".projinfo", contents));
}

} // namespace

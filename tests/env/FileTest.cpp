#include "EnvTestSupport.h"
#include "env/uFile.h"
#include "env/uPaths.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using TFileTest = TEnvTest;

// Every line of a file, read with Readln.
std::vector<std::string> ReadLines(const std::string& FileName, TFileCharset Default = fcAnsi) {
  TFile file;
  file.DefaultCharset = Default;
  std::vector<std::string> lines;
  if (!file.Open(FileName, fmReadOnly))
    return lines;
  for (std::string line; file.Readln(line);)
    lines.push_back(line);
  EXPECT_TRUE(file.Close());
  return lines;
}

std::string Visible(const std::string& Text) {
  std::string result;
  for (unsigned char c : Text)
    result += c >= ' ' && c < 127 ? std::string(1, char(c)) : "\\x" + std::to_string(c);
  return result;
}

TEST_F(TFileTest, DetectsEachMarkInTableOrder) {
  struct {
    std::string Head;
    TFileCharset Charset;
    std::int64_t BOMSize;
  } const cases[] = {
      {"ab", fcUTF16BE, 0}, // no mark: DefaultCharset
      {"\xEF\xBB\xBF", fcUTF8, 3},
      {"\xFE\xFF", fcUTF16BE, 2},
      {"\xFF\xFE", fcUTF16LE, 2},
      {std::string("\0\0\xFE\xFF", 4), fcUTF32BE, 4},
      // FF FE 00 00 is taken as UTF-16 LE, FB EE 28 FF as BOCU-1: the earlier entry wins.
      {std::string("\xFF\xFE\0\0", 4), fcUTF16LE, 2},
      {"+/v8", fcUTF7a, 4},
      {"+/v9", fcUTF7b, 4},
      {"+/v+", fcUTF7c, 4},
      {"+/v/", fcUTF7d, 4},
      {"\xF7\x64\x4C", fcUTF1, 3},
      {"\xDD\x73\x66\x73", fcUTFEBCDIC, 4},
      {"\x0E\xFE\xFF", fcSCSU, 3},
      {"\xFB\xEE\x28", fcBOCU1, 3},
      {"\xFB\xEE\x28\xFF", fcBOCU1, 3},
      {"\x84\x31\x95\x33", fcGB18030, 4},
      {"+/v", fcUTF16BE, 0}, // shorter than any mark it starts: the blanks after it decide
  };
  for (const auto& c : cases) {
    const std::string content = c.Head + "xyz";
    WriteWholeFile(Folder / "bom", content);
    TFile file;
    file.DefaultCharset = fcUTF16BE;
    ASSERT_TRUE(file.Open(Name("bom"), fmReadOnly)) << Visible(c.Head);
    EXPECT_EQ(file.Charset, c.Charset) << Visible(c.Head);
    EXPECT_EQ(file.BOMSize(), c.BOMSize) << Visible(c.Head);
    EXPECT_EQ(file.FileSize(), std::int64_t(content.size()) - c.BOMSize) << Visible(c.Head);
    EXPECT_EQ(file.FilePos(), 0) << Visible(c.Head);
  }
}

TEST_F(TFileTest, Utf8MarkIsSkippedAndPositionsCountBehindIt) {
  const std::string content = "\xEF\xBB\xBF\xC3\xA4x\r\nline 2";
  WriteWholeFile(Folder / "utf8", content);
  TFile file;
  ASSERT_TRUE(file.Open(Name("utf8"), fmReadOnly));
  EXPECT_EQ(file.FileSize(), std::int64_t(content.size()) - 3);
  char first = 0;
  ASSERT_TRUE(file.BlockRead(&first, 1));
  EXPECT_EQ(first, '\xC3') << "position 0 is the first byte behind the mark";
  ASSERT_TRUE(file.SeekBegin());
  std::string line;
  ASSERT_TRUE(file.Readln(line));
  EXPECT_EQ(line, "\xC3\xA4x") << "UTF-8 is the platform's 8-bit text: unchanged";
  ASSERT_TRUE(file.Readln(line));
  EXPECT_EQ(line, "line 2");
  EXPECT_FALSE(file.Readln(line));
}

TEST_F(TFileTest, CrLfAndCrLfEachEndOneLine) {
  struct {
    std::string Content;
    std::vector<std::string> Lines;
  } const cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a\r\n", {"a"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"one\n\ntwo\r\n\r\nthree", {"one", "", "two", "", "three"}},
      {std::string("n\0l\tx\n", 6), {std::string("n\0l\tx", 5)}},
      {std::string(40, 'q') + "\n" + std::string(17, 'r'),
       {std::string(40, 'q'), std::string(17, 'r')}},
  };
  for (const auto& c : cases) {
    WriteWholeFile(Folder / "lines", c.Content);
    EXPECT_EQ(ReadLines(Name("lines")), c.Lines) << Visible(c.Content);
  }
}

TEST_F(TFileTest, LineBreakAcrossTheEdgeOfTheBufferCountsOnce) {
  const std::string first(FileBufferSize - 1, 'a');
  const std::string longLine(2 * FileBufferSize + 5, 'b');
  struct {
    std::string Content;
    std::vector<std::string> Lines;
  } const cases[] = {
      {first + "\r\nz", {first, "z"}}, // CR the last byte of a range, LF the first of the next
      {first + "\r\rz", {first, "", "z"}},
      {first + "\r\n", {first}},
      {first + "\r", {first}},
      {first + "x\r\nz", {first + "x", "z"}},
      {longLine + "\nz", {longLine, "z"}},
  };
  for (const auto& c : cases) {
    WriteWholeFile(Folder / "edge", c.Content);
    const auto lines = ReadLines(Name("edge"));
    ASSERT_EQ(lines.size(), c.Lines.size()) << "content of " << c.Content.size() << " bytes";
    EXPECT_TRUE(lines == c.Lines) << "content of " << c.Content.size() << " bytes";
  }
}

// The line of Text at Pos and the position behind its line break, as CR, LF and CR LF end lines.
std::pair<std::string, std::size_t> ExpectedLine(const std::string& Text, std::size_t Pos) {
  const std::size_t stop = std::min(Text.find_first_of("\r\n", Pos), Text.size());
  std::size_t next = stop + (stop < Text.size());
  if (stop < Text.size() && Text[stop] == '\r' && next < Text.size() && Text[next] == '\n')
    ++next;
  return {Text.substr(Pos, stop - Pos), next};
}

TEST_F(TFileTest, ReadlnFromAnyPositionAgreesWithTheLineBreakRules) {
  // Three buffers and more of lines of every length, with every kind of break; a CR LF is split
  // between two buffers and between two words of the line-end marks.
  std::mt19937 random(17);
  std::string text;
  while (text.size() < 3 * FileBufferSize + 999) {
    const std::size_t length = random() % 16 == 0 ? random() % 3000 : random() % 90;
    for (std::size_t i = 0; i < length; ++i)
      text += char('a' + random() % 26);
    text += std::array<const char*, 4>{"\n", "\r", "\r\n", "\n\r"}[random() % 4];
  }
  text.replace(FileBufferSize - 1, 2, "\r\n");
  text.replace(FileBufferSize + 63, 2, "\r\n");
  WriteWholeFile(Folder / "mixed", text);

  std::vector<std::string> expected;
  for (std::size_t pos = 0; pos < text.size();) {
    auto [line, next] = ExpectedLine(text, pos);
    expected.push_back(std::move(line));
    pos = next;
  }
  EXPECT_TRUE(ReadLines(Name("mixed")) == expected);

  TFile file;
  ASSERT_TRUE(file.Open(Name("mixed"), fmReadOnly));
  std::string line;
  const auto expectLineAt = [&](std::size_t Pos) {
    const auto [want, next] = ExpectedLine(text, Pos);
    EXPECT_TRUE(file.Readln(line)) << "from " << Pos;
    EXPECT_EQ(line, want) << "from " << Pos;
    EXPECT_EQ(file.FilePos(), std::int64_t(next)) << "from " << Pos;
    return next;
  };
  // Each jump reads a few lines; after its first line, often read in another buffer, it goes
  // back once to where the jump before stopped.
  std::size_t back = 0;
  for (int jump = 0; jump < 3000 && !HasFailure(); ++jump) {
    std::size_t pos = random() % text.size();
    ASSERT_TRUE(file.Seek(std::int64_t(pos)));
    for (int step = 0; step < 3 && pos < text.size(); ++step) {
      pos = expectLineAt(pos);
      if (step == 0 && back < text.size()) {
        ASSERT_TRUE(file.Seek(std::int64_t(back)));
        expectLineAt(back);
        ASSERT_TRUE(file.Seek(std::int64_t(pos)));
      }
    }
    back = pos;
  }
  ASSERT_TRUE(file.SeekEnd());
  EXPECT_FALSE(file.Readln(line));
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TFileTest, Utf16GivesOneEmptyLineAndOneWarningPerLine) {
  struct {
    std::string Content;
    std::size_t Lines;
  } const cases[] = {
      {std::string("\xFF\xFE"
                   "a\0\r\0\n\0b\0",
                   10),
       2},
      {std::string("\xFE\xFF"
                   "\0a\0\r\0b\0\n\0\n",
                   12),
       3},
      {std::string("\xFF\xFE"
                   "a\0b",
                   5),
       1}, // a last unit cut short
  };
  for (const auto& c : cases) {
    WriteWholeFile(Folder / "wide.txt", c.Content);
    Reports.Questions.clear();
    const auto lines = ReadLines(Name("wide.txt"));
    EXPECT_EQ(lines, std::vector<std::string>(c.Lines, "")) << Visible(c.Content);
    EXPECT_EQ(
        Reports.Texts(mlWarning),
        std::vector<std::string>(c.Lines, "Unsupported charset in file '" + Name("wide.txt") + "'"))
        << Visible(c.Content);
  }
}

TEST_F(TFileTest, RewriteOfANewFileWithTheStartValuesWritesTheUtf8MarkFirst) {
  TFile file;
  ASSERT_TRUE(file.Open(Name("new.txt"), fmRewrite));
  ASSERT_TRUE(file.BlockWrite("x", 1));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "new.txt"), "\xEF\xBB\xBFx");
}

TEST_F(TFileTest, OpeningAnOpenFileWarnsWithTheNewNameAndClosesTheOldWithItsTimeUpdated) {
  WriteWholeFile(Folder / "old.txt", "old");
  WriteWholeFile(Folder / "next.txt", "next");
  const auto past = fs::last_write_time(Folder / "old.txt") - std::chrono::hours(24 * 3650);
  fs::last_write_time(Folder / "old.txt", past);
  TFile file;
  ASSERT_TRUE(file.Open(Name("old.txt"), fmAppend));
  ASSERT_TRUE(file.Open(Name("next.txt"), fmReadOnly));
  EXPECT_EQ(Reports.Texts(mlWarning),
            std::vector<std::string>{"Forcing close file '" + Name("next.txt") + "'."});
  EXPECT_GT(fs::last_write_time(Folder / "old.txt"), past);
  EXPECT_EQ(file.FileName(), Name("next.txt"));
  EXPECT_EQ(file.FileSize(), 4);
}

TEST_F(TFileTest, TracesEveryOpenReadWriteAndClose) {
  WriteWholeFile(Folder / "in.txt", "ab");
  {
    TFile file;
    std::string line;
    ASSERT_TRUE(file.Open(Name("in.txt"), fmReadOnly));
    ASSERT_TRUE(file.Readln(line));
    ASSERT_TRUE(file.Close());
  }
  const std::string in = Name("in.txt");
  EXPECT_EQ(Reports.Log, (std::vector<std::string>{
                             "Debug: Opening for Read Only " + in,
                             "Debug: Reading 2 bytes from " + in, // looking for a mark
                             "Debug: Reading 2 bytes from " + in, // the buffer
                             "Debug: Closing " + in,
                         }));
  Reports.Log.clear();
  {
    TFile file;
    ASSERT_TRUE(file.Open(Name("out.txt"), fmRewrite));
    ASSERT_TRUE(file.BlockWrite("x", 1));
    ASSERT_TRUE(file.Close());
  }
  const std::string temp = AppTempDir + "~out.txt", out = Name("out.txt");
  EXPECT_EQ(Reports.Log, (std::vector<std::string>{
                             "Debug: Opening for Rewrite " + temp,
                             "Debug: Writing 3 bytes to " + temp,
                             "Debug: Writing 1 byte to " + temp,
                             "Debug: Closing " + temp,
                             "Debug: Copy file \"" + temp + "\" to \"" + out + "\"",
                             "Debug: Delete file \"" + temp + "\"",
                         }));
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TFileTest, ShortReadIsAWarning) {
  WriteWholeFile(Folder / "short", "abc");
  TFile file;
  ASSERT_TRUE(file.Open(Name("short"), fmReadOnly));
  char buffer[8];
  EXPECT_FALSE(file.BlockRead(buffer, sizeof buffer));
  EXPECT_EQ(file.FilePos(), 3);
  EXPECT_EQ(Reports.Texts(mlWarning),
            std::vector<std::string>{"Reading only 3 bytes/8 bytes from " + Name("short")});
}

TEST_F(TFileTest, ProtectedTargetChangesOnlyWhenClosed) {
  WriteWholeFile(Folder / "t.txt", "old content that is longer");
  TFile file;
  file.Charset = fcAnsi;
  ASSERT_TRUE(file.Open(Name("t.txt"), fmRewrite));
  EXPECT_EQ(file.TempFileName(), AppTempDir + "~t.txt");
  ASSERT_TRUE(file.BlockWrite("new", 3));
  EXPECT_EQ(ReadWholeFile(Folder / "t.txt"), "old content that is longer");
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "t.txt"), "new");
  EXPECT_TRUE(TempCopies().empty());
}

TEST_F(TFileTest, ForcedCloseAndDestructionLeaveTheTargetAndKeepTheCopy) {
  for (bool destroy : {false, true}) {
    WriteWholeFile(Folder / "t.txt", "old");
    Reports.Questions.clear();
    {
      TFile file;
      file.Charset = fcAnsi;
      ASSERT_TRUE(file.Open(Name("t.txt"), fmRewrite));
      ASSERT_TRUE(file.BlockWrite("new", 3));
      if (!destroy) {
        EXPECT_TRUE(file.Close(true, true));
      }
    }
    EXPECT_EQ(ReadWholeFile(Folder / "t.txt"), "old") << "destroyed " << destroy;
    EXPECT_EQ(ReadWholeFile(Folder / "apptemp" / "~t.txt"), "new") << "destroyed " << destroy;
    EXPECT_EQ(Reports.Texts(mlWarning),
              destroy
                  ? std::vector<std::string>{"Forcing close of file '" + AppTempDir + "~t.txt'."}
                  : std::vector<std::string>{});
  }
}

TEST_F(TFileTest, ReadAndWriteWorksOnACopyAndSeesWhatItWrote) {
  WriteWholeFile(Folder / "rw.txt", "\xEF\xBB\xBF"
                                    "one\ntwo\n");
  TFile file;
  ASSERT_TRUE(file.Open(Name("rw.txt"), fmReadAndWrite));
  std::string line;
  ASSERT_TRUE(file.Readln(line));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(file.SeekEnd());
  ASSERT_TRUE(file.BlockWrite("three\n", 6));
  EXPECT_EQ(file.FileSize(), 14) << "the end of the file moves with what is written";
  ASSERT_TRUE(file.Seek(4));
  ASSERT_TRUE(file.BlockWrite("TWO", 3));
  ASSERT_TRUE(file.SeekBegin());
  std::vector<std::string> lines;
  while (file.Readln(line))
    lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "TWO", "three"}));
  ASSERT_TRUE(file.Seek(3));
  ASSERT_TRUE(file.Truncate());
  EXPECT_EQ(ReadWholeFile(Folder / "rw.txt"), "\xEF\xBB\xBF"
                                              "one\ntwo\n");
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "rw.txt"), "\xEF\xBB\xBF"
                                              "one");
}

TEST_F(TFileTest, ALineWrittenOverWhereReadingStoppedReadsAsWritten) {
  WriteWholeFile(Folder / "rw.txt", "one\ntwo\nsix\n");
  TFile file;
  file.Charset = fcAnsi;
  ASSERT_TRUE(file.Open(Name("rw.txt"), fmReadAndWrite));
  std::string line;
  for (const char* expected : {"one", "two"}) {
    ASSERT_TRUE(file.Readln(line));
    EXPECT_EQ(line, expected);
  }
  ASSERT_TRUE(file.BlockWrite("SIX", 3));
  ASSERT_TRUE(file.Seek(8));
  ASSERT_TRUE(file.Readln(line));
  EXPECT_EQ(line, "SIX");
}

TEST_F(TFileTest, AppendWritesBehindTheEndOrStartsWithTheMark) {
  WriteWholeFile(Folder / "log.txt", "ab");
  WriteWholeFile(Folder / "empty.txt", "");
  for (const char* name : {"log.txt", "empty.txt"}) {
    TFile file;
    ASSERT_TRUE(file.Open(Name(name), fmAppend)) << name;
    ASSERT_TRUE(file.BlockWrite("c", 1)) << name;
    ASSERT_TRUE(file.Close()) << name;
  }
  EXPECT_EQ(ReadWholeFile(Folder / "log.txt"), "abc");
  EXPECT_EQ(ReadWholeFile(Folder / "empty.txt"), "\xEF\xBB\xBF"
                                                 "c");
}

TEST_F(TFileTest, FlagEightLeavesTheMarkAlone) {
  WriteWholeFile(Folder / "marked", "\xEF\xBB\xBFz");
  TFile reader;
  ASSERT_TRUE(reader.Open(Name("marked"), fmReadOnly, FileFlagNoBOM));
  EXPECT_EQ(reader.BOMSize(), 0);
  EXPECT_EQ(reader.FileSize(), 4);
  TFile writer;
  ASSERT_TRUE(writer.Open(Name("plain"), fmRewrite, FILE_FLAG_SEQUENTIAL_SCAN | FileFlagNoBOM));
  ASSERT_TRUE(writer.BlockWrite("z", 1));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "plain"), "z");
}

TEST_F(TFileTest, SameNamesInTwoFoldersWrittenAtOnceKeepTheirOwnCopies) {
  fs::create_directory(Folder / "a");
  fs::create_directory(Folder / "b");
  TFile first, second;
  first.Charset = second.Charset = fcAnsi;
  ASSERT_TRUE(first.Open(Name("a/same.ini"), fmRewrite));
  ASSERT_TRUE(second.Open(Name("b/same.ini"), fmRewrite));
  EXPECT_NE(first.TempFileName(), second.TempFileName());
  ASSERT_TRUE(first.BlockWrite("first", 5));
  ASSERT_TRUE(second.BlockWrite("second", 6));
  ASSERT_TRUE(second.Close());
  ASSERT_TRUE(first.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "a" / "same.ini"), "first");
  EXPECT_EQ(ReadWholeFile(Folder / "b" / "same.ini"), "second");
}

TEST_F(TFileTest, CloseIntoAFolderThatVanishedKeepsTheCopyAndFails) {
  fs::create_directory(Folder / "gone");
  TFile file;
  file.Charset = fcAnsi;
  ASSERT_TRUE(file.Open(Name("gone/x.txt"), fmRewrite));
  ASSERT_TRUE(file.BlockWrite("kept", 4));
  fs::remove(Folder / "gone");
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(Reports.Texts(mlError),
            std::vector<std::string>{ErrorCodeToStr(ENOENT) + "\n'" + Name("gone/x.txt") + "'"});
  EXPECT_EQ(ReadWholeFile(Folder / "apptemp" / "~x.txt"), "kept");
}

TEST_F(TFileTest, ClosingAClosedFileWarns) {
  TFile file;
  EXPECT_FALSE(file.Close());
  WriteWholeFile(Folder / "x", "");
  ASSERT_TRUE(file.Open(Name("x"), fmReadOnly));
  ASSERT_TRUE(file.Close());
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(Reports.Texts(mlWarning),
            (std::vector<std::string>{"Cannot again close file ''.",
                                      "Cannot again close file '" + Name("x") + "'."}));
}

TEST_F(TFileTest, DeleteAfterCloseDeletesTheFileOrDropsTheChanges) {
  WriteWholeFile(Folder / "read", "r");
  WriteWholeFile(Folder / "written", "old");
  TFile reader, writer;
  reader.DeleteAfterClose = writer.DeleteAfterClose = true;
  ASSERT_TRUE(reader.Open(Name("read"), fmReadOnly));
  ASSERT_TRUE(reader.Close());
  EXPECT_FALSE(fs::exists(Folder / "read"));
  ASSERT_TRUE(writer.Open(Name("written"), fmRewrite));
  ASSERT_TRUE(writer.BlockWrite("new", 3));
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "written"), "old");
  EXPECT_TRUE(TempCopies().empty());
}

TEST_F(TFileTest, RelativeNamesComeFromTheProgramDirectoryNotTheCurrentOne) {
  fs::create_directories(Folder / "prog" / "Data");
  fs::create_directory(Folder / "elsewhere");
  ExeDir = Name("prog/");
  TCurrentFolderGuard current(Folder / "elsewhere");
  TFile file;
  file.Protection = false;
  ASSERT_TRUE(file.Open("Data/../Data/a.txt", fmRewrite));
  EXPECT_EQ(file.TempFileName(), Name("prog/Data/a.txt"));
  ASSERT_TRUE(file.Close());
  EXPECT_TRUE(fs::exists(Folder / "prog" / "Data" / "a.txt"));
  EXPECT_FALSE(fs::exists(Folder / "elsewhere" / "Data"));
}

} // namespace

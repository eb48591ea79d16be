// The file helpers: copy, delete, sizes and times, whole files, and file-dialog filters.

#include "EnvTestSupport.h"
#include "env/uFile.h"
#include "env/uFileFilters.h"
#include "env/uFileHelpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using TFileHelpersTest = TEnvTest;

TEST_F(TFileHelpersTest, CopyFileExLogsAndCopiesContentAndLastWriteTime) {
  WriteWholeFile(Folder / "src", "content");
  const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Name("src").c_str(), times, 0), 0);
  EXPECT_TRUE(CopyFileEx(Name("src"), Name("dst"), false));
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "content");
  TFileTime lastWrite;
  ASSERT_TRUE(GetFileModified(Name("dst"), lastWrite));
  EXPECT_EQ(lastWrite, (TFileTime{1000000000, 5}));
  EXPECT_EQ(Reports.Log, std::vector<std::string>{"Debug: Copy file \"" + Name("src") + "\" to \"" +
                                                  Name("dst") + "\""});
}

TEST_F(TFileHelpersTest, CopyFileExReplacesAReadOnlyTargetAndKeepsItsPermissions) {
  WriteWholeFile(Folder / "src", "new");
  WriteWholeFile(Folder / "dst", "old");
  fs::permissions(Folder / "dst", fs::perms::owner_read);
  EXPECT_TRUE(CopyFileEx(Name("src"), Name("dst"), false));
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "new");
  EXPECT_EQ(fs::status(Folder / "dst").permissions(), fs::perms::owner_read);
}

TEST_F(TFileHelpersTest, CopyFileExWritesThroughALinkedTarget) {
  WriteWholeFile(Folder / "src", "new");
  WriteWholeFile(Folder / "real", "old");
  fs::create_symlink(Folder / "real", Folder / "link");
  EXPECT_TRUE(CopyFileEx(Name("src"), Name("link"), false));
  EXPECT_TRUE(fs::is_symlink(Folder / "link"));
  EXPECT_EQ(ReadWholeFile(Folder / "real"), "new");
}

TEST_F(TFileHelpersTest, CopyFileExAsksRetryWithBothNamesOnItsOwnLines) {
  WriteWholeFile(Folder / "src", "new");
  WriteWholeFile(Folder / "dst", "old");
  Reports.AnswerAlways(AnswerIgnore);
  EXPECT_FALSE(CopyFileEx(Name("src"), Name("dst"), true));
  EXPECT_FALSE(CopyFileEx(Name("missing"), Name("other"), false));
  const std::vector<std::string> expected = {
      ErrorCodeToStr(EEXIST) + "\nDuring copying file \n" + Name("src") + "\nto\n" + Name("dst"),
      ErrorCodeToStr(ENOENT) + "\nDuring copying file \n" + Name("missing") + "\nto\n" +
          Name("other"),
  };
  EXPECT_EQ(Reports.Texts(mlError), expected);
  EXPECT_EQ(Reports.RetryQuestions(), 2u);
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "old");
  EXPECT_FALSE(fs::exists(Folder / "other"));
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder.Path()), fs::directory_iterator()), 3)
      << "no half-made copy is left beside the target";
}

TEST_F(TFileHelpersTest, DeleteFileExLogsAndReportsAFailure) {
  WriteWholeFile(Folder / "file", "");
  EXPECT_TRUE(DeleteFileEx(Name("file")));
  EXPECT_FALSE(fs::exists(Folder / "file"));
  EXPECT_FALSE(DeleteFileEx(Name("file")));
  EXPECT_EQ(Reports.Log,
            (std::vector<std::string>{"Debug: Delete file \"" + Name("file") + "\"",
                                      "Debug: Delete file \"" + Name("file") + "\"",
                                      "Error: " + ErrorCodeToStr(ENOENT) + ": " + Name("file")}));
  EXPECT_EQ(Reports.RetryQuestions(), 0u);
}

TEST_F(TFileHelpersTest, GetFileSize64GivesTheSizeOrMinusOne) {
  WriteWholeFile(Folder / "file", std::string(5000, 'x'));
  const int handle = ::open(Name("file").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(GetFileSize64(handle), 5000);
  TFaultyOps ops;
  TFileOpsScope installed(ops);
  ops.Fault[foSize] = EIO;
  Reports.AnswerAlways(AnswerIgnore);
  EXPECT_EQ(GetFileSize64(handle), -1);
  EXPECT_EQ(Reports.Texts(mlError), std::vector<std::string>{ErrorCodeToStr(EIO)});
  ::close(handle);
}

TEST(FileTimeToDateTime, GivesTheLocalDateAndTime) {
  TEnvironmentGuard environment;
  struct {
    const char* Zone;
    TFileTime Time;
    double Expected;
  } const cases[] = {
      {"UTC0", {0, 0}, 25569.0},
      {"UTC0", {2 * 86400 + 43200, 0}, 25571.5},
      {"UTC0", {86400 + 6 * 3600, 500000000}, 25570.25 + 0.5 / 86400},
      {"UTC0", {-25570LL * 86400 + 6 * 3600, 0}, -1.25}, // 1899-12-29 06:00
      {"UTC0", {-25569LL * 86400, 0}, 0.0},
      {"EET-2", {0, 0}, 25569.0 + 2.0 / 24},
      {"XST+10", {0, 0}, 25568.0 + 14.0 / 24},
  };
  for (const auto& c : cases) {
    environment.Set("TZ", c.Zone);
    ::tzset();
    EXPECT_NEAR(FileTimeToDateTime(c.Time), c.Expected, 1e-9)
        << c.Zone << " " << c.Time.Seconds << "s";
  }
}

TEST_F(TFileHelpersTest, GetFileTimesReadsTheTimesOrZeroesThem) {
  WriteWholeFile(Folder / "file", "");
  const timespec times[2] = {{1200000000, 7}, {1300000000, 9}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Name("file").c_str(), times, 0), 0);
  TFileTime creation{1, 1}, lastAccess{1, 1}, lastWrite{1, 1};
  EXPECT_TRUE(GetFileTimes(Name("file"), creation, lastAccess, lastWrite));
  EXPECT_EQ(lastAccess, (TFileTime{1200000000, 7}));
  EXPECT_EQ(lastWrite, (TFileTime{1300000000, 9}));
  EXPECT_TRUE(GetFileTimes(Name(""), creation, lastAccess, lastWrite)) << "a directory";
  EXPECT_FALSE(GetFileTimes(Name("missing"), creation, lastAccess, lastWrite));
  EXPECT_EQ(creation, TFileTime());
  EXPECT_EQ(lastAccess, TFileTime());
  EXPECT_EQ(lastWrite, TFileTime());
  EXPECT_EQ(Reports.Texts(mlError),
            std::vector<std::string>{ErrorCodeToStr(ENOENT) + "\n'" + Name("missing") + "'"});
}

TEST_F(TFileHelpersTest, WholeBlocksGoThroughTFileWithoutAMark) {
  const std::string data = "\0\xEF\xBB\xBF binary\r\n\xFF"s;
  WriteWholeFile(Folder / "block", "old content, longer than the new one");
  EXPECT_TRUE(WriteBlockToFile(Name("block"), data.data(), data.size()));
  EXPECT_EQ(ReadWholeFile(Folder / "block"), data);
  std::vector<std::uint8_t> read;
  EXPECT_TRUE(ReadBlockFromFile(Name("block"), read));
  EXPECT_EQ(std::string(read.begin(), read.end()), data);
  EXPECT_TRUE(TempCopies().empty());

  WriteWholeFile(Folder / "marked", "\xEF\xBB\xBFtext");
  EXPECT_TRUE(ReadBlockFromFile(Name("marked"), read));
  EXPECT_EQ(std::string(read.begin(), read.end()), "text");

  WriteWholeFile(Folder / "empty", "");
  EXPECT_TRUE(ReadBlockFromFile(Name("empty"), read));
  EXPECT_TRUE(read.empty());
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TFileHelpersTest, AFileThatCannotBeReadGivesNothing) {
  Reports.AnswerAlways(AnswerIgnore);
  std::vector<std::uint8_t> data{1, 2};
  std::string text = "x";
  EXPECT_FALSE(ReadBlockFromFile(Name("missing"), data));
  EXPECT_FALSE(ReadStringFromFile(Name("missing"), text));
  EXPECT_TRUE(data.empty());
  EXPECT_TRUE(text.empty());
}

TEST_F(TFileHelpersTest, ReadStringFromFileSkipsTheMark) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF\xC3\xA4 utf-8", "\xC3\xA4 utf-8"},
      {"plain", "plain"},
      {"\xFF\xFEw\0i\0"s, "w\0i\0"s}, // other character sets come as raw bytes
  };
  for (const auto& [content, expected] : cases) {
    WriteWholeFile(Folder / "text", content);
    std::string text;
    EXPECT_TRUE(ReadStringFromFile(Name("text"), text));
    EXPECT_EQ(text, expected);
  }
}

TEST(FileFilters, JoinDescriptionsAndPatterns) {
  EXPECT_EQ(MakeFilter("Text", {"txt", "*.log"}), "Text (*.txt;*.log)|*.txt;*.log");
  EXPECT_EQ(AllFilesFilter(), "All Files (*.*)|*.*");
  EXPECT_EQ(MakeFilterList({"bmp", "png"}, {"Bitmap", "Portable Network Graphics"}),
            "Any (bmp, png)|*.bmp;*.png|Bitmap (*.bmp)|*.bmp|"
            "Portable Network Graphics (*.png)|*.png|");
  EXPECT_EQ(MakeFilterList({"bmp"}, {"Bitmap"}), "Bitmap (*.bmp)|*.bmp|");
  EXPECT_EQ(MakeFilterList({}, {}), "");
  EXPECT_EQ(MakeFilterList({"a", "b"}, {"A"}), "Any (a, b)|*.a;*.b|A (*.a)|*.a| (*.b)|*.b|");
  EXPECT_EQ(MakeFilterListAll({"wav"}, {"Wave"}), "Wave (*.wav)|*.wav|All Files (*.*)|*.*");
}

} // namespace

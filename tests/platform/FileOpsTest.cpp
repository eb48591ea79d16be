#include "platform/uFileOps.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// The platform's operations whose reads fail after the first FailAfter pieces.
class TFailingReads : public TFileOps {
 public:
  int FailAfter = 1;
  int Read(int Handle, void* Buffer, std::size_t Count, std::int64_t Offset,
           std::size_t& Done) override {
    if (FailAfter-- <= 0) {
      Done = 0;
      return EIO;
    }
    return TFileOps::Read(Handle, Buffer, Count, Offset, Done);
  }
};

class TFileOpsTest : public testing::Test {
 protected:
  std::string Name(const std::string& Part) const { return (Folder / Part).string(); }
  void Write(const std::string& Part, const std::string& Content) const {
    std::ofstream(Folder / Part, std::ios::binary) << Content;
  }
  std::size_t Entries() const {
    return std::distance(fs::directory_iterator(Folder.Path()), fs::directory_iterator());
  }

  TFileOps Ops;
  TTempFolder Folder;
};

TEST_F(TFileOpsTest, ADirectoryCannotBeOpenedAsAFile) {
  int handle = 7;
  EXPECT_EQ(Ops.Open(Folder.Path().string(), O_RDONLY, 0, handle), EISDIR);
  EXPECT_EQ(handle, -1);
}

TEST_F(TFileOpsTest, ReadAndWriteTransferAtTheirOffsetAndStopAtTheEnd) {
  int handle = -1;
  ASSERT_EQ(Ops.Open(Name("f"), O_RDWR | O_CREAT, 0600, handle), 0);
  std::size_t done = 0;
  EXPECT_EQ(Ops.Write(handle, "abcdef", 6, 0, done), 0);
  EXPECT_EQ(done, 6u);
  EXPECT_EQ(Ops.Write(handle, "XY", 2, 2, done), 0);
  char buffer[10] = {};
  EXPECT_EQ(Ops.Read(handle, buffer, sizeof buffer, 1, done), 0);
  EXPECT_EQ(std::string(buffer, done), "bXYef");
  std::int64_t size = 0;
  EXPECT_EQ(Ops.Size(handle, size), 0);
  EXPECT_EQ(size, 6);
  EXPECT_EQ(Ops.Seek(handle, -1), EINVAL);
  EXPECT_EQ(Ops.Close(handle), 0);
  EXPECT_EQ(handle, -1);
  EXPECT_EQ(Ops.Close(handle), EBADF);
}

TEST_F(TFileOpsTest, CopyGivesANewTargetTheSourcesPermissionsAndAnOldOneItsOwn) {
  Write("src", "new");
  ::chmod(Name("src").c_str(), 0640);
  Write("old", "old");
  ::chmod(Name("old").c_str(), 0600);
  EXPECT_EQ(Ops.Copy(Name("src"), Name("fresh"), false), 0);
  EXPECT_EQ(Ops.Copy(Name("src"), Name("old"), false), 0);
  struct stat status;
  ASSERT_EQ(::stat(Name("fresh").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  ASSERT_EQ(::stat(Name("old").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  EXPECT_EQ(Entries(), 3u) << "no temporary file is left";
}

TEST_F(TFileOpsTest, CopyWithFailIfExistsLeavesAnExistingTarget) {
  Write("src", "new");
  Write("dst", "old");
  EXPECT_EQ(Ops.Copy(Name("src"), Name("dst"), true), EEXIST);
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "old");
  EXPECT_EQ(Ops.Copy(Name("src"), Name("other"), true), 0);
  EXPECT_EQ(Entries(), 3u);
}

TEST_F(TFileOpsTest, AFailedCopyLeavesTheTargetAndNoTemporaryFile) {
  Write("src", std::string(1 << 20, 's'));
  Write("dst", "old");
  TFailingReads failing;
  EXPECT_EQ(failing.Copy(Name("src"), Name("dst"), false), EIO);
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "old");
  EXPECT_EQ(Entries(), 2u);
  EXPECT_EQ(Ops.Copy(Name("src"), Name("missing/dst"), false), ENOENT);
}

TEST_F(TFileOpsTest, RenameWithNoReplaceRefusesAnExistingTarget) {
  Write("a", "a");
  Write("b", "b");
  EXPECT_EQ(Ops.Rename(Name("a"), Name("b"), true), EEXIST);
  EXPECT_EQ(Ops.Rename(Name("a"), Name("b"), false), 0);
  EXPECT_EQ(ReadWholeFile(Folder / "b"), "a");
}

TEST_F(TFileOpsTest, KindTellsFilesDirectoriesAndLinksApart) {
  Write("file", "");
  fs::create_symlink(Folder / "file", Folder / "link");
  fs::create_symlink(Folder / "nowhere", Folder / "dangling");
  EXPECT_EQ(Ops.Kind(Name("file"), true), fkFile);
  EXPECT_EQ(Ops.Kind(Folder.Path().string(), true), fkDirectory);
  EXPECT_EQ(Ops.Kind(Name("link"), true), fkFile);
  EXPECT_EQ(Ops.Kind(Name("link"), false), fkLink);
  EXPECT_EQ(Ops.Kind(Name("dangling"), true), fkNone);
  EXPECT_EQ(Ops.Kind("/dev/null", true), fkOther);
  EXPECT_EQ(Ops.Kind(Name("missing"), false), fkNone);
}

} // namespace

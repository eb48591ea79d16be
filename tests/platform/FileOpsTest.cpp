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

TEST_F(TFileOpsTest, AFailedCopyLeavesTheTargetAndNoTemporaryFile) {
  Write("src", std::string(1 << 20, 's'));
  Write("dst", "old");
  TFailingReads failing;
  EXPECT_EQ(failing.Copy(Name("src"), Name("dst"), false), EIO);
  EXPECT_EQ(ReadWholeFile(Folder / "dst"), "old");
  EXPECT_EQ(Entries(), 2u);
  EXPECT_EQ(Ops.Copy(Name("src"), Name("missing/dst"), false), ENOENT);
}

} // namespace

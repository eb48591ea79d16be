// Failures of the platform while files are read and written: every one asks Retry or Ignore;
// Ignore gives False and leaves nothing open, Retry after the fault is gone succeeds.

#include "EnvTestSupport.h"
#include "env/uFile.h"
#include "env/uFileHelpers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;

class TFileFaultTest : public TEnvTest {
 protected:
  TFileFaultTest() { WriteWholeFile(Folder / "target", "old"); }

  TFaultyOps Ops;
  TFileOpsScope Installed{Ops};
};

struct TFaultCase {
  const char* Name;
  // Runs an operation with a fault injected into Ops at the right moment; true on success.
  std::function<bool(TFaultyOps& Ops, const std::string& Target)> Run;
  // What the target holds after an ignored fault, and after a successful retry.
  const char* Ignored;
  const char* Retried;
};

const TFaultCase FaultCases[] = {
    {"open",
     [](TFaultyOps& Ops, const std::string& Target) {
       Ops.Fault[foOpen] = EACCES;
       TFile file;
       return file.Open(Target, fmReadOnly);
     },
     "old", "old"},
    {"size",
     [](TFaultyOps& Ops, const std::string& Target) {
       Ops.Fault[foSize] = EIO;
       TFile file;
       return file.Open(Target, fmReadOnly);
     },
     "old", "old"},
    {"read",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       char buffer[3] = {};
       if (!file.Open(Target, fmReadOnly))
         return false;
       Ops.Fault[foRead] = EIO;
       return file.BlockRead(buffer, 3) && std::memcmp(buffer, "old", 3) == 0 &&
              file.FilePos() == 3;
     },
     "old", "old"},
    {"read a line",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       std::string line;
       if (!file.Open(Target, fmReadOnly))
         return false;
       Ops.Fault[foRead] = EIO;
       const bool read = file.Readln(line);
       if (!read) {
         EXPECT_EQ(file.FilePos(), 0) << "a line that cannot be read is not consumed";
         EXPECT_EQ(line, "");
       }
       return read && line == "old";
     },
     "old", "old"},
    {"write",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Charset = fcAnsi;
       if (!file.Open(Target, fmRewrite))
         return false;
       Ops.Fault[foWrite] = ENOSPC;
       const bool written = file.BlockWrite("new", 3);
       return file.Close(true, !written) && written;
     },
     "old", "new"},
    {"seek",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       if (!file.Open(Target, fmReadOnly))
         return false;
       Ops.Fault[foSeek] = EINVAL;
       return file.Seek(2) && file.FilePos() == 2;
     },
     "old", "old"},
    {"truncate",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Protection = false;
       if (!file.Open(Target, fmReadAndWrite) || !file.Seek(1))
         return false;
       Ops.Fault[foTruncate] = EIO;
       return file.Truncate() && file.Close();
     },
     "old", "o"},
    {"close",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Charset = fcAnsi;
       if (!file.Open(Target, fmRewrite) || !file.BlockWrite("new", 3))
         return false;
       Ops.Fault[foClose] = EIO;
       return file.Close() && !file.Opened();
     },
     "old", "new"},
    {"copy over the target at close",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Charset = fcAnsi;
       if (!file.Open(Target, fmRewrite) || !file.BlockWrite("new", 3))
         return false;
       Ops.Fault[foCopy] = EIO;
       return file.Close();
     },
     "old", "new"},
    {"copy of the target at open",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       Ops.Fault[foCopy] = EIO;
       if (!file.Open(Target, fmReadAndWrite, FileFlagNoBOM) || !file.Seek(3))
         return false;
       return file.BlockWrite("er", 2) && file.Close();
     },
     "old", "older"},
    {"emptying the target at a rewrite's open",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Charset = fcAnsi;
       file.Protection = false;
       Ops.Fault[foTruncate] = EIO;
       return file.Open(Target, fmRewrite) && file.BlockWrite("new", 3) && file.Close();
     },
     "old", "new"},
    {"the byte-order mark at a rewrite's open",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       file.Charset = fcUTF8;
       Ops.Fault[foWrite] = ENOSPC;
       return file.Open(Target, fmRewrite) && file.BlockWrite("new", 3) && file.Close();
     },
     "old", "\xEF\xBB\xBFnew"},
    {"the byte-order mark at an append's open",
     [](TFaultyOps& Ops, const std::string& Target) {
       WriteWholeFile(fs::path(Target), "");
       TFile file;
       file.Charset = fcUTF8;
       Ops.Fault[foWrite] = ENOSPC;
       return file.Open(Target, fmAppend) && file.BlockWrite("new", 3) && file.Close();
     },
     "", "\xEF\xBB\xBFnew"},
    {"the byte-order mark read at open",
     [](TFaultyOps& Ops, const std::string& Target) {
       TFile file;
       std::string line;
       Ops.Fault[foRead] = EIO;
       return file.Open(Target, fmReadOnly) && file.Readln(line) && line == "old" && file.Close();
     },
     "old", "old"},
    {"whole file written",
     [](TFaultyOps& Ops, const std::string& Target) {
       Ops.Fault[foWrite] = ENOSPC;
       return WriteBlockToFile(Target, "new", 3);
     },
     "old", "new"},
};

TEST_F(TFileFaultTest, IgnoreGivesFalseAndLeavesNothingOpenNorTheTargetChanged) {
  Reports.AnswerAlways(AnswerIgnore);
  for (const TFaultCase& c : FaultCases) {
    Ops.Fault.fill(0);
    Reports.Questions.clear();
    WriteWholeFile(Folder / "target", "old");
    const int descriptors = OpenDescriptors();
    EXPECT_FALSE(c.Run(Ops, Name("target"))) << c.Name;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.Name;
    EXPECT_EQ(Reports.RetryQuestions(), 1u) << c.Name;
    EXPECT_EQ(ReadWholeFile(Folder / "target"), c.Ignored) << c.Name;
  }
}

// An open that fails after its temporary copy was made leaves no copy behind.
TEST_F(TFileFaultTest, AnOpenGivenUpLeavesNoTemporaryCopy) {
  Reports.AnswerAlways(AnswerIgnore);
  for (const TFileMode mode : {fmRewrite, fmReadAndWrite}) {
    TFile file;
    file.Charset = fcUTF8;
    Ops.Fault[mode == fmRewrite ? foWrite : foRead] = EIO;
    EXPECT_FALSE(file.Open(Name("target"), mode)) << FileModeName(mode);
    EXPECT_FALSE(file.Opened()) << FileModeName(mode);
    EXPECT_TRUE(TempCopies().empty()) << FileModeName(mode);
    Ops.Fault.fill(0);
  }
}

TEST_F(TFileFaultTest, RetryAfterTheFaultIsGoneSucceeds) {
  Reports.Answer = [this](const TQuestion&) {
    Ops.Fault.fill(0);
    return AnswerRetry;
  };
  for (const TFaultCase& c : FaultCases) {
    Reports.Questions.clear();
    WriteWholeFile(Folder / "target", "old");
    const int descriptors = OpenDescriptors();
    EXPECT_TRUE(c.Run(Ops, Name("target"))) << c.Name;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.Name;
    EXPECT_EQ(Reports.RetryQuestions(), 1u) << c.Name;
    EXPECT_EQ(ReadWholeFile(Folder / "target"), c.Retried) << c.Name;
    EXPECT_TRUE(TempCopies().empty()) << c.Name;
  }
}

TEST_F(TFileFaultTest, AnIgnoredCopyAtCloseKeepsWhatWasWrittenInTheTemporaryCopy) {
  Reports.AnswerAlways(AnswerIgnore);
  TFile file;
  file.Charset = fcAnsi;
  ASSERT_TRUE(file.Open(Name("target"), fmRewrite));
  ASSERT_TRUE(file.BlockWrite("new", 3));
  Ops.Fault[foCopy] = EIO;
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(ReadWholeFile(Folder / "apptemp" / "~target"), "new");
}

TEST_F(TFileFaultTest, AQuestionThatIsAlwaysAnsweredWithRetryEnds) {
  Reports.AnswerAlways(AnswerRetry);
  TFile file;
  ASSERT_TRUE(file.Open(Name("target"), fmReadOnly));
  Ops.Fault[foRead] = EIO;
  Ops.Calls[foRead] = 0;
  char buffer[3];
  EXPECT_FALSE(file.BlockRead(buffer, 3));
  EXPECT_EQ(Ops.Calls[foRead], MaxRetries + 1);
}

TEST_F(TFileFaultTest, ACopyQuestionWithoutAnAnswerEnds) {
  // No answer counts as Retry for the copy question.
  Reports.Answer = nullptr;
  Ops.Fault[foCopy] = EIO;
  EXPECT_FALSE(CopyFileEx(Name("target"), Name("copy"), false));
  EXPECT_EQ(Ops.Calls[foCopy], MaxRetries + 1);
}

TEST_F(TFileFaultTest, RealFailuresOfThePlatformAskToo) {
  Reports.AnswerAlways(AnswerIgnore);
  fs::create_directory(Folder / "dir");
  struct {
    const char* Name;
    std::function<bool()> Run;
    int Code;
  } const cases[] = {
      {"missing file",
       [&] {
         TFile file;
         return file.Open(Name("missing"), fmReadOnly);
       },
       ENOENT},
      {"directory",
       [&] {
         TFile file;
         return file.Open(Name("dir"), fmReadOnly);
       },
       EISDIR},
      {"negative position",
       [&] {
         TFile file;
         return file.Open(Name("target"), fmReadOnly) && file.Seek(-1);
       },
       EINVAL},
      {"full disk",
       [&] {
         TFile file;
         file.Charset = fcAnsi;
         return file.Open("/dev/full", fmAppend) && file.BlockWrite("x", 1);
       },
       ENOSPC},
      {"closed file",
       [&] {
         TFile file;
         char c;
         return file.BlockRead(&c, 1);
       },
       EBADF},
  };
  for (const auto& c : cases) {
    Reports.Questions.clear();
    const int descriptors = OpenDescriptors();
    EXPECT_FALSE(c.Run()) << c.Name;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.Name;
    ASSERT_EQ(Reports.RetryQuestions(), 1u) << c.Name;
    for (const TQuestion& question : Reports.Questions) {
      if (question.AsksRetry()) {
        EXPECT_EQ(question.Text.rfind(ErrorCodeToStr(c.Code) + "\n", 0), 0u)
            << c.Name << ": " << question.Text;
      }
    }
  }
}

} // namespace

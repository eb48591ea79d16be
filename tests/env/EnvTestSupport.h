#pragma once

// Helpers of the environment tests: a message dialog and a log sink that record what they get,
// a platform layer that fails on demand, the path variables put back after a test, and a fixture
// with a temporary folder that holds the program's temporary directory.

#include "env/uPaths.h"
#include "platform/uFileOps.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One entry of the message dialog.
struct TQuestion {
  std::string Text; // with the parameters filled in
  TArrayOfString Buttons;
  TMessageLevel Level = mlNone;

  bool AsksRetry() const { return Buttons.size() == 2 && Buttons[0] == "&Retry"; }
};

// The answers of Retry/Ignore questions, as indexes of their buttons.
inline constexpr std::int32_t AnswerRetry = 0;
inline constexpr std::int32_t AnswerIgnore = 1;

// Records every dialog entry and every log line for its lifetime. Each entry is answered by
// Answer, which gives no answer (-1) unless a test sets it.
class TReportRecorder {
 public:
  TReportRecorder() {
    SetMainLog(std::make_unique<TSink>(Log));
    Previous_ = SetShowQueuedMessage([this](const std::string& Text, const TArrayOfString& Params,
                                            bool, TMessageLevel Level,
                                            const TArrayOfString& Buttons, std::uint16_t) {
      Questions.push_back({ReplaceParams(Text, Params), Buttons, Level});
      return Answer ? Answer(Questions.back()) : -1;
    });
  }
  TReportRecorder(const TReportRecorder&) = delete;
  TReportRecorder& operator=(const TReportRecorder&) = delete;
  ~TReportRecorder() {
    SetShowQueuedMessage(std::move(Previous_));
    SetMainLog(nullptr);
  }

  // Answers every question with Index.
  void AnswerAlways(std::int32_t Index) {
    Answer = [Index](const TQuestion&) { return Index; };
  }
  // The texts of the entries at Level.
  std::vector<std::string> Texts(TMessageLevel Level) const {
    std::vector<std::string> texts;
    for (const TQuestion& question : Questions)
      if (question.Level == Level)
        texts.push_back(question.Text);
    return texts;
  }
  std::size_t RetryQuestions() const {
    std::size_t count = 0;
    for (const TQuestion& question : Questions)
      count += question.AsksRetry();
    return count;
  }

  std::vector<TQuestion> Questions;
  std::vector<std::string> Log; // "caption: line"
  std::function<std::int32_t(const TQuestion&)> Answer;

 private:
  class TSink : public TLog {
   public:
    explicit TSink(std::vector<std::string>& Lines) : Lines_(Lines) {}
    void Add(const std::string& Line, TMessageLevel Level) override {
      Lines_.push_back(MessageLevelCaption(Level) + ": " + Line);
    }

   private:
    std::vector<std::string>& Lines_;
  };

  TShowQueuedMessage Previous_;
};

// The operations of the platform layer that TFaultyOps can fail.
enum TFaultOp {
  foOpen,
  foClose,
  foRead,
  foWrite,
  foSeek,
  foSize,
  foTruncate,
  foCopy,
  foCount
};

// The platform's operations, failing with Fault[op] (an errno code) while that is not 0. A
// failing Close leaves the handle open, as the platform does, so that it can be closed again.
class TFaultyOps : public TFileOps {
 public:
  std::array<int, foCount> Fault{};
  std::array<int, foCount> Calls{};

  int Open(const std::string& Path, int Flags, int Mode, int& Handle) override {
    Handle = -1;
    return Hit(foOpen) ? Fault[foOpen] : TFileOps::Open(Path, Flags, Mode, Handle);
  }
  int Close(int& Handle) override {
    return Hit(foClose) ? Fault[foClose] : TFileOps::Close(Handle);
  }
  int Read(int Handle, void* Buffer, std::size_t Count, std::int64_t Offset,
           std::size_t& Done) override {
    Done = 0;
    return Hit(foRead) ? Fault[foRead] : TFileOps::Read(Handle, Buffer, Count, Offset, Done);
  }
  int Write(int Handle, const void* Buffer, std::size_t Count, std::int64_t Offset,
            std::size_t& Done) override {
    Done = 0;
    return Hit(foWrite) ? Fault[foWrite] : TFileOps::Write(Handle, Buffer, Count, Offset, Done);
  }
  int Seek(int Handle, std::int64_t Offset) override {
    return Hit(foSeek) ? Fault[foSeek] : TFileOps::Seek(Handle, Offset);
  }
  int Size(int Handle, std::int64_t& Size) override {
    return Hit(foSize) ? Fault[foSize] : TFileOps::Size(Handle, Size);
  }
  int Truncate(int Handle, std::int64_t Length) override {
    return Hit(foTruncate) ? Fault[foTruncate] : TFileOps::Truncate(Handle, Length);
  }
  int Copy(const std::string& Source, const std::string& Dest, bool FailIfExists) override {
    return Hit(foCopy) ? Fault[foCopy] : TFileOps::Copy(Source, Dest, FailIfExists);
  }

 private:
  bool Hit(TFaultOp Op) {
    ++Calls[Op];
    return Fault[Op] != 0;
  }
};

// Installs operations for its lifetime.
class TFileOpsScope {
 public:
  explicit TFileOpsScope(TFileOps& Ops) : Previous_(SetFileOps(&Ops)) {}
  TFileOpsScope(const TFileOpsScope&) = delete;
  TFileOpsScope& operator=(const TFileOpsScope&) = delete;
  ~TFileOpsScope() { SetFileOps(Previous_); }

 private:
  TFileOps* Previous_;
};

// Puts every path variable, the log file name and the environment list back at the end.
class TPathsGuard {
 public:
  TPathsGuard() {
    for (std::size_t i = 0; i < std::size(Paths); ++i)
      Saved_[i] = *Paths[i];
    LogFileName_ = MainLogFileName();
    Environment_ = EnvironmentList;
  }
  TPathsGuard(const TPathsGuard&) = delete;
  TPathsGuard& operator=(const TPathsGuard&) = delete;
  ~TPathsGuard() {
    for (std::size_t i = 0; i < std::size(Paths); ++i)
      *Paths[i] = Saved_[i];
    SetMainLogFileName(LogFileName_);
    EnvironmentList = Environment_;
  }

 private:
  static inline std::string* const Paths[] = {
      &WorkDir,          &ExeFileName,    &ExeDir,     &GraphDir,        &SoundsDir,
      &DataDir,          &SysDir,         &WinDir,     &ProgramFilesDir, &TempDir,
      &AppTempDir,       &UserAppDataDir, &AppDataDir, &LocalAppDataDir, &MainIniFileName,
      &LocalIniFileName, &DocumentsDir,
  };
  std::string Saved_[std::size(Paths)];
  std::string LogFileName_;
  std::vector<TStringPair> Environment_;
};

// The number of open descriptors of the process.
inline int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

inline void WriteWholeFile(const std::filesystem::path& File, const std::string& Content) {
  std::ofstream out(File, std::ios::binary | std::ios::trunc);
  out << Content;
}

// A temporary folder, the program's temporary directory inside it, the reports recorded and the
// paths put back at the end.
class TEnvTest : public testing::Test {
 protected:
  TEnvTest() {
    std::filesystem::create_directory(Folder / "apptemp");
    AppTempDir = (Folder / "apptemp").string() + "/";
  }

  // A file name in the temporary folder.
  std::string Name(const std::string& Part) const { return (Folder / Part).string(); }
  // The temporary copies left in the program's temporary directory.
  std::vector<std::string> TempCopies() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder / "apptemp"))
      names.push_back(entry.path().filename().string());
    return names;
  }

  TPathsGuard Paths;
  TTempFolder Folder;
  TReportRecorder Reports;
};

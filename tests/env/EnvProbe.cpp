// A program for the environment tests, built with and without version information.
//
//   envprobe paths
//     starts the framework and prints every path variable and version field as "Name=Value".
//   envprobe write FILE SIZE KILLAT
//     writes SIZE bytes of "n" over FILE through a protected TFile, in pieces, and closes it; with
//     KILLAT > 0 the program kills itself with SIGKILL just before its KILLAT-th file operation.
//     Prints "operations=N rename=R" when it ends normally: the number of file operations, and
//     the number of the one that put the written file in place.
//   envprobe saveini FILE KEYS KILLAT
//     loads the ini file FILE, adds KEYS keys to its section "New" and saves it, killing itself
//     as "write" does; prints "operations=N rename=R" in the same way.

#include "app/uStartup.h"
#include "env/uFile.h"
#include "env/uIni.h"
#include "env/uPaths.h"
#include "env/uProjectInfo.h"
#include "platform/uFileOps.h"
#include "report/uLog.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The platform's operations, counted; the KillAt-th one is never reached.
class TKillingOps : public TFileOps {
 public:
  explicit TKillingOps(long KillAt) : KillAt_(KillAt) {}

  int Open(const std::string& Path, int Flags, int Mode, int& Handle) override {
    Step();
    return TFileOps::Open(Path, Flags, Mode, Handle);
  }
  int Close(int& Handle) override {
    Step();
    return TFileOps::Close(Handle);
  }
  int Read(int Handle, void* Buffer, std::size_t Count, std::int64_t Offset,
           std::size_t& Done) override {
    Step();
    return TFileOps::Read(Handle, Buffer, Count, Offset, Done);
  }
  int Write(int Handle, const void* Buffer, std::size_t Count, std::int64_t Offset,
            std::size_t& Done) override {
    Step();
    return TFileOps::Write(Handle, Buffer, Count, Offset, Done);
  }
  int Truncate(int Handle, std::int64_t Length) override {
    Step();
    return TFileOps::Truncate(Handle, Length);
  }
  int Sync(int Handle) override {
    Step();
    return TFileOps::Sync(Handle);
  }
  int Delete(const std::string& Path) override {
    Step();
    return TFileOps::Delete(Path);
  }
  int Rename(const std::string& Source, const std::string& Dest, bool NoReplace) override {
    Step();
    Renamed_ = Count_;
    return TFileOps::Rename(Source, Dest, NoReplace);
  }
  int CreateUnique(std::string& Template, int& Handle) override {
    Step();
    return TFileOps::CreateUnique(Template, Handle);
  }

  long Count() const noexcept { return Count_; }
  long Renamed() const noexcept { return Renamed_; }

 private:
  void Step() {
    if (++Count_ == KillAt_)
      std::raise(SIGKILL);
  }

  long KillAt_;
  long Count_ = 0;
  long Renamed_ = 0;
};

int PrintPaths() {
  const std::pair<const char*, const std::string*> paths[] = {
      {"WorkDir", &WorkDir},
      {"ExeFileName", &ExeFileName},
      {"ExeDir", &ExeDir},
      {"GraphDir", &GraphDir},
      {"SoundsDir", &SoundsDir},
      {"DataDir", &DataDir},
      {"SysDir", &SysDir},
      {"WinDir", &WinDir},
      {"ProgramFilesDir", &ProgramFilesDir},
      {"TempDir", &TempDir},
      {"AppTempDir", &AppTempDir},
      {"UserAppDataDir", &UserAppDataDir},
      {"AppDataDir", &AppDataDir},
      {"LocalAppDataDir", &LocalAppDataDir},
      {"MainIniFileName", &MainIniFileName},
      {"MainLogFileName", &MainLogFileName()},
      {"LocalIniFileName", &LocalIniFileName},
      {"DocumentsDir", &DocumentsDir},
  };
  for (const auto& [name, value] : paths)
    std::printf("%s=%s\n", name, value->c_str());
  for (std::size_t name = 0; name < ProjectInfoCount; ++name) {
    const auto field = static_cast<TProjectInfoName>(name);
    std::printf("%s=%s\n", ProjectInfoKey(field).c_str(), GetProjectInfo(field).c_str());
  }
  return 0;
}

int Write(const char* FileName, long Size, long KillAt) {
  TKillingOps ops(KillAt);
  SetFileOps(&ops);
  const std::vector<char> piece(64 << 10, 'n');
  TFile file;
  file.Charset = fcAnsi;
  bool written = file.Open(FileName, fmRewrite);
  for (long done = 0; written && done < Size; done += long(piece.size()))
    written = file.BlockWrite(piece.data(), std::min<std::size_t>(piece.size(), Size - done));
  written = file.Close() && written;
  SetFileOps(nullptr);
  std::printf("operations=%ld rename=%ld\n", ops.Count(), ops.Renamed());
  return written ? 0 : 1;
}

int SaveIni(const char* FileName, long Keys, long KillAt) {
  TDIniFile ini;
  ini.Load(FileName);
  for (long key = 0; key < Keys; ++key)
    ini.WriteNum("New", "Key" + std::to_string(key), std::int32_t(key));
  TKillingOps ops(KillAt);
  SetFileOps(&ops);
  const bool saved = ini.Save();
  SetFileOps(nullptr);
  std::printf("operations=%ld rename=%ld\n", ops.Count(), ops.Renamed());
  return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  TFrameworkScope framework;
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "paths" && argc == 2)
    return PrintPaths();
  if (command == "write" && argc == 5)
    return Write(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  if (command == "saveini" && argc == 5)
    return SaveIni(argv[2], std::atol(argv[3]), std::atol(argv[4]));
  std::fputs("usage: envprobe paths | envprobe write FILE SIZE KILLAT | "
             "envprobe saveini FILE KEYS KILLAT\n",
             stderr);
  return 2;
}

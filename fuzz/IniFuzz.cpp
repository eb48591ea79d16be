// Loads arbitrary bytes as an ini file, reads from it, saves it over the file and loads it again:
// whatever was loaded must read back the same, section for section and key for key.

#include "app/uStartup.h"
#include "env/uIni.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The file of the inputs, in a private folder.
const std::string& IniFileName() {
  static const std::string name = [] {
    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base && *base ? base : "/tmp") + "/fuzz-ini-XXXXXX";
    if (!::mkdtemp(folder.data()))
      std::abort();
    return folder + "/input.ini";
  }();
  return name;
}

void WriteInput(const std::uint8_t* Data, std::size_t Size) {
  const int handle = ::open(IniFileName().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (handle < 0)
    std::abort();
  for (std::size_t done = 0; done < Size;) {
    const ssize_t written = ::write(handle, Data + done, Size - done);
    if (written <= 0)
      std::abort();
    done += std::size_t(written);
  }
  ::close(handle);
}

bool SameSections(const TDIniFile& A, const TDIniFile& B) {
  if (A.SectionCount() != B.SectionCount())
    return false;
  for (std::size_t i = 0; i < A.Sections().size(); ++i) {
    const TIniSection& a = A.Sections()[i];
    const TIniSection& b = B.Sections()[i];
    if (a.Name != b.Name || a.Keys != b.Keys)
      return false;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static TFrameworkScope framework;
  WriteInput(Data, Size);
  TDIniFile ini(IniFileName());
  ini.Load();
  if (!ini.Loaded() || !ini.Saved())
    std::abort();
  if (!ini.Sections().empty() && ini.Sections()[0].KeyCount() > 0) {
    const std::string section = ini.Sections()[0].Name;
    const std::string key = ini.Sections()[0].Keys[0];
    if (ini.ReadString(section, key, "default") != ini.Sections()[0].Keys[1])
      std::abort();
    ini.ReadNum(section, key, 7);
    ini.ReadBool(section, key, true);
  }
  // Whatever was loaded can be written in the line format and reads back unchanged.
  if (!ini.Save())
    std::abort();
  TDIniFile again(IniFileName());
  again.Load();
  if (!SameSections(ini, again))
    std::abort();
  return 0;
}

#pragma once

// An in-memory file that a fuzz target fills with each input and hands to the file layer by name,
// so that no input touches the disk.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

class TFuzzFile {
 public:
  TFuzzFile() : Handle_(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
    if (Handle_ < 0)
      std::abort();
    Name_ = "/proc/self/fd/" + std::to_string(Handle_);
  }
  TFuzzFile(const TFuzzFile&) = delete;
  TFuzzFile& operator=(const TFuzzFile&) = delete;
  ~TFuzzFile() { ::close(Handle_); }

  // Makes Data the whole content of the file.
  void Fill(const std::uint8_t* Data, std::size_t Size) {
    if (::ftruncate(Handle_, 0) != 0)
      std::abort();
    for (std::size_t done = 0; done < Size;) {
      const ssize_t written = ::pwrite(Handle_, Data + done, Size - done, off_t(done));
      if (written <= 0)
        std::abort();
      done += std::size_t(written);
    }
  }
  const std::string& Name() const noexcept { return Name_; }

 private:
  int Handle_;
  std::string Name_;
};

#include "platform/uProcess.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

// The value of a symbolic link, whatever its length; empty when it cannot be read.
std::string ReadLink(const char* Path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink(Path, buffer.data(), buffer.size());
    if (length < 0)
      return {};
    if (std::size_t(length) < buffer.size())
      return std::string(buffer.data(), std::size_t(length));
    buffer.resize(buffer.size() * 2);
  }
}

// The first argument the process was started with.
std::string FirstArgument() {
  std::ifstream commandLine("/proc/self/cmdline", std::ios::binary);
  std::string first;
  std::getline(commandLine, first, '\0');
  return first;
}

} // namespace

std::string ProgramFileName() {
  std::string name = ReadLink("/proc/self/exe");
  return name.empty() ? FirstArgument() : name;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(256);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE)
      return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home)
    return home;
  std::vector<char> buffer(4096);
  passwd entry;
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    return found->pw_dir;
  return {};
}

std::uint32_t CurrentUserId() noexcept {
  return ::geteuid();
}

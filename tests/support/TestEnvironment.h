#pragma once

// Helpers for tests that touch the process: environment variables, the current folder and files
// on disk are changed only for the test that asks, and put back when its helper goes.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

// Sets or removes environment variables and restores every one it touched, in reverse order.
class TEnvironmentGuard {
 public:
  TEnvironmentGuard() = default;
  TEnvironmentGuard(const TEnvironmentGuard&) = delete;
  TEnvironmentGuard& operator=(const TEnvironmentGuard&) = delete;
  ~TEnvironmentGuard() {
    for (auto saved = FSaved.rbegin(); saved != FSaved.rend(); ++saved) {
      if (saved->Value)
        ::setenv(saved->Name.c_str(), saved->Value->c_str(), 1);
      else
        ::unsetenv(saved->Name.c_str());
    }
  }

  void Set(const std::string& Name, const std::string& Value) {
    Save(Name);
    ::setenv(Name.c_str(), Value.c_str(), 1);
  }
  void Unset(const std::string& Name) {
    Save(Name);
    ::unsetenv(Name.c_str());
  }

 private:
  struct TSaved {
    std::string Name;
    std::optional<std::string> Value;
  };

  void Save(const std::string& Name) {
    const char* value = ::getenv(Name.c_str());
    FSaved.push_back({Name, value ? std::optional<std::string>(value) : std::nullopt});
  }

  std::vector<TSaved> FSaved;
};

// A new empty folder under the test's temporary folder, removed with its content at the end.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::path(testing::TempDir()) / "bmi-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
      FPath = pattern;
    else
      ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  ~TTempFolder() {
    std::error_code ignored;
    if (!FPath.empty())
      std::filesystem::remove_all(FPath, ignored);
  }

  const std::filesystem::path& Path() const noexcept { return FPath; }
  std::filesystem::path operator/(const std::string& Name) const { return FPath / Name; }

 private:
  std::filesystem::path FPath;
};

// Makes Folder the current folder and goes back to the one before at the end.
class TCurrentFolderGuard {
 public:
  explicit TCurrentFolderGuard(const std::filesystem::path& Folder)
      : FBefore(std::filesystem::current_path()) {
    std::filesystem::current_path(Folder);
  }
  TCurrentFolderGuard(const TCurrentFolderGuard&) = delete;
  TCurrentFolderGuard& operator=(const TCurrentFolderGuard&) = delete;
  ~TCurrentFolderGuard() {
    std::error_code ignored;
    std::filesystem::current_path(FBefore, ignored);
  }

 private:
  std::filesystem::path FBefore;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& File) {
  std::ifstream in(File, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The lines of Text, each without its line feed; a last line without one counts too.
inline std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::istringstream in(Text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

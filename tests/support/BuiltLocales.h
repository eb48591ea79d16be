#pragma once

// Locales built for a test without root: `localedef` writes them into a folder of the test's
// own, which LOCPATH then names. Each locale is built once a process.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

// The folder holding NAME.UTF-8 built from the locale source NAME (such as "de_DE"), or an empty
// path when localedef cannot build it here.
inline std::filesystem::path BuiltLocaleFolder(const std::string& Name) {
  static const std::filesystem::path folder =
      std::filesystem::path(testing::TempDir()) / ("bmi-locales-" + std::to_string(::getpid()));
  static std::set<std::string> built;
  if (!built.contains(Name)) {
    std::filesystem::create_directories(folder);
    const std::string command = "localedef -i " + Name + " -f UTF-8 '" +
                                (folder / (Name + ".UTF-8")).string() + "' >/dev/null 2>&1";
    // localedef warns about some sources and exits 1 though it wrote the locale; the locale's
    // folder tells whether it did.
    [[maybe_unused]] const int status = std::system(command.c_str());
    if (!std::filesystem::exists(folder / (Name + ".UTF-8") / "LC_NUMERIC"))
      return {};
    built.insert(Name);
  }
  return folder;
}

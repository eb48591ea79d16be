#pragma once

// The version information of a program file: company, product, versions and the like. On this
// platform a program carries it as NUL-terminated "Key=Value" entries in its ELF section
// ".projinfo" (made by the build's bmi_add_project_info). One shared instance describes the
// running program; its company and internal names place the program's directories.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum TProjectInfoName : std::uint8_t {
  piFileVersion,
  piFileDescription,
  piLegalCopyright,
  piCompanyName,
  piInternalName,
  piLegalTrademarks,
  piOriginalFilename,
  piProductName,
  piProductVersion,
  piAuthor,
  piEMail,
  piRelease,
  piWeb,
};

// The names of the fields, in declaration order; their keys are made from them.
inline constexpr std::string_view ProjectInfoNames[] = {
    "piFileVersion",
    "piFileDescription",
    "piLegalCopyright",
    "piCompanyName",
    "piInternalName",
    "piLegalTrademarks",
    "piOriginalFilename",
    "piProductName",
    "piProductVersion",
    "piAuthor",
    "piEMail",
    "piRelease",
    "piWeb",
};
inline constexpr std::size_t ProjectInfoCount = std::size(ProjectInfoNames);
static_assert(ProjectInfoCount == piWeb + 1, "one name per field");

// The section a program file carries its version information in.
inline constexpr std::string_view ProjectInfoSection = ".projinfo";
// The company name of a program whose version information names none.
inline constexpr std::string_view DefaultCompanyName = "Korvane";

// The key of a field: its name without "pi" ("FileVersion", ..., "Web"). The table is built at
// start-up; before that, and for a value outside the enumeration, the key is empty.
const std::string& ProjectInfoKey(TProjectInfoName Name) noexcept;

class TProjectInfo {
 public:
  // Reads the version information of the program file FileName (expanded with ExpandDir) at once.
  // A file without it, or that cannot be read, leaves every field empty; nothing is reported.
  explicit TProjectInfo(std::string_view FileName);

  const std::string& FileName() const noexcept { return FileName_; }
  // The field Name; empty for a value outside the enumeration.
  const std::string& GetValue(TProjectInfoName Name) const noexcept;
  void SetValue(TProjectInfoName Name, std::string Value);

 private:
  std::array<std::string, ProjectInfoCount> Values_;
  std::string FileName_;
};

// Reads the fields from the content of a ".projinfo" section into Values, by key. Entries with
// an unknown key or without "=" are skipped; of a key given twice the first counts. In the two
// versions every ", " becomes "." ("1, 2, 3, 4" is "1.2.3.4"), and a file version without a dot
// is completed by a dotted product version ("17" with "1.0" is "1.0.17").
void ParseProjectInfo(std::string_view Section, std::array<std::string, ProjectInfoCount>& Values);

// The field Name of the running program's file. The first call reads that file; a missing
// company name then becomes DefaultCompanyName and a missing internal name the file's name
// without directory and extension.
std::string GetProjectInfo(TProjectInfoName Name);

// Builds the key table; part of the framework's start-up.
void InitializeProjectInfo();
// Frees the running program's information at shut-down.
void FinalizeProjectInfo() noexcept;

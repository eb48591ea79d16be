#include "env/uProjectInfo.h"

#include "env/uPaths.h"
#include "platform/uElf.h"
#include "platform/uProcess.h"
#include "text/uStrings.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

std::vector<std::string> Keys;
std::unique_ptr<TProjectInfo> Shared;

const std::string Empty;

bool Known(TProjectInfoName Name) noexcept {
  return Name < ProjectInfoCount;
}

} // namespace

const std::string& ProjectInfoKey(TProjectInfoName Name) noexcept {
  return Known(Name) && Name < Keys.size() ? Keys[Name] : Empty;
}

void ParseProjectInfo(std::string_view Section, std::array<std::string, ProjectInfoCount>& Values) {
  std::array<bool, ProjectInfoCount> found{};
  std::size_t pos = 0;
  while (pos < Section.size()) {
    const std::size_t end = std::min(Section.find('\0', pos), Section.size());
    const std::string_view entry = Section.substr(pos, end - pos);
    pos = end + 1;
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos)
      continue;
    const std::string_view key = entry.substr(0, equals);
    for (std::size_t name = 0; name < ProjectInfoCount; ++name) {
      if (!found[name] && key == ProjectInfoKey(TProjectInfoName(name))) {
        found[name] = true;
        Values[name] = entry.substr(equals + 1);
        break;
      }
    }
  }
  for (TProjectInfoName version : {piFileVersion, piProductVersion})
    Values[version] = ReplaceEvery(Values[version], ", ", ".");
  // A bare build number is completed by the product version; an absent file version stays
  // absent.
  std::string& fileVersion = Values[piFileVersion];
  const std::string& productVersion = Values[piProductVersion];
  if (!fileVersion.empty() && fileVersion.find('.') == std::string::npos &&
      productVersion.find('.') != std::string::npos)
    fileVersion = productVersion + "." + fileVersion;
}

TProjectInfo::TProjectInfo(std::string_view FileName) : FileName_(FileName) {
  std::string section;
  if (ReadElfSection(ExpandDir(FileName), ProjectInfoSection, section))
    ParseProjectInfo(section, Values_);
}

const std::string& TProjectInfo::GetValue(TProjectInfoName Name) const noexcept {
  return Known(Name) ? Values_[Name] : Empty;
}

void TProjectInfo::SetValue(TProjectInfoName Name, std::string Value) {
  if (Known(Name))
    Values_[Name] = std::move(Value);
}

std::string GetProjectInfo(TProjectInfoName Name) {
  if (!Shared) {
    const std::string program = ProgramFileName();
    auto info = std::make_unique<TProjectInfo>(program);
    if (info->GetValue(piCompanyName).empty())
      info->SetValue(piCompanyName, std::string(DefaultCompanyName));
    if (info->GetValue(piInternalName).empty())
      info->SetValue(piInternalName, DelFileExt(program.substr(program.rfind('/') + 1)));
    Shared = std::move(info);
  }
  return Shared->GetValue(Name);
}

void InitializeProjectInfo() {
  Keys = EnumKeys(ProjectInfoNames);
}

void FinalizeProjectInfo() noexcept {
  Shared.reset();
}

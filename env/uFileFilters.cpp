#include "env/uFileFilters.h"

namespace {

std::string FilePattern(std::string_view Ext) {
  return Ext.find('.') == std::string_view::npos ? "*." + std::string(Ext) : std::string(Ext);
}

} // namespace

const std::string& AllFilesFilter() {
  static const std::string filter = MakeFilter("All Files", {"*"});
  return filter;
}

std::string MakeFilter(std::string_view Description, const TArrayOfString& Exts) {
  std::string patterns;
  for (const std::string& ext : Exts)
    patterns += (patterns.empty() ? "" : ";") + FilePattern(ext);
  return std::string(Description) + " (" + patterns + ")|" + patterns;
}

std::string MakeFilterList(const TArrayOfString& Exts, const TArrayOfString& Descriptions) {
  std::string filter;
  if (Exts.size() >= 2) {
    std::string names, patterns;
    for (const std::string& ext : Exts) {
      names += (names.empty() ? "" : ", ") + ext;
      patterns += (patterns.empty() ? "*." : ";*.") + ext;
    }
    filter = "Any (" + names + ")|" + patterns + "|";
  }
  for (std::size_t i = 0; i < Exts.size(); ++i) {
    const std::string description = i < Descriptions.size() ? Descriptions[i] : std::string();
    filter += description + " (*." + Exts[i] + ")|*." + Exts[i] + "|";
  }
  return filter;
}

std::string MakeFilterListAll(const TArrayOfString& Exts, const TArrayOfString& Descriptions) {
  return MakeFilterList(Exts, Descriptions) + AllFilesFilter();
}

#include "report/uTypes.h"

#include "text/uStrings.h"

#include <array>

namespace {

// Filled at start-up; empty before.
std::vector<std::string> LevelCaptions;

constexpr std::array<std::string_view, DlgButtonCount> DlgButtonCaptions = {
    "OK",      "&Yes",       "Yes to &All", "&Retry",     "&Ignore", "&Abort",
    "&Delete", "Delete All", "&No",         "N&o to All", "Cancel",
};

} // namespace

const std::string& MessageLevelCaption(TMessageLevel Level) noexcept {
  static const std::string none;
  return Level < LevelCaptions.size() ? LevelCaptions[Level] : none;
}

void InitializeTypes() {
  LevelCaptions = EnumCaptions(MessageLevelNames);
}

std::string_view DlgButtonCaption(TDlgButton Button) noexcept {
  return Button < DlgButtonCaptions.size() ? DlgButtonCaptions[Button] : std::string_view();
}

#include "env/uCommon.h"

namespace {

// The table as it stands before start-up: kinds, defaults and ranges, no names yet.
std::array<TOption, GlobalOptionCount> InitialOptions() {
  return {{
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsCheck, 0, 0, 0, ""},
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsColor, clBtnFace, 0, 0, ""},
      {"", vsCheck, 1, 0, 0, ""},
      {"", vsSpin, 14, 0, 365, ""},
  }};
}

} // namespace

std::array<TOption, GlobalOptionCount> GlobalOptions = InitialOptions();
std::array<TParam, GlobalOptionCount> GlobalParams;

bool WindowBackgroundTexture() noexcept {
  return GlobalParams[goWindowBackgroundTexture].Bool;
}

TColor WindowBackgroundColor() noexcept {
  return GlobalParams[goWindowBackgroundColor].Num;
}

void InitializeCommon() {
  InitOptionNames(GlobalOptionNames, GlobalOptions);
  DefaultParams(GlobalOptions, GlobalParams);
}

void FinalizeCommon() noexcept {
  GlobalOptions = InitialOptions();
  GlobalParams = {};
}

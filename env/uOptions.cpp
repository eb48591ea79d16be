#include "env/uOptions.h"

#include "platform/uExceptions.h"
#include "text/uStrings.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

std::vector<std::string> Captions;

} // namespace

const std::string& VisualStyleCaption(TVisualStyle Style) noexcept {
  static const std::string empty;
  return Style < Captions.size() ? Captions[Style] : empty;
}

void InitOptionNames(std::span<const std::string_view> Names, std::span<TOption> Options) {
  const std::vector<std::string> keys = EnumKeys(Names);
  const std::size_t count = std::min(keys.size(), Options.size());
  for (std::size_t i = 0; i < count; ++i) {
    TOption& option = Options[i];
    option.Name = keys[i];
    if (option.Typ == vsColor) {
      option.Minimum = std::numeric_limits<std::int32_t>::min();
      option.Maximum = std::numeric_limits<std::int32_t>::max();
    }
  }
}

void DefaultParams(std::span<const TOption> Options, std::span<TParam> Params) {
  const std::size_t count = std::min(Options.size(), Params.size());
  for (std::size_t i = 0; i < count; ++i) {
    const TOption& option = Options[i];
    TParam& param = Params[i];
    switch (option.Typ) {
    case vsCheck:
      param.Bool = option.Default != 0;
      break;
    case vsFloat:
      param.Float = option.Default;
      break;
    case vsButton:
      break;
    case vsString:
    case vsFilename:
    case vsDirectory:
    case vsStrings:
      param.Str = option.DefaultStr;
      break;
    case vsSpin:
    case vsCombo:
    case vsTime:
    case vsColor:
      param.Num = option.Default;
      break;
    default:
      throw Exception("Invalid option type.");
    }
  }
}

void InitializeOptions() {
  Captions = EnumCaptions(VisualStyleNames);
}

#include "text/uTranslate.h"

namespace {

TTranslateHook TranslateHook = nullptr;

} // namespace

std::string Translate(std::string_view Text) {
  if (TranslateHook)
    return TranslateHook(Text);
  return std::string(Text);
}

TTranslateHook SetTranslateHook(TTranslateHook Hook) noexcept {
  TTranslateHook previous = TranslateHook;
  TranslateHook = Hook;
  return previous;
}

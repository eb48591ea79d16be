#pragma once

// The translation hook every user-visible caption and message passes through. The translations
// module installs its dictionary here; until it does, texts pass unchanged.

#include <string>
#include <string_view>

// A dictionary's translation of a text.
using TTranslateHook = std::string (*)(std::string_view Text);

// The installed dictionary's translation of Text, or Text itself while none is installed.
std::string Translate(std::string_view Text);
// Installs Hook as the dictionary (nullptr removes it) and returns the one installed before.
TTranslateHook SetTranslateHook(TTranslateHook Hook) noexcept;

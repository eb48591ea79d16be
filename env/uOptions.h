#pragma once

// Option tables and their values. An option table describes settings (name, kind, default and
// range); the current values are held in a parallel array of parameters.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The kind of an option, and the editor an options dialog shows for it.
enum TVisualStyle : std::uint8_t {
  vsCheck,
  vsSpin,
  vsFloat,
  vsCombo,
  vsButton,
  vsString,
  vsFilename,
  vsDirectory,
  vsStrings,
  vsTime,
  vsColor,
  vsUnknown,
};

inline constexpr std::string_view VisualStyleNames[] = {
    "vsCheck",    "vsSpin",      "vsFloat",   "vsCombo", "vsButton", "vsString",
    "vsFilename", "vsDirectory", "vsStrings", "vsTime",  "vsColor",  "vsUnknown",
};
inline constexpr std::size_t VisualStyleCount = std::size(VisualStyleNames);
static_assert(VisualStyleCount == vsUnknown + 1, "one name per kind");

// The display name of a kind ("Check", "Spin", ..., "Unknown"). The table is built at start-up;
// before that, and for a value outside the enumeration, the name is empty.
const std::string& VisualStyleCaption(TVisualStyle Style) noexcept;

// One option of a table.
struct TOption {
  std::string Name;
  TVisualStyle Typ = vsUnknown;
  std::int32_t Default = 0;
  std::int32_t Minimum = 0;
  std::int32_t Maximum = 0;
  std::string DefaultStr;
};

// The current value of one option: text for the text kinds, else one of the three values, as
// the option's kind says.
struct TParam {
  std::string Str;
  std::int32_t Num = 0; // vsSpin, vsCombo, vsTime, vsColor
  bool Bool = false;    // vsCheck
  double Float = 0;     // vsFloat
};

// Names option i after value i of an enumeration (Names, its value names in order) without the
// two-letter prefix, over the first min(Names, Options) options; every vsColor option gets the
// whole 32-bit range as its minimum and maximum.
void InitOptionNames(std::span<const std::string_view> Names, std::span<TOption> Options);

// Sets Params[i] to the default of Options[i], over the first min(Options, Params) entries, by
// kind: vsCheck Bool := Default != 0; vsFloat Float := Default; vsString, vsFilename,
// vsDirectory, vsStrings Str := DefaultStr; vsSpin, vsCombo, vsTime, vsColor Num := Default;
// vsButton nothing. Any other kind raises Exception("Invalid option type."); the parameters
// before it are set by then.
void DefaultParams(std::span<const TOption> Options, std::span<TParam> Params);

// Builds the names of the kinds; part of the framework's start-up.
void InitializeOptions();

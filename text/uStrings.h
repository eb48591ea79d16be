#pragma once

// Small text routines shared by the framework: searching and replacing, trimming and cutting,
// reading at a moving position, display names, Windows-1250 upper-casing and sorting keys with
// a parallel index array.
//
// Texts are strings of bytes. Positions are 1-based, as the callers count them; a position
// below 1 or beyond the end is never read. Case-sensitive comparisons compare bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The function registry's key: h = h * 31 + byte over the text's bytes (unsigned), modulo 2^32.
std::uint32_t StringHash(std::string_view text) noexcept;

// Searching and replacing

// The 1-based position of Sub in S, trying start positions from From towards To (backwards when
// From > To), clamped to where Sub fits; 0 when Sub is empty or not found.
std::ptrdiff_t FindSubText(std::string_view Sub, std::string_view S, std::ptrdiff_t From,
                           std::ptrdiff_t To);
// The same with To the length of S.
std::ptrdiff_t FindSubText(std::string_view Sub, std::string_view S, std::ptrdiff_t From);
// S with every occurrence of Old replaced by New, left to right, not overlapping; inserted text
// is never searched again. An empty Old leaves S unchanged.
std::string ReplaceEvery(std::string_view S, std::string_view Old, std::string_view New);
// S with occurrences of Olds[i] replaced by News[i] in one pass of per-pattern match counters,
// the earlier pattern winning where two end at the same byte. Empty patterns, and patterns
// without a replacement, are skipped.
std::string ReplaceSeveral(std::string_view S, std::span<const std::string_view> Olds,
                           std::span<const std::string_view> News);
// S without any occurrence of C.
std::string RemoveChars(std::string_view S, char C);

// Trimming and cutting. Blanks are NUL, tab, line feed, vertical tab, carriage return and space.

std::string TrimStart(std::string_view S);
std::string TrimEnd(std::string_view S);
std::string TrimBoth(std::string_view S);
// S without its last N bytes; empty when N is at least the length; S itself when N <= 0.
std::string DropLast(std::string_view S, std::ptrdiff_t N);
// S without its trailing decimal digits and one "_" directly before them ("Edit_12" -> "Edit").
std::string DropNumberSuffix(std::string_view S);
// S without accelerator marks: each "&" is dropped, but one directly after a dropped one stays.
std::string DropAmpersands(std::string_view S);
// S between double quotes; quotes inside are left as they are.
std::string QuoteText(std::string_view S);

// Reading at a position. Pos is 1-based and is moved by the routine.

// The byte at Pos, or NUL when Pos lies outside S.
char CharAtPos(std::string_view S, std::ptrdiff_t Pos) noexcept;
// The text before the first C; all of S when C does not occur.
std::string TextBefore(std::string_view S, char C);
// The text from Pos up to the next Sep or the end; Pos moves one past the separator, or one past
// the end when there is none. A Pos below 1 reads from the start.
std::string ReadField(std::string_view S, std::ptrdiff_t& Pos, char Sep);
// The text from Pos up to the next CR or LF; Pos moves past the line end, CR LF counting as one.
std::string ReadTextLine(std::string_view S, std::ptrdiff_t& Pos);
// Moves Pos over tabs and spaces.
void SkipSpaces(std::string_view S, std::ptrdiff_t& Pos) noexcept;
// A signed 32-bit integer at Pos: spaces, any run of "+" and "-" (each "-" flips the sign), then
// decimal digits, wrapping modulo 2^32 on overflow; Pos stops at the first byte that is not a
// digit. No digits give 0; an empty S gives 0 and leaves Pos.
std::int32_t ReadInteger(std::string_view S, std::ptrdiff_t& Pos) noexcept;
// ReadInteger from position 1.
std::int32_t TextToInt(std::string_view S) noexcept;
// True when S starts with Prefix; always true for an empty Prefix.
bool BeginsWith(std::string_view Prefix, std::string_view S) noexcept;

// Names and words

// S with a space before every ASCII capital that directly follows an ASCII small letter.
std::string SpaceCamelCase(std::string_view S);
// The names of an enumeration's values in ordinal order, each without its two-letter prefix:
// "piFileVersion" gives "FileVersion". Names is the name table kept beside the enumeration.
std::vector<std::string> EnumKeys(std::span<const std::string_view> Names);
// EnumKeys, each passed through SpaceCamelCase: "mlFatalError" gives "Fatal Error".
std::vector<std::string> EnumCaptions(std::span<const std::string_view> Names);
// A display text from a control's name: a leading "DButton", "Button", "ComboBox", "Edit" or
// "Memo" (in any case) removed, or else DropNumberSuffix: "ButtonOK" -> "OK", "Label12" -> "Label".
std::string NameToCaption(std::string_view Name);
// "s" unless N is 1 or -1, then the empty text.
std::string PluralSuffix(std::int64_t N);

// The separator of directories in paths; directory strings end with it.
inline constexpr char PathDelimiter = '/';
// S with PathDelimiter appended unless S is empty or already ends in it.
std::string EnsureTrailingBackslash(std::string_view S);

// Windows-1250 case conversion, through tables built by InitializeStrings.

// S with a-z and the Windows-1250 small letters with a capital mapped to their capitals; other
// bytes unchanged.
std::string UpperCase1250(std::string_view S);
// The inverse mapping of UpperCase1250.
std::string LowerCase1250(std::string_view S);

// Sorts Keys ascending and applies every move to Indexes as well, over the first
// min(Keys.size(), Indexes.size()) elements. Stable keeps equal keys in their order (insertion
// sort up to 71 elements, merge sort above); otherwise a quicksort. Reverse then reverses both,
// giving descending order (equal keys stably sorted end up in reverse order).
void SortIndexes(bool Stable, bool Reverse, std::span<std::int32_t> Indexes,
                 std::span<std::uint32_t> Keys);

// Builds the case tables; part of the framework's start-up.
void InitializeStrings();

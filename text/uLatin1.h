#pragma once

// Conversions between the framework's UTF-8 strings and the Latin-1 text the expression reader
// reads, where every character is one byte so that the not sign is byte 172 and message columns
// count the characters a user sees.

#include <cstddef>
#include <string>
#include <string_view>

// The length of the well-formed UTF-8 sequence at the start of Utf8, or 0 when it does not begin
// with one: overlong forms, surrogates, code points above U+10FFFF and cut sequences are not.
std::size_t Utf8SequenceLength(std::string_view Utf8) noexcept;

// UTF-8 as the reader's Latin-1. Characters beyond Latin-1 become "?", which starts no token and
// so is reported where it stands; each byte that is not part of a well-formed sequence is taken
// as the Latin-1 character of that byte, so a malformed sequence never smuggles in a character.
std::string Utf8ToLatin1(std::string_view Utf8);

// Every byte as the Latin-1 character of that number, written in UTF-8.
std::string Latin1ToUtf8(std::string_view Latin1);

// A locale separator (UTF-8, as the C library gives it) as Latin-1 text for the reader: the same
// character when Latin-1 has it, the no-break space for the narrow no-break space U+202F (both
// group digits by spaces), and the empty text, meaning no separator, for any other character.
std::string LocaleSeparatorLatin1(std::string_view Utf8);

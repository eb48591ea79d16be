#pragma once

// Reading one section of an ELF file (a program, library or object file) by its name, through
// the file operations of the platform layer. The program files carry their version information
// in such a section.

#include <cstddef>
#include <string>
#include <string_view>

// The largest section ReadElfSection returns; a larger one counts as damaged.
inline constexpr std::size_t MaxElfSectionSize = std::size_t(1) << 20;

// Reads the content of the section named SectionName from the ELF file FileName (32 or 64 bits,
// either byte order) into Contents. False, with Contents empty, when the file cannot be read, is
// no ELF file, is damaged, or has no such section with content in the file. Reports nothing.
[[nodiscard]] bool ReadElfSection(const std::string& FileName, std::string_view SectionName,
                                  std::string& Contents);

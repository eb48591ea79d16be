#pragma once

// What the platform tells about the running process and its user.

#include <cstdint>
#include <string>

// The absolute name of the running program's file, from /proc/self/exe, with symbolic links
// resolved; the first process argument when that cannot be read; empty when neither is known.
std::string ProgramFileName();
// The process's current directory, without a trailing "/"; empty when it cannot be read (it may
// have been removed).
std::string CurrentDirectory();
// The user's home directory: $HOME, or the password database's entry when HOME is unset or
// empty; empty when neither is known.
std::string HomeDirectory();
// The effective user id of the process.
std::uint32_t CurrentUserId() noexcept;

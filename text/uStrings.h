#pragma once

// Small text routines shared by the framework.

#include <cstdint>
#include <string_view>

// The function registry's key: h = h * 31 + byte over the text's bytes (unsigned), modulo 2^32.
std::uint32_t StringHash(std::string_view text) noexcept;

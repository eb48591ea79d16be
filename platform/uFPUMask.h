#pragma once

// The exception masks of the floating-point units. The program runs with every floating-point
// exception masked and detects errors through the status flags (uFloatErrors), so nothing here is
// meant to unmask a trap: libraries that want other masks, such as an OpenGL driver, get theirs
// set around their work and the saved value put back afterwards.

#include <cstdint>

// The six exception masks, in the bit order of the x87 control word: invalid operation,
// denormal operand, division by zero, overflow, underflow, precision. A set bit masks (silences)
// the exception.
inline constexpr std::uint32_t FPUMaskAll = 0x3F;

// Replaces the six exception masks of the x87 control word with the low six bits of Mask, and the
// same six masks of SSE's MXCSR (bits 7 to 12), keeping every other bit; returns the six masks the
// x87 control word had before.
std::uint32_t SetFPUMask(std::uint32_t Mask) noexcept;

// The six exception masks of the x87 control word and of MXCSR, without changing them.
std::uint32_t GetFPUMask() noexcept;
std::uint32_t GetSSEMask() noexcept;

#pragma once

// The statistics functions of the expression language. All take any number of arguments and treat
// each as one observation; vector observations combine element by element where the underlying
// vector operation is element-wise.

#include <cstdint>

// The state of the generator behind "Random": 0 when the framework starts, so every run draws
// the same sequence.
extern std::uint32_t RandomSeed;

// Advances the generator and returns a number in 0 .. Range - 1 (0 for Range 0).
std::uint32_t RandomNumber(std::uint32_t Range) noexcept;

// Registers the functions in the registry and resets the generator.
void InitializeStatisticsFunctions();

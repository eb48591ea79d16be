#pragma once

// The chess rating functions of the expression language, after the Elo rating system.

#include <cstdint>

// The rating difference for a score fraction p (0 .. 1), from the table of differences.
std::int32_t EloDifference(long double p);
// The score fraction, in steps of 0.01, whose difference lies nearest to d; the lower on ties.
long double EloScore(long double d);

// Registers the functions in the registry.
void InitializeEloFunctions();

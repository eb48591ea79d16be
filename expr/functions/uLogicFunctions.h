#pragma once

// The logical constants and the bitwise functions of the expression language. The bitwise
// functions take any number of arguments and fold them from the left.

// Registers the functions in the registry.
void InitializeLogicFunctions();

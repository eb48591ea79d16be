#pragma once

// The arithmetic, comparison and conditional functions of the expression language, among them the
// functions behind the operators: "plus", "minus", "mul", "div", "power", "fact", "not" and the
// comparisons.

#include "expr/functions/uVector.h"

// The value of the function "x". The host may assign it; until then "x" is the empty vector.
extern TVector VariableX;

// Registers the functions in the registry.
void InitializeMathFunctions();
// Releases VariableX.
void FinalizeMathFunctions();

#include "expr/functions/uMathFunctions.h"

#include "expr/functions/uNamespace.h"

TVector VariableX;

namespace {

constexpr const char* Arithmetic = "Arithmetic";

// Shared by the conditional test and equality, and by the four order comparisons.
constexpr const char* ConditionLink =
    "https://en.wikipedia.org/wiki/Conditional_(computer_programming)";
constexpr const char* InequalityLink = "https://en.wikipedia.org/wiki/Inequality_(mathematics)";

TVector Truth(bool value) {
  return NumToVector(value ? 1 : 0);
}

void X(TVector& Result) {
  Result = VariableX;
}

void IfElse(const TVector& A, const TVector& B, const TVector& C, TVector& Result) {
  Result = VectorToNum(A) != 0 ? B : C;
}

void Equal(const TVector& A, const TVector& B, TVector& Result) {
  Result = Truth(VectorToNum(A) == VectorToNum(B));
}

void Greater(const TVector& A, const TVector& B, TVector& Result) {
  Result = Truth(VectorToNum(A) > VectorToNum(B));
}

void Less(const TVector& A, const TVector& B, TVector& Result) {
  Result = Truth(VectorToNum(A) < VectorToNum(B));
}

void GreaterOrEqual(const TVector& A, const TVector& B, TVector& Result) {
  Result = Truth(VectorToNum(A) >= VectorToNum(B));
}

void LessOrEqual(const TVector& A, const TVector& B, TVector& Result) {
  Result = Truth(VectorToNum(A) <= VectorToNum(B));
}

void E(TVector& Result) {
  Result = NumToVector(2.7182818284590452354L);
}

void C(TVector& Result) {
  Result = NumToVector(299792458);
}

// Adapters from the vector operations to the callback forms.
template <TVector (*Operation)(const TVector&)>
void Unary(const TVector& A, TVector& Result) {
  Result = Operation(A);
}

template <TVector (*Operation)(const TVector&, const TVector&)>
void Binary(const TVector& A, const TVector& B, TVector& Result) {
  Result = Operation(A, B);
}

void Inc(const TVector& A, TVector& Result) {
  Result = VectorAdd(A, NumToVector(1));
}

void Dec(const TVector& A, TVector& Result) {
  Result = VectorAdd(A, NumToVector(-1));
}

} // namespace

void InitializeMathFunctions() {
  AddFunction("Variable", "x", X, "Variable X.");
  AddFunction("Conditional Tests", "IfElse", IfElse, ConditionLink);
  AddFunction(Arithmetic, "Equal", Equal, ConditionLink);
  AddFunction(Arithmetic, "Greater", Greater, InequalityLink);
  AddFunction(Arithmetic, "Less", Less, InequalityLink);
  AddFunction(Arithmetic, "GreaterOrEqual", GreaterOrEqual, InequalityLink);
  AddFunction(Arithmetic, "LessOrEqual", LessOrEqual, InequalityLink);
  AddFunction(Arithmetic, "E", E, "https://en.wikipedia.org/wiki/E_(mathematical_constant)");
  AddFunction("Physics", "C", C, "https://en.wikipedia.org/wiki/Speed_of_light");
  AddFunction(Arithmetic, "neg", Unary<VectorNeg>,
              "https://en.wikipedia.org/wiki/Additive_inverse");
  AddFunction(Arithmetic, "inv", Unary<VectorInv>,
              "https://en.wikipedia.org/wiki/Multiplicative_inverse");
  AddFunction(Arithmetic, "plus", Binary<VectorAdd>, "https://en.wikipedia.org/wiki/Addition");
  AddFunction(Arithmetic, "minus", Binary<VectorSub>, "https://en.wikipedia.org/wiki/Subtraction");
  AddFunction(Arithmetic, "mul", Binary<VectorMul>, "https://en.wikipedia.org/wiki/Multiplication");
  AddFunction(Arithmetic, "div", Binary<VectorDiv>,
              "(Dividend;Divisor) https://en.wikipedia.org/wiki/Division_(mathematics)");
  AddFunction(Arithmetic, "mod", Binary<VectorMod>,
              "(Dividend;Divisor) https://en.wikipedia.org/wiki/Modulo");
  AddFunction(Arithmetic, "power", Binary<VectorPower>,
              "(Base;Exponent) https://en.wikipedia.org/wiki/Exponentiation");
  AddFunction(Arithmetic, "log", Binary<VectorLog>,
              "(Base;Exponent) https://en.wikipedia.org/wiki/Logarithm");
  AddFunction(Arithmetic, "ln", Unary<VectorLn>, "https://en.wikipedia.org/wiki/Natural_logarithm");
  AddFunction(Arithmetic, "sqr", Unary<VectorSqr>,
              "https://en.wikipedia.org/wiki/Square_(algebra)");
  AddFunction(Arithmetic, "sqrt", Unary<VectorSqrt>, "https://en.wikipedia.org/wiki/Square_root");
  AddFunction(Arithmetic, "trunc", Unary<VectorTrunc>, "https://en.wikipedia.org/wiki/Truncation");
  AddFunction(Arithmetic, "floor", Unary<VectorFloor>,
              "https://en.wikipedia.org/wiki/Floor_and_ceiling_functions");
  AddFunction(Arithmetic, "round", Unary<VectorRound>, "https://en.wikipedia.org/wiki/Rounding");
  AddFunction(Arithmetic, "ceil", Unary<VectorCeil>,
              "https://en.wikipedia.org/wiki/Floor_and_ceiling_functions");
  AddFunction(Arithmetic, "frac", Unary<VectorFrac>,
              "https://en.wikipedia.org/wiki/Fractional_part");
  AddFunction(Arithmetic, "abs", Unary<VectorAbs>, "https://en.wikipedia.org/wiki/Absolute_value");
  AddFunction(Arithmetic, "not", Unary<VectorNot>,
              "https://en.wikipedia.org/wiki/Bitwise_operation#NOT");
  AddFunction(Arithmetic, "inc", Inc,
              "https://en.wikipedia.org/wiki/Increment_and_decrement_operators");
  AddFunction(Arithmetic, "dec", Dec,
              "https://en.wikipedia.org/wiki/Increment_and_decrement_operators");
  AddFunction(Arithmetic, "exp", Unary<VectorExp>,
              "https://en.wikipedia.org/wiki/Exponential_function");
  AddFunction(Arithmetic, "fact", Unary<VectorFact>, "https://en.wikipedia.org/wiki/Factorial");
  AddFunction(Arithmetic, "gamma", Unary<VectorGamma>,
              "https://en.wikipedia.org/wiki/Gamma_function");
}

void FinalizeMathFunctions() {
  VariableX = TVector();
}

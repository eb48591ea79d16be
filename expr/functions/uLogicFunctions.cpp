#include "expr/functions/uLogicFunctions.h"

#include "expr/functions/uNamespace.h"

namespace {

constexpr const char* Logic = "Logic";
constexpr const char* ShiftLink = "https://en.wikipedia.org/wiki/Bitwise_operation#Bit_shifts";

using TStep = TVector (*)(const TVector& Accumulator, const TVector& Next);

TVector Nor(const TVector& Accumulator, const TVector& Next) {
  return VectorNot(VectorOr(Accumulator, Next));
}

// The steps by operation number: shl, shr, and, or, nor, xor, xnor.
constexpr TStep Steps[] = {VectorShl, VectorShr, VectorAnd, VectorOr, Nor, VectorXor, VectorXnor};

// Folds the arguments from the left with one step. A single argument comes back exactly, not
// rounded; every step keeps the length of the first argument, except nor, which collapses it.
void LogicFold(int Operation, std::span<const TVector> Args, TVector& Result) {
  if (Args.empty()) {
    Result = TVector();
    return;
  }
  TVector accumulator = Args[0];
  for (const TVector& next : Args.subspan(1))
    accumulator = Steps[Operation](accumulator, next);
  Result = std::move(accumulator);
}

template <int Operation>
void Fold(std::span<const TVector> Args, TVector& Result) {
  LogicFold(Operation, Args, Result);
}

void False(TVector& Result) {
  Result = NumToVector(0);
}

void True(TVector& Result) {
  Result = NumToVector(1);
}

} // namespace

void InitializeLogicFunctions() {
  AddFunction(Logic, "false", False, "https://en.wikipedia.org/wiki/False_(logic)");
  AddFunction(Logic, "true", True, "https://en.wikipedia.org/wiki/Truth");
  AddFunction(Logic, "shl", Fold<0>, ShiftLink);
  AddFunction(Logic, "shr", Fold<1>, ShiftLink);
  AddFunction(Logic, "and", Fold<2>, "https://en.wikipedia.org/wiki/Bitwise_operation#AND");
  AddFunction(Logic, "or", Fold<3>, "https://en.wikipedia.org/wiki/Bitwise_operation#OR");
  AddFunction(Logic, "nor", Fold<4>, "https://en.wikipedia.org/wiki/Logical_NOR");
  AddFunction(Logic, "xor", Fold<5>, "https://en.wikipedia.org/wiki/Bitwise_operation#XOR");
  AddFunction(Logic, "xnor", Fold<6>, "https://en.wikipedia.org/wiki/XNOR_gate");
}

#include "platform/uFloatErrors.h"

// With traps, the first failing operation would raise. An infinity from a division by zero or an
// overflow is what usually makes a later operation invalid (infinity minus infinity, the square
// root of minus infinity), while invalid operations only make NaNs, which set no further flags;
// so those two count as first.
void ThrowFloatError(unsigned flags) {
  if (flags & FloatZeroDivide)
    throw EZeroDivide();
  if (flags & FloatOverflow)
    throw EOverflow();
  throw EInvalidOp();
}

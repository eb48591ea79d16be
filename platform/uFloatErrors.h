#pragma once

// Floating-point error detection without traps. The value layer clears the status flags,
// computes, and then raises EInvalidOp, EZeroDivide or EOverflow when the matching flag was set;
// underflow and inexact results stay silent. Hardware traps are not used: a trap inside a
// noexcept maths routine of the C library could only end the program.
//
// The compiler does not know that arithmetic sets the flags: at -O1 and above it moves operations
// across the clear and the test, and reuses results computed before the clear. The barriers below
// make it treat each operand as rewritten after the clear and each result as read before the test.

#include "platform/uExceptions.h"

#if !defined(__x86_64__) && !defined(__i386__)
#include <cfenv>
#endif

// Flags of the status word, the same bits in the x87 status word, in MXCSR and in <cfenv> on x86.
enum : unsigned {
  FloatInvalid = 0x01,
  FloatZeroDivide = 0x04,
  FloatOverflow = 0x08,
  FloatTrapped = FloatInvalid | FloatZeroDivide | FloatOverflow,
};

// Compiler barrier for memory: no load or store moves across it.
inline void FloatBarrier() noexcept {
  asm volatile("" ::: "memory");
}

// Compiler barrier for values: each value counts as read and rewritten in memory at this point,
// so arithmetic on it can neither move before this point nor reuse an earlier result.
template <class T>
inline void FloatBarrierOne(T& value) noexcept {
  asm volatile("" : "+m"(value) : : "memory");
}

template <class... T>
inline void FloatBarrier(T&... values) noexcept {
  (FloatBarrierOne(values), ...);
}

// Clears the invalid, division-by-zero and overflow flags of the x87 unit and of SSE; the other
// flags are never read. They are seldom set, and reading the status costs far less than clearing
// it, so each unit is cleared only when one of them is set.
inline void ClearFloatErrors() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short status;
  asm volatile("fnstsw %0" : "=am"(status) : : "memory");
  if (status & FloatTrapped)
    asm volatile("fnclex" ::: "memory");
  unsigned mxcsr;
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  if (mxcsr & FloatTrapped) {
    mxcsr &= ~0x3Fu;
    asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  }
#else
  std::feclearexcept(FE_ALL_EXCEPT);
  FloatBarrier();
#endif
}

// The invalid, division-by-zero and overflow flags raised since the last clear.
inline unsigned FloatErrorFlags() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short status;
  unsigned mxcsr;
  asm volatile("fnstsw %0" : "=am"(status) : : "memory");
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  return (status | mxcsr) & FloatTrapped;
#else
  FloatBarrier();
  unsigned flags = 0;
  if (std::fetestexcept(FE_INVALID))
    flags |= FloatInvalid;
  if (std::fetestexcept(FE_DIVBYZERO))
    flags |= FloatZeroDivide;
  if (std::fetestexcept(FE_OVERFLOW))
    flags |= FloatOverflow;
  return flags;
#endif
}

// Raises the exception of the error that came first among the flags set: division by zero,
// then overflow, then invalid operation.
[[noreturn]] void ThrowFloatError(unsigned flags);

// Raises the matching exception when a trapped flag was set since the last clear.
inline void RaiseFloatErrors() {
  if (unsigned flags = FloatErrorFlags()) [[unlikely]]
    ThrowFloatError(flags);
}

// Guards one computation over memory, such as a loop over a vector's elements: construction
// clears the flags, Check raises what the computation set. Values held in registers must
// additionally pass through FloatBarrier(values...) after construction and before Check.
class TFloatErrorCheck {
 public:
  TFloatErrorCheck() noexcept { ClearFloatErrors(); }
  TFloatErrorCheck(const TFloatErrorCheck&) = delete;
  TFloatErrorCheck& operator=(const TFloatErrorCheck&) = delete;

  void Check() const {
    FloatBarrier();
    RaiseFloatErrors();
  }
};

// Computes compute(operands...) between a clear and a check of the flags, with the barriers
// on both sides, and returns its result.
template <class F, class... T>
inline auto FloatChecked(F&& compute, T... operands) {
  ClearFloatErrors();
  FloatBarrier(operands...);
  auto result = compute(operands...);
  FloatBarrier(result);
  RaiseFloatErrors();
  return result;
}

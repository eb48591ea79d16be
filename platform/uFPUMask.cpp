#include "platform/uFPUMask.h"

#if defined(__x86_64__) || defined(__i386__)

namespace {

constexpr unsigned SSEMaskShift = 7;

std::uint16_t ReadControlWord() noexcept {
  std::uint16_t word;
  asm volatile("fnstcw %0" : "=m"(word) : : "memory");
  return word;
}

unsigned ReadMXCSR() noexcept {
  unsigned mxcsr;
  asm volatile("stmxcsr %0" : "=m"(mxcsr) : : "memory");
  return mxcsr;
}

} // namespace

std::uint32_t SetFPUMask(std::uint32_t Mask) noexcept {
  Mask &= FPUMaskAll;
  std::uint16_t word = ReadControlWord();
  const std::uint32_t previous = word & FPUMaskAll;
  word = static_cast<std::uint16_t>((word & ~FPUMaskAll) | Mask);
  // Unmasking an exception whose flag is set would raise it at the next x87 instruction, so the
  // flags are cleared first when a mask is taken away.
  if (previous & ~Mask)
    asm volatile("fnclex" ::: "memory");
  asm volatile("fldcw %0" : : "m"(word) : "memory");
  unsigned mxcsr = ReadMXCSR();
  mxcsr = (mxcsr & ~(FPUMaskAll << SSEMaskShift)) | (Mask << SSEMaskShift);
  asm volatile("ldmxcsr %0" : : "m"(mxcsr) : "memory");
  return previous;
}

std::uint32_t GetFPUMask() noexcept {
  return ReadControlWord() & FPUMaskAll;
}

std::uint32_t GetSSEMask() noexcept {
  return (ReadMXCSR() >> SSEMaskShift) & FPUMaskAll;
}

#else

// Other processors keep their own masks; the framework does not change them.
std::uint32_t SetFPUMask(std::uint32_t) noexcept {
  return FPUMaskAll;
}

std::uint32_t GetFPUMask() noexcept {
  return FPUMaskAll;
}

std::uint32_t GetSSEMask() noexcept {
  return FPUMaskAll;
}

#endif

#include "expr/functions/uVector.h"

#include "platform/uFloatErrors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

// TVector storage

TVector& TVector::operator=(const TVector& other) {
  if (this != &other) {
    Size_ = 0;
    Reserve(other.Size_);
    std::copy(other.begin(), other.end(), data());
    Size_ = other.Size_;
  }
  return *this;
}

TVector& TVector::operator=(TVector&& other) noexcept {
  if (this != &other) {
    Heap_ = std::move(other.Heap_);
    Size_ = other.Size_;
    Capacity_ = other.Capacity_;
    if (!Heap_)
      CopyInline(other);
    other.Size_ = 0;
    other.Capacity_ = InlineCapacity;
  }
  return *this;
}

void TVector::Reserve(std::size_t capacity) {
  if (capacity <= Capacity_)
    return;
  if (capacity > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("TVector too long");
  auto grown = std::max<std::size_t>(capacity, std::size_t{Capacity_} * 2);
  grown = std::min<std::size_t>(grown, std::numeric_limits<std::uint32_t>::max());
  auto heap = std::make_unique_for_overwrite<long double[]>(grown);
  std::copy(begin(), end(), heap.get());
  Heap_ = std::move(heap);
  Capacity_ = static_cast<std::uint32_t>(grown);
}

void TVector::push_back(long double value) {
  Reserve(std::size_t{Size_} + 1);
  data()[Size_++] = value;
}

bool operator==(const TVector& a, const TVector& b) noexcept {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

namespace {

// Within an error check: the sum without a check of its own.
long double SumOf(const TVector& A) {
  long double sum = 0;
  for (long double element : A)
    sum += element;
  return sum;
}

// The zero rule of division and modulo: +inf, -inf or 0 by the sign of the dividend.
long double DivideByZeroSum(long double dividend) {
  if (dividend > 0)
    return std::numeric_limits<long double>::infinity();
  if (dividend < 0)
    return -std::numeric_limits<long double>::infinity();
  return 0;
}

// A new vector of A's length with element i = f(A[i]), under one error check.
template <class F>
TVector MapElements(const TVector& A, F f) {
  TFloatErrorCheck check;
  TVector result = TVector::Zeros(A.size());
  for (std::size_t i = 0; i < A.size(); ++i)
    result[i] = f(A[i]);
  check.Check();
  return result;
}

// The one-element vector of f(scalar of A), under one error check.
template <class F>
TVector MapScalar(const TVector& A, F f) {
  return NumToVector(FloatChecked(f, VectorToNum(A)));
}

// The one-element vector of an integer result.
TVector IntegerVector(std::int64_t value) {
  return NumToVector(static_cast<long double>(value));
}

constexpr long double TwoPower63 = 9223372036854775808.0L;

// Bitwise operation of RoundAway(A[i]) against an integer taken from the scalar of B.
template <class F>
TVector MapBits(const TVector& A, std::int64_t b, F f) {
  return MapElements(A, [&](long double a) {
    return static_cast<long double>(static_cast<std::int64_t>(f(RoundAway(a), b)));
  });
}

std::uint64_t ShiftCount(const TVector& B) {
  return static_cast<std::uint64_t>(RoundAway(VectorToNum(B)));
}

} // namespace

long double VectorSum(const TVector& A) {
  TFloatErrorCheck check;
  long double sum = SumOf(A);
  FloatBarrier(sum);
  check.Check();
  return sum;
}

// Numeric helpers

std::int64_t TruncToInt64(long double X) {
  // Rejects NaN too: every comparison with it is false.
  if (!(X > -TwoPower63 - 1 && X < TwoPower63))
    throw EInvalidOp();
  return static_cast<std::int64_t>(X);
}

std::int64_t RoundAway(long double X) {
  std::int64_t whole = TruncToInt64(X);
  long double fraction = X - static_cast<long double>(whole);
  // Near 2^63 the rounded value leaves the range even though the truncated one fits.
  return TruncToInt64(static_cast<long double>(whole) + std::trunc(2 * fraction));
}

std::int64_t RoundEven(long double X) {
  return TruncToInt64(std::nearbyint(X));
}

long double FloorMod(long double X, long double Y) {
  long double ratio = X / Y;
  // A quotient that overflowed is reported as the overflow it is, as a division reports it,
  // before its conversion finds it out of range.
  FloatBarrier(ratio);
  RaiseFloatErrors();
  std::int64_t quotient = TruncToInt64(ratio);
  if (ratio - static_cast<long double>(quotient) < 0)
    --quotient;
  return X - static_cast<long double>(quotient) * Y;
}

long double Power(long double Base, long double Exponent) {
  if (Exponent == 0)
    return 1;
  if (Base == 0 && Exponent > 0)
    return 0;
  if (Exponent == std::trunc(Exponent) && std::fabs(Exponent) <= 2147483647.0L) {
    auto count = static_cast<std::uint32_t>(std::fabs(Exponent));
    long double result = 1;
    long double square = Base;
    for (;;) {
      if (count & 1)
        result *= square;
      count >>= 1;
      if (count == 0)
        break;
      square *= square;
    }
    return Exponent < 0 ? 1 / result : result;
  }
  return std::exp(Exponent * std::log(Base));
}

long double Gamma(long double X) {
  // The poles: the C library reports negative integers as invalid, the framework as division by
  // zero.
  if (std::isfinite(X) && X <= 0 && X == std::trunc(X))
    throw EZeroDivide();
  return FloatChecked([](long double x) { return std::tgamma(x); }, X);
}

// Element-wise operations

TVector VectorNeg(const TVector& A) {
  return MapElements(A, [](long double a) { return -a; });
}

TVector VectorAdd(const TVector& A, const TVector& B) {
  TFloatErrorCheck check;
  TVector result = TVector::Zeros(std::max(A.size(), B.size()));
  for (std::size_t i = 0; i < result.size(); ++i) {
    long double element = 0;
    if (i < A.size())
      element += A[i];
    if (i < B.size())
      element += B[i];
    result[i] = element;
  }
  check.Check();
  return result;
}

TVector VectorSub(const TVector& A, const TVector& B) {
  return VectorAdd(A, VectorNeg(B));
}

TVector VectorMul(const TVector& A, const TVector& B) {
  TFloatErrorCheck check;
  long double sum = SumOf(B);
  TVector result = TVector::Zeros(A.size());
  for (std::size_t i = 0; i < A.size(); ++i)
    result[i] = A[i] * sum;
  check.Check();
  return result;
}

TVector VectorDiv(const TVector& A, const TVector& B) {
  TFloatErrorCheck check;
  long double sum = SumOf(B);
  TVector result = TVector::Zeros(A.size());
  for (std::size_t i = 0; i < A.size(); ++i)
    result[i] = sum == 0 ? DivideByZeroSum(A[i]) : A[i] / sum;
  check.Check();
  return result;
}

TVector VectorMod(const TVector& A, const TVector& B) {
  TFloatErrorCheck check;
  long double sum = SumOf(B);
  TVector result = TVector::Zeros(A.size());
  for (std::size_t i = 0; i < A.size(); ++i)
    result[i] = sum == 0 ? DivideByZeroSum(A[i]) : FloorMod(A[i], sum);
  check.Check();
  return result;
}

TVector VectorSqr(const TVector& A) {
  return MapElements(A, [](long double a) { return a * a; });
}

TVector VectorSqrt(const TVector& A) {
  return MapElements(A, [](long double a) { return std::sqrt(a); });
}

// Bitwise operations

TVector VectorShl(const TVector& A, const TVector& B) {
  return MapBits(A, 0, [count = ShiftCount(B)](std::int64_t a, std::int64_t) {
    return count < 64 ? static_cast<std::uint64_t>(a) << count : 0;
  });
}

TVector VectorShr(const TVector& A, const TVector& B) {
  return MapBits(A, 0, [count = ShiftCount(B)](std::int64_t a, std::int64_t) {
    return count < 64 ? static_cast<std::uint64_t>(a) >> count : 0;
  });
}

TVector VectorAnd(const TVector& A, const TVector& B) {
  return MapBits(A, RoundAway(VectorToNum(B)),
                 [](std::int64_t a, std::int64_t b) { return a & b; });
}

TVector VectorOr(const TVector& A, const TVector& B) {
  return MapBits(A, RoundAway(VectorToNum(B)),
                 [](std::int64_t a, std::int64_t b) { return a | b; });
}

TVector VectorXor(const TVector& A, const TVector& B) {
  return MapBits(A, RoundAway(VectorToNum(B)),
                 [](std::int64_t a, std::int64_t b) { return a ^ b; });
}

TVector VectorXnor(const TVector& A, const TVector& B) {
  return MapBits(A, RoundEven(VectorToNum(B)),
                 [](std::int64_t a, std::int64_t b) { return ~(a ^ b); });
}

// Scalar operations

TVector VectorPower(const TVector& A, const TVector& B) {
  return NumToVector(FloatChecked(Power, VectorToNum(A), VectorToNum(B)));
}

TVector VectorLog(const TVector& A, const TVector& B) {
  return NumToVector(
      FloatChecked([](long double base, long double x) { return std::log2(x) / std::log2(base); },
                   VectorToNum(A), VectorToNum(B)));
}

TVector VectorLn(const TVector& A) {
  return MapScalar(A, [](long double a) { return std::log(a); });
}

TVector VectorExp(const TVector& A) {
  return MapScalar(A, [](long double a) { return std::exp(a); });
}

TVector VectorTrunc(const TVector& A) {
  return IntegerVector(TruncToInt64(VectorToNum(A)));
}

TVector VectorFloor(const TVector& A) {
  return IntegerVector(TruncToInt64(std::floor(VectorToNum(A))));
}

TVector VectorCeil(const TVector& A) {
  return IntegerVector(TruncToInt64(std::ceil(VectorToNum(A))));
}

TVector VectorRound(const TVector& A) {
  return IntegerVector(RoundAway(VectorToNum(A)));
}

TVector VectorFrac(const TVector& A) {
  return MapScalar(A, [](long double a) { return a - std::trunc(a); });
}

TVector VectorAbs(const TVector& A) {
  return NumToVector(std::fabs(VectorToNum(A)));
}

TVector VectorNot(const TVector& A) {
  return IntegerVector(~RoundAway(VectorToNum(A)));
}

TVector VectorInv(const TVector& A) {
  return VectorDiv(TVector{1}, A);
}

TVector VectorFact(const TVector& A) {
  long double x = VectorToNum(A);
  if (x != std::trunc(x))
    return NumToVector(Gamma(x + 1));
  if (x < 0)
    return NumToVector(1);
  if (x > 1754)
    return NumToVector(std::numeric_limits<long double>::infinity());
  std::int64_t last = RoundAway(x);
  long double product = 1;
  for (std::int64_t factor = 2; factor <= last; ++factor)
    product *= static_cast<long double>(factor);
  return NumToVector(product);
}

TVector VectorGamma(const TVector& A) {
  return NumToVector(Gamma(VectorToNum(A)));
}

long double VectorCompare(const TVector& A, const TVector& B) {
  return FloatChecked([](long double a, long double b) { return a - b; }, VectorSum(A),
                      VectorSum(B));
}

#pragma once

// The value type of the expression language and the arithmetic the function libraries are made of.
//
// Three rules run through the operations: element-wise operations on two vectors pad the shorter
// with zeros; multiplication, division and modulo use the sum of the second operand; everything
// else works on the scalar of a vector, its first element (0 for the empty vector).
//
// Every operation raises EInvalidOp, EZeroDivide or EOverflow (platform/uExceptions.h) when its
// arithmetic meets an invalid operation, a division by zero or an overflow. Division and modulo by
// a zero sum are not errors: they give +inf, -inf or 0 by the sign of the dividend.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>

// An ordered sequence of zero or more extended reals with value semantics. The empty vector
// stands for the absence of a value. Vectors of up to two elements, nearly every value an
// expression computes, live inside the object without a heap allocation.
class TVector {
 public:
  using value_type = long double;
  using iterator = long double*;
  using const_iterator = const long double*;

  TVector() noexcept {}
  TVector(std::initializer_list<long double> values)
      : TVector(std::span(values.begin(), values.size())) {}
  explicit TVector(std::span<const long double> values) {
    if (values.size() > Capacity_)
      Reserve(values.size());
    std::copy(values.begin(), values.end(), data());
    Size_ = static_cast<std::uint32_t>(values.size());
  }
  TVector(const TVector& other) : TVector(std::span(other.begin(), other.end())) {}
  TVector(TVector&& other) noexcept
      : Heap_(std::move(other.Heap_)), Size_(other.Size_), Capacity_(other.Capacity_) {
    if (!Heap_)
      CopyInline(other);
    other.Size_ = 0;
    other.Capacity_ = InlineCapacity;
  }
  TVector& operator=(const TVector& other);
  TVector& operator=(TVector&& other) noexcept;
  ~TVector() = default;

  // A vector of count zeros.
  static TVector Zeros(std::size_t count) {
    TVector result;
    result.resize(count);
    return result;
  }

  std::size_t size() const noexcept { return Size_; }
  bool empty() const noexcept { return Size_ == 0; }
  long double* data() noexcept { return Heap_ ? Heap_.get() : Inline_; }
  const long double* data() const noexcept { return Heap_ ? Heap_.get() : Inline_; }
  long double& operator[](std::size_t i) noexcept { return data()[i]; }
  long double operator[](std::size_t i) const noexcept { return data()[i]; }
  iterator begin() noexcept { return data(); }
  iterator end() noexcept { return data() + Size_; }
  const_iterator begin() const noexcept { return data(); }
  const_iterator end() const noexcept { return data() + Size_; }

  // Changes the length; new elements are 0.
  void resize(std::size_t count) {
    if (count > Capacity_)
      Reserve(count);
    if (count > Size_)
      std::fill(data() + Size_, data() + count, 0.0L);
    Size_ = static_cast<std::uint32_t>(count);
  }
  void push_back(long double value);
  void clear() noexcept { Size_ = 0; }

  // Same length and equal elements.
  friend bool operator==(const TVector& a, const TVector& b) noexcept;
  friend TVector NumToVector(long double X) noexcept;

 private:
  void Reserve(std::size_t capacity);
  // Copies the whole inline storage as bytes: a fixed-size copy costs less than one of Size_
  // elements, and bytes past Size_ may be copied unset.
  void CopyInline(const TVector& other) noexcept {
    std::memcpy(Inline_, other.Inline_, sizeof Inline_);
  }

  static constexpr std::uint32_t InlineCapacity = 2;

  std::unique_ptr<long double[]> Heap_;
  std::uint32_t Size_ = 0;
  std::uint32_t Capacity_ = InlineCapacity;
  long double Inline_[InlineCapacity];
};

// The first element, or 0 for the empty vector.
inline long double VectorToNum(const TVector& A) noexcept {
  return A.empty() ? 0.0L : A[0];
}

// The one-element vector [X].
inline TVector NumToVector(long double X) noexcept {
  TVector result;
  result.Inline_[0] = X;
  result.Size_ = 1;
  return result;
}
// The elements added in index order to an accumulator that starts at 0; 0 for the empty vector.
long double VectorSum(const TVector& A);

// Numeric helpers.

// X truncated toward zero; EInvalidOp when it does not fit a signed 64-bit integer.
std::int64_t TruncToInt64(long double X);
// trunc(X) + trunc(2 * frac(X)): rounds halves away from zero (2.5 -> 3, -2.5 -> -3).
std::int64_t RoundAway(long double X);
// The nearest integer, ties to even (2.5 -> 2, 3.5 -> 4).
std::int64_t RoundEven(long double X);
// X - floor(X / Y) * Y with the quotient taken as a signed 64-bit integer; the result has the
// sign of Y: FloorMod(-7, 3) = 2, FloorMod(7, -3) = -2.
long double FloorMod(long double X, long double Y);
// Base raised to Exponent: 1 for Exponent 0, 0 for Base 0 and Exponent > 0, repeated squaring for
// integral exponents up to 2147483647 in magnitude, e^(Exponent * ln Base) otherwise.
long double Power(long double Base, long double Exponent);
// The gamma function; EZeroDivide at 0 and at negative integers.
long double Gamma(long double X);

// Element-wise operations.

TVector VectorNeg(const TVector& A);
// Length of the longer operand; the shorter is padded with zeros.
TVector VectorAdd(const TVector& A, const TVector& B);
TVector VectorSub(const TVector& A, const TVector& B);
// A[i] * Sum(B).
TVector VectorMul(const TVector& A, const TVector& B);
// A[i] / Sum(B); a zero sum gives +inf, -inf or 0 by the sign of A[i].
TVector VectorDiv(const TVector& A, const TVector& B);
// FloorMod(A[i], Sum(B)); a zero sum gives +inf, -inf or 0 by the sign of A[i].
TVector VectorMod(const TVector& A, const TVector& B);
TVector VectorSqr(const TVector& A);
TVector VectorSqrt(const TVector& A);

// Bitwise operations on RoundAway(A[i]) against the scalar of B, in signed 64-bit integers.
// Shift counts 0 to 63 shift by that many bits; other counts shift every bit out and give 0.

TVector VectorShl(const TVector& A, const TVector& B);
// Logical shift: zeros come in from the left.
TVector VectorShr(const TVector& A, const TVector& B);
TVector VectorAnd(const TVector& A, const TVector& B);
TVector VectorOr(const TVector& A, const TVector& B);
TVector VectorXor(const TVector& A, const TVector& B);
// not (RoundAway(A[i]) xor RoundEven(scalar of B)): the second operand rounds ties to even.
TVector VectorXnor(const TVector& A, const TVector& B);

// Scalar operations: each returns a one-element vector.

TVector VectorPower(const TVector& A, const TVector& B);
// Logarithm of the scalar of B to the base of the scalar of A.
TVector VectorLog(const TVector& A, const TVector& B);
TVector VectorLn(const TVector& A);
TVector VectorExp(const TVector& A);
// Truncation, floor, ceiling and rounding give whole numbers within the signed 64-bit range.
TVector VectorTrunc(const TVector& A);
TVector VectorFloor(const TVector& A);
TVector VectorCeil(const TVector& A);
TVector VectorRound(const TVector& A);
// The fractional part, with the sign of the scalar.
TVector VectorFrac(const TVector& A);
TVector VectorAbs(const TVector& A);
// Bitwise not of RoundAway(scalar), that is -RoundAway(scalar) - 1.
TVector VectorNot(const TVector& A);
// 1 / Sum(A); +inf when the sum is 0.
TVector VectorInv(const TVector& A);
// Factorial: Gamma(x + 1) for fractional x, 1 for negative integers, +inf above 1754.
TVector VectorFact(const TVector& A);
TVector VectorGamma(const TVector& A);

// Sum(A) - Sum(B).
long double VectorCompare(const TVector& A, const TVector& B);

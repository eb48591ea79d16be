#include "expr/functions/uStatisticsFunctions.h"

#include "expr/functions/uNamespace.h"

std::uint32_t RandomSeed = 0;

std::uint32_t RandomNumber(std::uint32_t Range) noexcept {
  RandomSeed = RandomSeed * 134775813u + 1;
  return static_cast<std::uint32_t>((std::uint64_t{RandomSeed} * Range) >> 32);
}

namespace {

constexpr const char* Statistics = "Statistics";

using TArgs = std::span<const TVector>;

TVector Count(TArgs X) {
  return NumToVector(static_cast<long double>(X.size()));
}

TVector Sum(TArgs X) {
  TVector sum;
  for (const TVector& x : X)
    sum = VectorAdd(sum, x);
  return sum;
}

TVector Avg(TArgs X) {
  return VectorDiv(Sum(X), Count(X));
}

TVector Variance0(TArgs X) {
  if (X.size() < 2)
    return TVector();
  TVector mean = Avg(X);
  TVector squares;
  for (const TVector& x : X)
    squares = VectorAdd(squares, VectorSqr(VectorSub(x, mean)));
  return VectorDiv(squares, Count(X));
}

TVector StandardDeviation(TArgs X) {
  return VectorSqrt(Variance0(X));
}

// The mean of the scalars raised to the power k.
TVector PowerMean(TArgs X, long double k) {
  TVector sum;
  for (const TVector& x : X)
    sum = VectorAdd(sum, VectorPower(x, NumToVector(k)));
  return VectorDiv(sum, Count(X));
}

TVector PowerMoment(TArgs X, long double k) {
  return VectorSub(PowerMean(X, k), VectorSqr(PowerMean(X, k - 1)));
}

void AvgCallback(TArgs X, TVector& Result) {
  Result = Avg(X);
}

void AvgG(TArgs X, TVector& Result) {
  if (X.empty()) {
    Result = TVector();
    return;
  }
  TVector product = X[0];
  for (const TVector& x : X.subspan(1))
    product = VectorMul(product, x);
  Result = VectorPower(product, NumToVector(1.0L / static_cast<long double>(X.size())));
}

void AvgH(TArgs X, TVector& Result) {
  if (X.empty()) {
    Result = TVector();
    return;
  }
  TVector reciprocals = VectorInv(X[0]);
  for (const TVector& x : X.subspan(1))
    reciprocals = VectorAdd(reciprocals, VectorInv(x));
  Result = VectorDiv(Count(X), reciprocals);
}

void CountCallback(TArgs X, TVector& Result) {
  Result = Count(X);
}

// The argument with the smallest (sign 1) or largest (sign -1) sum; the earliest among equals.
template <int Sign>
void Extreme(TArgs X, TVector& Result) {
  if (X.empty()) {
    Result = TVector();
    return;
  }
  const TVector* best = &X[0];
  for (const TVector& x : X.subspan(1))
    if (Sign * VectorCompare(*best, x) > 0)
      best = &x;
  Result = *best;
}

void Skew(TArgs X, TVector& Result) {
  if (X.empty()) {
    Result = TVector();
    return;
  }
  TVector cube = VectorPower(StandardDeviation(X), NumToVector(3));
  Result = VectorDiv(PowerMoment(X, 3), cube);
}

void SumCallback(TArgs X, TVector& Result) {
  Result = Sum(X);
}

void Dx(TArgs X, TVector& Result) {
  if (X.size() < 2) {
    Result = TVector();
    return;
  }
  TVector mean = Avg(X);
  TVector deviations = NumToVector(0);
  for (const TVector& x : X)
    deviations = VectorAdd(deviations, VectorAbs(VectorSub(x, mean)));
  Result = VectorDiv(deviations, Count(X));
}

void Variance0Callback(TArgs X, TVector& Result) {
  Result = Variance0(X);
}

void Ex(TArgs X, TVector& Result) {
  Result = StandardDeviation(X);
}

void VarianceCoef(TArgs X, TVector& Result) {
  Result = VectorSqrt(VectorDiv(Variance0(X), Avg(X)));
}

void Random(TArgs X, TVector& Result) {
  if (X.empty()) {
    Result = NumToVector(static_cast<long double>(RandomNumber(2147483647)) / 2147483647);
    return;
  }
  auto range = static_cast<std::int32_t>(RoundAway(VectorToNum(X[0])));
  // A negative range draws from the mirrored interval range + 1 .. 0.
  if (range < 0)
    Result =
        NumToVector(-static_cast<long double>(RandomNumber(-static_cast<std::uint32_t>(range))));
  else
    Result = NumToVector(RandomNumber(static_cast<std::uint32_t>(range)));
}

} // namespace

void InitializeStatisticsFunctions() {
  RandomSeed = 0;
  AddFunction(Statistics, "Avg", AvgCallback, "https://en.wikipedia.org/wiki/Arithmetic_mean");
  AddFunction(Statistics, "AvgG", AvgG, "https://en.wikipedia.org/wiki/Geometric_mean");
  AddFunction(Statistics, "AvgH", AvgH, "https://en.wikipedia.org/wiki/Harmonic_mean");
  AddFunction(Statistics, "Count", CountCallback, "https://en.wikipedia.org/wiki/Counting");
  AddFunction(Statistics, "Min", Extreme<1>, "https://en.wikipedia.org/wiki/Maximum_and_minimum");
  AddFunction(Statistics, "Max", Extreme<-1>, "https://en.wikipedia.org/wiki/Maximum_and_minimum");
  AddFunction(Statistics, "Skew", Skew, "https://en.wikipedia.org/wiki/Skewness");
  AddFunction(Statistics, "Sum", SumCallback, "https://en.wikipedia.org/wiki/Summation");
  AddFunction(Statistics, "dx", Dx, "https://en.wikipedia.org/wiki/Average_absolute_deviation");
  AddFunction(Statistics, "Variance0", Variance0Callback, "https://en.wikipedia.org/wiki/Variance");
  AddFunction(Statistics, "ex", Ex, "https://en.wikipedia.org/wiki/Standard_deviation");
  AddFunction(Statistics, "VarianceCoef", VarianceCoef, "");
  AddFunction(Statistics, "Random", Random,
              "https://en.wikipedia.org/wiki/Pseudorandom_number_generator");
}

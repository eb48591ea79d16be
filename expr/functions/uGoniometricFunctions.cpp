#include "expr/functions/uGoniometricFunctions.h"

#include "expr/functions/uNamespace.h"
#include "platform/uFloatErrors.h"

#include <cmath>

TAngleUnit AngleUnit = auRadian;

namespace {

constexpr const char* Goniometic = "Goniometic";
constexpr const char* CircularLink = "https://en.wikipedia.org/wiki/Trigonometric_functions";
constexpr const char* InverseCircularLink =
    "https://en.wikipedia.org/wiki/Inverse_trigonometric_functions";
constexpr const char* HyperbolicLink = "https://en.wikipedia.org/wiki/Hyperbolic_functions";
constexpr const char* InverseHyperbolicLink =
    "https://en.wikipedia.org/wiki/Inverse_hyperbolic_functions";

constexpr long double Pi = 3.1415926535897932385L;
// Below this magnitude the hyperbolic functions take their value at 0.
constexpr long double Tiny = 1e-16L;
// The processor's sine and cosine give up at this magnitude; so do these.
constexpr long double TwoPower63 = 9223372036854775808.0L;

// Radians per unit, by TAngleUnit.
constexpr long double UnitFactors[] = {1.0L, 0.015707963267948966192L, 6.283185307179586477L,
                                       0.017453292519943295769L};

TVector ToRadians(const TVector& A) {
  return AngleUnit == auRadian ? A : VectorMul(A, NumToVector(UnitFactors[AngleUnit]));
}

TVector FromRadians(const TVector& A) {
  return AngleUnit == auRadian ? A : VectorDiv(A, NumToVector(UnitFactors[AngleUnit]));
}

// The one-element vector of f(scalar of A), with the floating-point errors raised.
template <class F>
TVector Scalar(const TVector& A, F f) {
  return NumToVector(FloatChecked(f, VectorToNum(A)));
}

long double SinhOf(long double x) {
  return std::fabs(x) <= Tiny ? 0.0L : (std::exp(x) - std::exp(-x)) / 2;
}

long double CoshOf(long double x) {
  return std::fabs(x) <= Tiny ? 1.0L : (std::exp(x) + std::exp(-x)) / 2;
}

void PI(TVector& Result) {
  Result = NumToVector(Pi);
}

void Sin(const TVector& A, TVector& Result) {
  Result = Scalar(ToRadians(A),
                  [](long double x) { return std::fabs(x) >= TwoPower63 ? 0.0L : std::sin(x); });
}

void Cos(const TVector& A, TVector& Result) {
  Result = Scalar(ToRadians(A),
                  [](long double x) { return std::fabs(x) >= TwoPower63 ? 0.0L : std::cos(x); });
}

void Tan(const TVector& A, TVector& Result) {
  Result = Scalar(ToRadians(A), [](long double x) { return std::tan(x); });
}

void ArcSin(const TVector& A, TVector& Result) {
  Result =
      FromRadians(Scalar(A, [](long double x) { return std::atan2(x, std::sqrt(1 - x * x)); }));
}

void ArcCos(const TVector& A, TVector& Result) {
  Result =
      FromRadians(Scalar(A, [](long double x) { return std::atan2(std::sqrt(1 - x * x), x); }));
}

void Sinh(const TVector& A, TVector& Result) {
  Result = Scalar(A, SinhOf);
}

void Cosh(const TVector& A, TVector& Result) {
  Result = Scalar(A, CoshOf);
}

void Tanh(const TVector& A, TVector& Result) {
  Result =
      Scalar(A, [](long double x) { return std::fabs(x) <= Tiny ? 0.0L : SinhOf(x) / CoshOf(x); });
}

long double ArcSinhOf(long double x) {
  return std::log(x + std::sqrt(x * x + 1));
}

void ArcSinh(const TVector& A, TVector& Result) {
  // The function is odd; taking negative arguments through the positive side keeps
  // x + sqrt(x^2 + 1) from cancelling to 0 for large negative x.
  Result = Scalar(A, [](long double x) { return x < 0 ? -ArcSinhOf(-x) : ArcSinhOf(x); });
}

void ArcCosh(const TVector& A, TVector& Result) {
  Result =
      Scalar(A, [](long double x) { return std::log(x + (x + 1) * std::sqrt((x - 1) / (x + 1))); });
}

void ArcTanh(const TVector& A, TVector& Result) {
  Result = Scalar(A, [](long double x) {
    if (std::fabs(x - 1) <= Tiny)
      return HUGE_VALL;
    if (std::fabs(x + 1) <= Tiny)
      return -HUGE_VALL;
    return 0.5L * std::log((1 + x) / (1 - x));
  });
}

} // namespace

void InitializeGoniometricFunctions() {
  AddFunction(Goniometic, "PI", PI, "https://en.wikipedia.org/wiki/Pi");
  AddFunction(Goniometic, "Sin", Sin, "https://en.wikipedia.org/wiki/Sine_and_cosine");
  AddFunction(Goniometic, "Cos", Cos, "https://en.wikipedia.org/wiki/Sine_and_cosine");
  AddFunction(Goniometic, "Tan", Tan, CircularLink);
  AddFunction(Goniometic, "ArcSin", ArcSin, InverseCircularLink);
  AddFunction(Goniometic, "ArcCos", ArcCos, InverseCircularLink);
  AddFunction(Goniometic, "Sinh", Sinh, HyperbolicLink);
  AddFunction(Goniometic, "Cosh", Cosh, HyperbolicLink);
  AddFunction(Goniometic, "Tanh", Tanh, HyperbolicLink);
  AddFunction(Goniometic, "ArcSinh", ArcSinh, InverseHyperbolicLink);
  AddFunction(Goniometic, "ArcCosh", ArcCosh, InverseHyperbolicLink);
  AddFunction(Goniometic, "ArcTanh", ArcTanh, InverseHyperbolicLink);
}

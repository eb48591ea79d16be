// Gamma and the factorial of non-integers against ALGLIB's gamma function, an independent
// implementation in double precision.

#include "expr/functions/uVector.h"
#include "support/TestVectors.h"

#include <gtest/gtest.h>
#include <libalglib/specialfunctions.h>

#include <cmath>

namespace {

// ALGLIB computes in double precision: about 15 significant digits agree.
constexpr long double Tolerance = 1e-13L;

bool NearAlglib(long double actual, double x) {
  long double reference = alglib::gammafunction(x);
  return std::fabs(actual - reference) <= Tolerance * std::fabs(reference);
}

TEST(TGamma, AgreesWithAlglib) {
  for (double x : {0.5, 1.5, 2.5, 4.7, 10.3, 30.1, 100.25, 170.5, -0.5, -2.5, -7.3, 1e-5, 3.0})
    EXPECT_TRUE(NearAlglib(VectorGamma({x})[0], x))
        << "gamma(" << x << ") = " << static_cast<double>(VectorGamma({x})[0])
        << ", ALGLIB: " << alglib::gammafunction(x);
}

TEST(TGamma, FactorialOfAFractionIsGammaOfTheNextValue) {
  for (double x : {0.5, 1.25, 7.5, 20.75, 170.5, -0.5, -1.5, -3.25})
    EXPECT_TRUE(NearAlglib(VectorFact({x})[0], x + 1))
        << "fact(" << x << ") = " << static_cast<double>(VectorFact({x})[0])
        << ", ALGLIB gamma(x + 1): " << alglib::gammafunction(x + 1);
}

TEST(TGamma, FactorialOfIntegersMatchesGammaOfTheNextInteger) {
  for (int n = 0; n <= 30; ++n)
    EXPECT_TRUE(NearAlglib(VectorFact({static_cast<long double>(n)})[0], n + 1.0)) << n;
}

TEST(TGamma, FactorialOfIntegersIsExactWhileItFitsTheMantissa) {
  long double product = 1;
  for (int n = 1; n <= 20; ++n) {
    product *= n;
    EXPECT_EQ(VectorFact({static_cast<long double>(n)}), TVector{product}) << n;
  }
}

} // namespace

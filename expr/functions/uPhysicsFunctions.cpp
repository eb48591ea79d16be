#include "expr/functions/uPhysicsFunctions.h"

#include "expr/functions/uNamespace.h"
#include "platform/uFloatErrors.h"

namespace {

constexpr long double StandardGravity = 9.80665L; // m/s^2 at the Earth's surface
constexpr long double EarthRadius = 6378000;      // m

// No argument: the standard gravity. A distance above 0 from the Earth's centre scales it by
// EarthRadius / distance; any other distance leaves the result unassigned.
void Gravity(std::span<const TVector> Args, TVector& Result) {
  if (Args.empty()) {
    Result = NumToVector(StandardGravity);
    return;
  }
  long double distance = VectorToNum(Args[0]);
  if (distance > 0)
    Result = NumToVector(
        FloatChecked([](long double x) { return StandardGravity / (x / EarthRadius); }, distance));
}

} // namespace

void InitializePhysicsFunctions() {
  AddFunction("Physics", "Gravity", Gravity, "https://en.wikipedia.org/wiki/Gravity_of_Earth");
}

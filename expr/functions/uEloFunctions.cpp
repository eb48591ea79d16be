#include "expr/functions/uEloFunctions.h"

#include "expr/functions/uNamespace.h"
#include "platform/uFloatErrors.h"

#include <cmath>
#include <limits>

namespace {

constexpr const char* Chess = "Chess";
constexpr const char* EloLink = "https://en.wikipedia.org/wiki/Elo_rating_system";

// Entry k is the rating difference for the score fraction 1 - k / 100.
constexpr std::int32_t EloDifferenceTable[51] = {
    765, 677, 589, 538, 501, 470, 444, 422, 401, 383, 368, 351, 336, 322, 309, 296, 284,
    273, 262, 251, 240, 230, 220, 211, 202, 193, 184, 175, 166, 158, 149, 141, 133, 125,
    117, 110, 102, 95,  87,  80,  72,  65,  57,  50,  43,  36,  29,  21,  14,  7,   0};

// Scalars of the arguments, which may be empty.
long double Scalar(std::span<const TVector> Args, std::size_t i) {
  return VectorToNum(Args[i]);
}

// The sum of the scalars of Args.
long double ScalarSum(std::span<const TVector> Args) {
  long double sum = 0;
  for (const TVector& arg : Args)
    sum += VectorToNum(arg);
  return sum;
}

// The one-element vector of a result computed from plain arithmetic, with its errors raised.
TVector Checked(long double value, const TFloatErrorCheck& check) {
  FloatBarrier(value);
  check.Check();
  return NumToVector(value);
}

// No argument: unassigned. One: the difference for that score. More: the rating of the last
// argument's score against the others as opponents.
void Elo(std::span<const TVector> Args, TVector& Result) {
  if (Args.empty())
    return;
  if (Args.size() == 1) {
    Result = NumToVector(EloDifference(Scalar(Args, 0)));
    return;
  }
  TFloatErrorCheck check;
  const auto opponents = static_cast<long double>(Args.size() - 1);
  long double ratings = ScalarSum(Args.first(Args.size() - 1));
  long double score = Scalar(Args, Args.size() - 1);
  Result = Checked(EloDifference(score) / opponents + ratings / opponents, check);
}

void ArcElo(std::span<const TVector> Args, TVector& Result) {
  TFloatErrorCheck check;
  long double difference = ScalarSum(Args);
  FloatBarrier(difference);
  check.Check();
  Result = NumToVector(EloScore(difference));
}

// "EloC", "EloDif" and "EloPerfo". An even count is the coefficient layout (coefficient, own
// rating, then pairs of opponent rating and result) and gives the rating change; an odd count
// is the performance layout (own rating, then pairs) and gives the performance rating.
void EloRating(std::span<const TVector> Args, TVector& Result) {
  const std::size_t n = Args.size();
  if (n < 3)
    return;
  const bool coefficientLayout = n % 2 == 0;
  const std::size_t firstPair = coefficientLayout ? 2 : 1;
  const long double own = coefficientLayout ? Scalar(Args, 1) : 0;

  TFloatErrorCheck check;
  long double ratings = 0;
  long double points = 0;
  int counted = 0;
  for (std::size_t pair = firstPair; pair + 1 < n; pair += 2) {
    long double opponent = Scalar(Args, pair);
    if (opponent <= 0)
      continue;
    // A much weaker opponent counts as 300 points below the player's own rating.
    if (coefficientLayout && opponent < own - 300)
      opponent = own - 300;
    ratings += opponent;
    points += Scalar(Args, pair + 1);
    ++counted;
  }
  if (counted == 0)
    return;
  FloatBarrier(ratings, points);
  check.Check();

  const long double average = static_cast<long double>(RoundAway(ratings / counted));
  if (!coefficientLayout) {
    TFloatErrorCheck performance;
    Result = Checked(average + EloDifference(points / counted), performance);
    return;
  }
  TFloatErrorCheck change;
  long double expected = EloScore(own - average);
  auto hundredths = static_cast<long double>(RoundAway(expected * counted * 100));
  Result = Checked(
      static_cast<long double>(RoundAway(Scalar(Args, 0))) * (points - hundredths / 100), change);
}

} // namespace

std::int32_t EloDifference(long double p) {
  if (!(p > 0))
    return -EloDifferenceTable[0];
  if (p >= 1)
    return EloDifferenceTable[0];
  if (p < 0.5L)
    return -EloDifferenceTable[RoundAway(p * 100)];
  return EloDifferenceTable[100 - RoundAway(p * 100)];
}

long double EloScore(long double d) {
  // Starting from infinity rather than a finite bound, a difference beyond every table entry
  // still finds the nearest end of the table.
  long double best = std::numeric_limits<long double>::infinity();
  long double result = 0;
  for (int i = 0; i <= 100; ++i) {
    long double p = i / 100.0L;
    long double distance = std::fabs(EloDifference(p) - d);
    if (distance < best) {
      best = distance;
      result = p;
    }
  }
  return result;
}

void InitializeEloFunctions() {
  AddFunction(Chess, "Elo", Elo,
              std::string("Probably Elo difference for result <0..1>. ") + EloLink);
  AddFunction(Chess, "ArcElo", ArcElo,
              std::string("Probably result <0..1> for Elo difference. ") + EloLink);
  AddFunction(Chess, "EloC", EloRating,
              "([Coef.]; Your elo; 1st opponent elo; 1st opponent result; 2nd opponent elo; "
              "2nd opponent result...)");
  AddFunction(Chess, "EloDif", EloRating,
              std::string("Return elo difference (Coef.; Your elo; 1st opponent elo; 1st opponent "
                          "result; 2nd opponent elo; 2nd opponent result...) ") +
                  EloLink);
  AddFunction(Chess, "EloPerfo", EloRating,
              std::string("Return Elo performance (Your elo; 1st opponent elo; 1st opponent "
                          "result; 2nd opponent elo; 2nd opponent result...) ") +
                  EloLink);
}

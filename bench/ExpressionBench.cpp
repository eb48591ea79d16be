// Reading typed field texts: StrToValE one-shot with a message list, side by side with muparser
// reading the same expressions (its function names) with SetExpr and Eval on one reused parser.

#include "BenchRatios.h"
#include "app/uStartup.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"

#include <muParser.h>

#include <limits>

namespace {

struct TExpression {
  const char* Ours;
  const char* Theirs;
};

const TExpression Expressions[] = {
    {"175+5", "175+5"},
    {"1+2*3", "1+2*3"},
    {"(1+2)*3", "(1+2)*3"},
    {"2^10", "2^10"},
    {"sqrt(2)*PI/3", "sqrt(2)*_pi/3"},
    {"Sin(1)+Cos(2)*Tan(0.5)", "sin(1)+cos(2)*tan(0.5)"},
    {"(((1+2)*(3+4))/((5-6)*(7+8)))^2", "(((1+2)*(3+4))/((5-6)*(7+8)))^2"},
    // As the first word, "Max" is the keyword for the upper bound: the text reads as the bound
    // and the rest is reported as unused. The next case computes the whole expression.
    {"Max(1;2)+Min(3;4)+Sum(1;2;3;4;5)", "max(1,2)+min(3,4)+sum(1,2,3,4,5)"},
    {"0+Max(1;2)+Min(3;4)+Sum(1;2;3;4;5)", "0+max(1,2)+min(3,4)+sum(1,2,3,4,5)"},
};

void Ours(benchmark::State& state, const char* text) {
  constexpr long double Max = std::numeric_limits<long double>::max();
  TParserMessages messages;
  for (auto _ : state) {
    messages.Clear();
    benchmark::DoNotOptimize(StrToValE(text, true, &messages, -Max, 0, Max));
  }
  state.counters["messages"] = messages.Count();
}

void Theirs(benchmark::State& state, const char* text) {
  mu::Parser parser;
  for (auto _ : state) {
    parser.SetExpr(text);
    benchmark::DoNotOptimize(parser.Eval());
  }
}

} // namespace

int main(int argc, char** argv) {
  TFrameworkScope framework;
  for (const TExpression& expression : Expressions) {
    benchmark::RegisterBenchmark((std::string("StrToValE/") + expression.Ours).c_str(), Ours,
                                 expression.Ours);
    benchmark::RegisterBenchmark((std::string("muparser/") + expression.Ours).c_str(), Theirs,
                                 expression.Theirs);
  }
  return RunWithRatios(argc, argv, "StrToValE", "muparser");
}

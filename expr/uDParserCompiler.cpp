// The compiler of TDParser: recursive descent over the tokens of the scanner. Every operator
// becomes a call of the registry function of its name. Nodes are added to the compact tree in
// post-order as they are read, so a chain of operators is a loop, not a recursion; only brackets,
// calls and not signs nest, and no deeper than MaxNesting.

#include "expr/functions/uNamespace.h"
#include "expr/uDParser.h"
#include "expr/uDParserTree_p.h"
#include "expr/uDParser_p.h"

#include <algorithm>

namespace {

bool IsOpening(TTokenKind kind) noexcept {
  return kind == tkOpenParen || kind == tkOpenBracket || kind == tkOpenBrace;
}

bool IsClosing(TTokenKind kind) noexcept {
  return kind == tkCloseParen || kind == tkCloseBracket || kind == tkCloseBrace;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'a' && x <= 'z' ? x - 32 : x) == (y >= 'a' && y <= 'z' ? y - 32 : y);
         });
}

} // namespace

bool TDParser::CompileInto(TCompiledExpression& Code) {
  struct TTarget {
    TCompiledExpression*& Code;
    ~TTarget() { Code = nullptr; }
  } target{Code_};
  Code_ = &Code;
  return EmitExpression();
}

TNodePtr TDParser::ParseExpression() {
  TCompiledExpression code;
  CompileInto(code);
  return code.ToNodes();
}

bool TDParser::EmitExpression() {
  bool left = false;
  for (;;) {
    TOperator op;
    switch (Kind_) {
    case tkPlus:
      op = opPlus;
      break;
    case tkMinus:
      op = opMinus;
      break;
    case tkEqual:
      op = opEqual;
      break;
    case tkLess:
      op = opLess;
      break;
    case tkGreater:
      op = opGreater;
      break;
    case tkIdentifier:
    case tkNumber:
    case tkOpenParen:
    case tkOpenBracket:
    case tkOpenBrace:
    case tkNot:
      if (left)
        return true;
      left = EmitTerm();
      continue;
    default:
      return left;
    }
    NextToken();
    if ((op == opLess || op == opGreater) && Kind_ == tkEqual) {
      op = op == opLess ? opLessOrEqual : opGreaterOrEqual;
      NextToken();
    }
    // A missing left operand, as in a leading sign, comes before the right one.
    if (!left)
      Code_->AddNone();
    if (!EmitTerm())
      Code_->AddNone();
    Code_->AddCall(Code_->Callee(op));
    left = true;
  }
}

bool TDParser::EmitTerm() {
  bool left = EmitPower();
  for (;;) {
    std::uint32_t callee;
    if (Kind_ == tkStar)
      callee = Code_->Callee(opMul);
    else if (Kind_ == tkSlash)
      callee = Code_->Callee(opDiv);
    else if (Kind_ == tkIdentifier && FindFunction("", TokenText_, 2))
      callee = Code_->Callee(TokenText_, 2); // a two-argument or variadic function between operands
    else
      return left;
    NextToken();
    if (!left)
      Code_->AddNone();
    if (!EmitPower())
      Code_->AddNone();
    Code_->AddCall(callee);
    left = true;
  }
}

bool TDParser::EmitPower() {
  const bool left = EmitFactor();
  if (Kind_ != tkCaret && Kind_ != tkDoubleStar)
    return left;
  NextToken();
  if (!left)
    Code_->AddNone();
  if (!EmitFactor())
    Code_->AddNone();
  Code_->AddCall(Code_->Callee(opPower));
  return true;
}

bool TDParser::EmitFactor() {
  if (Nesting_ >= MaxNesting) {
    Abandon();
    return false;
  }
  ++Nesting_;
  struct TLeave {
    int& Nesting;
    ~TLeave() { --Nesting; }
  } leave{Nesting_};
  const bool node = EmitFactorBody();
  if (Kind_ != tkExclamation)
    return node;
  NextToken();
  if (!node)
    Code_->AddNone();
  Code_->AddCall(Code_->Callee(opFact));
  return true;
}

bool TDParser::EmitFactorBody() {
  switch (Kind_) {
  case tkIdentifier:
    if (FunctionExists("", TokenText_)) {
      EmitCall(TokenText_);
      return true;
    }
    AddMessage(RowUndeclared, {TokenText_}, 0);
    NextToken();
    return false;
  case tkNumber:
    Code_->AddNumber(NumberValue_);
    NextToken();
    return true;
  case tkOpenParen:
  case tkOpenBracket:
  case tkOpenBrace: {
    NextToken();
    const bool node = EmitExpression();
    if (!node)
      AddMessage(RowExpressionExpected, {""}, 0);
    if (IsClosing(Kind_))
      NextToken();
    else
      AddMessage(RowExpected, {")", TokenText_}, 1);
    return node;
  }
  case tkNot:
    NextToken();
    if (!EmitFactor())
      Code_->AddNone();
    Code_->AddCall(Code_->Callee(opNot));
    return true;
  default:
    AddMessage(RowExpressionExpected, {TokenText_}, 0);
    return false;
  }
}

void TDParser::EmitCall(std::string_view Name) {
  // Name is a view into the text, which stays as it is while the parser reads it.
  NextToken();
  std::int32_t count = 0;
  if (IsOpening(Kind_)) {
    NextToken();
    for (bool open = true; open;) {
      switch (Kind_) {
      case tkNone: // stray characters inside an argument list are skipped
      case tkComma:
      case tkSemicolon:
        NextToken();
        break;
      case tkEndOfInput:
        // The call is kept with the arguments read so far, without a check of their number.
        AddMessage(RowExpected, {"')', ',' or expression", TokenText_}, 1);
        Code_->AddCall(Code_->Callee(Name, count));
        return;
      case tkCloseParen:
      case tkCloseBracket:
      case tkCloseBrace:
        NextToken();
        open = false;
        break;
      default:
        if (!EmitExpression()) {
          AddMessage(RowExpressionExpected, {TokenText_}, 0);
          NextToken();
          Code_->AddNone();
        }
        ++count;
      }
    }
  }
  const std::uint32_t callee = Code_->Callee(Name, count);
  Code_->AddCall(callee);
  if (!Code_->CalleeAt(callee).Function)
    AddMessage(RowParameterCount, {WholeText(count)}, 0);
}

void TDParser::Abandon() {
  if (!Abandoned_) {
    AddMessage(RowGeneral, {"Nesting too deep: more than 256 levels"}, 0);
    Abandoned_ = true;
  }
  while (Kind_ != tkEndOfInput)
    NextToken();
}

long double TDParser::ReadValue(long double MinVal, long double DefVal, long double MaxVal) {
  NextToken();
  FreeTree(ExpressionTree);
  if (SameText(TokenText_, "MIN")) {
    NextToken();
    return MinVal;
  }
  if (SameText(TokenText_, "MAX")) {
    NextToken();
    return MaxVal;
  }

  auto code = TCompiledExpression::Make();
  if (CompileInto(*code))
    ExpressionTree = TExpressionTree(std::move(code));
  else
    TCompiledExpression::Recycle(std::move(code));
  long double result = DefVal;
  if (ExpressionTree) {
    TVector value = Evaluate(ExpressionTree);
    if (!value.empty())
      result = value[0];
  }

  // A value that is not a number fails the upper test too.
  const bool belowMin = MinVal > result;
  if (belowMin || !(MaxVal >= result)) {
    Abandoned_ = false;
    AddMessage(RowRange,
               {"Value " + NumberText(result) + " out of range " + NumberText(MinVal) + ".." +
                NumberText(MaxVal)},
               0);
    result = belowMin ? MinVal : MaxVal;
  }
  return result;
}

// The trees of TDParser: the compact form a read compiles to and computes, and trees of TNode.

#include "expr/functions/uNamespace.h"
#include "expr/uDParser.h"
#include "expr/uDParserTree_p.h"

#include <algorithm>
#include <span>

namespace {

// The tree of the last read, emptied, kept for the next. Defined before ExpressionTree so that it
// outlives it.
std::unique_ptr<TCompiledExpression> Spare;

// Trees of up to this many steps are kept for the next read.
constexpr std::size_t SpareSteps = 1024;

// Callees looked for one by one before an index is made.
constexpr std::uint32_t SearchedCallees = 16;

} // namespace

TExpressionTree ExpressionTree;

namespace {

// The registry names of the operators, in the order of TOperator, with their argument counts.
constexpr struct {
  const char* Name;
  std::int32_t Count;
} Operators[OperatorCount] = {
    {"Plus", 2},  {"Minus", 2},       {"Mul", 2},     {"Div", 2},
    {"Power", 2}, {"fact", 1},        {"not", 1},     {"Equal", 2},
    {"Less", 2},  {"LessOrEqual", 2}, {"Greater", 2}, {"GreaterOrEqual", 2},
};

// The evaluator's value stack, kept from one evaluation to the next so that a typical expression
// costs no allocation for it. Reading is single-threaded; a function that evaluates a tree while
// another evaluation runs gets a stack of its own.
struct TValueStack {
  std::vector<TVector> Values;
  bool InUse = false;
};

TValueStack SharedStack;

// Lends the stack for one evaluation and empties it afterwards, also when an error passes.
class TStackLease {
 public:
  TStackLease() : Stack_(SharedStack.InUse ? Own_ : SharedStack) { Stack_.InUse = true; }
  ~TStackLease() {
    // A stack grown by a huge expression is given back rather than kept.
    constexpr std::size_t Kept = 1024;
    Stack_.Values.clear();
    if (Stack_.Values.capacity() > Kept)
      std::vector<TVector>().swap(Stack_.Values);
    Stack_.InUse = false;
  }
  TStackLease(const TStackLease&) = delete;
  TStackLease& operator=(const TStackLease&) = delete;

  std::vector<TVector>& Values() { return Stack_.Values; }

 private:
  TValueStack Own_;
  TValueStack& Stack_;
};

} // namespace

// Nodes

TNode::~TNode() {
  // Releases the subtree from a work list, so that the depth of a tree never reaches the stack:
  // every node is destroyed with no children left. Leaves, the common children, need no list.
  std::vector<TNodePtr> pending;
  for (TNodePtr& child : Children)
    if (child && !child->Children.empty())
      pending.push_back(std::move(child));
  Children.clear();
  while (!pending.empty()) {
    TNodePtr node = std::move(pending.back());
    pending.pop_back();
    for (TNodePtr& child : node->Children)
      if (child)
        pending.push_back(std::move(child));
    node->Children.clear();
  }
}

void FreeTree(TNodePtr& Node) noexcept {
  Node.reset();
}

TVector Evaluate(const TNode* Node) {
  if (!Node)
    return TVector();
  return TCompiledExpression::FromNodes(Node)->Evaluate();
}

// The slot's tree

TExpressionTree::TExpressionTree() noexcept = default;
TExpressionTree::TExpressionTree(std::unique_ptr<TCompiledExpression> Compiled) noexcept
    : Compiled_(std::move(Compiled)) {}
TExpressionTree::TExpressionTree(TExpressionTree&&) noexcept = default;
TExpressionTree& TExpressionTree::operator=(TExpressionTree&&) noexcept = default;
TExpressionTree::~TExpressionTree() = default;

const TNode* TExpressionTree::get() const {
  if (Compiled_ && !Nodes_)
    Nodes_ = Compiled_->ToNodes();
  return Nodes_.get();
}

void TExpressionTree::reset() noexcept {
  Nodes_.reset();
  TCompiledExpression::Recycle(std::move(Compiled_));
}

void FreeTree(TExpressionTree& Tree) noexcept {
  Tree.reset();
}

TVector Evaluate(const TExpressionTree& Tree) {
  return Tree ? Tree.Compiled()->Evaluate() : TVector();
}

// The compact form

TCompiledExpression::TCompiledExpression() : Generation_(RegistryGeneration()) {
  std::fill(std::begin(OperatorCallees_), std::end(OperatorCallees_), NoCallee);
}

std::unique_ptr<TCompiledExpression> TCompiledExpression::Make() {
  if (!Spare)
    return std::make_unique<TCompiledExpression>();
  Spare->Generation_ = RegistryGeneration();
  return std::move(Spare);
}

void TCompiledExpression::Recycle(std::unique_ptr<TCompiledExpression> Tree) noexcept {
  if (!Tree || Tree->Steps_.size() > SpareSteps)
    return;
  Tree->Clear();
  Spare = std::move(Tree);
}

void TCompiledExpression::Clear() noexcept {
  Steps_.clear();
  Constants_.clear();
  Callees_.clear();
  CalleeIndexes_.clear();
  std::fill(std::begin(OperatorCallees_), std::end(OperatorCallees_), NoCallee);
  Depth_ = 0;
  MaxDepth_ = 0;
}

std::uint32_t TCompiledExpression::Callee(std::string_view Name, std::int32_t Count) {
  // A few callees are searched in turn; beyond them an index by name and count keeps a text of
  // many different calls linear.
  const auto index = static_cast<std::uint32_t>(Callees_.size());
  if (CalleeIndexes_.empty() && index < SearchedCallees) {
    for (std::uint32_t i = 0; i < index; ++i)
      if (Callees_[i].Count == Count && Callees_[i].Name == Name)
        return i;
  } else {
    if (CalleeIndexes_.empty())
      for (std::uint32_t i = 0; i < index; ++i)
        CalleeIndexes_.try_emplace(std::pair(Callees_[i].Name, Callees_[i].Count), i);
    const auto [found, added] =
        CalleeIndexes_.try_emplace(std::pair(std::string(Name), Count), index);
    if (!added)
      return found->second;
  }
  Callees_.push_back(TCallee{std::string(Name), Count, FindFunction("", Name, Count)});
  return index;
}

std::uint32_t TCompiledExpression::Callee(TOperator Operator) {
  // Operators are told apart by the array, not by name: a call written with an operator's name
  // gets an entry of its own, which costs a few bytes and changes nothing.
  std::uint32_t& index = OperatorCallees_[Operator];
  if (index == NoCallee) {
    const auto& [name, count] = Operators[Operator];
    index = static_cast<std::uint32_t>(Callees_.size());
    Callees_.push_back(TCallee{name, count, FindFunction("", name, count)});
  }
  return index;
}

TVector TCompiledExpression::Evaluate() const {
  // The stack holds as many vectors as the steps ever leave waiting at once, made up front, so
  // that a step only assigns: top is one past the last value waiting.
  TStackLease lease;
  std::vector<TVector>& values = lease.Values();
  values.resize(MaxDepth_);
  TVector* top = values.data();
  // Entries found before the registry was last freed are looked up again, by name.
  const bool current = Generation_ == RegistryGeneration();
  TChunkedArray<long double>::TReader constants(Constants_);
  Steps_.ForEach([&](std::uint32_t step) {
    if (step == StepNumber) {
      *top++ = NumToVector(constants.Next());
      return;
    }
    if (step == StepNone) {
      (top++)->clear();
      return;
    }
    const TCallee& callee = Callees_[step - StepFirstCall];
    const auto count = static_cast<std::size_t>(callee.Count);
    TVector* first = top - count;
    const TFunction* function =
        current ? callee.Function : FindFunction("", callee.Name, callee.Count);
    TVector result;
    if (function)
      CallFunction(*function, std::span<const TVector>(first, count), result);
    *first = std::move(result);
    top = first + 1;
  });
  return top == values.data() ? TVector() : std::move(top[-1]);
}

TNodePtr TCompiledExpression::ToNodes() const {
  std::vector<TNodePtr> operands;
  TChunkedArray<long double>::TReader constants(Constants_);
  Steps_.ForEach([&](std::uint32_t step) {
    if (step == StepNone) {
      operands.emplace_back();
      return;
    }
    if (step == StepNumber) {
      operands.push_back(std::make_unique<TNode>("Number", constants.Next()));
      return;
    }
    const TCallee& callee = Callees_[step - StepFirstCall];
    auto node = std::make_unique<TNode>(callee.Name);
    node->Function = callee.Function;
    node->FunctionGeneration = Generation_;
    const auto first = operands.end() - callee.Count;
    node->Children.reserve(static_cast<std::size_t>(callee.Count));
    for (auto operand = first; operand != operands.end(); ++operand)
      node->Children.push_back(std::move(*operand));
    operands.erase(first, operands.end());
    operands.push_back(std::move(node));
  });
  return operands.empty() ? nullptr : std::move(operands.back());
}

std::unique_ptr<TCompiledExpression> TCompiledExpression::FromNodes(const TNode* Root) {
  // A post-order walk with an explicit stack: a node is added once all its children are.
  auto code = std::make_unique<TCompiledExpression>();
  struct TFrame {
    const TNode* Node;
    std::size_t NextChild;
  };
  std::vector<TFrame> frames{{Root, 0}};
  while (!frames.empty()) {
    TFrame& frame = frames.back();
    const TNode* node = frame.Node;
    if (!node) {
      code->AddNone();
      frames.pop_back();
    } else if (node->Name == "Number") {
      code->AddNumber(node->Value);
      frames.pop_back();
    } else if (frame.NextChild < node->Children.size()) {
      const TNode* child = node->Children[frame.NextChild++].get();
      frames.push_back({child, 0});
    } else {
      code->AddCall(code->Callee(node->Name, static_cast<std::int32_t>(node->Children.size())));
      frames.pop_back();
    }
  }
  return code;
}

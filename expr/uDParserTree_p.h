#pragma once

// The compact form of expression trees, private to the reader. A tree is kept as its nodes in
// post-order, children before their parent, each node one 32-bit step: a missing operand, a
// constant, or a call of one of the tree's callees on the values of the steps before it. The
// constants are kept apart, in the order of their steps. So a term of a long sum costs a few bytes,
// the tree is freed in a few blocks, and computing it is one loop over the steps with a stack of
// values no deeper than the operands waiting at once: no walk over the tree recurses.

#include "expr/uDParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A sequence that grows by blocks, each twice the size of the one before up to a limit, and never
// moves what it holds: growing copies nothing and never holds two copies at once.
template <class T>
class TChunkedArray {
 public:
  std::size_t size() const noexcept { return Size_; }

  // Empties the array, keeping its first block.
  void clear() noexcept {
    if (Chunks_.empty())
      return;
    Chunks_.erase(Chunks_.begin() + 1, Chunks_.end());
    Next_ = Chunks_[0].Data.get();
    End_ = Next_ + Chunks_[0].Capacity;
    Size_ = 0;
  }

  void push_back(T value) {
    if (Next_ == End_)
      Grow();
    *Next_++ = value;
    ++Size_;
  }

  // Calls f(element) for every element in order.
  template <class F>
  void ForEach(F&& f) const {
    for (std::size_t chunk = 0; chunk < Chunks_.size(); ++chunk) {
      const T* element = Chunks_[chunk].Data.get();
      const T* end = chunk + 1 < Chunks_.size() ? element + Chunks_[chunk].Capacity : Next_;
      for (; element != end; ++element)
        f(*element);
    }
  }

  // Reads the elements in order, one at a time.
  class TReader {
   public:
    explicit TReader(const TChunkedArray& Array) noexcept : Array_(Array) {}
    // The next element; only as many calls as there are elements.
    T Next() noexcept {
      if (Element_ == End_) {
        const TChunk& chunk = Array_.Chunks_[Chunk_++];
        Element_ = chunk.Data.get();
        End_ = Chunk_ < Array_.Chunks_.size() ? Element_ + chunk.Capacity : Array_.Next_;
      }
      return *Element_++;
    }

   private:
    const TChunkedArray& Array_;
    std::size_t Chunk_ = 0;
    const T* Element_ = nullptr;
    const T* End_ = nullptr;
  };

 private:
  // Blocks stop growing at 64 KiB, so that the room not yet used stays small beside what is.
  static constexpr std::size_t FirstChunk = 16;
  static constexpr std::size_t LargestChunk = std::max<std::size_t>(FirstChunk, 65536 / sizeof(T));

  struct TChunk {
    std::unique_ptr<T[]> Data;
    std::size_t Capacity;
  };

  void Grow() {
    const std::size_t capacity =
        Chunks_.empty() ? FirstChunk : std::min(Chunks_.back().Capacity * 2, LargestChunk);
    Chunks_.push_back(TChunk{std::unique_ptr<T[]>(new T[capacity]), capacity});
    Next_ = Chunks_.back().Data.get();
    End_ = Next_ + capacity;
  }

  std::vector<TChunk> Chunks_;
  T* Next_ = nullptr;
  T* End_ = nullptr;
  std::size_t Size_ = 0;
};

// The operators the compiler writes, each a call of the registry function of its name.
enum TOperator {
  opPlus,
  opMinus,
  opMul,
  opDiv,
  opPower,
  opFact,
  opNot,
  opEqual,
  opLess,
  opLessOrEqual,
  opGreater,
  opGreaterOrEqual,
  OperatorCount,
};

class TCompiledExpression {
 public:
  // A function a tree calls, with the number of arguments it is called with.
  struct TCallee {
    std::string Name;
    std::int32_t Count;
    const TFunction* Function; // found in the registry when the callee was added; may be none
  };

  TCompiledExpression();

  // An empty tree: the one given back by the last read, when there is one, so that a read of a
  // short text allocates nothing for its tree.
  static std::unique_ptr<TCompiledExpression> Make();
  // Gives a tree back for the next Make. Only a small tree's storage is kept; a larger one is
  // freed.
  static void Recycle(std::unique_ptr<TCompiledExpression> Tree) noexcept;

  // Building, children before their parent.

  // A missing operand.
  void AddNone() { AddStep(StepNone); }
  void AddNumber(long double Value) {
    Constants_.push_back(Value);
    AddStep(StepNumber);
  }
  // A call of callee Index on the values of the Count operands added last.
  void AddCall(std::uint32_t Index) {
    Depth_ -= static_cast<std::size_t>(Callees_[Index].Count);
    AddStep(StepFirstCall + Index);
  }
  // The index of the callee Name for Count arguments, added and looked up in the registry when new.
  std::uint32_t Callee(std::string_view Name, std::int32_t Count);
  std::uint32_t Callee(TOperator Operator);
  const TCallee& CalleeAt(std::uint32_t Index) const noexcept { return Callees_[Index]; }

  // A tree of TNode with the same nodes, or nullptr when nothing was added.
  TNodePtr ToNodes() const;
  // The compact form of a TNode tree; its callees are looked up by name.
  static std::unique_ptr<TCompiledExpression> FromNodes(const TNode* Root);

  // Computes the tree: the value of its root, the empty vector when nothing was added.
  TVector Evaluate() const;

 private:
  enum : std::uint32_t {
    StepNone,
    StepNumber,
    StepFirstCall,
  };
  static constexpr std::uint32_t NoCallee = ~std::uint32_t{0};

  void Clear() noexcept;
  // Every step leaves one value.
  void AddStep(std::uint32_t Step) {
    Steps_.push_back(Step);
    ++Depth_;
    if (Depth_ > MaxDepth_)
      MaxDepth_ = Depth_;
  }

  TChunkedArray<std::uint32_t> Steps_;
  TChunkedArray<long double> Constants_;
  std::vector<TCallee> Callees_;
  // Callees by name and count, made once there are more than a few.
  std::map<std::pair<std::string, std::int32_t>, std::uint32_t> CalleeIndexes_;
  std::uint32_t OperatorCallees_[OperatorCount]; // NoCallee until the operator is first used
  std::size_t Depth_ = 0;                        // values the steps so far leave
  std::size_t MaxDepth_ = 0;                     // the most values waiting at once while computing
  std::uint64_t Generation_;                     // of the registry the callees were found in
};

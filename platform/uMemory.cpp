#include "platform/uMemory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
// Below this a block takes the heap's usual memory: the gain is small and a huge page would be
// mostly unused.
constexpr std::size_t LargeBlock = 4 * HugePage;

} // namespace

std::shared_ptr<std::uint8_t[]> MakeLargeBlock(std::size_t Size) {
  if (Size < LargeBlock)
    return std::make_shared_for_overwrite<std::uint8_t[]>(Size);
  if (Size > SIZE_MAX - HugePage)
    throw std::bad_alloc();
  const std::size_t rounded = (Size + HugePage - 1) / HugePage * HugePage;
  void* block = std::aligned_alloc(HugePage, rounded);
  if (!block)
    throw std::bad_alloc();
  // Only advice: where the system has no huge pages to give, the block has small ones.
  (void)::madvise(block, rounded, MADV_HUGEPAGE);
  return {static_cast<std::uint8_t*>(block), [](std::uint8_t* Block) { std::free(Block); }};
}

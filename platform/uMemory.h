#pragma once

// Memory for large blocks that are filled at once, such as the samples of a wave file read
// whole. A block of several megabytes is backed by transparent huge pages where the system gives
// them on request (madvise), which makes filling it several times faster: it takes a page fault
// for every 2 MiB instead of every 4 KiB.

#include <cstddef>
#include <cstdint>
#include <memory>

// Size bytes, not initialised. Raises std::bad_alloc when the memory cannot be had.
std::shared_ptr<std::uint8_t[]> MakeLargeBlock(std::size_t Size);

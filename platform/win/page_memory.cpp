#include "platform/win/page_memory.h"

#include <malloc.h>

#include <algorithm>

namespace suite {

namespace {
// The C library serves larger blocks by mapping them on their own.
constexpr std::size_t kLargestHeapBlock = std::size_t(32) << 20;
}  // namespace

void KeepLargeBlocksForReuse(std::size_t largestBlock) {
    const std::size_t block = std::min(std::max(largestBlock, std::size_t(1) << 20), kLargestHeapBlock);
    mallopt(M_MMAP_THRESHOLD, int(block));
    mallopt(M_TRIM_THRESHOLD, int(block * 4));
}

void ReleaseKeptMemory() { malloc_trim(0); }

}  // namespace suite

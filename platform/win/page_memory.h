// Memory of large buffers that a program frees and allocates again at a
// steady pace, as a scanning job does with its pages (several megabytes each,
// many a second). By default the C library gives such a block back to the
// system when it is freed and the next one is faulted in again page by page,
// which costs a scan job about a tenth of its pages' JPEG encoding. While a
// job runs, blocks up to a bound stay with the process for reuse; at its end
// the memory no longer in use goes back.
#pragma once

#include <cstddef>

namespace suite {

// From now on blocks of up to `largestBlock` bytes (at most 32 MB) come from
// the process's heap, and freed heap memory is given back only beyond four
// such blocks. Process-wide; calling it again changes the bound.
void KeepLargeBlocksForReuse(std::size_t largestBlock);
// Gives the freed memory that was kept back to the system.
void ReleaseKeptMemory();

}  // namespace suite

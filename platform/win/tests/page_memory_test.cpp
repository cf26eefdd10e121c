// Large blocks kept for reuse: a block as large as a scanned page, freed and
// allocated again, is not faulted in a second time.
#include "platform/win/page_memory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>

namespace {

long MinorFaults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

TEST(PageMemory, AFreedPageSizedBlockComesBackWithoutFaults) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own blocks";
#else
    constexpr std::size_t kPage = std::size_t(2480) * 3508;  // A4 at 300 dpi in grey
    suite::KeepLargeBlocksForReuse(16u << 20);
    // A page and the encoder's copy of it, allocated, written and freed in turn.
    auto pages = [&](int count) {
        for (int page = 0; page < count; ++page) {
            void* a = std::malloc(kPage);
            void* b = std::malloc(kPage);
            std::memset(a, 3, kPage);
            std::memset(b, 4, kPage);
            std::free(b);
            std::free(a);
        }
    };
    pages(2);  // the heap comes up to size
    const long before = MinorFaults();
    pages(5);
    // Faulting the blocks in anew would take about 4000 faults a round.
    EXPECT_LT(MinorFaults() - before, 500);
    suite::ReleaseKeptMemory();
#endif
}

}  // namespace

#include "imaging/image_block.h"

#include <atomic>

namespace {
std::atomic<int> g_allocationsLeft{-1};

bool allocationAllowed() {
    int left = g_allocationsLeft.load();
    while (left >= 0) {
        if (left == 0) return false;
        if (g_allocationsLeft.compare_exchange_weak(left, left - 1)) return true;
    }
    return true;
}
}  // namespace

HGLOBAL AllocImageBlock(UINT flags, SIZE_T bytes) {
    return allocationAllowed() ? GlobalAlloc(flags, bytes) : nullptr;
}

HGLOBAL ReAllocImageBlock(HGLOBAL block, SIZE_T bytes, UINT flags) {
    return allocationAllowed() ? GlobalReAlloc(block, bytes, flags) : nullptr;
}

void SetImageAllocFailAfter(int successes) { g_allocationsLeft = successes < 0 ? -1 : successes; }

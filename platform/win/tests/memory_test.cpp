#include "platform/win/memory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MemoryBlocks, MovableBlockKeepsHandleAndBytesAcrossResize) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    ASSERT_NE(h, nullptr);
    auto* p = static_cast<BYTE*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0) << "zero-initialised";
    std::memcpy(p, "0123456789abcdef", 16);
    EXPECT_FALSE(GlobalUnlock(h));

    EXPECT_EQ(GlobalReAlloc(h, 1 << 20, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
    EXPECT_EQ(GlobalSize(h), SIZE_T{1} << 20);
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_EQ(std::memcmp(p, "0123456789abcdef", 16), 0);
    EXPECT_EQ(p[(1 << 20) - 1], 0);
    EXPECT_EQ(GlobalHandle(p), h);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(MemoryBlocks, LocksAreCounted) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    GlobalLock(h);
    GlobalLock(h);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 2u);
    EXPECT_TRUE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_FALSE(GlobalUnlock(h)) << "unlocking an unlocked block reports not locked";
    GlobalFree(h);
}

TEST(MemoryBlocks, FixedBlockHandleIsItsPointer) {
    HGLOBAL h = GlobalAlloc(GPTR, 8);
    EXPECT_EQ(GlobalLock(h), h);
    EXPECT_EQ(GlobalReAlloc(h, 64, 0), nullptr) << "a fixed block cannot grow unless allowed to move";
    HGLOBAL moved = GlobalReAlloc(h, 64, GMEM_MOVEABLE);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(GlobalSize(moved), 64u);
    GlobalFree(moved);
}

TEST(MemoryBlocks, BadHandlesAreRefusedNotCrashed) {
    const SIZE_T live = SuiteLiveGlobalBlocks();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(h, nullptr) << "a zero-byte block is valid";
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h) << "a second free reports the handle as bad";
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(SuiteLiveGlobalBlocks(), live);
}

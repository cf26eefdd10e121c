// Movable blocks as the image code uses them: allocation through one place
// (so that tests can make it fail on purpose) and a lock held for a scope.
#pragma once

#include "platform/win/memory.h"

// GlobalAlloc / GlobalReAlloc, unless a test has asked for failures.
HGLOBAL AllocImageBlock(UINT flags, SIZE_T bytes);
HGLOBAL ReAllocImageBlock(HGLOBAL block, SIZE_T bytes, UINT flags);

// Test hook: the next `successes` allocations succeed and every one after
// them fails, until it is called with a negative count (the normal state).
void SetImageAllocFailAfter(int successes);

// Locks a block for the life of the object.
class CBlockLock {
public:
    explicit CBlockLock(HGLOBAL block) : m_block(block), m_bytes(block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr) {}
    ~CBlockLock() {
        if (m_bytes) GlobalUnlock(m_block);
    }
    CBlockLock(const CBlockLock&) = delete;
    CBlockLock& operator=(const CBlockLock&) = delete;

    BYTE* get() const { return m_bytes; }
    explicit operator bool() const { return m_bytes != nullptr; }
    SIZE_T size() const { return m_block ? GlobalSize(m_block) : 0; }

private:
    HGLOBAL m_block;
    BYTE* m_bytes;
};

// Frees a block at the end of a scope unless released.
class CBlockOwner {
public:
    explicit CBlockOwner(HGLOBAL block = nullptr) : m_block(block) {}
    ~CBlockOwner() {
        if (m_block) GlobalFree(m_block);
    }
    CBlockOwner(const CBlockOwner&) = delete;
    CBlockOwner& operator=(const CBlockOwner&) = delete;
    HGLOBAL get() const { return m_block; }
    HGLOBAL release() {
        HGLOBAL b = m_block;
        m_block = nullptr;
        return b;
    }

private:
    HGLOBAL m_block;
};

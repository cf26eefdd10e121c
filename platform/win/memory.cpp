#include "platform/win/memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Block {
    void* data = nullptr;
    SIZE_T size = 0;
    UINT flags = 0;
    UINT locks = 0;
};

// Every live block, by handle and by data pointer. Fixed blocks use their data
// pointer as their handle, so code that treats a fixed handle as a pointer works.
struct BlockTable {
    std::mutex mutex;
    std::unordered_map<void*, Block*> byHandle;
    std::unordered_map<void*, void*> handleByData;
};

BlockTable& table() {
    static BlockTable* t = new BlockTable;  // never destroyed: blocks may be freed during exit
    return *t;
}

Block* find(BlockTable& t, HGLOBAL handle) {
    auto it = t.byHandle.find(handle);
    return it == t.byHandle.end() ? nullptr : it->second;
}

void* allocateBytes(SIZE_T bytes) {
    // malloc(0) may return nullptr; keep one byte so every block has an address.
    return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    // calloc gets fresh pages already zero, which matters for page-sized blocks.
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes == 0 ? 1 : bytes, 1) : allocateBytes(bytes);
    if (!data) return nullptr;
    auto* block = new (std::nothrow) Block{data, bytes, flags & (GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE), 0};
    if (!block) {
        std::free(data);
        return nullptr;
    }
    HGLOBAL handle = (flags & GMEM_MOVEABLE) ? static_cast<HGLOBAL>(block) : data;
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    t.byHandle[handle] = block;
    t.handleByData[data] = handle;
    return handle;
}

LPVOID GlobalLock(HGLOBAL handle) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    Block* b = find(t, handle);
    if (!b) return nullptr;
    if (b->flags & GMEM_MOVEABLE) ++b->locks;
    return b->data;
}

BOOL GlobalUnlock(HGLOBAL handle) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    Block* b = find(t, handle);
    if (!b || b->locks == 0) return FALSE;
    --b->locks;
    return b->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    Block* b = find(t, handle);
    if (!b) return nullptr;
    if (flags & GMEM_MODIFY) return handle;
    const bool moveable = b->flags & GMEM_MOVEABLE;
    // A fixed block may only move when the caller allows it, and then gets a new handle.
    if (!moveable && bytes > b->size && !(flags & GMEM_MOVEABLE)) return nullptr;
    void* data = std::realloc(b->data, bytes == 0 ? 1 : bytes);
    if (!data) return nullptr;
    if ((flags & GMEM_ZEROINIT) && bytes > b->size)
        std::memset(static_cast<BYTE*>(data) + b->size, 0, bytes - b->size);
    t.handleByData.erase(b->data);
    b->data = data;
    b->size = bytes;
    HGLOBAL result = handle;
    if (!moveable) {
        t.byHandle.erase(handle);
        result = data;
        t.byHandle[result] = b;
    }
    t.handleByData[data] = result;
    return result;
}

SIZE_T GlobalSize(HGLOBAL handle) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    Block* b = find(t, handle);
    return b ? b->size : 0;
}

UINT GlobalFlags(HGLOBAL handle) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    Block* b = find(t, handle);
    if (!b) return 0x8000u;  // GMEM_INVALID_HANDLE
    return (b->flags & ~GMEM_LOCKCOUNT) | (b->locks & GMEM_LOCKCOUNT);
}

HGLOBAL GlobalFree(HGLOBAL handle) {
    if (!handle) return nullptr;
    Block* b = nullptr;
    {
        BlockTable& t = table();
        std::lock_guard lock(t.mutex);
        b = find(t, handle);
        if (!b) return handle;
        t.byHandle.erase(handle);
        t.handleByData.erase(b->data);
    }
    std::free(b->data);
    delete b;
    return nullptr;
}

HGLOBAL GlobalHandle(LPCVOID pointer) {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.handleByData.find(const_cast<void*>(pointer));
    return it == t.handleByData.end() ? nullptr : it->second;
}

SIZE_T SuiteLiveGlobalBlocks() {
    BlockTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.byHandle.size();
}

// Movable memory blocks: the handles images and other large buffers travel in.
// A handle stays valid across resizes; the bytes are reached through a lock
// that is counted, and a block is freed by the handle alone.
#pragma once

#include "platform/win/types.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_MODIFY 0x0080u
#define GMEM_SHARE 0x2000u
#define GMEM_DDESHARE GMEM_SHARE
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FFu

// Returns a new block of `bytes` bytes (zeroed with GMEM_ZEROINIT), or nullptr
// when the memory cannot be had. A block of zero bytes is valid.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Locks the block and returns its first byte; nullptr for a bad handle.
LPVOID GlobalLock(HGLOBAL block);
// Drops one lock; returns TRUE while the block is still locked.
BOOL GlobalUnlock(HGLOBAL block);
// Resizes the block keeping its handle and its leading bytes; new bytes are
// zeroed with GMEM_ZEROINIT. Returns the same handle, or nullptr on failure
// (the block is then unchanged). GMEM_MODIFY changes nothing here.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// Size in bytes, 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL block);
// Flags of the block, with its lock count in the low byte.
UINT GlobalFlags(HGLOBAL block);
// Frees the block; returns nullptr on success and the handle when it is bad.
HGLOBAL GlobalFree(HGLOBAL block);
// The handle of a block whose locked pointer this is, or nullptr.
HGLOBAL GlobalHandle(LPCVOID pointer);

// Number of live blocks, for leak checks in tests.
SIZE_T SuiteLiveGlobalBlocks();

// Local blocks behave as global ones here.
#define LMEM_FIXED GMEM_FIXED
#define LMEM_MOVEABLE GMEM_MOVEABLE
#define LMEM_ZEROINIT GMEM_ZEROINIT
#define LPTR GPTR
inline HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return GlobalAlloc(flags, bytes); }
inline LPVOID LocalLock(HLOCAL block) { return GlobalLock(block); }
inline BOOL LocalUnlock(HLOCAL block) { return GlobalUnlock(block); }
inline HLOCAL LocalFree(HLOCAL block) { return GlobalFree(block); }
inline SIZE_T LocalSize(HLOCAL block) { return GlobalSize(block); }

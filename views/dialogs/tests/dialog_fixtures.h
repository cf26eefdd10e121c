// Grey bitmaps and 1-bit pages for the dialogs' tests.
#pragma once

#include <cstring>
#include <functional>
#include <memory>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "platform/afx/afxwin.h"
#include "platform/win/memory.h"

inline CWinApp theDialogTestApp("DialogTests");

// A bottom-up grey DIB of 4 or 8 bits whose sample at (x, y from the top) is
// sample(x, y); the colour-count field is 0 (a full table).
inline HDIB MakeGreyDib(int w, int h, int bits, const std::function<int(int, int)>& sample) {
    const std::size_t stride = ((static_cast<std::size_t>(bits) * static_cast<std::size_t>(w) + 31) / 32) * 4;
    const std::size_t colours = std::size_t{1} << bits;
    const std::size_t size = sizeof(BITMAPINFOHEADER) + colours * 4 + stride * static_cast<std::size_t>(h);
    HDIB dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    CBlockLock lock(dib);
    BYTE* p = lock.get();
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    std::memcpy(p, &header, sizeof header);
    for (std::size_t i = 0; i < colours; ++i) {
        const BYTE v = static_cast<BYTE>(i * 255 / (colours - 1));
        BYTE* entry = p + sizeof header + i * 4;
        entry[0] = entry[1] = entry[2] = v;
    }
    BYTE* rows = p + sizeof header + colours * 4;
    for (int y = 0; y < h; ++y) {
        BYTE* row = rows + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const int v = sample(x, y);
            if (bits == 8) row[x] = static_cast<BYTE>(v);
            else row[x / 2] = static_cast<BYTE>(row[x / 2] | (x % 2 ? v : v << 4));
        }
    }
    return dib;
}

inline bool PlaneBit(HGLOBAL plane, int rowBytes, int x, int y) {
    CBlockLock lock(plane);
    return (lock.get()[static_cast<std::size_t>(y) * static_cast<std::size_t>(rowBytes) + static_cast<std::size_t>(x / 8)] &
            (0x80 >> (x % 8))) != 0;
}

// A 1-bit page with horizontal text-like lines every 40 rows.
inline std::unique_ptr<CPageImage> MakeLinedPage(int w, int h) {
    auto page = std::make_unique<CPageImage>();
    page->m_nWidth = w;
    page->m_nHeight = h;
    page->m_nBitCount = 1;
    page->AllocBits(page->PlaneBytes());
    CBlockLock plane(page->m_hBits);
    BYTE* bits = plane.get();
    if (!bits) return page;
    for (int y = 20; y < h - 10; y += 40)
        for (int dy = 0; dy < 3; ++dy)
            for (int x = 20; x < w - 20; ++x)
                bits[static_cast<std::size_t>(y + dy) * page->RowBytes() + static_cast<std::size_t>(x / 8)] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    return page;
}

inline std::vector<BYTE> BlockBytes(HGLOBAL block) {
    CBlockLock lock(block);
    if (!lock) return {};
    return std::vector<BYTE>(lock.get(), lock.get() + lock.size());
}

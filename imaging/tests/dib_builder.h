// Packed bitmaps and page images made by the tests themselves.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "imaging/page_image.h"
#include "platform/win/memory.h"

struct TestDib {
    int width = 0, height = 0, bits = 8;
    DWORD colors = 0;  // biClrUsed
    std::vector<RGBQUAD> table;
    std::vector<BYTE> rows;  // bottom-up, padded
    LONG xPelsPerMeter = 0;

    DWORD Stride() const { return WIDTHBYTES(static_cast<DWORD>(width * bits)); }
    // Page row y (top-down).
    BYTE* Row(int y) { return rows.data() + static_cast<std::size_t>(height - 1 - y) * Stride(); }

    HDIB Make() const {
        const std::size_t headerBytes = 40 + table.size() * 4;
        HDIB h = GlobalAlloc(GHND, headerBytes + rows.size());
        BYTE* p = static_cast<BYTE*>(GlobalLock(h));
        BITMAPINFOHEADER bih{};
        bih.biSize = 40;
        bih.biWidth = width;
        bih.biHeight = height;
        bih.biPlanes = 1;
        bih.biBitCount = static_cast<WORD>(bits);
        bih.biSizeImage = static_cast<DWORD>(rows.size());
        bih.biClrUsed = colors;
        bih.biXPelsPerMeter = xPelsPerMeter;
        bih.biYPelsPerMeter = xPelsPerMeter;
        std::memcpy(p, &bih, 40);
        if (!table.empty()) std::memcpy(p + 40, table.data(), table.size() * 4);
        std::memcpy(p + headerBytes, rows.data(), rows.size());
        GlobalUnlock(h);
        return h;
    }
};

inline TestDib GreyDib(int width, int height, const std::function<int(int, int)>& grey) {
    TestDib d;
    d.width = width;
    d.height = height;
    d.bits = 8;
    d.table.resize(256);
    for (int i = 0; i < 256; ++i) d.table[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    d.rows.assign(static_cast<std::size_t>(d.Stride()) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) d.Row(y)[x] = static_cast<BYTE>(grey(x, y));
    return d;
}

struct Bgr {
    BYTE b, g, r;
};

inline TestDib ColourDib(int width, int height, const std::function<Bgr(int, int)>& colour) {
    TestDib d;
    d.width = width;
    d.height = height;
    d.bits = 24;
    d.rows.assign(static_cast<std::size_t>(d.Stride()) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Bgr c = colour(x, y);
            BYTE* p = d.Row(y) + x * 3;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    return d;
}

inline TestDib MonoDib(int width, int height, const std::function<bool(int, int)>& black) {
    TestDib d;
    d.width = width;
    d.height = height;
    d.bits = 1;
    d.table = {RGBQUAD{255, 255, 255, 0}, RGBQUAD{0, 0, 0, 0}};
    d.rows.assign(static_cast<std::size_t>(d.Stride()) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (black(x, y)) d.Row(y)[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return d;
}

// The plane of a page image as a copy.
inline std::vector<BYTE> PlaneOf(const CPageImage& page) {
    std::vector<BYTE> out(GlobalSize(page.m_hBits));
    if (!out.empty()) {
        std::memcpy(out.data(), GlobalLock(page.m_hBits), out.size());
        GlobalUnlock(page.m_hBits);
    }
    return out;
}

inline bool PixelOf(const CPageImage& page, int x, int y) {
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(page.m_hBits));
    const bool v = (p[static_cast<std::size_t>(y) * page.RowBytes() + x / 8] >> (7 - x % 8)) & 1;
    GlobalUnlock(page.m_hBits);
    return v;
}

// A 1-bit page image whose plane is drawn by `black`.
inline void MakeMonoPage(CPageImage& page, int width, int height, const std::function<bool(int, int)>& black) {
    page.AttachDib(MonoDib(width, height, black).Make());
}

// Owns a page image and empties it at the end of the test.
struct ScopedPage : CPageImage {
    ~ScopedPage() {
        Empty();
    }
};

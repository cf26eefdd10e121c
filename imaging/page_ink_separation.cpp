// Official-document colour pages: the working plane made from dark ink and
// red ink, with large red blobs (the seal) kept out of it and returned as a
// rectangle.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/block_list.h"
#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/image_host.h"
#include "imaging/page_image.h"
#include "platform/win/resolution.h"

namespace {

struct ColourBitmap {
    CBlockLock lock;
    DibLayout layout;
    bool valid = false;
    explicit ColourBitmap(HDIB h) : lock(h) {
        valid = lock && DescribeDib(lock.get(), lock.size(), layout) && layout.bitCount == 24;
    }
};

// The mask block of *phMask, allocated zero-filled when NULL; NULL when it
// cannot be had or an existing block is too small.
BYTE* lockMask(HGLOBAL* phMask, std::size_t bytes) {
    if (!*phMask) *phMask = AllocImageBlock(GHND, bytes);
    if (!*phMask || GlobalSize(*phMask) < bytes) return nullptr;
    return static_cast<BYTE*>(GlobalLock(*phMask));
}

// Sets every pixel of a mask from a per-pixel rule over the bitmap's rows.
template <typename Rule>
void writeMask(const DibLayout& dib, BYTE* mask, Rule isInk) {
    const std::size_t rowBytes = (static_cast<std::size_t>(dib.width) + 7) / 8;
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* p = dib.Row(y);
        BYTE* out = mask + y * rowBytes;
        std::memset(out, 0, rowBytes);
        for (int x = 0; x < dib.width; ++x, p += 3)
            if (isInk(p[0], p[1], p[2])) out[x >> 3] |= static_cast<BYTE>(0x80u >> (x & 7));
    }
}

}  // namespace

int CPageImage::ExtractDarkPlane(HDIB hDib, HGLOBAL* phMask) {
    if (!phMask) return 0;
    ColourBitmap bmp(hDib);
    if (!bmp.valid) return 0;
    const DibLayout& dib = bmp.layout;
    DWORD hist[256] = {};
    std::uint64_t below = 0, total = static_cast<std::uint64_t>(dib.width) * dib.height;
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* p = dib.Row(y);
        for (int x = 0; x < dib.width; ++x) ++hist[p[3 * x + 2]];
    }
    int t = HistogramThreshold(hist);
    if (t > 196) t = 144;
    for (int v = 0; v < t; ++v) below += hist[v];
    const bool lightInk = below > total - below;
    BYTE* mask = lockMask(phMask, (static_cast<std::size_t>(dib.width) + 7) / 8 * dib.height);
    if (!mask) return 0;
    writeMask(dib, mask, [&](BYTE, BYTE, BYTE red) { return lightInk ? red >= t : red < t; });
    GlobalUnlock(*phMask);
    return 1;
}

int CPageImage::ExtractRedPlane(HDIB hDib, HGLOBAL* phMask) {
    if (!phMask) return 0;
    ColourBitmap bmp(hDib);
    if (!bmp.valid) return 0;
    const DibLayout& dib = bmp.layout;
    DWORD excessHist[256] = {}, redHist[256] = {};
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* p = dib.Row(y);
        for (int x = 0; x < dib.width; ++x, p += 3) {
            const int m = std::max(p[0], p[1]);
            ++excessHist[p[2] < m ? 0 : p[2] - m];
            ++redHist[p[2]];
        }
    }
    int t1 = HistogramThreshold(excessHist), t2 = HistogramThreshold(redHist);
    if (t2 > 224) t2 = 144;
    if (t1 <= 10) t1 = 64;
    const int d1 = std::max(t1, 32), d2 = std::max(t1, 64);
    BYTE* mask = lockMask(phMask, (static_cast<std::size_t>(dib.width) + 7) / 8 * dib.height);
    if (!mask) return 0;
    writeMask(dib, mask, [&](BYTE blue, BYTE green, BYTE red) {
        const int e = red - std::max(blue, green);
        return red > t2 ? e > d1 : e > d2;
    });
    GlobalUnlock(*phMask);
    return 1;
}

int CPageImage::PageResolution() const {
    if (m_hDib) {
        CBlockLock dib(m_hDib);
        if (dib && dib.size() >= sizeof(BITMAPINFOHEADER)) {
            const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.get());
            if (const int r = suite::DpiOfPelsPerMeter(header->biXPelsPerMeter)) return r;
        }
    }
    // No usable resolution in the bitmap: the page list's resolution for this
    // page, else 300 dpi.
    CImageHost& shell = ImageHost();
    const int row = shell.PageListCurrentRow();
    if (row >= 0) {
        const double listed = std::atof(shell.PageListItemText(row, kPageListResolution).c_str());
        if (const int r = suite::KnownDpi(listed)) return r;
    }
    return 300;
}

BOOL CPageImage::FindInkRegion(const BYTE* pMask, RECT* pOut, int nResolution, BYTE* pClear, int nFlag) {
    return FindInkRegionIn(pMask, m_nWidth, m_nHeight, pOut, nResolution, pClear, nFlag);
}

BOOL CPageImage::FindInkRegionIn(const BYTE* pMask, int width, int height, RECT* pOut, int nResolution, BYTE* pClear,
                                 int nFlag) {
    CBlockList blocks;
    if (!blocks.SetImage(pMask, width, height, nResolution) || !blocks.FindBlocks()) return FALSE;
    RECT unused{};
    RECT& out = pOut ? *pOut : unused;
    out = RECT{0, 0, 0, 0};
    blocks.MergeBlocks(nFlag);
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    bool first = true;
    for (int i = 0; i < blocks.Count(); ++i) {
        const BlockRecord& b = blocks.Block(i);
        long long limit = nResolution;
        if (b.top < height / 3) limit += static_cast<long long>(nResolution) * 80 / 300;
        if (b.bottom - b.top + 1 <= limit || b.right - b.left + 1 <= limit) continue;
        if (first) {
            out = RECT{b.left, b.top, b.right, b.bottom};
            first = false;
        } else {
            out.left = std::min(out.left, b.left);
            out.top = std::min(out.top, b.top);
            out.right = std::max(out.right, b.right);
            out.bottom = std::max(out.bottom, b.bottom);
        }
        if (pClear) {
            const std::size_t from = b.left / 8, to = std::min<std::size_t>((b.right + 7) / 8, rowBytes);
            for (int y = b.top; y <= b.bottom; ++y) std::memset(pClear + y * rowBytes + from, 0, to - from);
        }
    }
    return TRUE;
}

int CPageImage::BinarizeRedAndDark(RECT* pRedRect) {
    RECT unused{};
    RECT& redRect = pRedRect ? *pRedRect : unused;
    redRect = RECT{0, 0, 0, 0};
    if (m_nBitCount != 24 || !m_hDib) return 0;
    const int r = PageResolution();
    HGLOBAL red = nullptr;
    if (!ExtractDarkPlane(m_hDib, &m_hBits) || !ExtractRedPlane(m_hDib, &red)) {
        if (red) GlobalFree(red);
        return 0;
    }
    CBlockOwner redOwner(red);
    const std::size_t bytes = PlaneBytes();
    CBlockOwner smeared(AllocImageBlock(GHND, bytes));
    if (!smeared.get()) return 0;
    CBlockLock plane(m_hBits), redMask(red), smear(smeared.get());
    if (!plane || !redMask || !smear) return 0;

    // Red ink inside large dark blocks (pictures, logos) is not red text.
    if (!FindInkRegion(plane.get(), nullptr, r, redMask.get(), 1)) return 0;
    // The seal: large blobs of the vertically smeared red ink.
    SmearRows(smear.get(), redMask.get(), m_nWidth, m_nHeight);
    if (!FindInkRegion(smear.get(), &redRect, r, redMask.get(), 0)) return 0;
    // What is left of the red ink is text: it joins the plane.
    BYTE* p = plane.get();
    const BYTE* q = redMask.get();
    for (std::size_t i = 0; i < bytes; ++i) p[i] |= q[i];
    return 1;
}

int CPageImage::BinarizeOfficial(RECT* pRedRect) {
    if (m_nBitCount == 8) {
        BinarizeGray();
    } else if (m_nBitCount == 24) {
        BinarizeRedAndDark(pRedRect);
    }
    return 1;
}

int CPageImage::BinarizeOfficialRect(int left, int top, int right, int bottom, RECT* pRedRect) {
    if (m_nBitCount == 8) {
        BinarizeGrayRect(left, top, right, bottom);
    } else if (m_nBitCount == 24) {
        BinarizeRedAndDark(pRedRect);
    }
    return 1;
}

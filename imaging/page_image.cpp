#include "imaging/page_image.h"

#include <cstring>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/image_host.h"
#include "imaging/image_messages.h"
#include "imaging/plane_bits.h"

const char* const kMsgNotEnoughMemory = "Not Enough Memory";
const char* const kMsgNoEnoughMemoryToFinish = "No Enough Memory to finish this work";
const char* const kMsgUnsupportedImageFormat = "Unsupported image format";
const char* const kMsgCannotLockMemory = "Can not lock memory!";

void ShowImageMessage(const char* text) {
    if (CImageMessageCatcher::Catch(text)) return;
    ImageHost().MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION);
}

CPageImage::CPageImage()
    : m_hDib(nullptr), m_hBits(nullptr), m_nWidth(0), m_nHeight(0), m_nBitCount(0), m_hRecoBits(nullptr) {}

void CPageImage::FreeBits() {
    if (m_hBits) {
        GlobalFree(m_hBits);
        m_hBits = nullptr;
    }
}

void CPageImage::FreeDib() {
    if (m_hDib) {
        GlobalUnlock(m_hDib);
        GlobalFree(m_hDib);
        m_hDib = nullptr;
    }
}

void CPageImage::Empty() {
    FreeBits();
    FreeDib();
    m_nBitCount = 0;
}

BOOL CPageImage::AllocBits(DWORD nBytes) {
    FreeBits();
    m_hBits = AllocImageBlock(GHND, nBytes);
    return m_hBits != nullptr;
}

bool CPageImage::EnsurePlane() {
    if (m_hBits) return true;
    if (m_nWidth <= 0 || m_nHeight <= 0) return false;
    m_hBits = AllocImageBlock(GHND, PlaneBytes());
    return m_hBits != nullptr;
}

bool CPageImage::InsidePage(const RECT& rect) const {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           rect.right < m_nWidth && rect.bottom < m_nHeight;
}

namespace {

bool isGreyTable(const RGBQUAD* colors, DWORD count) {
    for (DWORD i = 0; i < count; ++i)
        if (colors[i].rgbBlue != colors[i].rgbGreen || colors[i].rgbGreen != colors[i].rgbRed) return false;
    return true;
}

int brightness(const RGBQUAD& c) { return c.rgbRed * 30 + c.rgbGreen * 59 + c.rgbBlue * 11; }

// A copy of an 8-bit bitmap whose short colour table is replaced by the full
// 256-level ramp; the rows are copied unchanged. NULL when memory fails.
HDIB widenGreyTable(const DibLayout& dib) {
    const std::size_t headerBytes = dib.header->biSize;
    const std::size_t rowBytes = static_cast<std::size_t>(dib.stride) * dib.height;
    HDIB wide = AllocImageBlock(GHND, headerBytes + 1024 + rowBytes);
    if (!wide) return nullptr;
    BYTE* out = static_cast<BYTE*>(GlobalLock(wide));
    std::memcpy(out, dib.header, headerBytes);
    std::memcpy(out + headerBytes + 1024, dib.bits, rowBytes);
    reinterpret_cast<BITMAPINFOHEADER*>(out)->biClrUsed = 256;
    GlobalUnlock(wide);
    return wide;
}

void writeGreyRamp(BYTE* dib) {
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib);
    auto* colors = reinterpret_cast<RGBQUAD*>(dib + header->biSize);
    for (int i = 0; i < 256; ++i) {
        colors[i].rgbBlue = colors[i].rgbGreen = colors[i].rgbRed = static_cast<BYTE>(i);
    }
    header->biClrUsed = 256;
}

}  // namespace

int CPageImage::AttachDib(HDIB hDib) {
    if (!hDib) return 1;
    BYTE* dib = static_cast<BYTE*>(GlobalLock(hDib));
    DibLayout layout;
    HGLOBAL bits = nullptr;
    // A refused bitmap leaves the page as it was.
    auto refuse = [&] {
        if (dib) GlobalUnlock(hDib);
        GlobalFree(hDib);
        if (bits) GlobalFree(bits);
        return 1;
    };
    if (!dib || !DescribeDib(dib, GlobalSize(hDib), layout)) return refuse();

    if (layout.bitCount == 8) {
        if (!isGreyTable(layout.colors, layout.colorCount)) return refuse();
        if (layout.colorCount < 256) {
            HDIB wide = widenGreyTable(layout);
            if (!wide) return refuse();
            GlobalUnlock(hDib);
            GlobalFree(hDib);
            hDib = wide;
            dib = static_cast<BYTE*>(GlobalLock(hDib));
            DescribeDib(dib, GlobalSize(hDib), layout);
        }
        writeGreyRamp(dib);
    }

    const int width = layout.width, height = layout.height;
    const DWORD rowBytes = (static_cast<DWORD>(width) + 7) / 8;
    // A 1-bit page's plane is written whole below; the others start white.
    bits = AllocImageBlock(layout.bitCount == 1 ? GMEM_MOVEABLE : GHND, static_cast<SIZE_T>(rowBytes) * height);
    if (!bits) return refuse();

    if (layout.bitCount == 1) {
        CBlockLock plane(bits);
        if (!plane) return refuse();
        // Value 1 is black unless the colour table says value 0 is the darker one.
        const bool zeroIsBlack = layout.colorCount >= 2 && brightness(layout.colors[0]) < brightness(layout.colors[1]);
        const BYTE lastMask = LastByteMask(width);
        for (int y = 0; y < height; ++y) {
            BYTE* dst = plane.get() + static_cast<std::size_t>(y) * rowBytes;
            std::memcpy(dst, layout.Row(y), rowBytes);
            if (zeroIsBlack)
                for (DWORD i = 0; i < rowBytes; ++i) dst[i] = static_cast<BYTE>(~dst[i]);
            dst[rowBytes - 1] &= lastMask;
        }
    }

    // The new page is whole: only now does the old one go.
    Empty();
    m_hBits = bits;
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = layout.bitCount;
    if (layout.bitCount == 1) {
        GlobalUnlock(hDib);
        GlobalFree(hDib);
    } else {
        m_hDib = hDib;  // keeps the one lock taken above
        Binarize();
    }
    return 0;
}

BOOL CPageImage::ShrinkRect(CPageImage* pDst, const RECT* pSrc, int nScale) {
    if (!pDst || !pSrc) return FALSE;
    const int s = nScale & 0xFFFF;
    if (s == 0 || s > 256 || (s & (s - 1)) != 0) return FALSE;
    const int newWidth = (pSrc->right - pSrc->left) * s / 256;
    const int newHeight = (pSrc->bottom - pSrc->top) * s / 256;
    if (newWidth < 8 || newHeight < 8) return FALSE;
    const bool mono = m_nBitCount == 1;
    if (mono && (pSrc->left < 0 || pSrc->top < 0 || pSrc->right > m_nWidth || pSrc->bottom > m_nHeight || !m_hBits))
        return FALSE;
    pDst->m_nWidth = newWidth;
    pDst->m_nHeight = newHeight;
    if (!mono) return TRUE;
    const DWORD dstRow = (static_cast<DWORD>(newWidth) + 7) / 8;
    if (!pDst->AllocBits(dstRow * newHeight)) {
        ShowImageMessage(kMsgNotEnoughMemory);
        return FALSE;
    }
    CBlockLock src(m_hBits), dst(pDst->m_hBits);
    if (!src || !dst) return FALSE;
    const int step = 256 / s;
    const DWORD srcRow = RowBytes();
    for (int k = 0; k < newHeight; ++k) {
        const BYTE* in = src.get() + static_cast<std::size_t>(pSrc->top + k * step) * srcRow;
        BYTE* out = dst.get() + static_cast<std::size_t>(k) * dstRow;
        if (step == 1 && (pSrc->left & 7) == 0) {
            std::memcpy(out, in + pSrc->left / 8, dstRow);
            out[dstRow - 1] &= LastByteMask(newWidth);
            continue;
        }
        for (int j = 0, x = pSrc->left; j < newWidth; ++j, x += step)
            if (PlaneBit(in, x)) SetPlaneBit(out, j);
    }
    return TRUE;
}

namespace {
bool blockRangeValid(HGLOBAL h, int offset, DWORD length) {
    return offset >= 0 && static_cast<std::uint64_t>(offset) + length <= GlobalSize(h);
}
}  // namespace

DWORD CopyFromGlobal(HGLOBAL h, int nOffset, void* pDst, DWORD nLen) {
    if (!blockRangeValid(h, nOffset, nLen)) return 0;
    CBlockLock block(h);
    if (!block) return 0;
    std::memcpy(pDst, block.get() + nOffset, nLen);
    return nLen;
}

DWORD CopyToGlobal(HGLOBAL h, int nOffset, const void* pSrc, DWORD nLen) {
    if (!blockRangeValid(h, nOffset, nLen)) return 0;
    CBlockLock block(h);
    if (!block) return 0;
    std::memcpy(block.get() + nOffset, pSrc, nLen);
    return nLen;
}

HGLOBAL FlipMonoDib(HDIB hDib, BOOL bFree) {
    HGLOBAL result = nullptr;
    BYTE* dib = hDib ? static_cast<BYTE*>(GlobalLock(hDib)) : nullptr;
    DibLayout layout;
    if (dib && DescribeDib(dib, GlobalSize(hDib), layout) && layout.bitCount == 1) {
        result = AllocImageBlock(GHND, static_cast<SIZE_T>(layout.stride) * layout.height);
        if (result) {
            BYTE* out = static_cast<BYTE*>(GlobalLock(result));
            if (!out) {
                ShowImageMessage(kMsgCannotLockMemory);
                GlobalFree(result);
                result = nullptr;
            } else {
                for (int y = 0; y < layout.height; ++y)
                    std::memcpy(out + static_cast<std::size_t>(y) * layout.stride, layout.Row(y), layout.stride);
                GlobalUnlock(result);
            }
        }
    } else if (dib) {
        ShowImageMessage(kMsgUnsupportedImageFormat);
    }
    if (dib) GlobalUnlock(hDib);
    if (bFree && hDib) GlobalFree(hDib);
    return result;
}

#include "outside/convert/packed_dib.h"

#include "platform/win/memory.h"

#include <cstring>

namespace convert {

DWORD dibStride(LONG width, int bits) {
    if (width <= 0 || width > kMaxSide) return 0;
    return WIDTHBYTES(static_cast<DWORD>(width) * static_cast<DWORD>(bits));
}

DibBuilder::~DibBuilder() {
    if (block_) {
        GlobalUnlock(block_);
        GlobalFree(block_);
    }
}

bool DibBuilder::create(LONG width, LONG height, int bits, LONG xPelsPerMeter, LONG yPelsPerMeter, bool zeroRows) {
    if (block_ || (bits != 1 && bits != 8 && bits != 24)) return false;
    const DWORD stride = dibStride(width, bits);
    if (stride == 0 || height <= 0 || height > kMaxSide) return false;
    const std::size_t pixelBytes = std::size_t{stride} * static_cast<std::size_t>(height);
    if (pixelBytes > kMaxPixelBytes) return false;
    const DWORD entries = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    const std::size_t headerBytes = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    block_ = GlobalAlloc(zeroRows ? GHND : GMEM_MOVEABLE, headerBytes + pixelBytes);
    if (!block_) return false;
    auto* base = static_cast<BYTE*>(GlobalLock(block_));
    if (!base) {
        GlobalFree(block_);
        block_ = nullptr;
        return false;
    }
    if (!zeroRows) std::memset(base, 0, headerBytes);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(base);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(pixelBytes);
    header->biXPelsPerMeter = xPelsPerMeter;
    header->biYPelsPerMeter = yPelsPerMeter;
    header->biClrUsed = entries;
    auto* palette = reinterpret_cast<RGBQUAD*>(base + sizeof(BITMAPINFOHEADER));
    if (bits == 1) {
        palette[0] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
        palette[1] = RGBQUAD{0, 0, 0, 0};
    } else if (bits == 8) {
        for (DWORD i = 0; i < 256; ++i) {
            const BYTE v = static_cast<BYTE>(i);
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    }
    bits_ = base + headerBytes;
    width_ = width;
    height_ = height;
    stride_ = stride;
    return true;
}

BYTE* DibBuilder::row(LONG top) {
    return bits_ + std::size_t{stride_} * static_cast<std::size_t>(height_ - 1 - top);
}

HDIB DibBuilder::release() {
    HDIB block = block_;
    if (block) GlobalUnlock(block);
    block_ = nullptr;
    bits_ = nullptr;
    return block;
}

DibReader::~DibReader() {
    if (block_) GlobalUnlock(block_);
}

bool DibReader::open(HDIB dib) {
    if (block_ || !dib) return false;
    const SIZE_T size = GlobalSize(dib);
    if (size < sizeof(BITMAPINFOHEADER)) return false;
    auto* base = static_cast<const BYTE*>(GlobalLock(dib));
    if (!base) return false;
    block_ = dib;
    base_ = base;
    header_ = reinterpret_cast<const BITMAPINFOHEADER*>(base);
    const BITMAPINFOHEADER& h = *header_;
    const int bits = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biCompression != BI_RGB ||
        (bits != 1 && bits != 8 && bits != 24) || h.biHeight <= 0 || h.biHeight > kMaxSide)
        return false;
    stride_ = dibStride(h.biWidth, bits);
    if (stride_ == 0) return false;
    paletteEntries_ = h.biClrUsed;
    if (paletteEntries_ == 0 && bits <= 8) paletteEntries_ = 1u << bits;
    if (paletteEntries_ > 256) return false;
    const std::size_t paletteOffset = h.biSize;
    const std::size_t bitsOffset = paletteOffset + std::size_t{paletteEntries_} * sizeof(RGBQUAD);
    const std::size_t pixelBytes = std::size_t{stride_} * static_cast<std::size_t>(h.biHeight);
    if (bitsOffset > size || pixelBytes > size - bitsOffset) return false;
    palette_ = reinterpret_cast<const RGBQUAD*>(base + paletteOffset);
    bits_ = base + bitsOffset;
    return true;
}

const BYTE* DibReader::row(LONG top) const {
    return bits_ + std::size_t{stride_} * static_cast<std::size_t>(header_->biHeight - 1 - top);
}

bool DibReader::monoOneIsBlack() const {
    if (paletteEntries_ < 2) return true;
    const RGBQUAD& a = palette_[0];
    const RGBQUAD& b = palette_[1];
    return luminance(b.rgbRed, b.rgbGreen, b.rgbBlue) <= luminance(a.rgbRed, a.rgbGreen, a.rgbBlue);
}

BYTE DibReader::grey(BYTE index) const {
    if (index >= paletteEntries_) return index;
    const RGBQUAD& c = palette_[index];
    return luminance(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

bool DibReader::paletteIsGrey() const {
    for (DWORD i = 0; i < paletteEntries_; ++i) {
        const RGBQUAD& c = palette_[i];
        if (c.rgbRed != c.rgbGreen || c.rgbGreen != c.rgbBlue) return false;
    }
    return true;
}

}  // namespace convert

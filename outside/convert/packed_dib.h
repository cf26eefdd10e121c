// Packed device-independent bitmaps in movable blocks: building new ones row by
// row, and checked read access to ones handed in by a caller.
#pragma once

#include "platform/win/types.h"

#include <cstddef>

namespace convert {

// Largest picture the library takes or makes: bounds every allocation that a
// file header asks for.
constexpr LONG kMaxSide = 65535;
constexpr std::size_t kMaxPixelBytes = std::size_t{1} << 30;

// Row stride of a DIB row; 0 when the size is out of bounds.
DWORD dibStride(LONG width, int bits);

// A new packed DIB being filled. Rows are addressed top-down (row 0 is the top
// of the page) although they are stored bottom-up. Owns the block until
// release().
class DibBuilder {
public:
    DibBuilder() = default;
    DibBuilder(const DibBuilder&) = delete;
    DibBuilder& operator=(const DibBuilder&) = delete;
    ~DibBuilder();

    // bits 1 (palette white, black), 8 (grey ramp) or 24. False when the size is
    // out of bounds or the memory cannot be had. The rows start zero, unless
    // `zeroRows` is false for a caller that writes every byte of them itself.
    bool create(LONG width, LONG height, int bits, LONG xPelsPerMeter = 0, LONG yPelsPerMeter = 0,
                bool zeroRows = true);
    BYTE* row(LONG top);
    LONG width() const { return width_; }
    LONG height() const { return height_; }
    DWORD stride() const { return stride_; }
    // Hands the block over (unlocked); the builder is empty afterwards.
    HDIB release();

private:
    HDIB block_ = nullptr;
    BYTE* bits_ = nullptr;
    LONG width_ = 0;
    LONG height_ = 0;
    DWORD stride_ = 0;
};

// Checked read access to a caller's DIB: the header, colour table and rows must
// lie inside the block. Holds one lock while open.
class DibReader {
public:
    DibReader() = default;
    DibReader(const DibReader&) = delete;
    DibReader& operator=(const DibReader&) = delete;
    ~DibReader();

    // False for a bad handle, a compressed or top-down bitmap, a depth other
    // than 1, 8 or 24, or a block too small for what the header says.
    bool open(HDIB dib);
    LONG width() const { return header_->biWidth; }
    LONG height() const { return header_->biHeight; }
    int bits() const { return header_->biBitCount; }
    const BITMAPINFOHEADER& header() const { return *header_; }
    const RGBQUAD* palette() const { return palette_; }
    DWORD paletteEntries() const { return paletteEntries_; }
    DWORD stride() const { return stride_; }
    const BYTE* row(LONG top) const;
    // True when the 1-bit palette has entry 1 darker than entry 0 (bit 1 = ink).
    bool monoOneIsBlack() const;
    // Grey value of a palette index of an 8-bit DIB.
    BYTE grey(BYTE index) const;
    bool paletteIsGrey() const;

private:
    HDIB block_ = nullptr;
    const BYTE* base_ = nullptr;
    const BITMAPINFOHEADER* header_ = nullptr;
    const RGBQUAD* palette_ = nullptr;
    DWORD paletteEntries_ = 0;
    const BYTE* bits_ = nullptr;
    DWORD stride_ = 0;
};

// Luminance of a colour, 0..255.
inline BYTE luminance(BYTE r, BYTE g, BYTE b) {
    return static_cast<BYTE>((r * 299u + g * 587u + b * 114u + 500u) / 1000u);
}

}  // namespace convert

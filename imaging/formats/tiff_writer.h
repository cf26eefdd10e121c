// The system's own writer of 1-bit pages as little-endian TIFF files:
// uncompressed in strips of at most 8192 bytes, or as a single strip in
// CCITT modified Huffman, Group 3, Group 4, LZW or PackBits.
#pragma once

#include "imaging/formats/tiff_file.h"
#include "platform/win/types.h"

struct TiffPageDesc {
    WORD width;
    WORD height;
    WORD resolution;    // dots per inch
    WORD bitsPerPixel;  // 1 for pages
};

// Compression codes of WriteTiffImage.
constexpr WORD TIFF_WRITE_NONE = 1;  // 0 means the same
constexpr WORD TIFF_WRITE_MH = 2;
constexpr WORD TIFF_WRITE_G3 = 3;
constexpr WORD TIFF_WRITE_G4 = 4;
constexpr WORD TIFF_WRITE_LZW = 5;
constexpr WORD TIFF_WRITE_PACKBITS = 8005;

class CTiffStripEncoder {
public:
    virtual ~CTiffStripEncoder() = default;
    // Called once with all rows of the page (height rows, top first, set bit
    // black). Uncompressed: writes the strips and returns the bytes written
    // (0 on a write error). Compressed kinds: codes the page and writes the
    // whole file; returns 0 (and false through Failed() on a write error).
    virtual DWORD Write(DWORD count, const BYTE* data) = 0;
    bool Failed() const { return m_failed; }

protected:
    bool m_failed = false;
};

// Starts a file: for codes 0 and 1 writes the header now. Returns the encoder
// (the caller's to delete), or NULL after "Not supported compress type!".
CTiffStripEncoder* WriteTiffImage(CTiffFile* file, const TiffPageDesc* desc, WORD compression);

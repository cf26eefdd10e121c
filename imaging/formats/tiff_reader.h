// The system's own reader of 1-bit little-endian TIFF pages: it checks the
// header and the first directory, reports the first problem in a message
// box, and hands back a row decoder for the file's compression (none,
// CCITT modified Huffman, Group 3, Group 4, LZW or PackBits).
#pragma once

#include <cstdint>

#include "imaging/formats/tiff_file.h"
#include "platform/win/types.h"

class CTiffStripDecoder {
public:
    virtual ~CTiffStripDecoder() = default;
    // Writes the next row, top to bottom, into the buffer: (width + 7) / 8
    // bytes, most significant bit leftmost, a set bit black whatever the
    // file's photometric interpretation. Returns the bytes written; 0 after
    // the last row or when the buffer is smaller than a row.
    virtual WORD ReadRow(DWORD bufferSize, BYTE* buffer) = 0;

    DWORD m_nWidth = 0;
    DWORD m_nHeight = 0;
    WORD m_nResolution = 0;   // dots per inch: the larger of the two directions
    WORD m_nBitsOut = 1;      // as asked for; rows are delivered 1-bit
    WORD m_nReserved = 0;
    WORD m_nSourceBits = 1;
};

// Reads the directory of the open file. Returns a new decoder (the caller's
// to delete) or NULL after a message box. The file must stay open while the
// decoder is used.
CTiffStripDecoder* ReadTiffImage(CTiffFile* file, WORD bitsPerPixel);

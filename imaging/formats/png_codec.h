// Bilevel greyscale PNG files (bit depth 1, colour type 0), read and written
// by the system's own inflater and deflater straight from and into the page
// image's 1-bit working plane.
#pragma once

#include "imaging/image_codec.h"

class CPngCodec : public CImageCodec {
public:
    explicit CPngCodec(const char* path) : CImageCodec(path) {}

    // 1 loaded, 0 failed (after a message for a damaged or unsupported
    // file), 2 stopped.
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    // Writes the working plane; option values above 2 are refused. The file
    // appears only when it is complete.
    BOOL Save(CPageImage* page, int option) override;
};

// Bilevel PCX files (one plane, one bit per pixel, run-length coded), read
// straight into the page image's working plane and written from it.
#pragma once

#include "imaging/image_codec.h"

class CPcxCodec : public CImageCodec {
public:
    explicit CPcxCodec(const char* path) : CImageCodec(path) {}

    // 1 loaded, 0 failed (no message), 2 stopped.
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    // Writes the working plane; the option is ignored.
    BOOL Save(CPageImage* page, int option) override;
};

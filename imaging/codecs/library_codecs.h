// Codecs of the formats read and written through the outside conversion
// library (BMP, TIFF, JPEG) and through the PDF page access (PDF, first page
// only). 1-bit BMP files are written by the codec itself.
#pragma once

#include "imaging/image_codec.h"

#include <vector>

class CBmpCodec final : public CImageCodec {
public:
    using CImageCodec::CImageCodec;
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    BOOL Save(CPageImage* page, int option) override;
};

// Also the codec of the edited-page image (.BKI), which is a TIFF file.
class CTiffCodec final : public CImageCodec {
public:
    using CImageCodec::CImageCodec;
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    BOOL Save(CPageImage* page, int option) override;
};

class CJpgCodec final : public CImageCodec {
public:
    using CImageCodec::CImageCodec;
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    BOOL Save(CPageImage* page, int option) override;
};

class CPdfCodec final : public CImageCodec {
public:
    using CImageCodec::CImageCodec;
    int Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) override;
    // TRUE when the page was written (its code is 0), as every codec answers.
    BOOL Save(CPageImage* page, int option) override;
    // The picture writer's own code for the page: 0 written, 10 when the
    // writer library or its entry point is missing, else the writer's error
    // (a 1-bit page, which has no picture to write, is its BRENVO_ERR_BITMAP).
    int SaveCode(CPageImage* page);
};

// The message shown when the conversion library is not loaded.
extern const char* const kMsgCannotLoadConvertDll;

// The 1-bit BMP file of a page's working plane: a 62-byte header (palette
// white, black) and the rows bottom-up, each padded to 4 bytes. Empty when the
// page has no plane or it cannot be read.
std::vector<BYTE> MonoBmpFileOfPlane(const CPageImage& page);

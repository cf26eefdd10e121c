// The picture writer "Brenvo.dll": one bitmap as a one-page PDF file.
#include "outside/include/library_export.h"
#include "outside/include/pdf_libraries.h"

#include "outside/brenvo/pdf_picture_writer.h"
#include "platform/win/atomic_file.h"
#include "platform/win/resolution.h"

SUITE_LIBRARY_EXPORT int Brenvo(HDIB dib, const char* path) {
    if (!path) return BRENVO_ERR_WRITE;
    std::vector<BYTE> file;
    {
        convert::DibReader reader;
        if (!reader.open(dib)) return BRENVO_ERR_BITMAP;
        brenvo::PictureStream picture;
        if (!brenvo::encodePicture(reader, picture)) return BRENVO_ERR_ENCODE;
        // An unknown resolution (none, or outside 1 to 10,000 dpi) is taken as 300 dpi.
        auto dpiOf = [](LONG pelsPerMeter) {
            return suite::KnownPelsPerMeter(pelsPerMeter) ? pelsPerMeter * suite::kMetresPerInch : 300.0;
        };
        file = brenvo::buildPdf(picture, reader.width(), reader.height(), dpiOf(reader.header().biXPelsPerMeter),
                                dpiOf(reader.header().biYPelsPerMeter));
    }
    return SuiteWriteFileAtomically(path, file.data(), file.size()) ? 0 : BRENVO_ERR_WRITE;
}

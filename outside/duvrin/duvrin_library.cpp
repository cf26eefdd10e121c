// The printer library's table: a job's document on a printer device context
// of the platform, one scanned page a printed page.
#include <algorithm>
#include <cstring>
#include <vector>

#include "outside/duvrin/page_placement.h"
#include "outside/include/duvrin.h"
#include "outside/include/library_export.h"
#include "platform/afx/afxwin.h"

namespace {

int beginJob(PRINTER_RECORD* record, const PRINTER_NAMES*, PRINTER_RECORD*) {
    if (!record) return 0;
    std::memset(record, 0, sizeof *record);
    return 1;
}

int startDoc(PRINT_JOB* job) {
    if (!job || !job->Printer || job->Printer->Started) return 0;
    // The printer named first of the job's three names.
    HDC dc = AfxCreatePrinterDCFor(job->PrinterNames);
    if (!dc) return 0;
    DOCINFO info{};
    info.cbSize = sizeof info;
    info.lpszDocName = job->Title[0] ? job->Title : "Scanned pages";
    if (StartDoc(dc, &info) <= 0) {
        AfxDeletePrinterDC(dc);
        return 0;
    }
    job->Printer->Dc = dc;
    job->Printer->Started = 1;
    return 1;
}

// The page as a top-down packed DIB (B, G, R order for colour).
bool asDib(const IL_IMAGE& page, std::vector<BYTE>& info, std::vector<BYTE>& bits) {
    const IL_IMAGEHEADER* h = page.Header;
    if (!h || !page.Bits || h->Width <= 0 || h->Height <= 0 || (h->BitsPerPixel != 8 && h->BitsPerPixel != 24)) return false;
    const int channels = h->BitsPerPixel / 8;
    const DWORD stride = (DWORD(h->Width) * DWORD(channels) + 3u) & ~3u;
    if (h->BytesPerLine < DWORD(h->Width) * DWORD(channels)) return false;
    bits.assign(std::size_t(stride) * std::size_t(h->Height), 0);
    for (LONG y = 0; y < h->Height; ++y) {
        const BYTE* src = page.Bits + std::size_t(y) * h->BytesPerLine;
        BYTE* dst = bits.data() + std::size_t(y) * stride;
        if (channels == 1)
            std::memcpy(dst, src, std::size_t(h->Width));
        else
            for (LONG x = 0; x < h->Width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
    }
    info.assign(sizeof(BITMAPINFOHEADER) + (channels == 1 ? 256 * sizeof(RGBQUAD) : 0), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = h->Width;
    header->biHeight = -h->Height;
    header->biPlanes = 1;
    header->biBitCount = WORD(h->BitsPerPixel);
    if (channels == 1) {
        auto* palette = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        header->biClrUsed = 256;
    }
    return true;
}

int printPage(PRINT_JOB* job) {
    if (!job || !job->Printer || !job->Printer->Started || !job->Page) return 0;
    std::vector<BYTE> info, bits;
    if (!asDib(*job->Page, info, bits)) return 0;
    HDC dc = job->Printer->Dc;
    const IL_IMAGEHEADER& h = *job->Page->Header;
    const int copies = job->Copies > 0 ? std::min(job->Copies, 999) : 1;
    for (int copy = 0; copy < copies; ++copy) {
        if (StartPage(dc) <= 0) return 0;
        RECT r = duvrin::PlacePage(h.Width, h.Height, h.XResolution, GetDeviceCaps(dc, LOGPIXELSX),
                                   GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), job->Flags, job->Scale);
        StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, h.Width, h.Height, bits.data(),
                      reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
        if (EndPage(dc) <= 0) return 0;
        ++job->Printer->Pages;
    }
    return 1;
}

int endDoc(PRINT_JOB* job, int abort) {
    if (!job || !job->Printer || !job->Printer->Started) return 0;
    HDC dc = job->Printer->Dc;
    int r = abort ? AbortDoc(dc) : EndDoc(dc);
    AfxDeletePrinterDC(dc);
    job->Printer->Dc = nullptr;
    job->Printer->Started = 0;
    return r > 0 ? 1 : 0;
}

const PRINTER_TABLE table = {nullptr, nullptr, beginJob, nullptr, nullptr, startDoc, printPage, endDoc};

}  // namespace

SUITE_LIBRARY_EXPORT const PRINTER_TABLE* Printer_Interface() { return &table; }

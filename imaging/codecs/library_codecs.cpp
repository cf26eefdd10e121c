#include "imaging/codecs/library_codecs.h"

#include "imaging/image_host.h"
#include "imaging/image_messages.h"
#include "imaging/page_image.h"
#include "imaging/pdf/pdf_page_access.h"
#include "outside/include/convert_library.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/atomic_file.h"
#include "platform/win/errors.h"
#include "platform/win/library.h"
#include "platform/win/resolution.h"

#include <cmath>
#include <cstring>

const char* const kMsgCannotLoadConvertDll = "can not load convert.dll";

namespace {

// The conversion library's entry `name`, or NULL when the library is not
// loaded (the message is shown then) or lacks the entry.
template <typename F>
F convertEntry(const char* name) {
    HMODULE library = ImageHost().ConvertLibrary();
    if (!library) {
        ShowImageMessage(kMsgCannotLoadConvertDll);
        return nullptr;
    }
    return reinterpret_cast<F>(GetProcAddress(library, name));
}

int loadThroughLibrary(const char* entry, const char* path, CPageImage* page, HANDLE stopEvent, HWND window) {
    if (!page || !path) return IMAGE_LOAD_FAILED;
    auto read = convertEntry<PFN_CONVERT_READ>(entry);
    if (!read) return IMAGE_LOAD_FAILED;
    HDIB dib = read(window, path, stopEvent);
    if (!dib) return IMAGE_LOAD_FAILED;
    return page->AttachDib(dib) == 0 ? IMAGE_LOAD_DONE : IMAGE_LOAD_FAILED;
}

// Writes through the library. These codecs show no message of their own; a
// failed write leaves its cause (a full disk) as the last error for the
// caller's report, and no older error is mistaken for it.
BOOL writeThroughLibrary(PFN_CONVERT_WRITE write, const char* path, HDIB dib) {
    SetLastError(ERROR_SUCCESS);
    return write(nullptr, dib, path) ? TRUE : FALSE;
}

BOOL saveThroughLibrary(const char* entry, const char* path, HDIB dib) {
    if (!path || !dib) return FALSE;
    auto write = convertEntry<PFN_CONVERT_WRITE>(entry);
    return write ? writeThroughLibrary(write, path, dib) : FALSE;
}

// A packed 1-bit DIB of the page's working plane: palette white, black, rows
// bottom-up padded to 4 bytes. NULL when the plane cannot be read.
HDIB monoDibOfPlane(const CPageImage& page, LONG pelsPerMeter) {
    if (!page.m_hBits || page.m_nWidth <= 0 || page.m_nHeight <= 0) return nullptr;
    const DWORD rowBytes = page.RowBytes();
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(page.m_nWidth));
    const std::size_t pixelBytes = std::size_t{stride} * static_cast<std::size_t>(page.m_nHeight);
    if (GlobalSize(page.m_hBits) < std::size_t{rowBytes} * static_cast<std::size_t>(page.m_nHeight)) return nullptr;
    HDIB dib = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD) + pixelBytes);
    if (!dib) return nullptr;
    auto* base = static_cast<BYTE*>(GlobalLock(dib));
    const auto* plane = static_cast<const BYTE*>(GlobalLock(page.m_hBits));
    if (!base || !plane) {
        if (plane) GlobalUnlock(page.m_hBits);
        if (base) GlobalUnlock(dib);
        GlobalFree(dib);
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = page.m_nWidth;
    header.biHeight = page.m_nHeight;
    header.biPlanes = 1;
    header.biBitCount = 1;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    header.biXPelsPerMeter = pelsPerMeter;
    header.biYPelsPerMeter = pelsPerMeter;
    std::memcpy(base, &header, sizeof header);
    const RGBQUAD palette[2] = {{0xFF, 0xFF, 0xFF, 0}, {0, 0, 0, 0}};
    std::memcpy(base + sizeof header, palette, sizeof palette);
    BYTE* rows = base + sizeof header + sizeof palette;
    for (LONG y = 0; y < page.m_nHeight; ++y)
        std::memcpy(rows + std::size_t{stride} * static_cast<std::size_t>(page.m_nHeight - 1 - y),
                    plane + std::size_t{rowBytes} * static_cast<std::size_t>(y), rowBytes);
    GlobalUnlock(page.m_hBits);
    GlobalUnlock(dib);
    return dib;
}

}  // namespace

std::vector<BYTE> MonoBmpFileOfPlane(const CPageImage& page) {
    std::vector<BYTE> file;
    HDIB dib = monoDibOfPlane(page, 0);
    if (!dib) return file;
    const SIZE_T dibBytes = GlobalSize(dib);
    const auto* bits = static_cast<const BYTE*>(GlobalLock(dib));
    if (bits) {
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;
        header.bfSize = static_cast<DWORD>(sizeof header + dibBytes);
        header.bfOffBits = sizeof header + sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD);
        file.resize(sizeof header + dibBytes);
        std::memcpy(file.data(), &header, sizeof header);
        std::memcpy(file.data() + sizeof header, bits, dibBytes);
        // The file's header leaves the image size 0, as the reader derives it.
        std::memset(file.data() + 34, 0, 4);
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
    return file;
}

int CBmpCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    return loadThroughLibrary("Bmp2HDIB", m_pszPath, page, stopEvent, progressWindow);
}

BOOL CBmpCodec::Save(CPageImage* page, int) {
    if (!page || !m_pszPath) return FALSE;
    CHostWaitCursor wait;
    if (page->m_nBitCount == 1) {
        const std::vector<BYTE> file = MonoBmpFileOfPlane(*page);
        return !file.empty() && SuiteWriteFileAtomically(m_pszPath, file.data(), file.size()) ? TRUE : FALSE;
    }
    return saveThroughLibrary("HDIB2Bmp", m_pszPath, page->m_hDib);
}

int CTiffCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    return loadThroughLibrary("Tiff2HDIB", m_pszPath, page, stopEvent, progressWindow);
}

BOOL CTiffCodec::Save(CPageImage* page, int) {
    if (!page || !m_pszPath) return FALSE;
    CHostWaitCursor wait;
    auto write = convertEntry<PFN_CONVERT_WRITE>("HDIB2Tiff");
    if (!write) return FALSE;
    if (page->m_nBitCount != 1)
        return page->m_hDib ? writeThroughLibrary(write, m_pszPath, page->m_hDib) : FALSE;
    // The page's resolution goes with it, so that a saved page opens at its size.
    HDIB mono = monoDibOfPlane(*page, suite::PelsPerMeterOfDpi(page->PageResolution()));
    if (!mono) return FALSE;
    const BOOL written = writeThroughLibrary(write, m_pszPath, mono);
    GlobalFree(mono);
    return written;
}

int CJpgCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    return loadThroughLibrary("Jpg2HDIB", m_pszPath, page, stopEvent, progressWindow);
}

BOOL CJpgCodec::Save(CPageImage* page, int) {
    if (!page || page->m_nBitCount == 1) return FALSE;  // JPEG holds grey and colour pages only
    CHostWaitCursor wait;
    return saveThroughLibrary("HDIB2Jpg", m_pszPath, page->m_hDib);
}

int CPdfCodec::Load(CPageImage* page, HANDLE stopEvent, HWND progressWindow) {
    if (!page || !m_pszPath) return IMAGE_LOAD_FAILED;
    HDIB dib = RenderPdfPage(progressWindow, m_pszPath, stopEvent, 1, nullptr);
    if (!dib) return IMAGE_LOAD_FAILED;
    return page->AttachDib(dib) == 0 ? IMAGE_LOAD_DONE : IMAGE_LOAD_FAILED;
}

BOOL CPdfCodec::Save(CPageImage* page, int) { return SaveCode(page) == 0 ? TRUE : FALSE; }

int CPdfCodec::SaveCode(CPageImage* page) {
    // A success code for a page that was never written would be a lie.
    if (!page || page->m_nBitCount == 1 || !page->m_hDib || !m_pszPath) return BRENVO_ERR_BITMAP;
    CHostWaitCursor wait;
    return SaveDibAsPdf(0, page->m_hDib, m_pszPath);
}

#include "ocrdoc/mono_bitmap.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "imaging/dib_layout.h"

BOOL AllocMonoDib(HDIB* phDib, int width, int height) {
    if (!phDib) return FALSE;
    *phDib = nullptr;
    if (width <= 0 || height <= 0) return FALSE;
    const std::uint64_t stride = WIDTHBYTES(static_cast<DWORD>(width));
    const std::uint64_t rows = stride * static_cast<std::uint64_t>(height);
    if (rows > kMaxImageBytes) return FALSE;
    HDIB h = GlobalAlloc(GHND, 48 + rows);
    if (!h) return FALSE;
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 1;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rows);
    std::memcpy(p, &header, 40);
    const RGBQUAD table[2] = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    std::memcpy(p + 40, table, 8);
    GlobalUnlock(h);
    *phDib = h;
    return TRUE;
}

BOOL LockDib(HDIB hDib, BITMAPINFOHEADER** ppHeader, BYTE** ppBits) {
    if (!hDib) return FALSE;
    BYTE* p = static_cast<BYTE*>(GlobalLock(hDib));
    if (!p) return FALSE;
    if (GlobalSize(hDib) < sizeof(BITMAPINFOHEADER)) {
        GlobalUnlock(hDib);
        return FALSE;
    }
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(p);
    const DWORD colors = (header->biBitCount == 1 || header->biBitCount == 8) ? DibColorCount(*header) : 0;
    if (ppHeader) *ppHeader = header;
    if (ppBits) *ppBits = p + header->biSize + 4 * colors;
    return TRUE;
}

void PackedRowsToMonoDib(BYTE* pBits, const BYTE* pPlane, int width, int height, const BITMAPINFOHEADER* pHeader) {
    if (!pBits || !pPlane || width <= 0 || height <= 0) return;
    const std::size_t stride = WIDTHBYTES(static_cast<DWORD>(width)), rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    std::memset(pBits, 0, stride * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(pBits + static_cast<std::size_t>(height - 1 - y) * stride, pPlane + y * rowBytes, rowBytes);
    if (pHeader) {
        const auto* table = reinterpret_cast<const BYTE*>(pHeader) + pHeader->biSize;
        if (table[0] == 0)
            for (std::size_t i = 0; i < stride * height; ++i) pBits[i] = static_cast<BYTE>(~pBits[i]);
    }
}

void ExpandBitsToBytes(BYTE* pBytes, const BYTE* pPlane, int width, int height) {
    if (!pBytes || !pPlane || width <= 0 || height <= 0) return;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = pPlane + y * rowBytes;
        for (int x = 0; x < width; ++x) *pBytes++ = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255;
    }
}

HGLOBAL CopyGlobalBlock(HGLOBAL hBlock) {
    const SIZE_T size = hBlock ? GlobalSize(hBlock) : 0;
    if (size == 0) return nullptr;
    const BYTE* src = static_cast<const BYTE*>(GlobalLock(hBlock));
    if (!src) return nullptr;
    HGLOBAL copy = GlobalAlloc(GHND, size);
    if (copy) {
        std::memcpy(GlobalLock(copy), src, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(hBlock);
    return copy;
}

BOOL ShellDeleteFile(const std::string& path) {
    std::string local = path;
    for (char& c : local)
        if (c == '\\') c = '/';
    std::error_code error;
    std::filesystem::remove(local, error);
    return !error && !std::filesystem::exists(local, error);
}

#include "imaging/dib_layout.h"

#include <cstring>

DWORD DibColorCount(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed != 0) return header.biClrUsed;
    if (header.biBitCount == 1) return 2;
    if (header.biBitCount == 8) return 256;
    return 0;
}

bool DescribeDib(BYTE* dib, std::size_t blockSize, DibLayout& layout) {
    if (!dib || blockSize < sizeof(BITMAPINFOHEADER)) return false;
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib);
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > blockSize) return false;
    if (header->biCompression != BI_RGB) return false;
    if (header->biWidth <= 0 || header->biHeight <= 0) return false;
    const int bits = header->biBitCount;
    if (bits != 1 && bits != 8 && bits != 24) return false;
    const std::uint64_t colors = DibColorCount(*header);
    if (colors > 256) return false;
    const std::uint64_t stride = (static_cast<std::uint64_t>(header->biWidth) * bits + 31) / 32 * 4;
    const std::uint64_t rows = stride * static_cast<std::uint64_t>(header->biHeight);
    const std::uint64_t planeBytes =
        (static_cast<std::uint64_t>(header->biWidth) + 7) / 8 * static_cast<std::uint64_t>(header->biHeight);
    if (rows > kMaxImageBytes || planeBytes > kMaxImageBytes) return false;
    const std::uint64_t offset = header->biSize + 4 * colors;
    if (offset + rows > blockSize) return false;
    layout.header = header;
    layout.colors = reinterpret_cast<RGBQUAD*>(dib + header->biSize);
    layout.colorCount = static_cast<DWORD>(colors);
    layout.bits = dib + offset;
    layout.width = header->biWidth;
    layout.height = header->biHeight;
    layout.bitCount = bits;
    layout.stride = static_cast<DWORD>(stride);
    return true;
}

#include "views/page_view/pasted_dib.h"

#include <vector>

#include "imaging/dib_layout.h"

bool IsUsablePastedDib(const BYTE* dib, std::size_t size, int* outBitCount) {
    if (!dib || size < sizeof(BITMAPINFOHEADER)) return false;
    // DescribeDib needs a writable block; the clipboard's copy is only read.
    std::vector<BYTE> copy(dib, dib + size);
    DibLayout layout;
    if (!DescribeDib(copy.data(), copy.size(), layout)) return false;
    if (outBitCount) *outBitCount = layout.bitCount;
    return true;
}

// Feeds arbitrary bytes to the page image as a packed bitmap, then runs the
// operations that read the bitmap's header and rows.
#include <cstdint>
#include <cstring>

#include "imaging/dib_rotate.h"
#include "imaging/gray_convert.h"
#include "imaging/page_image.h"
#include "platform/win/memory.h"

namespace {
HDIB blockOf(const uint8_t* data, size_t size) {
    HDIB h = GlobalAlloc(GHND, size);
    if (h && size) {
        std::memcpy(GlobalLock(h), data, size);
        GlobalUnlock(h);
    }
    return h;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    // Keep the pixel count small so that a run stays fast whatever the header says.
    if (size >= 12) {
        int32_t w, h;
        std::memcpy(&w, data + 4, 4);
        std::memcpy(&h, data + 8, 4);
        if (static_cast<int64_t>(w) * h > (1 << 22) || w > (1 << 16) || h > (1 << 16)) return 0;
    }
    CPageImage page;
    if (page.AttachDib(blockOf(data, size)) == 0) {
        RECT r{0, 0, page.m_nWidth - 1, page.m_nHeight - 1};
        page.BinarizeRect(1, 1, page.m_nWidth - 2, page.m_nHeight - 2);
        RECT seal{};
        page.BinarizeOfficial(&seal);
        page.EraseRect(0, 0, page.m_nWidth / 2, page.m_nHeight / 2);
        page.DrawLine(0, 0, page.m_nWidth, page.m_nHeight, 3);
        delete[] page.CopyRectToDib(r);
        page.RotateRight();
        page.Crop(1, 1, page.m_nWidth, page.m_nHeight);
        page.Invert();
    }
    page.Empty();

    HDIB h = blockOf(data, size);
    RotateDib(h, 0.05);
    ConvertDibToGray(&h);
    GlobalFree(h);
    h = blockOf(data, size);
    GlobalFree(FlipMonoDib(h, TRUE));
    return 0;
}

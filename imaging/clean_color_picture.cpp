// A colour picture region of an official-document page cleaned for export:
// everything but the seal is whitened, and black text crossing the seal is
// repainted in the seal's colour as it runs down each column.
#include <cstring>
#include <vector>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

int CPageImage::CleanColorPicture(HDIB hDib) {
    HGLOBAL darkBlock = nullptr, redBlock = nullptr;
    if (!ExtractDarkPlane(hDib, &darkBlock) || !ExtractRedPlane(hDib, &redBlock)) {
        if (darkBlock) GlobalFree(darkBlock);
        if (redBlock) GlobalFree(redBlock);
        return 0;
    }
    CBlockOwner darkOwner(darkBlock), redOwner(redBlock);
    CBlockLock bmp(hDib), darkLock(darkBlock), redLock(redBlock);
    DibLayout dib;
    if (!bmp || !darkLock || !redLock || !DescribeDib(bmp.get(), bmp.size(), dib)) return 0;
    const int w = dib.width, h = dib.height;
    const std::size_t rowBytes = (static_cast<std::size_t>(w) + 7) / 8, maskBytes = rowBytes * h;

    struct Remembered {
        int c[3] = {255, 255, 255};
        int updated = -1;
    };
    std::vector<BYTE> closed, work;
    std::vector<Remembered> column;
    try {
        closed.assign(redLock.get(), redLock.get() + maskBytes);
        work.assign(maskBytes, 0);
        column.resize(w);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    // Closing of the red mask: three dilations, then three erosions.
    for (int i = 0; i < 3; ++i) {
        DilateBits(work.data(), closed.data(), w, h);
        closed.swap(work);
    }
    for (int i = 0; i < 3; ++i) {
        ErodeBits(work.data(), closed.data(), w, h);
        closed.swap(work);
    }

    for (int y = 0; y < h; ++y) {
        BYTE* p = dib.Row(y);
        const BYTE* c = closed.data() + y * rowBytes;
        const BYTE* d = darkLock.get() + y * rowBytes;
        const BYTE* r = redLock.get() + y * rowBytes;
        for (int x = 0; x < w; ++x, p += 3) {
            if (!PlaneBit(c, x)) {
                p[0] = p[1] = p[2] = 255;
                continue;
            }
            Remembered& m = column[x];
            if (PlaneBit(r, x)) {
                if (m.updated < 0) {
                    for (int k = 0; k < 3; ++k) m.c[k] = p[k];
                } else {
                    const int weight = y - m.updated < 6 ? 20 : 100;
                    for (int k = 0; k < 3; ++k) m.c[k] = (p[k] * weight + m.c[k] * (100 - weight)) / 100;
                }
                m.updated = y;
            } else if (PlaneBit(d, x)) {
                for (int k = 0; k < 3; ++k) p[k] = static_cast<BYTE>(m.c[k]);
            }
        }
        // Smooth the remembered colours along the row over recently updated columns.
        for (int x = 3; x <= w - 4; ++x) {
            int sum[3] = {0, 0, 0}, n = 0;
            for (int k = x - 3; k <= x + 3; ++k) {
                if (column[k].updated < 0 || y - column[k].updated > 4) continue;
                for (int ch = 0; ch < 3; ++ch) sum[ch] += column[k].c[ch];
                ++n;
            }
            if (n)
                for (int ch = 0; ch < 3; ++ch) column[x].c[ch] = sum[ch] / n;
        }
    }
    return 1;
}

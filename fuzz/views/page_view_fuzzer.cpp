// Random clipboard bitmaps and random mouse, key and zoom sequences through
// the page view's controller. A bitmap the paste accepts becomes the page the
// way the document takes a pasted bitmap; then every step must leave the
// region tree sound: each region inside the page rectangle, none of them
// overlapping another (except exactly), the page rectangle inside the page.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/region_geometry.h"
#include "platform/win/memory.h"
#include "views/page_view/page_view_controller.h"
#include "views/page_view/pasted_dib.h"

namespace {

void Fail(const char* what, int line) {
    std::fprintf(stderr, "page_view_fuzzer: %s (line %d)\n", what, line);
    std::abort();
}
#define Require(condition) \
    do {                     \
        if (!(condition)) Fail(#condition, __LINE__); \
    } while (0)

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool More() const { return m_at < m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Short() { return static_cast<int16_t>(Byte() | (Byte() << 8)); }
    const uint8_t* Take(size_t n, size_t* got) {
        *got = n < m_size - m_at ? n : m_size - m_at;
        const uint8_t* p = m_data + m_at;
        m_at += *got;
        return p;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

class FuzzHost : public CPageViewHost {
public:
    bool discard = true, handwriting = false;
    BOOL DiscardResult() override { return discard ? TRUE : FALSE; }
    void SetModified() override {}
    void SetLayoutDirty() override {}
    bool IsHandwritingPage() const override { return handwriting; }
    bool AutoResize() const override { return false; }
    void PostCrop() override {}
};

void CheckTree(const CPageRegion& tree, const CPageImage& page) {
    const RECT r = tree.Rect();
    Require(r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom);
    Require(r.right < page.m_nWidth + 1 && r.bottom < page.m_nHeight + 1);
    Require(tree.m_nSelected >= -1 && tree.m_nSelected < tree.GetChildCount());
    for (int i = 0; i < tree.GetChildCount(); ++i) {
        const CLayoutRegion* a = tree.GetChild(i);
        Require(a != nullptr);
        Require(a->left <= a->right && a->top <= a->bottom);
        Require(RectHoldsRect(r, *a));
        // The tree lets a region lie exactly on another (an equal rectangle is no overlap).
        for (int j = i + 1; j < tree.GetChildCount(); ++j) {
            const CLayoutRegion* b = tree.GetChild(j);
            Require(!RectsOverlapStrictly(*a, *b) || RectsEqual(*a, *b));
        }
    }
}

std::unique_ptr<CPageImage> PageFrom(Reader& in) {
    size_t length = static_cast<size_t>(in.Byte()) | (static_cast<size_t>(in.Byte()) << 8);
    size_t got = 0;
    const uint8_t* bytes = in.Take(length, &got);
    auto page = std::make_unique<CPageImage>();
    int bits = 0;
    BITMAPINFOHEADER header{};
    if (got >= sizeof header) std::memcpy(&header, bytes, sizeof header);
    const int64_t pixels = static_cast<int64_t>(header.biWidth) * header.biHeight;
    HGLOBAL block = got > 0 && pixels >= -4'000'000 && pixels <= 4'000'000 ? PageDibOfPasted(bytes, got, &bits) : nullptr;
    if (block) {
        if (page->AttachDib(block) == 0 && page->m_hBits) return page;
        page = std::make_unique<CPageImage>();
    }
    page->m_nWidth = 320;
    page->m_nHeight = 240;
    page->m_nBitCount = 1;
    page->AllocBits(page->PlaneBytes());
    // Some ink from the input, so that trimming has something to find.
    if (BYTE* p = static_cast<BYTE*>(GlobalLock(page->m_hBits))) {
        for (size_t i = 0; i < got && i < page->PlaneBytes(); ++i) p[(i * 97) % page->PlaneBytes()] = bytes[i];
        GlobalUnlock(page->m_hBits);
    }
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    std::unique_ptr<CPageImage> page = PageFrom(in);
    auto tree = std::make_unique<CPageRegion>(RECT{0, 0, page->m_nWidth - 1, page->m_nHeight - 1});
    FuzzHost host;
    host.handwriting = (in.Byte() & 1) != 0;
    CPageViewController view(&host);
    view.SetPage(page.get(), tree.get());
    view.SetImageArea(40 + in.Byte() * 3, 40 + in.Byte() * 3);
    view.ResetView();
    const int regions = in.Byte() % 6;
    for (int i = 0; i < regions; ++i) {
        const int x = std::abs(in.Short()) % page->m_nWidth, y = std::abs(in.Short()) % page->m_nHeight;
        const int w = in.Byte(), h = in.Byte();
        tree->AddRegion(RECT{x, y, std::min(x + w, page->m_nWidth - 1), std::min(y + h, page->m_nHeight - 1)},
                        1 << (in.Byte() % 5));
    }
    CheckTree(*tree, *page);
    for (int steps = 0; in.More() && steps < 200; ++steps) {
        const uint8_t op = in.Byte();
        const POINT p{in.Short() % 1200, in.Short() % 1200};
        switch (op % 12) {
        case 0: view.ButtonDown(p); break;
        case 1:
        case 2: view.MouseMove(p); break;
        case 3: view.ButtonUp(p); break;
        case 4: view.AutoScrollStep(); break;
        case 5: view.SetZoom(static_cast<WORD>(1u << (op % 9))); break;
        case 6: view.Scroll((op & 16) != 0, static_cast<UINT>(p.x & 7), p.y); break;
        case 7: view.Wheel(p.x); break;
        case 8: view.KeyDown(static_cast<UINT>(p.x & 0xFF), (op & 32) != 0); break;
        case 9: view.SetMouseTool(op % 3); break;
        case 10: view.ToggleSealMode(); break;
        case 11: host.discard = !host.discard; break;
        }
        view.CursorAt(p);
        CheckTree(*tree, *page);
        Require(view.ScrollX() >= 0 && view.ScrollY() >= 0);
    }
    view.CancelDrag();
    view.SetPage(nullptr, nullptr);
    tree.reset();
    page->Empty();
    return 0;
}

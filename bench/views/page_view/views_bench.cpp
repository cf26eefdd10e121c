// The page view on an A4 page at 300 dpi (2480 x 3508, 1-bit, text-like
// ink) in a 1024 x 768 image area: one scroll step repainted (display rows
// rebuilt and the area painted into a memory bitmap) and one zoom change
// repainted (the reduced copy made again) at every zoom. Then the page as a
// grey scan at a quarter of its size: the area painted with the page scaled
// afresh, and copied from the drawing the view keeps.
#include <benchmark/benchmark.h>

#include <memory>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/afx/afxwin.h"
#include "views/page_view/page_view_controller.h"
#include "views/page_view/page_view_renderer.h"

namespace {

CWinApp theBenchApp("ViewsBench");

constexpr int kWidth = 2480, kHeight = 3508, kAreaW = 1024, kAreaH = 768;

class NoHost : public CPageViewHost {
public:
    BOOL DiscardResult() override { return TRUE; }
    void SetModified() override {}
    void SetLayoutDirty() override {}
    bool IsHandwritingPage() const override { return false; }
    bool AutoResize() const override { return false; }
    void PostCrop() override {}
};

struct Scene {
    explicit Scene(bool grey = false) {
        AfxWinInit();
        if (grey) {
            // Dark bands of words on light paper.
            page.AttachDib(GreyDib(kWidth, kHeight, [](int x, int y) { return (y / 50) % 2 && (x / 24) % 2 ? 40 : 230; }).Make());
            Show();
            return;
        }
        page.m_nWidth = kWidth;
        page.m_nHeight = kHeight;
        page.m_nBitCount = 1;
        page.AllocBits(page.PlaneBytes());
        {
            CBlockLock plane(page.m_hBits);
            const std::size_t row = page.RowBytes();
            // Lines of words: 30-pixel glyph rows every 50 pixels, words of 24 bytes with gaps.
            for (int y = 150; y + 30 < kHeight - 150; y += 50)
                for (int dy = 0; dy < 30; dy += 2)
                    for (std::size_t b = 20; b + 20 < row; ++b)
                        if ((b / 24) % 2 == 0) plane.get()[static_cast<std::size_t>(y + dy) * row + b] = 0x5A;
        }
        Show();
    }
    void Show() {
        tree = std::make_unique<CPageRegion>(RECT{0, 0, kWidth - 1, kHeight - 1});
        for (int i = 0; i < 12; ++i) tree->AddRegion(RECT{100, 150 + i * 280, 2380, 150 + i * 280 + 250}, kRegionHorizontal);
        view.SetPage(&page, tree.get());
        view.SetImageArea(kAreaW, kAreaH);
        view.ResetView();
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(kAreaW, kAreaH, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
    }
    ~Scene() {
        dc.SelectObject(old);
        view.SetPage(nullptr, nullptr);
        page.Empty();
    }
    void Paint(CKeptPageDrawing* kept = nullptr) {
        PageViewPaintInput input;
        input.kept = kept;
        CPageViewRenderer::Paint(dc, view, input);
    }
    CPageImage page;
    std::unique_ptr<CPageRegion> tree;
    NoHost host;
    CPageViewController view{&host};
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
    CKeptPageDrawing kept;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_ScrollStep(benchmark::State& state) {
    Scene& s = TheScene();
    s.view.SetZoom(static_cast<WORD>(state.range(0)));
    s.view.Scroll(true, SB_TOP, 0);
    for (auto _ : state) {
        if (!s.view.Scroll(true, SB_LINEDOWN, 0)) s.view.Scroll(true, SB_TOP, 0);
        s.Paint();
    }
}
BENCHMARK(BM_ScrollStep)->Arg(256)->Arg(128)->Arg(64)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_ZoomChange(benchmark::State& state) {
    Scene& s = TheScene();
    const WORD target = static_cast<WORD>(state.range(0));
    const WORD other = target == 256 ? 128 : 256;
    for (auto _ : state) {
        state.PauseTiming();
        s.view.SetZoom(other);
        s.view.DropZoomImage();  // the reduced copy is made again, as after any page change
        state.ResumeTiming();
        s.view.SetZoom(target);
        s.Paint();
    }
}
BENCHMARK(BM_ZoomChange)->Arg(256)->Arg(128)->Arg(64)->Arg(32)->Unit(benchmark::kMillisecond);

void BM_GreyPagePaint(benchmark::State& state) {
    static Scene s(true);
    s.view.SetZoom(64);
    for (auto _ : state) s.Paint(state.range(0) ? &s.kept : nullptr);
}
BENCHMARK(BM_GreyPagePaint)->ArgName("kept")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

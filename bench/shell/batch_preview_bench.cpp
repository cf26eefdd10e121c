// The batch window's preview of an A4 page at 300 dpi (2480 x 3508, 1-bit,
// text-like ink, twelve text regions) in the preview mode's area of
// 139 x 245 pixels: the first paint (scale chosen, page reduced, work bitmap
// filled, then drawn), a later repaint, and a repaint after a tint update.
// Targets: first paint at most 30 ms, each later paint at most 5 ms.
#include <benchmark/benchmark.h>

#include <QImage>

#include <memory>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/core/dc_qt.h"
#include "shell/batch/batch_preview.h"
#include "shell/batch/batch_recog_renderer.h"

namespace {

CWinApp theBenchApp("BatchPreviewBench");

constexpr int kWidth = 2480, kHeight = 3508, kAreaW = 139, kAreaH = 245;

struct Scene {
    Scene() {
        AfxWinInit();
        page.m_nWidth = kWidth;
        page.m_nHeight = kHeight;
        page.m_nBitCount = 1;
        page.AllocBits(page.PlaneBytes());
        {
            CBlockLock plane(page.m_hBits);
            const std::size_t row = page.RowBytes();
            for (int y = 150; y + 30 < kHeight - 150; y += 50)
                for (int dy = 0; dy < 30; dy += 2)
                    for (std::size_t b = 20; b + 20 < row; ++b)
                        if ((b / 24) % 2 == 0) plane.get()[static_cast<std::size_t>(y + dy) * row + b] = 0x5A;
        }
        tree = std::make_unique<CPageRegion>(RECT{0, 0, kWidth - 1, kHeight - 1});
        for (int i = 0; i < 12; ++i)
            tree->AddChild(new CLayoutRegion(RECT{100, 150 + i * 280, 2380, 150 + i * 280 + 250}, 1));
        image = QImage(kAreaW, kAreaH, QImage::Format_RGB32);
        hdc = AfxCreateImageDC(&image, QPoint(0, 0), QRect(0, 0, kAreaW, kAreaH));
    }
    ~Scene() {
        DeleteDC(hdc);
        page.Empty();
    }
    void Paint(CBatchPreview& preview) {
        CBatchRecogRenderer::DrawPreview(*CDC::FromHandle(hdc), RECT{0, 0, kAreaW, kAreaH}, preview);
    }
    CPageImage page;
    std::unique_ptr<CPageRegion> tree;
    QImage image;
    HDC hdc = nullptr;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_FirstPaint(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        state.PauseTiming();
        auto preview = std::make_unique<CBatchPreview>();
        preview->SetPage(&scene.page, scene.tree.get());
        state.ResumeTiming();
        scene.Paint(*preview);
        benchmark::DoNotOptimize(preview->DrawnWidth());
        state.PauseTiming();
        preview.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond);

void BM_Repaint(benchmark::State& state) {
    Scene& scene = TheScene();
    CBatchPreview preview;
    preview.SetPage(&scene.page, scene.tree.get());
    scene.Paint(preview);
    for (auto _ : state) scene.Paint(preview);
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond);

void BM_TintUpdate(benchmark::State& state) {
    Scene& scene = TheScene();
    CBatchPreview preview;
    preview.SetPage(&scene.page, scene.tree.get());
    scene.Paint(preview);
    int done = 0;
    for (auto _ : state) {
        done = (done + 7) % 240;
        preview.SetProgress(done, 240);
        scene.Paint(preview);
    }
}
BENCHMARK(BM_TintUpdate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

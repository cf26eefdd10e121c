// The page image against Leptonica on one synthetic A4 page at 300 dpi
// (2480 x 3508): binarisation of grey and colour pages (also lit unevenly,
// against Leptonica's Sauvola threshold), the quarter turn of
// the 1-bit plane, the turn of a grey or colour bitmap by a small angle and
// the two deskew shears. Both sides work on the same pixels in the same run.
#include <benchmark/benchmark.h>
#include <leptonica/allheaders.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/dib_rotate.h"
#include "imaging/page_image.h"
#include "platform/win/memory.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr double kSmallAngle = 0.02;  // about 1.15 degrees, a typical scan skew

// A text-like page: lines of dark character blobs on slightly noisy paper,
// with one reddish stamp-coloured block, stored top-down as blue, green, red.
struct Page {
    std::vector<BYTE> bgr;
    Page() : bgr(static_cast<std::size_t>(kWidth) * kHeight * 3) {
        std::mt19937 rng(1);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                BYTE* p = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
                const int paper = 230 + static_cast<int>(rng() % 20);
                const bool line = (y % 60) < 36 && y > 200 && y < kHeight - 200 && x > 200 && x < kWidth - 200;
                const bool ink = line && ((x / 9) * 7 + (y / 12) * 3) % 5 < 3 && (x % 9) < 6 && (y % 12) < 9;
                const int v = ink ? 30 + static_cast<int>(rng() % 40) : paper;
                p[0] = p[1] = p[2] = static_cast<BYTE>(v);
            }
    }
};

const Page& page() {
    static const Page p;
    return p;
}

// Share of the light reaching pixel x of an unevenly lit page: falling off to
// 60 % at the right edge.
double unevenLight(int x) { return 1.0 - 0.4 * x / (kWidth - 1); }

HDIB makeDib(int bits, bool uneven = false) {
    const int bpp = bits / 8;
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(kWidth * bits));
    const std::size_t table = bits == 8 ? 1024 : 0;
    HDIB h = GlobalAlloc(GHND, 40 + table + static_cast<std::size_t>(stride) * kHeight);
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    BITMAPINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = kWidth;
    bih.biHeight = kHeight;
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(bits);
    bih.biXPelsPerMeter = bih.biYPelsPerMeter = 11811;
    std::memcpy(p, &bih, 40);
    for (int i = 0; bits == 8 && i < 256; ++i) std::memset(p + 40 + 4 * i, i, 3);
    BYTE* rows = p + 40 + table;
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = rows + static_cast<std::size_t>(kHeight - 1 - y) * stride;
        const BYTE* src = &page().bgr[static_cast<std::size_t>(y) * kWidth * 3];
        if (bpp == 3) {
            std::memcpy(row, src, static_cast<std::size_t>(kWidth) * 3);
        } else {
            for (int x = 0; x < kWidth; ++x) row[x] = src[3 * x];
        }
        if (uneven)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < bpp; ++c) row[x * bpp + c] = static_cast<BYTE>(row[x * bpp + c] * unevenLight(x));
    }
    GlobalUnlock(h);
    return h;
}

// The same page as a Leptonica image of 8 or 32 bits, or the page's 1-bit plane.
PIX* makePix(int depth, const CPageImage* mono = nullptr) {
    PIX* pix = pixCreate(kWidth, kHeight, depth);
    l_uint32* data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    if (depth == 1) {
        const BYTE* plane = static_cast<const BYTE*>(GlobalLock(mono->m_hBits));
        const int rowBytes = static_cast<int>(mono->RowBytes());
        for (int y = 0; y < kHeight; ++y) {
            l_uint32* line = data + y * wpl;
            for (int i = 0; i < wpl; ++i) {
                l_uint32 word = 0;
                for (int k = 0; k < 4; ++k) {
                    const int b = 4 * i + k;
                    word = word << 8 | (b < rowBytes ? plane[y * rowBytes + b] : 0u);
                }
                line[i] = word;
            }
        }
        GlobalUnlock(mono->m_hBits);
        return pix;
    }
    for (int y = 0; y < kHeight; ++y) {
        l_uint32* line = data + y * wpl;
        const BYTE* src = &page().bgr[static_cast<std::size_t>(y) * kWidth * 3];
        for (int x = 0; x < kWidth; ++x) {
            if (depth == 8)
                SET_DATA_BYTE(line, x, src[3 * x]);
            else
                composeRGBPixel(src[3 * x + 2], src[3 * x + 1], src[3 * x], line + x);
        }
    }
    return pix;
}

struct MonoPage {
    CPageImage image;
    MonoPage() {
        image.AttachDib(makeDib(8));
        GlobalUnlock(image.m_hDib);
        GlobalFree(image.m_hDib);
        image.m_hDib = nullptr;
        image.m_nBitCount = 1;
    }
    ~MonoPage() { image.Empty(); }
};

// --- Binarisation -----------------------------------------------------------

void GreyBinarise_Ours(benchmark::State& state) {
    CPageImage image;
    image.AttachDib(makeDib(8));
    for (auto _ : state) benchmark::DoNotOptimize(image.BinarizeGray());
    image.Empty();
}

void GreyBinarise_Leptonica(benchmark::State& state) {
    PIX* pix = makePix(8);
    for (auto _ : state) {
        PIX* out = nullptr;
        pixOtsuAdaptiveThreshold(pix, kWidth, kHeight, 0, 0, 0.0f, nullptr, &out);
        pixDestroy(&out);
    }
    pixDestroy(&pix);
}

void ColourBinarise_Ours(benchmark::State& state) {
    CPageImage image;
    image.AttachDib(makeDib(24));
    for (auto _ : state) benchmark::DoNotOptimize(image.BinarizeColor());
    image.Empty();
}

void ColourBinarise_Leptonica(benchmark::State& state) {
    PIX* pix = makePix(32);
    for (auto _ : state) {
        PIX* grey = pixConvertRGBToGray(pix, 0.0f, 0.0f, 0.0f);
        PIX* out = nullptr;
        pixOtsuAdaptiveThreshold(grey, kWidth, kHeight, 0, 0, 0.0f, nullptr, &out);
        pixDestroy(&out);
        pixDestroy(&grey);
    }
    pixDestroy(&pix);
}

void GreyBinarise_Ours_UnevenLight(benchmark::State& state) {
    CPageImage image;
    image.AttachDib(makeDib(8, true));
    for (auto _ : state) benchmark::DoNotOptimize(image.BinarizeGray());
    image.Empty();
}

void GreyBinarise_LeptonicaSauvola_UnevenLight(benchmark::State& state) {
    PIX* pix = makePix(8);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            l_uint32 v = 0;
            pixGetPixel(pix, x, y, &v);
            pixSetPixel(pix, x, y, static_cast<l_uint32>(v * unevenLight(x)));
        }
    for (auto _ : state) {
        PIX* out = nullptr;
        pixSauvolaBinarizeTiled(pix, 50, 0.34f, 2, 3, nullptr, &out);
        pixDestroy(&out);
    }
    pixDestroy(&pix);
}

void ColourBinarise_Ours_UnevenLight(benchmark::State& state) {
    CPageImage image;
    image.AttachDib(makeDib(24, true));
    for (auto _ : state) benchmark::DoNotOptimize(image.BinarizeColor());
    image.Empty();
}

// --- Quarter turn of the plane ------------------------------------------------

void PlaneRotate90_Ours(benchmark::State& state) {
    MonoPage mono;
    for (auto _ : state) benchmark::DoNotOptimize(mono.image.RotateRight());
}

void PlaneRotate90_Leptonica(benchmark::State& state) {
    MonoPage mono;
    PIX* pix = makePix(1, &mono.image);
    for (auto _ : state) {
        PIX* out = pixRotate90(pix, 1);
        pixDestroy(&out);
    }
    pixDestroy(&pix);
}

// --- Turn by a small angle (grey and colour bitmaps) ----------------------------

template <int Bits>
void SmallAngle_Ours(benchmark::State& state) {
    HDIB original = makeDib(Bits);
    const SIZE_T size = GlobalSize(original);
    HDIB work = GlobalAlloc(GMEM_MOVEABLE, size);
    for (auto _ : state) {
        state.PauseTiming();
        GlobalReAlloc(work, size, GMEM_MOVEABLE);
        std::memcpy(GlobalLock(work), GlobalLock(original), size);
        GlobalUnlock(work);
        GlobalUnlock(original);
        state.ResumeTiming();
        benchmark::DoNotOptimize(RotateDib(work, kSmallAngle));
    }
    GlobalFree(work);
    GlobalFree(original);
}

template <int Depth>
void SmallAngle_Leptonica(benchmark::State& state) {
    PIX* pix = makePix(Depth);
    for (auto _ : state) {
        PIX* out = pixRotate(pix, static_cast<l_float32>(kSmallAngle), L_ROTATE_SAMPLING, L_BRING_IN_WHITE, kWidth, kHeight);
        pixDestroy(&out);
    }
    pixDestroy(&pix);
}

// --- Deskew shears of the plane ---------------------------------------------------

void DeskewShears_Ours(benchmark::State& state) {
    MonoPage mono;
    HGLOBAL result = GlobalAlloc(GHND, mono.image.PlaneBytes());
    for (auto _ : state)
        benchmark::DoNotOptimize(mono.image.Deskew(1000, 20, 0, 0, kWidth, kHeight, result));
    GlobalFree(result);
}

void DeskewShears_Leptonica(benchmark::State& state) {
    MonoPage mono;
    PIX* pix = makePix(1, &mono.image);
    const float angle = static_cast<float>(std::atan(20.0 / 1000.0));
    for (auto _ : state) {
        PIX* out = pixRotate2Shear(pix, kWidth / 2, kHeight / 2, angle, L_BRING_IN_WHITE);
        pixDestroy(&out);
    }
    pixDestroy(&pix);
}

}  // namespace

BENCHMARK(GreyBinarise_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(GreyBinarise_Leptonica)->Unit(benchmark::kMillisecond);
BENCHMARK(ColourBinarise_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(ColourBinarise_Leptonica)->Unit(benchmark::kMillisecond);
BENCHMARK(GreyBinarise_Ours_UnevenLight)->Unit(benchmark::kMillisecond);
BENCHMARK(GreyBinarise_LeptonicaSauvola_UnevenLight)->Unit(benchmark::kMillisecond);
BENCHMARK(ColourBinarise_Ours_UnevenLight)->Unit(benchmark::kMillisecond);
BENCHMARK(PlaneRotate90_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(PlaneRotate90_Leptonica)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(SmallAngle_Ours, 8)->Unit(benchmark::kMillisecond)->Name("SmallAngleGrey_Ours");
BENCHMARK_TEMPLATE(SmallAngle_Leptonica, 8)->Unit(benchmark::kMillisecond)->Name("SmallAngleGrey_Leptonica");
BENCHMARK_TEMPLATE(SmallAngle_Ours, 24)->Unit(benchmark::kMillisecond)->Name("SmallAngleColour_Ours");
BENCHMARK_TEMPLATE(SmallAngle_Leptonica, 32)->Unit(benchmark::kMillisecond)->Name("SmallAngleColour_Leptonica");
BENCHMARK(DeskewShears_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(DeskewShears_Leptonica)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

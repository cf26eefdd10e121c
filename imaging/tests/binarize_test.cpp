#include <gtest/gtest.h>

#include <random>

#include "imaging/otsu_threshold.h"
#include "imaging/page_binarize.h"
#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

int countBlack(const CPageImage& page, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) n += PixelOf(page, x, y);
    return n;
}

TEST(BetweenClass, BimodalHistogramSplitsBetweenThePeaks) {
    std::mt19937 rng(7);
    std::normal_distribution<double> ink(50, 12), paper(200, 15);
    DWORD hist[256] = {};
    for (int i = 0; i < 20000; ++i) ++hist[std::clamp(static_cast<int>(paper(rng)), 0, 255)];
    for (int i = 0; i < 3000; ++i) ++hist[std::clamp(static_cast<int>(ink(rng)), 0, 255)];
    const int t = BetweenClassThreshold(hist, 0, 255);
    EXPECT_GT(t, 90);
    EXPECT_LT(t, 150);
    EXPECT_EQ(OtsuThreshold(hist, 23000), t);
    const int trimmed = CPageImage::HistogramThreshold(hist);
    EXPECT_GT(trimmed, 90);
    EXPECT_LT(trimmed, 150);
}

TEST(BetweenClass, TwoValuesAndOneValueGiveZero) {
    DWORD hist[256] = {};
    hist[0] = 10;
    hist[255] = 30;
    EXPECT_EQ(BetweenClassThreshold(hist, 0, 255), 0);
    DWORD flat[256] = {};
    flat[90] = 100;
    EXPECT_EQ(BetweenClassThreshold(flat, 0, 255), 0);
    DWORD none[256] = {};
    EXPECT_EQ(OtsuThreshold(none, 0), 0);
}

TEST(HistogramThreshold, TrimsHalfAPercentAtEachEnd) {
    // Outliers at 0 and 255 (below half a percent) must not pull the threshold.
    DWORD hist[256] = {};
    hist[100] = 5000;
    hist[160] = 5000;
    hist[0] = 10;
    hist[255] = 10;
    const int t = CPageImage::HistogramThreshold(hist);
    EXPECT_GE(t, 100);
    EXPECT_LT(t, 160);
    DWORD single[256] = {};
    single[42] = 1000;
    EXPECT_EQ(CPageImage::HistogramThreshold(single), 41) << "low stepped back one; low >= high gives low";
}

TEST(GreyBinarisation, ZeroAndWhiteGiveThresholdZero) {
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(GreyDib(20, 10, [](int x, int) { return x < 5 ? 0 : 255; }).Make()), 0);
    EXPECT_EQ(countBlack(page, 0, 0, 4, 9), 50);
    EXPECT_EQ(countBlack(page, 5, 0, 19, 9), 0);
    EXPECT_EQ(PlaneOf(page)[2] & 0x0F, 0) << "bits past the width stay 0";
}

TEST(GreyBinarisation, SingleValueRectangles) {
    ScopedPage white, black;
    white.AttachDib(GreyDib(16, 16, [](int, int) { return 255; }).Make());
    black.AttachDib(GreyDib(16, 16, [](int, int) { return 0; }).Make());
    EXPECT_EQ(countBlack(white, 0, 0, 15, 15), 0);
    EXPECT_EQ(countBlack(black, 0, 0, 15, 15), 256);
}

TEST(GreyBinarisation, BimodalPageWithNoise) {
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 10);
    auto dib = GreyDib(64, 64, [&](int x, int y) {
        const bool ink = (x / 4 + y / 4) % 5 == 0;
        return std::clamp(static_cast<int>((ink ? 40 : 210) + noise(rng)), 0, 255);
    });
    ScopedPage page;
    page.AttachDib(dib.Make());
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) wrong += PixelOf(page, x, y) != ((x / 4 + y / 4) % 5 == 0);
    EXPECT_EQ(wrong, 0);
}

TEST(GreyBinarisation, RectangleRewritesWholeBytesWithItsThreshold) {
    // Left half dark grey 100 with ink 20, right half light 230 with ink 150.
    auto dib = GreyDib(32, 8, [](int x, int y) {
        if (x < 16) return y == 0 ? 20 : 100;
        return y == 0 ? 150 : 230;
    });
    ScopedPage page;
    page.AttachDib(dib.Make());
    // The whole page threshold lies between 100 and 150 or so: row 1 of the left half is black.
    ASSERT_TRUE(PixelOf(page, 0, 1));
    // The left half's own threshold: only row 0 is ink. Rectangle 3..12 covers bytes 0 and 1.
    const int own = page.BinarizeGrayRect(3, 0, 12, 7);
    EXPECT_GE(own, 20);
    EXPECT_LT(own, 100) << "the rectangle's own automatic threshold";
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_FALSE(PixelOf(page, 0, 1)) << "pixel left of the rectangle, same byte, rewritten";
    EXPECT_FALSE(PixelOf(page, 15, 1));
    // Out-of-page rectangles are clipped rather than overrunning the plane.
    EXPECT_GE(page.BinarizeGrayRect(-50, -50, 500, 500), 0);
}

TEST(GreyBinarisation, AGivenThresholdIsUsedAsItStandsAndReturned) {
    // Levels 0..255 across: x + 32 * y for a 32 x 8 page.
    auto dib = GreyDib(32, 8, [](int x, int y) { return x + 32 * y; });
    ScopedPage page;
    page.AttachDib(dib.Make());
    EXPECT_EQ(page.BinarizeGray(100), 100);
    int black = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            black += PixelOf(page, x, y);
            EXPECT_EQ(PixelOf(page, x, y), x + 32 * y <= 100) << x << "," << y;
        }
    EXPECT_EQ(black, 101);
    // Only the rectangle changes; a threshold above 255 makes all of it black.
    EXPECT_EQ(page.BinarizeGrayRect(0, 7, 31, 7, 999), 255);
    EXPECT_TRUE(PixelOf(page, 31, 7));
    EXPECT_FALSE(PixelOf(page, 31, 6));
    EXPECT_EQ(page.BinarizeGrayRect(0, 0, 31, 7, 0), 0);
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_FALSE(PixelOf(page, 1, 0));
    // Negative is automatic, as is no threshold.
    const int automatic = page.BinarizeGray();
    EXPECT_EQ(page.BinarizeGray(-7), automatic);
    EXPECT_GT(automatic, 0);
    EXPECT_LT(automatic, 255);
    // A rectangle wholly off the page changes nothing.
    EXPECT_EQ(page.BinarizeGrayRect(40, 0, 50, 7), -1);
    EXPECT_EQ(page.BinarizeGrayRect(40, 0, 50, 7, 60), 60);
}

TEST(GreyBinarisation, EveryLevelUpToThePageThresholdIsInkAtEveryWidth) {
    // Widths around the sixteen pixels taken at once, levels spread over the
    // whole range so that many lie next to the threshold.
    for (int width : {1, 7, 15, 16, 17, 31, 33, 100, 257}) {
        std::mt19937 rng(static_cast<unsigned>(width));
        std::vector<int> levels(static_cast<std::size_t>(width) * 9);
        for (int& v : levels) v = static_cast<int>(rng() % 4 == 0 ? rng() % 120 : 100 + rng() % 156);
        auto level = [&](int x, int y) { return levels[static_cast<std::size_t>(y) * width + x]; };
        ScopedPage page;
        ASSERT_EQ(page.AttachDib(GreyDib(width, 9, level).Make()), 0);
        DWORD hist[256] = {};
        for (int v : levels) ++hist[v];
        const int threshold = BetweenClassThreshold(hist, 0, 255);
        int wrong = 0;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x) wrong += PixelOf(page, x, y) != (level(x, y) <= threshold);
        EXPECT_EQ(wrong, 0) << width;
        const std::vector<BYTE> plane = PlaneOf(page);
        const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
        if (width % 8) {
            for (int y = 0; y < 9; ++y) {
                EXPECT_EQ(plane[y * rowBytes + rowBytes - 1] & (0xFF >> (width % 8)), 0) << "past the width, " << width;
            }
        }
    }
}

TEST(GreyBinarisation, NotAGreyPage) {
    ScopedPage page;
    MakeMonoPage(page, 16, 16, [](int, int) { return false; });
    EXPECT_EQ(page.BinarizeGrayRect(0, 0, 15, 15), -1);
    EXPECT_EQ(page.BinarizeGrayRect(0, 0, 15, 15, 128), -1);
    EXPECT_EQ(page.Binarize(), 1);
}

// A scan lit from the left at 300 dpi: the paper falls from 235 to less than
// half of that at the right edge. Strokes, thin and blurred, give back 45 % of
// the light the paper under them would, so that the light side's strokes are
// as bright as the dark side's paper; a picture block gives back a quarter;
// everything carries some noise.
struct UnevenScan {
    static constexpr int kWidth = 600, kHeight = 400;
    // Ink's threshold sits at the top of its levels, chosen from a sample of
    // the page's pixels: a few of the noisiest ink pixels may go.
    static constexpr int kFewInk = kWidth * kHeight / 1000;
    static double light(int x) { return 1.0 - 0.58 * x / (kWidth - 1); }
    static bool stroke(int x, int y) { return (x % 23) < 3 && (y % 31) < 20 && !picture(x, y); }
    static bool picture(int x, int y) { return x >= 60 && x < 220 && y >= 200 && y < 330; }
    static int noise(int x, int y) { return (x * 7 + y * 13) % 11 - 5; }
    // Share of the paper under pixel (x, y) that reaches the sensor.
    static double reflect(int x, int y) { return stroke(x, y) ? 0.45 : picture(x, y) ? 0.25 : 1.0; }
    static int grey(int x, int y) { return static_cast<int>(235 * light(x) * reflect(x, y)) + noise(x, y); }
    static TestDib Grey() {
        TestDib d = GreyDib(kWidth, kHeight, grey);
        d.xPelsPerMeter = 11811;  // 300 dpi
        return d;
    }
    // The same on yellowish paper.
    static TestDib Colour() {
        TestDib d = ColourDib(kWidth, kHeight, [](int x, int y) {
            const double v = light(x) * reflect(x, y);
            return Bgr{static_cast<BYTE>(215 * v + noise(x, y)), static_cast<BYTE>(240 * v + noise(x, y)),
                       static_cast<BYTE>(250 * v + noise(x, y))};
        });
        d.xPelsPerMeter = 11811;
        return d;
    }
    // Paper turned black and strokes lost inside the rectangle.
    static std::pair<int, int> Errors(const CPageImage& page, int left, int top, int right, int bottom) {
        int paper = 0, strokes = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) {
                const bool black = PixelOf(page, x, y);
                if (stroke(x, y) || picture(x, y))
                    strokes += !black;
                else
                    paper += black;
            }
        return {paper, strokes};
    }
};

// With one threshold for the whole page the dark side's paper turns black or
// the light side's strokes are lost; the automatic threshold follows the
// paper, keeps the picture dark, and is the one that holds at the brightest
// paper. The rectangles the recogniser binarises region by region do the same.
TEST(GreyBinarisation, UnevenLightIsFollowedAcrossThePage) {
    using S = UnevenScan;
    DWORD hist[256] = {};
    for (int y = 0; y < S::kHeight; ++y)
        for (int x = 0; x < S::kWidth; ++x) ++hist[std::clamp(S::grey(x, y), 0, 255)];
    const int single = BetweenClassThreshold(hist, 0, 255);
    int singleErrors = 0;
    for (int y = 0; y < S::kHeight; ++y)
        for (int x = 0; x < S::kWidth; ++x)
            singleErrors += (S::grey(x, y) <= single) != (S::stroke(x, y) || S::picture(x, y));
    ASSERT_GT(singleErrors, S::kWidth * S::kHeight / 50) << "the page defeats one threshold";

    ScopedPage page;
    ASSERT_EQ(page.AttachDib(S::Grey().Make()), 0);
    const auto [paper, strokes] = S::Errors(page, 0, 0, S::kWidth - 1, S::kHeight - 1);
    EXPECT_EQ(paper, 0);
    EXPECT_LT(strokes, S::kFewInk);
    const int t = page.BinarizeGray();
    EXPECT_GT(t, 235 / 4 + 5) << "the picture at the brightest paper is ink";
    EXPECT_LT(t, 235 - 5);

    page.AllocBits(page.PlaneBytes());
    EXPECT_GE(page.BinarizeGrayRect(300, 40, 599, 399), 0);
    // Whole bytes are written: pixels 296 to 299 take the rectangle's limits.
    const auto [rectPaper, rectStrokes] = S::Errors(page, 296, 40, 599, 399);
    EXPECT_EQ(rectPaper, 0);
    EXPECT_LT(rectStrokes, S::kFewInk);
    EXPECT_EQ(countBlack(page, 0, 0, 295, 399) + countBlack(page, 0, 0, 599, 39), 0);
}

TEST(ColourBinarisation, UnevenLightOnColouredPaperIsFollowed) {
    using S = UnevenScan;
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(S::Colour().Make()), 0);
    auto [paper, strokes] = S::Errors(page, 0, 0, S::kWidth - 1, S::kHeight - 1);
    EXPECT_EQ(paper, 0);
    EXPECT_LT(strokes, S::kFewInk);
    page.AllocBits(page.PlaneBytes());
    page.BinarizeColorRect(100, 20, 580, 390);
    std::tie(paper, strokes) = S::Errors(page, 100, 20, 580, 390);
    EXPECT_EQ(paper, 0);
    EXPECT_LT(strokes, S::kFewInk);
    EXPECT_EQ(countBlack(page, 0, 0, 99, S::kHeight - 1), 0) << "outside the rectangle nothing is written";
}

// Ink and paper each spread over a few levels, as scanned pages are.
BYTE spread(int base, int x, int y) { return static_cast<BYTE>(base + (x * 13 + y * 7) % 9); }

Bgr darkTextOnWhite(int x, int y) {
    if ((x % 10) < 2 && (y % 10) < 5) return Bgr{spread(30, x, y), spread(40, x, y), spread(35, x, y)};
    return Bgr{spread(235, x, y), spread(240, x, y), spread(230, x, y)};
}

TEST(ColourBinarisation, DarkTextOnWhite) {
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(ColourDib(50, 50, darkTextOnWhite).Make()), 0);
    // The threshold is the top level of the ink, and a pixel is ink below it:
    // only ink pixels at that very level may be lost.
    int wrongPaper = 0, inkFound = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            const bool ink = (x % 10) < 2 && (y % 10) < 5;
            wrongPaper += !ink && PixelOf(page, x, y);
            inkFound += ink && PixelOf(page, x, y);
        }
    EXPECT_EQ(wrongPaper, 0);
    EXPECT_GT(inkFound, 250 * 8 / 10);
    EXPECT_TRUE(page.BinarizeColor()) << "ink share 0.1 lies in the band";
}

TEST(ColourBinarisation, EachChannelIsCountedApartAtEveryWidth) {
    // Blue carries the page (every eighth pixel ink); green and red are
    // paper-white throughout and never in the band, so any byte counted in the
    // wrong channel moves blue's threshold. Widths around the two pixels taken
    // at once and a row's tail.
    for (int width : {1, 2, 3, 4, 5, 8, 17, 101}) {
        const int height = 120;
        std::mt19937 rng(static_cast<unsigned>(width));
        std::vector<int> blue(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < blue.size(); ++i)
            blue[i] = static_cast<int>(i % 8 == 0 ? rng() % 100 : 130 + rng() % 126);
        auto level = [&](int x, int y) { return blue[static_cast<std::size_t>(y) * width + x]; };
        ScopedPage page;
        ASSERT_EQ(page.AttachDib(ColourDib(width, height, [&](int x, int y) {
                                     return Bgr{static_cast<BYTE>(level(x, y)), 255, 255};
                                 }).Make()),
                  0);
        DWORD hist[256] = {};
        for (int v : blue) ++hist[v];
        const int threshold = CPageImage::HistogramThreshold(hist);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) wrong += PixelOf(page, x, y) != (level(x, y) < threshold);
        EXPECT_EQ(wrong, 0) << width;
        EXPECT_TRUE(page.BinarizeColor()) << width;
    }
}

TEST(ColourBinarisation, LightTextOnDarkIsInked) {
    ScopedPage page;
    page.AttachDib(ColourDib(40, 40, [](int x, int y) {
                       if ((x % 10) < 2 && (y % 10) < 5) return Bgr{spread(230, x, y), spread(230, x, y), spread(230, x, y)};
                       return Bgr{spread(20, x, y), spread(30, x, y), spread(25, x, y)};
                   }).Make());
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_FALSE(PixelOf(page, 5, 5));
}

TEST(ColourBinarisation, ChannelThresholdOf255BecomesMiddle) {
    // Every channel almost constant at 255 with 254 in a few pixels: trimmed
    // thresholds come out as 255 and are taken as 128; nothing is below 128.
    ScopedPage page;
    page.AttachDib(ColourDib(20, 20, [](int x, int) { return x == 0 ? Bgr{254, 254, 254} : Bgr{255, 255, 255}; }).Make());
    EXPECT_EQ(countBlack(page, 0, 0, 19, 19), 0);
}

TEST(ColourBinarisation, RectangleMustBeMoreThanTenPixels) {
    ScopedPage page;
    page.AttachDib(ColourDib(40, 40, [](int, int) { return Bgr{255, 255, 255}; }).Make());
    // Paint ink into the bitmap afterwards, so only rectangle binarisation can find it.
    {
        BYTE* p = static_cast<BYTE*>(GlobalLock(page.m_hDib));
        BYTE* rows = p + 40;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                if ((x + y) % 7 == 0) std::memset(rows + (39 - y) * 120 + x * 3, 0, 3);
        GlobalUnlock(page.m_hDib);
    }
    page.BinarizeColorRect(0, 0, 9, 20);  // 10 wide: nothing
    EXPECT_EQ(countBlack(page, 0, 0, 39, 39), 0);
    page.BinarizeColorRect(0, 0, 10, 20);  // 11 wide
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_FALSE(PixelOf(page, 11, 3)) << "bits right of the rectangle keep their values";
}

// Ink at 15 on paper at 240 (mean above 200). Undarkened the threshold is 15
// and nothing lies below it; darkened the ink is 0, the threshold 0 is taken
// as 128 and the ink is found.
TEST(ColourBinarisation, PdfPagesAreDarkenedBeforeThresholding) {
    auto make = [] {
        return ColourDib(30, 30, [](int x, int) { return x < 3 ? Bgr{15, 15, 15} : Bgr{240, 240, 240}; });
    };
    CFakeImageHost shell;
    for (auto [path, expected] : {std::pair{"C:\\scan\\page.PDF", 90}, {"C:\\scan\\page.tif", 0}, {"", 0}}) {
        shell.documentPath = path;
        ScopedPage page;
        page.AttachDib(make().Make());
        page.AllocBits(page.PlaneBytes());
        page.BinarizeColorRect(0, 0, 29, 29);
        EXPECT_EQ(countBlack(page, 0, 0, 29, 29), expected) << path;
    }
}

// Sets the banding for one scope and puts back what was there.
struct ScopedBanding {
    BinarizeBanding saved = CurrentBinarizeBanding();
    ScopedBanding(int maxBands, std::size_t minPixels) { SetBinarizeBanding({maxBands, minPixels}); }
    ~ScopedBanding() { SetBinarizeBanding(saved); }
};

// The plane and the return value of one binarisation with a given banding.
template <class Binarize>
std::pair<std::vector<BYTE>, int> binarisedWith(const TestDib& dib, int maxBands, Binarize binarize) {
    ScopedBanding banding(maxBands, 0);
    ScopedPage page;
    page.AttachDib(dib.Make());
    page.AllocBits(page.PlaneBytes());
    const int result = binarize(page);
    return {PlaneOf(page), result};
}

// Pages cut into bands (heights that do not divide by the band count, fewer
// rows than bands, widths off the sixteen-pixel step) come out bit for bit as
// on one band: the band histograms sum to the page's before the threshold.
TEST(BandedBinarisation, SameBitsAsOneBand) {
    struct Size {
        int width, height;
    };
    for (Size size : {Size{1, 1}, Size{3, 2}, Size{17, 5}, Size{33, 7}, Size{101, 13}, Size{250, 97}}) {
        std::mt19937 rng(static_cast<unsigned>(size.width * 1000 + size.height));
        // Ink on the left rows only, so that bands differ in what they hold.
        auto grey = GreyDib(size.width, size.height, [&](int x, int y) {
            return static_cast<int>((x + y) % 5 == 0 && y < size.height / 2 + 1 ? rng() % 90 : 120 + rng() % 136);
        });
        auto colour = ColourDib(size.width, size.height, [&](int x, int y) {
            const bool ink = (x * 3 + y) % 7 == 0;
            return Bgr{static_cast<BYTE>(ink ? rng() % 60 : 180 + rng() % 76), static_cast<BYTE>(rng() % 256),
                       static_cast<BYTE>(ink ? 200 + rng() % 56 : rng() % 120)};
        });
        const auto wholeGrey = [](CPageImage& p) { return p.BinarizeGray(); };
        const auto rectGrey = [&](CPageImage& p) {
            return p.BinarizeGrayRect(size.width / 3, 1, size.width - 1, size.height - 1);
        };
        const auto givenGrey = [](CPageImage& p) { return p.BinarizeGray(140); };
        const auto wholeColour = [](CPageImage& p) { return static_cast<int>(p.BinarizeColor()); };
        const auto one = binarisedWith(grey, 1, wholeGrey), oneRect = binarisedWith(grey, 1, rectGrey),
                   oneGiven = binarisedWith(grey, 1, givenGrey), oneColour = binarisedWith(colour, 1, wholeColour);
        for (int bands : {2, 3, 4, 7}) {
            const std::string where = std::to_string(size.width) + "x" + std::to_string(size.height) + " in " +
                                      std::to_string(bands) + " bands";
            EXPECT_EQ(binarisedWith(grey, bands, wholeGrey), one) << "grey " << where;
            EXPECT_EQ(binarisedWith(grey, bands, rectGrey), oneRect) << "grey rectangle " << where;
            EXPECT_EQ(binarisedWith(grey, bands, givenGrey), oneGiven) << "given threshold " << where;
            EXPECT_EQ(binarisedWith(colour, bands, wholeColour), oneColour) << "colour " << where;
        }
    }
}

// An unevenly lit page takes its limits pixel by pixel, in any banding alike.
TEST(BandedBinarisation, UnevenLightSameBitsAsOneBand) {
    const TestDib grey = UnevenScan::Grey(), colour = UnevenScan::Colour();
    const auto wholeGrey = [](CPageImage& p) { return p.BinarizeGray(); };
    const auto rectGrey = [](CPageImage& p) { return p.BinarizeGrayRect(37, 11, 590, 398); };
    const auto wholeColour = [](CPageImage& p) { return static_cast<int>(p.BinarizeColor()); };
    const auto one = binarisedWith(grey, 1, wholeGrey), oneRect = binarisedWith(grey, 1, rectGrey),
               oneColour = binarisedWith(colour, 1, wholeColour);
    for (int bands : {2, 3, 7}) {
        EXPECT_EQ(binarisedWith(grey, bands, wholeGrey), one) << bands;
        EXPECT_EQ(binarisedWith(grey, bands, rectGrey), oneRect) << bands;
        EXPECT_EQ(binarisedWith(colour, bands, wholeColour), oneColour) << bands;
    }
}

TEST(BandedBinarisation, SmallPagesAndOneBandSettings) {
    // Settings below one band are taken as one; the default keeps small pages whole.
    ScopedBanding banding(0, 0);
    EXPECT_EQ(CurrentBinarizeBanding().maxBands, 1);
    SetBinarizeBanding({});
    EXPECT_GT(CurrentBinarizeBanding().maxBands, 1);
    EXPECT_GE(CurrentBinarizeBanding().minPixels, 100000u);
}

}  // namespace

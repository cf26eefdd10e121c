// The brightness dialog's logic: previews while the thumb moves, the final
// value only on deactivation or close, the ".ATR" side file (4 bytes, little
// endian), and the owner's pointer cleared on every way out. Also the
// zoom and progress-strip arithmetic with views and totals of no size.
#include "textory/brightness/brightness_slider.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "imaging/tests/dib_builder.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/brightness/page_brightness.h"
#include "textory/view/fit_zoom.h"

namespace {

namespace fs = std::filesystem;
using textory::CBrightnessSlider;

struct Recorder {
    std::vector<std::pair<bool, int>> sent;  // (final, value)
    int zoomRestores = 0;
    int windowCloses = 0;
    std::string path;
    CBrightnessSlider::Host host() {
        return {[this](bool final, int value) { sent.emplace_back(final, value); },
                [this] { ++zoomRestores; }, [this] { return path; }, [this] { ++windowCloses; }};
    }
};

std::string bytesOf(const std::string& native) {
    std::ifstream in(native, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TextoryBrightness, DraggingPreviewsAndOnlyLeavingAppliesAndWritesTheSideFile) {
    suite_test::ScratchFolder scratch;
    Recorder r;
    r.path = suite::WindowsPath(scratch / "A.jpg");
    CBrightnessSlider* open = nullptr;
    auto slider = std::make_unique<CBrightnessSlider>(120, r.host(), &open);
    EXPECT_EQ(open, slider.get());
    slider->OnScroll(textory::kThumbTrack, 300);
    slider->OnScroll(textory::kLineLeft, 0);
    slider->OnScroll(textory::kPageLeft, 0);
    slider->OnScroll(textory::kThumbTrack, -4);
    slider->OnScroll(textory::kLineLeft, 0);
    slider->OnScroll(textory::kThumbPosition, 128);
    slider->OnScroll(99, 7);  // not a move
    const std::vector<std::pair<bool, int>> previews = {{false, 255}, {false, 254}, {false, 244},
                                                        {false, 0},   {false, 0},   {false, 128}};
    EXPECT_EQ(r.sent, previews);
    EXPECT_FALSE(fs::exists(scratch / "A.jpg.ATR")) << "nothing written while dragging";
    slider->OnDeactivate();
    EXPECT_EQ(r.sent.back(), std::make_pair(true, 128));
    slider->Close();
    EXPECT_EQ(r.zoomRestores, 1);
    EXPECT_EQ(r.sent.back(), std::make_pair(true, 128));
    EXPECT_EQ(open, nullptr);
    EXPECT_EQ(bytesOf(scratch / "A.jpg.ATR"), std::string("\x80\0\0\0", 4));
    const std::size_t sent = r.sent.size();
    slider->OnScroll(textory::kLineRight, 0);
    slider->Close();
    EXPECT_EQ(r.sent.size(), sent) << "a closed dialog sends nothing";
    EXPECT_EQ(r.windowCloses, 1);
}

TEST(TextoryBrightness, EveryWayOutClearsTheOwnersPointer) {
    Recorder r;
    CBrightnessSlider* open = nullptr;
    {
        CBrightnessSlider slider(-20, r.host(), &open);
        EXPECT_EQ(slider.Value(), 0);
        slider.CloseForZoomOut();
        EXPECT_EQ(open, nullptr);
        EXPECT_EQ(r.zoomRestores, 0) << "zoom-out keeps its own zoom";
        EXPECT_EQ(r.sent.back(), std::make_pair(true, 0));
    }
    {
        CBrightnessSlider slider(300, r.host(), &open);
        EXPECT_EQ(slider.Value(), 255);
        EXPECT_NE(open, nullptr);
    }
    EXPECT_EQ(open, nullptr) << "destroyed without closing";
    EXPECT_EQ(r.windowCloses, 1) << "zoom-out closes the window; its own destruction does not ask again";
    {
        // The owner goes first: the window closes, nothing reaches the page.
        CBrightnessSlider slider(40, r.host(), &open);
        const std::size_t sent = r.sent.size();
        slider.Dismiss();
        EXPECT_EQ(open, nullptr);
        EXPECT_EQ(r.sent.size(), sent);
        EXPECT_EQ(r.windowCloses, 2);
        slider.Close();
        EXPECT_EQ(r.windowCloses, 2) << "once";
    }
    // A value that cannot be written (no page path) is skipped quietly.
    CBrightnessSlider slider(5, r.host(), &open);
    slider.Close();
    EXPECT_EQ(open, nullptr);
    EXPECT_TRUE(textory::SaveBrightness(suite::WindowsPath("/nonexistent-folder/x.ATR"), 1) == false);
}

// A grey page 64 x 16 whose level rises to the right: x * 4.
int blackIn(const CPageImage& page, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) n += PixelOf(page, x, y);
    return n;
}

TEST(TextoryPageBrightness, PreviewsRebuildOnlyTheVisiblePartAndTheFinalValueAllOfIt) {
    auto dib = GreyDib(64, 16, [](int x, int) { return x * 4; });
    ScopedPage page;
    page.AttachDib(dib.Make());
    textory::PageBrightness state;
    ASSERT_TRUE(textory::TakesBrightness(&page));
    const int automatic = textory::StartingBrightness(state, page);
    EXPECT_GT(automatic, 0) << "unset: the page's own automatic threshold";
    EXPECT_LT(automatic, 255);
    ASSERT_EQ(page.BinarizeGray(automatic), automatic);
    const int rightBefore = blackIn(page, 32, 0, 63, 15), lowerLeftBefore = blackIn(page, 0, 8, 31, 15);

    // A preview of the upper left quarter only, at 0: just the first column there is ink.
    const RECT visible{0, 0, 31, 7};
    ASSERT_TRUE(textory::ApplyBrightness(state, page, false, 0, visible));
    EXPECT_EQ(state.value, 0);
    EXPECT_EQ(state.lastThreshold, 0);
    EXPECT_EQ(blackIn(page, 0, 0, 31, 7), 8);
    EXPECT_EQ(blackIn(page, 32, 0, 63, 15), rightBefore) << "outside the visible part nothing changed";
    EXPECT_EQ(blackIn(page, 0, 8, 31, 15), lowerLeftBefore);
    EXPECT_GT(lowerLeftBefore, 8);
    EXPECT_EQ(textory::StartingBrightness(state, page), 0) << "the page's value is where the dialog starts";

    // The final value: the whole page at 100 (levels 0..100 are x 0..25).
    ASSERT_TRUE(textory::ApplyBrightness(state, page, true, 100, visible));
    EXPECT_EQ(state.value, 100);
    EXPECT_EQ(state.lastThreshold, 100);
    EXPECT_EQ(blackIn(page, 0, 0, 63, 15), 26 * 16);
    EXPECT_EQ(blackIn(page, 0, 8, 25, 15), 26 * 8) << "off-view rows too";

    // Values out of range are clamped; a new page forgets them.
    ASSERT_TRUE(textory::ApplyBrightness(state, page, true, 999, visible));
    EXPECT_EQ(state.value, 255);
    state.Reset();
    EXPECT_EQ(state.value, -1);
    EXPECT_EQ(state.lastThreshold, -1);
    state.lastThreshold = 77;
    EXPECT_EQ(textory::StartingBrightness(state, page), 77) << "no value: the last threshold";
}

TEST(TextoryPageBrightness, PagesThatAreNotGreyAreLeftAlone) {
    textory::PageBrightness state;
    EXPECT_FALSE(textory::TakesBrightness(nullptr));
    ScopedPage empty;
    EXPECT_FALSE(textory::TakesBrightness(&empty));
    EXPECT_EQ(textory::StartingBrightness(state, empty), -1);
    auto colour = ColourDib(8, 8, [](int, int) { return Bgr{10, 20, 30}; });
    ScopedPage page;
    page.AttachDib(colour.Make());
    EXPECT_FALSE(textory::ApplyBrightness(state, page, true, 120, RECT{0, 0, 7, 7}));
    EXPECT_EQ(state.value, -1) << "a colour page keeps no brightness";
}

TEST(TextoryFitZoom, WholePageDuringRecognitionAndViewsOfNoSize) {
    EXPECT_EQ(textory::FitZoomFor(800, 500, 1000, 600), 256);
    EXPECT_EQ(textory::FitZoomFor(800, 1800, 1000, 600), 64) << "three times the view's height";
    EXPECT_EQ(textory::FitZoomFor(2480, 3508, 1000, 600), 32);
    EXPECT_EQ(textory::FitZoomFor(2480, 3508, 100, 60), 8);
    EXPECT_EQ(textory::FitZoomFor(2500, 100, 1000, 600), 64) << "the width rounded up";
    EXPECT_EQ(textory::FitZoomFor(800, 500, 1000, 0), -1);
    EXPECT_EQ(textory::FitZoomFor(800, 500, 0, 600), -1);

    EXPECT_EQ(textory::ProgressStripFill(5, 10, 200).filled, 100);
    EXPECT_EQ(textory::ProgressStripFill(5, 10, 200).percent, 50);
    EXPECT_EQ(textory::ProgressStripFill(5, 0, 200).filled, 0);
    EXPECT_EQ(textory::ProgressStripFill(5, -3, 200).percent, 0);
    EXPECT_EQ(textory::ProgressStripFill(15, 10, 200).percent, 100);
    EXPECT_EQ(textory::ProgressStripFill(-2, 10, 200).filled, 0);
}

}  // namespace

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

#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/view/fit_zoom.h"

namespace {

namespace fs = std::filesystem;
using textory::CBrightnessSlider;

struct Recorder {
    std::vector<std::pair<bool, int>> sent;  // (final, value)
    int zoomRestores = 0;
    std::string path;
    CBrightnessSlider::Host host() {
        return {[this](bool final, int value) { sent.emplace_back(final, value); },
                [this] { ++zoomRestores; }, [this] { return path; }};
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
    // A value that cannot be written (no page path) is skipped quietly.
    CBrightnessSlider slider(5, r.host(), &open);
    slider.Close();
    EXPECT_EQ(open, nullptr);
    EXPECT_TRUE(textory::SaveBrightness(suite::WindowsPath("/nonexistent-folder/x.ATR"), 1) == false);
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

// The page view as a window: synthetic mouse and keys, private messages,
// the strip, and grabs of the view at every zoom.
#include "views/page_view/ocr_view.h"
#include "views/page_view/tests/page_view_fixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/tests/dib_builder.h"
#include "ocrdoc/regions/table_region.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/page_view/page_view_ids.h"
#include "views/tests/fake_view_host.h"

namespace {

bool PumpFor(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A frame holding the page view of a document; the language library gives
// the view its resources.
class PageViewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsurePageViewUi();
        module = LoadLibraryA("\\Ruvuradavad.DLL");
        ASSERT_NE(module, nullptr);
        AfxSetResourceHandle(module);
        shell.textViewShown = false;
        shell.currentRow = 0;
        shell.rowCount = 1;
        doc.m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "PageViewTests", WS_OVERLAPPEDWINDOW, CRect(0, 0, 700, 560)));
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        context.m_pNewViewClass = RUNTIME_CLASS(COcrView);
        view = static_cast<COcrView*>(frame->CreateView(&context));
        ASSERT_NE(view, nullptr);
        frame->ShowWindow(SW_SHOW);
        view->MoveWindow(0, 0, 640, 480);
        AfxPumpMessages();
    }
    void TearDown() override {
        if (frame) frame->DestroyWindow();
        AfxPumpMessages();
        AfxSetResourceHandle(nullptr);
        if (module) FreeLibrary(module);
    }
    // Gives the document a w x h page and an empty region tree.
    void OpenPage(int w, int h) {
        auto page = MakeMonoPage(w, h);
        doc.m_pImage = page.release();
        doc.m_pPageRegion = new CPageRegion(RECT{0, 0, w - 1, h - 1});
        view->ResetView();
        view->SetZoom(256);
        AfxPumpMessages();
    }
    void Drag(POINT from, POINT to) {
        AfxTestMouse(view, WM_LBUTTONDOWN, from);
        AfxTestMouse(view, WM_MOUSEMOVE, to, MK_LBUTTON);
        AfxTestMouse(view, WM_LBUTTONUP, to);
        AfxPumpMessages();
    }
    CFakeViewHost shell;
    HMODULE module = nullptr;
    COcrDoc doc;
    CFrameWnd* frame = nullptr;
    COcrView* view = nullptr;
};

TEST_F(PageViewWindow, LayoutLeavesRoomForBarsAndStrip) {
    const RECT& area = view->ImageArea();
    EXPECT_EQ(area.right, 640 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(area.bottom, 480 - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(view->Strip().IsWindowVisible());
    CRect bar;
    view->VerticalBar().GetWindowRect(&bar);
    view->ScreenToClient(&bar);
    EXPECT_EQ(bar.top, 16) << "the strip sits above the vertical bar";
}

TEST_F(PageViewWindow, ScrollRangesComeFromTheImageArea) {
    OpenPage(2000, 1500);
    const RECT& area = view->ImageArea();
    int low = 0, high = 0;
    view->HorizontalBar().GetScrollRange(&low, &high);
    EXPECT_EQ(high, 2000 - (area.right - area.left));
    view->VerticalBar().GetScrollRange(&low, &high);
    EXPECT_EQ(high, 1500 - (area.bottom - area.top));
    view->MoveWindow(0, 0, 500, 400);
    AfxPumpMessages();
    view->VerticalBar().GetScrollRange(&low, &high);
    EXPECT_EQ(high, 1500 - (view->ImageArea().bottom - view->ImageArea().top));
}

TEST_F(PageViewWindow, DrawingAndEditingRegionsByMouse) {
    OpenPage(1000, 1000);
    Drag(POINT{50, 50}, POINT{150, 120});
    ASSERT_EQ(doc.m_pPageRegion->GetChildCount(), 1);
    CLayoutRegion* region = doc.m_pPageRegion->GetChild(0);
    EXPECT_EQ(region->Rect().right, 150);
    EXPECT_EQ(doc.m_bLayoutDirty, 1);
    // The right edge only.
    Drag(POINT{150, 80}, POINT{200, 140});
    EXPECT_EQ(region->Rect().right, 200);
    EXPECT_EQ(region->Rect().bottom, 120);
    // A rectangle round it resizes it.
    Drag(POINT{40, 40}, POINT{220, 160});
    ASSERT_EQ(doc.m_pPageRegion->GetChildCount(), 1);
    EXPECT_EQ(doc.m_pPageRegion->GetChild(0)->Rect().left, 40);
    // Reorder by arrow.
    Drag(POINT{300, 50}, POINT{400, 120});
    ASSERT_EQ(doc.m_pPageRegion->GetChildCount(), 2);
    CLayoutRegion* second = doc.m_pPageRegion->GetChild(1);
    Drag(POINT{100, 100}, POINT{350, 80});
    EXPECT_EQ(doc.m_pPageRegion->GetChild(0), second);
}

// On a recognised page a click, however shaky, neither asks to drop the text
// nor touches a region; a real drag asks once and then changes the layout.
TEST_F(PageViewWindow, ClicksAndJittersOnARecognisedPageAskNothing) {
    OpenPage(1000, 1000);
    PaintInk(*doc.m_pImage, RECT{60, 60, 300, 90});
    CLayoutRegion* title = doc.m_pPageRegion->AddRegion(RECT{50, 50, 310, 100}, kRegionHorizontal);
    ASSERT_NE(title, nullptr);
    ASSERT_NE(doc.m_pPageRegion->AddRegion(RECT{50, 200, 310, 400}, kRegionHorizontal), nullptr);
    doc.m_bHasResult = 1;
    shell.messageAnswer = IDYES;
    const auto regionsAsBefore = [&] {
        return doc.m_pPageRegion->GetChildCount() == 2 && doc.m_pPageRegion->GetChild(0) == title &&
               RectsEqual(title->Rect(), RECT{50, 50, 310, 100});
    };
    struct Case {
        POINT from, to;
        const char* what;
    };
    for (const Case& c : {Case{{10, 10}, {10, 10}, "a click in the margin"},
                          Case{{10, 10}, {13, 13}, "a 3-pixel jitter in the margin"},
                          Case{{400, 70}, {403, 73}, "a jitter in a blank area beside the title"},
                          Case{{310, 70}, {312, 71}, "a jitter on the title's right edge"},
                          Case{{50, 50}, {52, 53}, "a jitter on the title's corner"},
                          Case{{0, 500}, {2, 502}, "a jitter on the page's edge"},
                          Case{{600, 600}, {606, 605}, "a drag too small for a region"}}) {
        Drag(c.from, c.to);
        EXPECT_TRUE(shell.messages.empty()) << c.what;
        EXPECT_TRUE(regionsAsBefore()) << c.what;
        EXPECT_EQ(doc.m_bHasResult, 1) << c.what;
        shell.messages.clear();
    }
    Drag(POINT{600, 600}, POINT{700, 680});
    EXPECT_EQ(shell.messages.size(), 1u) << "a real drag asks";
    EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 3);
}

TEST_F(PageViewWindow, ScissorsAndPenChangeThePage) {
    OpenPage(1000, 1000);
    PaintInk(*doc.m_pImage, RECT{100, 100, 200, 200});
    view->SendMessage(WM_COMMAND, ID_MOUSE_SCISSORS);
    Drag(POINT{120, 120}, POINT{180, 180});
    EXPECT_FALSE(InkAt(*doc.m_pImage, 150, 150));
    EXPECT_TRUE(doc.IsModified());
    view->SendMessage(WM_COMMAND, ID_MOUSE_PEN);
    Drag(POINT{300, 300}, POINT{400, 300});
    EXPECT_TRUE(InkAt(*doc.m_pImage, 350, 300));
    view->SendMessage(WM_COMMAND, ID_MOUSE_SWITCH);
    EXPECT_EQ(view->Controller().MouseTool(), kToolScissors);
    // A shell in one of its modes keeps the tool.
    shell.pointerSwitchAllowed = false;
    view->SendMessage(WM_COMMAND, ID_MOUSE_SWITCH);
    EXPECT_EQ(view->Controller().MouseTool(), kToolScissors);
    shell.pointerSwitchAllowed = true;
    view->SendMessage(WM_COMMAND, ID_MOUSE_SWITCH);
    EXPECT_NE(view->Controller().MouseTool(), kToolScissors);
}

// A grey page is kept scaled between paints; what the scissors cut out of
// it must still reach the screen.
TEST_F(PageViewWindow, ScissorsOnAGreyPageReachTheScreen) {
    auto page = std::make_unique<CPageImage>();
    ASSERT_EQ(page->AttachDib(GreyDib(600, 400, [](int, int) { return 0x30; }).Make()), 0);
    doc.m_pImage = page.release();
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 599, 399});
    view->ResetView();
    view->SetZoom(256);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("page_view_grey_" + std::to_string(::getpid()) + ".png")).string();
    auto darkOnScreen = [&] {
        view->Invalidate(FALSE);
        AfxPumpMessages();
        EXPECT_TRUE(view->GrabToFile(path.c_str()));
        const QImage shot(QString::fromStdString(path));
        int dark = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) dark += qGray(shot.pixel(x, y)) == 0x30;
        return dark;
    };
    const int before = darkOnScreen();
    EXPECT_GT(before, 100 * 100);
    EXPECT_EQ(darkOnScreen(), before) << "a repaint shows the same page";
    view->SendMessage(WM_COMMAND, ID_MOUSE_SCISSORS);
    Drag(view->Controller().PageToClient(POINT{200, 100}), view->Controller().PageToClient(POINT{300, 200}));
    const int after = darkOnScreen();
    EXPECT_LT(after, before - 90 * 90) << "the cut shows white";
    std::filesystem::remove(path);
}

TEST_F(PageViewWindow, DragPastTheEdgeKeepsScrolling) {
    OpenPage(3000, 1000);
    AfxTestMouse(view, WM_LBUTTONDOWN, POINT{100, 100});
    AfxTestMouse(view, WM_MOUSEMOVE, POINT{700, 100}, MK_LBUTTON);
    EXPECT_TRUE(PumpFor([&] { return view->Controller().ScrollX() >= 60; }));
    AfxTestMouse(view, WM_MOUSEMOVE, POINT{300, 100}, MK_LBUTTON);
    AfxPumpMessages();
    const int stopped = view->Controller().ScrollX();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    AfxPumpMessages();
    EXPECT_EQ(view->Controller().ScrollX(), stopped) << "back inside: scrolling stops";
    AfxTestMouse(view, WM_LBUTTONUP, POINT{300, 100});
    EXPECT_EQ(view->HorizontalBar().GetScrollPos(), view->Controller().ScrollX());
}

TEST_F(PageViewWindow, KeysWheelAndSealMode) {
    OpenPage(2000, 2000);
    AfxTestKey(view, VK_NEXT);
    EXPECT_GT(view->Controller().ScrollY(), 0);
    AfxTestKey(view, VK_HOME, nullptr, MK_CONTROL);
    EXPECT_EQ(view->Controller().ScrollY(), 0);
    AfxTestMouse(view, WM_MOUSEWHEEL, POINT{100, 100}, 0, -120);
    EXPECT_EQ(view->Controller().ScrollY(), 36);
    EXPECT_EQ(view->VerticalBar().GetScrollPos(), 36);

    const RECT seal{100, 100, 300, 300};
    doc.m_pPageRegion->SetSealRect(&seal);
    view->Controller().ToggleSealMode();
    AfxTestKey(view, VK_ESCAPE);
    EXPECT_EQ(doc.m_pPageRegion->m_pSealRect, nullptr) << "Esc in seal mode deletes the seal";
    EXPECT_EQ(doc.m_bLayoutDirty, 1);
}

TEST_F(PageViewWindow, PrivateMessagesAndTheStrip) {
    OpenPage(1000, 1000);
    view->SendMessage(WM_IMAGEPROGRESS, 5, 0);
    EXPECT_TRUE(shell.progress.empty()) << "a total of 0 is ignored";
    view->SendMessage(WM_IMAGEPROGRESS, 5, 10);
    ASSERT_EQ(shell.progress.size(), 1u);
    EXPECT_EQ(shell.progress[0], 5);

    AfxTestClick(&view->Strip(), POINT{9, 8});
    AfxPumpMessages();
    ASSERT_FALSE(shell.postedCommands.empty());
    EXPECT_EQ(shell.postedCommands.back(), static_cast<UINT>(ID_VIEW_TEXT_WINDOW));

    shell.columnHidden = true;
    view->SendMessage(WM_RESULTSTATE);
    EXPECT_FALSE(shell.textViewShown);
    doc.m_bHasResult = 1;
    view->SendMessage(WM_RESULTSTATE);
    EXPECT_TRUE(shell.textViewShown);
    EXPECT_EQ(shell.textColumnShows, 1);
    doc.m_bHasResult = 0;
}

TEST_F(PageViewWindow, PageLoadedWithoutAPageLeavesGrey) {
    OpenPage(1000, 1000);
    view->SendMessage(WM_PAGELOADED, 0, 0);
    AfxPumpMessages();
    EXPECT_FALSE(view->Controller().HasPage());
    EXPECT_FALSE(view->Controller().SealMode());
}

TEST_F(PageViewWindow, GrabsAtEveryZoom) {
    const int w = 1240, h = 1754;  // an A4 page at 150 dpi
    OpenPage(w, h);
    CPageImage& page = *doc.m_pImage;
    // Text lines, a picture block, a table grid and a seal mark.
    for (int line = 0; line < 30; ++line)
        for (int word = 0; word < 9; ++word)
            PaintInk(page, RECT{120 + word * 60, 160 + line * 26, 160 + word * 60, 174 + line * 26});
    PaintInk(page, RECT{760, 160, 1120, 520});
    for (int r = 0; r <= 4; ++r) PaintInk(page, RECT{120, 1000 + r * 60, 1120, 1001 + r * 60});
    for (int c = 0; c <= 4; ++c) PaintInk(page, RECT{120 + c * 250, 1000, 121 + c * 250, 1240});
    doc.UpdateAllViews(nullptr, kHintPageImageChanged);
    CPageRegion& tree = *doc.m_pPageRegion;
    tree.AddRegion(RECT{110, 150, 700, 960}, kRegionHorizontal);
    tree.AddRegion(RECT{750, 150, 1130, 530}, kRegionPicture);
    tree.AddRegion(RECT{750, 560, 1130, 960}, kRegionVertical);
    CLayoutRegion* table = tree.AddRegion(RECT{110, 990, 1130, 1250}, kRegionTable);
    ASSERT_NE(table, nullptr);
    for (int c = 0; c < 4; ++c) table->AddRegion(RECT{122 + c * 250, 1002, 118 + (c + 1) * 250, 1238}, kRegionHorizontal);
    tree.AddRegion(RECT{110, 1300, 700, 1500}, kRegionEnglish);
    const RECT seal{800, 1320, 1000, 1520};
    tree.SetSealRect(&seal);
    tree.ClearSelection();
    tree.Select(1);
    shell.textViewShown = true;

    const std::filesystem::path out = std::filesystem::path(SUITE_TEST_DATA) / "build" / "test-output" / "views";
    std::filesystem::create_directories(out);
    const std::pair<WORD, const char*> zooms[] = {{256, "100"}, {128, "50"}, {64, "25"}, {32, "12"}};
    for (auto [zoom, name] : zooms) {
        view->SetZoom(zoom);
        view->Controller().ShowCharBox(RECT{240, 212, 280, 226});
        view->Invalidate(FALSE);
        AfxPumpMessages();
        const std::string path = (out / (std::string("page_view_") + name + ".png")).string();
        EXPECT_TRUE(view->GrabToFile(path.c_str())) << path;
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}

TEST_F(PageViewWindow, RestoreBringsBackTheImageAsOpened) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("page_view_restore_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "page.pcx").string();
    {
        auto page = MakeMonoPage(800, 600);
        PaintInk(*page, RECT{100, 100, 300, 300});
        int type = IMGTYPE_UNKNOWN;
        CImageCodec* codec = GetImageFileType(path.c_str(), &type) ? CreateImageCodec(path.c_str(), type) : nullptr;
        ASSERT_NE(codec, nullptr);
        ASSERT_TRUE(codec->Save(page.get(), 0));
        delete codec;
        FreePage(page);
    }
    doc.OnOpenDocument(path.c_str());
    ASSERT_TRUE(PumpFor([&] { return doc.m_pImage != nullptr; }, 10000));
    view->SetZoom(256);
    ASSERT_TRUE(InkAt(*doc.m_pImage, 200, 200));
    view->SendMessage(WM_COMMAND, ID_MOUSE_SCISSORS);
    const POINT a = view->Controller().PageToClient(POINT{150, 150}), b = view->Controller().PageToClient(POINT{250, 250});
    Drag(a, b);
    ASSERT_FALSE(InkAt(*doc.m_pImage, 200, 200));
    ASSERT_TRUE(doc.IsModified());
    view->SendMessage(WM_COMMAND, ID_IMAGE_RESTORE);
    EXPECT_TRUE(PumpFor([&] { return doc.m_pImage != nullptr && InkAt(*doc.m_pImage, 200, 200); }, 10000));
    EXPECT_FALSE(doc.IsModified());
    std::filesystem::remove_all(dir);
}

}  // namespace

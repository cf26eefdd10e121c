// One skewed page the whole way through the page view: it opens through the
// load thread, is straightened in the manual skew dialog, analysed, its
// regions edited by mouse and cropped, and its project file and edited
// image read back with the edits.
#include "platform/afx/ui/tests/pump_until.h"
#include "views/page_view/ocr_view.h"
#include "views/page_view/tests/page_view_fixtures.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/include/plenmar.h"
#include "outside/tests/loader.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/dialogs/dlg_manual_deskew.h"
#include "views/page_view/page_view_ids.h"
#include "views/tests/fake_view_host.h"

namespace fs = std::filesystem;

namespace {

// The slant of the page's text lines as the layout library measures it: dy over dx.
double Slope(const testpages::Library& plenmar, CPageImage& page) {
    auto skew = plenmar.get<PFN_PLENMAR_SKEW>("skew");
    std::vector<unsigned char> plane(page.PlaneBytes());
    std::memcpy(plane.data(), GlobalLock(page.m_hBits), plane.size());
    GlobalUnlock(page.m_hBits);
    int dx = 0, dy = 0;
    if (skew(plane.data(), nullptr, static_cast<DWORD>(page.m_nWidth), static_cast<DWORD>(page.m_nHeight), 300, dx, dy) != 0 ||
        dx == 0)
        return 1.0;
    return static_cast<double>(dy) / dx;
}

struct Window {
    CFrameWnd* frame = nullptr;
    COcrView* view = nullptr;
    explicit Window(COcrDoc& doc) {
        doc.m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        frame->Create(nullptr, "PageViewEndToEnd", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 700));
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        context.m_pNewViewClass = RUNTIME_CLASS(COcrView);
        view = static_cast<COcrView*>(frame->CreateView(&context));
        frame->ShowWindow(SW_SHOW);
        if (view) view->MoveWindow(0, 0, 860, 660);
        AfxPumpMessages();
    }
    ~Window() {
        if (frame) frame->DestroyWindow();
        AfxPumpMessages();
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
};

struct SkewAnswer {
    int tilt = 0;  // left y - right y that lies along the text
};

}  // namespace

TEST(PageViewEndToEnd, SkewedPageIsStraightenedAnalysedEditedCroppedAndReadBack) {
    const fs::path dir = fs::temp_directory_path() / ("page_view_e2e_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    CFakeViewHost shell;
    EnsurePageViewUi();
    testpages::ensureGui();
    HMODULE strings = LoadLibraryA("\\Ruvuradavad.DLL");
    ASSERT_NE(strings, nullptr);
    AfxSetResourceHandle(strings);
    testpages::Library plenmar(PLENMAR_DLL);
    HMODULE convert = LoadLibraryA("Convert.dll");  // the edited page's .BKI file goes through it
    ASSERT_NE(convert, nullptr);
    shell.convertLibrary = convert;
    shell.currentRow = 0;
    shell.rowCount = 1;
    shell.cells[{0, kPageListLanguage}] = "\xBC\xF2\xCC\xE5";  // 简体
    shell.cells[{0, kPageListType}] = "\xD7\xD4\xB6\xAF";      // 自动
    shell.cells[{0, kPageListResolution}] = "300";
    shell.textViewShown = false;

    // A page of text turned by 1 in 50.
    testpages::Style style{40, std::atan(1.0 / 50) * 180 / M_PI, 0, 7};
    testpages::Page test = testpages::textPage(testpages::simplifiedText(7, 4), 1400, 1800, style);
    const std::string image = (dir / "skewed.pcx").string();
    ASSERT_TRUE(SavePlaneAsImage(test.plane, image));
    shell.cells[{0, kPageListPath}] = image;

    RECT editedRegion{};
    int regionCount = 0, croppedWidth = 0, croppedHeight = 0;
    {
        COcrDoc doc;
        Window window(doc);
        ASSERT_NE(window.view, nullptr);
        doc.OnOpenDocument(image.c_str());
        ASSERT_TRUE(PumpUntil([&] { return doc.m_pImage != nullptr && doc.m_pPageRegion != nullptr; }, 30000))
            << (shell.messages.empty() ? std::string("no message") : shell.messages.back());
        const double before = Slope(plenmar, *doc.m_pImage);
        EXPECT_GT(std::fabs(before), 1.0 / 80) << "the page starts skewed";

        // The line is laid along the text and previewed, then OK.
        SkewAnswer answer{static_cast<int>(std::lround(-before * 250))};
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        AfxTestScript::QueueDialogAction(
            [](CWnd* w, void* data) {
                auto* dlg = static_cast<CDlgManualDeskew*>(w);
                const int tilt = static_cast<SkewAnswer*>(data)->tilt;
                const UINT button = tilt > 0 ? IDC_SKEW_CLOCKWISE : IDC_SKEW_ANTICLOCKWISE;
                for (int i = 0; i < std::abs(tilt); ++i) dlg->SendMessage(WM_COMMAND, MAKEWPARAM(button, BN_CLICKED));
                dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_PREVIEW, BN_CLICKED));
            },
            &answer);
        AfxTestScript::QueueAnswer(IDOK);
        window.view->SendMessage(WM_COMMAND, ID_IMAGE_MANUAL_DESKEW);
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
        const double after = Slope(plenmar, *doc.m_pImage);
        EXPECT_LT(std::fabs(after), 1.0 / 250) << "before " << before << ", tilt " << answer.tilt;
        EXPECT_TRUE(doc.IsModified());

        // Layout analysis finds the text.
        doc.AnalyzeLayout();
        regionCount = doc.m_pPageRegion->GetChildCount();
        ASSERT_GE(regionCount, 1);

        // The first region's bottom edge is dragged up by 30 pixels at 100 %.
        window.view->SetZoom(256);
        CPageViewController& c = window.view->Controller();
        CLayoutRegion* first = doc.m_pPageRegion->GetChild(0);
        const RECT old = first->Rect();
        window.view->ShowCharBox(old.left, old.bottom - 10, old.left + 20, old.bottom);
        const POINT edge = c.PageToClient(POINT{(old.left + old.right) / 2, old.bottom});
        AfxTestMouse(window.view, WM_LBUTTONDOWN, edge);
        AfxTestMouse(window.view, WM_MOUSEMOVE, POINT{edge.x + 40, edge.y - 30}, MK_LBUTTON);
        AfxTestMouse(window.view, WM_LBUTTONUP, POINT{edge.x + 40, edge.y - 30});
        AfxPumpMessages();
        // Only the bottom edge moved; the rectangle is then trimmed to its ink.
        first = doc.m_pPageRegion->GetChild(0);
        EXPECT_GE(first->left, old.left);
        EXPECT_LE(first->right, old.right) << "the x axis is frozen";
        EXPECT_LT(first->bottom, old.bottom);
        EXPECT_GE(first->bottom, old.bottom - 31);

        // The page rectangle's left edge is dragged 40 pixels in, then cropped.
        window.view->ShowCharBox(0, 900, 10, 910);
        const POINT pageEdge = c.PageToClient(POINT{0, 900});
        const int left = std::min<int>(40, doc.m_pPageRegion->GetChild(0)->left);
        for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i)
            ASSERT_GT(doc.m_pPageRegion->GetChild(i)->left, left) << "the crop must not cut a region";
        AfxTestMouse(window.view, WM_LBUTTONDOWN, POINT{pageEdge.x + 1, pageEdge.y});
        AfxTestMouse(window.view, WM_MOUSEMOVE, POINT{pageEdge.x + left, pageEdge.y}, MK_LBUTTON);
        AfxTestMouse(window.view, WM_LBUTTONUP, POINT{pageEdge.x + left, pageEdge.y});
        EXPECT_EQ(doc.m_pPageRegion->left, left);
        const int widthBefore = doc.m_pImage->m_nWidth;
        window.view->SendMessage(WM_COMMAND, ID_IMAGE_RESIZE);
        EXPECT_EQ(doc.m_pImage->m_nWidth, widthBefore - left);
        EXPECT_EQ(doc.m_pPageRegion->left, 0);
        editedRegion = doc.m_pPageRegion->GetChild(0)->Rect();
        croppedWidth = doc.m_pImage->m_nWidth;
        croppedHeight = doc.m_pImage->m_nHeight;
        regionCount = doc.m_pPageRegion->GetChildCount();
        ASSERT_TRUE(doc.SaveModified());
        EXPECT_TRUE(fs::exists(image + ".PST"));
        EXPECT_TRUE(fs::exists(image + ".BKI"));
    }
    {
        COcrDoc again;
        Window window(again);
        again.OnOpenDocument(image.c_str());
        ASSERT_TRUE(PumpUntil([&] { return again.m_pImage != nullptr && again.m_pPageRegion != nullptr; }, 30000));
        EXPECT_EQ(again.m_pImage->m_nWidth, croppedWidth);
        EXPECT_EQ(again.m_pImage->m_nHeight, croppedHeight);
        ASSERT_EQ(again.m_pPageRegion->GetChildCount(), regionCount);
        const RECT r = again.m_pPageRegion->GetChild(0)->Rect();
        EXPECT_EQ(r.left, editedRegion.left);
        EXPECT_EQ(r.top, editedRegion.top);
        EXPECT_EQ(r.right, editedRegion.right);
        EXPECT_EQ(r.bottom, editedRegion.bottom);
        EXPECT_LT(std::fabs(Slope(plenmar, *again.m_pImage)), 1.0 / 250);
    }
    shell.convertLibrary = nullptr;
    FreeLibrary(convert);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(strings);
    fs::remove_all(dir);
}

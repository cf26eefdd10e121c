// The hyperlink label (its state, its drawing), the save-format dialog, the
// external editor's dialog, the output dialog's check box, the splash and
// the about box, from the language library's templates.
#include "shell/dialogs/about_dlg.h"
#include "shell/dialogs/extern_editor_dlg.h"
#include "shell/dialogs/output_file_dialog.h"
#include "shell/dialogs/save_format_dlg.h"
#include "shell/dialogs/splash_dlg.h"
#include "shell/dialogs/tests/dialog_test_fixture.h"

#include <vector>

namespace {

TEST(HyperlinkController, WithoutATargetAClickOpensTheCaption) {
    std::vector<std::string> opened;
    CHyperlinkController link([&](const std::string& t) { opened.push_back(t); });
    link.SetCaption("www.example.org");
    link.SetTextSize(100, 16);
    EXPECT_FALSE(link.LeftButtonDown()) << "not hovering: nothing opens";
    link.MouseMove(10, 5);
    EXPECT_TRUE(link.LeftButtonDown());
    link.SetTarget("http://target.example/");
    EXPECT_TRUE(link.LeftButtonDown());
    EXPECT_EQ(opened, (std::vector<std::string>{"www.example.org", "http://target.example/"}));
    EXPECT_TRUE(link.IsVisited());
}

TEST(HyperlinkController, HoverFollowsTheTextAreaAndEndsWhenTheMouseLeaves) {
    CHyperlinkController link(nullptr);
    link.SetTextSize(50, 10);
    auto first = link.MouseMove(51, 11);  // one pixel past the text still counts
    EXPECT_TRUE(first.trackLeave);
    EXPECT_TRUE(first.handCursor);
    EXPECT_TRUE(first.repaint);
    auto second = link.MouseMove(20, 5);
    EXPECT_FALSE(second.trackLeave);
    EXPECT_FALSE(second.repaint) << "still hovering: no repaint";
    auto outside = link.MouseMove(52, 5);
    EXPECT_FALSE(outside.handCursor);
    EXPECT_TRUE(outside.repaint);
    link.MouseMove(1, 1);
    EXPECT_TRUE(link.MouseLeave());
    EXPECT_FALSE(link.IsHover());
    EXPECT_TRUE(link.MouseMove(1, 1).trackLeave) << "tracking is asked for again after a leave";
    EXPECT_EQ(link.CurrentLook(), CHyperlinkController::Look::Hover);
}

TEST(HyperlinkController, ColoursBySlot) {
    CHyperlinkController link(nullptr);
    EXPECT_EQ(link.Colour(CHyperlinkController::Look::Hover), RGB(0, 0, 255));
    EXPECT_EQ(link.Colour(CHyperlinkController::Look::Visited), RGB(128, 0, 128));
    link.SetColour(1, RGB(1, 2, 3));
    link.SetColour(2, RGB(4, 5, 6));
    link.SetColour(7, RGB(7, 8, 9));
    EXPECT_EQ(link.Colour(CHyperlinkController::Look::Hover), RGB(1, 2, 3));
    EXPECT_EQ(link.Colour(CHyperlinkController::Look::Visited), RGB(4, 5, 6));
    EXPECT_EQ(link.Colour(CHyperlinkController::Look::Normal), RGB(7, 8, 9));
}

class SmallDialogs : public ShellDialogTest {};

// A 32-bit canvas; counts the pixels of one colour.
struct Canvas {
    Canvas(int w, int h) : width(w), height(h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(w, h, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
    }
    ~Canvas() { dc.SelectObject(old); }
    int Count(COLORREF c) {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) n += (dc.GetPixel(x, y) & 0xFFFFFF) == c;
        return n;
    }
    int width, height;
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

TEST_F(SmallDialogs, TheLinkIsDrawnInTheColourOfItsLookAndMeasuredForItsHitTest) {
    CHyperlinkController link(nullptr);
    link.SetCaption("Scribant");
    link.SetColour(0, RGB(0, 128, 0));
    const HyperlinkFonts fonts = HyperlinkFonts::Default();
    Canvas normal(120, 30);
    const CSize size = CHyperlinkRenderer::Paint(normal.dc, link, fonts);
    EXPECT_GT(size.cx, 20);
    EXPECT_GT(size.cy, 5);
    EXPECT_GT(normal.Count(RGB(0, 128, 0)), 10);
    EXPECT_EQ(normal.Count(RGB(0, 0, 255)), 0);
    link.MouseMove(2, 2);  // within the measured text
    ASSERT_TRUE(link.IsHover());
    Canvas hover(120, 30);
    CHyperlinkRenderer::Paint(hover.dc, link, fonts);
    EXPECT_GT(hover.Count(RGB(0, 0, 255)), normal.Count(RGB(0, 128, 0))) << "blue and underlined";
    EXPECT_EQ(hover.Count(RGB(0, 128, 0)), 0);
}

void Press(CWnd* dialog, void* id) {
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(id)), BN_CLICKED),
                        0);
}

TEST_F(SmallDialogs, SaveFormatIsTxtUntouchedAndEachButtonsCodeOtherwise) {
    AfxTestScript::QueueAnswer(IDOK);
    CDlgSaveFormat untouched;
    EXPECT_EQ(untouched.DoModal(), IDOK);
    EXPECT_EQ(untouched.m_nFormat, -1);
    const std::pair<UINT, int> buttons[] = {{IDC_FORMAT_RTF, 2}, {IDC_FORMAT_HTML, 1}, {IDC_FORMAT_XLS, 5},
                                            {IDC_FORMAT_TXT, -1}};
    for (const auto& [id, code] : buttons) {
        AfxTestScript::QueueDialogAction(Press, reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)));
        AfxTestScript::QueueAnswer(IDOK);
        CDlgSaveFormat chosen;
        EXPECT_EQ(chosen.DoModal(), IDOK);
        EXPECT_EQ(chosen.m_nFormat, code) << id;
    }
    EXPECT_EQ(SaveFormatOfButton(IDOK, 5), 5);
}

TEST_F(SmallDialogs, TheEditorDialogShowsItsValuesAndTakesABrowsedProgram) {
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            CString path;
            dialog->GetDlgItemText(IDC_EDITOR_PATH, path);
            EXPECT_EQ(std::string(path.GetString()), "C:\\Tools\\edit.exe");
            auto* combo = static_cast<CComboBox*>(dialog->GetDlgItem(IDC_EDITOR_FILE_TYPE));
            ASSERT_NE(combo, nullptr);
            EXPECT_EQ(combo->GetCount(), 4);
            EXPECT_EQ(combo->GetCurSel(), 2);
            combo->SetCurSel(0);
            dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDITOR_FILE_TYPE, CBN_SELCHANGE),
                                reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
            AfxTestScript::QueueFile("C:\\Apps\\writer.exe");
            dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_EDITOR_BROWSE, BN_CLICKED), 0);
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    CDlgExternEditor editor(nullptr, "C:\\Tools\\edit.exe", 2);
    EXPECT_EQ(editor.DoModal(), IDOK);
    EXPECT_EQ(editor.m_strPath, "C:\\Apps\\writer.exe");
    EXPECT_EQ(editor.m_nFileType, 0);
    bool browsed = false;
    for (const AfxShownRecord& r : AfxTestScript::Shown())
        if (r.kind == "file") {
            browsed = true;
            EXPECT_EQ(r.name, "edit.exe") << "the edit's path is the starting name";
        }
    EXPECT_TRUE(browsed);
}

TEST_F(SmallDialogs, TheOutputDialogsCheckBoxFlipsItsFlag) {
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            EXPECT_EQ(dialog->IsDlgButtonChecked(IDC_OUTPUT_TO_EDITOR), static_cast<UINT>(BST_UNCHECKED));
            dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_OUTPUT_TO_EDITOR, BN_CLICKED), 0);
        },
        nullptr);
    AfxTestScript::QueueFile("C:\\out\\page.txt");
    COutputFileDialog dialog("Text|*.TXT||", nullptr, FALSE);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.m_bOutputToEditor);
    EXPECT_EQ(std::string(dialog.GetPathName().GetString()), "C:\\out\\page.txt");
}

TEST_F(SmallDialogs, TheSplashFitsItsPictureAndTheAboutBoxShowsTheAddress) {
    CSplashDlg splash;
    ASSERT_TRUE(splash.Create());
    const CSize frame = splash.Picture().FrameSize();
    EXPECT_GT(frame.cx, 100);
    CRect window;
    splash.GetWindowRect(&window);
    EXPECT_EQ(window.Width(), frame.cx + 4);
    EXPECT_EQ(window.Height(), frame.cy + 4);
    splash.DestroyWindow();

    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            CString text;
            dialog->GetDlgItemText(CAboutDlg::kLinkControl, text);
            EXPECT_EQ(std::string(text.GetString()), CAboutDlg::kAddress);
        },
        nullptr);
    CAboutDlg about;
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_EQ(about.Link().Controller().LinkTarget(), CAboutDlg::kAddress);
}

}  // namespace

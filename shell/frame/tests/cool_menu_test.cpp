// Owner-drawn menus: the hook chain under them, the manager's records
// (and no one else's), tool-bar images by command, accelerator texts,
// mnemonics, sizes, the drawing of an item, and the frame's popups
// converted while open and given back when the menu closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "platform/win/codepage.h"
#include "shell/frame/cool_menu_manager.h"
#include "shell/frame/cool_menu_painter.h"
#include "shell/frame/tests/chrome_fixture.h"

namespace {

using chrometest::Picture;

// A text in the program's code page.
CString A(const char* utf8) { return CString(suite::Utf8ToAnsi(utf8).c_str()); }

// A hook that notes what it sees and, for one message, answers itself.
class NotingHook : public CSubclassWnd {
public:
    NotingHook(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 5) {
            log_->push_back(name_);
            if (wParam == 9) return 900;  // taken
            if (wParam == 7) return Default();
        }
        return CSubclassWnd::WindowProc(message, wParam, lParam);
    }

private:
    std::vector<std::string>* log_;
    std::string name_;
};

class NotingWnd : public CWnd {
public:
    std::vector<std::string>* log = nullptr;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 5) {
            log->push_back("window");
            return 5;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(SubclassWnd, HooksChainInFrontOfTheWindowAndLeaveInAnyOrder) {
    AfxWinInit();
    std::vector<std::string> log;
    NotingWnd wnd;
    wnd.log = &log;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "Hooked", WS_OVERLAPPED, CRect(0, 0, 40, 40), nullptr, 0));
    const LONG_PTR own = GetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC);
    NotingHook first(&log, "first"), second(&log, "second"), third(&log, "third");
    first.HookWindow(&wnd);
    second.HookWindow(&wnd);
    third.HookWindow(&wnd);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 5), 5);
    EXPECT_EQ(log, (std::vector<std::string>{"third", "second", "first", "window"}));
    log.clear();
    EXPECT_EQ(wnd.SendMessage(WM_USER + 5, 9), 900);
    EXPECT_EQ(log, std::vector<std::string>{"third"}) << "the front hook kept it";
    log.clear();
    EXPECT_EQ(wnd.SendMessage(WM_USER + 5, 7), 5) << "Default passes the current message on";
    EXPECT_EQ(log, (std::vector<std::string>{"third", "second", "first", "window"}));
    // Out of the middle, then the front: the rest of the chain still works.
    second.HookWindow(nullptr);
    log.clear();
    wnd.SendMessage(WM_USER + 5);
    EXPECT_EQ(log, (std::vector<std::string>{"third", "first", "window"}));
    third.HookWindow(nullptr);
    log.clear();
    wnd.SendMessage(WM_USER + 5);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "window"}));
    first.HookWindow(nullptr);
    EXPECT_EQ(GetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC), own) << "the last hook gives the window its own procedure back";
    // A window that goes takes its hooks with it.
    first.HookWindow(&wnd);
    second.HookWindow(&wnd);
    wnd.DestroyWindow();
    EXPECT_FALSE(first.IsHooked());
    EXPECT_FALSE(second.IsHooked());
}

TEST(CoolMenuModel, OnlyTheManagersOwnRecordsAreRecognised) {
    CoolMenuRecords records;
    CoolMenuItem* mine = records.Create("&Open\tCtrl+O", 0, 3);
    EXPECT_TRUE(records.Owns(reinterpret_cast<DWORD_PTR>(mine)));
    // Another owner's data that even begins with the signature is not ours, and is never read.
    CoolMenuItem lookalike;
    EXPECT_FALSE(records.Owns(reinterpret_cast<DWORD_PTR>(&lookalike)));
    EXPECT_FALSE(records.Owns(0x10));  // a small number, not an address at all
    EXPECT_FALSE(records.Owns(0));
    records.Delete(mine);
    EXPECT_FALSE(records.Owns(reinterpret_cast<DWORD_PTR>(mine)));
    EXPECT_EQ(records.Count(), 0u);
}

TEST(CoolMenuModel, AcceleratorTextsNameEveryKeyOfACommand) {
    const std::vector<ACCEL> table = {
        {FVIRTKEY | FCONTROL, VK_DELETE, 32795},
        {FVIRTKEY, VK_F5, 32793},
        {FVIRTKEY | FCONTROL | FSHIFT | FALT, VK_F5, 32793},
        {FVIRTKEY | FCONTROL, VK_NEXT, 32859},
        {0, 'q', 40000},
    };
    EXPECT_EQ(AcceleratorText(table, 32795), "Ctrl+Delete");
    EXPECT_EQ(AcceleratorText(table, 32793), "F5, Alt+Ctrl+Shift+F5");
    EXPECT_EQ(AcceleratorText(table, 32859), "Ctrl+Page Down");
    EXPECT_EQ(AcceleratorText(table, 40000), "q");
    EXPECT_EQ(AcceleratorText(table, 1), "");
    EXPECT_EQ(WithAccelerator(A("取消版面分析(&C)\tCtrl+Del"), "Ctrl+Delete"), CString(A("取消版面分析(&C)\tCtrl+Delete")));
    EXPECT_EQ(WithAccelerator("&Scan", "Ctrl+N"), CString("&Scan\tCtrl+N"));
    EXPECT_EQ(WithAccelerator("&Scan\tOld", ""), CString("&Scan\tOld"));
}

TEST(CoolMenuModel, AMnemonicSharedByThreeItemsCyclesThroughThemAndWraps) {
    const std::vector<CString> texts = {"&Save", "Open", "&scan", "", "&Select\tCtrl+A", "&Print"};
    EXPECT_EQ(MnemonicAnswer(texts, -1, 's'), MAKELRESULT(0, MNC_SELECT));
    EXPECT_EQ(MnemonicAnswer(texts, 0, 'S'), MAKELRESULT(2, MNC_SELECT));
    EXPECT_EQ(MnemonicAnswer(texts, 2, 's'), MAKELRESULT(4, MNC_SELECT));
    EXPECT_EQ(MnemonicAnswer(texts, 4, 's'), MAKELRESULT(0, MNC_SELECT)) << "wraps to the first";
    EXPECT_EQ(MnemonicAnswer(texts, 1, 'p'), MAKELRESULT(5, MNC_EXECUTE)) << "one item: executed";
    EXPECT_EQ(MnemonicAnswer(texts, 1, 'z'), 0) << "none: the default";
    EXPECT_EQ(MnemonicAnswer({"Trailing&"}, -1, 0), 0);
}

TEST(CoolMenuModel, SizesAndThePopupThatFitsOnTheScreen) {
    EXPECT_EQ(CoolMenuItemSize(true, CSize(50, 12), CSize(20, 19), 19, 13), CSize(0, 9));
    EXPECT_EQ(CoolMenuItemSize(false, CSize(50, 12), CSize(20, 19), 19, 13), CSize(2 * 20 + 50 - 13 + 5, 19));
    EXPECT_EQ(CoolMenuItemSize(false, CSize(50, 24), CSize(20, 19), 19, 13).cy, 24);
    // The search-engine popup (106 pixels) under a button at the right edge of a 1024-pixel screen.
    EXPECT_EQ(PopupLeftOnScreen(1000, 106, 1024), 918);
    EXPECT_EQ(PopupLeftOnScreen(300, 106, 1024), 300);
    EXPECT_EQ(PopupLeftOnScreen(-20, 106, 1024), 0);
}

TEST(CoolMenuModel, ASecondToolBarOfAnotherImageSizeIsRefusedAndTheFirstStays) {
    chrometest::Language language;
    ASSERT_TRUE(language.Loaded());
    MenuButtonImages images;
    EXPECT_EQ(images.ButtonSize(), CSize(0, 0));
    ASSERT_TRUE(images.LoadToolbar(128));
    EXPECT_EQ(images.ImageSize(), CSize(16, 15));
    EXPECT_EQ(images.ButtonSize(), CSize(20, 19));
    EXPECT_EQ(images.ImageOf(32813), 0);
    EXPECT_EQ(images.ImageOf(32773), 2) << "separators take no image";
    EXPECT_EQ(images.ImageOf(57667), 11);
    EXPECT_EQ(images.ImageOf(1), -1);
    // A tool bar of 24 x 22 images: refused, the 16 x 15 ones stay.
    CToolBarTemplate big;
    big.width = 24;
    big.height = 22;
    big.ids = {40001, 32773};
    CBitmap bitmap;
    bitmap.CreateBitmap(48, 22, 1, 32, nullptr);
    EXPECT_FALSE(images.AddToolbar(900, big, bitmap));
    EXPECT_EQ(images.ImageSize(), CSize(16, 15));
    EXPECT_EQ(images.ImageOf(40001), -1);
    ASSERT_NE(images.List(), nullptr);
    EXPECT_EQ(images.List()->GetImageCount(), 12);
    // One of the same size adds its images; a command that has one keeps it.
    CToolBarTemplate same;
    same.width = 16;
    same.height = 15;
    same.ids = {40001, 0, 32773};
    CBitmap two;
    two.CreateBitmap(32, 15, 1, 32, nullptr);
    EXPECT_TRUE(images.AddToolbar(901, same, two));
    EXPECT_EQ(images.ImageOf(40001), 12);
    EXPECT_EQ(images.ImageOf(32773), 2);
    EXPECT_EQ(images.Loaded(), (std::vector<UINT>{128, 901}));
    EXPECT_FALSE(images.LoadToolbar(4242)) << "a missing tool bar";
}

TEST(CoolMenuPainting, BoxesImagesCheckMarksAndText) {
    chrometest::Language language;
    MenuButtonImages images;
    ASSERT_TRUE(images.LoadToolbar(128));
    CoolMenuPainter painter(images.List(), images.ButtonSize(), nullptr, false);
    const COLORREF menu = GetSysColor(COLOR_MENU), band = GetSysColor(COLOR_HIGHLIGHT);
    CoolMenuItem open{CoolMenuItem::kSignature, A("打开图像(&O)...\tCtrl+O"), 0, images.ImageOf(32813)};
    CoolMenuItem plain{CoolMenuItem::kSignature, A("管理条(&B)"), 0, -1};
    const CRect row(0, 0, 200, 19);
    {  // Selected, with an image: raised box, the band after it.
        Picture p(200, 19);
        painter.Draw(p.dc, {row, &open, ODS_SELECTED, ODA_SELECT, nullptr, nullptr});
        EXPECT_EQ(p.At(0, 5), GetSysColor(COLOR_3DHIGHLIGHT)) << "raised box";
        EXPECT_EQ(p.At(19, 5), GetSysColor(COLOR_3DSHADOW));
        EXPECT_EQ(p.At(100, 1), band);
        EXPECT_EQ(p.At(10, 1), menu) << "no band under the box";
    }
    {  // Checked with an image, not selected: sunken box on the light colour.
        Picture p(200, 19);
        painter.Draw(p.dc, {row, &open, ODS_CHECKED, ODA_DRAWENTIRE, nullptr, nullptr});
        EXPECT_EQ(p.At(0, 5), GetSysColor(COLOR_3DSHADOW));
        EXPECT_EQ(p.At(1, 1), GetSysColor(COLOR_3DLIGHT));
    }
    {  // Neither image nor check: no box, the band from the left edge.
        Picture p(200, 19);
        painter.Draw(p.dc, {row, &plain, ODS_SELECTED, ODA_SELECT, nullptr, nullptr});
        EXPECT_EQ(p.At(0, 5), band);
        EXPECT_EQ(p.At(1, 1), band);
    }
    {  // Checked without an image: the system check mark in a sunken box.
        Picture p(200, 19);
        painter.Draw(p.dc, {row, &plain, ODS_CHECKED, ODA_DRAWENTIRE, nullptr, nullptr});
        int ink = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 20; ++x) ink += p.At(x, y) == GetSysColor(COLOR_MENUTEXT);
        EXPECT_GT(ink, 10) << "the tick";
        EXPECT_EQ(p.At(1, 5), GetSysColor(COLOR_3DSHADOW)) << "the sunken edge around it, a pixel clear of the mark";
        EXPECT_EQ(p.At(17, 5), GetSysColor(COLOR_3DHIGHLIGHT));
    }
    {  // Disabled with an image: embossed, grey text with its raised copy.
        Picture p(200, 19);
        painter.Draw(p.dc, {row, &open, ODS_GRAYED, ODA_DRAWENTIRE, nullptr, nullptr});
        int shadow = 0, grey = 0, raised = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 200; ++x) {
                const COLORREF c = p.At(x, y);
                if (x < 20) shadow += c == GetSysColor(COLOR_3DSHADOW);
                else grey += c == GetSysColor(COLOR_GRAYTEXT), raised += c == GetSysColor(COLOR_3DHIGHLIGHT);
            }
        EXPECT_GT(shadow, 10);
        EXPECT_GT(grey, 10);
        EXPECT_GT(raised, 10);
    }
}

TEST(CoolMenuPainting, RadioItemsShowTheManagersDotInsteadOfATick) {
    chrometest::Language language;
    CCoolMenuManager manager;
    HBITMAP radio = AfxGetRadioCheckBitmap();
    ASSERT_NE(radio, nullptr);
    {  // Repainted: white, a dot 4 pixels across at the centre (the framework's own is wider).
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        CBitmap* old = dc.SelectObject(CBitmap::FromHandle(radio));
        int black = 0;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x) black += (dc.GetPixel(x, y) & 0xFFFFFF) == 0;
        EXPECT_GE(black, 4);
        EXPECT_LE(black, 16);
        for (const CPoint p : {CPoint(5, 5), CPoint(6, 6), CPoint(5, 6), CPoint(6, 5)})
            EXPECT_EQ(dc.GetPixel(p.x, p.y) & 0xFFFFFF, 0u) << p.x << "," << p.y;
        for (const CPoint p : {CPoint(3, 6), CPoint(9, 6), CPoint(6, 3), CPoint(6, 9), CPoint(0, 0), CPoint(12, 12)})
            EXPECT_EQ(dc.GetPixel(p.x, p.y) & 0xFFFFFF, 0xFFFFFFu) << p.x << "," << p.y;
        dc.SelectObject(old);
    }
    // A radio update gives the menu item that bitmap as its checked mark.
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1001, "One");
    menu.AppendMenu(MF_STRING, 1002, "Two");
    CCmdUI ui;
    ui.m_pMenu = &menu;
    ui.m_nIndex = 1;
    ui.m_nIndexMax = 2;
    ui.m_nID = 1002;
    ui.SetRadio(TRUE);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS | MIIM_STATE;
    ASSERT_TRUE(::GetMenuItemInfoA(menu.m_hMenu, 1, TRUE, &info));
    EXPECT_EQ(info.hbmpChecked, radio);
    EXPECT_TRUE(info.fState & MF_CHECKED);

    // Drawn: a small dot where a tick would be.
    MenuButtonImages images;
    CoolMenuPainter painter(images.List(), CSize(16, 15), nullptr, false);
    CoolMenuItem item{CoolMenuItem::kSignature, A("Two"), 0, -1};
    auto inkOf = [&](HBITMAP checked) {
        Picture p(200, 19);
        painter.Draw(p.dc, {CRect(0, 0, 200, 19), &item, ODS_CHECKED, ODA_DRAWENTIRE, checked, nullptr});
        int ink = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 20; ++x) ink += p.At(x, y) == GetSysColor(COLOR_MENUTEXT);
        return ink;
    };
    const int dot = inkOf(radio), tick = inkOf(nullptr);
    EXPECT_GE(dot, 4);
    EXPECT_GT(tick, dot) << "dot " << dot << ", tick " << tick;
}

// A frame with menu 128 and the manager hooked on it.
class MenuFrame : public CFrameWnd {
public:
    CCoolMenuManager manager;
    int ownInitCalls = 0;
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sys) {
        ++ownInitCalls;
        CFrameWnd::OnInitMenuPopup(popup, index, sys);
    }
    void OnAnything(UINT) {}
    void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateChecked(CCmdUI* ui) { ui->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MenuFrame, CFrameWnd)
    ON_WM_INITMENUPOPUP()
    ON_COMMAND_RANGE(32700, 33000, OnAnything)
    ON_COMMAND_RANGE(57600, 57700, OnAnything)
    ON_UPDATE_COMMAND_UI(32774, OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(32773, OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(32829, OnUpdateChecked)
    ON_UPDATE_COMMAND_UI(32818, OnUpdateChecked)
END_MESSAGE_MAP()

// A frame with menu 128 (held by `bar`) and the manager of tool bar 128 hooked on it.
void OpenMenuFrame(CMenu& bar, MenuFrame** out) {
    auto* frame = new MenuFrame;
    *out = frame;
    ASSERT_TRUE(frame->Create(nullptr, "Menus", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400)));
    ASSERT_TRUE(bar.LoadMenu(128));
    frame->SetMenu(&bar);
    frame->manager.Install(frame);
    frame->manager.m_bAutoAccel = FALSE;
    ASSERT_TRUE(frame->manager.LoadToolbar(128));
}

TEST(CoolMenuManager, PopupsAreConvertedWhileOpenAndGivenBackWhenTheMenuCloses) {
    chrometest::Language language;
    CMenu bar;
    MenuFrame* frame = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenMenuFrame(bar, &frame));
    CMenu* file = bar.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    // An item another owner draws, whose data even starts like one of our records.
    CoolMenuItem lookalike{CoolMenuItem::kSignature, "not ours", 0, 0};
    file->AppendMenu(MF_OWNERDRAW, 32999, reinterpret_cast<LPCTSTR>(&lookalike));
    const UINT count = file->GetMenuItemCount();
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->GetSafeHmenu()), MAKELPARAM(0, FALSE));
    EXPECT_EQ(frame->ownInitCalls, 1) << "the frame's own update runs first";
    EXPECT_EQ(frame->manager.ConvertedMenus(), 1u);
    EXPECT_EQ(frame->manager.Records().Count(), count - 1);
    EXPECT_TRUE(file->GetMenuState(1, MF_BYPOSITION) & MF_OWNERDRAW);
    const auto* open = frame->manager.Records().Find(file->GetItemData(1, MF_BYPOSITION));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text, CString(A("打开图像(&O)...\tCtrl+O")));
    EXPECT_EQ(open->image, frame->manager.Images().ImageOf(57601));
    EXPECT_EQ(file->GetItemData(count - 1, MF_BYPOSITION), reinterpret_cast<DWORD_PTR>(&lookalike)) << "left alone";
    // Measuring and drawing: ours are answered, the foreign item goes to its owner.
    MEASUREITEMSTRUCT mine{ODT_MENU, 0, 57601, 0, 0, file->GetItemData(1, MF_BYPOSITION)};
    EXPECT_EQ(frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mine)), TRUE);
    EXPECT_GT(mine.itemWidth, 60u);
    EXPECT_GE(mine.itemHeight, static_cast<UINT>(GetSystemMetrics(SM_CYMENU)));
    EXPECT_FALSE(frame->manager.OnMeasureItem(nullptr));
    MEASUREITEMSTRUCT foreign{ODT_MENU, 0, 32999, 0, 0, reinterpret_cast<DWORD_PTR>(&lookalike)};
    EXPECT_FALSE(frame->manager.OnMeasureItem(&foreign));
    // Typed letters: the mnemonic of the converted items.
    EXPECT_EQ(frame->SendMessage(WM_MENUCHAR, MAKEWPARAM('o', MF_POPUP), reinterpret_cast<LPARAM>(file->GetSafeHmenu())),
              MAKELRESULT(1, MNC_EXECUTE));
    // The system's colours change while the popup is open: its items keep
    // their records and are still measured and drawn with their images.
    frame->SendMessage(WM_SYSCOLORCHANGE, 0, 0);
    const auto* kept = frame->manager.Records().Find(file->GetItemData(1, MF_BYPOSITION));
    ASSERT_NE(kept, nullptr) << "the open item's record was freed";
    EXPECT_EQ(kept->text, CString(A("打开图像(&O)...\tCtrl+O")));
    EXPECT_EQ(kept->image, frame->manager.Images().ImageOf(57601));
    EXPECT_GE(kept->image, 0);
    EXPECT_EQ(frame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mine)), TRUE);
    // The menu closes: texts come back, the records go.
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(frame->manager.Records().Count(), 0u);
    EXPECT_EQ(frame->manager.ConvertedMenus(), 0u);
    EXPECT_FALSE(file->GetMenuState(1, MF_BYPOSITION) & MF_OWNERDRAW);
    CString text;
    file->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(text, CString(A("打开图像(&O)...\tCtrl+O")));
    EXPECT_TRUE(file->GetMenuState(2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(file->GetMenuState(count - 1, MF_BYPOSITION) & MF_OWNERDRAW) << "the foreign item stays as it was";
    frame->SetMenu(nullptr);
    frame->DestroyWindow();
    AfxPumpMessages();
}

TEST(CoolMenuManager, SystemCommandsKeepTheSystemsDrawingAndAcceleratorsAreWritten) {
    chrometest::Language language;
    auto* frame = new MenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, "System", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200)));
    frame->manager.Install(frame);
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, VK_DELETE, 32795}, {FVIRTKEY, VK_F5, 32793}};
    frame->m_hAccelTable = CreateAcceleratorTable(keys, 2);
    CMenu system;
    ASSERT_TRUE(system.CreatePopupMenu());
    system.AppendMenu(MF_STRING, 61536, "&Close\tAlt+F4");  // a system command
    system.AppendMenu(MF_STRING, 32795, A("取消版面分析(&C)\tCtrl+Del"));
    system.AppendMenu(MF_STRING, 32793, A("版面分析(&A)"));
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system.GetSafeHmenu()), MAKELPARAM(0, TRUE));
    EXPECT_FALSE(system.GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW);
    ASSERT_TRUE(system.GetMenuState(1, MF_BYPOSITION) & MF_OWNERDRAW);
    EXPECT_EQ(frame->manager.Records().Find(system.GetItemData(1, MF_BYPOSITION))->text,
              CString(A("取消版面分析(&C)\tCtrl+Delete")));
    EXPECT_EQ(frame->manager.Records().Find(system.GetItemData(2, MF_BYPOSITION))->text, CString(A("版面分析(&A)\tF5")));
    // Not the system menu: the same command is converted.
    CMenu other;
    ASSERT_TRUE(other.CreatePopupMenu());
    other.AppendMenu(MF_STRING, 61536, "&Close");
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(other.GetSafeHmenu()), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(other.GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    DestroyAcceleratorTable(frame->m_hAccelTable);
    frame->m_hAccelTable = nullptr;
    frame->DestroyWindow();
    AfxPumpMessages();
}

TEST(CoolMenuManager, OpenMenusShowTheToolBarImages) {
    chrometest::Language language;
    CMenu bar;
    MenuFrame* frame = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenMenuFrame(bar, &frame));
    frame->ShowWindow(SW_SHOW);
    // The file menu (images, a disabled scan item) and the view menu (checked items).
    EXPECT_TRUE(AfxTestGrabMenuBarPopup(frame, 0, chrometest::GrabPath("menu_file.png").c_str()));
    EXPECT_EQ(frame->manager.Records().Count(), 0u) << "closing the menu gave the items back";
    EXPECT_TRUE(AfxTestGrabMenuBarPopup(frame, 4, chrometest::GrabPath("menu_view.png").c_str()));
    EXPECT_FALSE(AfxTestGrabMenuBarPopup(frame, 40, chrometest::GrabPath("none.png").c_str()));
    frame->SetMenu(nullptr);
    frame->DestroyWindow();
    AfxPumpMessages();
}

}  // namespace

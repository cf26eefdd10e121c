// File, folder and colour dialogs under the script, printing a view to a PDF
// file, the tray icon, and the recent-file list in the application profile.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <vector>
#include <string>

#include "platform/afx/ui/tests/test_app.h"

namespace {

class ShellTest : public ScriptedUiTest {};

TEST_F(ShellTest, FileDialogsTakeScriptedPaths) {
    AfxTestScript::QueueFile("/data/pages/scan01.tif");
    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "Images (*.tif;*.bmp)|*.tif;*.bmp|All (*.*)|*.*||");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_STREQ(open.GetPathName(), "/data/pages/scan01.tif");
    EXPECT_STREQ(open.GetFileName(), "scan01.tif");
    EXPECT_STREQ(open.GetFileExt(), "tif");
    EXPECT_STREQ(open.GetFileTitle(), "scan01");
    EXPECT_STREQ(open.m_ofn.lpstrFile + open.m_ofn.nFileOffset, "scan01.tif");

    // Saving without an extension takes the default one.
    AfxTestScript::QueueFile("/data/out/job");
    CFileDialog save(FALSE, "OCR", nullptr, OFN_OVERWRITEPROMPT, "Jobs [*.OCR] |*.OCR|");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_STREQ(save.GetPathName(), "/data/out/job.OCR");

    // Several files: folder then names in the buffer, each path by iteration.
    AfxTestScript::QueueFiles({"/d/a.bmp", "/d/b.bmp"});
    CFileDialog multi(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    ASSERT_EQ(multi.DoModal(), IDOK);
    EXPECT_STREQ(multi.m_ofn.lpstrFile, "/d");
    EXPECT_STREQ(multi.m_ofn.lpstrFile + 3, "a.bmp");
    std::vector<std::string> paths;
    for (POSITION pos = multi.GetStartPosition(); pos;) paths.push_back(multi.GetNextPathName(pos).GetString());
    EXPECT_EQ(paths, (std::vector<std::string>{"/d/a.bmp", "/d/b.bmp"}));

    // Cancel, and a caller's buffer too small for the answer: nothing chosen.
    AfxTestScript::QueueFile("");
    CFileDialog cancelled(TRUE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    AfxTestScript::QueueFile("/a/very/long/path/name.txt");
    CFileDialog small(TRUE);
    char buf[8] = {0};
    small.m_ofn.lpstrFile = buf;
    small.m_ofn.nMaxFile = sizeof buf;
    EXPECT_EQ(small.DoModal(), IDCANCEL);
    EXPECT_EQ(buf[0], 0);

    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].kind, "file");
    EXPECT_EQ(shown[1].text, "Jobs [*.OCR] |*.OCR|");
}

TEST_F(ShellTest, FolderAndColourDialogs) {
    AfxTestScript::QueueFile("/home/user/Documents/Scans");
    char name[MAX_PATH] = {0};
    BROWSEINFO bi{nullptr, nullptr, name, "Pick a folder", BIF_RETURNONLYFSDIRS, nullptr, 0, 0};
    LPITEMIDLIST list = SHBrowseForFolder(&bi);
    ASSERT_NE(list, nullptr);
    char path[MAX_PATH];
    EXPECT_TRUE(SHGetPathFromIDList(list, path));
    EXPECT_STREQ(path, "/home/user/Documents/Scans");
    EXPECT_STREQ(name, "Scans");
    CoTaskMemFree(list);
    AfxTestScript::QueueFile("");
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);

    AfxTestScript::QueueAnswer(IDOK);
    AfxTestScript::QueueFile("#FF8000");
    CColorDialog color(RGB(1, 2, 3));
    ASSERT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), RGB(255, 128, 0));
    CColorDialog kept(RGB(1, 2, 3));
    EXPECT_EQ(kept.DoModal(), IDCANCEL);
    EXPECT_EQ(kept.GetColor(), RGB(1, 2, 3));
}

class PrintDoc : public CDocument {
    DECLARE_DYNCREATE(PrintDoc)
};
IMPLEMENT_DYNCREATE(PrintDoc, CDocument)

class PrintView : public CView {
    DECLARE_DYNCREATE(PrintView)
public:
    int pages = 0;
    BOOL OnPreparePrinting(CPrintInfo* info) override {
        info->SetMaxPage(2);
        return DoPreparePrinting(info);
    }
    void OnDraw(CDC* dc) override {
        ++pages;
        dc->FillSolidRect(100, 100, 400, 200, RGB(0, 0, 0));
    }
};
IMPLEMENT_DYNCREATE(PrintView, CView)

TEST_F(ShellTest, ViewsPrintToAPdfFileWithoutAPrinter) {
    QString out = QCoreApplication::applicationDirPath() + "/../test-output/afx_ui";
    QDir().mkpath(out);
    QString pdf = QDir(out).absoluteFilePath("printed.pdf");
    QFile::remove(pdf);
    setenv("SUITE_PRINT_PDF", pdf.toLocal8Bit().constData(), 1);
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Print"));
    auto* doc = new PrintDoc;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(PrintView);
    ctx.m_pCurrentDoc = doc;
    auto* view = static_cast<PrintView*>(frame->CreateView(&ctx));
    ASSERT_NE(view, nullptr);
    frame->SetActiveView(view, FALSE);
    AfxTestScript::QueueAnswer(IDOK);  // the print dialog
    frame->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    unsetenv("SUITE_PRINT_PDF");
    EXPECT_EQ(view->pages, 2);
    EXPECT_EQ(AfxLastPrintOutput().GetString(), pdf.toStdString());
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray head = f.read(5);
    EXPECT_EQ(head, QByteArray("%PDF-"));
    EXPECT_GT(f.size(), 500);
    // A cancelled print dialog prints nothing.
    AfxTestScript::QueueAnswer(IDCANCEL);
    frame->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_EQ(view->pages, 2);
    frame->DestroyWindow();
}

TEST_F(ShellTest, TrayIconsAreKeptWithOrWithoutANotificationArea) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Tray", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    NOTIFYICONDATA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner.m_hWnd;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 50;
    nid.hIcon = AfxGetApp()->LoadStandardIcon(IDI_APPLICATION);
    std::snprintf(nid.szTip, sizeof nid.szTip, "Scanner ready");
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, &nid));  // already there
    std::snprintf(nid.szTip, sizeof nid.szTip, "Scanning");
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, &nid));
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &nid));
    owner.DestroyWindow();
}

TEST(RecentFiles, MostRecentFirstWithoutRepeats) {
    CRecentFileList list(0, "Recent File List", "File%d", 3);
    list.Add("/a/one.tif");
    list.Add("/a/two.tif");
    list.Add("/a/ONE.tif");  // names compare without case: moves to the top
    EXPECT_STREQ(list[0], "/a/ONE.tif");
    EXPECT_STREQ(list[1], "/a/two.tif");
    EXPECT_EQ(list.GetCount(), 2);
    list.Add("/a/three.tif");
    list.Add("/a/four.tif");
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_STREQ(list[2], "/a/ONE.tif");  // the oldest, two.tif, fell off
    list.Remove(0);
    EXPECT_STREQ(list[0], "/a/three.tif");
    EXPECT_TRUE(list[2].IsEmpty());
    list.Add("");
    EXPECT_EQ(list.GetCount(), 2);
}


// The items of `menu` as "text|enabled" lines.
std::vector<std::string> MenuLines(CMenu& menu) {
    std::vector<std::string> lines;
    for (UINT i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString text;
        menu.GetMenuString(i, text, MF_BYPOSITION);
        const bool grey = (menu.GetMenuState(i, MF_BYPOSITION) & MF_GRAYED) != 0;
        lines.push_back(std::string(text.GetString()) + (grey ? "|off" : "|on"));
    }
    return lines;
}

TEST(RecentFiles, TheMenuShowsNumberedEntriesInPlaceOfItsPlaceholder) {
    EnsureUi();
    CMenu file;
    ASSERT_TRUE(file.CreatePopupMenu());
    file.AppendMenu(MF_STRING, ID_FILE_OPEN, "Open");
    file.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, "Recent files");
    file.AppendMenu(MF_STRING, ID_APP_EXIT, "Exit");
    CRecentFileList list(0, "Recent File List", "File%d", 11, 20);
    auto update = [&] {
        CCmdUI ui;
        ui.m_pMenu = &file;
        ui.m_nIndex = 1;
        ui.m_nID = ID_FILE_MRU_FILE1;
        ui.m_nIndexMax = file.GetMenuItemCount();
        list.UpdateMenu(&ui);
        return ui.m_nIndex;
    };
    // Nothing listed: the placeholder stays, disabled.
    update();
    EXPECT_EQ(MenuLines(file), (std::vector<std::string>{"Open|on", "Recent files|off", "Exit|on"}));
    list.Add("C:\\pages\\R&D.tif");
    list.Add("C:\\a very long folder name\\deeper\\page.tif");
    EXPECT_EQ(update(), 2u) << "the walk goes on after the last entry";
    EXPECT_EQ(MenuLines(file), (std::vector<std::string>{"Open|on", "&1 C:\\...\\page.tif|on", "&2 C:\\pages\\R&&D.tif|on",
                                                         "Exit|on"}));
    // Shown again: the same entries, none twice.
    update();
    EXPECT_EQ(file.GetMenuItemCount(), 4u);
    // The eleventh entry is numbered 1 again (the numbers are single keys).
    for (int i = 3; i <= 11; ++i) list.Add(("C:\\p\\" + std::to_string(i) + ".tif").c_str());
    update();
    ASSERT_EQ(file.GetMenuItemCount(), 13u);
    CString tenth, eleventh;
    file.GetMenuString(10, tenth, MF_BYPOSITION);
    file.GetMenuString(11, eleventh, MF_BYPOSITION);
    EXPECT_STREQ(tenth, "&0 C:\\...\\page.tif");
    EXPECT_STREQ(eleventh, "&1 C:\\pages\\R&&D.tif");
    // Emptied: the placeholder again, with its own text.
    for (int i = 0; i < 11; ++i) list.Remove(0);
    update();
    EXPECT_EQ(MenuLines(file), (std::vector<std::string>{"Open|on", "Recent files|off", "Exit|on"}));
}

TEST(RecentFiles, FilesOfTheCurrentFolderShowByName) {
    CRecentFileList list(0, "Recent File List", "File%d", 4, 30);
    list.Add("C:\\work\\scans\\one.tif");
    list.Add("C:\\work\\scans\\sub\\two.tif");
    CString name;
    ASSERT_TRUE(list.GetDisplayName(name, 1, "C:\\work\\scans", 13));
    EXPECT_STREQ(name, "one.tif");
    ASSERT_TRUE(list.GetDisplayName(name, 0, "C:\\work\\scans", 13));
    EXPECT_STREQ(name, "C:\\work\\scans\\sub\\two.tif") << "in a folder below: the whole path";
    ASSERT_TRUE(list.GetDisplayName(name, 1, "C:\\work\\sc", 11));
    EXPECT_STREQ(name, "C:\\work\\scans\\one.tif") << "a folder whose name only begins alike";
    EXPECT_FALSE(list.GetDisplayName(name, 2, nullptr, 0));
}

}  // namespace

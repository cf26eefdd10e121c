// Common dialogs as their callers use them: names and folders of scripted
// file dialogs, what a cancel leaves, filters written into the record;
// dialogs that nobody can answer; printing that leaves no partial file; the
// tray icon's bounds.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstring>
#include <string>
#include <vector>

#include "platform/afx/ui/tests/test_app.h"

namespace {

class ScriptedDialogs : public ScriptedUiTest {};

// The names of a multiple selection as callers walk the buffer: the folder,
// then each name, joined with a separator unless the folder ends in one.
std::vector<std::string> WalkBuffer(const char* buf) {
    std::string folder = buf;
    std::vector<std::string> out;
    for (const char* p = buf + folder.size() + 1; *p; p += std::strlen(p) + 1)
        out.push_back(folder + (folder.back() == '/' ? "" : "/") + p);
    return out;
}

std::vector<std::string> Iterated(const CFileDialog& dlg) {
    std::vector<std::string> out;
    for (POSITION pos = dlg.GetStartPosition(); pos;) out.push_back(dlg.GetNextPathName(pos).GetString());
    return out;
}

TEST_F(ScriptedDialogs, NamesSplitAtTheRealFolderSeparator) {
    // Files at the root: the folder is "/", not an empty first string that ends the list.
    std::vector<char> buf(10000, 0);
    CFileDialog multi(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
    multi.m_ofn.lpstrFile = buf.data();
    multi.m_ofn.nMaxFile = static_cast<DWORD>(buf.size());
    AfxTestScript::QueueFiles({"/a.tif", "/b.tif"});
    ASSERT_EQ(multi.DoModal(), IDOK);
    EXPECT_STREQ(buf.data(), "/");
    EXPECT_EQ(WalkBuffer(buf.data()), (std::vector<std::string>{"/a.tif", "/b.tif"}));
    EXPECT_EQ(Iterated(multi), (std::vector<std::string>{"/a.tif", "/b.tif"}));

    CFileDialog one(TRUE);
    AfxTestScript::QueueFile("/scan.tif");
    ASSERT_EQ(one.DoModal(), IDOK);
    EXPECT_STREQ(one.GetFileName(), "scan.tif");
    EXPECT_EQ(one.m_ofn.nFileOffset, 1);
    EXPECT_EQ(one.m_ofn.nFileExtension, 6);

    // A double-byte character whose second byte is a backslash is no separator.
    const char* name = "\\data\\\xB1\x5C\xD2\xB3.tif";
    AfxTestScript::QueueFile(name);
    CFileDialog dbcs(TRUE);
    ASSERT_EQ(dbcs.DoModal(), IDOK);
    EXPECT_STREQ(dbcs.GetFileName(), "\xB1\x5C\xD2\xB3.tif");
    EXPECT_STREQ(dbcs.GetFileTitle(), "\xB1\x5C\xD2\xB3");
    EXPECT_STREQ(dbcs.m_ofn.lpstrFile + dbcs.m_ofn.nFileOffset, "\xB1\x5C\xD2\xB3.tif");
    AfxTestScript::QueueFile("\\data\\\xB1\x5C\xD2\xB3");
    CFileDialog save(FALSE, "txt");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_STREQ(save.GetPathName(), "\\data\\\xB1\x5C\xD2\xB3.txt");
}

TEST_F(ScriptedDialogs, DialogsStartInTheInitialFolderOrThatOfTheInitialName) {
    // The caller's own buffer holds the initial name.
    std::vector<char> buf(10000, 0);
    std::strcpy(buf.data(), "/scans/last.tif");
    CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, "Images|*.tif||");
    open.m_ofn.lpstrFile = buf.data();
    open.m_ofn.nMaxFile = static_cast<DWORD>(buf.size());
    AfxTestScript::QueueFile("next.tif");  // typed into the dialog
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_STREQ(open.GetPathName(), "/scans/next.tif");

    CFileDialog multi(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    multi.m_ofn.lpstrInitialDir = "/scans/in/";
    AfxTestScript::QueueFiles({"a.tif", "b.tif"});
    ASSERT_EQ(multi.DoModal(), IDOK);
    EXPECT_EQ(Iterated(multi), (std::vector<std::string>{"/scans/in/a.tif", "/scans/in/b.tif"}));

    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].folder, "/scans");
    EXPECT_EQ(shown[0].name, "last.tif");
    EXPECT_EQ(shown[1].folder, "/scans/in/");
    EXPECT_EQ(shown[1].name, "");
}

TEST_F(ScriptedDialogs, CancelLeavesTheNameAsItWas) {
    CFileDialog save(FALSE, "txt", "result.txt", OFN_OVERWRITEPROMPT, "Text|*.txt||");
    AfxTestScript::QueueFile("");
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_STREQ(save.GetPathName(), "result.txt");
    EXPECT_STREQ(save.m_ofn.lpstrFile, "result.txt");

    AfxTestScript::QueueFile("/out/a");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_STREQ(save.GetPathName(), "/out/a.txt");
    // Nothing queued: the dialog is cancelled (and recorded), never answered silently.
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_STREQ(save.GetPathName(), "/out/a.txt");
    // An answer too long for the buffer changes nothing either.
    char small[12] = "/out/a.txt";
    save.m_ofn.lpstrFile = small;
    save.m_ofn.nMaxFile = sizeof small;
    AfxTestScript::QueueFile("/a/much/longer/name.txt");
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_STREQ(save.GetPathName(), "/out/a.txt");
    EXPECT_EQ(Iterated(save), std::vector<std::string>{"/out/a.txt"});

    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].result, IDCANCEL);
}

TEST_F(ScriptedDialogs, FiltersWrittenIntoTheRecordTakeEitherForm) {
    CFileDialog open(TRUE);
    open.m_ofn.lpstrFilter = "Text (*.txt)\0*.txt\0All\0*.*\0\0";
    AfxTestScript::QueueFile("/t/x.txt");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.m_ofn.nFilterIndex, 1u);  // none chosen: the first
    open.m_ofn.nFilterIndex = 2;
    AfxTestScript::QueueFile("/t/y.txt");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.m_ofn.nFilterIndex, 2u);
    open.m_ofn.nFilterIndex = 9;  // past the last
    AfxTestScript::QueueFile("/t/z.txt");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.m_ofn.nFilterIndex, 1u);

    CFileDialog barred(TRUE);
    barred.m_ofn.lpstrFilter = "Images|*.tif;*.bmp||";
    AfxTestScript::QueueFile("");
    barred.DoModal();
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, "Text (*.txt)|*.txt|All|*.*||");
    EXPECT_EQ(shown[3].text, "Images|*.tif;*.bmp||");
}

// Without a script and without a screen nobody can answer: the dialogs say
// so and return as if closed, instead of waiting for ever.
TEST(UnansweredDialogs, AScreenlessPlatformGetsTheClosedAnswerAtOnce) {
    EnsureUi();
    AfxTestScript::Enable(false);
    EXPECT_EQ(AfxMessageBox("Save the changes?", MB_YESNOCANCEL | MB_DEFBUTTON1), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Replace it?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("Done."), IDOK);
    EXPECT_EQ(::MessageBox(nullptr, "Stop?", nullptr, MB_RETRYCANCEL), IDCANCEL);
    CFileDialog open(TRUE, nullptr, "kept.tif");
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_STREQ(open.GetPathName(), "kept.tif");
    CColorDialog colour(RGB(1, 2, 3));
    EXPECT_EQ(colour.DoModal(), IDCANCEL);
    EXPECT_EQ(colour.GetColor(), RGB(1, 2, 3));
    char name[MAX_PATH] = {0};
    BROWSEINFO bi{nullptr, nullptr, name, "Folder", BIF_RETURNONLYFSDIRS, nullptr, 0, 0};
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 100, "Item");
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, nullptr), 0);
}

class Printing : public ScriptedDialogs {
protected:
    void SetUp() override {
        ScriptedDialogs::SetUp();
        dir = QCoreApplication::applicationDirPath() + "/../test-output/afx_ui_print";
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
    }
    QStringList Files() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }
    std::string Path(const char* name) const { return QDir(dir).absoluteFilePath(name).toStdString(); }
    QString dir;
};

TEST_F(Printing, DocumentsReachTheirFileWholeOrNotAtAll) {
    // A print dialog with no scripted answer is cancelled like any other.
    CPrintDialog unanswered(FALSE);
    EXPECT_EQ(unanswered.DoModal(), IDCANCEL);
    EXPECT_EQ(unanswered.GetPrinterDC(), nullptr);

    CPrintDialog pd(FALSE);
    ASSERT_TRUE(pd.GetDefaults());
    HDC dc = pd.GetPrinterDC();
    std::string done = Path("done.pdf");
    DOCINFO di{sizeof(DOCINFO), "Pages", done.c_str(), nullptr, 0};
    ASSERT_EQ(StartDoc(dc, &di), 1);
    ASSERT_EQ(StartPage(dc), 1);
    CDC::FromHandle(dc)->FillSolidRect(100, 100, 300, 300, RGB(0, 0, 0));
    ASSERT_EQ(EndPage(dc), 1);
    // Until the document ends its file does not exist under its name.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(done)));
    ASSERT_EQ(StartPage(dc), 1);
    ASSERT_EQ(EndPage(dc), 1);
    ASSERT_EQ(EndDoc(dc), 1);
    EXPECT_EQ(Files(), QStringList{"done.pdf"});
    EXPECT_EQ(AfxLastPrintOutput().GetString(), done);
    QFile pdf(QString::fromStdString(done));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.read(5), QByteArray("%PDF-"));

    // An aborted document keeps the old file and reports no new output.
    std::string kept = Path("kept.pdf");
    {
        QFile old(QString::fromStdString(kept));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    DOCINFO di2{sizeof(DOCINFO), "Aborted", kept.c_str(), nullptr, 0};
    ASSERT_EQ(StartDoc(dc, &di2), 1);
    ASSERT_EQ(StartPage(dc), 1);
    ASSERT_EQ(EndPage(dc), 1);
    EXPECT_EQ(AbortDoc(dc), 1);
    EXPECT_EQ(AfxLastPrintOutput().GetString(), done);
    QFile again(QString::fromStdString(kept));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("old contents"));
    EXPECT_EQ(Files(), (QStringList{"done.pdf", "kept.pdf"}));

    // A folder that does not exist: the document cannot start.
    std::string nowhere = Path("missing/out.pdf");
    DOCINFO di3{sizeof(DOCINFO), "Nowhere", nowhere.c_str(), nullptr, 0};
    EXPECT_EQ(StartDoc(dc, &di3), SP_ERROR);
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
}

TEST(TrayIcons, IconsGoAfterTheirWindowAndTipsNeedNoTerminator) {
    EnsureUi();
    auto* owner = new CWnd;
    ASSERT_TRUE(owner->CreateEx(0, nullptr, "Tray", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    NOTIFYICONDATA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = owner->m_hWnd;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 7;
    std::memset(nid.szTip, 'x', sizeof nid.szTip);  // a full field, no terminator
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, &nid));
    // Messages that are neither add, change nor delete add nothing.
    NOTIFYICONDATA other = nid;
    other.uID = 5;
    EXPECT_FALSE(Shell_NotifyIcon(3, &other));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &other));
    owner->DestroyWindow();
    delete owner;
    // Its window has gone: it can no longer change, but it can still be removed.
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, &nid));
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, &nid));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, &nid));
}

}  // namespace

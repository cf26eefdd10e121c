// The password and split-progress dialogs: their controllers alone, and the
// windows from the language library's templates.
#include "shell/dialogs/pdf_password_dlg.h"
#include "shell/dialogs/pdf_split_progress_dlg.h"
#include "shell/dialogs/tests/dialog_test_fixture.h"

#include "platform/win/codepage.h"

#include <chrono>

namespace {

TEST(PdfPasswordController, TheFileLineAlwaysNamesTheFile) {
    EXPECT_EQ(CPdfPasswordController::ProtectedLine("文件\"%s\"被保护", "C:\\a.pdf"), "文件\"C:\\a.pdf\"被保护");
    EXPECT_EQ(CPdfPasswordController::ProtectedLine("文件", "C:\\a.pdf"), "文件\"C:\\a.pdf\"");
    // A path holding format directives is shown as it stands.
    EXPECT_EQ(CPdfPasswordController::ProtectedLine("%s %d", "%s%n.pdf"), "%s%n.pdf %d");
}

TEST(PdfPasswordController, AnEmptyPasswordIsAskedAgain) {
    CPdfPasswordController c;
    EXPECT_FALSE(c.Confirm(""));
    EXPECT_TRUE(c.Password().empty());
    EXPECT_TRUE(c.Confirm(" "));
    EXPECT_EQ(c.Password(), " ");
}

TEST(SplitProgressController, StepsOutsideTheRangeChangeNothingAndAStopEndsTheSplit) {
    CSplitProgressController c;
    c.SetRange(5);
    const std::string format = "当前PDF共%d页，正在拆分第%d页";
    EXPECT_EQ(c.Step(0, 5, -1, format), 1);
    EXPECT_EQ(c.Step(6, 5, 5, format), 1);
    EXPECT_EQ(c.Position(), 0);
    EXPECT_TRUE(c.StatusLine().empty());
    EXPECT_EQ(c.Step(2, 5, 1, format), 1);
    EXPECT_EQ(c.Position(), 2);
    EXPECT_EQ(c.StatusLine(), "当前PDF共5页，正在拆分第2页");
    c.Stop();
    EXPECT_EQ(c.Step(3, 5, 2, format), 0);
    EXPECT_EQ(c.Position(), 2);
    c.SetRange(-3);
    EXPECT_EQ(c.Range(), 0);
}

TEST(SplitProgressController, FormatsOnlyNumbersWhereverTheTextHasThem) {
    EXPECT_EQ(FormatNumbers("%d of %d", {3, 7}), "3 of 7");
    EXPECT_EQ(FormatNumbers("%s %d %d %d", {1, 2}), "%s 1 2 %d");
    EXPECT_EQ(FormatNumbers("100%", {1}), "100%");
}

TEST(SplitProgressController, LongNamesAreCutBetweenCharacters) {
    // 28 characters + ".PDF" = 32: kept whole.
    const std::string name28(28, 'a');
    EXPECT_EQ(CSplitProgressController::FileLine("打开文件:", name28), "打开文件:" + name28 + ".PDF");
    EXPECT_EQ(CSplitProgressController::FileLine("", name28 + "b"), name28 + "...");
    // Double-byte names in the ANSI code page: 20 characters of two bytes
    // each are 24 characters with ".PDF", kept; 30 are cut after 28 whole ones.
    std::string wide;
    for (int i = 0; i < 30; ++i) wide += "\xD6\xD0";  // 中 in GBK
    const std::string cut = CSplitProgressController::FileLine("", wide);
    EXPECT_EQ(cut, wide.substr(0, 56) + "...");
    EXPECT_EQ(CSplitProgressController::FileLine("", wide.substr(0, 40)), wide.substr(0, 40) + ".PDF");
    // Mixed: one ASCII letter first shifts every double-byte character by one byte.
    const std::string mixed = "x" + wide;
    EXPECT_EQ(CSplitProgressController::FileLine("", mixed), mixed.substr(0, 1 + 27 * 2) + "...");
}

class PdfDialogs : public ShellDialogTest {};

void TypePassword(CWnd* dialog, void* text) {
    dialog->SetDlgItemText(IDC_PDF_PASSWORD, static_cast<const char*>(text));
    static_cast<CDialog*>(dialog)->OnOK();
}

TEST_F(PdfDialogs, PasswordDialogAsksAgainForAnEmptyPasswordAndEndsWithTheTypedOne) {
    AfxTestScript::QueueDialogAction(TypePassword, const_cast<char*>(""));
    CPdfPasswordDlg empty("C:\\docs\\locked.pdf");
    EXPECT_EQ(empty.DoModal(), IDCANCEL) << "the empty password kept the dialog open";
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Text(61466));

    AfxTestScript::QueueDialogAction(TypePassword, const_cast<char*>("secret"));
    CPdfPasswordDlg typed("C:\\docs\\locked.pdf");
    EXPECT_EQ(typed.DoModal(), IDOK);
    EXPECT_EQ(std::string(typed.m_strPassword.GetString()), "secret");
}

TEST_F(PdfDialogs, PasswordDialogThatItsCallerGaveUpOnEndsCancelled) {
    // A real modal wait: only the dialog's own check can end it.
    AfxTestScript::Enable(false);
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    CPdfPasswordDlg dialog("C:\\a.pdf", nullptr, [&] { return std::chrono::steady_clock::now() > giveUpAt; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(dialog.m_strPassword.IsEmpty());
}

TEST_F(PdfDialogs, SplitProgressWindowShowsThePagesAndStopsOnlyTheSplit) {
    CFrameWnd* owner = new CFrameWnd;
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    CPdfSplitProgressDlg progress;
    ASSERT_TRUE(progress.Create(owner));
    progress.SetRange(12);
    progress.SetFileName(suite::Utf8ToAnsi("报告"));
    CString line;
    progress.GetDlgItemText(IDC_SPLIT_FILE, line);
    EXPECT_EQ(suite::AnsiToUtf8(line.GetString()), "打开文件:报告.PDF");
    EXPECT_EQ(progress.Step(12, 12, 11), 1);
    progress.GetDlgItemText(IDC_SPLIT_STATUS, line);
    EXPECT_EQ(suite::AnsiToUtf8(line.GetString()), "当前PDF共12页，正在拆分第12页");
    auto* bar = static_cast<CProgressCtrl*>(progress.GetDlgItem(IDC_SPLIT_BAR));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetPos(), 12);
    // "中止" (button 2) sets the stop; the window stays.
    progress.SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(progress.GetSafeHwnd() != nullptr);
    EXPECT_EQ(progress.Step(1, 12, 0), 0);
    // A disabled owner stays disabled after the window goes.
    owner->EnableWindow(FALSE);
    progress.Destroy();
    EXPECT_EQ(progress.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(owner->IsWindowEnabled());
    owner->DestroyWindow();
}

TEST_F(PdfDialogs, WithoutItsTemplateTheSplitWindowChangesNothing) {
    AfxSetResourceHandle(nullptr);
    FreeLibrary(library_);
    library_ = nullptr;
    CPdfSplitProgressDlg progress;
    EXPECT_FALSE(progress.Create(nullptr));
    progress.SetRange(3);
    progress.SetFileName("x");
    EXPECT_EQ(progress.Step(1, 3, 0), 1);
    progress.Destroy();
}

}  // namespace

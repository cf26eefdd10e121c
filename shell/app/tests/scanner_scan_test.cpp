// Scans through the scanner glue and SANE's test device, end to end in the
// program: the scan command's settings dialog, grey pages saved as .jpg,
// 1-bit pages renamed .tif, a feeder run of ten rows, the scan commands
// disabled while the glue is busy, the user's answers on existing names,
// and a page that cannot be written.
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "outside/scan/tests/sane_test_device.h"
#include "outside/vantor32/source_dialogs.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/msgbox.h"
#include "shell/app/queue_file.h"
#include "shell/app/scribant_commands.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

struct SourceChoice {
    int mode;  // 0 colour, 1 grey, 2 black and white
    bool feeder;
};

class ScannerScan : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        scantest::PrepareSaneTestDevice(root_ / "sane");
        unsetenv("SUITE_SCAN_DEVICE");
        ASSERT_TRUE(Start());
        frame = app_->MainFrame();
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(app_->Scanner().IsReady());
        AfxTestScript::Clear();
    }
    std::string scanName(const std::string& file) { return app_->m_strDataDir + "\\IMAGE\\" + file; }
    fs::path native(const std::string& file) { return Data() / "IMAGE" / file; }

    // The scan command with the scanner's settings dialog answered.
    void scan(SourceChoice choice) {
        static SourceChoice chosen;
        chosen = choice;
        AfxTestScript::QueueDialogAction(
            [](CWnd* dialog, void*) {
                dialog->SendDlgItemMessage(vantor::kModeListId, CB_SETCURSEL, WPARAM(chosen.mode));
                dialog->SendDlgItemMessage(vantor::kFeederId, BM_SETCHECK, chosen.feeder ? BST_CHECKED : BST_UNCHECKED);
                dialog->SetDlgItemText(vantor::kResolutionId, "300");
            },
            nullptr);
        AfxTestScript::QueueAnswer(IDOK);
        frame->SendMessage(WM_COMMAND, ID_FILE_SCAN, 0);
    }
    // The run's end: the glue has stopped, its idle state has reached the
    // frame, and every page it posted has been handled.
    bool waitIdle() {
        return PumpUntil(
            [&] {
                MSG m;
                return !app_->Scanner().IsSourceOpen() && frame->IsScanIdle() &&
                       !PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);
            },
            30000);
    }
    bool scanEnabled() {
        struct Probe : CCmdUI {
            bool enabled = true;
            void Enable(BOOL on) override { enabled = on != FALSE; }
            void SetCheck(int) override {}
            void SetText(LPCTSTR) override {}
        } probe;
        probe.m_nID = ID_FILE_SCAN;
        probe.DoUpdate(frame, TRUE);
        return probe.enabled;
    }
    static std::string magic(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        char bytes[4] = {};
        in.read(bytes, 4);
        return std::string(bytes, 4);
    }
    CMainFrame* frame = nullptr;
};

TEST_F(ScannerScan, AGreyPageIsSavedAsJpgAndTheNameMovesOn) {
    app_->m_settings.saveAsJpg = true;
    app_->SetScanName(scanName("OR001.tif"));
    scan({1, false});
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), scanName("OR001.jpg"));
    EXPECT_EQ(magic(native("OR001.jpg")).substr(0, 2), "\xFF\xD8");
    EXPECT_FALSE(fs::exists(native("OR001.tif")));
    EXPECT_EQ(app_->ScanName(), scanName("OR002.tif"));
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter), "   1  /  1");
    EXPECT_EQ(app_->PageListItemText(0, kPageListResolution), "300");
}

TEST_F(ScannerScan, AScanLeavesThePathsOtherStartsHandedOverQueued) {
    ASSERT_TRUE(app_->Queue().Append("C:\\handed\\over.tif"));
    app_->SetScanName(scanName("OR001.tif"));
    scan({1, false});
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->Queue().TakeAll(), std::vector<std::string>{"C:\\handed\\over.tif"});
}

TEST_F(ScannerScan, AOneBitPageNamedJpgIsSavedAsTif) {
    app_->m_settings.saveAsJpg = true;
    app_->SetScanName(scanName("page.jpg"));
    scan({2, false});
    EXPECT_EQ(app_->ScanName(), scanName("page001.jpg")) << "the counter is added before the acquisition";
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), scanName("page001.tif"));
    EXPECT_EQ(magic(native("page001.tif")).substr(0, 2), "II");
    EXPECT_FALSE(fs::exists(native("page001.jpg")));
    EXPECT_EQ(app_->ScanName(), scanName("page002.tif"));
}

TEST_F(ScannerScan, AFeederRunListsTenRowsAndScanningWaitsMeanwhile) {
    app_->m_settings.saveAsJpg = true;
    app_->SetScanName(scanName("OR001.tif"));
    EXPECT_TRUE(scanEnabled());
    scan({1, true});
    // The busy state is the first message of the run; the pages wait behind it.
    MSG first;
    ASSERT_TRUE(PeekMessage(&first, nullptr, WM_SCANSTATE, WM_SCANSTATE, PM_REMOVE));
    DispatchMessage(&first);
    EXPECT_FALSE(frame->IsScanIdle());
    EXPECT_FALSE(scanEnabled()) << "no second scan while the glue is busy";
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(scanEnabled());
    ASSERT_EQ(app_->PageListRowCount(), 10);
    for (int i = 0; i < 10; ++i) {
        char file[16];
        std::snprintf(file, sizeof file, "OR%03d.jpg", i + 1);
        EXPECT_EQ(app_->PageListItemText(i, kPageListPath), scanName(file));
        EXPECT_GT(fs::file_size(native(file)), 1000u) << file;
    }
    EXPECT_EQ(app_->ScanName(), scanName("OR011.tif"));
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter), "  10  /  10");
    EXPECT_TRUE(AfxTestScript::Shown().size() == 1u) << "only the settings dialog was shown";
}

TEST_F(ScannerScan, ExistingNamesFollowTheUsersAnswer) {
    app_->m_settings.saveAsJpg = true;
    std::ofstream(native("OR001.jpg")) << "kept";
    app_->SetScanName(scanName("OR001.tif"));
    // Cancel: the page is dropped and the file untouched.
    scan({1, false});
    AfxTestScript::QueueAnswer(IDCANCEL);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_EQ(fs::file_size(native("OR001.jpg")), 4u);
    // No, then another name: saved there, the old file kept.
    scan({1, false});
    AfxTestScript::QueueAnswer(IDNO);
    AfxTestScript::QueueFile(native("other001.jpg").string());
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(fs::file_size(native("OR001.jpg")), 4u);
    EXPECT_EQ(magic(native("other001.jpg")).substr(0, 2), "\xFF\xD8");
    // Yes: replaced in place.
    app_->SetScanName(scanName("OR001.tif"));
    scan({1, false});
    AfxTestScript::QueueAnswer(IDYES);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(app_->PageListRowCount(), 2);
    EXPECT_EQ(app_->PageListItemText(1, kPageListPath), scanName("OR001.jpg"));
    EXPECT_EQ(magic(native("OR001.jpg")).substr(0, 2), "\xFF\xD8");
}

TEST_F(ScannerScan, AListedNameWhoseFileIsGoneTakesThePageInItsRow) {
    app_->m_settings.saveAsJpg = true;
    std::ofstream(native("first.tif")) << "x";
    ASSERT_TRUE(app_->m_task.AddImageToList(scanName("first.tif"), 0));
    ASSERT_TRUE(app_->m_task.AddImageToList(scanName("OR001.jpg"), 0));  // listed, no file
    app_->SetScanName(scanName("OR001.tif"));
    scan({1, false});
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(app_->PageListRowCount(), 2) << "no second row for the name";
    EXPECT_EQ(app_->PageListItemText(1, kPageListPath), scanName("OR001.jpg"));
    EXPECT_EQ(magic(native("OR001.jpg")).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(app_->PageListCurrentRow(), 1);
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter), "   2  /  2");
}

TEST_F(ScannerScan, APageThatCannotBeWrittenIsToldAndNotListed) {
    app_->m_settings.saveAsJpg = true;
    app_->SetScanName(scanName("OR001.tif"));
    // Without the conversion library no picture file can be written.
    HMODULE convert = std::exchange(app_->m_hConvertDll, nullptr);
    scan({1, false});
    ASSERT_TRUE(waitIdle());
    app_->m_hConvertDll = convert;
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_FALSE(fs::exists(native("OR001.jpg")));
    EXPECT_FALSE(fs::exists(native("OR001.tif"))) << "no empty placeholder";
    bool told = false;
    for (const AfxShownRecord& r : AfxTestScript::Shown())
        told = told || r.text == "Can not save to file: " + scanName("OR001.jpg");
    EXPECT_TRUE(told);
    EXPECT_EQ(app_->ScanName(), scanName("OR001.tif")) << "the name is not used up";
}

TEST_F(ScannerScan, CancellingTheSettingsStartsNothing) {
    app_->SetScanName(scanName("OR001.tif"));
    AfxTestScript::QueueAnswer(IDCANCEL);
    frame->SendMessage(WM_COMMAND, ID_FILE_SCAN, 0);
    AfxPumpMessages();
    EXPECT_TRUE(frame->IsScanIdle());
    EXPECT_EQ(app_->PageListRowCount(), 0);
}

}  // namespace
}  // namespace scribanttest

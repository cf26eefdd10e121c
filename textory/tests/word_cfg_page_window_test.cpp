// The "Word" page in a settings sheet as a person sees it: its controls
// checked and enabled from its state, a click on "插入Word文档" changing what
// is enabled, and a picture of the page ($TEXTORY_GRAB_DIR).
#include "textory/settings/word_cfg_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/library.h"
#include "textory/tests/grab_canvas.h"

namespace {

struct PageRun {
    CPropertySheet* sheet;
    CWordCfgPage* page;
    bool columnEnabledBefore = false, columnEnabledAfter = true, breaksEnabledAfter = false;
    UINT insertChecked = 0;
};

TEST(TextoryWordPageWindow, ControlsFollowTheStateAndClicks) {
    AfxWinInit();
    HMODULE resources = LoadLibraryA("TextoryRes.DLL");
    ASSERT_NE(resources, nullptr);
    AfxSetResourceHandle(resources);
    AfxTestScript::Enable(true);

    CPropertySheet sheet("系统配置");
    CWordCfgPage page;
    TextorySettings settings;
    page.State().Fill(settings, false);
    page.detect = [] { return 1; };
    sheet.AddPage(&page);
    PageRun run{&sheet, &page};
    AfxTestScript::QueueDialogAction([](CWnd*, void* data) {
        auto* r = static_cast<PageRun*>(data);
        r->columnEnabledBefore = r->page->GetDlgItem(textory::kColumnInfoCheck)->IsWindowEnabled();
        const std::string folder = textorytest::GrabFolder();
        if (!folder.empty()) r->sheet->GrabToFile((folder + "/word-page.png").c_str());
        r->page->CheckRadioButton(textory::kNewDocumentRadio, textory::kInsertDocumentRadio,
                                  textory::kInsertDocumentRadio);
        r->page->SendMessage(WM_COMMAND, MAKEWPARAM(textory::kInsertDocumentRadio, BN_CLICKED), 0);
        r->columnEnabledAfter = r->page->GetDlgItem(textory::kColumnInfoCheck)->IsWindowEnabled();
        r->breaksEnabledAfter = r->page->GetDlgItem(textory::kFilterBreaksCheck)->IsWindowEnabled();
        r->insertChecked = r->page->IsDlgButtonChecked(textory::kInsertDocumentRadio);
        r->sheet->PressButton(PSBTN_OK);
    }, &run);
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(run.columnEnabledBefore);
    EXPECT_FALSE(run.columnEnabledAfter);
    EXPECT_TRUE(run.breaksEnabledAfter);
    EXPECT_EQ(run.insertChecked, 1u);
    page.State().Apply(settings);
    EXPECT_FALSE(settings.createToWord);

    AfxTestScript::Clear();
    AfxSetResourceHandle(nullptr);
    FreeLibrary(resources);
}

}  // namespace

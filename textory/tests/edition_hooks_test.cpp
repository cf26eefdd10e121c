// Where Textory's build of the shared document, views and settings goes its
// own way, through the shell's edition hooks: no PDF pages, the pointer
// switch kept while the main window is in a mode, and the settings command
// (32915) whose sheet ends with the "Word" page, saved with OK.
#include <gtest/gtest.h>

#include "platform/afx/ui/msgbox.h"
#include <cstdlib>

#include "platform/win/codepage.h"
#include "textory/app/textory_frame.h"
#include "textory/settings/word_cfg_page.h"
#include "textory/tests/waiting_textory.h"

namespace {

TEST(TextoryEditionHooks, NoPdfPagesAndThePointerKeptInAMode) {
    textorytest::WaitingTextory program;
    textorytest::QuietTextoryApp* app = program.App();
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(app->ReadsPdfImages());
    EXPECT_TRUE(app->PointerSwitchAllowed());
    // Region designation by hand: the main window is in its mode.
    app->m_workflow.Steps().SetOption(CWorkflowSteps::kFindRegions, 0);
    app->m_workflow.StepFindRegions();
    ASSERT_TRUE(app->m_workflow.InRegionMode());
    EXPECT_FALSE(app->PointerSwitchAllowed());
    app->m_workflow.LeaveMode();
    EXPECT_TRUE(app->PointerSwitchAllowed());
}

struct SheetRun {
    int pages = 0;
    bool lastIsWord = false;
};

TEST(TextoryEditionHooks, TheSettingsCommandEndsWithTheWordPageAndOkSavesIt) {
    textorytest::WaitingTextory program;
    textorytest::QuietTextoryApp* app = program.App();
    ASSERT_NE(app, nullptr);
    ASSERT_FALSE(app->m_textory.wordFilterLinefeedAuto);
    SheetRun run;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void* data) {
            auto* r = static_cast<SheetRun*>(data);
            auto* sheet = static_cast<CPropertySheet*>(dialog);
            r->pages = sheet->GetPageCount();
            auto* word = dynamic_cast<CWordCfgPage*>(sheet->GetPage(r->pages - 1));
            r->lastIsWord = word != nullptr;
            if (word) {
                sheet->SetActivePage(word);
                // In task-bar mode the line-break filter of automatic output may change.
                word->CheckDlgButton(textory::kFilterBreaksInputCheck, 1);
                word->SendMessage(WM_COMMAND, MAKEWPARAM(textory::kFilterBreaksInputCheck, BN_CLICKED), 0);
                // New text goes into an open document instead of a new one.
                word->CheckRadioButton(textory::kNewDocumentRadio, textory::kInsertDocumentRadio,
                                       textory::kInsertDocumentRadio);
                word->SendMessage(WM_COMMAND, MAKEWPARAM(textory::kInsertDocumentRadio, BN_CLICKED), 0);
                if (const char* folder = std::getenv("TEXTORY_GRAB_DIR"))
                    sheet->GrabToFile((std::string(folder) + "/textory_settings_sheet.png").c_str());
            }
            sheet->PressButton(PSBTN_OK);
        },
        &run);
    auto* frame = dynamic_cast<CTextoryFrame*>(app->m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->Modes()->ToolBarShown(), 128u);
    app->m_textory.autoTestWord = true;
    app->m_pMainWnd->SendMessage(WM_COMMAND, 32915, 0);
    EXPECT_EQ(run.pages, 3) << "the new-image and recognition pages, then Word";
    EXPECT_FALSE(app->m_textory.createToWord);
    EXPECT_EQ(frame->Modes()->ToolBarShown(), 140u) << "the main tool bar follows \"Create to Word\"";

    EXPECT_TRUE(run.lastIsWord);
    EXPECT_TRUE(app->m_textory.wordFilterLinefeedAuto) << "the page's choice taken";
    TextorySettings stored;
    stored.Load(*app);
    EXPECT_TRUE(stored.wordFilterLinefeedAuto) << "and written to the profile";

    // Cancelled: nothing changes.
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) { static_cast<CPropertySheet*>(dialog)->PressButton(PSBTN_CANCEL); }, nullptr);
    app->m_textory.wordFilterLinefeedAuto = false;
    app->m_pMainWnd->SendMessage(WM_COMMAND, 32915, 0);
    EXPECT_FALSE(app->m_textory.wordFilterLinefeedAuto);
    stored.Load(*app);
    EXPECT_TRUE(stored.wordFilterLinefeedAuto);
}

}  // namespace

// The settings sheet: Cancel leaves settings and profile alone, Apply then
// Cancel keeps the applied values in memory only, OK writes them at once; a
// speed typed as 90 is refused; the colour list sorts its eight colours
// into one fixed order; damaged stored values come up as the defaults.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>

#include "platform/afx/ui/testing.h"
#include "shell/app/scribant_settings.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/settings/cfg_sheet.h"

namespace scribanttest {
namespace {

class CfgSheetTest : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        app.SetRegistryKey("Orvane");
        resources = LoadLibraryA("\\Ruvuradavad.DLL");
        ASSERT_NE(resources, nullptr);
        AfxSetResourceHandle(resources);
        settings.Load(app, "C:\\Data", "C:\\WINDOWS");
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        if (resources) FreeLibrary(resources);
        ScribantHome::TearDown();
    }
    // Every stored value of the settings' sections.
    std::vector<std::string> Stored() {
        std::vector<std::string> out;
        for (const char* key : {"Pen Color", "Pen Width", "Mouse Sensibility", "Reco Speed", "IngoredFlag",
                                "Auto adjust", "CodeType", "LangCode", "SaveAsJpg"})
            out.push_back(std::to_string(app.GetProfileInt("Config", key, -12345)));
        return out;
    }
    CWinApp holder{"Scribant"};
    CWinApp& app = holder;
    ScribantSettings settings;
    HMODULE resources = nullptr;
};

struct SheetSteps {
    void (*steps)(CCfgSheet&, SheetSteps&) = nullptr;
    std::vector<std::string> notes;
    CfgValues seen;
    std::string grab;
};

// Runs `steps` on the next sheet once it is up.
void QueueSteps(SheetSteps& run) {
    AfxTestScript::QueueDialogAction([](CWnd* dialog, void* data) {
        auto* r = static_cast<SheetSteps*>(data);
        r->steps(*static_cast<CCfgSheet*>(dialog), *r);
    }, &run);
}

// The settings command with `steps`.
INT_PTR RunCommandSheet(CWinApp& app, ScribantSettings& settings, SheetSteps& run) {
    QueueSteps(run);
    return RunSettingsSheet(app, settings, nullptr);
}

// A click of the mouse on a page's control.
void Click(CWnd* page, int id) {
    CWnd* control = page->GetDlgItem(id);
    ASSERT_NE(control, nullptr) << id;
    RECT r{};
    control->GetClientRect(&r);
    // On the button's mark, which takes the click whatever the width of its text.
    AfxTestClick(control, POINT{6, r.bottom / 2});
}

}  // namespace

TEST_F(CfgSheetTest, TheCommandShowsTheNewImageAndRecognitionPages) {
    CCfgSheet sheet(IDS_CFG_CAPTION, nullptr, 0);
    ASSERT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(0), &sheet.m_doc);
    EXPECT_EQ(sheet.GetPage(1), &sheet.m_reco);
    CCfgSheet all("all", nullptr, 0);
    ASSERT_EQ(all.GetPageCount(), 5);
    EXPECT_EQ(all.GetPage(1), &all.m_batch);
    EXPECT_EQ(all.GetPage(3), &all.m_orb);
    EXPECT_EQ(all.GetPage(4), &all.m_face);
}

TEST_F(CfgSheetTest, CancelLeavesSettingsAndProfileAlone) {
    settings.Save(app);
    const std::vector<std::string> before = Stored();
    const CfgValues values = CfgValues::From(settings);
    SheetSteps run;
    run.steps = [](CCfgSheet& sheet, SheetSteps&) {
        Click(&sheet.m_doc, IDC_CFG_LANG_FIRST + 2);
        Click(&sheet.m_doc, IDC_CFG_TYPE_FIRST + 3);
        sheet.PressButton(PSBTN_CANCEL);
    };
    EXPECT_EQ(RunCommandSheet(app, settings, run), IDCANCEL);
    EXPECT_EQ(CfgValues::From(settings), values);
    EXPECT_EQ(Stored(), before);
}

TEST_F(CfgSheetTest, ApplyThenCancelKeepsTheValuesInMemoryOnly) {
    settings.Save(app);
    const std::vector<std::string> before = Stored();
    SheetSteps run;
    run.steps = [](CCfgSheet& sheet, SheetSteps& r) {
        Click(&sheet.m_doc, IDC_CFG_LANG_FIRST + 2);
        Click(&sheet.m_doc, IDC_CFG_SAVE_JPG);
        r.notes.push_back(sheet.m_doc.IsModified() ? "modified" : "clean");
        sheet.SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
        r.notes.push_back(sheet.m_doc.IsModified() ? "modified" : "clean");
        sheet.PressButton(PSBTN_CANCEL);
    };
    const bool jpgBefore = settings.saveAsJpg;
    EXPECT_EQ(RunCommandSheet(app, settings, run), IDCANCEL);
    EXPECT_EQ(run.notes, (std::vector<std::string>{"modified", "clean"}));
    EXPECT_EQ(settings.langCode, 2);
    EXPECT_EQ(settings.saveAsJpg, !jpgBefore);
    EXPECT_EQ(Stored(), before);
}

TEST_F(CfgSheetTest, OkWritesEveryValueAtOnce) {
    SheetSteps run;
    run.steps = [](CCfgSheet& sheet, SheetSteps&) {
        Click(&sheet.m_doc, IDC_CFG_TYPE_FIRST + 4);
        sheet.SetActivePage(1);
        Click(&sheet.m_reco, IDC_CFG_AUTO_ADJUST);
        Click(&sheet.m_reco, IDC_CFG_CODE_FIRST + 1);
        sheet.PressButton(PSBTN_OK);
    };
    EXPECT_EQ(RunCommandSheet(app, settings, run), IDOK);
    EXPECT_EQ(settings.pageType, 4);
    EXPECT_TRUE(settings.autoAdjust);
    EXPECT_EQ(settings.codeType, 1);
    EXPECT_EQ(app.GetProfileInt("Config", "Auto adjust", -1), 1);
    EXPECT_EQ(app.GetProfileInt("Config", "CodeType", -1), 1);
}

TEST_F(CfgSheetTest, ASpeedOutsideFiveToEightyFiveIsRefused) {
    CCfgSheet sheet("all", nullptr, 3);
    sheet.SetValues(CfgValues::From(settings));
    sheet.m_pApplyTarget = &settings;
    SheetSteps run;
    run.steps = [](CCfgSheet& s, SheetSteps& r) {
        s.m_orb.SetDlgItemText(IDC_CFG_SPEED_EDIT, "90");
        s.m_orb.SetModified();
        s.SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
        r.notes.push_back(std::to_string(s.m_pApplyTarget->recoSpeed));
        s.m_orb.SetDlgItemText(IDC_CFG_SPEED_EDIT, "85");
        s.SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
        s.PressButton(PSBTN_CANCEL);
    };
    AfxTestScript::Clear();
    QueueSteps(run);
    const int speedBefore = settings.recoSpeed;
    sheet.DoModal();
    // The refusal was shown and nothing was applied; 85 then went through.
    bool refused = false;
    for (const AfxShownRecord& shown : AfxTestScript::Shown()) refused = refused || shown.kind == "message";
    EXPECT_TRUE(refused);
    ASSERT_FALSE(run.notes.empty());
    EXPECT_EQ(run.notes[0], std::to_string(speedBefore));
    EXPECT_EQ(settings.recoSpeed, 85);
}

TEST_F(CfgSheetTest, TheColourListSortsItsEightColoursIntoOneOrder) {
    CCfgSheet sheet("all", nullptr, 3);
    CfgValues values = CfgValues::From(settings);
    values.penColor = 4;
    values.penWidth = 5;
    sheet.SetValues(values);
    SheetSteps run;
    run.steps = [](CCfgSheet& s, SheetSteps& r) {
        CInkColorList& list = s.m_orb.ColorList();
        for (int i = 0; i < list.GetCount(); ++i) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(list.GetItemData(i)));
            r.notes.push_back(hex);
        }
        r.notes.push_back(std::to_string(list.GetCurSel()));
        r.notes.push_back(std::to_string(s.m_orb.IsDlgButtonChecked(IDC_CFG_WIDTH_FIRST + 4)));
        s.m_orb.UpdateWindow();
        r.grab = (std::getenv("SUITE_GRAB_DIR") ? std::string(std::getenv("SUITE_GRAB_DIR")) : std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")) + "/cfg_sheet_pen.png";
        EXPECT_TRUE(s.GrabToFile(r.grab.c_str()));
        s.PressButton(PSBTN_CANCEL);
    };
    QueueSteps(run);
    sheet.DoModal();
    // Black, red, green, blue, yellow, magenta, cyan, white; the stored index
    // selects the fifth, and the fifth width radio is checked.
    EXPECT_EQ(run.notes, (std::vector<std::string>{"000000", "0000FF", "00FF00", "FF0000", "00FFFF", "FF00FF",
                                                   "FFFF00", "FFFFFF", "4", "1"}));
    QImage shot(QString::fromLocal8Bit(run.grab.c_str()));
    ASSERT_FALSE(shot.isNull());
    if (!std::getenv("SUITE_GRAB_DIR")) std::remove(run.grab.c_str());
}

TEST_F(CfgSheetTest, DamagedStoredValuesComeUpAsDefaults) {
    app.WriteProfileInt("Config", "Reco Speed", 200);
    app.WriteProfileInt("Config", "Pen Width", 9);
    app.WriteProfileInt("Config", "IngoredFlag", 7);
    settings.Load(app, "C:\\Data", "C:\\WINDOWS");
    CCfgSheet sheet("all", nullptr, 3);
    sheet.SetValues(CfgValues::From(settings));
    SheetSteps run;
    run.steps = [](CCfgSheet& s, SheetSteps& r) {
        r.notes.push_back(std::to_string(s.m_orb.GetDlgItemInt(IDC_CFG_SPEED_EDIT)));
        r.notes.push_back(std::to_string(s.m_orb.IsDlgButtonChecked(IDC_CFG_WIDTH_FIRST + 1)));
        s.SetActivePage(1);
        r.notes.push_back(std::to_string(s.m_batch.IsDlgButtonChecked(IDC_CFG_BATCH_FIRST + 1)));
        s.PressButton(PSBTN_CANCEL);
    };
    QueueSteps(run);
    sheet.DoModal();
    EXPECT_EQ(run.notes, (std::vector<std::string>{"5", "1", "1"}));
}

TEST(CfgRules, ScrollStepsStayInTheirRanges) {
    EXPECT_EQ(cfg::ScrollStep(5, SB_LINELEFT, 0, 5, 85, 5), 5);
    EXPECT_EQ(cfg::ScrollStep(5, SB_LINERIGHT, 0, 5, 85, 5), 6);
    EXPECT_EQ(cfg::ScrollStep(83, SB_PAGERIGHT, 0, 5, 85, 5), 85);
    EXPECT_EQ(cfg::ScrollStep(30, SB_PAGELEFT, 0, 5, 85, 5), 25);
    EXPECT_EQ(cfg::ScrollStep(30, SB_THUMBTRACK, 70, 5, 85, 5), 70);
    EXPECT_EQ(cfg::ScrollStep(30, SB_THUMBPOSITION, 99, 5, 85, 5), 85);
    EXPECT_EQ(cfg::ScrollStep(3, SB_PAGERIGHT, 0, 1, 5, 1), 4);
    EXPECT_EQ(cfg::ScrollStep(3, SB_ENDSCROLL, 0, 1, 5, 1), 3);
}

TEST(CfgRules, ValuesTravelToTheSettingsAndBack) {
    ScribantSettings s;
    CfgValues v;
    v.mouseSensibility = 4;
    v.recoSpeed = 40;
    v.penColor = 6;
    v.penWidth = 3;
    v.ignoredFlag = 2;
    v.codeType = 2;
    v.autoAdjust = 1;
    v.autoPostProcess = 1;
    v.autoLoadLastWork = 1;
    v.autoResize = 1;
    v.langCode = 1;
    v.pageType = 3;
    v.saveAsJpg = 0;
    v.To(s);
    EXPECT_EQ(CfgValues::From(s), v);
    // A language not chosen yet shows as the first choice.
    s.langCode = -1;
    EXPECT_EQ(CfgValues::From(s).langCode, 0);
}

}  // namespace scribanttest

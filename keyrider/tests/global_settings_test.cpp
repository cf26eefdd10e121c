// The global settings pages: the blank-page level's scrolling (also with no
// rows), the multi-image rules for each kind of template, and the dialog's
// pages grabbed for a look.
#include "keyrider/tests/keyrider_fixture.h"

#include "keyrider/global_settings_dlg.h"
#include "keyrider/global_settings_model.h"
#include "keyrider/keyrider_ids.h"

namespace keyridertest {
namespace {

using keyrider::BlankLevelModel;
using keyrider::MultiImageModel;
using keyrider::SideValues;
using keyrider::TemplateScan;

TEST(BlankLevel, ScrollsWithinTheTable) {
    BlankLevelModel m(5, 2);
    EXPECT_EQ(m.Position(), 3);
    m.Scroll(0);
    m.Scroll(2);
    EXPECT_EQ(m.Position(), 1);
    m.Scroll(0);
    EXPECT_EQ(m.Position(), 1);
    m.Scroll(7);
    EXPECT_EQ(m.Position(), 5);
    m.Scroll(1);
    EXPECT_EQ(m.Position(), 5);
    m.Scroll(4, 3);
    EXPECT_EQ(m.Level(), 2);
    m.Scroll(5, 99);
    EXPECT_EQ(m.Position(), 5);
    m.Scroll(6);
    EXPECT_EQ(m.Position(), 1);
    m.Scroll(8);
    EXPECT_EQ(m.Position(), 1);
    // A stored level beyond the table starts at its last row.
    EXPECT_EQ(BlankLevelModel(3, 14).Level(), 2);
}

TEST(BlankLevel, NoRowsGivesRangeOneToZeroAndLevelZero) {
    BlankLevelModel m(0, 4);
    EXPECT_EQ(m.Minimum(), 1);
    EXPECT_EQ(m.Maximum(), 0);
    for (int code = 0; code <= 8; ++code) m.Scroll(code, 3);
    EXPECT_EQ(m.Level(), 0);
}

TEST(MultiImage, KindZeroFixesTheScannedModeAndFreesThePoorerOnes) {
    SideValues front, rear;
    front.modes = {true, false, true};
    rear.modes = {true, true, true};
    // Gray scanned: colour cannot be made, B/W can; the rear is not scanned.
    MultiImageModel gray({0, 1, 0, 300, 100, 600}, front, rear, 0);
    EXPECT_FALSE(gray.At(0, 0).checked);
    EXPECT_FALSE(gray.At(0, 0).checkEnabled);
    EXPECT_TRUE(gray.At(0, 1).checked);
    EXPECT_FALSE(gray.At(0, 1).checkEnabled);
    EXPECT_FALSE(gray.At(0, 1).comboEnabled);
    EXPECT_EQ(gray.At(0, 1).dpi, 300);
    EXPECT_TRUE(gray.At(0, 2).checkEnabled);
    for (int m = 0; m < 3; ++m) {
        EXPECT_FALSE(gray.At(1, m).checked);
        EXPECT_FALSE(gray.At(1, m).checkEnabled);
    }
    // Colour scanned: gray and B/W may be added.
    MultiImageModel colour({0, 2, 0, 200, 100, 600}, front, rear, 0);
    EXPECT_TRUE(colour.At(0, 1).checkEnabled);
    EXPECT_TRUE(colour.At(0, 2).checkEnabled);
    // B/W scanned: nothing else.
    MultiImageModel bw({0, 0, 0, 200, 100, 600}, front, rear, 0);
    EXPECT_FALSE(bw.At(0, 0).checkEnabled);
    EXPECT_FALSE(bw.At(0, 1).checkEnabled);
    EXPECT_TRUE(bw.At(0, 2).checked);
}

TEST(MultiImage, FixedKindsByModeAndSide) {
    SideValues none;
    none.modes = {false, false, false};
    MultiImageModel bw({2, 0, 2, 200, 100, 600}, none, none, 0);
    for (int side = 0; side < 2; ++side) {
        for (int m = 0; m < 3; ++m) EXPECT_FALSE(bw.At(side, m).checkEnabled);
        EXPECT_TRUE(bw.At(side, 2).checked);
    }
    MultiImageModel gray({1, 1, 2, 250, 100, 600}, none, none, 0);
    for (int side = 0; side < 2; ++side) {
        EXPECT_FALSE(gray.At(side, 0).checked);
        EXPECT_TRUE(gray.At(side, 1).checked);
        EXPECT_TRUE(gray.At(side, 2).checkEnabled);
    }
    EXPECT_EQ(gray.At(0, 1).dpi, 250);
    EXPECT_TRUE(gray.At(1, 1).comboEnabled);  // both sides: the rear's combo of the mode stays free
    MultiImageModel colourRear({3, 2, 1, 400, 100, 600}, none, none, 0);
    for (int m = 0; m < 3; ++m) EXPECT_FALSE(colourRear.At(0, m).checkEnabled);  // front not scanned
    EXPECT_TRUE(colourRear.At(1, 0).checked);
    EXPECT_EQ(colourRear.At(1, 0).dpi, 400);
    MultiImageModel none3({4, 3, 2, 200, 100, 600}, none, none, 0);
    for (int side = 0; side < 2; ++side)
        for (int m = 0; m < 3; ++m) {
            EXPECT_FALSE(none3.At(side, m).checked);
            EXPECT_FALSE(none3.At(side, m).comboEnabled);
        }
}

TEST(MultiImage, LockMakesTheRearFollowAndTypedResolutionsAreChecked) {
    SideValues front, rear;
    MultiImageModel m({1, 2, 2, 200, 100, 600}, front, rear, 1);
    EXPECT_FALSE(m.At(1, 1).checkEnabled);
    EXPECT_FALSE(m.At(1, 2).checkEnabled);
    m.Click(0, 1);
    EXPECT_TRUE(m.At(0, 1).checked);
    EXPECT_TRUE(m.At(1, 1).checked);
    m.Click(1, 2);  // disabled: nothing
    EXPECT_FALSE(m.At(1, 2).checked);
    EXPECT_FALSE(m.Type(0, 1, 50));
    EXPECT_FALSE(m.Type(0, 1, 601));
    EXPECT_EQ(m.At(0, 1).dpi, 200);
    EXPECT_TRUE(m.Type(0, 1, 450));
    EXPECT_EQ(m.Values(0).dpi[1], 450);
    m.Click(5, 0);
    m.Click(0, -1);
}

// The main dialog and each settings page as a person sees them.
TEST_F(KeyriderFixture, GrabsOfTheMainDialogAndEachSettingsPage) {
    WriteTree();
    ASSERT_TRUE(Start());
    const fs::path grabs = BuildFolder().parent_path() / "grabs" / "keyrider";
    fs::create_directories(grabs);
    Dialog()->SendMessage(WM_COMMAND, keyrider::kCmdButtonConfiguration, 0);
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(Dialog()->IsWindowVisible());
    EXPECT_TRUE(Dialog()->GrabToFile((grabs / "main_dialog.png").c_str()));

    keyrider::GlobalSettingsInput in = Dialog()->SettingsInput();
    in.templateAvailable = true;
    in.scan = {0, 1, 2, 300, 100, 600};
    keyrider::CGlobalSettingsDlg dialog(in, Dialog());
    ASSERT_TRUE(dialog.Create(IDD_GLOBAL_SETTINGS, Dialog()));
    dialog.ShowWindow(SW_SHOW);
    ASSERT_EQ(dialog.PageCount(), 4);
    const char* names[] = {"blank_page", "edge_fill", "multi_image", "punch_hole"};
    for (int i = 0; i < 4; ++i) {
        dialog.ShowPage(i);
        PumpUntil([] { return false; }, 50);
        EXPECT_TRUE(dialog.GrabToFile((grabs / (std::string("settings_") + names[i] + ".png")).c_str()));
    }
    // The multi-image page shows the model: gray fixed on the front.
    auto* frontGray = static_cast<CButton*>(dialog.Page(2)->GetDlgItem(1087));
    ASSERT_NE(frontGray, nullptr);
    EXPECT_EQ(frontGray->GetCheck(), BST_CHECKED);
    EXPECT_FALSE(frontGray->IsWindowEnabled());
    // A typed resolution outside the template's range is refused and the old one shown again.
    CWnd* page = dialog.Page(2);
    page->SetDlgItemText(1007, "5000");
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(1007, EN_KILLFOCUS), 0);
    CString shown;
    page->GetDlgItemText(1007, shown);
    EXPECT_STREQ(shown, "200");
    page->SetDlgItemText(1007, "450");
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(1007, EN_KILLFOCUS), 0);
    EXPECT_EQ(dialog.MultiImage()->At(0, 2).dpi, 450);
    dialog.OnCancel();
}

}  // namespace
}  // namespace keyridertest

// The global settings pages: the blank-page level's scrolling (also with no
// rows), the multi-image rules for each kind of template, the punch-hole
// colours and their swatches, and the dialog's pages grabbed for a look.
#include "keyrider/tests/keyrider_fixture.h"

#include "keyrider/global_settings_dlg.h"
#include "keyrider/global_settings_model.h"
#include "keyrider/gray_level_dlg.h"
#include "keyrider/keyrider_ids.h"
#include "keyrider/punch_hole_model.h"

namespace keyridertest {
namespace {

using keyrider::BlankLevelModel;
using keyrider::MultiImageModel;
using keyrider::SideValues;
using keyrider::TemplateScan;
using keyrider::PunchHoleModel;
using keyrider::PunchHoleValues;

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

TEST(PunchHole, GrayLevelsAndTheBlackOrWhiteChoice) {
    EXPECT_EQ(keyrider::GrayOf(RGB(255, 0, 0)), RGB(76, 76, 76));
    EXPECT_EQ(keyrider::GrayOf(RGB(0, 0, 255)), RGB(28, 28, 28));
    EXPECT_EQ(keyrider::GrayOf(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(keyrider::GrayOf(0), 0u);
    PunchHoleModel m{PunchHoleValues{}};
    EXPECT_EQ(m.GrayLevel(), 255);
    m.SetGrayLevel(128);
    EXPECT_EQ(m.Values().gray, 0x808080u);
    EXPECT_EQ(m.GrayLevel(), 128);
    // Levels outside the trackbar's range never make a value beyond 24 bits.
    m.SetGrayLevel(300);
    EXPECT_EQ(m.Values().gray, 0xFFFFFFu);
    m.SetGrayLevel(-4);
    EXPECT_EQ(m.Values().gray, 0u);
    m.SetColor(0xFF123456);
    EXPECT_EQ(m.Values().color, 0x123456u);
    EXPECT_TRUE(m.WhiteSelected());
    m.SwapBlackAndWhite();
    EXPECT_EQ(m.Values().bw, 0u);
    m.SwapBlackAndWhite();
    EXPECT_EQ(m.Values().bw, 0xFFFFFFu);
}

// A registry of its own for the values' key.
class PunchHoleKey : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keyrider-punch-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PunchTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &app_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(app_);
        fs::remove_all(root_);
    }
    fs::path root_;
    HKEY app_ = nullptr;
};

TEST_F(PunchHoleKey, MissingKeyGivesDefaultsAndWrittenValuesReadBack) {
    PunchHoleValues v = keyrider::ReadPunchHole(app_);
    EXPECT_FALSE(v.custom);
    EXPECT_EQ(v.color, 0xFFFFFFu);
    EXPECT_EQ(v.gray, 0xFFFFFFu);
    EXPECT_EQ(v.bw, 0xFFFFFFu);
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(app_, "Remove Punch Hole", 0, KEY_READ, &k), ERROR_SUCCESS);  // created when missing
    RegCloseKey(k);
    ASSERT_TRUE(keyrider::WritePunchHole(app_, {true, RGB(10, 20, 30), 0x404040, 0}));
    v = keyrider::ReadPunchHole(app_);
    EXPECT_TRUE(v.custom);
    EXPECT_EQ(v.color, RGB(10, 20, 30));
    EXPECT_EQ(v.gray, 0x404040u);
    EXPECT_EQ(v.bw, 0u);
}

// Paints one swatch into a bitmap and reads its pixels.
class SwatchPicture {
public:
    SwatchPicture() {
        dc_.CreateCompatibleDC(nullptr);
        bitmap_.CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
        old_ = dc_.SelectObject(&bitmap_);
    }
    ~SwatchPicture() { dc_.SelectObject(old_); }
    void Paint(UINT id, const PunchHoleModel& m) {
        dc_.FillSolidRect(0, 0, kWidth, kHeight, RGB(1, 2, 3));
        keyrider::PaintPunchSwatch(dc_.GetSafeHdc(), RECT{0, 0, kWidth, kHeight}, id, m);
    }
    COLORREF At(int x, int y) const { return dc_.GetPixel(x, y); }
    COLORREF Centre() const { return At(kWidth / 2, kHeight / 2); }
    static constexpr int kWidth = 40, kHeight = 18;

private:
    CDC dc_;
    CBitmap bitmap_;
    CBitmap* old_ = nullptr;
};

TEST(PunchHoleSwatches, FillsFramesAndTheChosenBlackOrWhite) {
    AfxWinInit();
    SwatchPicture picture;
    PunchHoleModel m{PunchHoleValues{true, RGB(200, 30, 30), RGB(255, 0, 0), 0xFFFFFF}};
    picture.Paint(IDC_SWATCH_COLOR, m);
    EXPECT_EQ(picture.Centre(), RGB(200, 30, 30));
    EXPECT_EQ(picture.At(0, 0), 0xFFFFFFu);  // raised: light top-left, dark bottom-right
    EXPECT_EQ(picture.At(SwatchPicture::kWidth - 1, SwatchPicture::kHeight - 1), 0x606060u);
    picture.Paint(IDC_SWATCH_GRAY, m);
    EXPECT_EQ(picture.Centre(), RGB(76, 76, 76));  // the gray a red value shows as
    // White chosen: the white swatch sunken with a focus frame, black raised without.
    picture.Paint(IDC_SWATCH_WHITE, m);
    EXPECT_EQ(picture.Centre(), 0xFAFAFAu);
    EXPECT_EQ(picture.At(0, 0), 0x606060u);
    EXPECT_NE(picture.At(3, 3), 0xFAFAFAu);
    picture.Paint(IDC_SWATCH_BLACK, m);
    EXPECT_EQ(picture.Centre(), 0u);
    EXPECT_EQ(picture.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(picture.At(3, 3), 0u);
    m.SwapBlackAndWhite();
    picture.Paint(IDC_SWATCH_BLACK, m);
    EXPECT_EQ(picture.At(0, 0), 0x606060u);
    EXPECT_NE(picture.At(3, 3), 0u);
    picture.Paint(IDC_SWATCH_WHITE, m);
    EXPECT_EQ(picture.At(0, 0), 0xFFFFFFu);
    // Another control id paints nothing.
    picture.Paint(1099, m);
    EXPECT_EQ(picture.Centre(), RGB(1, 2, 3));
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
    ASSERT_TRUE(keyrider::WritePunchHole(in.appKey, {true, RGB(200, 30, 30), 0x808080, 0}));
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
    // The gray level dialog of the punch-hole page shows its gray.
    keyrider::CGrayLevelDlg gray(0x60, Dialog());
    ASSERT_TRUE(gray.Create(IDD_GRAY_LEVEL, Dialog()));
    gray.ShowWindow(SW_SHOW);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(gray.GrabToFile((grabs / "gray_level.png").c_str()));
    gray.DestroyWindow();
}

// The punch-hole page: the colour dialog, the gray dialog and the black or
// white swatches change the values, and OK stores them.
TEST_F(KeyriderFixture, PunchHolePageChoosesColoursAndStoresThemOnOk) {
    WriteTree();
    ASSERT_TRUE(Start());
    keyrider::GlobalSettingsInput in = Dialog()->SettingsInput();
    in.showPunchHole = true;
    ASSERT_TRUE(keyrider::WritePunchHole(in.appKey, {false, RGB(200, 30, 30), 0x808080, 0xFFFFFF}));
    keyrider::CGlobalSettingsDlg dialog(in, Dialog());
    ASSERT_TRUE(dialog.Create(IDD_GLOBAL_SETTINGS, Dialog()));
    ASSERT_NE(dialog.PunchHole(), nullptr);
    const auto click = [&](UINT id) { dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
    // Cancelled colour dialog: nothing changes; chosen: the swatch's colour.
    AfxTestScript::QueueAnswer(IDCANCEL);
    click(IDC_PICK_COLOR);
    EXPECT_EQ(dialog.PunchHole()->Values().color, RGB(200, 30, 30));
    AfxTestScript::QueueAnswer(IDOK);
    AfxTestScript::QueueFile("#00FF40");
    click(IDC_PICK_COLOR);
    EXPECT_EQ(dialog.PunchHole()->Values().color, RGB(0, 255, 0x40));
    // The gray dialog opens at the stored level and returns the trackbar's.
    static int openedAt = -1;
    AfxTestScript::QueueDialogAction(
        [](CWnd* gray, void*) {
            auto* track = static_cast<CSliderCtrl*>(gray->GetDlgItem(IDC_GRAY_TRACK));
            if (!track) return;
            openedAt = track->GetPos();
            track->SetPos(64);
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    click(IDC_PICK_GRAY);
    EXPECT_EQ(openedAt, 128);
    EXPECT_EQ(dialog.PunchHole()->Values().gray, 0x404040u);
    click(IDC_SWATCH_BLACK);
    EXPECT_EQ(dialog.PunchHole()->Values().bw, 0u);
    click(IDC_SWATCH_COLOR);  // the colour swatch itself is no button
    EXPECT_EQ(dialog.PunchHole()->Values().color, RGB(0, 255, 0x40));
    dialog.Page(dialog.PageCount() - 1)->CheckRadioButton(IDC_PUNCH_BACKGROUND, IDC_PUNCH_CUSTOM, IDC_PUNCH_CUSTOM);
    dialog.OnOK();
    const PunchHoleValues stored = keyrider::ReadPunchHole(in.appKey);
    EXPECT_TRUE(stored.custom);
    EXPECT_EQ(stored.color, RGB(0, 255, 0x40));
    EXPECT_EQ(stored.gray, 0x404040u);
    EXPECT_EQ(stored.bw, 0u);
}

}  // namespace
}  // namespace keyridertest

// Textory's settings: written and read back, values out of their range
// brought back to the defaults, "Tray Mode" written but never read, and the
// word processor's version from the classes root.
#include "textory/settings/textory_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>

#include "platform/afx/afxwin.h"
#include "platform/win/registry.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

class TextorySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SUITE_REGISTRY_USER", (scratch / "user.db").c_str(), 1);
        AfxWinInit();
        app.SetRegistryKey("Orvane");
    }
    suite_test::ScratchFolder scratch;
    CWinApp app{"Textory"};
};

TEST_F(TextorySettingsTest, EverySettingComesBack) {
    TextorySettings s;
    s.manuSetScan = s.selLayout = s.wordHaveCol = s.wordFilterLinefeed = s.wordFilterLinefeedAuto = true;
    s.scanResolution = 2;
    s.scanImageType = 2;
    s.createToWord = false;
    s.outputToWord = true;
    s.manuCorrect = true;
    s.workMode = 1;
    s.layoutRect = RECT{10, 20, 610, 420};
    s.correctRect = RECT{-5, 0, 1000, 700};
    s.autoTestWord = false;
    s.wordVersion = 2;
    s.Save(app, true);
    EXPECT_EQ(app.GetProfileInt("App settings", "Tray Mode", 7), 1u);

    TextorySettings back;
    back.Load(app);
    EXPECT_TRUE(back.manuSetScan && back.selLayout && back.wordHaveCol && back.wordFilterLinefeed &&
                back.wordFilterLinefeedAuto && back.manuCorrect && back.outputToWord);
    EXPECT_FALSE(back.createToWord || back.autoTestWord);
    EXPECT_EQ(back.scanResolution, 2);
    EXPECT_EQ(back.scanImageType, 2);
    EXPECT_EQ(back.workMode, 1);
    EXPECT_EQ(back.wordVersion, 2);
    EXPECT_EQ(back.layoutRect.left, 10);
    EXPECT_EQ(back.layoutRect.bottom, 420);
    EXPECT_EQ(back.correctRect.left, -5);
}

TEST_F(TextorySettingsTest, ValuesOutOfRangeReadAsDefaults) {
    const TextorySettings d;
    app.WriteProfileInt("App settings", "Scan Resolution", 3);
    app.WriteProfileInt("App settings", "Scan Image Type", 0);
    app.WriteProfileInt("App settings", "Work Mode", -1);
    app.WriteProfileInt("Config", "Word Version", 4);
    // An empty or turned-round rectangle, and one far off any screen.
    app.WriteProfileInt("Config", "Layout Rect Left", 500);
    app.WriteProfileInt("Config", "Layout Rect Right", 100);
    app.WriteProfileInt("Config", "Correct Rect Right", 900000);
    app.WriteProfileInt("App settings", "Sel Layout", 5);  // any nonzero flag is on
    TextorySettings s;
    s.Load(app);
    EXPECT_EQ(s.scanResolution, d.scanResolution);
    EXPECT_EQ(s.scanImageType, d.scanImageType);
    EXPECT_EQ(s.workMode, d.workMode);
    EXPECT_EQ(s.wordVersion, d.wordVersion);
    EXPECT_EQ(s.layoutRect.left, d.layoutRect.left);
    EXPECT_EQ(s.layoutRect.right, d.layoutRect.right);
    EXPECT_EQ(s.correctRect.right, d.correctRect.right);
    EXPECT_TRUE(s.selLayout);
}

TEST_F(TextorySettingsTest, WordVersionFromItsCurrentVersionKey) {
    bool missing = false;
    EXPECT_EQ(DetectWordVersion(&missing), 3);
    EXPECT_TRUE(missing);
    const std::pair<const char*, int> versions[] = {{"Word.Application.8", 0},
                                                    {"Word.Application.9", 1},
                                                    {"Word.Application.10", 2},
                                                    {"Word.Application.11", 3},
                                                    {"", 3}};
    for (const auto& [value, version] : versions) {
        ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "Word.Application\\CurVer", REG_SZ, value,
                               static_cast<DWORD>(std::strlen(value))),
                  ERROR_SUCCESS);
        EXPECT_EQ(DetectWordVersion(&missing), version) << value;
        EXPECT_FALSE(missing) << value;
    }
}

}  // namespace

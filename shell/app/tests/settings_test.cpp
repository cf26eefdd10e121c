// The settings in the profile: defaults, out-of-range values, resets and the
// values written back.
#include <gtest/gtest.h>

#include "shell/app/scribant_settings.h"
#include "shell/app/tests/scribant_fixture.h"

namespace scribanttest {
namespace {

class Settings : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        app.SetRegistryKey("Orvane");
    }
    CWinApp& app = holder;
    CWinApp holder{"Scribant"};
    ScribantSettings s;
    void Load() { s.Load(app, "C:\\Data", "C:\\WINDOWS"); }
};

TEST_F(Settings, AnEmptyProfileGivesEveryDefault) {
    Load();
    EXPECT_EQ(s.newFileName, "C:\\Data\\IMAGE\\OR001.tif");
    EXPECT_EQ(s.penColor, 1);
    EXPECT_EQ(s.penWidth, 2);
    EXPECT_EQ(s.mouseSensibility, 3);
    EXPECT_EQ(s.recoSpeed, 5);
    EXPECT_EQ(s.externEditPath, "C:\\WINDOWS\\NOTEPAD.EXE");
    EXPECT_EQ(s.editFileType, 3);
    EXPECT_EQ(s.ignoredFlag, 1);
    EXPECT_EQ(s.langCode, -1);
    EXPECT_TRUE(s.saveAsJpg);
    EXPECT_EQ(s.ocrBarHeight, 208);
    EXPECT_EQ(s.lastFilePath, "C:\\Data\\IMAGE\\");
    EXPECT_FALSE(s.viewText);
}

TEST_F(Settings, ZeroAndNegativeValuesReadAsDefaults) {
    app.WriteProfileInt("Config", "Mouse Sensibility", 0);
    app.WriteProfileInt("Config", "Reco Speed", 0);
    app.WriteProfileInt("OcrBar", "Height", -5);
    Load();
    EXPECT_EQ(s.mouseSensibility, 3);
    EXPECT_EQ(s.recoSpeed, 5);
    EXPECT_EQ(s.ocrBarHeight, 208);
    app.WriteProfileInt("OcrBar", "Height", 1);
    app.WriteProfileInt("Config", "Reco Speed", 85);
    Load();
    EXPECT_EQ(s.ocrBarHeight, kOcrBarMinimumWidth) << "a bar too narrow for its layout is raised";
    EXPECT_EQ(s.recoSpeed, 85);
}

TEST_F(Settings, ValuesOutsideTheirRangeReadAsDefaults) {
    struct Case {
        const char* section;
        const char* entry;
        int bad;
        int ScribantSettings::*member;
        int def;
    } cases[] = {
        {"Config", "Pen Color", 8, &ScribantSettings::penColor, 1},
        {"Config", "Pen Width", 7, &ScribantSettings::penWidth, 2},
        {"Config", "Pen Width", 0, &ScribantSettings::penWidth, 2},
        {"Config", "Mouse Sensibility", 6, &ScribantSettings::mouseSensibility, 3},
        {"Config", "Reco Speed", 4, &ScribantSettings::recoSpeed, 5},
        {"Config", "Reco Speed", 86, &ScribantSettings::recoSpeed, 5},
        {"Edit", "File Type", 4, &ScribantSettings::editFileType, 3},
        {"Edit", "File Type", -1, &ScribantSettings::editFileType, 3},
        {"Config", "IngoredFlag", 3, &ScribantSettings::ignoredFlag, 1},
        {"Config", "CodeType", 3, &ScribantSettings::codeType, 0},
        {"Config", "LangCode", 3, &ScribantSettings::langCode, -1},
        {"Config", "LangCode", -2, &ScribantSettings::langCode, -1},
        {"OcrBar", "Position", 2, &ScribantSettings::ocrBarPosition, 0},
    };
    for (const Case& c : cases) {
        app.WriteProfileInt(c.section, c.entry, c.bad);
        Load();
        EXPECT_EQ(s.*c.member, c.def) << c.entry << " = " << c.bad;
        app.WriteProfileInt(c.section, c.entry, c.def);
    }
    // The edges of each range stay as stored.
    app.WriteProfileInt("Config", "Pen Color", 7);
    app.WriteProfileInt("Config", "LangCode", 2);
    app.WriteProfileInt("Config", "IngoredFlag", 0);
    Load();
    EXPECT_EQ(s.penColor, 7);
    EXPECT_EQ(s.langCode, 2);
    EXPECT_EQ(s.ignoredFlag, 0);
}

TEST_F(Settings, ResetSettingsIgnoreWhatIsStoredButAreWritten) {
    app.WriteProfileInt("Config", "Auto post process", 1);
    app.WriteProfileInt("Config", "Auto load last work", 1);
    app.WriteProfileInt("Config", "Auto ReSize", 1);
    app.WriteProfileInt("Config", "Res", 600);
    Load();
    EXPECT_FALSE(s.autoPostProcess);
    EXPECT_FALSE(s.autoLoadLastWork);
    EXPECT_FALSE(s.autoResize);
    EXPECT_EQ(s.resolution, 300);
    EXPECT_EQ(s.pageType, 0);
    EXPECT_TRUE(s.saveProjectOnly);
    s.autoResize = true;
    s.Save(app);
    EXPECT_EQ(app.GetProfileInt("Config", "Auto ReSize", 9), 1u);
    EXPECT_EQ(app.GetProfileInt("Config", "Res", 9), 300u);
    Load();
    EXPECT_FALSE(s.autoResize);
}

TEST_F(Settings, SavedValuesReadBackAndFlagsAreWrittenAsOne) {
    Load();
    s.newFileName = "c:\\scans\\page001.tif";
    s.penColor = 5;
    s.recoSpeed = 40;
    s.outputToExe = true;
    s.viewText = true;
    s.langCode = 1;
    s.ocrBarPosition = 1;
    s.Save(app);
    // Both spellings of the editor flag name one value.
    EXPECT_EQ(app.GetProfileInt("Config", "Output to Exe", 0), 1u);
    EXPECT_EQ(app.GetProfileInt("App settings", "View Text", 0), 1u);
    ScribantSettings again;
    again.Load(app, "C:\\Data", "C:\\WINDOWS");
    EXPECT_EQ(again.newFileName, s.newFileName);
    EXPECT_EQ(again.penColor, 5);
    EXPECT_EQ(again.recoSpeed, 40);
    EXPECT_TRUE(again.outputToExe);
    EXPECT_TRUE(again.viewText);
    EXPECT_EQ(again.langCode, 1);
    EXPECT_EQ(again.ocrBarPosition, 1);
}

TEST_F(Settings, TheScanNameKeepsItsCaseAndItsChineseBytes) {
    // "扫描" in GBK holds bytes that would change if taken for letters; the
    // mixed-case folder must survive on a case-sensitive disk.
    const std::string gbk = "\xC9\xA8\xC3\xE8";
    app.WriteProfileString("App settings", "New file name", ("C:\\SCANS\\" + gbk + "PAGE.TIF").c_str());
    Load();
    EXPECT_EQ(s.newFileName, "C:\\SCANS\\" + gbk + "PAGE.TIF");
}

TEST(LanguageCodes, FollowTheSystemLanguage) {
    EXPECT_EQ(DefaultLangCodeFor(0x409), 2);
    EXPECT_EQ(DefaultLangCodeFor(0x804), 0);
    for (unsigned short id : {0x404, 0xC04, 0x1404, 0x1004}) {
        EXPECT_TRUE(IsTraditionalLanguage(id));
        EXPECT_EQ(DefaultLangCodeFor(id), 1);
    }
    EXPECT_FALSE(IsTraditionalLanguage(0x804));
    EXPECT_FALSE(IsTraditionalLanguage(0x409));
}

}  // namespace
}  // namespace scribanttest

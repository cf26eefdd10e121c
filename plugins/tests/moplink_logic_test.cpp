// The DDE export plug-in's logic without the plug-in: scripts, settings and
// their registry rules, and the models of the wizard pages.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win/registry_key.h"
#include "platform/win/tests/scratch_folder.h"
#include "plugins/moplink/dde_script.h"
#include "plugins/moplink/language_page_model.h"
#include "plugins/moplink/ocrexport_interface.h"
#include "plugins/moplink/pdf_options_model.h"
#include "plugins/moplink/pdf_save_model.h"
#include "plugins/moplink/wizard_summary.h"
#include "plugins/tests/plugin_host.h"

namespace {

using namespace moplink;

std::vector<std::string> Texts(const std::vector<ScriptCommand>& script) {
    std::vector<std::string> out;
    for (const ScriptCommand& c : script) out.push_back(c.text);
    return out;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> Starting(const std::vector<std::string>& lines, const std::string& head) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind(head, 0) == 0) out.push_back(l);
    return out;
}

const ExportFormat& Format(UINT code) { return *FindFormat(code); }

TEST(MoplinkScript, TextFormatsSendTheirFormatCommandTwiceAndNoLanguage) {
    ExportSettings s = DefaultSettings(Format(kFormatHtml));
    s.deskew = 0;
    auto script = BuildScript(Format(kFormatHtml), s, {"C:\\in\\a.tif", "C:\\in\\b.tif"}, "C:\\out\\r.htm", 26);
    EXPECT_EQ(Texts(script),
              (std::vector<std::string>{"[NEW_DOCUMENT]", "[FMTTEXT](34,1,0)", "[FMTTEXT](34,1,0)", "[PAGEANALYSIS](ON)",
                                        "[PAGE_DESKEW](OFF)", "[AUTO_ORIENTATION](ON)", "[INTERLEARN](OFF)",
                                        "[DISABLEWNGNOWINDOW](ON)", "[HIDE]", "[DISPLAY_PROGRESS](ON)",
                                        "[INPUT](C:\\in\\a.tif)", "[SCAN_MULTIPAGE]", "[INPUT](C:\\in\\b.tif)",
                                        "[SCAN_MULTIPAGE]", "[OUTPUT](C:\\out\\r.htm,NEW)", "[OCR]", "[NEW_DOCUMENT]"}));
    EXPECT_EQ(script[15].timeoutMs, 900000u);
    EXPECT_EQ(script[14].timeoutMs, 60000u);
    EXPECT_EQ(Texts(BuildScript(Format(kFormatText), s, {"a"}, "o.txt", 26))[1], "[FMTTEXT](14,1,0)");
    EXPECT_EQ(Texts(BuildScript(Format(kFormatRtf), s, {"a"}, "o.rtf", 26))[2], "[FMTTEXT](29,1,0)");
}

TEST(MoplinkScript, PdfFormatsCarryColoursGraphicsBookmarksAndLanguages) {
    ExportSettings s = DefaultSettings(Format(kFormatPdfText));
    s.primaryLanguage = 7;
    s.secondaryLanguages = {3, 9};
    s.keepTextColors = 0;
    auto lines = Texts(BuildScript(Format(kFormatPdfText), s, {"a.tif"}, "o.pdf", 26));
    std::vector<std::string> head(lines.begin(), lines.begin() + 13);
    EXPECT_EQ(head, (std::vector<std::string>{"[NEW_DOCUMENT]", "[FMTTEXT](53,1,0)", "[INCLUDEGRAPHICS](OFF)",
                                              "[PDF_EMBED_FONTS](ON)", "[ENCODECOLORS](OFF)",
                                              "[OPTIONS_GRAPHICS_ADVANCED](0,0,8)", "[PDF_PARAMS](ON)",
                                              "[LANGUAGE_OCR](7)", "[LANGUAGE_SEC_OCR](3)", "[LANGUAGE_SEC_OCR](9)",
                                              "[PDF_PARAMS](ON)", "[PAGEANALYSIS](ON)", "[PAGE_DESKEW](ON)"}));
    // Image-Text and Text-Image: their own format command, no graphics switch.
    for (UINT code : {kFormatPdfImageText, kFormatPdfTextImage}) {
        auto mixed = Texts(BuildScript(Format(code), DefaultSettings(Format(code)), {"a"}, "o.pdf", 26));
        EXPECT_EQ(mixed[1], code == kFormatPdfImageText ? "[FMTTEXT](54,1,0)" : "[FMTTEXT](75,1,0)");
        EXPECT_EQ(mixed[2], "[PDF_EMBED_FONTS](ON)");
        EXPECT_TRUE(Starting(mixed, "[INCLUDEGRAPHICS]").empty());
        EXPECT_TRUE(Has(mixed, "[OCR]"));
    }
    // Limited resolution with black-and-white graphics.
    s.keepOriginalResolution = 0;
    s.maxDpi = 200;
    s.bwGraphics = 1;
    lines = Texts(BuildScript(Format(kFormatPdfText), s, {"a"}, "o.pdf", 26));
    EXPECT_TRUE(Has(lines, "[OPTIONS_GRAPHICS_ADVANCED](200,1,0)"));
}

TEST(MoplinkScript, LanguageCommandsForNumericAndSingleSecondaries) {
    ExportSettings s = DefaultSettings(Format(kFormatPdfText));
    s.primaryLanguage = 0;
    s.secondaryLanguages = {26};
    auto lines = Texts(BuildScript(Format(kFormatPdfText), s, {"a"}, "o.pdf", 26));
    EXPECT_EQ(Starting(lines, "[LANGUAGE"), (std::vector<std::string>{"[LANGUAGE_OCR](26)"}));
    // Numeric with no secondary at all sends the numeric id, never an unset one.
    s.secondaryLanguages.clear();
    lines = Texts(BuildScript(Format(kFormatPdfText), s, {"a"}, "o.pdf", 31));
    EXPECT_EQ(Starting(lines, "[LANGUAGE"), (std::vector<std::string>{"[LANGUAGE_OCR](31)"}));
    // One secondary with a real primary is not sent.
    s.primaryLanguage = 4;
    s.secondaryLanguages = {5};
    lines = Texts(BuildScript(Format(kFormatPdfImageText), s, {"a"}, "o.pdf", 26));
    EXPECT_EQ(Starting(lines, "[LANGUAGE"), (std::vector<std::string>{"[LANGUAGE_OCR](4)"}));
}

TEST(MoplinkScript, PdfImageSavesImagesWithoutAnalysisLanguagesOrRecognition) {
    ExportSettings s = DefaultSettings(Format(kFormatPdfImage));
    s.primaryLanguage = 7;
    s.secondaryLanguages = {3, 9};
    auto lines = Texts(BuildScript(Format(kFormatPdfImage), s, {"a.tif"}, "C:\\o.pdf", 26));
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
              (std::vector<std::string>{"[NEW_DOCUMENT]", "[FMTTEXT](53,1,0)", "[OPTIONS_GRAPHICS_ADVANCED](0,0,8)",
                                        "[PDF_PARAMS](OFF)", "[PDF_PARAMS](OFF)"}));
    EXPECT_FALSE(Has(lines, "[PAGEANALYSIS](ON)"));
    EXPECT_FALSE(Has(lines, "[OCR]"));
    EXPECT_TRUE(Starting(lines, "[LANGUAGE").empty());
    EXPECT_EQ(lines[lines.size() - 2], "[SAVEIMG_MULTI](C:\\o.pdf,99)");
}

TEST(MoplinkScript, PathsThatWouldBreakTheCommandAreRefused) {
    ExportSettings s = DefaultSettings(Format(kFormatHtml));
    EXPECT_TRUE(BuildScript(Format(kFormatHtml), s, {"C:\\in\\a).tif"}, "o.htm", 26).empty());
    EXPECT_TRUE(BuildScript(Format(kFormatHtml), s, {"C:\\in\\a,b.tif"}, "o.htm", 26).empty());
    EXPECT_TRUE(BuildScript(Format(kFormatHtml), s, {"a.tif"}, "C:\\out,x\\o.htm", 26).empty());
    EXPECT_TRUE(BuildScript(Format(kFormatHtml), s, {"a.tif"}, "", 26).empty());
    // An opening bracket alone is harmless.
    EXPECT_FALSE(BuildScript(Format(kFormatHtml), s, {"C:\\My Files (old\\a.tif"}, "o.htm", 26).empty());
}

TEST(MoplinkScript, AutomaticNamesAndTheirLimit) {
    ExportSettings s;
    s.folder = "C:\\out\\";
    s.prefix = "scan";
    EXPECT_EQ(AutomaticName(s, "pdf", 0), "C:\\out\\scan0001.pdf");
    EXPECT_EQ(AutomaticName(s, "pdf", 1), "C:\\out\\scan0002.pdf");
    s.firstNumber = 95;
    s.step = 2;
    s.width = 2;
    EXPECT_EQ(AutomaticName(s, "htm", 2), "C:\\out\\scan99.htm");
    EXPECT_EQ(NumberLimit(2), 100u);
    EXPECT_EQ(NumberLimit(9), 1000000000u);
}

class MoplinkSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SUITE_REGISTRY_DIR", (scratch / "registry").c_str(), 1);
        plugin = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Host\\Moplink");
        ASSERT_TRUE(plugin);
    }
    void TearDown() override { ::unsetenv("SUITE_REGISTRY_DIR"); }
    // Every stored value, different from its default, in a format's sub-key.
    void WriteAll(const char* subKey) {
        suite::RegKey k = suite::RegKey::Create(plugin.get(), subKey);
        using plugin_test::SetDword;
        using plugin_test::SetString;
        SetDword(k.get(), "Detect Paper Orentation", 0);
        SetDword(k.get(), "Page Deskewing", 0);
        SetDword(k.get(), "Primary Language ID", 7);
        SetString(k.get(), "Extra Language", "2,3,9");
        SetString(k.get(), "File Name", "C:\\out\\r.pdf");
        SetDword(k.get(), "Keep Text Color", 0);
        SetDword(k.get(), "Create BookMarks", 0);
        SetDword(k.get(), "Include Graphics", 0);
        SetDword(k.get(), "ConvertToBWImage", 1);
        SetDword(k.get(), "Keep Original Resolution", 0);
        SetDword(k.get(), "Max Graphic DPI", 150);
        SetDword(k.get(), "Image Quality", 3);
        SetDword(k.get(), "Output Method", 1);
        SetDword(k.get(), "Auto Assign File Name", 1);
        SetString(k.get(), "Folder", "C:\\out\\");
        SetString(k.get(), "Prefix", "scan");
        SetDword(k.get(), "Inc Step", 2);
        SetDword(k.get(), "Index Pad", 6);
    }
    ExportSettings Loaded(UINT code) {
        ExportSettings s = DefaultSettings(Format(code));
        LoadSettings(plugin.get(), Format(code), &s);
        return s;
    }
    suite_test::ScratchFolder scratch;
    suite::RegKey plugin;
};

TEST_F(MoplinkSettings, DefaultsDifferForTheImageAndTextPdfFormats) {
    ExportSettings image = DefaultSettings(Format(kFormatPdfImage));
    EXPECT_EQ(image.keepTextColors, 0);
    EXPECT_EQ(image.createBookmarks, 0);
    EXPECT_EQ(image.includeGraphics, 1);
    EXPECT_EQ(DefaultSettings(Format(kFormatPdfText)).includeGraphics, 0);
    ExportSettings html = DefaultSettings(Format(kFormatHtml));
    EXPECT_EQ(html.primaryLanguage, 1u);
    EXPECT_EQ(html.width, 4u);
    EXPECT_EQ(html.imageQuality, 8u);
    EXPECT_EQ(html.maxDpi, 300u);
    // A missing sub-key leaves the defaults.
    EXPECT_EQ(Loaded(kFormatRtf), DefaultSettings(Format(kFormatRtf)));
}

TEST_F(MoplinkSettings, EachSubKeyLoadsOnlyTheValuesItKeeps) {
    for (const ExportFormat& f : AllFormats()) WriteAll(f.subKey);
    ExportSettings html = Loaded(kFormatHtml);
    EXPECT_EQ(html.detectOrientation, 0);
    EXPECT_EQ(html.primaryLanguage, 7u);
    EXPECT_EQ(html.secondaryLanguages, (std::vector<DWORD>{3, 9}));
    EXPECT_EQ(html.outputPath, "");
    EXPECT_EQ(html.outputMethod, 0u);

    ExportSettings text = Loaded(kFormatPdfText);
    EXPECT_EQ(text.outputPath, "C:\\out\\r.pdf");
    EXPECT_EQ(text.includeGraphics, 0);
    EXPECT_EQ(text.keepTextColors, 0);
    EXPECT_EQ(text.width, 6u);
    EXPECT_EQ(text.step, 2u);
    EXPECT_EQ(text.maxDpi, 150u);

    ExportSettings mixed = Loaded(kFormatPdfImageText);
    EXPECT_EQ(mixed.includeGraphics, 1);  // not read for these formats
    EXPECT_EQ(mixed.createBookmarks, 0);
    EXPECT_EQ(mixed.prefix, "scan");

    ExportSettings image = Loaded(kFormatPdfImage);
    EXPECT_EQ(image.deskew, 0);
    EXPECT_EQ(image.primaryLanguage, 1u);  // languages are not read
    EXPECT_TRUE(image.secondaryLanguages.empty());
    EXPECT_EQ(image.includeGraphics, 1);
    EXPECT_EQ(image.keepTextColors, 0);  // its default, not the stored 0... same value
    EXPECT_EQ(image.createBookmarks, 0);
    EXPECT_EQ(image.bwGraphics, 1);
    EXPECT_EQ(image.imageQuality, 3u);
    EXPECT_EQ(image.folder, "C:\\out\\");
}

TEST_F(MoplinkSettings, StoredValuesOutsideTheirRangesOrFieldsAreKeptSafe) {
    suite::RegKey k = suite::RegKey::Create(plugin.get(), "PDF Text Only");
    plugin_test::SetString(k.get(), "Extra Language", "9,1,2,3,4,5,6");
    plugin_test::SetDword(k.get(), "Index Pad", 40);
    plugin_test::SetDword(k.get(), "Inc Step", 0);
    plugin_test::SetDword(k.get(), "Max Graphic DPI", 5000);
    plugin_test::SetString(k.get(), "Folder", std::string(300, 'f'));
    ExportSettings s = Loaded(kFormatPdfText);
    EXPECT_EQ(s.secondaryLanguages, (std::vector<DWORD>{1, 2, 3, 4}));
    EXPECT_EQ(s.width, 9u);
    EXPECT_EQ(s.step, 1u);
    EXPECT_EQ(s.maxDpi, 300u);
    EXPECT_EQ(s.folder, "");
    plugin_test::SetString(k.get(), "Extra Language", "3,5");
    EXPECT_EQ(Loaded(kFormatPdfText).secondaryLanguages, (std::vector<DWORD>{5}));
}

TEST_F(MoplinkSettings, SavedSettingsLoadBackAlike) {
    for (const ExportFormat& f : AllFormats()) {
        ExportSettings s = DefaultSettings(f);
        s.detectOrientation = 0;
        s.primaryLanguage = 12;
        s.secondaryLanguages = {2, 5, 6};
        if (f.pdf) {
            s.outputPath = "C:\\r.pdf";
            s.bwGraphics = 1;
            s.maxDpi = 75;
            s.outputMethod = 1;
            s.folder = "C:\\out\\";
            s.prefix = "p";
            s.width = 3;
            s.step = 4;
            s.createBookmarks = 1;
            s.keepTextColors = 1;
        }
        ASSERT_TRUE(SaveSettings(plugin.get(), f, s));
        ExportSettings back = Loaded(f.code);
        if (f.code == kFormatPdfImage) {
            s.primaryLanguage = back.primaryLanguage;
            s.secondaryLanguages = back.secondaryLanguages;
            s.createBookmarks = back.createBookmarks;
            s.keepTextColors = back.keepTextColors;
        }
        EXPECT_EQ(back, s) << f.subKey;
    }
}

// ---- wizard page models ----

LanguageGroups SampleGroups() {
    auto entry = [](DWORD id, const char* name) {
        plugins::LanguageEntry e;
        e.id = id;
        e.name = name;
        e.flag = "0";
        return e;
    };
    return {{entry(1, "English"), entry(2, "German"), entry(3, "French")},
            {entry(10, "Chinese"), entry(11, "Japanese")},
            {entry(20, "Greek"), entry(21, "Russian")}};
}

std::vector<std::string> ListNames(const LanguagePageModel& m) {
    std::vector<std::string> out;
    for (const auto& item : m.List()) out.push_back(item.name);
    return out;
}

TEST(MoplinkLanguagePage, TheSecondaryListFollowsThePrimarysGroup) {
    LanguagePageModel m;
    ExportSettings s;
    s.primaryLanguage = 2;
    s.secondaryLanguages = {3, 21};
    m.Open(s, SampleGroups(), false);
    ASSERT_EQ(m.Combo().size(), 7u);
    EXPECT_EQ(m.Combo()[m.ComboSelection()].name, "German");
    EXPECT_EQ(m.Combo()[3].data, (10u << 16) | 1u);
    EXPECT_EQ(ListNames(m), (std::vector<std::string>{"English", "French", "Greek", "Russian"}));
    EXPECT_TRUE(m.List()[1].checked);
    EXPECT_TRUE(m.List()[3].checked);
    // A primary of the second group: all of group a and the rest of its own; the checks go.
    m.SelectCombo(3);
    EXPECT_EQ(ListNames(m), (std::vector<std::string>{"English", "German", "French", "Japanese"}));
    EXPECT_TRUE(std::none_of(m.List().begin(), m.List().end(), [](const auto& i) { return i.checked; }));
}

TEST(MoplinkLanguagePage, StoringChecksTheCountAndNumeric) {
    LanguagePageModel m;
    ExportSettings s;
    m.Open(s, SampleGroups(), false);
    for (int i = 0; i < 4; ++i) m.SetChecked(i, true);
    plugins::NumericLanguage numeric;
    ASSERT_EQ(m.Store(numeric, &s), LanguagePageModel::StoreResult::Stored);
    EXPECT_EQ(s.primaryLanguage, 1u);
    EXPECT_EQ(s.primaryName, "English");
    EXPECT_EQ(s.secondaryNames, (std::vector<std::string>{"German", "French", "Greek", "Russian"}));
    // Five checked: refused, nothing stored.
    ExportSettings before = s;
    LanguageGroups five = SampleGroups();
    five[2].push_back({22, "Polish", "0", ""});
    m.Open(s, five, false);
    for (std::size_t i = 0; i < m.List().size(); ++i) m.SetChecked(static_cast<int>(i), true);
    EXPECT_EQ(m.List().size(), 5u);
    EXPECT_EQ(m.Store(numeric, &s), LanguagePageModel::StoreResult::TooManySecondaries);
    EXPECT_EQ(s, before);
    // Numeric: primary 0, the numeric id as the one secondary.
    m.SetNumeric(true);
    EXPECT_FALSE(m.LanguagesEnabled());
    numeric.id = 26;
    ASSERT_EQ(m.Store(numeric, &s), LanguagePageModel::StoreResult::Stored);
    EXPECT_EQ(s.primaryLanguage, 0u);
    EXPECT_EQ(s.secondaryLanguages, (std::vector<DWORD>{26}));
    EXPECT_EQ(s.primaryName, "Numeric");
    // Reopened, numeric shows checked with English as the combo's choice.
    m.Open(s, SampleGroups(), true);
    EXPECT_TRUE(m.Numeric());
    EXPECT_EQ(m.Combo()[m.ComboSelection()].name, "English");
    EXPECT_FALSE(m.NumericEnabled());
}

TEST(MoplinkLanguagePage, LanguagesNeedingAMissingFileAreLeftOut) {
    suite_test::ScratchFolder scratch;
    ::setenv("SUITE_REGISTRY_DIR", (scratch / "registry").c_str(), 1);
    suite::RegKey lang = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Host\\Moplink\\V10\\Language");
    suite::RegKey a = suite::RegKey::Create(lang.get(), "Group a");
    plugin_test::SetString(a.get(), "1", "1,English,0");
    plugin_test::SetString(a.get(), "2", "5,Thai,1,thai.dat");
    plugin_test::SetString(a.get(), "3", "6,Arabic,1,arabic.dat");
    plugin_test::SetString(a.get(), "4", "broken");
    plugin_test::SetString(a.get(), "5", "8,Danish,0");
    suite::RegKey c = suite::RegKey::Create(lang.get(), "Group c");  // no "Group b": c is never reached
    plugin_test::SetString(c.get(), "1", "9,Hidden,0");
    std::string folder = suite::WindowsPath(scratch / "app") + "\\";
    suite::MakeNativeFolders(scratch / "app");
    suite_test::ScratchFolder::MakeFile(scratch / "app/thai.dat");
    LanguageGroups groups = LoadLanguageGroups(lang.get(), folder);
    ASSERT_EQ(groups.size(), 1u);
    std::vector<std::string> names;
    for (const auto& e : groups[0]) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"English", "Thai", "Danish"}));
    ::unsetenv("SUITE_REGISTRY_DIR");
}

TEST(MoplinkPdfOptions, EnablingFollowsTheFormatAndTheChoices) {
    PdfOptionsModel m;
    ExportSettings s = DefaultSettings(Format(kFormatPdfImage));
    m.Open(s, kFormatPdfImage);
    EXPECT_FALSE(m.Enabled(kKeepTextColors));
    EXPECT_FALSE(m.Enabled(kIncludeGraphics));
    EXPECT_FALSE(m.Enabled(kBookmarks));
    EXPECT_TRUE(m.Enabled(kBwGraphics));
    EXPECT_FALSE(m.Enabled(kDpiEdit));  // original resolution kept
    m.keepOriginal = false;
    EXPECT_TRUE(m.Enabled(kDpiEdit));
    m.bwGraphics = true;
    EXPECT_FALSE(m.Enabled(kQualityBar));
    m.Open(DefaultSettings(Format(kFormatPdfTextImage)), kFormatPdfTextImage);
    EXPECT_FALSE(m.Enabled(kIncludeGraphics));
    EXPECT_TRUE(m.Enabled(kBookmarks));
    m.Open(DefaultSettings(Format(kFormatPdfText)), kFormatPdfText);
    EXPECT_TRUE(m.Enabled(kIncludeGraphics));
    for (UINT id : {kBwGraphics, kOriginalResolution, kLimitResolution, kDpiEdit, kQualityBar})
        EXPECT_FALSE(m.Enabled(id)) << id;  // graphics not included
}

TEST(MoplinkPdfOptions, TheQualityBarStaysWithinOneToTen) {
    PdfOptionsModel m;
    m.Open(ExportSettings{}, kFormatPdfText);
    EXPECT_EQ(m.quality, 8);
    m.Scroll(SB_LINERIGHT, 0);
    m.Scroll(SB_PAGERIGHT, 0);
    m.Scroll(SB_LINERIGHT, 0);
    EXPECT_EQ(m.quality, 10);
    m.Scroll(SB_LEFT, 0);
    EXPECT_EQ(m.quality, 1);
    m.Scroll(SB_PAGELEFT, 0);
    EXPECT_EQ(m.quality, 1);
    m.Scroll(SB_THUMBPOSITION, 6);
    EXPECT_EQ(m.quality, 6);
    m.Scroll(SB_RIGHT, 0);
    EXPECT_EQ(m.quality, 10);
}

TEST(MoplinkPdfSave, ExampleTextAndItsOverflowMark) {
    PdfSaveModel m;
    ExportSettings s;
    s.outputMethod = 1;
    s.autoNames = 1;
    s.folder = "C:\\out\\";
    s.prefix = "scan";
    m.Open(s);
    EXPECT_EQ(m.Example("Example:"), "Example: scan0001.pdf; scan0002.pdf");
    EXPECT_TRUE(m.SetFirstNumber("9999"));
    EXPECT_EQ(m.Example("Example:"), "Example: scan9999.pdf; ########");
    // 10000 does not fit four digits: undone.
    EXPECT_FALSE(m.SetFirstNumber("10000"));
    EXPECT_EQ(m.firstNumber, "9999");
    EXPECT_EQ(m.WidthLow(), 4);
    m.WidthSpin(4, -1);
    EXPECT_EQ(m.width, "4");
    m.WidthSpin(8, 5);
    EXPECT_EQ(m.width, "9");
    m.StepSpin(10, 1);
    EXPECT_EQ(m.step, "10");
    m.StepSpin(1, -1);
    EXPECT_EQ(m.step, "1");
    m.folder.clear();
    EXPECT_FALSE(m.Complete());
    EXPECT_EQ(m.Example("Example:"), "Example:");
}

TEST(MoplinkPdfSave, InputStateAndEnablingByMethod) {
    PdfSaveModel m;
    m.Open(ExportSettings{});
    EXPECT_FALSE(m.InputState());  // combining, no path yet
    EXPECT_TRUE(m.Enabled(kCombinedPath));
    EXPECT_FALSE(m.Enabled(kPrompt));
    m.combinedPath = "C:\\all.pdf";
    EXPECT_TRUE(m.InputState());
    m.perImage = true;
    EXPECT_TRUE(m.InputState());  // prompting needs nothing more
    EXPECT_FALSE(m.Enabled(kCombinedPath));
    EXPECT_TRUE(m.Enabled(kAutomatic));
    EXPECT_FALSE(m.Enabled(kFolder));
    m.automatic = true;
    EXPECT_FALSE(m.InputState());  // no folder
    m.folder = "C:\\out\\";
    EXPECT_TRUE(m.InputState());
    m.step = "0";
    EXPECT_FALSE(m.InputState());
    ExportSettings s;
    m.step = "3";
    m.Store(&s);
    EXPECT_EQ(s.outputMethod, 1u);
    EXPECT_EQ(s.autoNames, 1);
    EXPECT_EQ(s.step, 3u);
    EXPECT_EQ(s.outputPath, "C:\\all.pdf");
}

TEST(MoplinkSummary, LinesOfTheOcrAndPdfPages) {
    auto text = [](UINT id) -> std::string {
        static const std::map<UINT, std::string> t = {
            {21, "Detect Paper Orientation:"}, {22, "On"}, {23, "Off"}, {24, "Page Deskwing:"},
            {25, "Primary Language:"}, {26, "Secondary Languages:"}, {29, "Retain colors of text:"},
            {30, "Create bookmarks:"}, {31, "Include Graphics:"}, {32, "Convert to B&W Graphics:"},
            {33, "Retain original image resolution:"}, {34, "Maximum Resolution:"}, {35, "Image Quality:"}};
        return t.at(id);
    };
    ExportSettings s;
    s.deskew = 0;
    s.primaryName = "English";
    s.secondaryLanguages = {2, 3};
    s.secondaryNames = {"German", "French"};
    EXPECT_EQ(OcrSummary(s, text),
              (std::vector<std::string>{"Detect Paper Orientation: On", "Page Deskwing: Off", "Primary Language: English",
                                        "Secondary Languages: German,French"}));
    s.primaryLanguage = 0;
    s.primaryName = "Numeric";
    EXPECT_EQ(OcrSummary(s, text).size(), 3u);
    s.includeGraphics = 1;
    s.keepOriginalResolution = 0;
    s.maxDpi = 200;
    EXPECT_EQ(PdfSummary(s, text),
              (std::vector<std::string>{"Retain colors of text: On", "Create bookmarks: On", "Include Graphics: On",
                                        "Convert to B&W Graphics: Off", "Retain original image resolution: Off",
                                        "Maximum Resolution: 200", "Image Quality: 8%"}));
    s.includeGraphics = 0;
    EXPECT_EQ(PdfSummary(s, text).size(), 3u);
}

}  // namespace

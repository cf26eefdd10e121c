// The DDE export plug-in as its host sees it: loaded by file, detecting the
// OCR application, running its wizard in a window with a tree, and exporting
// through the DDE peer that plays the application.
#include "plugins/tests/moplink_host.h"

#include <chrono>

namespace {

using namespace moplink_test;

class TestHostApp : public CWinApp {
public:
    TestHostApp() : CWinApp("MoplinkHost") {}
    BOOL InitInstance() override { return TRUE; }
};
TestHostApp theHost;

TEST_F(MoplinkHost, ExportsOnlyItsEntryAndTheSameTableOnEveryCall) {
    EXPECT_EQ(plugin_test::DefinedExports(plugin_test::PluginFile("Moplink")),
              std::set<std::string>{"OcrInterfaceEntry"});
    const OCREXPORT_INTERFACE* t = Load();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t, Load());
    // Nothing installed: not found, and nothing else is written.
    OCREXPORT_INFO info;
    std::memset(&info, 0x5A, sizeof info);
    t->OcrExportGetInfo(host.get(), &info);
    EXPECT_EQ(info.bFound, 0u);
    EXPECT_EQ(info.dwFlags, 0x5A5A5A5Au);
    // The wizard and the run answer without a detection.
    EXPECT_EQ(t->OcrExportWizardNext(nullptr, nullptr, nullptr, 0, nullptr), nullptr);
    t->OcrExportWizardCancel();
    CStringArray none;
    EXPECT_EQ(t->OcrExportRun(none, kFormatHtml), 1);
}

TEST_F(MoplinkHost, FormatsByVersionNamedInBitOrder) {
    Install("V10");
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    ASSERT_EQ(info.bFound, 1u);
    EXPECT_EQ(info.dwFlags, 15u);
    EXPECT_EQ(info.dwFormats, 0x1E0Bu);
    EXPECT_STREQ(info.szName, "Moplink");
    const char* v10[] = {"HTML (*.htm)",     "Text-MS-DOS Format (*.txt)", "Microsoft Rich Text Format (*.rtf)",
                         "PDF Image (*.pdf)", "PDF Text (*.pdf)",          "PDF Image-Text (*.pdf)",
                         "PDF Text-Image (*.pdf)"};
    for (int i = 0; i < 7; ++i) EXPECT_STREQ(info.szFormatName[i], v10[i]);
    // Without version 10, the same key (kept open) finds version 9 with five formats.
    RegDeleteTreeA(host.get(), "Moplink\\V10");
    Install("V9");
    OCREXPORT_INFO nine{};
    t->OcrExportGetInfo(host.get(), &nine);
    ASSERT_EQ(nine.bFound, 1u);
    EXPECT_EQ(nine.dwFormats, 0x0C0Bu);
    const char* v9[] = {"HTML (*.htm)", "Text-MS-DOS Format (*.txt)", "Microsoft Rich Text Format (*.rtf)",
                        "PDF Text (*.pdf)", "PDF Image-Text (*.pdf)"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(nine.szFormatName[i], v9[i]);
    // The plug-in key stays open from the first call: a later call finds it
    // again whatever key the host passes.
    OCREXPORT_INFO again{};
    t->OcrExportGetInfo(nullptr, &again);
    EXPECT_EQ(again.bFound, 1u);
    // The program gone: not found.
    suite::RegKey app = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Apps\\Quade");
    SetString(app.get(), "Path", "C:\\nowhere\\quade.exe");
    t->OcrExportGetInfo(host.get(), &nine);
    EXPECT_EQ(nine.bFound, 0u);
}

TEST_F(MoplinkHost, EveryFormatsScriptReachesThePeerAndItsOutputIsChecked) {
    Install("V10");
    for (const char* sub : {"PDF Image Only", "PDF Text Only", "PDF ImageText", "PDF TextImage"}) {
        HKEY k = SettingsKey(sub);
        SetString(k, "File Name", Out(std::string(sub) + ".pdf"));
        SetDword(k, "Primary Language ID", 7);
        SetString(k, "Extra Language", "2,3,9");
    }
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    ASSERT_EQ(info.bFound, 1u);
    CStringArray files;
    files.Add("C:\\scans\\a.tif");
    files.Add("C:\\scans\\b.tif");
    struct Case {
        UINT code;
        const char* format;
        const char* output;
    };
    for (const Case& c : {Case{kFormatPdfImage, "[FMTTEXT](53,1,0)", "[SAVEIMG_MULTI]"},
                          Case{kFormatPdfText, "[FMTTEXT](53,1,0)", "[OUTPUT]"},
                          Case{kFormatPdfImageText, "[FMTTEXT](54,1,0)", "[OUTPUT]"},
                          Case{kFormatPdfTextImage, "[FMTTEXT](75,1,0)", "[OUTPUT]"}}) {
        SCOPED_TRACE(c.code);
        std::remove(record().c_str());
        AfxTestScript::Clear();
        EXPECT_EQ(t->OcrExportRun(files, c.code), 1);
        PeerGone();
        std::vector<std::string> commands = Commands();
        ASSERT_GE(commands.size(), 10u);
        EXPECT_EQ(commands[0], "[NEW_DOCUMENT]");
        EXPECT_EQ(commands[1], c.format);
        EXPECT_EQ(Starting("[INPUT]"), (std::vector<std::string>{"[INPUT](C:\\scans\\a.tif)", "[INPUT](C:\\scans\\b.tif)"}));
        EXPECT_EQ(Starting(c.output).size(), 1u);
        EXPECT_EQ(commands.back(), "[ENDAPPLICATION]");
        bool image = c.code == kFormatPdfImage;
        EXPECT_EQ(Starting("[PAGEANALYSIS](ON)").size(), image ? 0u : 1u);
        EXPECT_EQ(Starting("[OCR]").size(), image ? 0u : 1u);
        EXPECT_EQ(Starting("[LANGUAGE_OCR]"),
                  image ? std::vector<std::string>{} : std::vector<std::string>{"[LANGUAGE_OCR](7)"});
        EXPECT_EQ(Starting("[LANGUAGE_SEC_OCR]").size(), image ? 0u : 2u);
        EXPECT_EQ(Messages(), (std::vector<std::string>{"Export finished!"}));
    }
}

TEST_F(MoplinkHost, OneFilePerImageWithAutomaticNamesAndTheirOverflow) {
    Install("V10");
    HKEY k = SettingsKey("PDF ImageText");
    SetDword(k, "Output Method", 1);
    SetDword(k, "Auto Assign File Name", 1);
    SetString(k, "Folder", Out(""));
    SetString(k, "Prefix", "scan");
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    CStringArray files;
    for (const char* f : {"C:\\s\\1.tif", "C:\\s\\2.tif", "C:\\s\\3.tif"}) files.Add(f);
    t->OcrExportRun(files, kFormatPdfImageText);
    PeerGone();
    EXPECT_EQ(Starting("[OUTPUT]"), (std::vector<std::string>{"[OUTPUT](" + Out("scan0001.pdf") + ",NEW)",
                                                             "[OUTPUT](" + Out("scan0002.pdf") + ",NEW)",
                                                             "[OUTPUT](" + Out("scan0003.pdf") + ",NEW)"}));
    EXPECT_EQ(Starting("[INPUT]").size(), 3u);
    EXPECT_EQ(Starting("[NEW_DOCUMENT]").size(), 6u);
    EXPECT_TRUE(OutExists("scan0003.pdf"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Export finished!"}));

    // Width 2 from 95 by 2: 95, 97 and 99 fit, 101 does not.
    SetDword(k, "Index Pad", 2);
    SetDword(k, "Inc Step", 2);
    t->OcrExportGetInfo(host.get(), &info);
    HostWizard wizard;
    ASSERT_TRUE(wizard.CreateEx(0, "HostWizard", "Wizard", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr));
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 400), &wizard, 100));
    HTREEITEM format = tree.InsertItem("PDF Image-Text"), summary = nullptr, next = nullptr;
    int hasNext = 0;
    UINT store = RegisterWindowMessage(kExportMessageName);
    CWnd* page = t->OcrExportWizardStart(&tree, &format, &summary, &wizard, &hasNext, kFormatPdfImageText);
    ASSERT_NE(page, nullptr);
    page = t->OcrExportWizardNext(&tree, &summary, &next, 0, &hasNext);
    page = t->OcrExportWizardNext(&tree, &next, &summary, 0, &hasNext);
    ASSERT_NE(page, nullptr);
    page->SetDlgItemText(1311, "95");
    EXPECT_EQ(page->SendMessage(store, kExportStore, 0), 1);
    t->OcrExportWizardFinish();
    std::remove(record().c_str());
    AfxTestScript::Clear();
    files.Add("C:\\s\\4.tif");
    files.Add("C:\\s\\5.tif");
    t->OcrExportRun(files, kFormatPdfImageText);
    PeerGone();
    EXPECT_EQ(Starting("[OUTPUT]"), (std::vector<std::string>{"[OUTPUT](" + Out("scan95.pdf") + ",NEW)",
                                                             "[OUTPUT](" + Out("scan97.pdf") + ",NEW)",
                                                             "[OUTPUT](" + Out("scan99.pdf") + ",NEW)"}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "The serial number exceed the max value 99 you set up in the pad field, please re-configure!"}));
}

TEST_F(MoplinkHost, AnAutomaticNameTooLongForAPathIsRefusedWithAMessage) {
    Install("V10");
    HKEY k = SettingsKey("PDF Text Only");
    SetDword(k, "Output Method", 1);
    SetDword(k, "Auto Assign File Name", 1);
    std::string folder = "C:\\" + std::string(200, 'f') + "\\";
    SetString(k, "Folder", folder);
    SetString(k, "Prefix", std::string(60, 'p'));
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    CStringArray files;
    files.Add("C:\\s\\1.tif");
    files.Add("C:\\s\\2.tif");
    t->OcrExportRun(files, kFormatPdfText);
    PeerGone();
    EXPECT_TRUE(Starting("[OUTPUT]").empty());
    EXPECT_TRUE(Starting("[INPUT]").empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("too long"), std::string::npos);
    EXPECT_NE(Messages()[0].find(folder + std::string(60, 'p') + "0001.pdf"), std::string::npos);
}

TEST_F(MoplinkHost, ACancelledSaveAsSkipsOnlyThatFile) {
    Install("V10");
    HKEY k = SettingsKey("PDF Image Only");
    SetDword(k, "Output Method", 1);
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    AfxTestScript::QueueFile(Out("first"));
    AfxTestScript::QueueFile("");
    AfxTestScript::QueueFile(Out("third.pdf"));
    CStringArray files;
    for (const char* f : {"C:\\s\\1.tif", "C:\\s\\2.tif", "C:\\s\\3.tif"}) files.Add(f);
    t->OcrExportRun(files, kFormatPdfImage);
    PeerGone();
    EXPECT_EQ(Starting("[INPUT]"), (std::vector<std::string>{"[INPUT](C:\\s\\1.tif)", "[INPUT](C:\\s\\3.tif)"}));
    EXPECT_EQ(Starting("[SAVEIMG_MULTI]"), (std::vector<std::string>{"[SAVEIMG_MULTI](" + Out("first.pdf") + ",99)",
                                                                    "[SAVEIMG_MULTI](" + Out("third.pdf") + ",99)"}));
    EXPECT_TRUE(OutExists("first.pdf"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Export finished!"}));
}

TEST_F(MoplinkHost, RefusedPathsAndMissingOutputsAreReportedNotFinished) {
    Install("V10");
    const OCREXPORT_INTERFACE* t = Load();
    OCREXPORT_INFO info{};
    t->OcrExportGetInfo(host.get(), &info);
    CStringArray files;
    files.Add("C:\\s\\1.tif");
    // No output path: nothing is started or sent.
    t->OcrExportRun(files, kFormatPdfText);
    EXPECT_FALSE(suite_test::ScratchFolder::Exists(record()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("No output file"), std::string::npos);
    // A path the command cannot carry.
    AfxTestScript::Clear();
    HKEY k = SettingsKey("PDF Text Only");
    SetString(k, "File Name", Out("r.pdf"));
    t->OcrExportGetInfo(host.get(), &info);
    CStringArray bad;
    bad.Add("C:\\s\\one,two.tif");
    t->OcrExportRun(bad, kFormatPdfText);
    EXPECT_FALSE(suite_test::ScratchFolder::Exists(record()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("C:\\s\\one,two.tif"), std::string::npos);
    // An application that writes nothing: the missing file is named.
    AfxTestScript::Clear();
    PeerWritesOutputs(false);
    t->OcrExportRun(files, kFormatPdfText);
    PeerGone();
    EXPECT_EQ(Starting("[OUTPUT]").size(), 1u);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "The export did not produce these files:\n" + Out("r.pdf"));
    // A file left by an earlier run is no output of this one.
    AfxTestScript::Clear();
    suite_test::ScratchFolder::MakeFile(world.scratch / "out/r.pdf", "an earlier export");
    t->OcrExportRun(files, kFormatPdfText);
    PeerGone();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "The export did not produce these files:\n" + Out("r.pdf"));
    // An application that never answers: said so, in bounded time.
    AfxTestScript::Clear();
    ::setenv("SUITE_DDE_START_WAIT_MS", "1000", 1);
    ::setenv("SUITE_DDE_PEER", ("service=Quade topic=QuadeOCR class=Moplink lifetime=3000 refuse=1 record=" + record()).c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    t->OcrExportRun(files, kFormatPdfText);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ::unsetenv("SUITE_DDE_START_WAIT_MS");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("could not be reached"), std::string::npos) << Messages()[0];
    EXPECT_NE(Messages()[0].find("suite_dde_peer"), std::string::npos) << Messages()[0];
}

}  // namespace

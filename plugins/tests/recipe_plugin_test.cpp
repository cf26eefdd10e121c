// The launch-recipe plug-ins as their host sees them: loaded by file, asked
// for their table, given registry keys, and made to hand files to the peers.
#include <QImage>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/afx/ui/ddeml.h"
#include "platform/win/folders.h"
#include "platform/win/time.h"
#include "plugins/recipe/ocrapp_interface.h"
#include "plugins/tests/plugin_host.h"

namespace {

using plugin_test::HostWorld;
using plugin_test::LoadedPlugin;
using plugin_test::SetDword;
using plugin_test::SetString;
using plugin_test::WaitFor;

class TestHostApp : public CWinApp {
public:
    TestHostApp() : CWinApp("PluginHost") {}
    BOOL InitInstance() override { return TRUE; }
};
TestHostApp theHost;

const char* const kRecipePlugins[] = {"Dravel", "Quenby", "Lomart", "Harnel"};

std::vector<DWORD> Resolutions(const OCRAPP_INFO* info) {
    std::vector<DWORD> out;
    for (INT_PTR i = 0; i < info->m_dwaResolutions.GetSize(); ++i) out.push_back(info->m_dwaResolutions[i]);
    return out;
}

class RecipeHost : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        host = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\TestHost\\Plugins");
        ASSERT_TRUE(host);
    }

    // Sub-key `stem` + n under the host key whose "Exe RegPath" names `program`
    // through the value "Path" of a key under HKEY_CURRENT_USER.
    HKEY Install(const std::string& stem, int n, const std::string& program) {
        std::string appKey = "Software\\Apps\\" + stem + std::to_string(n);
        suite::RegKey app = suite::RegKey::Create(HKEY_CURRENT_USER, appKey);
        SetString(app.get(), "Path", program);
        subKeys.push_back(suite::RegKey::Create(host.get(), stem + " " + std::to_string(n)));
        SetString(subKeys.back().get(), "Exe RegPath", "2," + appKey + ",Path,0");
        return subKeys.back().get();
    }

    const OCRAPP_INTERFACE* Load(const char* name) {
        plugins.push_back(std::make_unique<LoadedPlugin>(name));
        return plugins.back()->Entry<OCRAPP_INTERFACE>();
    }

    std::string PeerProgram(const char* name) { return suite::WindowsPath(plugin_test::BuildFolder() + "/" + name); }

    HostWorld world;
    suite::RegKey host;
    std::vector<suite::RegKey> subKeys;
    std::vector<std::unique_ptr<LoadedPlugin>> plugins;
};

TEST_F(RecipeHost, EachPluginExportsOnlyItsEntryAndTheSameTableOnEveryCall) {
    for (const char* name : kRecipePlugins) {
        SCOPED_TRACE(name);
        EXPECT_EQ(plugin_test::DefinedExports(plugin_test::PluginFile(name)), std::set<std::string>{"OcrInterfaceEntry"});
        LoadedPlugin plugin(name);
        ASSERT_TRUE(plugin.loaded());
        const OCRAPP_INTERFACE* table = plugin.Entry<OCRAPP_INTERFACE>();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table, plugin.Entry<OCRAPP_INTERFACE>());
        EXPECT_EQ(table->OcrReturnTrue, table->OcrReturnTrue2);
        EXPECT_EQ(table->OcrReturnTrue(), 1);
        table->OcrNoOperation();
        // Nothing detected yet: no path, no icon, not found.
        EXPECT_EQ(table->OcrGetIcon(), nullptr);
        EXPECT_EQ(table->OcrDetect(host.get()), 0);
        int format = -5, quality = -6;
        table->OcrGetImageFormat(7, 0, &format, &quality);
        EXPECT_EQ(format, -5);
        EXPECT_EQ(quality, -6);
    }
}

TEST_F(RecipeHost, EverySlotRunsUnderThePluginsModuleStateAndGivesTheHostsBack) {
    HINSTANCE mine = AfxGetInstanceHandle();
    AfxSetResourceHandle(mine);
    std::string program = world.MakeProgram("apps/ocr.exe");
    for (const char* name : kRecipePlugins) {
        SCOPED_TRACE(name);
        Install(name, 1, program);
        const OCRAPP_INTERFACE* t = Load(name);
        ASSERT_NE(t, nullptr);
        OCRAPP_INFO* info = nullptr;
        EXPECT_EQ(t->OcrGetInfo(&info, host.get()), 1);
        int f = 0, q = 0;
        t->OcrGetImageFormat(0, 0, &f, &q);
        HICON icon = t->OcrGetIcon();
        EXPECT_EQ(icon, nullptr);
        EXPECT_EQ(t->OcrDetect(host.get()), 1);
        EXPECT_EQ(AfxExchangeResourceHandle(mine), mine);
    }
}

TEST_F(RecipeHost, TheSearchEndsAtTheFirstMissingSubKey) {
    const OCRAPP_INTERFACE* t = Load("Dravel");
    std::string present = world.MakeProgram("apps/present.exe");
    Install("Dravel", 1, "C:\\nowhere\\missing.exe");
    Install("Dravel", 3, present);
    OCRAPP_INFO* info = nullptr;
    EXPECT_EQ(t->OcrGetInfo(&info, host.get()), 0);
    EXPECT_EQ(info, nullptr);
    // Sub-key 1 that matches is found although 2 is missing.
    Install("Dravel", 1, present);
    EXPECT_EQ(t->OcrGetInfo(&info, host.get()), 1);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->m_strExePath, present.c_str());
    // A numbered sub-key without "Exe RegPath" ends the search too.
    RegDeleteValueA(subKeys[2].get(), "Exe RegPath");
    EXPECT_EQ(t->OcrDetect(host.get()), 0);
}

TEST_F(RecipeHost, AMissingProgramMovesOnToTheNextSubKey) {
    const OCRAPP_INTERFACE* t = Load("Quenby");
    std::string second = world.MakeProgram("apps/second.exe");
    Install("Quenby", 1, world.scratch.path() + "/apps/gone.exe");
    Install("Quenby", 2, second);
    OCRAPP_INFO* info = nullptr;
    ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
    EXPECT_STREQ(info->m_strExePath, second.c_str());
    // A path too long for the 260-byte buffer is not found: the search goes on.
    std::string deep = "apps/" + std::string(240, 'd') + "/ocr.exe";
    std::string longPath = world.MakeProgram(deep);
    ASSERT_GE(longPath.size(), 260u);
    SetString(subKeys[0].get(), "Exe RegPath", "2,Software\\Apps\\Long,0,0");
    suite::RegKey app = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Apps\\Long");
    SetString(app.get(), "", longPath);
    ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
    EXPECT_STREQ(info->m_strExePath, second.c_str());
}

TEST_F(RecipeHost, RootsValueNamesAndFileNamesOfTheLocator) {
    const OCRAPP_INTERFACE* t = Load("Harnel");
    std::string program = world.MakeProgram("machine/app.exe");
    std::string folder = program.substr(0, program.size() - std::string("\\app.exe").size());
    suite::RegKey machine = suite::RegKey::Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Harnel");
    SetString(machine.get(), "", folder);
    suite::RegKey sub = suite::RegKey::Create(host.get(), "Harnel 1");
    SetString(sub.get(), "Exe RegPath", "1,SOFTWARE\\Vendor\\Harnel,0,app.exe");
    OCRAPP_INFO* info = nullptr;
    ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
    EXPECT_STREQ(info->m_strExePath, (folder + "\\app.exe").c_str());
    // Roots 2 and 0 read the user's tree: the machine's key is not looked at.
    for (const char* root : {"2", "0"}) {
        SCOPED_TRACE(root);
        SetString(sub.get(), "Exe RegPath", std::string(root) + ",SOFTWARE\\Vendor\\Harnel,0,app.exe");
        EXPECT_EQ(t->OcrDetect(host.get()), 0);
        suite::RegKey user = suite::RegKey::Create(HKEY_CURRENT_USER, "SOFTWARE\\Vendor\\Harnel");
        SetString(user.get(), "", folder);
        EXPECT_EQ(t->OcrDetect(host.get()), 1);
        RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Vendor\\Harnel");
    }
}

TEST_F(RecipeHost, AnExtraCheckThatDiffersIsNoMatchExceptWhereItIsNotRead) {
    std::string first = world.MakeProgram("apps/first.exe"), second = world.MakeProgram("apps/second.exe");
    suite::RegKey version = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Vendor\\Version");
    SetDword(version.get(), "Major", 9);
    for (const char* name : kRecipePlugins) {
        SCOPED_TRACE(name);
        subKeys.clear();
        RegDeleteTreeA(host.get(), nullptr);
        SetString(Install(name, 1, first), "Extra Checked RegPath", "2,Software\\Vendor\\Version,Major,10");
        SetString(Install(name, 2, second), "Extra Checked RegPath", "2,Software\\Vendor\\Version,Major,9");
        const OCRAPP_INTERFACE* t = Load(name);
        OCRAPP_INFO* info = nullptr;
        ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
        bool lomart = std::string(name) == "Lomart";
        EXPECT_STREQ(info->m_strExePath, (lomart ? first : second).c_str());
    }
}

TEST_F(RecipeHost, SupportedResolutionsOfEachVariant) {
    std::string program = world.MakeProgram("apps/ocr.exe");
    const OCRAPP_INTERFACE* dravel = Load("Dravel");
    Install("Dravel", 1, program);
    OCRAPP_INFO* info = nullptr;
    ASSERT_EQ(dravel->OcrGetInfo(&info, host.get()), 1);
    EXPECT_EQ(Resolutions(info), (std::vector<DWORD>{150, 200, 300, 400, 500, 600}));
    SetString(host.get(), "Support Resolution", "2,300,600");
    dravel->OcrGetInfo(&info, host.get());
    EXPECT_EQ(Resolutions(info), (std::vector<DWORD>{300, 600}));
    SetString(host.get(), "Support Resolution", "5,300");
    dravel->OcrGetInfo(&info, host.get());
    EXPECT_EQ(Resolutions(info), (std::vector<DWORD>{300}));
    SetString(host.get(), "Support Resolution", "3,300,junk,600");
    dravel->OcrGetInfo(&info, host.get());
    EXPECT_EQ(Resolutions(info), (std::vector<DWORD>{300}));

    std::map<std::string, std::vector<DWORD>> fixed = {
        {"Quenby", {150, 200, 300, 400, 500, 600}}, {"Lomart", {300, 400, 600}}, {"Harnel", {300, 400, 500, 600}}};
    for (const auto& [name, expected] : fixed) {
        Install(name, 1, program);
        const OCRAPP_INTERFACE* t = Load(name.c_str());
        ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
        // Refilled, not appended to, on every call.
        t->OcrGetInfo(&info, host.get());
        EXPECT_EQ(Resolutions(info), expected) << name;
    }
}

TEST_F(RecipeHost, FlagsAndOptionsOfEachVariant) {
    std::string program = world.MakeProgram("apps/ocr.exe");
    struct Case {
        const char* name;
        DWORD flagsFrom9;
        std::array<DWORD, 6> options;  // with "Enable RMBlankPage" 0 where it is read
    };
    for (const Case& c : {Case{"Dravel", 15, {1, 0, 0, 1, 0, 0}}, Case{"Quenby", 14, {1, 0, 0, 1, 0, 0}},
                          Case{"Lomart", 15, {1, 0, 0, 1, 1, 0}}, Case{"Harnel", 15, {1, 0, 0, 0, 1, 0}}}) {
        SCOPED_TRACE(c.name);
        SetDword(Install(c.name, 1, program), "Enable RMBlankPage", 0);
        const OCRAPP_INTERFACE* t = Load(c.name);
        OCRAPP_INFO* info = nullptr;
        ASSERT_EQ(t->OcrGetInfo(&info, host.get()), 1);
        info->m_dwFlags = 9;
        t->OcrGetInfo(&info, host.get());
        EXPECT_EQ(info->m_dwFlags, c.flagsFrom9);
        std::array<DWORD, 6> got{info->m_dwOption1, info->m_dwOption2, info->m_dwOption3,
                                 info->m_dwOption4, info->m_dwOption5, info->m_dwOption6};
        EXPECT_EQ(got, c.options);
    }
    // "Enable RMBlankPage" missing counts as 1.
    RegDeleteValueA(subKeys[0].get(), "Enable RMBlankPage");
    OCRAPP_INFO* info = nullptr;
    Load("Dravel")->OcrGetInfo(&info, host.get());
    EXPECT_EQ(info->m_dwOption5, 1u);
}

TEST_F(RecipeHost, ImageFormatsPerColourMode) {
    std::string program = world.MakeProgram("apps/ocr.exe");
    HKEY sub = Install("Dravel", 1, program);
    suite::RegKey color = suite::RegKey::Create(sub, "Color");
    SetDword(color.get(), "File Format", 3);
    SetDword(color.get(), "Image Quality", 75);
    suite::RegKey gray = suite::RegKey::Create(sub, "Gray");
    SetDword(gray.get(), "File Format", 1);  // quality missing: 100
    const OCRAPP_INTERFACE* t = Load("Dravel");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    int f = -1, q = -1;
    t->OcrGetImageFormat(kOcrColourColor, 0, &f, &q);
    EXPECT_EQ(std::make_pair(f, q), std::make_pair(3, 75));
    t->OcrGetImageFormat(kOcrColourGray, 0, &f, &q);
    EXPECT_EQ(std::make_pair(f, q), std::make_pair(1, 100));
    t->OcrGetImageFormat(kOcrColourBW, 0, &f, &q);  // no "BW" sub-key: the defaults
    EXPECT_EQ(std::make_pair(f, q), std::make_pair(0, 100));
    f = 42, q = 43;
    t->OcrGetImageFormat(3, 0, &f, &q);
    EXPECT_EQ(std::make_pair(f, q), std::make_pair(42, 43));
    // The card and ini variants always answer format 2, quality 0.
    for (const char* name : {"Lomart", "Harnel"}) {
        Install(name, 1, program);
        const OCRAPP_INTERFACE* fixed = Load(name);
        ASSERT_EQ(fixed->OcrDetect(host.get()), 1);
        fixed->OcrGetImageFormat(kOcrColourColor, 0, &f, &q);
        EXPECT_EQ(std::make_pair(f, q), std::make_pair(2, 0)) << name;
        f = 42, q = 43;
        fixed->OcrGetImageFormat(5, 0, &f, &q);
        EXPECT_EQ(std::make_pair(f, q), std::make_pair(42, 43)) << name;
    }
}

TEST_F(RecipeHost, LomartHandsOutItsRecordEvenWhenNothingIsFound) {
    const OCRAPP_INTERFACE* lomart = Load("Lomart");
    OCRAPP_INFO* info = nullptr;
    EXPECT_EQ(lomart->OcrGetInfo(&info, host.get()), 0);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->m_strExePath, "");
    EXPECT_EQ(Resolutions(info), (std::vector<DWORD>{300, 400, 600}));
    EXPECT_EQ(info->m_dwFlags, 7u);
    EXPECT_EQ(info->m_dwOption5, 1u);
    for (const char* name : {"Dravel", "Quenby", "Harnel"}) {
        OCRAPP_INFO* none = nullptr;
        EXPECT_EQ(Load(name)->OcrGetInfo(&none, host.get()), 0);
        EXPECT_EQ(none, nullptr) << name;
    }
}

TEST_F(RecipeHost, TheIconIsTheImageBesideTheProgram) {
    std::string program = world.MakeProgram("apps/ocr.exe");
    Install("Quenby", 1, program);
    const OCRAPP_INTERFACE* t = Load("Quenby");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    EXPECT_EQ(t->OcrGetIcon(), nullptr);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(world.scratch / "apps/ocr.png")));
    HICON icon = t->OcrGetIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DestroyIcon(icon));
}

// ---- OcrRun with the peers ----


int Count(const std::string& text, const std::string& word) {
    int n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

std::vector<std::string> ListFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RecipeHost, ListFileRecipesWriteOnePathALineAndStartTheProgram) {
    Install("Dravel", 1, PeerProgram("suite_recorder"));
    const OCRAPP_INTERFACE* t = Load("Dravel");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\scans\\page 1.tif");
    files.Add("C:\\scans\\two\r\nlines.tif");  // would be read as two paths: left out
    files.Add("C:\\scans\\page2.jpg");
    files.Add("C:\\scans\\\"quoted\".tif");
    // Two runs in the same second never share a list file.
    ASSERT_EQ(t->OcrRun(files, 0, 0, FALSE), 1);
    ASSERT_EQ(t->OcrRun(files, 0, 0, TRUE), 1);
    ASSERT_TRUE(WaitFor([&] { return Count(world.Record(), "end-file") == 2; }, 10000));
    std::vector<std::string> lists = ListFilesIn(world.scratch / "tmp");
    ASSERT_EQ(lists.size(), 2u);
    for (const std::string& name : lists) {
        EXPECT_TRUE(name.rfind("Dravel_", 0) == 0) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".ini");
    }
    EXPECT_EQ(lists[0].size(), std::string("Dravel_20261209120000.ini").size());
    EXPECT_EQ(lists[1], lists[0].substr(0, lists[0].size() - 4) + "_1.ini");
    std::string record = world.Record();
    EXPECT_NE(record.find("arg: /Oltrane\narg: "), std::string::npos) << record;
    EXPECT_NE(record.find("C:\\scans\\page 1.tif\r\nC:\\scans\\page2.jpg\r\nend-file"), std::string::npos) << record;
    // Nothing that can be listed: nothing is started.
    CStringArray unsafe;
    unsafe.Add("C:\\scans\\a\nb.tif");
    EXPECT_EQ(t->OcrRun(unsafe, 0, 0, FALSE), 0);
    EXPECT_EQ(ListFilesIn(world.scratch / "tmp").size(), 2u);
}

TEST_F(RecipeHost, QuenbyNamesItsListByTheTimeAndSwitchesOnDuplex) {
    Install("Quenby", 1, PeerProgram("suite_recorder"));
    const OCRAPP_INTERFACE* t = Load("Quenby");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\scans\\a.tif");
    ASSERT_EQ(t->OcrRun(files, 0, 0, TRUE), 1);
    ASSERT_TRUE(WaitFor([&] { return Count(world.Record(), "end-file") == 1; }, 10000));
    ASSERT_EQ(t->OcrRun(files, 0, 0, FALSE), 1);
    ASSERT_TRUE(WaitFor([&] { return Count(world.Record(), "end-file") == 2; }, 10000));
    std::string record = world.Record();
    EXPECT_NE(record.find("arg: /Oltrane\narg: /b\narg: "), std::string::npos) << record;
    EXPECT_NE(record.find("arg: /Oltrane\narg: /r\narg: "), std::string::npos) << record;
    std::vector<std::string> lists = ListFilesIn(world.scratch / "tmp");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0].size(), std::string("20261209120000.txt").size()) << lists[0];
    EXPECT_TRUE(std::all_of(lists[0].begin(), lists[0].begin() + 14, ::isdigit)) << lists[0];
}

TEST_F(RecipeHost, AListRecipeWhoseProgramCannotStartReportsIt) {
    Install("Dravel", 1, world.MakeProgram("apps/not-a-program.exe"));
    const OCRAPP_INTERFACE* t = Load("Dravel");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\scans\\a.tif");
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    EXPECT_TRUE(ListFilesIn(world.scratch / "tmp").empty());
}

std::string HandOffIni(const HostWorld& world) {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder);
    return suite::NativePath(std::string(folder) + "\\Harnel\\Harnel.Ini");
    (void)world;
}

TEST_F(RecipeHost, HarnelHandsOverAFreshIniAndWaitsUntilItIsTaken) {
    Install("Harnel", 1, PeerProgram("suite_recorder"));
    const OCRAPP_INTERFACE* t = Load("Harnel");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    // A stale ini of an earlier run leaves nothing behind in the new one.
    std::string ini = HandOffIni(world);
    suite::MakeNativeFolders(ini.substr(0, ini.find_last_of('/')));
    suite_test::ScratchFolder::MakeFile(ini, "[Files]\r\nFile7=\"C:\\old.tif\"\r\n");
    CStringArray files;
    files.Add("C:\\scans\\a.tif");
    files.Add("C:\\scans\\b.tif");
    files.Add("C:\\scans\\x\"\r\nFile9=\"C:\\other.tif");  // would add an entry of its own
    files.Add("C:\\scans\\c.tif");
    ASSERT_EQ(t->OcrRun(files, 0, 0, TRUE), 1);
    EXPECT_FALSE(suite_test::ScratchFolder::Exists(ini));
    std::string record = world.Record();
    EXPECT_NE(record.find("arg: /f="), std::string::npos) << record;
    EXPECT_NE(record.find("[Application]\r\nName=Harnel\r\n[Files]\r\nCount=3\r\nDoubleSide=1\r\n"
                          "File0=\"C:\\scans\\a.tif\"\r\nFile1=\"C:\\scans\\b.tif\"\r\nFile2=\"C:\\scans\\c.tif\"\r\n"
                          "[Delete]\r\nFlag=1\r\n"),
              std::string::npos)
        << record;
    EXPECT_EQ(record.find("old.tif"), std::string::npos);
    EXPECT_EQ(record.find("other.tif"), std::string::npos);
}

TEST_F(RecipeHost, HarnelComesBackWithinItsBoundWhenTheIniIsNeverTaken) {
    ::setenv("SUITE_RECORDER_KEEP", "1", 1);
    ::setenv("SUITE_HANDOFF_WAIT_MS", "2000", 1);
    Install("Harnel", 1, PeerProgram("suite_recorder"));
    const OCRAPP_INTERFACE* t = Load("Harnel");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\scans\\a.tif");
    // The host's own timers go on while it waits.
    static int ticks = 0;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    KillTimer(nullptr, timer);
    EXPECT_GE(ticks, 5) << "the host froze while it waited";
    // An application slower than the bound still finds its files.
    EXPECT_TRUE(suite_test::ScratchFolder::Exists(HandOffIni(world)));
    EXPECT_NE(world.Record().find("DoubleSide=0"), std::string::npos);
    // A program that does not start is reported at once.
    Install("Harnel", 1, world.MakeProgram("apps/not-a-program.exe"));
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ::unsetenv("SUITE_RECORDER_KEEP");
    ::unsetenv("SUITE_HANDOFF_WAIT_MS");
}

// Ends the card application's stand-in started by a run.
void EndLomartPeer() {
    DWORD inst = 0;
    ASSERT_EQ(DdeInitialize(&inst, nullptr, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    HSZ service = DdeCreateStringHandle(inst, "LOMART", CP_WINANSI);
    HSZ topic = DdeCreateStringHandle(inst, "SYSTEM", CP_WINANSI);
    HCONV c = DdeConnect(inst, service, topic, nullptr);
    ASSERT_NE(c, nullptr);
    DdeExecuteText(c, "[ENDAPPLICATION]", 5000);
    DdeDisconnect(c);
    DdeUninitialize(inst);
    EXPECT_TRUE(WaitFor([] { return FindWindow("Quade_LomartApplication", nullptr) == nullptr; }, 5000));
}

TEST_F(RecipeHost, LomartStartsTheCardApplicationAndSendsOneExportPerFile) {
    std::string record = world.scratch / "lomart.txt";
    ::setenv("SUITE_DDE_PEER",
             ("service=LOMART topic=SYSTEM class=Quade_LomartApplication register-on=372 lifetime=30000 record=" + record)
                 .c_str(),
             1);
    Install("Lomart", 1, PeerProgram("suite_dde_peer"));
    const OCRAPP_INTERFACE* t = Load("Lomart");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\cards\\one.jpg");
    files.Add("C:\\cards\\bad),name.jpg");  // cannot be sent in a bracket command
    files.Add("C:\\cards\\two.jpg");
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 1);
    // Only unsafe paths: nothing handed over.
    CStringArray unsafe;
    unsafe.Add("C:\\cards\\a,b.jpg");
    EXPECT_EQ(t->OcrRun(unsafe, 0, 0, FALSE), 0);
    EXPECT_EQ(t->OcrRun(CStringArray(), 0, 0, FALSE), 0);

    EndLomartPeer();

    std::ifstream f(record);
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);)
        if (line != "<disconnect>") lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"<started>", "<command 372>", "[EXPORT](C:\\cards\\one.jpg)",
                                               "[EXPORT](C:\\cards\\two.jpg)", "[ENDAPPLICATION]"}));
}

TEST_F(RecipeHost, LomartStopsAtTheFirstFileTheApplicationLeavesUnanswered) {
    std::string record = world.scratch / "lomart.txt";
    ::setenv("SUITE_DDE_PEER",
             ("service=LOMART topic=SYSTEM class=Quade_LomartApplication register-on=372 lifetime=30000 hang-ms=1000 "
              "record=" + record)
                 .c_str(),
             1);
    ::setenv("SUITE_DDE_EXECUTE_WAIT_MS", "200", 1);
    Install("Lomart", 1, PeerProgram("suite_dde_peer"));
    const OCRAPP_INTERFACE* t = Load("Lomart");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    for (const char* name : {"C:\\cards\\one.jpg", "C:\\cards\\two.jpg", "C:\\cards\\three.jpg"}) files.Add(name);
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    ::unsetenv("SUITE_DDE_EXECUTE_WAIT_MS");

    EndLomartPeer();
    std::ifstream f(record);
    int exports = 0;
    for (std::string line; std::getline(f, line);) exports += line.rfind("[EXPORT]", 0) == 0;
    EXPECT_EQ(exports, 1);
}

TEST_F(RecipeHost, LomartStartsAnApplicationThatDoesNotAnswerOnceARun) {
    ::setenv("SUITE_DDE_START_WAIT_MS", "600", 1);
    Install("Lomart", 1, PeerProgram("suite_recorder"));
    const OCRAPP_INTERFACE* t = Load("Lomart");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    for (const char* name : {"C:\\cards\\one.jpg", "C:\\cards\\two.jpg", "C:\\cards\\three.jpg"}) files.Add(name);
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    ASSERT_TRUE(WaitFor([&] { return Count(world.Record(), "end\n") >= 1; }, 5000));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(Count(world.Record(), "start\n"), 1) << world.Record();
    ::unsetenv("SUITE_DDE_START_WAIT_MS");
}

TEST_F(RecipeHost, LomartWithAProgramThatCannotStartHandsNothingOver) {
    Install("Lomart", 1, world.MakeProgram("apps/not-a-program.exe"));
    const OCRAPP_INTERFACE* t = Load("Lomart");
    ASSERT_EQ(t->OcrDetect(host.get()), 1);
    CStringArray files;
    files.Add("C:\\cards\\one.jpg");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(t->OcrRun(files, 0, 0, FALSE), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace

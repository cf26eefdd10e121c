// The OCR and card hand-offs: which application a button names and whether
// it is installed, the exact command lines, lists, inis and DDE scripts each
// one gets, batches of "PagesToFile" pages, and the stand-in applications
// (DDE, recorder) taking pages, hanging or refusing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "keyrider/connector_services.h"
#include "keyrider/scan_job.h"
#include "platform/afx/afxwin.h"
#include "platform/win/ini.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"
#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;
using namespace keyrider;

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("ConnectorTests") {}
    BOOL InitInstance() override { return TRUE; }
};
TestApp theTestApp;

std::string Bin() { return fs::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path().string() + "/"; }

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int g_pageCount = 0;
int ScanPages(SCAN_SETTINGS*, SCANPAGEPROC callback, void* argument) {
    for (int i = 0; i < g_pageCount; ++i) {
        IL_IMAGE page{};
        page.Header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), 16, 16, 16, 8, 0, 200, 200};
        page.Bits = static_cast<BYTE*>(std::calloc(256, 1));
        page.Flags = IL_FLAG_FREE_AFTER_USE;
        int goOn = callback(&page, argument);
        delete page.Header;
        std::free(page.Bits);
        if (!goOn) break;
    }
    return g_pageCount > 0;
}
int EndJob(const BYTE*) { return 1; }

class Connectors : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        previousTemp = suite_test::TemporaryRoot();
        std::string pattern = previousTemp + "/connectors-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root / "machine.db").c_str(), 1);
        setenv("TMPDIR", root.c_str(), 1);
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test\\Keyrider", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &appKey,
                        nullptr);
        ini = (root / "job.ini").string();
        out = root / "out";
        Ini("1\\Folder", "1", out.string());
        Ini("1", "Date And Time", "0");
        fs::create_directories(root / "apps");
        scan.ScanPages = ScanPages;
        scan.ScanEndJob = EndJob;
    }
    void TearDown() override {
        RegCloseKey(appKey);
        // A stand-in application may still write its last record while the
        // conversation it answered closes: retry for a bounded time.
        for (int attempt = 0; attempt < 50; ++attempt) {
            std::error_code ec;
            fs::remove_all(root, ec);
            if (!ec && !fs::exists(root)) break;
            Sleep(100);
        }
        setenv("TMPDIR", previousTemp.c_str(), 1);
        unsetenv("SUITE_RECORDER_HANG_MS");
        unsetenv("SUITE_RECORDER_LOG");
        unsetenv("SUITE_RECORDER_WINDOW_MS");
        unsetenv("SUITE_DDE_PEER");
        unsetenv("SUITE_PMDATA_FAIL");
    }
    void Ini(const std::string& section, const char* key, const std::string& value) {
        WritePrivateProfileStringA(section.c_str(), key, value.c_str(), ini.c_str());
    }
    HKEY Key(HKEY parent, const std::string& path) {
        HKEY k = nullptr;
        RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        keys.push_back(k);
        return k;
    }
    void Text(HKEY k, const char* name, const std::string& v) {
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD(v.size() + 1));
    }
    void Dword(HKEY k, const char* name, DWORD v) { RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4); }
    // List entry `n` of `action` for `dll`, installed as `program` (HKCU "Software\Apps\<dll>", default value = folder).
    void Install(const std::string& action, int n, const std::string& dll, const char* stem, const fs::path& program) {
        HKEY entry = Key(appKey, action + "\\OCR Application\\" + std::to_string(n));
        Text(entry, "DLL", dll);
        HKEY where = Key(HKEY_CURRENT_USER, "Software\\Apps\\" + dll);
        Text(where, "", program.parent_path().string());
        HKEY detect = Key(entry, std::string(stem) + "1");
        Text(detect, "Exe RegPath", "2,Software\\Apps\\" + dll + ",0," + program.filename().string());
    }
    std::unique_ptr<CScanJob> Job(ConnectorServices connectors) {
        JobServices s;
        s.appKey = appKey;
        s.image = IL_GetFunctionTable();
        s.scan = &scan;
        s.report = [this](const std::string& t) { reports.push_back(t); };
        s.connectors = std::move(connectors);
        s.programFolder = Bin();
        // Programs started for the job run to their end here, so their records are complete.
        s.launch = [this](const std::string& program, const std::string& parameters) {
            launched.push_back(program + " " + parameters);
            std::string line = "\"" + program + "\" " + parameters;
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info{};
            if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
                return false;
            WaitForSingleObject(info.hProcess, 20000);
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
            return true;
        };
        auto job = std::make_unique<CScanJob>(JobProfile(ini), std::move(s));
        job->SetNames("1", "Gray", "ADF");
        return job;
    }
    bool Run(CScanJob& job, const char* action, int pages) {
        g_pageCount = pages;
        if (!job.ReadActionSettings(action)) return false;
        job.ReadScanSettings(&job.Block());
        job.DispatchJobOutput(action);
        return true;
    }
    // Services that record what would be started and answer as told.
    ConnectorServices Recording() {
        ConnectorServices s;
        s.run = [this](const std::string& line, unsigned wait) {
            runs.push_back(line + (wait ? " <waited>" : ""));
            return answer;
        };
        s.runUntilMessage = [this](const std::string& line, const std::string& message, unsigned) {
            runs.push_back(line + " <until " + message + ">");
            return answer;
        };
        s.dde = [this](const ConnectorServices::DdeScript& script, std::string*) {
            std::string text = script.service + "|" + script.topic + "|" + script.startLine + "|" + script.windowClass +
                               "|" + script.windowTitle + "|" + std::to_string(script.postCommand);
            for (const auto& [command, ms] : script.commands) text += "\n" + command + " " + std::to_string(ms);
            scripts.push_back(text);
            return answer;
        };
        s.now = [] { return std::array<int, 6>{2026, 12, 7, 14, 5, 9}; };
        s.waitMs = 2000;
        return s;
    }
    std::vector<std::string> PagesLeft() const {
        std::vector<std::string> left;
        for (auto& e : fs::recursive_directory_iterator(root))
            for (const char* image : {".jpg", ".png", ".tif", ".bmp"})
                if (e.path().extension() == image) left.push_back(e.path().string());
        return left;
    }

    fs::path root, out;
    std::string ini, previousTemp;
    HKEY appKey = nullptr;
    std::vector<HKEY> keys;
    SCAN_FUNCTIONTABLE scan{};
    std::vector<std::string> reports, runs, scripts, launched;
    bool answer = true;
};

TEST_F(Connectors, DetectionFollowsTheListAndTheInstallerLocators) {
    const fs::path program = root / "apps" / "orocr.exe";
    std::ofstream(program) << "program";
    HKEY first = Key(appKey, "ocr\\OCR Application\\1");
    Text(first, "DLL", "harnel.dll");
    HKEY entry = Key(appKey, "ocr\\OCR Application\\2");
    Text(entry, "DLL", "OROCR.DLL");
    HKEY where = Key(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Marrowby");
    Text(where, "Folder", (root / "apps").string());
    Dword(where, "Edition", 6);
    // 1: a file that is not there; 2: there, but its extra check fails; 3: the match.
    Text(Key(entry, "OROCR 1"), "Exe RegPath", "1,Software\\Vendor\\Marrowby,Folder,missing.exe");
    HKEY second = Key(entry, "OROCR 2");
    Text(second, "Exe RegPath", "1,Software\\Vendor\\Marrowby,Folder,orocr.exe");
    Text(second, "Extra Checked RegPath", "1,Software\\Vendor\\Marrowby,Edition,7");
    HKEY third = Key(entry, "OROCR 3");
    Text(third, "Exe RegPath", "1,Software\\Vendor\\Marrowby,Folder,orocr.exe");
    Text(third, "Extra Checked RegPath", "1,Software\\Vendor\\Marrowby,Edition,6");
    Ini("1\\OCR Application\\2\\Private", "Primary Language", "xxgerman(OR)");
    OcrApplication app;
    std::string problem;
    ASSERT_TRUE(SelectOcrApplication(appKey, JobProfile(ini), "1", "Marrowby 6", "ocr", &app, &problem)) << problem;
    EXPECT_EQ(app.tag, "Marrowby");
    EXPECT_EQ(app.entry, 2);
    EXPECT_EQ(fs::path(suite::NativePathOfEither(app.program)), program);
    EXPECT_EQ(app.language, "german(OR)");
    // Not installed, not listed, the list ending before a match, an unknown name.
    EXPECT_FALSE(SelectOcrApplication(appKey, JobProfile(ini), "1", "harnel", "ocr", &app, &problem));
    Text(Key(appKey, "ocr\\OCR Application\\4"), "DLL", "dravel.dll");
    EXPECT_FALSE(SelectOcrApplication(appKey, JobProfile(ini), "1", "dravel", "ocr", &app, &problem));
    EXPECT_FALSE(SelectOcrApplication(appKey, JobProfile(ini), "1", "lomart", "bcr", &app, &problem));
    EXPECT_FALSE(SelectOcrApplication(appKey, JobProfile(ini), "1", "nothing", "ocr", &app, &problem));
    // A job for an application that is not installed is not ready and scans nothing.
    Ini("1", "Current Application Name", "harnel");
    g_pageCount = 0;
    EXPECT_FALSE(Job(Recording())->ReadActionSettings("ocr"));
    for (HKEY k : keys) RegCloseKey(k);
}

TEST_F(Connectors, BatchesOfPagesToFileGetANameEachAndLaunchersTheirLines) {
    Install("ocr", 1, "orocr.dll", "OROCR ", root / "apps" / "orocr.exe");
    std::ofstream(root / "apps" / "orocr.exe") << "x";
    Ini("1", "Current Application Name", "Marrowby");
    Ini("1\\OCR Application\\1\\Private", "PagesToFile", "2");
    Ini("1\\OCR Application\\1\\Private", "Format", "1");
    Ini("1\\OCR Application\\1\\Private", "Auto Rotate", "1");
    auto job = Job(Recording());
    ASSERT_TRUE(Run(*job, "OCR", 5));
    ASSERT_EQ(job->OcrNames().size(), 3u);
    EXPECT_EQ(fs::path(suite::NativePath(job->OcrNames()[2])).filename(), "Image02.");
    ASSERT_EQ(runs.size(), 3u);
    const std::string program = job->Application().program;
    // One dot before the type; the pages of the batch in its list.
    EXPECT_EQ(runs[0].rfind("\"" + program + "\" -O\"" + job->OcrNames()[0] + "pdf\" -Fpdf -Q0 -I\"", 0), 0u) << runs[0];
    EXPECT_NE(runs[0].find(" -Lenglish(OR) -Cnotskew <waited>"), std::string::npos) << runs[0];
    EXPECT_TRUE(PagesLeft().empty());  // taken by a program that was waited for
    for (HKEY k : keys) RegCloseKey(k);
}

TEST_F(Connectors, ProgramsNotWaitedForKeepTheirPagesAndGetTheirLists) {
    Install("bcr", 1, "dravel.dll", "Dravel ", root / "apps" / "dravel.exe");
    std::ofstream(root / "apps" / "dravel.exe") << "x";
    Ini("1", "Current Application Name", "dravel");
    auto job = Job(Recording());
    ASSERT_TRUE(Run(*job, "bcr", 3));
    ASSERT_EQ(runs.size(), 1u);
    const std::string list = job->TemporaryFolder() + "Dravel_20261207140509.ini";
    EXPECT_EQ(runs[0], "\"" + job->Application().program + "\" /Oltrane \"" + list + "\"");
    const std::string text = ReadAll(list);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_NE(text.find("-01.jpg\r\n"), std::string::npos) << text;
    EXPECT_EQ(PagesLeft().size(), 3u);
    for (HKEY k : keys) RegCloseKey(k);
}

TEST_F(Connectors, CardScriptsNameEveryFileAndRefuseCommandBreakingPaths) {
    OcrApplication app;
    app.tag = "lomart";
    app.program = "/opt/card";
    ConnectorServices s = Recording();
    s.temporaryFolder = (root / "").string();
    s.report = [this](const std::string& t) { reports.push_back(t); };
    auto taken = SendToOcrApplication(app, {{"/tmp/a.jpg", "/tmp/b(1).jpg", "/tmp/c,d.jpg"}}, {"/out/Image00."}, false,
                                      false, s);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], "LOMART|SYSTEM|\"/opt/card\" LOMART/DDE|Quade_LomartApplication||372\n[EXPORT](/tmp/a.jpg) 60000");
    EXPECT_EQ(taken, std::vector<std::string>{"/tmp/a.jpg"});
    EXPECT_EQ(reports.size(), 2u);
    // The DDE OCR application: the script of a PDF with graphics.
    scripts.clear();
    app.tag = "moplink";
    app.options = {{"Format", 2}, {"Paper Deskew", 1}, {"Primary Language", 4}, {"Secondary Language", 9}};
    app.pdf = {{"Output Style", 1}, {"Max Dpi", 300}, {"Quality", 80}, {"Create Bookmark", 1}};
    app.delaySeconds = 1;
    std::ofstream(root / "Result.pdf") << "%PDF-";
    s.exists = [](const std::string& p) { return fs::exists(p); };
    taken = SendToOcrApplication(app, {{"/tmp/p1.jpg", "/tmp/p2.jpg"}}, {(root / "Result.").string()}, false, false, s);
    ASSERT_EQ(scripts.size(), 1u);
    const std::string expected = "Quade|QuadeOCR|\"/opt/card\" -nologo||Moplink|0\n[NEW_DOCUMENT] 60000\n"
                                 "[FMTTEXT](54,1,0) 60000\n[INCLUDEGRAPHICS](ON) 60000\n[PDF_EMBED_FONTS](ON) 60000\n"
                                 "[ENCODECOLORS](OFF) 60000\n[OPTIONS_GRAPHICS_ADVANCED](300,0,80) 60000\n"
                                 "[PDF_PARAMS](ON) 60000\n[LANGUAGE_OCR](4) 60000\n[LANGUAGE_SEC_OCR](9) 60000\n"
                                 "[PAGE_DESKEW](ON) 60000\n[AUTO_ORIENTATION](OFF) 60000\n[PAGEANALYSIS](ON) 60000\n"
                                 "[INTERLEARN](OFF) 60000\n[DISABLEWNGNOWINDOW](ON) 60000\n[HIDE] 60000\n"
                                 "[DISPLAY_PROGRESS](ON) 60000\n[FORCE_AS_300DPI](ON) 60000\n[INPUT](/tmp/p1.jpg) 60000\n"
                                 "[SCAN_MULTIPAGE] 60000\n[INPUT](/tmp/p2.jpg) 60000\n[SCAN_MULTIPAGE] 60000\n"
                                 "[OUTPUT](" + (root / "Result.pdf").string() + ",NEW) 60000\n[OCR] 900000\n[NEW_DOCUMENT] 60000";
    EXPECT_EQ(scripts[0], expected);
    EXPECT_EQ(taken.size(), 2u);
    // No result file: the pages stay.
    taken = SendToOcrApplication(app, {{"/tmp/p1.jpg"}}, {(root / "Other.").string()}, false, false, s);
    EXPECT_TRUE(taken.empty());
}

TEST_F(Connectors, IniAndListHandOffsWriteTheirFilesInOrder) {
    OcrApplication app;
    app.tag = "harnel";
    app.program = "/opt/harnel";
    ConnectorServices s = Recording();
    s.temporaryFolder = (root / "").string();
    s.report = [this](const std::string& t) { reports.push_back(t); };
    std::string iniText;
    // The application takes the files: it reads and deletes the ini.
    s.run = [&](const std::string& line, unsigned) {
        runs.push_back(line);
        iniText = ReadAll(root / "Harnel.Ini");
        fs::remove(root / "Harnel.Ini");
        return true;
    };
    s.exists = [](const std::string& p) { return fs::exists(p); };
    // A path that would add an entry of its own is never written; it stays, and is said.
    auto taken = SendToOcrApplication(app, {{"/s/1.jpg", "/s/x\"\r\nFile9=\"/other.jpg", "/s/2.jpg"}}, {"x."}, false, true, s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("1 pages whose paths"), std::string::npos) << reports[0];
    reports.clear();
    // One [Files] section: a reader of the ini finds every entry in it.
    EXPECT_EQ(iniText, "[Application]\r\nName=Harnel\r\n[Files]\r\nCount=2\r\nDoubleSide=1\r\n"
                       "File0=\"/s/1.jpg\"\r\nFile1=\"/s/2.jpg\"\r\n[Delete]\r\nFlag=1\r\n");
    EXPECT_EQ(runs.back(), "\"/opt/harnel\" \"/f=" + (root / "Harnel.Ini").string() + "\"");
    EXPECT_EQ(taken.size(), 2u);
    // The card list with sides, and its message.
    app.tag = "hotcard";
    runs.clear();
    s = Recording();
    s.temporaryFolder = (root / "").string();
    taken = SendToOcrApplication(app, {{"/s/1.jpg", "/s/2.jpg"}}, {"x."}, false, true, s);
    EXPECT_EQ(ReadAll(root / "HotCard.Ini"), "/s/1.jpg1\r\n/s/2.jpg2\r\n\r\n");
    EXPECT_EQ(runs.back(), "\"/opt/harnel\" /rean\"" + (root / "HotCard.Ini").string() + "\" <until BCR_COMMANDLINE_MSG>");
    EXPECT_EQ(taken.size(), 2u);
    // Asked to open its result with no "Send To" program set, the hand-off says so.
    app.tag = "thocr";
    s = Recording();
    s.temporaryFolder = (root / "").string();
    s.exists = [](const std::string& p) { return fs::exists(p); };
    s.report = [this](const std::string& t) { reports.push_back(t); };
    reports.clear();
    const std::string name = (root / "page.").string();
    SendToOcrApplication(app, {{"/s/1.jpg"}}, {name}, true, false, s);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(name + "rtf"), std::string::npos) << reports[0];
}

// The stand-in applications, started for real.
TEST_F(Connectors, TheCardApplicationAnswersAfterItsCommandAndTakesEachFile) {
    const fs::path record = root / "dde.txt";
    setenv("SUITE_DDE_PEER",
           ("service=LOMART topic=SYSTEM class=Quade_LomartApplication register-on=372 lifetime=20000 record=" +
            record.string())
               .c_str(),
           1);
    OcrApplication app;
    app.tag = "lomart";
    app.program = Bin() + "suite_dde_peer";
    ConnectorServices s = MakeConnectorServices();
    s.temporaryFolder = (root / "").string();
    s.report = [this](const std::string& t) { reports.push_back(t); };
    auto taken = SendToOcrApplication(app, {{"/s/1.jpg", "/s/2.jpg"}}, {"x."}, false, false, s);
    EXPECT_EQ(taken.size(), 2u);
    const std::string text = ReadAll(record);
    EXPECT_NE(text.find("<command 372>"), std::string::npos) << text;
    EXPECT_NE(text.find("[EXPORT](/s/1.jpg)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[EXPORT](/s/2.jpg)\n"), std::string::npos) << text;
    EXPECT_TRUE(reports.empty());
}

TEST_F(Connectors, AHangingApplicationEndsTheHandOffInBoundAndKeepsTheFiles) {
    Install("ocr", 1, "harnel.dll", "Harnel ", fs::path(Bin()) / "suite_recorder");
    Ini("1", "Current Application Name", "harnel");
    const fs::path log = root / "recorder.txt";
    setenv("SUITE_RECORDER_LOG", log.c_str(), 1);
    setenv("SUITE_RECORDER_HANG_MS", "30000", 1);
    ConnectorServices s = MakeConnectorServices();
    s.waitMs = 1500;
    auto job = Job(s);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Run(*job, "ocr", 2));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(PagesLeft().size(), 2u);
    ASSERT_FALSE(reports.empty());
    EXPECT_NE(reports.back().find("in time"), std::string::npos);
    EXPECT_NE(ReadAll(log).find("Count=2"), std::string::npos);
    // Without the hang it reads the ini, deletes it, and the pages go.
    unsetenv("SUITE_RECORDER_HANG_MS");
    reports.clear();
    fs::remove_all(out);
    for (auto& e : fs::directory_iterator(root))
        if (e.path().filename().string().rfind("keyrider-job-", 0) == 0) fs::remove_all(e.path());
    auto again = Job(MakeConnectorServices());
    ASSERT_TRUE(Run(*again, "ocr", 2));
    EXPECT_TRUE(reports.empty()) << reports[0];
    EXPECT_TRUE(PagesLeft().empty());
    for (HKEY k : keys) RegCloseKey(k);
}

// The capture application: found by its path or by a local-machine folder
// value, handed a list of BMP pages that it is to delete after taking them.
TEST_F(Connectors, TheCaptureApplicationGetsAListOfItsPages) {
    const fs::path log = root / "capture.txt";
    setenv("SUITE_RECORDER_LOG", log.c_str(), 1);
    HKEY entry = Key(appKey, "Fennick\\Default\\Applications\\1");
    Text(entry, "Exe Pathname", (root / "apps" / "missing.exe").string());
    // Not installed: not ready, nothing scanned.
    EXPECT_FALSE(Job(Recording())->ReadActionSettings("fennick"));
    reports.clear();
    Text(entry, "Registry Key", "Software\\Vendor\\Capture");
    Text(entry, "Registry Exe Pathname", "Install Folder");
    Text(entry, "Registry Exe Name", "suite_recorder");
    Text(Key(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Capture"), "Install Folder", Bin().substr(0, Bin().size() - 1));
    auto job = Job(Recording());
    ASSERT_TRUE(Run(*job, "Fennick", 3));
    EXPECT_EQ(fs::path(suite::NativePathOfEither(job->CaptureProgram())), fs::path(Bin()) / "suite_recorder");
    ASSERT_EQ(launched.size(), 1u);
    const std::string list = job->CaptureList();
    EXPECT_EQ(launched[0], job->CaptureProgram() + " \"" + list + "\"");
    EXPECT_EQ(fs::path(list).filename().string().rfind("Ima", 0), 0u) << list;
    const std::string recorded = ReadAll(log);
    EXPECT_NE(recorded.find("arg: " + list + "\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("[Operation]\r\nDeleteSource=1\r\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("count=3"), std::string::npos) << recorded;
    // Each listed page is a BMP file that is there for the application.
    char entryText[1024] = {};
    for (int n = 1; n <= 3; ++n) {
        GetPrivateProfileStringA("Source", std::to_string(n).c_str(), "", entryText, sizeof entryText, list.c_str());
        const std::string line = entryText;
        ASSERT_EQ(line.rfind("1,0,", 0), 0u) << line;
        const std::string page = suite::NativePathOfEither(line.substr(4));
        EXPECT_EQ(fs::path(page).extension(), ".bmp");
        EXPECT_TRUE(fs::exists(page)) << page;
    }
    EXPECT_TRUE(reports.empty());
    // No page arrived: the application is not started and the list goes.
    launched.clear();
    auto empty = Job(Recording());
    ASSERT_TRUE(Run(*empty, "fennick", 0));
    EXPECT_TRUE(launched.empty());
    EXPECT_FALSE(fs::exists(empty->CaptureList()));
    for (HKEY k : keys) RegCloseKey(k);
}

TEST_F(Connectors, HalbrookGetsEveryPageOfEachBatchAndItsLanguage) {
    Install("ocr", 1, "halbrook.dll", "Halbrook ", root / "apps" / "halbrook.exe");
    std::ofstream(root / "apps" / "halbrook.exe") << "x";
    HKEY detect = Key(appKey, "ocr\\OCR Application\\1\\Halbrook 1");
    Dword(detect, "Support Language", 1);
    Dword(detect, "Support Options Dialog", 1);
    Dword(detect, "Accept Input File Format", 3);
    Text(Key(detect, "language"), "7", "7,german");
    Ini("Halbrook", "Primary Language", "7");
    Ini("1", "Current Application Name", "halbrook");
    Ini("1\\OCR Application\\1\\Private", "PagesToFile", "2");
    Ini("1\\OCR Application\\1\\Private", "Format", "3");
    auto job = Job(Recording());
    ASSERT_TRUE(Run(*job, "ocr", 3));
    EXPECT_EQ(job->Application().imageKind, 3);
    EXPECT_EQ(job->Application().language, "german");
    ASSERT_EQ(runs.size(), 2u);
    const std::string program = job->Application().program;
    const std::string head = "\"" + program + "\" /out \"" + job->OcrNames()[0] + "pdf\" /lang german /options ";
    ASSERT_EQ(runs[0].rfind(head, 0), 0u) << runs[0];
    // Both pages of the first batch, PNG files, and the wait for the end.
    std::istringstream pages(runs[0].substr(head.size()));
    std::string first, second, wait;
    pages >> first >> second >> wait;
    EXPECT_EQ(fs::path(first).extension(), ".png");
    EXPECT_EQ(fs::path(second).extension(), ".png");
    EXPECT_NE(first, second);
    EXPECT_EQ(wait, "<waited>");
    EXPECT_EQ(runs[1].find(".png", runs[1].find(".png") + 1), std::string::npos) << "one page in the last batch";
    EXPECT_TRUE(PagesLeft().empty());
    // An edition without languages, and an application that does not end in time keeps its pages.
    runs.clear();
    answer = false;
    Dword(detect, "Support Language", 0);
    Dword(detect, "Accept Input File Format", 2);
    auto late = Job(Recording());
    ASSERT_TRUE(Run(*late, "ocr", 1));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].find("/lang"), std::string::npos) << runs[0];
    EXPECT_EQ(PagesLeft().size(), 1u);
    EXPECT_EQ(reports.size(), 1u);
    for (HKEY k : keys) RegCloseKey(k);
}

TEST_F(Connectors, MaxreaderReadsItsPagesThroughThePageListLibrary) {
    const fs::path log = root / "maxreader.txt";
    setenv("SUITE_RECORDER_LOG", log.c_str(), 1);
    // The application's window stays long enough to be seen on a loaded machine.
    setenv("SUITE_RECORDER_WINDOW_MS", "1500", 1);
    Install("ocr", 1, "maxreader.dll", "MaxReader ", fs::path(Bin()) / "suite_recorder");
    Ini("1", "Current Application Name", "maxreader");
    Ini("1\\OCR Application\\1\\Private", "PagesToFile", "2");
    Ini("1\\OCR Application\\1\\Private", "Format", "6");
    Ini("1\\OCR Application\\1\\Private", "Send To", Bin() + "suite_recorder");
    Ini("1", "Launch Export Application", "1");
    ConnectorServices s = MakeConnectorServices();
    s.waitMs = 15000;
    std::vector<std::string> opened;
    s.open = [&](const std::string& program, const std::string& file) { opened.push_back(program + " " + file); };
    auto job = Job(s);
    ASSERT_TRUE(Run(*job, "ocr", 3));
    EXPECT_TRUE(reports.empty()) << reports[0];
    ASSERT_EQ(job->OcrNames().size(), 2u);
    const std::string text = ReadAll(log);
    // Two runs, each with its list: the count, then the pages.
    const std::string list = job->TemporaryFolder() + "DCCR.Fle";
    std::size_t at = text.find("arg: /filetype=txt\n");
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_NE(text.find("arg: /filename=" + suite::NativePathOfEither(job->OcrNames()[0] + "txt") + "\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("arg: /r\narg: " + list + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("file: " + list + "\n2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("file: " + list + "\n1\n"), std::string::npos) << text;
    // The application wrote its results; the pages it took are gone, and so is the list.
    EXPECT_EQ(ReadAll(suite::NativePathOfEither(job->OcrNames()[1] + "txt")), "recognised text\n") << text;
    EXPECT_TRUE(PagesLeft().empty());
    EXPECT_FALSE(fs::exists(list));
    // Each result goes on to the "Send To" program.
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], Bin() + "suite_recorder " + job->OcrNames()[1] + "txt");
    // A page-list library that refuses: nothing handed over, pages kept.
    setenv("SUITE_PMDATA_FAIL", "1", 1);
    auto refused = Job(MakeConnectorServices());
    ASSERT_TRUE(Run(*refused, "ocr", 1));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(PagesLeft().size(), 1u);
    for (HKEY k : keys) RegCloseKey(k);
}

// PDF files made by the DDE OCR application when "Moplink Check Path" finds it.
TEST_F(Connectors, TheOcrApplicationMakesThePdfFilesWhenInstalled) {
    const fs::path record = root / "pdfapp.txt";
    setenv("SUITE_DDE_PEER",
           ("service=Quade topic=QuadeOCR title=Moplink write-outputs=1 lifetime=20000 record=" + record.string()).c_str(), 1);
    HKEY formats = Key(appKey, "File Format");
    const char* entries[] = {"1,Bitmap", "2,JPEG", "6,PDF", "3,TIFF", "5,PNG", "11,Multi-page TIFF", "13,PDF", "4,TIFF",
                             "12,Multi-page TIFF"};
    for (int i = 0; i < 9; ++i) Text(formats, std::to_string(i + 1).c_str(), entries[i]);
    Text(formats, "Moplink Check Path 1", "2,Software\\Vendor\\Moplink,0,missing");
    Text(formats, "Moplink Check Path 2", "2,Software\\Vendor\\Moplink,0,suite_dde_peer");
    Text(Key(HKEY_CURRENT_USER, "Software\\Vendor\\Moplink"), "", Bin().substr(0, Bin().size() - 1));
    Ini("1\\Gray", "Format", "3");
    Ini("1\\Gray", "Pages2PDF", "2");
    auto job = Job(MakeConnectorServices());
    ASSERT_TRUE(Run(*job, "pdf", 3));
    EXPECT_EQ(fs::path(suite::NativePathOfEither(job->PdfApplication())), fs::path(Bin()) / "suite_dde_peer");
    for (const std::string& r : reports) ADD_FAILURE() << r << "\n" << ReadAll(record);
    ASSERT_EQ(job->Finished().size(), 2u);
    EXPECT_EQ(CountPdfPages(job->Finished()[0]), 2);
    EXPECT_EQ(CountPdfPages(job->Finished()[1]), 1);
    const std::string text = ReadAll(record);
    EXPECT_NE(text.find("[NEW_DOCUMENT]\n[FMTTEXT](53,1,0)\n[OPTIONS_GRAPHICS_ADVANCED](0,0,187)\n[PDF_PARAMS](ON)\n"
                        "[INTERLEARN](OFF)\n[DISABLEWNGNOWINDOW](ON)\n[HIDE]\n[DISPLAY_PROGRESS](ON)\n"
                        "[FORCE_AS_300DPI](OFF)\n[INPUT]("),
              std::string::npos)
        << text;
    // The application writes beside the file's name; the file takes it once whole.
    const std::string finished = job->Finished()[0];
    const std::string savedAs = "[SAVEIMG_MULTI](" + finished.substr(0, finished.size() - 4) + ".~";
    const std::size_t at = text.find(savedAs);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.compare(at + savedAs.size() + 6, 24, ".pdf,99)\n[NEW_DOCUMENT]\n"), 0) << text;
    EXPECT_TRUE(PagesLeft().empty());
    // The application makes a PDF short of pages: the pages stay as images.
    setenv("SUITE_DDE_PEER", "service=Quade topic=QuadeOCR title=Moplink lifetime=20000", 1);
    fs::remove_all(out);
    auto missing = Job(MakeConnectorServices());
    ASSERT_TRUE(Run(*missing, "pdf", 2));
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(PagesLeft().size(), 2u);
    for (HKEY k : keys) RegCloseKey(k);
}

}  // namespace

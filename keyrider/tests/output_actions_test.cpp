// The scan job's hand-offs to servers: FTP into a new remote folder (a server
// that dies mid-way keeps the files it never confirmed) and mail through the
// mail library's compose window to a loopback SMTP server.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "keyrider/scan_job.h"
#include "keyrider/tests/loopback_server.h"
#include "outside/mapi32/compose_dialog.h"
#include "platform/afx/afxwin.h"
#include "platform/win/ini.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"
#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;
using namespace keyrider;
using keyridertest::Server;

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("OutputActionTests") {}
    BOOL InitInstance() override { return TRUE; }
};
TestApp theTestApp;

// A loopback server script started with (folder, lifetime); it prints its port.
struct Pages {
    int count = 0;
};
Pages g_pages;

int ScanPages(SCAN_SETTINGS*, SCANPAGEPROC callback, void* argument) {
    for (int i = 0; i < g_pages.count; ++i) {
        IL_IMAGE page{};
        page.Header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), 64, 48, 64, 8, 0, 200, 200};
        page.Bits = static_cast<BYTE*>(std::malloc(64 * 48));
        for (int b = 0; b < 64 * 48; ++b) page.Bits[b] = BYTE((b * 3 + i * 50) & 0xFF);
        page.Flags = IL_FLAG_FREE_AFTER_USE;
        int goOn = callback(&page, argument);
        delete page.Header;
        std::free(page.Bits);
        if (!goOn) break;
    }
    return g_pages.count > 0;
}
int EndJob(const BYTE*) { return 1; }

std::vector<char> Bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), {});
}

class OutputActions : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        previousTemp = suite_test::TemporaryRoot();
        std::string pattern = previousTemp + "/outputs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root / "machine.db").c_str(), 1);
        setenv("TMPDIR", root.c_str(), 1);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test\\Keyrider\\File Format", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &formats, nullptr),
                  ERROR_SUCCESS);
        const char* entries[] = {"1,Bitmap", "2,JPEG", "3,TIFF", "5,PNG", "11,Multi-page TIFF",
                                 "6,PDF", "13,PDF", "4,TIFF", "12,Multi-page TIFF"};
        for (int i = 0; i < 9; ++i)
            RegSetValueExA(formats, std::to_string(i + 1).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entries[i]),
                           DWORD(std::strlen(entries[i]) + 1));
        RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test\\Keyrider", 0, KEY_ALL_ACCESS, &appKey);
        ini = (root / "job.ini").string();
        out = root / "out";
        Ini("1\\Folder", "1", out.string());
        scan.ScanPages = ScanPages;
        scan.ScanEndJob = EndJob;
    }
    void TearDown() override {
        AfxTestScript::Enable(false);
        RegCloseKey(formats);
        RegCloseKey(appKey);
        fs::remove_all(root);
        setenv("TMPDIR", previousTemp.c_str(), 1);
    }
    void Ini(const std::string& section, const char* key, const std::string& value) {
        WritePrivateProfileStringA(section.c_str(), key, value.c_str(), ini.c_str());
    }
    std::unique_ptr<CScanJob> Job() {
        JobServices s;
        s.appKey = appKey;
        s.image = IL_GetFunctionTable();
        s.scan = &scan;
        s.programFolder = fs::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path().string() + "/";
        s.findPrinter = [](const std::string& name, std::string* driver, std::string* port) {
            DWORD needed = 0, count = 0;
            EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
            std::vector<BYTE> buffer(needed);
            if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return false;
            const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                if (strcasecmp(printers[i].pPrinterName, name.c_str()) == 0) {
                    *driver = printers[i].pDriverName;
                    *port = printers[i].pPortName;
                    return true;
                }
            return false;
        };
        s.naming.message = [this](int id, const std::string& v) { messages.push_back(std::to_string(id) + ":" + v); };
        s.report = [this](const std::string& text) { reports.push_back(text); };
        auto job = std::make_unique<CScanJob>(JobProfile(ini), std::move(s));
        job->SetNames("1", "Gray", "ADF");
        return job;
    }
    void Run(CScanJob& job, const char* action, int pages) {
        g_pages.count = pages;
        ASSERT_EQ(job.ReadActionSettings(action), 1);
        job.ReadScanSettings(&job.Block());
        job.DispatchJobOutput(action);
    }

    fs::path root, out;
    std::string ini, previousTemp;
    HKEY formats = nullptr, appKey = nullptr;
    SCAN_FUNCTIONTABLE scan{};
    std::vector<std::string> messages, reports;
};

TEST_F(OutputActions, FtpMakesTheRemoteFolderAndDeletesOnlyConfirmedFiles) {
    const fs::path served = root / "served";
    fs::create_directories(served);
    Server server(FTP_SERVER_SCRIPT, served);
    ASSERT_NE(server.port(), 0);
    Ini("1\\Session\\1", "Host Name", "127.0.0.1");
    Ini("1\\Session\\1", "Port", std::to_string(server.port()));
    Ini("1\\Session\\1", "Username", "scan");
    Ini("1\\Session\\1", "Password", "secret");
    Ini("1\\Session\\1", "Remote Folder", "/incoming");
    Ini("1\\Session\\1", "Delete File", "1");
    Ini("1\\Session\\1", "Passive", "1");
    auto job = Job();
    std::vector<std::vector<char>> sent;
    // The server dies once the first file is confirmed.
    job->afterUploadedFile = [&](int index) {
        if (index == 0) server.Kill();
    };
    std::vector<std::string> made;
    Run(*job, "ftp", 3);
    made = job->Finished();
    ASSERT_EQ(made.size(), 3u);
    const fs::path first = suite::NativePath(made[0]);
    EXPECT_FALSE(fs::exists(first));  // confirmed, then deleted
    ASSERT_TRUE(fs::exists(served / "incoming" / first.filename()));
    EXPECT_EQ(fs::file_size(served / "incoming" / first.filename()), 0u + Bytes(served / "incoming" / first.filename()).size());
    EXPECT_TRUE(fs::exists(suite::NativePath(made[1])));
    EXPECT_TRUE(fs::exists(suite::NativePath(made[2])));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("1 of 3"), std::string::npos) << reports[0];
}

TEST_F(OutputActions, FtpWithoutAServerShowsMessage26AndKeepsEveryFile) {
    Ini("1\\Session\\1", "Host Name", "127.0.0.1");
    Ini("1\\Session\\1", "Port", "1");
    Ini("1\\Session\\1", "Anonymous", "1");
    auto job = Job();
    Run(*job, "FTP", 2);
    EXPECT_EQ(messages, std::vector<std::string>{"26:"});
    for (const std::string& f : job->Finished()) EXPECT_TRUE(fs::exists(suite::NativePath(f)));
}

TEST_F(OutputActions, MailTakesThePagesThroughTheComposeWindowByteEqual) {
    const fs::path inbox = root / "inbox";
    fs::create_directories(inbox);
    Server server(SMTP_SERVER_SCRIPT, inbox);
    ASSERT_NE(server.port(), 0);
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Mapi32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    const std::string url = "smtp://127.0.0.1:" + std::to_string(server.port()), from = "scanner@example.test";
    RegSetValueExA(k, "SMTP Server", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()), DWORD(url.size() + 1));
    RegSetValueExA(k, "From", 0, REG_SZ, reinterpret_cast<const BYTE*>(from.c_str()), DWORD(from.size() + 1));
    RegCloseKey(k);
    // The person at the compose window types an address and sends.
    static std::vector<std::string> listed;
    listed.clear();
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            CString file;
            auto* list = static_cast<CListBox*>(dialog->GetDlgItem(mapi32::kComposeFiles));
            for (int i = 0; list && i < list->GetCount(); ++i) {
                list->GetText(i, file);
                listed.push_back(file.GetString());
            }
            dialog->SetDlgItemText(mapi32::kComposeTo, "desk@example.test");
            dialog->SetDlgItemText(mapi32::kComposeSubject, "Scanned pages");
            if (const char* grab = std::getenv("KEYRIDER_GRAB_DIR"))
                dialog->GrabToFile((std::string(grab) + "/compose.png").c_str());
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    auto job = Job();
    Run(*job, "e-mail", 3);
    EXPECT_TRUE(reports.empty()) << reports[0];
    EXPECT_EQ(listed.size(), 3u);
    const fs::path mail = inbox / "0";
    for (int i = 0; i < 100 && !fs::exists(mail); ++i) usleep(50000);
    ASSERT_TRUE(fs::exists(mail));
    ASSERT_EQ(job->Finished().size(), 3u);
    for (const std::string& f : job->Finished()) {
        const fs::path local = suite::NativePath(f);
        EXPECT_EQ(Bytes(mail / local.filename()), Bytes(local)) << local;
    }
    // Cancelled at the window: nothing goes, nothing is reported as sent.
    AfxTestScript::QueueAnswer(IDCANCEL);
    auto cancelled = Job();
    Run(*cancelled, "e-mail", 1);
    usleep(200000);
    EXPECT_FALSE(fs::exists(inbox / "1"));
}

TEST_F(OutputActions, MailWithoutTheMailLibraryShowsMessage16) {
    auto job = Job();
    job->mailLibrary = "NoSuchMailLibrary.dll";
    Run(*job, "e-mail", 1);
    EXPECT_EQ(messages, std::vector<std::string>{"16:"});
    ASSERT_EQ(job->Finished().size(), 1u);
    EXPECT_TRUE(fs::exists(suite::NativePath(job->Finished()[0])));
}

TEST_F(OutputActions, CopyPrintsEveryPageOnceOnTheNamedPrinter) {
    const fs::path pdf = root / "copy.pdf";
    setenv("SUITE_PRINT_PDF", pdf.c_str(), 1);
    Ini("1", "Printer Name", "pdf file");
    Ini("1", "Copies", "2");
    Ini("1", "Fit in Page", "1");
    auto job = Job();
    Run(*job, "Copy", 3);
    unsetenv("SUITE_PRINT_PDF");
    EXPECT_EQ(job->PrintedPages(), 3);
    EXPECT_TRUE(reports.empty()) << reports[0];
    EXPECT_EQ(CountPdfPages(pdf.string()), 6);  // two copies of each page
    // No printer named, or one this machine lacks: not ready, nothing scanned,
    // and the user is told which (rather than a PDF left in the temporary folder).
    messages.clear();
    Ini("1", "Printer Name", "");
    EXPECT_EQ(Job()->ReadActionSettings("copy"), 0);
    Ini("1", "Printer Name", "No Such Printer");
    EXPECT_EQ(Job()->ReadActionSettings("copy"), 0);
    EXPECT_EQ(messages, (std::vector<std::string>{"31:the printer to print on", "32:No Such Printer"}));
}

TEST(Printers, TheTableListsThePdfFilePrinterAndTellsTheSizeItNeeds) {
    AfxWinInit();
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
    ASSERT_GT(needed, DWORD(sizeof(PRINTER_INFO_2A)));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count));
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    bool pdf = false;
    for (DWORD i = 0; i < count; ++i) pdf = pdf || std::string(printers[i].pPrinterName) == kPdfFilePrinter;
    EXPECT_TRUE(pdf);
    EXPECT_FALSE(EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 1, buffer.data(), needed, &needed, &count));
}

}  // namespace

// Start-up of Scribant under a home of its own: folders, each failure ending
// the start, the language library by the system language, the wrong
// parameter, the title, the queue-file hand-off and the settings written at exit.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "platform/win/path.h"
#include "platform/afx/ui/ddeml.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/shell_dde_commands.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

using Startup = ScribantHome;

TEST_F(Startup, MakesItsFoldersAndItsWindow) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app_->messages.empty());
    for (const char* sub : {"WORK", "OUTPUT", "IMAGE"}) EXPECT_TRUE(fs::is_directory(Data() / sub)) << sub;
    EXPECT_EQ(suite::NativePath(app_->m_strDataDir), Data().string());
    EXPECT_EQ(app_->m_strQueueFile, app_->m_strDataDir + "\\work\\Zoduvezevav.txt");
    ASSERT_NE(app_->MainFrame(), nullptr);
    CString title;
    app_->m_pMainWnd->GetWindowText(title);
    EXPECT_STREQ(title.GetString(), "Scribant - \xC4\xAC\xC8\xCF\xB9\xA4\xB3\xCC - \xCE\xDE\xB1\xEA\xCC\xE2");
    EXPECT_EQ(&ShellServices(), static_cast<CShellServices*>(app_.get()));
    // A second start finds the running frame by its own class.
    EXPECT_EQ(FindWindow(SCRIBANT_FRAME_CLASS, nullptr), app_->m_pMainWnd->GetSafeHwnd());
}

TEST_F(Startup, EachFolderThatCannotBeMadeEndsTheStartWithItsMessage) {
    struct Case {
        fs::path blocker;
        const char* message;
    } cases[] = {
        {Documents() / "My ORdoc Files", "Can not find or create \"My ORdoc Files\" directory!"},
        {Data(), "Can not find or create \"Scribant\" directory!"},
        {Data() / "WORK", "Can not find or create WORK directory!"},
        {Data() / "OUTPUT", "Can not find or create OUTPUT directory!"},
        {Data() / "IMAGE", "Can not find or create IMAGE directory!"},
    };
    for (const Case& c : cases) {
        std::error_code ec;
        fs::remove_all(Documents(), ec);
        fs::create_directories(c.blocker.parent_path());
        std::ofstream(c.blocker) << "a file where a folder belongs";
        EXPECT_FALSE(Start()) << c.message;
        ASSERT_EQ(app_->messages.size(), 1u) << c.message;
        EXPECT_EQ(app_->messages[0], c.message);
        EXPECT_EQ(app_->m_pMainWnd, nullptr);
        Stop();
    }
}

TEST_F(Startup, TheLanguageLibraryFollowsTheSystemLanguage) {
    ASSERT_TRUE(Start({}, 0x1004));
    EXPECT_EQ(app_->m_bSimplified, 0);
    EXPECT_EQ(app_->m_settings.langCode, 1);
    CString ole;
    ole.LoadString(IDS_OLE_INIT_FAILED);
    // "失敗" of the traditional library, in the code page's bytes.
    EXPECT_NE(std::string(ole.GetString()).find("OLE"), std::string::npos);
    const std::string traditional = ole.GetString();
    Stop();
    ASSERT_TRUE(Start({}, 0x804));
    EXPECT_EQ(app_->m_bSimplified, 1);
    ole.LoadString(IDS_OLE_INIT_FAILED);
    EXPECT_NE(traditional, std::string(ole.GetString()));
}

TEST_F(Startup, EnglishSystemsGetEnglishOnlyWhenNothingIsStored) {
    ASSERT_TRUE(Start({}, 0x409));
    EXPECT_EQ(app_->m_settings.langCode, 2);
    EXPECT_EQ(app_->m_bSimplified, 1);
    app_->m_settings.langCode = 0;
    Stop();
    ASSERT_TRUE(Start({}, 0x409));
    EXPECT_EQ(app_->m_settings.langCode, 0) << "a stored language stays whatever the system's";
}

TEST_F(Startup, ATraditionalFirstStartWritesItsLanguageCodeAtExit) {
    ASSERT_TRUE(Start({}, 0x404));
    Stop();
    CWinApp reader("Scribant");
    reader.SetRegistryKey("Orvane");
    EXPECT_EQ(reader.GetProfileInt("Config", "LangCode", 9), 1u);
    EXPECT_EQ(reader.GetProfileInt("OcrBar", "Height", 0), 208u);
    EXPECT_EQ(reader.GetProfileInt("Config", "Res", 0), 300u);
}

TEST_F(Startup, AFileOfAnotherTypeIsRefusedByNameInTheInterfacesLanguage) {
    for (WORD language : {WORD(0x804), WORD(0x404)}) {
        for (const char* file : {"notes.txt", "page.doc", "archive"}) {
            EXPECT_FALSE(Start({file}, language));
            ASSERT_EQ(app_->messages.size(), 1u) << file;
            const std::string& said = app_->messages[0];
            EXPECT_NE(said.find(file), std::string::npos) << said;
            // The language library's words: no English sentence.
            EXPECT_EQ(said.find("Wrong"), std::string::npos) << said;
            EXPECT_NE(said.find("PNG"), std::string::npos) << "what can be opened is said";
            Stop();
        }
    }
    // What the codecs read is accepted, PNG and PCX as much as TIFF.
    fs::create_directories(root_ / "in");
    for (const char* file : {"page.png", "page.pcx"}) {
        std::ofstream(root_ / "in" / file) << "not really an image";
        EXPECT_TRUE(Start({(root_ / "in" / file).string()})) << file;
        EXPECT_EQ(app_->PageListRowCount(), 1) << file;
        Stop();
    }
}

TEST_F(Startup, ServerSwitchesEndTheStartWithoutAWindow) {
    // No automation is offered: started as a server, the program makes no
    // window, so its message loop ends at once, and frees its instance name.
    for (const char* server : {"/Embedding", "-Automation"}) {
        EXPECT_TRUE(Start({server}));
        EXPECT_EQ(app_->m_pMainWnd, nullptr) << server;
        EXPECT_TRUE(app_->messages.empty()) << server;
        Stop();
    }
    ASSERT_TRUE(Start());
    EXPECT_NE(app_->m_pMainWnd, nullptr) << "the next start is the only one again";
}

// A 1-bit BMP page of 64 x 8 pixels, a black bar across it.
void WriteBarPage(const fs::path& file) {
    std::string bmp(62 + 8 * 8, '\0');
    auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, static_cast<std::uint32_t>(bmp.size()), 4);
    put(10, 62, 4);
    put(14, 40, 4), put(18, 64, 4), put(22, 8, 4), put(26, 1, 2), put(28, 1, 2);
    put(46, 2, 4);
    put(58, 0xFFFFFF, 4);  // colour 1 white, colour 0 black
    for (std::size_t row = 0; row < 8; ++row)
        for (std::size_t b = 0; b < 8; ++b) bmp[62 + row * 8 + b] = row == 4 ? '\0' : '\xFF';
    std::ofstream(file, std::ios::binary) << bmp;
}

bool IsPdf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[5] = {};
    in.read(head, 4);
    return std::string(head) == "%PDF";
}

HDDEDATA NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD_PTR, DWORD_PTR) { return nullptr; }

// "/p" and "/pt" print the file and end the start; with no printer (or an
// unknown one) the print is a PDF file. "/Unregister" removes the settings,
// says so and ends the start without writing them back.
TEST_F(Startup, ShellCommandsPrintTheFileOrRemoveTheSettingsAndEndTheStart) {
    const std::string page = suite::WindowsPath((root_ / "page.bmp").string());
    WriteBarPage(root_ / "page.bmp");
    const fs::path printed = root_ / "printed.pdf";
    setenv("SUITE_PRINT_PDF", printed.c_str(), 1);
    EXPECT_FALSE(Start({"/p", page}));
    EXPECT_TRUE(IsPdf(printed)) << "printed on the default printer";
    Stop();
    fs::remove(printed);
    EXPECT_FALSE(Start({"/pt", page, "No such printer"}));
    EXPECT_TRUE(IsPdf(printed)) << "an unknown printer prints to a PDF file";
    Stop();
    unsetenv("SUITE_PRINT_PDF");

    ASSERT_TRUE(Start());
    app_->m_settings.penColor = 6;
    Stop();
    EXPECT_FALSE(Start({"/Unregister"}));
    ASSERT_EQ(app_->messages.size(), 1u);
    CString removed;
    removed.LoadString(61707);
    EXPECT_EQ(app_->messages[0], removed.GetString());
    Stop();
    CWinApp reader("Scribant");
    reader.SetRegistryKey("Orvane");
    EXPECT_EQ(reader.GetProfileInt("Config", "Pen Color", 0), 0u) << "the settings are gone";
}

TEST(ShellDdeCommands, ListsAreTakenWholeOrRefusedWhole) {
    const auto two = ParseShellDdeCommands("[open(\"C:\\a, b.bmp\")] [PrintTo(\"C:\\c.tif\",\"Laser\",\"drv\",\"LPT1:\")]");
    ASSERT_TRUE(two);
    ASSERT_EQ(two->size(), 2u);
    EXPECT_EQ((*two)[0].path, "C:\\a, b.bmp") << "a comma inside quotes belongs to the path";
    EXPECT_EQ((*two)[1].verb, ShellDdeCommand::kPrintTo);
    EXPECT_EQ((*two)[1].printer, "Laser");
    for (const char* bad : {"", "[open(\"a\r\nb.bmp\")]", "[open(\"a.bmp\")][format(\"c:\")]", "[open()]",
                            "[printto(\"a.bmp\")]", "[open(\"a.bmp\"", "[open(\"a.bmp\",\"b\")]", "open(a.bmp)"})
        EXPECT_FALSE(ParseShellDdeCommands(bad)) << bad;
}

// The desktop's shell opens and prints files through the running program's
// DDE service; a refused text is answered as not processed.
TEST_F(Startup, TheShellsDdeCommandsOpenAndPrintFiles) {
    WriteBarPage(root_ / "page.bmp");
    const std::string page = suite::WindowsPath((root_ / "page.bmp").string());
    ASSERT_TRUE(Start({"/dde"}));
    EXPECT_EQ(app_->PageListRowCount(), 0);
    DWORD client = 0;
    ASSERT_EQ(DdeInitialize(&client, &NoCallback, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    HSZ service = DdeCreateStringHandle(client, app_->m_strInstanceName.c_str(), CP_WINANSI);
    HSZ topic = DdeCreateStringHandle(client, "System", CP_WINANSI);
    HCONV conv = DdeConnect(client, service, topic, nullptr);
    ASSERT_NE(conv, nullptr);
    EXPECT_TRUE(DdeExecuteText(conv, ("[open(\"" + page + "\")]").c_str(), 20000));
    EXPECT_EQ(app_->PageListRowCount(), 1);
    const fs::path printed = root_ / "printed.pdf";
    setenv("SUITE_PRINT_PDF", printed.c_str(), 1);
    EXPECT_TRUE(DdeExecuteText(conv, ("[printto(\"" + page + "\",\"No such printer\",\"drv\",\"port\")]").c_str(), 40000));
    unsetenv("SUITE_PRINT_PDF");
    EXPECT_TRUE(IsPdf(printed));
    EXPECT_FALSE(DdeExecuteText(conv, "[open(\"a\r\nb.bmp\")]", 20000));
    EXPECT_EQ(app_->PageListRowCount(), 1);
    DdeDisconnect(conv);
    DdeFreeStringHandle(client, service);
    DdeFreeStringHandle(client, topic);
    DdeUninitialize(client);
}

TEST_F(Startup, ExitWritesTheSettingsAndRemovesTheEngineFiles) {
    ASSERT_TRUE(Start());
    app_->m_settings.penColor = 6;
    app_->m_bAutoOpenTxt = 1;
    app_->m_strOutputPath = "C:\\out";
    std::ofstream(Data() / "WORK" / "atemp000.idx") << "x";
    std::ofstream(Data() / "WORK" / "atemp000.c&e") << "x";
    std::ofstream(Data() / "WORK" / "keep.txt") << "x";
    Stop();
    EXPECT_FALSE(fs::exists(Data() / "WORK" / "atemp000.idx"));
    EXPECT_FALSE(fs::exists(Data() / "WORK" / "atemp000.c&e"));
    EXPECT_TRUE(fs::exists(Data() / "WORK" / "keep.txt"));
    CWinApp reader("Scribant");
    reader.SetRegistryKey("Orvane");
    EXPECT_EQ(reader.GetProfileInt("Config", "Pen Color", 0), 6u);
    EXPECT_EQ(reader.GetProfileInt("Config", "AutoOpenTxt", 0), 1u);
    EXPECT_STREQ(reader.GetProfileString("Config", "OutputPath", "").GetString(), "C:\\out");
}

TEST_F(Startup, QueuedImagesAreOpenedOnceEachAndTheQueueEmptied) {
    ASSERT_TRUE(Start());
    const fs::path image = Data() / "IMAGE" / "queued page.tif";
    std::ofstream(image) << "not really a picture";
    const std::string windowsPath = suite::WindowsPath(image.string());
    ASSERT_TRUE(app_->Queue().Append(windowsPath));
    ASSERT_TRUE(app_->Queue().Append(windowsPath));
    ASSERT_TRUE(app_->Queue().Append("C:\\ignored.doc"));
    // Every kind the program opens is taken, not only the first three.
    const fs::path png = Data() / "IMAGE" / "queued page.PNG";
    std::ofstream(png) << "not really a picture";
    const std::string pngPath = suite::WindowsPath(png.string());
    ASSERT_TRUE(app_->Queue().Append(pngPath));
    app_->MainFrame()->SendMessage(WM_COMMAND, ID_OPEN_QUEUED_IMAGES, 0);
    CFileListCtrl& list = app_->MainFrame()->PageList();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(std::string(list.GetItemText(0, kPageListPath).GetString()), windowsPath);
    EXPECT_EQ(std::string(list.GetItemText(1, kPageListPath).GetString()), pngPath);
    EXPECT_EQ(list.CurrentRow(), 1);
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
    EXPECT_EQ(app_->m_settings.lastFilePath, pngPath);
}

}  // namespace
}  // namespace scribanttest

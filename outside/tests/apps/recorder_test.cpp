// The recording program that stands in for outside programs: command lines,
// lists and inis (with its ini deletion, its broadcast, its result window, its
// hanging and failing forms, and its window mode that ends on WM_CLOSE) and
// the page-list library.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "outside/include/pmdata.h"
#include "platform/afx/afxwin.h"
#include "platform/win/library.h"

namespace {

namespace fs = std::filesystem;

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("RecorderTests") {}
    BOOL InitInstance() override { return TRUE; }
};
TestApp theTestApp;

std::string Bin() {
    AfxWinInit();
    return QCoreApplication::applicationDirPath().toStdString() + "/";
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        AfxPumpMessages();
        usleep(10000);
    }
    return true;
}

class RecordingProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = QDir::tempPath().toStdString() + "/recorder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        log = dir / "log.txt";
    }
    void TearDown() override {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
        fs::remove_all(dir);
    }
    void Start(const QStringList& args, const QStringList& env = {}) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("SUITE_RECORDER_LOG", QString::fromStdString(log.string()));
        for (const QString& kv : env) e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(e);
        p.setProgram(QString::fromStdString(Bin() + "suite_recorder"));
        p.setArguments(args);
        p.start();
        ASSERT_TRUE(p.waitForStarted(10000));
    }
    fs::path dir, log;
    QProcess p;
};

TEST_F(RecordingProgram, RecordsItsArgumentsAndTheFilesTheyNameAndDeletesItsIni) {
    const fs::path list = dir / "pages.txt", ini = dir / "Harnel.Ini";
    std::ofstream(list) << "C:\\a.jpg\r\nC:\\b.jpg\r\n";
    std::ofstream(ini) << "[Application]\nName=Harnel\n";
    Start({"/Oltrane", "/r", QString::fromStdString(list.string()), QString::fromStdString("/f=" + ini.string())});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    const std::string text = ReadAll(log);
    EXPECT_NE(text.find("arg: /Oltrane\narg: /r\narg: " + list.string() + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("file: " + list.string() + "\nC:\\a.jpg\r\nC:\\b.jpg\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Harnel"), std::string::npos);
    EXPECT_FALSE(fs::exists(ini));
}

TEST_F(RecordingProgram, HangingAndFailingFormsKeepTheirFiles) {
    const fs::path ini = dir / "Harnel.Ini";
    std::ofstream(ini) << "[Files]\nCount=0\n";
    Start({QString::fromStdString("/f=" + ini.string())}, {"SUITE_RECORDER_EXIT=3"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_TRUE(fs::exists(ini));
    Start({QString::fromStdString("/f=" + ini.string())}, {"SUITE_RECORDER_HANG_MS=60000"});
    EXPECT_FALSE(p.waitForFinished(700));
    EXPECT_TRUE(fs::exists(ini));
}

TEST_F(RecordingProgram, TheCardCommandLineBroadcastsItsRegisteredMessage) {
    static int received = 0;
    static UINT message = RegisterWindowMessage("BCR_COMMANDLINE_MSG");
    class Listener : public CWnd {
    public:
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
            if (m == message) ++received;
            return CWnd::WindowProc(m, w, l);
        }
    };
    Listener listener;
    ASSERT_TRUE(listener.CreateEx(0, "RecorderListener", "Recorder Listener", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                  nullptr, nullptr));
    const fs::path list = dir / "HotCard.Ini";
    std::ofstream(list) << "C:\\card.jpg1\r\n\r\n";
    received = 0;
    Start({QString::fromStdString("/rean\"" + list.string() + "\"")});
    EXPECT_TRUE(WaitFor([] { return received > 0; }, 10000));
    listener.DestroyWindow();
}

TEST_F(RecordingProgram, ThePageListRunShowsItsWindowAndWritesTheResult) {
    const fs::path result = dir / "result.doc";
    Start({"/target=SAVED", "/filetype=doc", QString::fromStdString("/filename=" + result.string()), "/r",
           QString::fromStdString((dir / "DCCR.Fle").string())},
          {"SUITE_RECORDER_WINDOW_MS=5000"});
    ASSERT_TRUE(WaitFor([] { return FindWindow("IMC_PCCR40", nullptr) != nullptr; }, 20000));
    // It ends once its window is gone (the pump may see its end before any wait does).
    p.waitForFinished(20000);
    EXPECT_EQ(p.state(), QProcess::NotRunning);
    EXPECT_EQ(FindWindow("IMC_PCCR40", nullptr), nullptr);
    EXPECT_EQ(ReadAll(result), "recognised text\n");
}

TEST_F(RecordingProgram, InWindowModeItShowsItsTitleAndEndsOnClose) {
    const std::string title = "Reader " + std::to_string(::getpid());
    fs::create_directories(dir / "records");
    Start({"one", "two words"}, {QString::fromStdString("SUITE_RECORDER_TITLE=" + title), "SUITE_RECORDER_EXIT=5",
                                 QString::fromStdString("SUITE_RECORDER_DIR=" + (dir / "records").string())});
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (window = FindWindow(nullptr, title.c_str())) != nullptr; }, 20000));
    EXPECT_FALSE(p.waitForFinished(300)) << "it stays until it is told to close";
    ::PostMessage(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 5);
    EXPECT_EQ(FindWindow(nullptr, title.c_str()), nullptr);
    const std::string text = ReadAll(log);
    EXPECT_NE(text.find("name: suite_recorder\n"), std::string::npos) << text;
    EXPECT_NE(text.find("closed\n"), std::string::npos) << text;
    const std::string record = ReadAll(dir / "records" / "suite_recorder.record");
    EXPECT_NE(record.find("folder: " + Bin().substr(0, Bin().size() - 1) + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("arg: one\narg: two words\n"), std::string::npos) << record;
}

TEST(PageListLibrary, WritesCompleteListsAndRefusesBrokenOnes) {
    HMODULE m = LoadLibraryA((Bin() + "PMDATA.DLL").c_str());
    ASSERT_NE(m, nullptr);
    auto open = reinterpret_cast<PMDATA_OPEN>(GetProcAddress(m, "openPMData"));
    auto count = reinterpret_cast<PMDATA_WRITECOUNT>(GetProcAddress(m, "writePMData_count"));
    auto name = reinterpret_cast<PMDATA_WRITEFILENAME>(GetProcAddress(m, "writePMData_fileName"));
    auto close = reinterpret_cast<PMDATA_CLOSE>(GetProcAddress(m, "closePMData"));
    ASSERT_TRUE(open && count && name && close);
    const std::string list = QDir::tempPath().toStdString() + "/pmdata-" + std::to_string(getpid()) + ".fle";
    ASSERT_TRUE(open(list.c_str(), 1));
    EXPECT_FALSE(open(list.c_str(), 1));  // one list at a time
    EXPECT_FALSE(name("early.jpg"));
    ASSERT_TRUE(count(2));
    EXPECT_TRUE(name("C:\\a.jpg"));
    EXPECT_TRUE(name("C:\\b.jpg"));
    EXPECT_FALSE(name("C:\\c.jpg"));
    EXPECT_TRUE(close());
    EXPECT_EQ(ReadAll(list), "2\nC:\\a.jpg\nC:\\b.jpg\n");
    ASSERT_TRUE(open(list.c_str(), 1));
    count(3);
    name("one.jpg");
    EXPECT_FALSE(close());  // two pages missing
    setenv("SUITE_PMDATA_FAIL", "1", 1);
    EXPECT_FALSE(open(list.c_str(), 1));
    unsetenv("SUITE_PMDATA_FAIL");
    fs::remove(list);
    FreeLibrary(m);
}

}  // namespace

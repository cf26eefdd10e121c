// The help commands of Scribant's main frame end to end: the header bar and
// advert view made hidden, the status bar's browser over pane 2, online help
// through the desktop's opener (recorded by a script standing for it), its
// local stand-ins and its failure message, the status bar's browser when the
// desktop cannot open anything, web search, and the help file by language.
#include "scribant_fixture.h"

#include "platform/afx/ui/html_view.h"
#include "platform/afx/ui/htmlhelp.h"
#include "platform/win/tests/loopback_http_server.h"
#include "platform/win/url_download.h"
#include "shell/frame/advertise_view.h"
#include "shell/frame/head_ad_bar.h"
#include "shell/frame/main_frame.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace scribanttest {
namespace {

constexpr UINT kHelpOnline = 32928;
constexpr UINT kWebSearch = 32916;
constexpr UINT kHelpFinder = 57667;
constexpr UINT kHelp = 57670;

class HelpCommands : public ScribantHome {
protected:
    fs::path program, record, opener;
    std::string installed;  // the program folder of the build, with the help shipped
    suite_test::LoopbackHttpServer server;

    void SetUp() override {
        ScribantHome::SetUp();
        program = root_ / "program";
        fs::create_directories(program);
        record = root_ / "opened.txt";
        opener = root_ / "opener.sh";
        std::ofstream(opener) << "#!/bin/sh\necho \"$@\" >> '" << record.string() << "'\n";
        ::chmod(opener.c_str(), 0755);
        setenv("SUITE_OPEN_COMMAND", opener.c_str(), 1);
        suite::UrlDownloadLimits quick;
        quick.connectMs = 1500;
        quick.stallMs = 2000;
        quick.totalMs = 5000;
        suite::SetUrlDownloadLimits(quick);
        ASSERT_TRUE(Start());
        installed = app_->m_strAppDir;
        app_->m_strAppDir = program.string();
    }
    void TearDown() override {
        HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
        unsetenv("SUITE_OPEN_COMMAND");
        suite::SetUrlDownloadLimits(suite::UrlDownloadLimits{});
        ScribantHome::TearDown();
    }
    CMainFrame* frame() { return static_cast<CMainFrame*>(app_->m_pMainWnd); }
    void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // The lines the opener was started with, once `count` arrived.
    std::vector<std::string> opened(size_t count) {
        std::vector<std::string> lines;
        PumpUntil([&] {
            lines.clear();
            std::ifstream in(record);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            return lines.size() >= count;
        });
        return lines;
    }
    void command(UINT id) { frame()->SendMessage(WM_COMMAND, id, 0); }
};

TEST_F(HelpCommands, TheFrameMakesTheHeaderBarAndTheAdvertViewHidden) {
    CWnd* bar = frame()->GetDlgItem(CDlgBarHeadAd::kBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_NE(dynamic_cast<CDlgBarHeadAd*>(bar), nullptr);
    EXPECT_FALSE(bar->IsWindowVisible());
    CWnd* view = frame()->GetDlgItem(CAdvertiseView::kChildId);
    ASSERT_NE(view, nullptr);
    EXPECT_NE(dynamic_cast<CAdvertiseView*>(view), nullptr);
    EXPECT_FALSE(view->IsWindowVisible());
    EXPECT_EQ(frame()->AdView(), view);
    // The active view stays the page view.
    EXPECT_NE(frame()->GetActiveView(), view);

    auto* status = static_cast<CAdStatusBar*>(&frame()->StatusBar());
    ASSERT_TRUE(status->HasBrowser());
    frame()->RecalcLayout();
    AfxPumpMessages();
    CRect statusClient;
    status->GetClientRect(&statusClient);
    EXPECT_GT(statusClient.Height(), 10);
    CRect pane, browser;
    status->GetItemRect(2, &pane);
    status->Browser().GetWindowRect(&browser);
    status->ScreenToClient(&browser);
    EXPECT_EQ(browser.left, pane.left);
    EXPECT_EQ(browser.right, pane.right);
    EXPECT_EQ(browser.top, pane.top);
    EXPECT_EQ(browser.bottom, pane.bottom);
}

TEST_F(HelpCommands, OnlineHelpOpensTheServedPageOrTheLocalOnesOrSaysTheNetworkIsDown) {
    server.Serve("/help.htm", "<p>help</p>");
    write(program / "AD" / "Ad.ini", "[Help_Ad]\r\nUrl=" + server.Url("/help.htm") + "\r\n");
    command(kHelpOnline);
    std::vector<std::string> lines = opened(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], server.Url("/help.htm"));

    // The server cannot be reached: the program's local help page.
    write(program / "AD" / "Ad.ini", "[Help_Ad]\r\nUrl=http://127.0.0.1:1/help.htm\r\n");
    write(program / "help" / "help.htm", "<p>local</p>");
    command(kHelpOnline);
    lines = opened(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], (program / "help" / "help.htm").string());

    // No local page either: the network message, nothing opened.
    fs::remove(program / "help" / "help.htm");
    AfxTestScript::Clear();
    command(kHelpOnline);
    const auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "\xB5\xB1\xC7\xB0\xCD\xF8\xC2\xE7\xB2\xBB\xCD\xA8,\xC7\xEB\xC9\xD4\xBA\xF2\xD4\xD9\xCA\xD4!");
    EXPECT_EQ(opened(2).size(), 2u);
}

TEST_F(HelpCommands, WithoutADesktopOpenerThePageOpensInTheStatusBarsBrowser) {
    setenv("SUITE_OPEN_COMMAND", (root_ / "no-such-opener").c_str(), 1);
    write(program / "AD" / "Local" / "help" / "Scribant.htm",
          "<html><head><title>Local online help</title></head><body>Offline help</body></html>");
    command(kHelpOnline);
    ASSERT_TRUE(PumpUntil([] { return ::FindWindow(nullptr, "Local online help") != nullptr; }));
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(::FindWindow(nullptr, "Local online help"));
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(browser->GetDocumentText().Find("Offline help"), -1);
    ::DestroyWindow(::FindWindow(nullptr, "Local online help"));
}

TEST_F(HelpCommands, WebSearchOpensTheEnginesAddressWithTheEncodedText) {
    CEdit& box = frame()->SearchEdit();
    ASSERT_TRUE(box.Create(WS_CHILD, CRect(0, 0, 100, 20), frame(), 1200));
    box.SetWindowText("OCR \xD6\xD0\xCE\xC4");
    command(kWebSearch);
    const std::vector<std::string> lines = opened(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "https://www.baidu.com/s?wd=OCR+%D6%D0%CE%C4");
}

TEST_F(HelpCommands, HelpFinderAndF1OpenTheHelpFileOfTheLanguage) {
    // 产品特点.htm inside the simplified Chinese help.
    write(program / "ScribantS.chm" / "\xE4\xBA\xA7\xE5\x93\x81\xE7\x89\xB9\xE7\x82\xB9.htm",
          "<html><head><title>Features</title></head><body>Simplified features</body></html>");
    command(kHelpFinder);
    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (window = ::FindWindow(nullptr, "Features")) != nullptr; }));
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(browser->GetDocumentText().Find("Simplified features"), -1);
    // F1 ends in the same help, in the same window.
    command(kHelp);
    EXPECT_EQ(::FindWindow(nullptr, "Features"), window);

    // English: its own help file, missing here, which the viewer reports.
    app_->m_wSysLangID = 1033;
    AfxTestScript::Clear();
    command(kHelpFinder);
    const auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("ScribantE.chm"), std::string::npos);
}

TEST_F(HelpCommands, TheShippedHelpOpensOnItsFeaturesPage) {
    app_->m_strAppDir = installed;
    command(kHelpFinder);
    HWND window = nullptr;
    // 产品特点 is the page's title.
    ASSERT_TRUE(PumpUntil([&] { return (window = ::FindWindow(nullptr, "\xB2\xFA\xC6\xB7\xCC\xD8\xB5\xE3")) != nullptr; }));
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->GetLastNavigationError(), S_OK);
    CWnd::FromHandle(window)->GrabToFile((fs::path(installed).parent_path() / "test-output" / "shell" / "help_window.png").c_str());
}

}  // namespace
}  // namespace scribanttest

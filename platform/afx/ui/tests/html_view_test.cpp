// The HTML browser, the view over it, the help viewer and the movie pane:
// local pages with their pictures, pages served over http, failures shown
// and reported (missing file, 404, refused post data, a stale answer after a
// newer navigation), new windows, help references, and movies that play.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/afx/ui/html_view.h"
#include "platform/afx/ui/htmlhelp.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/movie_player.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/afx/ui/tests/tiny_gif.h"
#include "platform/win/tests/loopback_http_server.h"
#include "platform/win/tests/temporary_folder.h"
#include "platform/win/url_download.h"

namespace {

// A view that records what its browser tells it.
class RecordingHtmlView : public CHtmlView {
public:
    std::vector<std::string> completed;
    std::vector<std::pair<std::string, DWORD>> failed;
    void OnDocumentComplete(LPCTSTR url) override { completed.emplace_back(url); }
    void OnNavigateError(LPCTSTR url, LPCTSTR, DWORD status, BOOL*) override { failed.emplace_back(url, status); }
    DECLARE_DYNCREATE(RecordingHtmlView)
};
IMPLEMENT_DYNCREATE(RecordingHtmlView, CHtmlView)

class HtmlBrowser : public ::testing::Test {
protected:
    suite_test::TemporaryFolder folder{"html-view"};
    CFrameWnd* frame = nullptr;
    RecordingHtmlView* view = nullptr;

    void SetUp() override {
        EnsureUi();
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Browser", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400)));
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(RecordingHtmlView);
        view = static_cast<RecordingHtmlView*>(frame->CreateView(&ctx));
        ASSERT_NE(view, nullptr);
        frame->ShowWindow(SW_SHOW);
        view->MoveWindow(0, 0, 480, 360);
    }
    void TearDown() override {
        if (frame) frame->DestroyWindow();
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = folder.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    bool waitDone() {
        return PumpUntil([this] { return view->GetReadyState() == READYSTATE_COMPLETE; }, 8000);
    }
};

TEST_F(HtmlBrowser, ShowsALocalPageWithItsPictureAndFollowsLocalLinks) {
    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(red.save(QString::fromStdString(folder.path() + "/red.png")));
    write("next.htm", "<html><head><meta charset=\"utf-8\"><title>Next</title></head><body><p>Second page</p></body></html>");
    const std::string page = write("page.htm",
        "<html><head><meta charset=\"utf-8\"><title>First</title></head><body>"
        "<p>Hello \xE4\xB8\xAD\xE6\x96\x87</p><img src=\"red.png\"><a href=\"next.htm\">next</a></body></html>");
    view->Navigate(page.c_str());
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(view->Browser().GetLastNavigationError(), S_OK);
    // The text arrives in the code page (GBK): 中文.
    EXPECT_NE(view->Browser().GetDocumentText().Find("Hello \xD6\xD0\xCE\xC4"), -1);
    ASSERT_EQ(view->completed.size(), 1u);
    EXPECT_EQ(view->completed[0], page);
    EXPECT_EQ(std::string(view->GetLocationURL().GetString()), page);
    // The picture beside the page is drawn.
    AfxPumpMessages();
    EXPECT_GT(PixelsOf(Picture(view), QRect(0, 0, 480, 360), qRgb(255, 0, 0)), 600);

    // A file: address works alike.
    view->Navigate(("file://" + folder.path() + "/next.htm").c_str());
    ASSERT_TRUE(waitDone());
    EXPECT_NE(view->Browser().GetDocumentText().Find("Second page"), -1);
}

TEST_F(HtmlBrowser, AMissingFileOrPostDataShowsAFailurePageAndIsReported) {
    const std::string missing = folder.path() + "/none.htm";
    view->Navigate(missing.c_str());
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(view->Browser().GetLastNavigationError(), HTML_E_NOTFOUND);
    ASSERT_EQ(view->failed.size(), 1u);
    EXPECT_EQ(view->failed[0].first, missing);
    EXPECT_NE(view->Browser().GetDocumentText().Find("none.htm"), -1);
    EXPECT_TRUE(view->completed.empty());

    // Post data is not sent as a plain fetch: refused, and said so.
    const char data[] = "a=1";
    view->Navigate(write("p.htm", "<p>x</p>").c_str(), 0, nullptr, nullptr, const_cast<char*>(data), 3);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(view->Browser().GetLastNavigationError(), HTML_E_UNSUPPORTED);
    EXPECT_EQ(view->failed.size(), 2u);
}

TEST_F(HtmlBrowser, FetchesServedPagesAndKeepsOnlyTheLatestNavigation) {
    suite_test::LoopbackHttpServer server;
    ASSERT_TRUE(server.Running());
    suite::UrlDownloadLimits quick;
    quick.connectMs = 2000;
    quick.stallMs = 2000;
    quick.totalMs = 5000;
    suite::SetUrlDownloadLimits(quick);
    server.Serve("/ad.htm", "<html><head><meta charset=\"gbk\"></head><body><p>Served \xD6\xD0</p></body></html>");
    server.Serve("/slow.htm", "<p>never</p>", suite_test::LoopbackHttpServer::Mode::Stall);

    view->Navigate(server.Url("/ad.htm").c_str());
    EXPECT_EQ(view->GetReadyState(), READYSTATE_LOADING);
    EXPECT_TRUE(view->GetBusy());
    ASSERT_TRUE(waitDone());
    EXPECT_NE(view->Browser().GetDocumentText().Find("Served \xD6\xD0"), -1);
    EXPECT_EQ(view->completed.back(), server.Url("/ad.htm"));

    view->Navigate(server.Url("/missing.htm").c_str());
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(view->Browser().GetLastNavigationError(), INET_E_RESOURCE_NOT_FOUND);
    EXPECT_EQ(view->failed.back().first, server.Url("/missing.htm"));

    // A stalled page is dropped by the next navigation: only the local page
    // is reported, at once, and nothing arrives later.
    const size_t failures = view->failed.size();
    view->Navigate(server.Url("/slow.htm").c_str());
    const std::string local = write("local.htm", "<p>Local</p>");
    view->Navigate(local.c_str());
    ASSERT_TRUE(waitDone());
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(view->completed.back(), local);
    EXPECT_EQ(view->failed.size(), failures);
    EXPECT_NE(view->Browser().GetDocumentText().Find("Local"), -1);
    suite::SetUrlDownloadLimits(suite::UrlDownloadLimits{});
}

TEST_F(HtmlBrowser, ANewWindowNavigationOpensABrowserWindowOfItsOwn) {
    const std::string page = write("w.htm", "<html><head><title>Own window</title></head><body>Inside</body></html>");
    view->Navigate(page.c_str(), navOpenInNewWindow);
    // The view itself stays as it was.
    EXPECT_EQ(view->GetReadyState(), READYSTATE_UNINITIALIZED);
    ASSERT_TRUE(PumpUntil([] { return ::FindWindow(nullptr, "Own window") != nullptr; }));
    HWND window = ::FindWindow(nullptr, "Own window");
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(browser->GetDocumentText().Find("Inside"), -1);
    EXPECT_EQ(AfxBrowserOfWindow(frame->GetSafeHwnd()), nullptr);
    ::DestroyWindow(window);
    EXPECT_EQ(AfxBrowserOfWindow(window), nullptr);
}

TEST(HelpViewer, ReferencesNameTheFileTheWindowAndThePagesInOrder) {
    auto r = afx_detail::ParseHelpReference("C:\\prog\\Help.chm>Mainwin::/a.htm::/b.htm");
    EXPECT_STREQ(r.file.GetString(), "C:\\prog\\Help.chm");
    EXPECT_STREQ(r.window.GetString(), "Mainwin");
    ASSERT_EQ(r.pages.size(), 2u);
    EXPECT_STREQ(r.pages[0].GetString(), "a.htm");
    EXPECT_STREQ(r.pages[1].GetString(), "b.htm");
    r = afx_detail::ParseHelpReference("Help.chm::/topic.htm>Main");
    EXPECT_STREQ(r.file.GetString(), "Help.chm");
    EXPECT_STREQ(r.window.GetString(), "Main");
    ASSERT_EQ(r.pages.size(), 1u);
    EXPECT_STREQ(r.pages[0].GetString(), "topic.htm");
    r = afx_detail::ParseHelpReference("Help.chm");
    EXPECT_TRUE(r.pages.empty());
    EXPECT_TRUE(r.window.IsEmpty());
}

TEST(HelpViewer, ShowsTheFirstPageThatExistsInOneReusedWindowAndReportsAMissingHelp) {
    EnsureUi();
    suite_test::TemporaryFolder folder("html-help");
    const std::string help = folder.path() + "/Prog.chm";
    ASSERT_EQ(::mkdir(help.c_str(), 0755), 0);
    std::ofstream(help + "/b.htm") << "<html><head><title>B page</title></head><body>Topic B</body></html>";
    std::ofstream(help + "/index.htm") << "<html><head><title>Index</title></head><body>Contents</body></html>";

    // a.htm is missing: b.htm is shown.
    HWND first = HtmlHelpA(nullptr, (help + ">Mainwin::/a.htm::/b.htm").c_str(), HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(first, nullptr);
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(first);
    ASSERT_NE(browser, nullptr);
    EXPECT_NE(browser->GetDocumentText().Find("Topic B"), -1);
    // No page named: the index, in the same window.
    HWND second = HtmlHelpA(nullptr, help.c_str(), HH_DISPLAY_TOPIC, 0);
    EXPECT_EQ(second, first);
    EXPECT_NE(browser->GetDocumentText().Find("Contents"), -1);

    AfxTestScript::Enable();
    AfxTestScript::Clear();
    EXPECT_EQ(HtmlHelpA(nullptr, (folder.path() + "/None.chm::/a.htm").c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    const auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("None.chm"), std::string::npos);
    AfxTestScript::Enable(false);

    EXPECT_EQ(HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0), nullptr);
    EXPECT_FALSE(::IsWindow(first));
}

TEST(MoviePlayer, PlaysAnimatedPicturesShowsStillOnesAndRefusesWhatItCannotRead) {
    EnsureUi();
    suite_test::TemporaryFolder folder("movie");
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Movies", WS_OVERLAPPEDWINDOW, 0, 0, 300, 120, nullptr, nullptr));
    parent.ShowWindow(SW_SHOW);
    CMoviePlayerCtrl player;
    ASSERT_TRUE(player.Create(WS_VISIBLE, CRect(0, 0, 200, 50), &parent, 1137));

    const std::uint32_t palette[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    std::vector<suite_test::GifFrame> frames(3);
    for (int f = 0; f < 3; ++f) frames[f].pixels.assign(20 * 10, static_cast<std::uint8_t>(f + 1));
    const std::string gif = folder.path() + "/ad.gif";
    ASSERT_TRUE(suite_test::WriteTinyGif(gif, 20, 10, palette, frames, 2));
    ASSERT_TRUE(player.SetMovie(gif.c_str()));
    EXPECT_STREQ(player.GetMovie().GetString(), gif.c_str());
    EXPECT_FALSE(player.IsPlaying());
    player.Play();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(PumpUntil([&] { return player.CurrentFrame() == 2; }, 3000));
    player.StopPlay();
    EXPECT_FALSE(player.IsPlaying());

    // A still picture over a chosen background; the background shows around it.
    QImage still(40, 20, QImage::Format_RGB32);
    still.fill(qRgb(0, 0, 255));
    const std::string png = folder.path() + "/still.png";
    ASSERT_TRUE(still.save(QString::fromStdString(png)));
    ASSERT_TRUE(player.SetMovie(png.c_str()));
    player.SetBackgroundColor("00FF00");
    AfxPumpMessages();
    const QImage shown = Picture(&player);
    EXPECT_EQ(PixelsOf(shown, QRect(0, 0, 200, 50), qRgb(0, 0, 255)), 800);
    EXPECT_GT(PixelsOf(shown, QRect(0, 0, 200, 50), qRgb(0, 255, 0)), 8000);

    // Movies of other players and missing files leave the pane empty.
    const std::string swf = folder.path() + "/ad.swf";
    std::ofstream(swf) << "FWS\x08";
    EXPECT_FALSE(player.SetMovie(swf.c_str()));
    EXPECT_FALSE(player.SetMovie((folder.path() + "/none.gif").c_str()));
    player.DestroyWindow();
    parent.DestroyWindow();
}

}  // namespace

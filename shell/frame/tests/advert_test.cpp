// The advert surfaces of the main window: the advert settings file, the
// header movies' cycle (none, three with gaps, all missing), the header bar
// with real movies, the advert view over a served page and a local file
// (stale requests and a view gone before its check ends), the status bar's
// browser pane, and the addresses of the help and search commands.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "chrome_fixture.h"
#include "platform/afx/ui/tests/pump_until.h"
#include "platform/afx/ui/tests/tiny_gif.h"
#include "platform/win/tests/loopback_http_server.h"
#include "platform/win/tests/temporary_folder.h"
#include "platform/win/url_download.h"
#include "shell/frame/ad_settings.h"
#include "shell/frame/ad_status_bar.h"
#include "shell/frame/advertise_view.h"
#include "shell/frame/head_ad_bar.h"
#include "shell/frame/head_ad_cycle.h"
#include "shell/frame/online_help.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ProgramFolder : public ::testing::Test {
protected:
    suite_test::TemporaryFolder folder{"adverts"};
    fs::path root() const { return folder.path(); }
    void writeAdIni(const std::string& text) { WriteFile(root() / "AD" / "Ad.ini", text); }
};

TEST_F(ProgramFolder, AdSettingsReadTheHelpAddressMoviesAndStatusAdverts) {
    // No file: nothing at all.
    CAdSettings none(root().string());
    EXPECT_EQ(none.HelpUrl(), "");
    EXPECT_TRUE(none.HeadMovies().empty());
    EXPECT_EQ(none.StatusAdCount(), 0);

    writeAdIni("[Help_Ad]\r\nUrl=http://help.example/ocr.htm\r\n"
               "[Head_Ads]\r\nAdsCount=4\r\n[Head_Ad0]\r\nPath=AD\\a.gif\r\n[Head_Ad1]\r\nPath=\r\n"
               "[Head_Ad2]\r\nPath=AD\\c.png\r\n"
               "[status_ads]\r\nAdsCount=1\r\n[status_ad0]\r\nUrl=http://ads.example/1.htm\r\nClickUrl=http://ads.example/go\r\n");
    CAdSettings settings(root().string());
    EXPECT_EQ(settings.HelpUrl(), "http://help.example/ocr.htm");
    // Empty and absent paths are left out; the rest are made absolute.
    const std::vector<std::string> movies = settings.HeadMovies();
    ASSERT_EQ(movies.size(), 2u);
    EXPECT_EQ(movies[0], root().string() + "\\AD\\a.gif");
    EXPECT_EQ(movies[1], root().string() + "\\AD\\c.png");
    EXPECT_EQ(settings.StatusAdCount(), 1);
    EXPECT_EQ(settings.StatusAdAt(0).url, "http://ads.example/1.htm");
    EXPECT_EQ(settings.StatusAdAt(0).clickUrl, "http://ads.example/go");

    // A damaged count reads a bounded number of sections.
    writeAdIni("[Head_Ads]\r\nAdsCount=2000000000\r\n[Head_Ad0]\r\nPath=x.gif\r\n");
    EXPECT_EQ(CAdSettings(root().string()).HeadMovies().size(), 1u);
    writeAdIni("[Head_Ads]\r\nAdsCount=-3\r\n[Head_Ad0]\r\nPath=x.gif\r\n");
    EXPECT_TRUE(CAdSettings(root().string()).HeadMovies().empty());
}

TEST(HeadAdCycle, NoMoviesNoTimerGapsSkippedAfterAMillisecondAllMissingStops) {
    std::vector<std::string> played;
    auto player = [&](std::set<std::string> good) {
        return [&played, good](const std::string& m) {
            if (!good.count(m)) return false;
            played.push_back(m);
            return true;
        };
    };
    CHeadAdCycle cycle;
    // No movies: no timer (the list is never indexed).
    CHeadAdCycle::Step step = cycle.Start({}, player({}));
    EXPECT_EQ(step.timerMs, 0u);
    EXPECT_FALSE(cycle.Cycling());
    EXPECT_EQ(cycle.OnTimer(player({})).timerMs, 0u);

    // Three movies, the second missing, the third not playable.
    const std::vector<std::string> three = {"a.gif", "b.gif", "c.swf"};
    step = cycle.Start(three, player({"a.gif"}));
    EXPECT_EQ(step.movie, "a.gif");
    EXPECT_TRUE(step.first);
    EXPECT_EQ(step.timerMs, 10000u);
    step = cycle.OnTimer(player({"a.gif"}));
    EXPECT_EQ(cycle.Current(), 1);
    EXPECT_EQ(step.movie, "");
    EXPECT_EQ(step.timerMs, 1u);
    step = cycle.OnTimer(player({"a.gif"}));
    EXPECT_EQ(cycle.Current(), 2);
    EXPECT_EQ(step.timerMs, 1u);
    step = cycle.OnTimer(player({"a.gif"}));
    EXPECT_EQ(cycle.Current(), 0);
    EXPECT_EQ(step.movie, "a.gif");
    EXPECT_FALSE(step.first);
    EXPECT_EQ(step.timerMs, 10000u);
    EXPECT_EQ(played, (std::vector<std::string>{"a.gif", "a.gif"}));

    // The first missing: a millisecond, then the next plays.
    step = cycle.Start(three, player({"b.gif"}));
    EXPECT_EQ(step.timerMs, 1u);
    EXPECT_FALSE(step.first);
    EXPECT_EQ(cycle.OnTimer(player({"b.gif"})).timerMs, 10000u);

    // All missing: one round of skips, then no timer.
    step = cycle.Start(three, player({}));
    EXPECT_EQ(step.timerMs, 1u);
    EXPECT_EQ(cycle.OnTimer(player({})).timerMs, 1u);
    EXPECT_EQ(cycle.OnTimer(player({})).timerMs, 0u);
    EXPECT_FALSE(cycle.Cycling());
    EXPECT_EQ(cycle.OnTimer(player({})).timerMs, 0u);
}

// The help and search addresses.
TEST_F(ProgramFolder, HelpAndSearchAddresses) {
    EXPECT_EQ(online_help::HelpFinderReference("C:\\P", 1033),
              "C:\\P\\ScribantE.chm>Mainwin::/\xB2\xFA\xC6\xB7\xCC\xD8\xB5\xE3.htm::/\xBC\xBC\xCA\xF5\xD6\xB8\xB1\xEA.htm");
    EXPECT_EQ(online_help::HelpFinderReference("C:\\P", 1028).substr(0, 19), "C:\\P\\ScribantT.chm>");
    EXPECT_EQ(online_help::HelpFinderReference("C:\\P", 2052).substr(0, 19), "C:\\P\\ScribantS.chm>");
    EXPECT_EQ(online_help::HelpFinderReference("C:\\P", 3076).substr(0, 19), "C:\\P\\ScribantS.chm>");

    // Letters and digits kept, blanks "+", the rest hexadecimal (GBK 中文).
    EXPECT_EQ(online_help::EncodeQuery("OCR 2 \xD6\xD0\xCE\xC4 a&b=c\t%"), "OCR+2+%D6%D0%CE%C4+a%26b%3Dc+%25");
    EXPECT_EQ(online_help::EncodeQuery(""), "");
    EXPECT_EQ(online_help::WebSearchAddress("a b", 0), "https://www.baidu.com/s?wd=a+b");
    EXPECT_EQ(online_help::WebSearchAddress("a b", 1), "https://www.google.com/search?q=a+b");
    EXPECT_EQ(online_help::WebSearchAddress("a", 7), "https://www.baidu.com/s?wd=a");

    // Online help: the configured address when reachable, else the local pages.
    const std::string program = root().string();
    int asked = 0;
    auto reachable = [&asked](bool answer) {
        return [&asked, answer](const std::string&) {
            ++asked;
            return answer;
        };
    };
    EXPECT_EQ(online_help::OnlineHelpTarget(program, reachable(true)), "");
    EXPECT_EQ(asked, 0);  // no address: nothing to check
    writeAdIni("[Help_Ad]\r\nUrl=http://help.example/ocr.htm\r\n");
    EXPECT_EQ(online_help::OnlineHelpTarget(program, reachable(true)), "http://help.example/ocr.htm");
    EXPECT_EQ(online_help::OnlineHelpTarget(program, reachable(false)), "");
    WriteFile(root() / "help" / "help.htm", "<p>local</p>");
    EXPECT_EQ(online_help::OnlineHelpTarget(program, reachable(false)), program + "\\help\\help.htm");
    WriteFile(root() / "AD" / "Local" / "help" / "Scribant.htm", "<p>ad local</p>");
    EXPECT_EQ(online_help::OnlineHelpTarget(program, reachable(false)), program + "\\AD\\Local\\help\\Scribant.htm");
}

// Windows: a frame over the language library.
class AdvertWindows : public ProgramFolder {
protected:
    chrometest::Language language;
    CFrameWnd* frame = nullptr;

    void SetUp() override {
        ASSERT_TRUE(language.Loaded());
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Adverts", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 400)));
        frame->ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        if (frame) frame->DestroyWindow();
        suite::SetUrlDownloadLimits(suite::UrlDownloadLimits{});
    }
    static void quickLimits() {
        suite::UrlDownloadLimits quick;
        quick.connectMs = 1500;
        quick.stallMs = 2000;
        quick.totalMs = 5000;
        suite::SetUrlDownloadLimits(quick);
    }
    CAdvertiseView* makeView() {
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(CAdvertiseView);
        auto* view = static_cast<CAdvertiseView*>(frame->CreateView(&ctx, CAdvertiseView::kChildId));
        if (view) view->MoveWindow(0, 0, 600, 300);
        return view;
    }
};

TEST_F(AdvertWindows, HeaderBarPlaysTheMoviesOfTheSettingsAndSkipsMissingOnes) {
    const std::uint32_t palette[4] = {0x000000, 0xFFCC00, 0x0066CC, 0xFFFFFF};
    std::vector<suite_test::GifFrame> frames(2);
    for (int f = 0; f < 2; ++f) {
        frames[f].pixels.assign(200 * 40, 1);
        for (int y = 10; y < 30; ++y)
            for (int x = 20 + f * 80; x < 100 + f * 80; ++x) frames[f].pixels[static_cast<size_t>(y * 200 + x)] = 2;
    }
    fs::create_directories(root() / "AD");
    ASSERT_TRUE(suite_test::WriteTinyGif((root() / "AD" / "banner.gif").string(), 200, 40, palette, frames, 50));
    std::vector<suite_test::GifFrame> still(1);
    still[0].pixels.assign(300 * 60, 2);
    ASSERT_TRUE(suite_test::WriteTinyGif((root() / "AD" / "second.gif").string(), 300, 60, palette, still));
    writeAdIni("[Head_Ads]\r\nAdsCount=3\r\n[Head_Ad0]\r\nPath=AD\\banner.gif\r\n[Head_Ad1]\r\nPath=AD\\gone.gif\r\n"
               "[Head_Ad2]\r\nPath=AD\\second.gif\r\n");

    CDlgBarHeadAd bar;
    ASSERT_TRUE(bar.Create(frame));
    EXPECT_EQ(bar.GetDlgCtrlID(), 1125);
    ASSERT_EQ(bar.Player().GetDlgCtrlID(), 1137);
    // Created, the bar has no movie and no timer.
    EXPECT_EQ(bar.TimerPeriod(), 0u);
    bar.LoadAds(root().string());
    EXPECT_EQ(std::string(bar.Player().GetMovie().GetString()), root().string() + "\\AD\\banner.gif");
    EXPECT_TRUE(bar.Player().IsPlaying());
    EXPECT_EQ(bar.TimerPeriod(), 10000u);
    bar.ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    AfxPumpMessages();
    CRect shown;
    bar.GetClientRect(&shown);
    EXPECT_GE(shown.Height(), 47);
    EXPECT_TRUE(bar.GrabToFile(chrometest::GrabPath("head_ad_bar.png").c_str()));

    // The missing movie is skipped after a millisecond.
    bar.SendMessage(WM_TIMER, bar.TimerId(), 0);
    EXPECT_EQ(bar.Cycle().Current(), 1);
    EXPECT_EQ(bar.TimerPeriod(), 1u);
    EXPECT_TRUE(PumpUntil([&] { return bar.Cycle().Current() == 2; }, 3000));
    EXPECT_EQ(std::string(bar.Player().GetMovie().GetString()), root().string() + "\\AD\\second.gif");
    EXPECT_EQ(bar.TimerPeriod(), 10000u);
}

TEST_F(AdvertWindows, HeaderBarWithoutMoviesHasNoTimerAndStopsWhenAllAreMissing) {
    CDlgBarHeadAd bar;
    ASSERT_TRUE(bar.Create(frame));
    writeAdIni("[Head_Ads]\r\nAdsCount=0\r\n");
    bar.LoadAds(root().string());
    EXPECT_EQ(bar.TimerPeriod(), 0u);
    bar.SendMessage(WM_TIMER, bar.TimerId(), 0);  // a stray tick indexes nothing
    EXPECT_EQ(bar.TimerPeriod(), 0u);

    writeAdIni("[Head_Ads]\r\nAdsCount=3\r\n[Head_Ad0]\r\nPath=a.gif\r\n[Head_Ad1]\r\nPath=b.gif\r\n"
               "[Head_Ad2]\r\nPath=c.swf\r\n");
    WriteFile(root() / "c.swf", "FWS\x08");
    bar.LoadAds(root().string());
    EXPECT_EQ(bar.TimerPeriod(), 1u);
    EXPECT_TRUE(PumpUntil([&] { return !bar.Cycle().Cycling(); }, 3000));
    EXPECT_EQ(bar.TimerPeriod(), 0u);
}

TEST_F(AdvertWindows, AdvertViewShowsAServedPageAndALocalFileAfterItsCheck) {
    quickLimits();
    suite_test::LoopbackHttpServer server;
    ASSERT_TRUE(server.Running());
    server.Serve("/ad.htm", "<html><body><h1>Served advert</h1></body></html>");
    auto* view = makeView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDlgCtrlID(), 1147);

    view->Navigate(server.Url("/ad.htm"));
    EXPECT_EQ(view->PendingAddress(), server.Url("/ad.htm"));
    ASSERT_TRUE(PumpUntil([&] { return view->Browser().GetDocumentText().Find("Served advert") >= 0; }));
    EXPECT_EQ(std::string(view->GetLocationURL().GetString()), server.Url("/ad.htm"));

    // A local file: the connection check fails, the page is shown anyway.
    const fs::path local = root() / "local.htm";
    WriteFile(local, "<html><body>Local advert</body></html>");
    view->Navigate(local.string());
    ASSERT_TRUE(PumpUntil([&] { return view->Browser().GetDocumentText().Find("Local advert") >= 0; }));
    view->GrabToFile(chrometest::GrabPath("advert_view.png").c_str());

    // An empty address asks for the account page.
    view->Navigate("");
    EXPECT_EQ(view->PendingAddress(), CAdvertiseView::kAccountPage);
}

TEST_F(AdvertWindows, AdvertViewNavigatesOnlyForItsLatestRequestAndSurvivesGoingFirst) {
    quickLimits();
    auto* view = makeView();
    ASSERT_NE(view, nullptr);
    // An address whose check waits for the connect limit, then a local one.
    const fs::path local = root() / "latest.htm";
    WriteFile(local, "<html><body>Latest</body></html>");
    view->Navigate("http://10.255.255.1/slow.htm");
    view->Navigate(local.string());
    ASSERT_TRUE(PumpUntil([&] { return view->Browser().GetDocumentText().Find("Latest") >= 0; }));
    // The slow check ends later; its message is stale and changes nothing.
    PumpUntil([] { return false; }, 1800);
    EXPECT_EQ(std::string(view->GetLocationURL().GetString()), local.string());

    // The view goes while its check is under way: the thread posts nothing to
    // it. Being the frame's active view, it is cleared from the frame first.
    frame->SetActiveView(view);
    view->Navigate("http://10.255.255.1/slow.htm");
    view->DestroyWindow();
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    PumpUntil([] { return false; }, 1800);
    SUCCEED();
}

// The status bar's browser pane.
class FailingBrowserBar : public CAdStatusBar {
protected:
    BOOL CreateBrowser() override { return FALSE; }
};

TEST_F(AdvertWindows, StatusBarBrowserCoversPaneTwoAndOpensPagesInANewWindow) {
    CAdStatusBar bar;
    ASSERT_TRUE(bar.Create(frame));
    UINT ids[9];
    for (UINT& id : ids) id = ID_SEPARATOR;
    bar.SetIndicators(ids, 9);
    bar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 0);
    for (int p = 1; p < 9; ++p) bar.SetPaneInfo(p, ID_SEPARATOR, SBPS_NORMAL, 48);
    frame->RecalcLayout();
    bar.PlaceBrowser();
    ASSERT_TRUE(bar.HasBrowser());
    EXPECT_EQ(bar.Browser().GetDlgCtrlID(), 1029);
    CRect pane, browser;
    bar.GetItemRect(2, &pane);
    bar.Browser().GetWindowRect(&browser);
    bar.ScreenToClient(&browser);
    EXPECT_EQ(browser, pane);

    const fs::path page = root() / "help.htm";
    WriteFile(page, "<html><head><title>Status help</title></head><body>Help text</body></html>");
    // Flag 1: a window of its own.
    ASSERT_TRUE(bar.Navigate(page.string().c_str(), 1));
    ASSERT_TRUE(PumpUntil([] { return ::FindWindow(nullptr, "Status help") != nullptr; }));
    HWND window = ::FindWindow(nullptr, "Status help");
    ASSERT_NE(AfxBrowserOfWindow(window), nullptr);
    ::DestroyWindow(window);
    // Flag 0: in the pane itself.
    ASSERT_TRUE(bar.Navigate(page.string().c_str()));
    EXPECT_NE(bar.Browser().GetDocumentText().Find("Help text"), -1);
    bar.SetPaneText(0, "Ready");
    AfxPumpMessages();
    EXPECT_TRUE(bar.GrabToFile(chrometest::GrabPath("status_bar_browser.png").c_str()));
    // Post data given without its length takes the text's: not sent, refused.
    ASSERT_TRUE(bar.Navigate(page.string().c_str(), 0, nullptr, "a=1"));
    EXPECT_EQ(bar.Browser().GetLastNavigationError(), HTML_E_UNSUPPORTED);
    bar.DestroyWindow();

    // A browser that cannot be made takes the bar with it; the frame can make
    // one without a browser, whose navigation then fails plainly.
    FailingBrowserBar failing;
    EXPECT_FALSE(failing.Create(frame));
    EXPECT_EQ(failing.GetSafeHwnd(), nullptr);
    CAdStatusBar plain;
    ASSERT_TRUE(plain.CreateWithoutBrowser(frame));
    EXPECT_FALSE(plain.HasBrowser());
    EXPECT_FALSE(plain.Navigate(page.string().c_str(), 1));
}

}  // namespace

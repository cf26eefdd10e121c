// The test programs: a frame from a resource module grabbed to a picture, and
// messages to the window of another process.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalSocket>
#include <QPainter>
#include <QProcess>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/process.h"

namespace {

// The programs sit beside the test binary; pictures go to the build's test output.
std::string BinDir() {
    EnsureUi();
    return QCoreApplication::applicationDirPath().toStdString();
}
std::string OutputDir() {
    EnsureUi();  // the program's folder is known only once the application object exists
    QString dir = QCoreApplication::applicationDirPath() + "/../test-output/afx_ui";
    QDir().mkpath(dir);
    return QDir(dir).absolutePath().toStdString();
}

int CountPixels(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& match) {
    int n = 0;
    QRect r = area & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (match(img.pixel(x, y))) ++n;
    return n;
}

TEST(SampleProgram, ShowsFrameWithBarsSplitterAndViews) {
    std::string out = OutputDir();
    std::string bin = BinDir();
    QString png = QString::fromStdString(out + "/sample_frame.png");
    QFile::remove(png);
    QProcess p;
    p.setProgram(QString::fromStdString(bin + "/afx_ui_sample"));
    p.setArguments({png});
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start();
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(p.waitForFinished(60000)) << p.readAll().toStdString();
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    QImage img(png);
    ASSERT_FALSE(img.isNull());
    EXPECT_GE(img.width(), 880);
    EXPECT_GE(img.height(), 560);
    // The page view: grey desk with a white sheet on it, left of the splitter bar.
    EXPECT_GT(CountPixels(img, QRect(0, 100, 420, 400), [](QRgb c) { return c == qRgb(128, 128, 128); }), 1000);
    EXPECT_GT(CountPixels(img, QRect(0, 100, 420, 400), [](QRgb c) { return c == qRgb(255, 255, 255); }), 10000);
    // The text view right of it, on its cream background.
    EXPECT_GT(CountPixels(img, QRect(440, 100, 440, 400), [](QRgb c) { return c == qRgb(255, 255, 240); }), 10000);
    // Tool-bar glyphs near the top: the yellow folder and the green magnifier's plus.
    EXPECT_GT(CountPixels(img, QRect(0, 0, 300, 80), [](QRgb c) { return c == qRgb(240, 200, 40); }), 20);
    EXPECT_GT(CountPixels(img, QRect(0, 0, 300, 80), [](QRgb c) { return c == qRgb(30, 150, 60); }), 3);
}

TEST(SampleProgram, ShowsItsToolBarFloatingInAFrameOfItsOwn) {
    std::string out = OutputDir();
    std::string bin = BinDir();
    QString framePng = QString::fromStdString(out + "/sample_frame_nobar.png");
    QString barPng = QString::fromStdString(out + "/sample_floating_bar.png");
    QFile::remove(framePng);
    QFile::remove(barPng);
    QProcess p;
    p.setProgram(QString::fromStdString(bin + "/afx_ui_sample"));
    p.setArguments({framePng, barPng});
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start();
    ASSERT_TRUE(p.waitForStarted(10000));
    ASSERT_TRUE(p.waitForFinished(60000)) << p.readAll().toStdString();
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
    QImage frame(framePng), bar(barPng);
    ASSERT_FALSE(frame.isNull());
    ASSERT_FALSE(bar.isNull());
    auto folder = [](QRgb c) { return c == qRgb(240, 200, 40); };
    // The frame's top edge has no tool bar now; the views reach up to the menu.
    EXPECT_EQ(CountPixels(frame, QRect(0, 0, 300, 80), folder), 0);
    EXPECT_GT(CountPixels(frame, QRect(0, 40, 420, 400), [](QRgb c) { return c == qRgb(128, 128, 128); }), 1000);
    // The floating frame is just the bar: its glyphs on the face colour.
    EXPECT_LT(bar.width(), 300);
    EXPECT_LT(bar.height(), 60);
    EXPECT_GT(CountPixels(bar, bar.rect(), folder), 20);
    EXPECT_GT(CountPixels(bar, bar.rect(), [](QRgb c) { return c == qRgb(30, 150, 60); }), 3);
    // One picture of both for people to look at: the floating frame where it was, outlined.
    QImage both = frame.convertToFormat(QImage::Format_RGB32);
    {
        QPainter paint(&both);
        paint.drawImage(560, 140, bar);
        paint.setPen(QColor(60, 60, 60));
        paint.drawRect(559, 139, bar.width() + 1, bar.height() + 1);
    }
    EXPECT_TRUE(both.save(QString::fromStdString(out + "/sample_frame_floating.png")));
}

// Starts the peer program with its window of `className`; the window, null when it did not come.
HWND StartPeer(QProcess& p, const std::string& outFile, const char* className) {
    p.setProgram(QString::fromStdString(BinDir() + "/afx_ui_peer"));
    p.setArguments({QString::fromStdString(outFile), className});
    p.start();
    if (!p.waitForStarted(10000)) return nullptr;
    HWND peer = nullptr;
    for (int i = 0; i < 200 && !peer; ++i) {
        peer = FindWindow(className, nullptr);
        if (!peer) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return peer;
}

TEST(CrossProcess, FindsAnotherProgramsWindowAndTalksToIt) {
    std::string out = OutputDir() + "/peer_value.txt";
    std::remove(out.c_str());
    QProcess p;
    HWND peer = StartPeer(p, out, "UiPeerClass");
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(FindWindow(nullptr, "Peer Window"), peer);
    EXPECT_EQ(FindWindow("NoSuchClass", nullptr), nullptr);
    EXPECT_TRUE(IsWindow(peer));
    EXPECT_EQ(SendMessage(peer, WM_USER + 7, 20, 22), 42);
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeout(peer, WM_USER + 7, 1, 2, SMTO_NORMAL, 2000, &result));
    EXPECT_EQ(result, 3u);
    EXPECT_TRUE(ShowWindow(peer, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(peer));
    EXPECT_TRUE(ShowWindow(peer, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(peer));
    EXPECT_TRUE(SetForegroundWindow(peer));
    ASSERT_TRUE(PostMessage(peer, WM_USER + 8, 1234, 0));
    std::string value;
    for (int i = 0; i < 200 && value.empty(); ++i) {
        std::ifstream f(out);
        std::getline(f, value);
        if (value.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(value, "1234");
    ASSERT_TRUE(PostMessage(peer, WM_CLOSE, 0, 0));
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    // Its endpoint went with it: the handle no longer answers, within a bounded wait.
    EXPECT_FALSE(SendMessageTimeout(peer, WM_USER + 7, 1, 2, SMTO_NORMAL, 500, &result));
    EXPECT_FALSE(IsWindowVisible(peer));
    EXPECT_EQ(FindWindow("UiPeerClass", nullptr), nullptr);
}

// Another program of the user may write anything to a window's endpoint: a
// frame whose length is beyond any request ends that connection, and the
// program goes on answering the others.
TEST(CrossProcess, AFrameLongerThanAnyRequestEndsOnlyItsConnection) {
    QProcess p;
    HWND peer = StartPeer(p, OutputDir() + "/peer_unused.txt", "UiPeerFrameClass");
    ASSERT_NE(peer, nullptr);
    for (quint32 length : {0x7FFFFFFDu, 0xFFFFFFFEu, 0x00200000u}) {
        QLocalSocket raw;
        raw.connectToServer(QString::fromStdString(suite::WindowEndpointFolder() + "/" +
                                                   std::to_string(p.processId()) + ".sock"));
        ASSERT_TRUE(raw.waitForConnected(2000));
        QByteArray frame(reinterpret_cast<const char*>(&length), 4);
        frame += QByteArray(12, '\x02');
        raw.write(frame);
        ASSERT_TRUE(raw.waitForBytesWritten(2000));
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeout(peer, WM_USER + 7, 20, 22, SMTO_NORMAL, 3000, &result)) << length;
        EXPECT_EQ(result, 42u) << length;
    }
    PostMessage(peer, WM_CLOSE, 0, 0);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

}  // namespace

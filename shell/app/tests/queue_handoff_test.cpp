// A second start's line taken back when nobody took it, and queued images
// that wait while a recognition holds the page list.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "shell/app/queue_file.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

using QueueHandOff = ScribantHome;

TEST_F(QueueHandOff, ALineIsTakenBackOnlyWhileItIsStillQueued) {
    CQueueFile queue((root_ / "q.txt").string(), "take back " + root_.filename().string());
    ASSERT_TRUE(queue.Append("C:\\a.tif"));
    ASSERT_TRUE(queue.Append("C:\\mine.tif"));
    ASSERT_TRUE(queue.Append("C:\\b.tif"));
    EXPECT_TRUE(queue.TakeBack("C:\\mine.tif"));
    EXPECT_FALSE(queue.TakeBack("C:\\mine.tif")) << "taken already";
    EXPECT_EQ(queue.TakeAll(), (std::vector<std::string>{"C:\\a.tif", "C:\\b.tif"}));
    EXPECT_FALSE(queue.TakeBack("C:\\a.tif"));
}

TEST_F(QueueHandOff, QueuedImagesWaitForARecognitionToEnd) {
    ASSERT_TRUE(Start());
    const fs::path image = Data() / "IMAGE" / "later.tif";
    std::ofstream(image) << "x";
    const std::string path = suite::WindowsPath(image.string());
    ASSERT_TRUE(app_->Queue().Append(path));
    app_->SetBatchMode(1);
    app_->MainFrame()->SendMessage(WM_COMMAND, ID_OPEN_QUEUED_IMAGES, 0);
    EXPECT_EQ(app_->PageListRowCount(), 0);
    app_->OnIdle(0);
    EXPECT_EQ(app_->PageListRowCount(), 0) << "still recognising";
    app_->SetBatchMode(0);
    app_->OnIdle(0);
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), path);
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
}

TEST_F(QueueHandOff, WithoutARunningProgramTheLineIsListedHereAndNotLeftQueued) {
    // The instance mutex is held by another "program" that has no window.
    const std::string name = "Scribant test " + root_.filename().string();
    HANDLE other = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(other, nullptr);
    const fs::path image = root_ / "handed.tif";
    std::ofstream(image) << "x";
    // A line another start left behind stays for the next hand-off.
    fs::create_directories(Data() / "WORK");
    std::ofstream(Data() / "WORK" / "Zoduvezevav.txt") << "C:\\earlier.tif\n";
    ASSERT_TRUE(Start({image.string()}));
    EXPECT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->Queue().TakeAll(), std::vector<std::string>{"C:\\earlier.tif"});
    CloseHandle(other);
}

// A running window of ours that counts the hand-offs it is told of.
class CRunningFrame : public CFrameWnd {
public:
    int handOffs = 0;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == ID_OPEN_QUEUED_IMAGES) ++handOffs;
        return CFrameWnd::OnCommand(wParam, lParam);
    }
};

TEST_F(QueueHandOff, ALineThatCannotBeQueuedIsListedHereNotHandedOver) {
    const std::string name = "Scribant test " + root_.filename().string();
    HANDLE other = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(other, nullptr);
    // Another start holds the queue's lock all along (from a thread of its own:
    // a lock is its owner's again at once).
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        HANDLE lock = CreateMutexA(nullptr, TRUE, (name + " Queue").c_str());
        held = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ReleaseMutex(lock);
        CloseHandle(lock);
    });
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    auto* running = new CRunningFrame;
    ASSERT_TRUE(running->Create(SCRIBANT_FRAME_CLASS, "Scribant - Default Task"));
    const fs::path image = root_ / "kept.tif";
    std::ofstream(image) << "x";
    const bool started = Start({image.string()});
    release = true;
    holder.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(running->handOffs, 0) << "a hand-off without its line would lose the page";
    EXPECT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->messages, std::vector<std::string>{"open Ruziruvud.txt error when add"});
    running->DestroyWindow();
    CloseHandle(other);
}

}  // namespace
}  // namespace scribanttest

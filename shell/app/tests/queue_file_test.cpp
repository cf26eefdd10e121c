// The queue file: whole lines of any length, line ends of both kinds, one
// read-and-empty step, lines put back in front, and appends from many
// writers at once that lose nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "platform/win/sync.h"
#include "shell/app/queue_file.h"
#include "shell/app/tests/scribant_fixture.h"

namespace scribanttest {
namespace {

class QueueFile : public ScribantHome {
protected:
    std::string path() const { return (root_ / "queue.txt").string(); }
    CQueueFile queue{"", ""};
    void SetUp() override {
        ScribantHome::SetUp();
        queue = CQueueFile(path(), "queue lock " + root_.filename().string());
    }
    std::string contents() const {
        std::ifstream in(path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST(QueueLines, KeepEveryCharacterButTheLineEnd) {
    const std::string longPath = "C:\\" + std::string(400, 'a') + "\\page.tif";
    EXPECT_EQ(SplitQueueLines("C:\\a.tif\n" + longPath + "\r\nC:\\b.bmp"),
              (std::vector<std::string>{"C:\\a.tif", longPath, "C:\\b.bmp"}));
    EXPECT_EQ(SplitQueueLines("\n\r\n\nx.jpg\n\n"), std::vector<std::string>{"x.jpg"});
    EXPECT_TRUE(SplitQueueLines("").empty());
    // A single-character line is a path too, not an empty one.
    EXPECT_EQ(SplitQueueLines("a\n"), std::vector<std::string>{"a"});
}

TEST_F(QueueFile, TakeAllReadsAndEmptiesInOneStep) {
    bool ok = false;
    EXPECT_TRUE(queue.TakeAll(&ok).empty());
    EXPECT_TRUE(ok) << "a missing queue file is an empty queue";
    ASSERT_TRUE(queue.Append("C:\\one.tif"));
    ASSERT_TRUE(queue.Append("C:\\two words\\二.jpg"));
    EXPECT_EQ(contents(), "C:\\one.tif\nC:\\two words\\二.jpg\n");
    EXPECT_EQ(queue.TakeAll(&ok), (std::vector<std::string>{"C:\\one.tif", "C:\\two words\\二.jpg"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(contents(), "");
    EXPECT_TRUE(queue.TakeAll().empty());
}

TEST_F(QueueFile, LinesPutBackComeFirst) {
    ASSERT_TRUE(queue.Append("C:\\later.tif"));
    ASSERT_TRUE(queue.PutBack({"C:\\first.tif", "C:\\second.tif"}));
    EXPECT_EQ(queue.TakeAll(), (std::vector<std::string>{"C:\\first.tif", "C:\\second.tif", "C:\\later.tif"}));
    ASSERT_TRUE(queue.Append("C:\\x.tif"));
    ASSERT_TRUE(queue.Clear());
    EXPECT_TRUE(queue.TakeAll().empty());
}

TEST_F(QueueFile, ALockHeldElsewhereMakesTheWaitGiveUpInTime) {
    const std::string lock = "queue lock " + root_.filename().string();
    HANDLE held = CreateMutexA(nullptr, TRUE, lock.c_str());
    ASSERT_NE(held, nullptr);
    bool appended = true;
    std::thread other([&] {
        CQueueFile q(path(), lock);
        q.lockTimeoutMs = 100;
        const auto start = std::chrono::steady_clock::now();
        appended = q.Append("C:\\blocked.tif");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    });
    other.join();
    ReleaseMutex(held);
    CloseHandle(held);
    EXPECT_FALSE(appended);
    EXPECT_TRUE(queue.TakeAll().empty());
}

TEST_F(QueueFile, ManyWritersAndAReaderLoseNoLine) {
    constexpr int kWriters = 20, kLines = 25;
    std::set<std::string> taken;
    std::atomic<int> writersDone{0};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            CQueueFile q(path(), "queue lock " + root_.filename().string());
            for (int i = 0; i < kLines; ++i) EXPECT_TRUE(q.Append("C:\\w" + std::to_string(w) + "_" + std::to_string(i) + ".tif"));
            ++writersDone;
        });
    while (writersDone < kWriters)
        for (const std::string& line : queue.TakeAll()) EXPECT_TRUE(taken.insert(line).second) << line;
    for (std::thread& t : writers) t.join();
    for (const std::string& line : queue.TakeAll()) EXPECT_TRUE(taken.insert(line).second) << line;
    EXPECT_EQ(taken.size(), static_cast<std::size_t>(kWriters * kLines));
}

}  // namespace
}  // namespace scribanttest

#include "shell/app/queue_file.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "platform/win/path.h"
#include "platform/win/sync.h"

namespace {

// Holds the named mutex for its life; `held` is false when the wait timed out.
class QueueLock {
public:
    QueueLock(const std::string& name, unsigned timeoutMs) {
        mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
        if (!mutex_) return;
        const DWORD r = WaitForSingleObject(mutex_, timeoutMs);
        held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~QueueLock() {
        if (held) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
    }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;
    bool held = false;

private:
    HANDLE mutex_ = nullptr;
};

bool writeWhole(const std::string& native, const std::string& contents) {
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << contents;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

std::vector<std::string> SplitQueueLines(const std::string& contents) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = contents.size();
        std::string line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

CQueueFile::CQueueFile(std::string path, std::string lockName)
    : path_(std::move(path)), lockName_(std::move(lockName)) {}

bool CQueueFile::Append(const std::string& line) const {
    QueueLock lock(lockName_, lockTimeoutMs);
    if (!lock.held) return false;
    std::ofstream out(suite::NativePathOfEither(path_), std::ios::binary | std::ios::app);
    if (!out) return false;
    out << line << '\n';
    out.flush();
    return static_cast<bool>(out);
}

std::vector<std::string> CQueueFile::TakeAll(bool* ok) const {
    if (ok) *ok = false;
    QueueLock lock(lockName_, lockTimeoutMs);
    if (!lock.held) return {};
    const std::string native = suite::NativePathOfEither(path_);
    std::ifstream in(native, std::ios::binary);
    if (!in) {
        if (ok) *ok = true;  // no file: nothing queued
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    const std::string contents = text.str();
    if (!contents.empty() && !writeWhole(native, {})) return {};
    if (ok) *ok = true;
    return SplitQueueLines(contents);
}

bool CQueueFile::PutBack(const std::vector<std::string>& lines) const {
    if (lines.empty()) return true;
    QueueLock lock(lockName_, lockTimeoutMs);
    if (!lock.held) return false;
    const std::string native = suite::NativePathOfEither(path_);
    std::string contents;
    for (const std::string& line : lines) contents += line + "\n";
    std::ifstream in(native, std::ios::binary);
    if (in) {
        std::ostringstream rest;
        rest << in.rdbuf();
        contents += rest.str();
    }
    in.close();
    return writeWhole(native, contents);
}

bool CQueueFile::TakeBack(const std::string& line) const {
    QueueLock lock(lockName_, lockTimeoutMs);
    if (!lock.held) return false;
    const std::string native = suite::NativePathOfEither(path_);
    std::ifstream in(native, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::vector<std::string> lines = SplitQueueLines(text.str());
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (*it != line) continue;
        lines.erase(std::next(it).base());
        std::string contents;
        for (const std::string& rest : lines) contents += rest + "\n";
        return writeWhole(native, contents);
    }
    return false;
}

bool CQueueFile::Clear() const {
    QueueLock lock(lockName_, lockTimeoutMs);
    if (!lock.held) return false;
    return writeWhole(suite::NativePathOfEither(path_), {});
}

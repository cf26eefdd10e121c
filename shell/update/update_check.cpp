#include "shell/update/update_check.h"

#include "shell/update/sha256.h"
#include "shell/update/update_version.h"

#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/ini.h"
#include "platform/win/url_download.h"
#include "platform/win/blanks.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

constexpr DWORD kValueSize = 1024;

std::string iniText(const char* section, const std::string& key, const char* def, const std::string& file) {
    char value[kValueSize] = {};
    GetPrivateProfileStringA(section, key.c_str(), def, value, kValueSize, file.c_str());
    return value;
}

// The first line of a text file (without its line break); false when it
// cannot be opened. Only the first 4 KB are read.
bool firstLine(const std::string& path, std::string& line) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    if (!ok) return false;
    line.assign(buffer, read);
    line = line.substr(0, line.find_first_of("\r\n"));
    return true;
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Fetches the updater into a file of its own, checks it against the published
// hash and only then puts it in place of the old one. 0 or the string to show.
UINT fetchUpdater(const UpdateFiles& files, const std::string& version, const std::atomic<bool>* stop) {
    const std::string url = iniText("Update_Version", "Url_Manage", "", files.Task());
    const std::string publishedHash = iniText("Update_Version", "Sha256_Manage", "", files.Task());
    const std::string expected = lower(std::string(suite::TrimBlanks(publishedHash)));
    const std::string fresh = files.NewUpdater();
    if (url.empty() || suite::DownloadToFile(url.c_str(), fresh.c_str(), stop) != S_OK) {
        DeleteFileA(fresh.c_str());
        return IDS_UPDATE_FETCH_FAILED;
    }
    std::string actual;
    if (expected.size() != 64 || !CSha256::HexOfFile(fresh, actual) || actual != expected) {
        DeleteFileA(fresh.c_str());
        return IDS_UPDATE_HASH_FAILED;
    }
    if (!MoveFileExA(fresh.c_str(), files.Updater().c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(fresh.c_str());
        return IDS_UPDATE_FETCH_FAILED;
    }
    WritePrivateProfileStringA("version", "Update_Version", version.c_str(), files.Installed().c_str());
    return 0;
}

// The check's thread: joined when the next check starts or the program
// ends. The object is never destroyed, so a thread that outlived the end's
// bound never finds it gone.
struct Worker {
    std::mutex lock;
    std::condition_variable ended;
    bool running = false;
    std::atomic<bool> stop{false};
    std::thread thread;
};

Worker& worker() {
    static Worker* w = new Worker;
    return *w;
}

bool stopped(const std::atomic<bool>* stop) { return stop && stop->load(); }

}  // namespace

BOOL RunUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost& host) {
    return RunUpdateCheck(files, silent, host, nullptr);
}

BOOL RunUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost& host, const std::atomic<bool>* stop) {
    std::string address;
    if (!firstLine(files.Address(), address)) {
        host.Message(IDS_UPDATE_DAMAGED, MB_OK);
        return TRUE;
    }
    std::string installed;
    if (PathFileExistsA(files.Installed().c_str())) installed = iniText("version", "Main_Version", "0.0.0", files.Installed());
    address = std::string(suite::TrimBlanks(address));
    if (address.empty() || suite::DownloadToFile(address.c_str(), files.Task().c_str(), stop) != S_OK) {
        if (!silent && !stopped(stop)) host.Message(IDS_UPDATE_NETWORK, MB_OK);
        return TRUE;
    }
    if (stopped(stop)) return TRUE;
    const UpdateVersion current = ParseUpdateVersion(installed);
    const std::string top = iniText("Main_Version", "version_top", "0.0.0", files.Task());
    // Only a newer published version is offered: an equal or older one is not.
    if (CompareUpdateVersions(ParseUpdateVersion(top), current) <= 0) {
        if (!silent) host.Message(IDS_UPDATE_NONE, MB_OK | MB_ICONINFORMATION);
        DeleteFileA(files.Task().c_str());
        return TRUE;
    }
    if (silent && host.Message(IDS_UPDATE_ASK, MB_YESNO) != IDYES) {
        DeleteFileA(files.Task().c_str());
        return TRUE;
    }
    const int newest = static_cast<int>(GetPrivateProfileIntA("Main_Version", "nVersion", 0, files.Task().c_str()));
    int start = 1;
    if (!installed.empty()) {
        for (int k = newest - 1; k >= 1; --k) {
            const std::string entry = iniText("Main_Version", "Version_" + std::to_string(k), "0.0.0", files.Task());
            if (CompareUpdateVersions(ParseUpdateVersion(entry), current) <= 0) {
                start = k + 1;
                break;
            }
        }
    }
    const int chosen = host.ChooseEntry(files.Task(), start);
    if (chosen < 1 || chosen > newest || stopped(stop)) return TRUE;
    const std::string published = iniText("Update_Version", "version_Manage", "", files.Task());
    const std::string have = iniText("version", "Update_Version", "0.0.0", files.Installed());
    if (suite::AnsiCompareNoCase(published, have) != 0 || !PathFileExistsA(files.Updater().c_str())) {
        if (const UINT refusal = fetchUpdater(files, published, stop)) {
            if (!stopped(stop)) host.Message(refusal, MB_OK | MB_ICONWARNING);
            return TRUE;
        }
    }
    if (stopped(stop)) return TRUE;
    if (!host.StartUpdater(files.Updater(), std::to_string(chosen), files.folder)) {
        host.Message(IDS_UPDATE_START_FAILED, MB_OK | MB_ICONWARNING);
        return TRUE;
    }
    host.CloseProgram();
    return FALSE;
}

bool StartUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost* host) {
    Worker& w = worker();
    std::lock_guard guard(w.lock);
    if (w.running || !host) return false;
    // The last check has ended: its thread is only collected.
    if (w.thread.joinable()) w.thread.join();
    w.running = true;
    w.stop = false;
    w.thread = std::thread([files, silent, host] {
        Worker& done = worker();
        RunUpdateCheck(files, silent, *host, &done.stop);
        std::lock_guard ended(done.lock);
        done.running = false;
        done.ended.notify_all();
    });
    return true;
}

bool StopUpdateCheck(DWORD ms) {
    Worker& w = worker();
    w.stop = true;
    std::unique_lock guard(w.lock);
    const bool ended = w.ended.wait_for(guard, std::chrono::milliseconds(ms), [&] { return !w.running; });
    if (!w.thread.joinable()) return true;
    if (ended) {
        w.thread.join();
        return true;
    }
    // Past the bound: the thread is left to end by itself (all it uses lives on).
    w.thread.detach();
    return false;
}

bool UpdateCheckRunning() {
    std::lock_guard guard(worker().lock);
    return worker().running;
}

bool WaitForUpdateCheck(DWORD ms) {
    Worker& w = worker();
    std::unique_lock guard(w.lock);
    return w.ended.wait_for(guard, std::chrono::milliseconds(ms), [&] { return !w.running; });
}

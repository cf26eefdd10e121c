// The recording program: a stand-in, for tests only, for the outside
// programs the suite starts (OCR and card applications, the proofreading,
// read-aloud and character-input programs, and the suite's own programs
// when a launcher is tested). Under whatever name it is copied to, it
//
// records, when $SUITE_RECORDER_LOG (or $SUITE_RECORDER_FILE) names a file,
//   by appending "start", "name: ", "folder: ", "cwd: ", one "arg: " line per
//   argument, then for every argument that names an existing file (alone,
//   quoted, after "/f=", "/filename=", "/r?an" and the like; native or
//   Windows-style) "file: PATH", the file's bytes and "end-file", then "end";
// records, when $SUITE_RECORDER_DIR names a folder, its name, folder,
//   working folder and arguments ("key: value" a line) in "<name>.record"
//   there, written whole;
// waits $SUITE_RECORDER_HANG_MS (a slow or hanging program);
// ends at once with $SUITE_RECORDER_EXIT when that is set and it shows no
//   window (a failing program: nothing below happens);
// then acts as the programs it stands for do:
//   "/f=INI"           deletes the ini once read (it was taken), unless
//                      $SUITE_RECORDER_KEEP is set (a program that never takes it)
//   "/r?an\"LIST\""     broadcasts the registered message "BCR_COMMANDLINE_MSG"
//   "/target=SAVED"    shows a window of class "IMC_PCCR40" for
//                      $SUITE_RECORDER_WINDOW_MS (default 300) ms and writes
//                      the result file named by "/filename="
// and, when $SUITE_RECORDER_TITLE is set, shows a framework window of that
// title until it gets WM_CLOSE (recording "closed"), then ends with
// $SUITE_RECORDER_EXIT (default 0).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <strings.h>

#include "platform/afx/afxwin.h"
#include "platform/win/path.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_args;

std::string Env(const char* name, const char* fallback = "") {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

std::string LogFile() {
    std::string log = Env("SUITE_RECORDER_LOG");
    return log.empty() ? Env("SUITE_RECORDER_FILE") : log;
}

struct Self {
    std::string name, folder, cwd;
};

Self WhoAmI(const char* argv0) {
    Self self;
    char exe[4096] = {};
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    const fs::path path = n > 0 ? fs::path(std::string(exe, static_cast<std::size_t>(n))) : fs::path(argv0);
    self.name = path.filename().string();
    self.folder = path.parent_path().string();
    char cwd[4096] = {};
    if (::getcwd(cwd, sizeof cwd)) self.cwd = cwd;
    return self;
}

// The path an argument carries: after the first quote up to the next, or after '='.
std::string PathIn(const std::string& arg) {
    std::size_t quote = arg.find('"');
    if (quote != std::string::npos) {
        std::size_t end = arg.find('"', quote + 1);
        return arg.substr(quote + 1, end == std::string::npos ? std::string::npos : end - quote - 1);
    }
    if (std::size_t eq = arg.find('='); eq != std::string::npos) return arg.substr(eq + 1);
    return arg;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// The existing file an argument names, native or Windows-style; "" when none.
std::string FileOf(const std::string& arg) {
    for (const std::string& candidate : {arg, PathIn(arg)}) {
        if (IsFile(candidate)) return candidate;
        const std::string native = suite::NativePathOfEither(candidate);
        if (IsFile(native)) return native;
    }
    return {};
}

void AppendLine(const std::string& line) {
    const std::string log = LogFile();
    if (!log.empty()) std::ofstream(log, std::ios::app | std::ios::binary) << line << "\n";
}

void Record(const Self& self) {
    const std::string log = LogFile();
    if (!log.empty()) {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << "start\nname: " << self.name << "\nfolder: " << self.folder << "\ncwd: " << self.cwd << "\n";
        for (const std::string& a : g_args) out << "arg: " << a << "\n";
        for (const std::string& a : g_args) {
            const std::string path = FileOf(a);
            if (path.empty()) continue;
            std::ifstream in(path, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            out << "file: " << path << "\n" << text.str() << "end-file\n";
        }
        out << "end\n";
    }
    const std::string dir = Env("SUITE_RECORDER_DIR");
    if (!dir.empty()) {
        const std::string record = dir + "/" + self.name + ".record";
        {
            std::ofstream out(record + ".part", std::ios::binary);
            out << "name: " << self.name << "\nfolder: " << self.folder << "\ncwd: " << self.cwd << "\n";
            for (const std::string& a : g_args) out << "arg: " << a << "\n";
        }
        std::rename((record + ".part").c_str(), record.c_str());
    }
}

bool StartsWithNoCase(const std::string& s, const char* head) { return strncasecmp(s.c_str(), head, std::strlen(head)) == 0; }

std::string ValueOf(const char* prefix) {
    for (const std::string& a : g_args)
        if (StartsWithNoCase(a, prefix)) return a.substr(std::strlen(prefix));
    return {};
}

class ResultWnd : public CWnd {
public:
    afx_msg void OnTimer(UINT_PTR) { DestroyWindow(); }
    afx_msg void OnDestroy() { PostQuitMessage(0); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ResultWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// The program's main window in window mode: it ends the program on WM_CLOSE.
class TitledFrame : public CFrameWnd {
public:
    afx_msg void OnClose() {
        AppendLine("closed");
        CFrameWnd::OnClose();
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TitledFrame, CFrameWnd)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

class RecorderApp : public CWinApp {
public:
    RecorderApp() : CWinApp("Recorder") {}
    BOOL InitInstance() override {
        bool resultWindow = false;
        for (const std::string& a : g_args) {
            if (StartsWithNoCase(a, "/f=") && Env("SUITE_RECORDER_KEEP").empty()) {
                if (const std::string ini = FileOf(a); !ini.empty()) std::remove(ini.c_str());
            }
            if (a.size() > 4 && StartsWithNoCase(a, "/r") && strncasecmp(a.c_str() + 3, "an", 2) == 0)
                ::PostMessage(HWND_BROADCAST, RegisterWindowMessage("BCR_COMMANDLINE_MSG"), 0, 0);
            if (strcasecmp(a.c_str(), "/target=SAVED") == 0) resultWindow = true;
        }
        if (const std::string title = Env("SUITE_RECORDER_TITLE"); !title.empty()) {
            auto* frame = new TitledFrame;
            if (!frame->Create(nullptr, title.c_str())) return FALSE;
            m_pMainWnd = frame;
            frame->ShowWindow(SW_SHOW);
            return TRUE;
        }
        if (!resultWindow) return FALSE;
        auto* w = new ResultWnd;
        if (!w->CreateEx(0, "IMC_PCCR40", "Recorder Result", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 100, nullptr,
                         nullptr))
            return FALSE;
        m_pMainWnd = w;
        w->SetTimer(1, static_cast<UINT>(std::atoi(Env("SUITE_RECORDER_WINDOW_MS", "300").c_str())));
        if (const std::string result = ValueOf("/filename="); !result.empty())
            std::ofstream(result) << "recognised text\n";
        return TRUE;
    }
};
RecorderApp theApp;

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) g_args.emplace_back(argv[i]);
    Record(WhoAmI(argv[0]));
    if (int hang = std::atoi(Env("SUITE_RECORDER_HANG_MS", "0").c_str()); hang > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(hang));
    if (!Env("SUITE_RECORDER_EXIT").empty() && Env("SUITE_RECORDER_TITLE").empty())
        return std::atoi(Env("SUITE_RECORDER_EXIT").c_str());
    const int code = AfxWinMain(argc, argv);
    return Env("SUITE_RECORDER_TITLE").empty() ? code : std::atoi(Env("SUITE_RECORDER_EXIT", "0").c_str());
}

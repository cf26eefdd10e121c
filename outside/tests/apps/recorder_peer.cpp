// A stand-in for outside OCR and card applications started with command
// lines, list files and ini files, for tests. It appends to the file named by
// $SUITE_RECORDER_LOG one "arg: " line per argument and, for every argument
// that names an existing file (alone, quoted, or after "/f=", "/filename=",
// "/r?an" and the like), a "file: PATH" line followed by the file's lines.
// Then it acts as the application would:
//   "/f=...Harnel.Ini"    deletes that ini file (it was read)
//   "/r?an\"LIST\""        broadcasts the registered message "BCR_COMMANDLINE_MSG"
//   "/target=SAVED"       shows a window of class "IMC_PCCR40" for
//                         $SUITE_RECORDER_WINDOW_MS (default 300) ms and writes
//                         the result file named by "/filename="
// $SUITE_RECORDER_HANG_MS makes it wait that long first (a hanging
// application); $SUITE_RECORDER_EXIT makes it end at once with that code after
// recording (a failing one).
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

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_args;

std::string Env(const char* name, const char* fallback = "") {
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

// The path an argument carries: after '=' or the first quote, without quotes.
std::string PathIn(const std::string& arg) {
    std::string s = arg;
    std::size_t quote = s.find('"');
    if (quote != std::string::npos) {
        std::size_t end = s.find('"', quote + 1);
        s = s.substr(quote + 1, end == std::string::npos ? std::string::npos : end - quote - 1);
    } else if (std::size_t eq = s.find('='); eq != std::string::npos) {
        s = s.substr(eq + 1);
    }
    return s;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

void Record() {
    std::string log = Env("SUITE_RECORDER_LOG");
    if (log.empty()) return;
    std::ofstream out(log, std::ios::app);
    out << "start\n";
    for (const std::string& a : g_args) out << "arg: " << a << "\n";
    for (const std::string& a : g_args) {
        std::string path = IsFile(a) ? a : PathIn(a);
        if (!IsFile(path)) continue;
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        out << "file: " << path << "\n" << text.str() << "\n";
    }
    out << "end\n";
}

bool EndsWithNoCase(const std::string& s, const char* tail) {
    std::size_t n = std::strlen(tail);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

std::string ValueOf(const char* prefix) {
    for (const std::string& a : g_args)
        if (strncasecmp(a.c_str(), prefix, std::strlen(prefix)) == 0) return a.substr(std::strlen(prefix));
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

class RecorderApp : public CWinApp {
public:
    RecorderApp() : CWinApp("RecorderPeer") {}
    BOOL InitInstance() override {
        bool needsLoop = false;
        for (const std::string& a : g_args) {
            if (strncasecmp(a.c_str(), "/f=", 3) == 0 && EndsWithNoCase(PathIn(a), "Harnel.Ini")) {
                std::error_code ec;
                fs::remove(PathIn(a), ec);
            }
            if (a.size() > 4 && strncasecmp(a.c_str(), "/r", 2) == 0 && strncasecmp(a.c_str() + 3, "an", 2) == 0)
                ::PostMessage(HWND_BROADCAST, RegisterWindowMessage("BCR_COMMANDLINE_MSG"), 0, 0);
            if (strcasecmp(a.c_str(), "/target=SAVED") == 0) needsLoop = true;
        }
        if (!needsLoop) return FALSE;
        auto* w = new ResultWnd;
        if (!w->CreateEx(0, "IMC_PCCR40", "Recorder Result", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 100, nullptr,
                         nullptr))
            return FALSE;
        m_pMainWnd = w;
        w->SetTimer(1, static_cast<UINT>(std::atoi(Env("SUITE_RECORDER_WINDOW_MS", "300").c_str())));
        std::string result = ValueOf("/filename=");
        if (!result.empty()) std::ofstream(result) << "recognised text\n";
        return TRUE;
    }
};
RecorderApp theApp;

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) g_args.emplace_back(argv[i]);
    Record();
    if (int hang = std::atoi(Env("SUITE_RECORDER_HANG_MS", "0").c_str()); hang > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(hang));
    if (!Env("SUITE_RECORDER_EXIT").empty()) return std::atoi(Env("SUITE_RECORDER_EXIT").c_str());
    return AfxWinMain(argc, argv);
}

// scribant_run: the program's main job on one page, as a user would do it,
// without a person at the screen. It starts Scribant with the page on its
// command line, runs layout analysis (F5) and recognition (F8) through the
// command routing, saves the result with "Output to format" (the save dialog
// answered by the test script), closes and exits; then prints the text
// file's path and its first lines. Every wait is bounded. With --grab DIR it
// saves grabs of the window after each step; with --expect FILE (the page's
// text, UTF-8) it fails unless the text file holds at least 98 % of the
// page's characters. Without SUITE_HOME it runs in a scratch home of its own
// under TMPDIR, removed at the end.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <thread>

#include "ocrdoc/document/ocr_doc.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "shell/app/scribant_app.h"
#include "shell/app/scribant_commands.h"
#include "shell/frame/main_frame.h"

namespace {

namespace fs = std::filesystem;

bool pumpUntil(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    AfxPumpMessages();
    return true;
}

void grab(CWnd* window, const std::string& folder, const char* name) {
    if (folder.empty() || !window) return;
    for (int i = 0; i < 10; ++i) AfxPumpMessages();
    const std::string path = folder + "/" + name + ".png";
    if (window->GrabToFile(path.c_str())) std::printf("grab: %s\n", path.c_str());
}

// The UTF-16 text file's first lines in UTF-8.
std::string firstLines(const std::string& native, int count) {
    std::ifstream in(native, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    std::size_t at = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                             static_cast<unsigned char>(bytes[1]) == 0xFE
                         ? 2
                         : 0;
    for (; at + 1 < bytes.size(); at += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                             (static_cast<unsigned char>(bytes[at + 1]) << 8)));
    std::string out;
    int lines = 0;
    for (char16_t c : text) {
        if (c == u'\r') continue;
        if (c == u'\n' && ++lines >= count) break;
        char32_t cp = c;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// What went wrong, with the messages and dialogs the program showed.
int fail(const char* what) {
    std::fprintf(stderr, "scribant_run: %s\n", what);
    for (const AfxShownRecord& shown : AfxTestScript::Shown())
        std::fprintf(stderr, "  shown %s \"%s\": %s%s\n", shown.kind.c_str(), suite::AnsiToUtf8(shown.title).c_str(),
                     suite::AnsiToUtf8(shown.text).c_str(), shown.name.empty() ? "" : (" " + shown.name).c_str());
    return 1;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A home of its own (documents, registry, named mutexes). Its window lookup
// folder lives in the runtime folder: the process publishes its windows again
// as it ends, after the home is gone.
class ScratchHome {
public:
    ScratchHome() {
        if (const char* home = std::getenv("SUITE_HOME"); home && *home) return;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/scribant-run-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        root_ = pattern;
        setenv("SUITE_HOME", root_.c_str(), 1);
        for (const char* var : {"SUITE_DOCUMENTS_DIR", "SUITE_APPDATA_DIR", "SUITE_LOCAL_APPDATA_DIR",
                                "SUITE_REGISTRY_USER", "SUITE_REGISTRY_DIR", "SUITE_RUNTIME_DIR"})
            unsetenv(var);
        // Without a runtime folder the shared default lookup folder serves.
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
            setenv("SUITE_IPC_DIR", (fs::path(runtime) / ("scribant-run-" + root_.filename().string())).c_str(), 1);
    }
    ~ScratchHome() {
        std::error_code ec;
        if (!root_.empty()) fs::remove_all(root_, ec);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

private:
    fs::path root_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string page, grabFolder, expected;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) grabFolder = argv[++i];
        else if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc) expected = argv[++i];
        else page = argv[i];
    }
    if (page.empty() || !fs::exists(page) || (!expected.empty() && !fs::exists(expected))) {
        std::fprintf(stderr, "usage: scribant_run [--grab DIR] [--expect TEXT.txt] PAGE.tif\n");
        return 2;
    }
    if (!grabFolder.empty()) fs::create_directories(grabFolder);
    page = fs::absolute(page).string();

    ScratchHome home;
    // The sample pages are Chinese with English lines: a Chinese system
    // unless the caller picked another.
    setenv("SUITE_LANGID", "0x0804", 0);
    // The program keeps its work beside the page (its layout and text): it
    // works on a copy in the home, never on the caller's file.
    const char* homeFolder = std::getenv("SUITE_HOME");
    if (!homeFolder || !*homeFolder) return fail("no home folder could be made");
    const fs::path pages = fs::path(homeFolder) / "pages";
    std::error_code copyError;
    fs::create_directories(pages, copyError);
    fs::copy_file(page, pages / fs::path(page).filename(), fs::copy_options::overwrite_existing, copyError);
    if (copyError) return fail("the page could not be copied into the home");
    page = (pages / fs::path(page).filename()).string();

    CScribantApp app;
    // An instance name of its own: a Scribant the user runs gets no hand-off.
    app.m_strInstanceName = "Scribant run " + std::to_string(getpid());
    char* programOnly[] = {argv[0], nullptr};
    AfxWinInit(1, programOnly);
    AfxTestScript::Enable(true);
    app.m_args.emplace_back(page.c_str());
    if (!app.InitInstance()) return fail("the program did not start");
    CMainFrame* frame = app.MainFrame();
    if (!frame) return fail("no main window");
    frame->ShowWindow(SW_RESTORE);
    frame->MoveWindow(0, 0, 1280, 860);
    grab(frame, grabFolder, "1-started");

    auto doc = [&] { return app.CurrentDocument(); };
    if (!pumpUntil([&] { return doc() && doc()->m_pImage && !app.CurrentDocumentPath().empty(); }, 60))
        return fail("the page did not open");
    grab(frame, grabFolder, "2-page-open");

    frame->SendMessage(WM_COMMAND, ID_RECOG_LAYOUT, 0);  // F5
    auto regions = [&] { return doc() && doc()->m_pPageRegion ? doc()->m_pPageRegion->GetChildCount() : 0; };
    if (!pumpUntil([&] { return regions() > 0; }, 120)) return fail("no layout");
    grab(frame, grabFolder, "3-layout");

    frame->SendMessage(WM_COMMAND, ID_RECOG_START, 0);  // F8
    if (!pumpUntil([&] { return doc() && doc()->m_bHasResult; }, 300)) return fail("no recognition result");
    if (frame->IsTextRowHidden()) frame->SendMessage(WM_COMMAND, 32830, 0);  // the text window above the page
    grab(frame, grabFolder, "4-recognised");

    // The program's own spelling of its output folder; the native file is
    // found case-insensitively as every path.
    const std::string windowsOutput = app.m_strDataDir + "\\output\\page.txt";
    auto native = [&] { return suite::NativePath(windowsOutput); };
    AfxTestScript::QueueFile(windowsOutput);
    frame->SendMessage(WM_COMMAND, ID_OUTPUT_TO_FORMAT, 0);
    if (!pumpUntil([&] { return fs::exists(native()) && fs::file_size(native()) > 2; }, 60))
        return fail("the text file was not written");
    const std::string output = native();

    frame->SendMessage(WM_CLOSE, 0, 0);
    pumpUntil([&] { return app.m_pMainWnd == nullptr || !::IsWindow(app.m_pMainWnd->GetSafeHwnd()); }, 10);
    app.ExitInstance();
    const std::string text = firstLines(output, 1 << 20);
    std::printf("%s\n%s\n", output.c_str(), firstLines(output, 5).c_str());
    if (!expected.empty()) {
        const double accuracy = testpages::charAccuracy(readAll(expected), text, false);
        std::printf("characters read: %.1f %%\n", accuracy * 100.0);
        if (accuracy < 0.98) return fail("the text holds less than 98 % of the page's characters");
    }
    return 0;
}

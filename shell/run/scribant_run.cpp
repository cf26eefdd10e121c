// scribant_run: the program's main job on one page, as a user would do it,
// without a person at the screen. It starts Scribant with the page on its
// command line, runs layout analysis (F5) and recognition (F8) through the
// command routing, saves the result with "Output to format" (the save dialog
// answered by the test script), closes and exits; then prints the text
// file's path and its first lines. Every wait is bounded. With --grab DIR it
// saves grabs of the window after each step.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "ocrdoc/document/ocr_doc.h"
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

int fail(const char* what) {
    std::fprintf(stderr, "scribant_run: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string page, grabFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) grabFolder = argv[++i];
        else page = argv[i];
    }
    if (page.empty() || !fs::exists(page)) {
        std::fprintf(stderr, "usage: scribant_run [--grab DIR] PAGE.tif\n");
        return 2;
    }
    if (!grabFolder.empty()) fs::create_directories(grabFolder);

    CScribantApp app;
    char* programOnly[] = {argv[0], nullptr};
    AfxWinInit(1, programOnly);
    AfxTestScript::Enable(true);
    app.m_args.emplace_back(fs::absolute(page).string().c_str());
    if (!app.InitInstance()) return fail("the program did not start");
    CMainFrame* frame = app.MainFrame();
    if (!frame) return fail("no main window");
    frame->MoveWindow(0, 0, 1280, 860);
    grab(frame, grabFolder, "1-started");

    auto doc = [&] { return app.CurrentDocument(); };
    if (!pumpUntil([&] { return doc() && doc()->m_pImage && !app.CurrentDocumentPath().empty(); }, 60))
        return fail("the page did not open");
    grab(frame, grabFolder, "2-page-open");

    frame->SendMessage(WM_COMMAND, ID_RECOG_LAYOUT, 0);  // F5
    if (!pumpUntil([&] { return doc() && doc()->m_bHasLayout; }, 120)) return fail("no layout");
    grab(frame, grabFolder, "3-layout");

    frame->SendMessage(WM_COMMAND, ID_RECOG_START, 0);  // F8
    if (!pumpUntil([&] { return doc() && doc()->m_bHasResult; }, 300)) return fail("no recognition result");
    frame->SendMessage(WM_COMMAND, 32830, 0);  // the text window beside the page
    grab(frame, grabFolder, "4-recognised");

    const fs::path output = fs::path(suite::NativePath(app.m_strDataDir)) / "output" / "page.txt";
    AfxTestScript::QueueFile(output.string());
    frame->SendMessage(WM_COMMAND, ID_OUTPUT_TO_FORMAT, 0);
    if (!pumpUntil([&] { return fs::exists(output) && fs::file_size(output) > 2; }, 60))
        return fail("the text file was not written");

    frame->SendMessage(WM_CLOSE, 0, 0);
    pumpUntil([&] { return app.m_pMainWnd == nullptr || !::IsWindow(app.m_pMainWnd->GetSafeHwnd()); }, 10);
    app.ExitInstance();
    std::printf("%s\n%s\n", output.string().c_str(), firstLines(output.string(), 5).c_str());
    return 0;
}

// scribant_command: sends menu commands to a running Scribant of the same
// home (its main window found by class), one WM_COMMAND each, waiting for
// each at most the given seconds. For driving the real program from scripts
// (grabs under a virtual screen).
//   scribant_command [--wait SECONDS] ID...
//   scribant_command --probe        exit status 0 once the window exists
//   scribant_command --title TEXT   exit status 0 when its title is TEXT
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/afx/afxwin.h"
#include "shell/app/scribant_ids.h"

int main(int argc, char** argv) {
    AfxWinInit();
    unsigned waitMs = 60000;
    int sent = 0;
    if (argc == 2 && std::strcmp(argv[1], "--probe") == 0) return FindWindow(SCRIBANT_FRAME_CLASS, nullptr) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--title") == 0) return FindWindow(SCRIBANT_FRAME_CLASS, argv[2]) ? 0 : 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
            waitMs = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10)) * 1000u;
            continue;
        }
        HWND frame = FindWindow(SCRIBANT_FRAME_CLASS, nullptr);
        if (!frame) {
            std::fprintf(stderr, "scribant_command: no running Scribant\n");
            return 1;
        }
        const UINT id = static_cast<UINT>(std::strtoul(argv[i], nullptr, 0));
        DWORD_PTR result = 0;
        if (!SendMessageTimeout(frame, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, waitMs, &result)) {
            std::fprintf(stderr, "scribant_command: command %u got no answer in time\n", id);
            return 1;
        }
        ++sent;
    }
    if (sent == 0) {
        std::fprintf(stderr, "usage: scribant_command [--wait SECONDS] ID...\n");
        return 2;
    }
    return 0;
}

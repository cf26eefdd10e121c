// A second program for the cross-process tests: one top-level window of
// class "UiPeerClass" (or the class named by the second argument, so that
// tests running at once each find their own) titled "Peer Window". A sent WM_USER+7 answers
// wParam + lParam; a posted WM_USER+8 writes its wParam to the file named
// by the first argument; a sent WM_USER+9 pumps messages for wParam
// milliseconds, as a message box would, and answers 1; WM_CLOSE ends the
// program. It gives up after 30 s.
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

#include "platform/afx/afxwin.h"

namespace {
const char* g_outFile = nullptr;
const char* g_className = "UiPeerClass";

class PeerWnd : public CWnd {
public:
    LRESULT OnAdd(WPARAM wp, LPARAM lp) { return static_cast<LRESULT>(wp) + lp; }
    LRESULT OnWrite(WPARAM wp, LPARAM) {
        if (std::FILE* f = g_outFile ? std::fopen(g_outFile, "w") : nullptr) {
            std::fprintf(f, "%lu\n", static_cast<unsigned long>(wp));
            std::fclose(f);
        }
        return 0;
    }
    LRESULT OnPumpAWhile(WPARAM wp, LPARAM) {
        // A loop of its own, as a modal box runs.
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(wp), &loop, &QEventLoop::quit);
        loop.exec();
        return 1;
    }
    afx_msg void OnTimer(UINT_PTR) { PostQuitMessage(9); }
    afx_msg void OnDestroy() { PostQuitMessage(0); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PeerWnd, CWnd)
    ON_MESSAGE(WM_USER + 7, OnAdd)
    ON_MESSAGE(WM_USER + 8, OnWrite)
    ON_MESSAGE(WM_USER + 9, OnPumpAWhile)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class PeerApp : public CWinApp {
public:
    PeerApp() : CWinApp("Peer") {}
    BOOL InitInstance() override {
        auto* w = new PeerWnd;
        if (!w->CreateEx(0, g_className, "Peer Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 120, nullptr, nullptr))
            return FALSE;
        w->SetTimer(1, 30000);
        m_pMainWnd = w;
        return TRUE;
    }
};
PeerApp theApp;
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0]) g_outFile = argv[1];
    if (argc > 2) g_className = argv[2];
    return AfxWinMain(argc, argv);
}

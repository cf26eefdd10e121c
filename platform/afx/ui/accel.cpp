// Accelerator tables: a key with the right modifiers becomes its command.
#include <vector>

#include "platform/afx/core/resource.h"
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/ui_private.h"

int TranslateAccelerator(HWND hwnd, HACCEL table, LPMSG msg) {
    if (!table || !msg || !hwnd) return 0;
    bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    bool ch = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyDown && !ch) return 0;
    int n = CopyAcceleratorTable(table, nullptr, 0);
    if (n <= 0) return 0;
    std::vector<ACCEL> entries(static_cast<size_t>(n));
    CopyAcceleratorTable(table, entries.data(), n);
    bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    bool alt = msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSCHAR || (GetKeyState(VK_MENU) & 0x8000) != 0;
    for (const ACCEL& a : entries) {
        bool virt = (a.fVirt & FVIRTKEY) != 0;
        if (virt != keyDown) continue;
        if (a.key != static_cast<WORD>(msg->wParam)) continue;
        if (virt && (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl)) continue;
        if (((a.fVirt & FALT) != 0) != alt) continue;
        CWnd* w = CWnd::FromHandlePermanent(hwnd);
        if (!w) return 0;
        // A command whose update handler disables it is not sent.
        struct Probe : CCmdUI {
            BOOL enabled = TRUE;
            void Enable(BOOL on) override { enabled = on; }
            void SetCheck(int) override {}
            void SetText(LPCTSTR) override {}
        } state;
        state.m_nID = a.cmd;
        state.DoUpdate(w, FALSE);
        if (!state.enabled) return 1;
        w->SendMessage(WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

#include "ocrdoc/document/message_pump.h"

#include "platform/afx/afxwin.h"

bool DispatchPendingMessages(bool takeEscape) {
    bool escape = false;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (takeEscape && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            escape = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return escape;
}

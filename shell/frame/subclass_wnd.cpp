#include "shell/frame/subclass_wnd.h"

#include <map>

namespace {
// Each hooked window's front hook. Hooks live on the user-interface thread.
std::map<HWND, CSubclassWnd*>& HookMap() {
    static auto* map = new std::map<HWND, CSubclassWnd*>;
    return *map;
}
}  // namespace

CSubclassWnd::~CSubclassWnd() { Unhook(); }

BOOL CSubclassWnd::HookWindow(CWnd* wnd) {
    Unhook();
    if (!wnd || !wnd->GetSafeHwnd()) return TRUE;
    m_hWndHooked = wnd->m_hWnd;
    auto& map = HookMap();
    auto it = map.find(m_hWndHooked);
    if (it != map.end()) {
        // A later hook covers the front one and reaches the window's own procedure through it.
        m_pNext = it->second;
        m_pOldWndProc = m_pNext->m_pOldWndProc;
        it->second = this;
    } else {
        m_pNext = nullptr;
        m_pOldWndProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtr(m_hWndHooked, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
        map[m_hWndHooked] = this;
    }
    return TRUE;
}

void CSubclassWnd::Unhook() {
    if (!m_hWndHooked) return;
    auto& map = HookMap();
    auto it = map.find(m_hWndHooked);
    if (it != map.end()) {
        if (it->second == this) {
            if (m_pNext) {
                it->second = m_pNext;
            } else {
                map.erase(it);
                if (::IsWindow(m_hWndHooked)) SetWindowLongPtr(m_hWndHooked, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pOldWndProc));
            }
        } else {
            for (CSubclassWnd* h = it->second; h; h = h->m_pNext)
                if (h->m_pNext == this) {
                    h->m_pNext = m_pNext;
                    break;
                }
        }
    }
    m_hWndHooked = nullptr;
    m_pNext = nullptr;
    m_pOldWndProc = nullptr;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pNext) return m_pNext->WindowProc(message, wParam, lParam);
    return CallWindowProc(m_pOldWndProc, m_hWndHooked, message, wParam, lParam);
}

LRESULT CSubclassWnd::Default() {
    const MSG* current = AfxCurrentMessageRecord();
    if (!current) return 0;
    return CSubclassWnd::WindowProc(current->message, current->wParam, current->lParam);
}

LRESULT CSubclassWnd::HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The current-message record names this message while the hooks work,
    // so Default() passes it on; the caller's record comes back afterwards.
    MSG* record = AfxCurrentMessageRecord();
    MSG saved{};
    if (record) {
        saved = *record;
        record->hwnd = hwnd;
        record->message = message;
        record->wParam = wParam;
        record->lParam = lParam;
    }
    LRESULT result = 0;
    auto& map = HookMap();
    auto it = map.find(hwnd);
    if (it == map.end()) {
        result = 0;
    } else if (message == WM_NCDESTROY) {
        // The window goes: every hook lets go, the window's own procedure sees the end.
        WNDPROC old = it->second->m_pOldWndProc;
        while (map.count(hwnd)) map[hwnd]->Unhook();
        result = CallWindowProc(old, hwnd, message, wParam, lParam);
    } else {
        result = it->second->WindowProc(message, wParam, lParam);
    }
    if (record) *record = saved;
    return result;
}

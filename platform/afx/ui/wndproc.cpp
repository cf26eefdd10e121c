// Window procedures in front of a window, and key names.
#include "platform/afx/ui/wndproc.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace {
// The framework's own procedure: the window's CWnd handles the message.
LRESULT FrameworkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    return wnd ? wnd->WindowProc(message, wParam, lParam) : 0;
}
}  // namespace

namespace afx_detail {
LRESULT CallWindowChain(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowState* s = StateOf(wnd->m_hWnd);
    if (s && s->wndProc) return s->wndProc(wnd->m_hWnd, message, wParam, lParam);
    return wnd->WindowProc(message, wParam, lParam);
}
}  // namespace afx_detail

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    if (index == GWLP_WNDPROC) {
        WindowState* s = StateOf(hwnd);
        if (!s) return 0;
        return reinterpret_cast<LONG_PTR>(s->wndProc ? s->wndProc : &FrameworkProc);
    }
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    return wnd ? wnd->GetWindowLong(index) : 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    if (index == GWLP_WNDPROC) {
        WindowState* s = StateOf(hwnd);
        if (!s || !value) return 0;
        const LONG_PTR old = GetWindowLongPtrA(hwnd, index);
        auto proc = reinterpret_cast<WNDPROC>(value);
        // Putting the framework's procedure back leaves the window as it was made.
        s->wndProc = proc == &FrameworkProc ? nullptr : proc;
        return old;
    }
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    return wnd ? wnd->SetWindowLong(index, value) : 0;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

MSG* AfxCurrentMessageRecord() {
    MessageFrame* f = CurrentFrame();
    return f ? &f->msg : nullptr;
}

namespace {
struct KeyEntry {
    UINT vk;
    UINT scan;  // 0xE000 added for an extended key
    const char* name;
};
// The US layout's keys that menus name; letters and digits are computed.
constexpr KeyEntry kKeys[] = {
    {VK_ESCAPE, 0x01, "Esc"},       {VK_BACK, 0x0E, "Backspace"},   {VK_TAB, 0x0F, "Tab"},
    {VK_RETURN, 0x1C, "Enter"},     {VK_CONTROL, 0x1D, "Ctrl"},     {VK_SHIFT, 0x2A, "Shift"},
    {VK_MENU, 0x38, "Alt"},         {VK_SPACE, 0x39, "Space"},      {VK_CAPITAL, 0x3A, "Caps Lock"},
    {VK_NUMLOCK, 0x45, "Num Lock"}, {VK_SCROLL, 0x46, "Scroll Lock"}, {VK_MULTIPLY, 0x37, "Num *"},
    {VK_SUBTRACT, 0x4A, "Num -"},   {VK_ADD, 0x4E, "Num +"},        {VK_DECIMAL, 0x53, "Num Del"},
    {VK_DIVIDE, 0xE035, "Num /"},   {VK_HOME, 0xE047, "Home"},      {VK_UP, 0xE048, "Up"},
    {VK_PRIOR, 0xE049, "Page Up"},  {VK_LEFT, 0xE04B, "Left"},      {VK_RIGHT, 0xE04D, "Right"},
    {VK_END, 0xE04F, "End"},        {VK_DOWN, 0xE050, "Down"},      {VK_NEXT, 0xE051, "Page Down"},
    {VK_INSERT, 0xE052, "Insert"},  {VK_DELETE, 0xE053, "Delete"},  {VK_F11, 0x57, "F11"},
    {VK_F12, 0x58, "F12"},
};
// The keypad's own names where the extended block shares its scan codes.
constexpr KeyEntry kKeypad[] = {
    {VK_NUMPAD0 + 7, 0x47, "Num 7"}, {VK_NUMPAD0 + 8, 0x48, "Num 8"}, {VK_NUMPAD0 + 9, 0x49, "Num 9"},
    {VK_NUMPAD0 + 4, 0x4B, "Num 4"}, {VK_NUMPAD0 + 5, 0x4C, "Num 5"}, {VK_NUMPAD0 + 6, 0x4D, "Num 6"},
    {VK_NUMPAD0 + 1, 0x4F, "Num 1"}, {VK_NUMPAD0 + 2, 0x50, "Num 2"}, {VK_NUMPAD0 + 3, 0x51, "Num 3"},
    {VK_NUMPAD0, 0x52, "Num 0"},     {VK_RETURN, 0xE01C, "Num Enter"},
};
constexpr char kLetterRows[] = "QWERTYUIOP\0\0\0\0ASDFGHJKL\0\0\0\0\0\0ZXCVBNM";

UINT LetterScan(char c) {
    for (UINT i = 0; i < sizeof kLetterRows - 1; ++i)
        if (kLetterRows[i] == c) return 0x10 + i;
    return 0;
}
}  // namespace

UINT MapVirtualKeyA(UINT code, UINT mapType) {
    if (mapType == MAPVK_VK_TO_VSC) {
        if (code >= 'A' && code <= 'Z') return LetterScan(static_cast<char>(code));
        if (code >= '1' && code <= '9') return 0x02 + (code - '1');
        if (code == '0') return 0x0B;
        if (code >= VK_F1 && code <= VK_F1 + 9) return 0x3B + (code - VK_F1);
        for (const KeyEntry& k : kKeys)
            if (k.vk == code) return k.scan;
        for (const KeyEntry& k : kKeypad)
            if (k.vk == code && k.scan < 0xE000) return k.scan;
        return 0;
    }
    if (mapType == MAPVK_VK_TO_CHAR) {
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == VK_SPACE) return code;
        return 0;
    }
    if (mapType == MAPVK_VSC_TO_VK) {
        for (UINT c = 1; c < 0x100; ++c)
            if ((MapVirtualKeyA(c, MAPVK_VK_TO_VSC) & 0xFF) == (code & 0xFF) && code) return c;
    }
    return 0;
}

int GetKeyNameTextA(LONG lParam, LPSTR name, int size) {
    const UINT scan = (static_cast<UINT>(lParam) >> 16) & 0xFF;
    const bool extended = (static_cast<UINT>(lParam) >> 24) & 1;
    const UINT full = scan | (extended ? 0xE000 : 0);
    std::string found;
    for (const KeyEntry& k : kKeys)
        if (k.scan == full) found = k.name;
    for (const KeyEntry& k : kKeypad)
        if (found.empty() && k.scan == full) found = k.name;
    if (found.empty()) {
        if (scan >= 0x02 && scan <= 0x0A) found = std::string(1, static_cast<char>('1' + scan - 0x02));
        else if (scan == 0x0B) found = "0";
        else if (scan >= 0x3B && scan <= 0x44) found = "F" + std::to_string(scan - 0x3B + 1);
        else if (scan >= 0x10 && scan < 0x10 + sizeof kLetterRows - 1 && kLetterRows[scan - 0x10])
            found = std::string(1, kLetterRows[scan - 0x10]);
    }
    if (!name || size <= 0) return 0;
    const int n = std::min(static_cast<int>(found.size()), size - 1);
    std::memcpy(name, found.data(), static_cast<std::size_t>(n));
    name[n] = 0;
    return n;
}

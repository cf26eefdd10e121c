// Keyboard: Qt keys <-> virtual keys, and the key-down state GetKeyState reports.
#include <QInputEvent>

#include <set>

#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

namespace {
struct Pair {
    int qt;
    UINT vk;
};
const Pair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB}, {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU}, {Qt::Key_Pause, VK_PAUSE}, {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN}, {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Slash, 0xBF},
    {Qt::Key_Period, 0xBE}, {Qt::Key_Comma, 0xBC}, {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Equal, 0xBB},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BracketRight, 0xDD}, {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteLeft, 0xC0},
};
std::set<UINT>& Down() {
    thread_local std::set<UINT> d;
    return d;
}
// Keys whose toggle is on: each press (up to down) flips it.
std::set<UINT>& Toggled() {
    thread_local std::set<UINT> t;
    return t;
}
}  // namespace

UINT VirtualKeyOf(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<UINT>(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<UINT>(VK_F1 + (key - Qt::Key_F1));
    for (const Pair& p : kKeys)
        if (p.qt == key) return p.vk;
    return 0;
}

int QtKeyOf(UINT vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return static_cast<int>(vk);
    if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    for (const Pair& p : kKeys)
        if (p.vk == vk) return p.qt;
    return 0;
}

bool KeyIsDown(UINT vk) { return Down().count(vk) != 0; }
bool KeyIsToggled(UINT vk) { return Toggled().count(vk) != 0; }
void SetKeyDown(UINT vk, bool down) {
    if (down) {
        if (Down().insert(vk).second && !Toggled().erase(vk)) Toggled().insert(vk);
    } else {
        Down().erase(vk);
    }
}

void SetModifiersFrom(const QEvent* e) {
    Qt::KeyboardModifiers m;
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        m = static_cast<const QInputEvent*>(e)->modifiers();
        break;
    default:
        return;
    }
    SetKeyDown(VK_SHIFT, m & Qt::ShiftModifier);
    SetKeyDown(VK_CONTROL, m & Qt::ControlModifier);
    SetKeyDown(VK_MENU, m & Qt::AltModifier);
}

HWND& FocusOverride() {
    static HWND h = nullptr;
    return h;
}

}  // namespace afx_detail

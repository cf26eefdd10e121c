// Message-map lookup, command routing and update requests.
#include <QApplication>
#include <QCursor>

#include "platform/afx/ui/menu.h"
#include "platform/afx/ui/ui_private.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

namespace {
bool IsCommandKind(UINT message) { return message == WM_COMMAND || message == WM_NOTIFY; }
UINT EntryMessage(const AFX_MSGMAP_ENTRY* e) { return e->pRegistered ? *e->pRegistered : e->nMessage; }
}  // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (EntryMessage(e) != message || (e->pRegistered && message == 0)) continue;
            if (IsCommandKind(message) || message >= WM_REFLECT_BASE) {
                if (e->nCode != code) continue;
                if (!(message >= WM_REFLECT_BASE) && (id < e->nID || id > e->nLastID)) continue;
            }
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0);
    if (!e) return FALSE;
    AFX_MSGCALL call{message, wParam, lParam, 0, 0, nullptr};
    LRESULT r = e->pfn(this, call);
    if (pResult) *pResult = r;
    return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // Notifications (WM_NOTIFY) carry their code in the low word and the message in the high word.
    UINT message = WM_COMMAND;
    UINT code = static_cast<UINT>(nCode);
    if (HIWORD(static_cast<UINT>(nCode)) == WM_NOTIFY) {
        message = WM_NOTIFY;
        code = LOWORD(static_cast<UINT>(nCode));
        // Entries keep the full notification code (negative numbers); compare its low word.
        for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
            for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
                if (e->nMessage == WM_NOTIFY && LOWORD(e->nCode) == code && nID >= e->nID && nID <= e->nLastID) {
                    if (pHandlerInfo) {
                        pHandlerInfo->pTarget = this;
                        pHandlerInfo->pEntry = e;
                        return TRUE;
                    }
                    AFX_MSGCALL call{WM_NOTIFY, 0, 0, nID, nCode, pExtra};
                    e->pfn(this, call);
                    return TRUE;
                }
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, code, nID);
    if (!e) return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = e;
        return TRUE;
    }
    AFX_MSGCALL call{message, 0, 0, nID, nCode, pExtra};
    return e->pfn(this, call) != 0;
}

namespace {
int g_waitCount = 0;
}

void CCmdTarget::BeginWaitCursor() {
    if (g_waitCount++ == 0 && QCoreApplication::instance()) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CCmdTarget::EndWaitCursor() {
    if (g_waitCount > 0 && --g_waitCount == 0 && QCoreApplication::instance()) QApplication::restoreOverrideCursor();
}

void CCmdTarget::RestoreWaitCursor() {
    if (g_waitCount > 0 && QCoreApplication::instance() && !QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

// Update requests. The base item keeps no state of its own; menus, tool bars,
// status bars and dialog bars derive their items from it.
void CCmdUI::Enable(BOOL on) {
    if (m_pMenu) {
        // A popup's own item is left alone: its items decide.
        if (!m_pSubMenu) m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        m_pOther->EnableWindow(on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
    if (m_pMenu) {
        if (!m_pSubMenu) m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    if (m_pOther) m_pOther->SendMessage(0x00F1 /* BM_SETCHECK */, static_cast<WPARAM>(check), 0);
}

void CCmdUI::SetRadio(BOOL on) {
    SetCheck(on ? 1 : 0);
    // A menu item shows the radio mark instead of the tick when checked.
    if (m_pMenu && !m_pSubMenu)
        ::SetMenuItemBitmaps(m_pMenu->m_hMenu, m_nIndex, MF_BYPOSITION, nullptr, AfxGetRadioCheckBitmap());
}

void CCmdUI::SetText(LPCTSTR text) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)), m_nID, text);
        return;
    }
    if (m_pOther) m_pOther->SetWindowText(text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    if (m_nID == 0 || !target) return TRUE;
    m_bEnableChanged = FALSE;
    BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        // No update handler: enabled exactly when someone handles the command.
        AFX_CMDHANDLERINFO info{};
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return handled;
}

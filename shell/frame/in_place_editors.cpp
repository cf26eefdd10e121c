#include "shell/frame/in_place_editors.h"

#include "shell/frame/file_list_ctrl.h"

namespace {
// Enter ends an edit, Esc cancels it; both give the focus back to the list,
// which ends the edit.
bool EndingKey(const MSG* msg, CFileListCtrl* list) {
    if (msg->message != WM_KEYDOWN || (msg->wParam != VK_RETURN && msg->wParam != VK_ESCAPE)) return false;
    list->EndCellEdit(msg->wParam == VK_ESCAPE);
    return true;
}
}  // namespace

BEGIN_MESSAGE_MAP(CInPlaceCombo, CComboBox)
    ON_WM_KILLFOCUS()
    ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
END_MESSAGE_MAP()

BOOL CInPlaceCombo::PreTranslateMessage(MSG* msg) {
    if (EndingKey(msg, list_)) return TRUE;
    return CComboBox::PreTranslateMessage(msg);
}

void CInPlaceCombo::OnKillFocus(CWnd* next) {
    CComboBox::OnKillFocus(next);
    // A click opens the drop-down list, which takes the focus: the edit goes
    // on until the list closes (CBN_CLOSEUP) or the focus leaves for good.
    if (GetDroppedState() || (next && (next == this || IsChild(next)))) return;
    list_->EndCellEdit(false);
}

void CInPlaceCombo::OnCloseUp() { list_->EndCellEdit(false); }

BEGIN_MESSAGE_MAP(CInPlaceEdit, CEdit)
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

BOOL CInPlaceEdit::PreTranslateMessage(MSG* msg) {
    if (EndingKey(msg, list_)) return TRUE;
    return CEdit::PreTranslateMessage(msg);
}

void CInPlaceEdit::OnKillFocus(CWnd* next) {
    CEdit::OnKillFocus(next);
    list_->EndCellEdit(false);
}

// The page list's cell editors: a drop-down list for the Language and Type
// cells and an edit box for the Resolution cell. Enter, or the focus
// leaving, ends an edit; Esc cancels it. The list is told by EndCellEdit.
#pragma once

#include "platform/afx/afxwin.h"

class CFileListCtrl;

class CInPlaceCombo : public CComboBox {
public:
    explicit CInPlaceCombo(CFileListCtrl* list) : list_(list) {}
    BOOL PreTranslateMessage(MSG* msg) override;
    void PostNcDestroy() override { delete this; }

protected:
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnCloseUp();
    DECLARE_MESSAGE_MAP()

private:
    CFileListCtrl* list_;
};

class CInPlaceEdit : public CEdit {
public:
    explicit CInPlaceEdit(CFileListCtrl* list) : list_(list) {}
    BOOL PreTranslateMessage(MSG* msg) override;
    void PostNcDestroy() override { delete this; }

protected:
    afx_msg void OnKillFocus(CWnd* next);
    DECLARE_MESSAGE_MAP()

private:
    CFileListCtrl* list_;
};

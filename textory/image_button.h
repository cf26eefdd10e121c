// An owner-drawn push button with an icon face and a caption, a flat style
// that shows its border only while hovered or pressed, a check-box mode, a
// tooltip and an attached drop-down icon menu whose chosen command is
// posted to an owner window. A double click counts as a second click: the
// button widget under the framework takes the double click's event as a
// press, so no double-click notification is ever made.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "textory/icon_menu.h"
#include "textory/image_button_painter.h"
#include "textory/image_button_state.h"

class CImageButton : public CButton {
public:
    CImageButton();
    ~CImageButton() override;

    // Creates the button; the style's type decides the check-box mode and
    // the default-button flag, and becomes owner-drawn.
    BOOL Create(LPCTSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    int SetIcon(UINT iconId);
    int SetAlignment(BYTE alignment, BOOL repaint = TRUE);
    int SetDrawBorder(BOOL draw, BOOL repaint = TRUE);
    int SetSeeThrough(BOOL repaint = TRUE);
    int ResetColours(BOOL repaint = TRUE);
    int SetTooltipText(LPCTSTR text, BOOL activate = TRUE);
    int ActivateTooltip(BOOL activate);
    int AttachMenu(UINT menuId, HWND owner, int look, UINT toolbarId, int iconWidth, int iconHeight,
                   COLORREF mask, BOOL repaint = TRUE);
    void CancelHover();

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    const textory::ImageButtonState& State() const { return m_state; }
    textory::ImageButtonState& State() { return m_state; }
    CIconMenu& Menu() { return m_menu; }
    // Tracks the drop-down menu at the button's lower-left corner and posts the
    // chosen command to the owner (what a click does with a menu attached).
    void ShowMenu();

protected:
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnSysColorChange();
    afx_msg BOOL OnClicked();
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnCancelMode();
    afx_msg UINT OnGetDlgCode();
    afx_msg LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
    afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    afx_msg LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
    afx_msg LRESULT OnSetCheck(WPARAM check, LPARAM);
    afx_msg LRESULT OnGetCheck(WPARAM, LPARAM);
    afx_msg LRESULT OnMouseLeave(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    void Repaint(BOOL erase = FALSE);
    void CaptureBackground(CDC& itemDC);
    void FreeFace();

    textory::ImageButtonState m_state;
    textory::ImageButtonColours m_colours;
    CIconMenu m_menu;
    HWND m_menuOwner = nullptr;
    CToolTipCtrl m_tooltip;
    bool m_tooltipCreated = false;
    bool m_tooltipHasTool = false;
    std::string m_tooltipText;
    CDC m_backgroundDC;
    CBitmap m_background;
    CBitmap* m_backgroundOld = nullptr;
    HICON m_icon = nullptr;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
};

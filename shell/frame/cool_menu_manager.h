// The main frame's menus drawn by the program: while a popup is open each
// item shows the image of the tool-bar button with the same command in a
// box at its left, checked items without an image a check mark, disabled
// items embossed; mnemonics are matched here. The manager hooks the frame
// and converts each popup to owner-drawn items when it opens, and back when
// the menu closes.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "shell/frame/cool_menu_model.h"
#include "shell/frame/subclass_wnd.h"

class CCoolMenuManager : public CSubclassWnd {
public:
    CCoolMenuManager();
    ~CCoolMenuManager() override;

    // Hooks `frame`.
    void Install(CFrameWnd* frame);
    // The images of tool-bar resource `id`; FALSE when it is missing or its
    // image size differs from the first tool bar's (whose images stay).
    BOOL LoadToolbar(UINT id);
    BOOL LoadToolbars(const UINT* ids, int count);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Destroy();
    virtual void Refresh();
    virtual void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
    virtual BOOL OnMeasureItem(LPMEASUREITEMSTRUCT mis);
    virtual BOOL OnDrawItem(LPDRAWITEMSTRUCT dis);
    virtual LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
    virtual void OnMenuSelect(UINT id, UINT flags, HMENU menu);

    // Show-buttons, automatic accelerator texts, DrawState for disabled images, disabled images in colour.
    BOOL m_bShowButtons = TRUE;
    BOOL m_bAutoAccel = TRUE;
    BOOL m_bUseDrawState = FALSE;
    BOOL m_bDrawDisabledButtonsInColor = FALSE;

    const MenuButtonImages& Images() const { return images_; }
    const CoolMenuRecords& Records() const { return records_; }
    std::size_t ConvertedMenus() const { return converted_.size(); }
    // The menu font of the system's non-client metrics, made on first use.
    CFont* MenuFont();

private:
    void CopyAccelerators(HACCEL table);
    void ConvertBack();

    CFrameWnd* frame_ = nullptr;
    MenuButtonImages images_;
    std::vector<ACCEL> accelerators_;
    HACCEL copiedFrom_ = nullptr;
    std::vector<HMENU> converted_;
    CoolMenuRecords records_;
    CFont font_;
};

// Menus: menu bars of frames and popup menus, made from menu templates in the
// resources or built by calls, changed by position or command id, shown by
// TrackPopupMenu. Choosing an item sends WM_COMMAND with its id to the
// menu's owner; before a popup opens its owner gets WM_INITMENUPOPUP, where
// the frame runs the items' update handlers. Owner-drawn items are measured
// and drawn by their owner (WM_MEASUREITEM / WM_DRAWITEM).
#pragma once

#include "platform/afx/core/resource.h"
#include "platform/afx/ui/wnd.h"

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u
#define MFS_GRAYED 0x00000003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_ENABLED MF_ENABLED
#define MFS_DEFAULT MF_DEFAULT
#define MF_USECHECKBITMAPS 0x0200u
#define MF_UNHILITE 0x0000u
#define MF_HILITE 0x0080u
#define MF_SYSMENU 0x2000u
#define MF_MOUSESELECT 0x8000u
#define MNC_IGNORE 0
#define MNC_CLOSE 1
#define MNC_EXECUTE 2
#define MNC_SELECT 3
// What GetMenuItemInfo fills: MIIM_STATE, MIIM_ID, MIIM_SUBMENU,
// MIIM_CHECKMARKS (the bitmaps SetMenuItemBitmaps gave), MIIM_DATA.
#define MIIM_STATE 0x0001u
#define MIIM_ID 0x0002u
#define MIIM_SUBMENU 0x0004u
#define MIIM_CHECKMARKS 0x0008u
#define MIIM_DATA 0x0020u
struct MENUITEMINFOA {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    DWORD_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};
using MENUITEMINFO = MENUITEMINFOA;
// A WM_MENUCHAR answer: the item position and one of the MNC_ codes.
#ifndef MAKELRESULT
#define MAKELRESULT(low, high) static_cast<LRESULT>(MAKELONG(low, high))
#endif

class AFX_UI_API CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu() = default;
    ~CMenu() override;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const;
    static CMenu* FromHandle(HMENU menu);
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(LPCTSTR name);
    BOOL LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCE(id)); }
    BOOL DestroyMenu();

    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int pos) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, LPTSTR text, int maxCount, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int pos) const;
    // The item data of an owner-drawn item.
    DWORD_PTR GetItemData(UINT item, UINT flags) const;

    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, LPCTSTR text = nullptr);
    BOOL InsertMenu(UINT pos, UINT flags, UINT_PTR idOrPopup = 0, LPCTSTR text = nullptr);
    BOOL ModifyMenu(UINT pos, UINT flags, UINT_PTR idOrPopup = 0, LPCTSTR text = nullptr);
    BOOL RemoveMenu(UINT pos, UINT flags);
    BOOL DeleteMenu(UINT pos, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags);
    BOOL SetDefaultItem(UINT item, BOOL byPos = FALSE);
    BOOL SetMenuItemBitmaps(UINT item, UINT flags, const class CBitmap* unchecked, const class CBitmap* checked);

    // Shows the popup at screen point (x, y) for `owner`; with TPM_RETURNCMD
    // returns the chosen id (0: none) instead of sending it.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);

private:
    bool m_bTemporary = false;
    friend struct MenuAccess;
};

AFX_UI_API HMENU CreateMenu();
AFX_UI_API HMENU CreatePopupMenu();
AFX_UI_API BOOL DestroyMenu(HMENU menu);
AFX_UI_API HMENU LoadMenu(HINSTANCE module, LPCSTR name);
AFX_UI_API BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, LPCRECT rect);
AFX_UI_API BOOL IsMenu(HMENU menu);
AFX_UI_API BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
AFX_UI_API BOOL SetMenuItemBitmaps(HMENU menu, UINT item, UINT flags, HBITMAP unchecked, HBITMAP checked);
// The framework's radio-check bitmap (13 x 13, monochrome): the checked
// bitmap that CCmdUI::SetRadio gives menu items, a dot instead of a tick.
// One for the process; owners may repaint it.
AFX_UI_API HBITMAP AfxGetRadioCheckBitmap();

// Menu handlers with a CMenu argument.
template <class C, auto F>
LRESULT afx_thunk::InitMenuPopup(CCmdTarget* t, AFX_MSGCALL& c) {
    void (C::*f)(CMenu*, UINT, BOOL) = F;
    (static_cast<C*>(t)->*f)(CMenu::FromHandle(reinterpret_cast<HMENU>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam));
    return 0;
}
template <class C, auto F>
LRESULT afx_thunk::MenuChar(CCmdTarget* t, AFX_MSGCALL& c) {
    LRESULT (C::*f)(UINT, UINT, CMenu*) = F;
    return (static_cast<C*>(t)->*f)(LOWORD(c.wParam), HIWORD(c.wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(c.lParam)));
}

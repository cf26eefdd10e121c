// An owner-drawn menu built from a menu resource: every popup item is drawn
// by the menu itself, accelerator texts are lined up in one column, items can
// carry icons, and the items are drawn in the classic or the flat look (see
// icon_menu_look.h). The menu bar's own items stay plain strings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "textory/icon_menu_look.h"

class CIconMenu : public CMenu {
public:
    struct ItemRecord {
        std::u16string text;  // accelerator after a tab
        int iconIndex = -1;   // into the shared image list, -1 when none
        UINT flags = 0;       // always with MF_OWNERDRAW
        UINT_PTR id = 0;      // command id, or the popup's handle
        int matched = 0;
    };

    CIconMenu();
    ~CIconMenu() override;
    CIconMenu(const CIconMenu&) = delete;
    CIconMenu& operator=(const CIconMenu&) = delete;

    BOOL LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCE(id)); }
    BOOL LoadMenu(LPCTSTR name);
    // Builds the menu from a template in memory; FALSE (the menu unchanged)
    // for a malformed one.
    BOOL LoadMenuTemplate(const BYTE* data, size_t size);
    BOOL AppendIconItem(UINT flags, UINT_PTR idOrPopup, const std::u16string& text, int iconIndex = -1);
    BOOL SetItemIcon(const char16_t* text, UINT id, CImageList* list, int index);
    // Icons for the items from a tool-bar resource and the bitmap of the same
    // id (current resource module first, then the program's own): each button
    // that this menu holds gives its item the button's image. The icon size
    // grows to the tool bar's image size. FALSE when either resource is missing.
    BOOL LoadToolBarIcons(UINT toolbarId);
    void SetMaskColor(COLORREF colour);
    void SetIconExtent(int width, int height);
    BOOL GetItemText(UINT item, CString& text, UINT flags) const;
    // The WM_MENUCHAR answer for a character typed in one of this menu's popups.
    LRESULT FindMnemonic(UINT ch, UINT flags, CMenu* menu);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    BOOL DestroyMenu();

    const std::vector<std::unique_ptr<ItemRecord>>& Records() const { return m_records; }
    const std::vector<HMENU>& SubMenus() const { return m_subMenus; }
    int IconWidth() const { return m_iconWidth; }
    int IconHeight() const { return m_iconHeight; }

private:
    friend class IconMenuBuilder;
    void ResyncItems();
    void AlignAccelerators();
    void RelabelTopLevel();
    CIconMenu* FindLevelOf(UINT id);

    std::vector<std::unique_ptr<ItemRecord>> m_records;
    std::vector<HMENU> m_subMenus;
    std::vector<std::unique_ptr<CIconMenu>> m_ownedPopups;
    int m_iconWidth = 16;
    int m_iconHeight = 15;
    COLORREF m_maskColour = 0xC0C0C0;
    int m_useMaskColour = 0;
    int m_loaded = 0;
};

// TRUE when an icon menu created this menu handle (and has not destroyed it).
BOOL IsMenuRegistered(HMENU menu);
// How many handles the registry holds.
size_t RegisteredMenuCount();

namespace textory {
// The text measured for accelerator alignment and item widths, with the menu
// font of the main window (or the desktop) selected.
int MeasureMenuText(const std::u16string& text);
}  // namespace textory

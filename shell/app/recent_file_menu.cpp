#include "shell/app/recent_file_menu.h"

namespace {
constexpr int kDisplayLength = 30;
}

CScribantRecentFileList::CScribantRecentFileList(int size)
    : CRecentFileList(0, "Recent File List", "File%d", size, kDisplayLength) {}

void CScribantRecentFileList::UpdateMenu(CCmdUI* ui) {
    if (!ui || !ui->m_pSubMenu) {
        CRecentFileList::UpdateMenu(ui);
        return;
    }
    // The item opens a submenu whose first item is the list's: the entries
    // are laid out in that submenu, as they would be in place of the item.
    CCmdUI inner;
    inner.m_nID = ui->m_nID;
    inner.m_pMenu = ui->m_pSubMenu;
    inner.m_pParentMenu = ui->m_pMenu;
    inner.m_nIndex = 0;
    inner.m_nIndexMax = ui->m_pSubMenu->GetMenuItemCount();
    CRecentFileList::UpdateMenu(&inner);
    ui->m_bEnableChanged = TRUE;
}

#include "shell/frame/search_tool_bar.h"

#include "shell/frame/cool_menu_model.h"

BEGIN_MESSAGE_MAP(CSearchToolBar, CToolBar)
    ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
    ON_COMMAND(ID_SEARCH_ENGINE_1, OnSearchEngine1)
    ON_COMMAND(ID_SEARCH_ENGINE_2, OnSearchEngine2)
END_MESSAGE_MAP()

CPoint CSearchToolBar::EnginePopupPoint(const CRect& buttonOnScreen, int screenWidth) {
    return CPoint(PopupLeftOnScreen(buttonOnScreen.left, kMenuWidth, screenWidth), buttonOnScreen.bottom);
}

void CSearchToolBar::ShowEngineMenu() {
    CRect button;
    GetItemRect(kEngineButton, &button);
    ClientToScreen(&button);
    CMenu menu;
    if (!menu.LoadMenu(kEngineMenu)) return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup) return;
    const CPoint at = EnginePopupPoint(button, ::GetSystemMetrics(SM_CXSCREEN));
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, at.x, at.y, this);
}

void CSearchToolBar::OnDropDown(NMHDR* header, LRESULT* result) {
    const auto* note = reinterpret_cast<const NMTOOLBARA*>(header);
    if (note && note->iItem == static_cast<int>(GetItemID(kEngineButton))) ShowEngineMenu();
    if (result) *result = 0;
}

void CSearchToolBar::ChooseEngine(int engine) {
    m_nEngine = engine;
    UINT id = 0, style = 0;
    int image = 0;
    GetButtonInfo(kEngineButton, id, style, image);
    SetButtonInfo(kEngineButton, id, style, engine == 0 ? 2 : 3);
}

void CSearchToolBar::OnSearchEngine1() { ChooseEngine(0); }
void CSearchToolBar::OnSearchEngine2() { ChooseEngine(1); }

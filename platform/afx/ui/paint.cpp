// The background colour of framework windows.
#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

QColor BackgroundOf(CWnd* wnd) {
    // Dialogs and bars take the face colour, other windows the window colour.
    if (wnd && (wnd->m_strClass == "#32770" || wnd->m_strClass.CompareNoCase("AfxControlBar") == 0 ||
                wnd->m_strClass.CompareNoCase("AfxSplitter") == 0))
        return QColor(0xF0, 0xF0, 0xF0);
    return Qt::white;
}

}  // namespace afx_detail

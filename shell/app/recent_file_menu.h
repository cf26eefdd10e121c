// The recent-file list of Scribant's File menu: the framework's list, shown
// 30 characters wide at most, whose entries go into a submenu when the
// menu item where they belong opens one.
#pragma once

#include "platform/afx/afxwin.h"

class CScribantRecentFileList : public CRecentFileList {
public:
    CScribantRecentFileList(int size);
    void UpdateMenu(CCmdUI* ui) override;
};

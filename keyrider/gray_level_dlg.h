// Dialog 166 "Color": a gray level 0..255 chosen on a trackbar, the number
// shown beside it and the gray itself in the picture below.
#pragma once

#include "platform/afx/afxwin.h"

namespace keyrider {

class CGrayLevelDlg : public CDialog {
public:
    CGrayLevelDlg(int level, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    int Level() const { return level_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void showNumber(int level);
    int shownLevel() const;
    int level_;
};

}  // namespace keyrider

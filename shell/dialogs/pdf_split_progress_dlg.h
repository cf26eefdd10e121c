// The split progress window of a multi-page PDF (template 274), modeless,
// over CSplitProgressController. "中止" asks the split to stop; the window
// stays until Destroy.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/dialogs/split_progress_controller.h"

#define IDC_SPLIT_BAR 1117
#define IDC_SPLIT_STATUS 1118
#define IDC_SPLIT_FILE 1119

class CPdfSplitProgressDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 274;

    // FALSE when the template cannot be loaded; the other calls then change nothing.
    BOOL Create(CWnd* owner);
    void SetRange(int pages);
    // 0 when the user stopped, else 1.
    int Step(int position, int pageCount, int pageIndex);
    void SetFileName(const std::string& name);
    void Destroy();

    const CSplitProgressController& Controller() const { return controller_; }
    void OnCancel() override;

private:
    CSplitProgressController controller_;
    CWnd* owner_ = nullptr;
};

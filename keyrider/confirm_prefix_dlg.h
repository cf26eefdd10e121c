// The Confirm Prefix Name dialog (10001): the prefix of serial file names,
// the saving folder and whether to ask again, shown before a job names its
// files. The window only moves text between its controls and the model.
#pragma once

#include "keyrider/confirm_prefix_model.h"
#include "platform/afx/afxwin.h"

namespace keyrider {

class CConfirmPrefixDlg : public CDialog {
public:
    // `message10` is the text shown for a prefix that cannot name files.
    CConfirmPrefixDlg(ConfirmPrefixModel& model, std::string message10, std::string caption, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnPrefixChange();
    afx_msg void OnFolderChosen();
    afx_msg void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    void refuse();
    void fillFolders();
    ConfirmPrefixModel& model_;
    std::string message10_, caption_;
    bool restoring_ = false;
};

}  // namespace keyrider

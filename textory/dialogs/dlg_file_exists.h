// The file-exists question of a scanned page outside task-bar mode (modal
// dialog 375, caption "Textory", topmost): the message names the file, and
// the answer is 6 for "是" (replace it), 2 for "取消" (drop the page) or 7
// for "换名" (choose another name).
#pragma once

#include <string>

#include "platform/afx/afxwin.h"

class CDlgFileExists : public CDialog {
public:
    static constexpr UINT kTemplate = 375;
    static constexpr UINT kMessageId = 1176;
    static constexpr UINT kRenameButton = 3;
    static constexpr int kReplace = 6;
    static constexpr int kCancel = 2;
    static constexpr int kRename = 7;

    // `message` in the program's ANSI code page.
    CDlgFileExists(std::string message, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnRename();
    DECLARE_MESSAGE_MAP()

private:
    std::string message_;
};

// String 61249 with the path, as the user knows it, in place of its "%1".
std::string FileExistsMessage(const std::string& path);

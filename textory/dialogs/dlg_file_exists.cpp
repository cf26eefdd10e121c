#include "textory/dialogs/dlg_file_exists.h"

#include "platform/win/codepage.h"
#include "platform/win/path.h"

namespace {
constexpr UINT kAskReplace = 61249;  // "%1此文件已经存在。是否替换该文件？"
}  // namespace

BEGIN_MESSAGE_MAP(CDlgFileExists, CDialog)
ON_COMMAND(CDlgFileExists::kRenameButton, OnRename)
END_MESSAGE_MAP()

std::string FileExistsMessage(const std::string& path) {
    CString text;
    std::string message = text.LoadString(kAskReplace) && !text.IsEmpty()
                              ? std::string(text.GetString())
                              : suite::Utf8ToAnsi("%1此文件已经存在。是否替换该文件？");
    return AfxFormatText(message.c_str(), suite::ShownPath(path).c_str()).str();
}

CDlgFileExists::CDlgFileExists(std::string message, CWnd* parent)
    : CDialog(kTemplate, parent), message_(std::move(message)) {}

BOOL CDlgFileExists::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(kMessageId, message_.c_str());
    // Above every other window, so the question is never hidden behind the task bar.
    SetWindowPos(reinterpret_cast<const CWnd*>(HWND_TOPMOST), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

void CDlgFileExists::OnOK() { EndDialog(kReplace); }

void CDlgFileExists::OnCancel() { EndDialog(kCancel); }

void CDlgFileExists::OnRename() { EndDialog(kRename); }

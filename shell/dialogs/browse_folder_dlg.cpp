#include "shell/dialogs/browse_folder_dlg.h"

#include <filesystem>
#include <utility>

#include "platform/afx/ui/msgbox.h"
#include "platform/win/path.h"

namespace {

constexpr int kStatusLineId = 14147;
constexpr int kFolderListId = 14145;

// The edit box: while it holds text, OK may be pressed.
class CFolderPathEdit : public CEdit {
public:
    afx_msg void OnChange() {
        CString text;
        GetWindowText(text);
        if (CWnd* dialog = GetParent())
            dialog->SendMessage(BFFM_ENABLEOK, 0,
                                CBrowseFolderController::OkEnabledForText(text.GetString()) ? 1 : 0);
    }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFolderPathEdit, CEdit)
    ON_CONTROL_REFLECT(EN_CHANGE, OnChange)
END_MESSAGE_MAP()

}  // namespace

CBrowseFolderDlg::CBrowseFolderDlg(std::string title, std::string prompt, std::string startFolder, CWnd* owner)
    : title_(std::move(title)), prompt_(std::move(prompt)), start_(std::move(startFolder)), owner_(owner) {
    ask = [](const std::string& question) {
        return AfxMessageBox(question.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
}

int CBrowseFolderDlg::DoModal() {
    chosen_ = false;
    path_.clear();
    char name[MAX_PATH] = {};
    BROWSEINFO info{};
    info.hwndOwner = owner_ ? owner_->GetSafeHwnd() : nullptr;
    info.pszDisplayName = name;
    info.lpszTitle = prompt_.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = &CBrowseFolderDlg::Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    const bool ownerEnabled = owner_ && owner_->GetSafeHwnd() && owner_->IsWindowEnabled();
    if (LPITEMIDLIST list = SHBrowseForFolder(&info)) CoTaskMemFree(list);
    if (ownerEnabled && !owner_->IsWindowEnabled()) owner_->EnableWindow(TRUE);
    edit_ = nullptr;
    return chosen_ ? 1 : -1;
}

int CBrowseFolderDlg::Callback(HWND dialog, UINT message, LPARAM data, LPARAM self) {
    auto* me = reinterpret_cast<CBrowseFolderDlg*>(self);
    switch (message) {
    case BFFM_INITIALIZED: me->onInitialized(dialog); return 0;
    case BFFM_SELCHANGED: me->onSelectionChanged(dialog, reinterpret_cast<const char*>(data)); return 0;
    case BFFM_OKPRESSED: return me->onOk(dialog);
    default: return 0;
    }
}

void CBrowseFolderDlg::onInitialized(HWND dialog) {
    CWnd* window = CWnd::FromHandle(dialog);
    if (!title_.empty()) window->SetWindowText(title_.c_str());
    if (CWnd* status = window->GetDlgItem(kStatusLineId)) status->ShowWindow(SW_HIDE);
    // The edit box fills the strip just above the folders.
    if (CWnd* folders = window->GetDlgItem(kFolderListId)) {
        CRect list;
        folders->GetWindowRect(&list);
        window->ScreenToClient(&list);
        auto* edit = new CFolderPathEdit;
        const CRect strip(list.left, list.top - 27, list.right, list.top - 4);
        if (edit->CreateEx(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, strip,
                           window, IDC_BROWSE_FOLDER_EDIT)) {
            edit->SetFont(window->GetFont());
            edit_ = edit;
        } else {
            delete edit;
        }
    }
    std::error_code ec;
    const std::string start =
        start_.empty() ? suite::WindowsPath(std::filesystem::current_path(ec).string()) : start_;
    window->SendMessage(BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
}

void CBrowseFolderDlg::onSelectionChanged(HWND dialog, const char* path) {
    const auto selection = CBrowseFolderController::Select(path ? path : "");
    CWnd* window = CWnd::FromHandle(dialog);
    window->SendMessage(BFFM_ENABLEOK, 0, selection.okEnabled ? 1 : 0);
    window->SendMessage(BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(selection.shown.c_str()));
    if (edit_) edit_->SetWindowText(selection.shown.c_str());
}

int CBrowseFolderDlg::onOk(HWND) {
    CString typed;
    if (edit_) edit_->GetWindowText(typed);
    std::string path, message;
    const int code = CBrowseFolderController::CheckFolder(typed.GetString(), ask, path, message);
    if (code != CBrowseFolderController::kFolderReady) {
        if (!message.empty()) AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
        if (edit_) edit_->SetFocus();
        return 1;  // the dialog stays
    }
    path_ = path;
    chosen_ = true;
    return 0;
}

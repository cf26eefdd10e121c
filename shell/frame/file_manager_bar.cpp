#include "shell/frame/file_manager_bar.h"

#include "shell/shell_services.h"

namespace {
constexpr UINT kListId = 1001;
constexpr UINT kScanNameId = 1002;
constexpr int kEditHeight = 22;
}  // namespace

BEGIN_MESSAGE_MAP(CFileManagerBar, CControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CFileManagerBar::Create(CFrameWnd* frame, UINT id, int width) {
    width_ = width;
    if (!CreateBar(frame, WS_CHILD | WS_VISIBLE | CBRS_LEFT, id, "FileBar")) return FALSE;
    SetBorders(2, 2, 2, 2);
    if (!scanName_.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(0, 0, width, kEditHeight), this,
                          kScanNameId))
        return FALSE;
    scanName_.LimitText(static_cast<int>(kScanNameMax));
    return list_.Create(this, kListId);
}

CSize CFileManagerBar::CalcFixedLayout(BOOL, BOOL horz) {
    CSize size(width_, 32767);
    StretchToParent(size, horz);
    return size;
}

void CFileManagerBar::OnSize(UINT, int cx, int cy) {
    if (scanName_.GetSafeHwnd()) scanName_.MoveWindow(2, 2, cx - 4, kEditHeight);
    if (list_.GetSafeHwnd()) list_.MoveWindow(2, kEditHeight + 4, cx - 4, cy - kEditHeight - 6);
}

std::string CFileManagerBar::ScanName() const {
    if (!scanName_.GetSafeHwnd()) return {};
    CString text;
    scanName_.GetWindowText(text);
    std::string name = text.GetString();
    if (name.size() > kScanNameMax) name.resize(kScanNameMax);
    return name;
}

void CFileManagerBar::SetScanName(const std::string& name) {
    if (scanName_.GetSafeHwnd()) scanName_.SetWindowText(name.c_str());
}

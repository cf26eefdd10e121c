#include "shell/frame/file_manager_bar.h"

#include "shell/dialogs/browse_folder_dlg.h"
#include "shell/frame/my_contrl_bar.h"
#include "shell/frame/scan_name_folder.h"
#include "shell/shell_services.h"

namespace {
constexpr UINT kBrowseTitle = 61456;   // "浏览文件夹"
constexpr UINT kBrowsePrompt = 61460;  // "选择保存图像的文件夹"
constexpr int kBoxHeight = 18;
constexpr int kButtonWidth = 48;
}  // namespace

BEGIN_MESSAGE_MAP(CFileManagerBar, CStretchBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_STRIPBUTTON, OnStripButton)
END_MESSAGE_MAP()

BOOL CFileManagerBar::Create(CFrameWnd* frame, UINT id, bool traditional) {
    traditional_ = traditional;
    if (!CStretchBar::Create(frame, WS_CHILD | CBRS_LEFT, id)) return FALSE;
    SetBorders(0, 0, 0, 0);
    return TRUE;
}

int CFileManagerBar::OnCreate(LPCREATESTRUCT cs) {
    if (CStretchBar::OnCreate(cs) == -1) return -1;
    if (!list_.Create(this, kListId)) return -1;
    if (!scanName_.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(49, 1, 149, 1 + kBoxHeight), this,
                          kScanNameId))
        return -1;
    scanName_.LimitText(static_cast<int>(kScanNameMax));
    const UINT bitmap = traditional_ ? kFolderBitmapTraditional : kFolderBitmap;
    if (!strip_.Create(CRect(1, 1, 1 + kButtonWidth, 1 + kBoxHeight), TRUE, 1, kButtonWidth, kBoxHeight, &bitmap, this))
        return -1;
    return 0;
}

void CFileManagerBar::OnSize(UINT, int cx, int cy) {
    if (scanName_.GetSafeHwnd()) scanName_.MoveWindow(49, 1, cx - 50, kBoxHeight);
    if (strip_.GetSafeHwnd()) strip_.MoveWindow(1, 1, kButtonWidth, kBoxHeight);
    if (list_.GetSafeHwnd()) list_.Resize(cx, cy);
}

void CFileManagerBar::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    dc.Draw3dRect(&client, RGB(0, 0, 0), RGB(0, 0, 0));
}

void CFileManagerBar::OnTimer(UINT_PTR) {}

void CFileManagerBar::OnDestroy() {
    CStretchBar::OnDestroy();
    if (list_.GetSafeHwnd()) list_.DeleteAllItems();
}

LRESULT CFileManagerBar::OnStripButton(WPARAM, LPARAM lParam) {
    if (lParam == 0) BrowseFolder();
    return 1;
}

void CFileManagerBar::BrowseFolder() {
    const ScanNameParts parts = SplitScanName(ScanName());
    CString title, prompt;
    title.LoadString(kBrowseTitle);
    prompt.LoadString(kBrowsePrompt);
    CBrowseFolderDlg browser(title.GetString(), prompt.GetString(), parts.folder, this);
    if (browser.DoModal() == 1) SetScanName(JoinScanName(browser.GetFolderPath(), parts.file));
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

int CFileManagerBar::Width() const {
    if (auto* dock = dynamic_cast<CMyContrlBar*>(GetParent())) return dock->Size();
    return width_;
}

void CFileManagerBar::SetWidth(int width) {
    width_ = width;
    SetFallbackSize(CSize(width, 200));
    if (auto* dock = dynamic_cast<CMyContrlBar*>(GetParent())) dock->SetSize(width);
}

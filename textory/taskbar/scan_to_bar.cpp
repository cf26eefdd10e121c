#include "textory/taskbar/scan_to_bar.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CScanToBar, CDialogBar)
ON_WM_SIZE()
ON_CBN_EDITCHANGE(CScanToBar::kComboId, OnTargetEdited)
ON_CBN_SELCHANGE(CScanToBar::kComboId, OnTargetPicked)
END_MESSAGE_MAP()

namespace {
constexpr int kClosedHeight = 22;

// The button "扫描到:" and the target box at a bar width of `width`; widths
// under 200 keep the places of a 200-pixel bar.
struct ScanToBarLayout {
    RECT button;
    RECT combo;
};
ScanToBarLayout LayoutScanToBar(int width) {
    const int w = std::max(width, 200);
    return {RECT{2, 3, 64, 25}, RECT{70, 2, 70 + (w - 90), 2 + 178}};
}
}  // namespace

BOOL CScanToBar::Create(CWnd* frame) {
    if (!CDialogBar::Create(frame, kTemplate, CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY, kBarId)) return FALSE;
    CRect client;
    GetClientRect(&client);
    place(client.Width());
    return TRUE;
}

CComboBox* CScanToBar::combo() const { return static_cast<CComboBox*>(GetDlgItem(kComboId)); }

std::string CScanToBar::Target() const {
    CComboBox* box = combo();
    if (!box) return {};
    CString text;
    box->GetWindowText(text);
    return text.GetString();
}

void CScanToBar::SetTarget(const std::string& path) {
    if (CComboBox* box = combo()) box->SetWindowText(path.c_str());
}

void CScanToBar::SetHistory(const std::vector<std::string>& newestFirst) {
    CComboBox* box = combo();
    if (!box) return;
    const std::string text = Target();
    box->ResetContent();
    for (const std::string& path : newestFirst) box->AddString(path.c_str());
    box->SetWindowText(text.c_str());
}

std::vector<std::string> CScanToBar::History() const {
    std::vector<std::string> items;
    CComboBox* box = combo();
    if (!box) return items;
    for (int i = 0; i < box->GetCount(); ++i) {
        CString item;
        box->GetLBText(i, item);
        items.emplace_back(item.GetString());
    }
    return items;
}

void CScanToBar::place(int width) {
    // Narrower than 200 pixels the controls keep their last places.
    if (width < 200) return;
    const ScanToBarLayout layout = LayoutScanToBar(width);
    if (CWnd* button = GetDlgItem(kButtonId))
        button->MoveWindow(layout.button.left, layout.button.top, layout.button.right - layout.button.left,
                           layout.button.bottom - layout.button.top);
    // The box's closed face is one line high; its list drops down over the views.
    if (CComboBox* box = combo())
        box->MoveWindow(layout.combo.left, layout.combo.top, layout.combo.right - layout.combo.left, kClosedHeight);
}

void CScanToBar::OnSize(UINT type, int cx, int cy) {
    CDialogBar::OnSize(type, cx, cy);
    place(cx);
}

void CScanToBar::OnTargetEdited() {
    if (onTargetEdited) onTargetEdited(Target());
}

void CScanToBar::OnTargetPicked() {
    CComboBox* box = combo();
    if (!box || !onTargetEdited) return;
    const int index = box->GetCurSel();
    if (index < 0) return;
    CString item;
    box->GetLBText(index, item);
    onTargetEdited(item.GetString());
}

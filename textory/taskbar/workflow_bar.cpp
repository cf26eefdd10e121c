#include "textory/taskbar/workflow_bar.h"

#include "platform/win/codepage.h"
#include "textory/app/textory_ids.h"
#include "textory/taskbar/workflow_bar_renderer.h"

namespace {
// The progress strip over the step text (wParam position or -1, lParam total).
constexpr UINT kProgressMessage = WM_USER + 272;
}  // namespace

BEGIN_MESSAGE_MAP(CWorkflowBar, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCHITTEST()
ON_WM_LBUTTONUP()
ON_MESSAGE(kProgressMessage, OnProgress)
END_MESSAGE_MAP()

CWorkflowBar::CWorkflowBar(textory::CWorkflowBarState& state, Links links) : state_(state), links_(std::move(links)) {}

CWorkflowBar::~CWorkflowBar() {
    if (m_hWnd) DestroyWindow();
}

BOOL CWorkflowBar::Create() {
    CString title;
    if (!title.LoadString(IDS_TEXTORY_IDLE)) title = "Textory";
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, title.GetString(), WS_POPUP, 0, 0,
                    textory::kWorkflowBarWidth, textory::kWorkflowBarHeight, nullptr, nullptr);
}

void CWorkflowBar::SetStepText(const std::string& ansi) {
    state_.SetStepText(suite::AnsiToUtf8(ansi));
    if (m_hWnd) Invalidate(FALSE);
}

void CWorkflowBar::OnPaint() {
    CPaintDC dc(this);
    int lang = links_.langCode ? links_.langCode() : 0;
    textory::PaintWorkflowBar(dc, state_, lang);
}

BOOL CWorkflowBar::OnEraseBkgnd(CDC*) { return TRUE; }

LRESULT CWorkflowBar::OnNcHitTest(CPoint screen) {
    CPoint client = screen;
    ScreenToClient(&client);
    // The bar's own background is its caption: a press there drags the bar.
    return textory::WorkflowBarControlAt(client) == 0 ? HTCAPTION : HTCLIENT;
}

void CWorkflowBar::OnLButtonUp(UINT, CPoint point) {
    if (const int control = textory::WorkflowBarControlAt(point)) ClickControl(control);
}

CPoint CWorkflowBar::MenuPoint(int control) const {
    for (const textory::BarControlPlace& p : textory::WorkflowBarLayout()) {
        if (p.control != control) continue;
        CPoint at(p.rect.left, p.rect.bottom);
        ClientToScreen(&at);
        return at;
    }
    return CPoint(0, 0);
}

void CWorkflowBar::popupMenu(int control, UINT menuId) {
    CMenu menu;
    if (!menu.LoadMenu(menuId)) return;
    CMenu* popup = menu.GetSubMenu(0);
    CWnd* frame = links_.mainFrame ? links_.mainFrame() : nullptr;
    if (!popup || !frame) return;
    const CPoint at = MenuPoint(control);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, frame);
    // The choice may have changed a caption.
    if (m_hWnd) Invalidate(FALSE);
}

void CWorkflowBar::ClickControl(int control) {
    const textory::BarAction action = state_.OnClick(control);
    CWnd* frame = links_.mainFrame ? links_.mainFrame() : nullptr;
    switch (action.kind) {
    case textory::BarAction::kRepaint: Invalidate(FALSE); break;
    case textory::BarAction::kRunNextStep:
        if (frame) frame->PostMessage(WM_RUNNEXTSTEP, 0, 0);
        break;
    case textory::BarAction::kPopupMenu: popupMenu(control, action.id); break;
    case textory::BarAction::kRedesignate:
        if (links_.startRedesignation) links_.startRedesignation();
        break;
    case textory::BarAction::kProofread:
        if (links_.startProofreading) links_.startProofreading();
        break;
    case textory::BarAction::kCommand:
        if (frame) frame->SendMessage(WM_COMMAND, action.id, 0);
        break;
    default: break;
    }
}

LRESULT CWorkflowBar::OnProgress(WPARAM wParam, LPARAM lParam) {
    state_.OnProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    Invalidate(FALSE);
    return 0;
}

#include "textory/taskbar/workflow_bar.h"

#include "platform/win/codepage.h"
#include "textory/app/textory_ids.h"
#include "textory/taskbar/step_text_painter.h"

namespace {

// The progress strip over the step text (wParam position or -1, lParam total).
constexpr UINT kProgressMessage = WM_USER + 272;
constexpr int kFaceSize = 16;
constexpr COLORREF kFaceMask = 0xFF00FF;

// The bar's image buttons: id, face (0: caption only), tool tip (UTF-8), the
// menu it drops down (0: none) and the tool bar its items' icons come from.
struct ImageButtonPlan {
    int control;
    UINT face;
    const char* tooltip;
    UINT menu;
    UINT menuIcons = 0;
};
constexpr ImageButtonPlan kImageButtons[] = {
    {textory::kBarMenuButton, 128, "Textory", textory::kTaskBarMenu, textory::kTaskBarMenu},
    {textory::kBarScanButton, 0, nullptr, 0},  // face and tip follow the output choice
    {textory::kBarOutputChoice, 0, "选择输出方式", 0},
    {textory::kBarRecognizeButton, 328, "重新识别", 0},
    {textory::kBarProofreadButton, 334, "重新校对", 0},
    {textory::kBarReadButton, 372, "启动Lectiva", 0},
    {textory::kBarResolutionButton, 0, "扫描分辨率", textory::kResolutionMenu},
    {textory::kBarImageTypeButton, 0, "扫描图像类型", textory::kImageTypeMenu},
    {textory::kBarLanguageButton, 0, "扫描文档类型", textory::kLanguageMenu},
};
static_assert(std::size(kImageButtons) == 9);

std::string ansi(const std::string& utf8) { return suite::Utf8ToAnsi(utf8); }

}  // namespace

BEGIN_MESSAGE_MAP(CWorkflowBar, CSkinDialog)
ON_WM_NCHITTEST()
ON_WM_DRAWITEM()
ON_MESSAGE(kProgressMessage, OnProgress)
END_MESSAGE_MAP()

CWorkflowBar::CWorkflowBar(textory::CWorkflowBarState& state, Links links)
    : CSkinDialog(kTemplate), state_(state), links_(std::move(links)) {}

CWorkflowBar::~CWorkflowBar() {
    if (m_hWnd) DestroyWindow();
}

BOOL CWorkflowBar::Create() { return CSkinDialog::Create(kTemplate, nullptr); }

BOOL CWorkflowBar::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    Load(kSkinBitmap);
    CString title;
    if (!title.LoadString(IDS_TEXTORY_IDLE)) title = "Textory";
    SetWindowText(title);
    HWND owner = nullptr;
    if (CWnd* frame = links_.mainFrame ? links_.mainFrame() : nullptr) owner = frame->GetSafeHwnd();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const ImageButtonPlan& plan = kImageButtons[i];
        CImageButton& button = buttons_[i];
        if (!button.SubclassDlgItem(plan.control, this)) continue;
        if (plan.face) button.SetIcon(plan.face);
        if (plan.tooltip) button.SetTooltipText(ansi(plan.tooltip).c_str());
        // The chosen command goes to the main frame, whose handlers change
        // the settings and refresh the captions here.
        if (plan.menu) button.AttachMenu(plan.menu, owner, 0, plan.menuIcons, kFaceSize, kFaceSize, kFaceMask, FALSE);
    }
    Refresh();
    return TRUE;
}

CImageButton* CWorkflowBar::Button(int control) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (kImageButtons[i].control == control) return buttons_[i].GetSafeHwnd() ? &buttons_[i] : nullptr;
    return nullptr;
}

void CWorkflowBar::Refresh() {
    if (!m_hWnd) return;
    if (CImageButton* scan = Button(textory::kBarScanButton)) {
        scan->SetIcon(state_.ScanFace());
        scan->SetTooltipText(ansi(state_.ScanTooltip()).c_str());
    }
    if (CImageButton* choice = Button(textory::kBarOutputChoice)) choice->SetIcon(state_.OutputChoiceFace());
    const int lang = links_.langCode ? links_.langCode() : 0;
    if (CWnd* b = Control(textory::kBarResolutionButton)) b->SetWindowText(ansi(state_.ResolutionCaption()).c_str());
    if (CWnd* b = Control(textory::kBarImageTypeButton)) b->SetWindowText(ansi(state_.ImageTypeCaption()).c_str());
    if (CWnd* b = Control(textory::kBarLanguageButton)) b->SetWindowText(ansi(state_.LanguageCaption(lang)).c_str());
    CheckRadioButton(textory::kBarAutomaticRadio, textory::kBarSingleStepRadio,
                     state_.SingleStep() ? textory::kBarSingleStepRadio : textory::kBarAutomaticRadio);
    CheckDlgButton(textory::kBarSelLayoutCheck, state_.SelLayout() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(textory::kBarCreateToWordCheck, state_.CreateToWord() ? BST_CHECKED : BST_UNCHECKED);
    if (CWnd* b = Control(textory::kBarProofreadButton)) b->EnableWindow(state_.ProofreadEnabled());
    if (CWnd* step = Control(textory::kBarStepText)) step->Invalidate(FALSE);
}

void CWorkflowBar::SetStepText(const std::string& ansiText) {
    state_.SetStepText(suite::AnsiToUtf8(ansiText));
    if (CWnd* step = m_hWnd ? Control(textory::kBarStepText) : nullptr) step->Invalidate(FALSE);
}

BOOL CWorkflowBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int control = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        // The button's own handler first: an image button drops its menu down.
        CWnd* button = CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT result = 0;
        if (button && button != this && button->OnChildNotify(WM_COMMAND, wParam, lParam, &result)) return TRUE;
        click(control);
        return TRUE;
    }
    return CSkinDialog::OnCommand(wParam, lParam);
}

void CWorkflowBar::click(int control) {
    const textory::BarAction action = state_.OnClick(control);
    CWnd* frame = links_.mainFrame ? links_.mainFrame() : nullptr;
    switch (action.kind) {
    case textory::BarAction::kRepaint: Refresh(); break;
    case textory::BarAction::kRunNextStep:
        if (frame) frame->PostMessage(WM_RUNNEXTSTEP, 0, 0);
        break;
    case textory::BarAction::kPopupMenu:
        // The image button dropped its menu down itself; the chosen command
        // is on its way to the main frame.
        break;
    case textory::BarAction::kRedesignate:
        if (links_.startRedesignation) links_.startRedesignation();
        break;
    case textory::BarAction::kProofread:
        if (links_.startProofreading) links_.startProofreading();
        break;
    case textory::BarAction::kCommand:
        if (frame) frame->SendMessage(WM_COMMAND, action.id, 0);
        break;
    case textory::BarAction::kMainToolBar:
        Refresh();
        if (links_.createToWordChanged) links_.createToWordChanged();
        break;
    default: break;
    }
}

LRESULT CWorkflowBar::OnNcHitTest(CPoint screen) {
    const LRESULT hit = CSkinDialog::OnNcHitTest(screen);
    // The bar's own background is its caption: a press there drags the bar.
    return hit == HTCLIENT ? HTCAPTION : hit;
}

void CWorkflowBar::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    if (!dis || !dis->hDC) return;
    if (id == textory::kBarStepText) textory::PaintStepText(*CDC::FromHandle(dis->hDC), dis->rcItem, state_);
    else if (CImageButton* button = Button(id)) button->DrawItem(dis);
}

LRESULT CWorkflowBar::OnProgress(WPARAM wParam, LPARAM lParam) {
    state_.OnProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    if (CWnd* step = Control(textory::kBarStepText)) step->Invalidate(FALSE);
    return 0;
}

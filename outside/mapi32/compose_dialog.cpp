#include "outside/mapi32/compose_dialog.h"

namespace mapi32 {

namespace {

CDialogItemTemplate Item(WORD id, const char* cls, const char* text, DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy) {
    CDialogItemTemplate i;
    i.id = id;
    i.className = cls;
    i.text = text;
    i.style = WS_CHILD | WS_VISIBLE | style;
    i.x = x;
    i.y = y;
    i.cx = cx;
    i.cy = cy;
    return i;
}

CDialogTemplate ComposeTemplate() {
    CDialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.cx = 260;
    t.cy = 150;
    t.caption = "New Message";
    t.items.push_back(Item(0xFFFF, "Static", "&To:", 0, 7, 9, 40, 8));
    t.items.push_back(Item(kComposeTo, "Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 50, 7, 203, 12));
    t.items.push_back(Item(0xFFFF, "Static", "&Subject:", 0, 7, 25, 40, 8));
    t.items.push_back(Item(kComposeSubject, "Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 50, 23, 203, 12));
    t.items.push_back(Item(0xFFFF, "Static", "Attached:", 0, 7, 41, 40, 8));
    t.items.push_back(Item(kComposeFiles, "ListBox", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP, 50, 40, 203, 80));
    t.items.push_back(Item(IDOK, "Button", "&Send", WS_TABSTOP | BS_DEFPUSHBUTTON, 146, 128, 50, 14));
    t.items.push_back(Item(IDCANCEL, "Button", "Cancel", WS_TABSTOP, 203, 128, 50, 14));
    return t;
}

}  // namespace

CComposeDialog::CComposeDialog(ComposeModel& model, CWnd* parent) : CDialog(), model_(model) {
    m_pParentWnd = parent;
    m_template = ComposeTemplate();
}

BOOL CComposeDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(kComposeTo, model_.to.c_str());
    SetDlgItemText(kComposeSubject, model_.subject.c_str());
    if (CWnd* list = GetDlgItem(kComposeFiles))
        for (const std::string& f : model_.files) list->SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    return TRUE;
}

void CComposeDialog::OnOK() {
    CString to, subject;
    GetDlgItemText(kComposeTo, to);
    GetDlgItemText(kComposeSubject, subject);
    ComposeModel typed = model_;
    typed.to = to.GetString();
    typed.subject = subject.GetString();
    const std::string problem = typed.Problem();
    if (!problem.empty()) {
        AfxMessageBox(problem.c_str(), MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* edit = GetDlgItem(kComposeTo)) edit->SetFocus();
        return;
    }
    model_ = typed;
    CDialog::OnOK();
}

bool RunComposeDialog(ComposeModel& model) {
    CComposeDialog dialog(model, AfxGetMainWnd());
    return dialog.DoModal() == IDOK;
}

}  // namespace mapi32

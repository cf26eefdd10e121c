// Dialogs from templates, the modal loop, data exchange and property sheets.
#include <QApplication>
#include <QFontMetrics>
#include <QTabBar>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/afx/ui/app.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace {
struct DDXFailure {};

struct SheetTabsRegistrar {
    SheetTabsRegistrar() {
        RegisterWidgetFactory("AfxSheetTabs", [](CWnd*, CREATESTRUCT&, QWidget* parent) -> QWidget* { return new QTabBar(parent); });
    }
} g_sheetTabs;

CString ClassOfItem(const CDialogItemTemplate& item) {
    CString c = item.className;
    // Numeric class atoms of templates name the standard controls.
    if (c == "#128" || c == "0x0080") return "Button";
    if (c == "#129") return "Edit";
    if (c == "#130") return "Static";
    if (c == "#131") return "ListBox";
    if (c == "#132") return "ScrollBar";
    if (c == "#133") return "ComboBox";
    return c;
}
}  // namespace

CSize AfxDialogBaseUnits(const CDialogTemplate& tmpl) {
    QFont f = QApplication::font();
    if (!tmpl.fontName.IsEmpty()) f.setFamily(ToQ(tmpl.fontName));
    if (tmpl.pointSize) f.setPointSize(tmpl.pointSize);
    QFontMetrics fm(f);
    int avg = (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    return CSize(avg > 0 ? avg : 6, fm.height() > 0 ? fm.height() : 13);
}

LONG GetDialogBaseUnits() {
    CSize s = AfxDialogBaseUnits(CDialogTemplate{});
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(s.cx), static_cast<WORD>(s.cy)));
}

namespace {
RECT ToPixels(CSize base, int x, int y, int cx, int cy) {
    return RECT{x * base.cx / 4, y * base.cy / 8, (x + cx) * base.cx / 4, (y + cy) * base.cy / 8};
}
}  // namespace

CSize AfxCreateDialogControls(CWnd* parent, const CDialogTemplate& tmpl) {
    CSize base = AfxDialogBaseUnits(tmpl);
    for (const CDialogItemTemplate& item : tmpl.items) {
        CString cls = ClassOfItem(item);
        RECT r = ToPixels(base, item.x, item.y, item.cx, item.cy);
        // A combo box's height in the template includes its drop-down list.
        if (cls.CompareNoCase("ComboBox") == 0) r.bottom = r.top + base.cy + 8;
        CWnd* control = NewControlObject(cls);
        UINT id = item.id == 0xFFFF ? 0xFFFF : item.id;
        if (!control->CreateEx(item.exStyle, cls, item.text, item.style | WS_CHILD, r, parent, id)) {
            delete control;
            continue;
        }
        OwnControl(control);
    }
    RECT all = ToPixels(base, 0, 0, tmpl.cx, tmpl.cy);
    return CSize(all.right, all.bottom);
}

namespace afx_detail {
BOOL RunModalLoop(const BOOL* ended, HWND self, const std::function<BOOL(MSG*)>& filter) {
    MSG msg;
    while (!*ended && StateOf(self)) {
        if (!::GetMessage(&msg, nullptr, 0, 0)) {
            // The application is quitting: leave the quit request for its loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        if (filter && filter(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    return *ended;
}
}  // namespace afx_detail

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    auto* d = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(dialog));
    if (!d || !rect) return FALSE;
    d->MapDialogRect(rect);
    return TRUE;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    auto* d = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(dialog));
    if (!d) return FALSE;
    d->EndDialog(static_cast<int>(result));
    return TRUE;
}

// Data exchange.
HWND CDataExchange::PrepareCtrl(int id) {
    CWnd* c = m_pDlgWnd->GetDlgItem(id);
    m_hWndLastControl = c ? c->m_hWnd : nullptr;
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND h = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    if (CWnd* c = CWnd::FromHandlePermanent(m_hWndLastControl)) {
        c->SetFocus();
        if (m_bEditLastControl) c->SendMessage(EM_SETSEL, 0, -1);
    }
    throw DDXFailure{};
}

namespace {
CString ControlText(CDataExchange* dx, int id) {
    CString t;
    if (HWND h = dx->PrepareEditCtrl(id))
        if (CWnd* c = CWnd::FromHandlePermanent(h)) c->GetWindowText(t);
    return t;
}
void SetControlText(CDataExchange* dx, int id, LPCTSTR text) {
    if (HWND h = dx->PrepareEditCtrl(id))
        if (CWnd* c = CWnd::FromHandlePermanent(h)) c->SetWindowText(text);
}
template <class T>
void NumberText(CDataExchange* dx, int id, T& value, bool isSigned, long long lo, long long hi) {
    if (!dx->m_bSaveAndValidate) {
        char buf[32];
        if (isSigned) std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
        else std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(value));
        SetControlText(dx, id, buf);
        return;
    }
    CString t = ControlText(dx, id);
    t.Trim();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(t.GetString(), &end, 10);
    if (t.IsEmpty() || *end || errno == ERANGE || v < lo || v > hi || (!isSigned && t[0] == '-')) {
        AfxMessageBox(isSigned ? "Please enter an integer." : "Please enter a positive integer.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<T>(v);
}
}  // namespace

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (dx->m_bSaveAndValidate) value = ControlText(dx, id);
    else SetControlText(dx, id, value);
}
void DDX_Text(CDataExchange* dx, int id, int& value) { NumberText(dx, id, value, true, INT32_MIN, INT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, UINT& value) { NumberText(dx, id, value, false, 0, UINT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, long& value) { NumberText(dx, id, value, true, INT32_MIN, INT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, BYTE& value) { NumberText(dx, id, value, false, 0, 255); }
void DDX_Text(CDataExchange* dx, int id, short& value) { NumberText(dx, id, value, true, -32768, 32767); }
void DDX_Text(CDataExchange* dx, int id, double& value) {
    if (!dx->m_bSaveAndValidate) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", value);
        SetControlText(dx, id, buf);
        return;
    }
    CString t = ControlText(dx, id);
    t.Trim();
    char* end = nullptr;
    double v = std::strtod(t.GetString(), &end);
    if (t.IsEmpty() || *end || !std::isfinite(v)) {
        AfxMessageBox("Please enter a number.", MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = v;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(c->SendMessage(BM_GETCHECK));
    else c->SendMessage(BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value));
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    CWnd* first = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!first) return;
    // The group: this radio button and the ones after it up to the next WS_GROUP.
    std::vector<CWnd*> group;
    for (CWnd* c = first; c; c = c->GetWindow(GW_HWNDNEXT)) {
        if (c != first && (c->m_dwStyle & WS_GROUP)) break;
        UINT type = c->m_dwStyle & BS_TYPEMASK;
        if (c->m_strClass.CompareNoCase("Button") == 0 && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) group.push_back(c);
    }
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i]->SendMessage(BM_GETCHECK)) value = static_cast<int>(i);
    } else {
        for (size_t i = 0; i < group.size(); ++i) group[i]->SendMessage(BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) index = static_cast<int>(c->SendMessage(CB_GETCURSEL));
    else c->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<intptr_t>(index)));
}

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) {
        c->GetWindowText(value);
    } else if (c->SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString())) == CB_ERR) {
        c->SetWindowText(value);
    }
}

void DDX_CBStringExact(CDataExchange* dx, int id, CString& value) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) {
        c->GetWindowText(value);
        return;
    }
    LRESULT i = c->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString()));
    if (i != CB_ERR) c->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(i));
    else c->SetWindowText(value);
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) index = static_cast<int>(c->SendMessage(LB_GETCURSEL));
    else c->SendMessage(LB_SETCURSEL, static_cast<WPARAM>(static_cast<intptr_t>(index)));
}

void DDX_LBString(CDataExchange* dx, int id, CString& value) {
    auto* c = static_cast<CListBox*>(CWnd::FromHandlePermanent(dx->PrepareCtrl(id)));
    if (!c) return;
    if (dx->m_bSaveAndValidate) {
        int i = static_cast<int>(c->SendMessage(LB_GETCURSEL));
        if (i >= 0) c->GetText(i, value);
        else value.Empty();
    } else {
        c->SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString()));
    }
}

void DDX_Scroll(CDataExchange* dx, int id, int& value) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(c->SendMessage(SBM_GETPOS));
    else c->SendMessage(SBM_SETPOS, static_cast<WPARAM>(static_cast<intptr_t>(value)), TRUE);
}

void DDX_Slider(CDataExchange* dx, int id, int& value) {
    CWnd* c = CWnd::FromHandlePermanent(dx->PrepareCtrl(id));
    if (!c) return;
    if (dx->m_bSaveAndValidate) value = static_cast<int>(c->SendMessage(TBM_GETPOS));
    else c->SendMessage(TBM_SETPOS, TRUE, value);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND h = dx->PrepareCtrl(id);
    if (!h) return;
    CWnd* old = CWnd::FromHandlePermanent(h);
    control.SubclassWindow(h);
    if (old && old != &control) ReleaseOwnedControl(old);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (dx->m_bSaveAndValidate) {
        if (value.GetLength() > maxChars) {
            CString msg;
            msg.Format("Enter no more than %d characters.", maxChars);
            AfxMessageBox(msg, MB_ICONEXCLAMATION);
            dx->Fail();
        }
    } else if (CWnd* c = CWnd::FromHandlePermanent(dx->m_hWndLastControl); c && dx->m_bEditLastControl) {
        c->SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars));
    }
}

namespace {
template <class T>
void Range(CDataExchange* dx, T value, T lo, T hi, const char* format) {
    if (!dx->m_bSaveAndValidate || (value >= lo && value <= hi)) return;
    CString msg;
    msg.Format(format, lo, hi);
    AfxMessageBox(msg, MB_ICONEXCLAMATION);
    dx->Fail();
}
}  // namespace

void DDV_MinMaxInt(CDataExchange* dx, int v, int lo, int hi) { Range(dx, v, lo, hi, "Enter an integer between %d and %d."); }
void DDV_MinMaxUInt(CDataExchange* dx, UINT v, UINT lo, UINT hi) { Range(dx, v, lo, hi, "Enter an integer between %u and %u."); }
void DDV_MinMaxLong(CDataExchange* dx, long v, long lo, long hi) { Range(dx, v, lo, hi, "Enter an integer between %ld and %ld."); }
void DDV_MinMaxDWord(CDataExchange* dx, DWORD v, DWORD lo, DWORD hi) { Range(dx, v, lo, hi, "Enter an integer between %u and %u."); }
void DDV_MinMaxByte(CDataExchange* dx, BYTE v, BYTE lo, BYTE hi) { Range<int>(dx, v, lo, hi, "Enter an integer between %d and %d."); }
void DDV_MinMaxDouble(CDataExchange* dx, const double& v, double lo, double hi) { Range(dx, v, lo, hi, "Enter a number between %g and %g."); }

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const DDXFailure&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

// Dialogs.
IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_INITDIALOG, OnInitDialogMessage)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CDialog::CDialog() = default;
CDialog::CDialog(UINT templateId, CWnd* parent) : m_lpszTemplateName(MAKEINTRESOURCE(templateId)), m_nIDHelp(templateId), m_pParentWnd(parent) {}
CDialog::CDialog(LPCTSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}
CDialog::~CDialog() {
    if (m_hWnd) DestroyWindow();
}

BOOL CDialog::CreateFromTemplate(const CDialogTemplate& tmpl, CWnd* parent, bool modal) {
    m_template = tmpl;
    m_baseUnits = AfxDialogBaseUnits(tmpl);
    DWORD style = tmpl.style;
    bool child = (style & WS_CHILD) != 0;
    if (!child) style |= WS_POPUP;
    RECT r = RECT{0, 0, tmpl.cx * m_baseUnits.cx / 4, tmpl.cy * m_baseUnits.cy / 8};
    if (child) {
        r.left = tmpl.x * m_baseUnits.cx / 4;
        r.top = tmpl.y * m_baseUnits.cy / 8;
        r.right += r.left;
        r.bottom += r.top;
    }
    CWnd* owner = parent ? parent : (child ? nullptr : AfxGetMainWnd());
    if (owner == this) owner = nullptr;
    m_bModal = modal;
    BOOL ok = CreateEx(tmpl.exStyle, "#32770", tmpl.caption, style & ~WS_VISIBLE, r, owner, 0);
    if (!ok) return FALSE;
    m_strClass = "#32770";
    if (!tmpl.fontName.IsEmpty() || tmpl.pointSize)
        if (m_pWidget) {
            QFont f = m_pWidget->font();
            if (!tmpl.fontName.IsEmpty()) f.setFamily(ToQ(tmpl.fontName));
            if (tmpl.pointSize) f.setPointSize(tmpl.pointSize);
            m_pWidget->setFont(f);
        }
    // Enter presses the template's default push button.
    for (const CDialogItemTemplate& item : tmpl.items)
        if (ClassOfItem(item).CompareNoCase("Button") == 0 && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            m_nDefID = item.id;
            break;
        }
    AfxCreateDialogControls(this, tmpl);
    if (!child && ((tmpl.style & DS_CENTER) || modal)) CenterWindow();
    HWND self = m_hWnd;
    BOOL focusSet = !CallWnd(this, WM_INITDIALOG, 0, 0);
    if (!StateOf(self)) return FALSE;
    // A modal dialog ended by its own initialisation is never shown.
    if (modal && m_bEnded) return TRUE;
    // Shown first: the first tab stop can take the focus only in a visible dialog.
    if (tmpl.style & WS_VISIBLE || modal) ShowWindow(SW_SHOW);
    if (!focusSet)
        if (CWnd* first = GetNextDlgTabItem(nullptr)) GotoDlgCtrl(first);
    return TRUE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) { return Create(MAKEINTRESOURCE(templateId), parent); }

BOOL CDialog::Create(LPCTSTR name, CWnd* parent) {
    if (name) m_lpszTemplateName = name;
    CDialogTemplate t;
    if (!AfxLoadDialogTemplate(AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG), m_lpszTemplateName, t)) return FALSE;
    if (parent) m_pParentWnd = parent;
    return CreateFromTemplate(t, m_pParentWnd, false);
}

BOOL CDialog::CreateIndirect(const CDialogTemplate& tmpl, CWnd* parent) { return CreateFromTemplate(tmpl, parent, false); }

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

// A modal window disables its owner. Qt disables a parent's child windows
// with it, so the modal window, itself a window, is enabled again: it must
// take the input its owner no longer does.
static void DisableOwnerOf(CWnd* modal, CWnd* owner) {
    owner->EnableWindow(FALSE);
    if (modal->m_pWidget && modal->m_pWidget->isWindow()) modal->m_pWidget->setEnabled(true);
}

INT_PTR CDialog::DoModal() {
    CDialogTemplate t;
    if (!m_template.items.empty() || m_template.cx) t = m_template;
    else if (!AfxLoadDialogTemplate(AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG), m_lpszTemplateName, t)) return -1;
    CWnd* owner = m_pParentWnd ? m_pParentWnd->GetTopLevelParent() : AfxGetMainWnd();
    bool ownerWasEnabled = owner && owner->m_hWnd && owner->IsWindowEnabled();
    m_bEnded = FALSE;
    m_nModalResult = -1;
    if (!CreateFromTemplate(t, m_pParentWnd, true)) {
        return -1;
    }
    if (ownerWasEnabled) DisableOwnerOf(this, owner);
    HWND self = m_hWnd;
    if (AfxTestScript::Enabled()) {
        AfxShownRecord rec;
        rec.kind = "dialog";
        rec.title = t.caption.GetString();
        rec.type = IS_INTRESOURCE(m_lpszTemplateName) ? static_cast<UINT>(reinterpret_cast<std::uintptr_t>(m_lpszTemplateName)) : 0;
        void (*action)(CWnd*, void*) = nullptr;
        void* data = nullptr;
        if (!m_bEnded && AfxTestScript::TakeDialogAction(&action, &data)) action(this, data);
        AfxPumpMessages();
        if (!m_bEnded && StateOf(self)) {
            int answer = IDCANCEL;
            AfxTestScript::TakeAnswer(&answer);
            // OK and Cancel are pressed as a person would, so data exchange runs.
            if (answer == IDOK) OnOK();
            else if (answer == IDCANCEL) OnCancel();
            else EndDialog(answer);
            // A refused OK (data exchange failed) leaves the dialog up: cancel it.
            if (!m_bEnded && StateOf(self)) EndDialog(IDCANCEL);
        }
        rec.result = m_nModalResult;
        AfxTestScript::Record(rec);
    } else {
        RunModalLoop(&m_bEnded, self, [](MSG* msg) {
            CWinThread* thread = AfxGetThread();
            return thread ? thread->PreTranslateMessage(msg) : FALSE;
        });
    }
    if (ownerWasEnabled && owner->m_hWnd) {
        owner->EnableWindow(TRUE);
        owner->SetActiveWindow();
    }
    if (StateOf(self)) DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = TRUE;
    if (!m_bModal && m_hWnd) ShowWindow(SW_HIDE);
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::OnClose() { OnCancel(); }

BOOL CDialog::PreTranslateMessage(MSG* msg) { return IsDialogMessage(msg); }

BOOL CDialog::IsDialogMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN) return FALSE;
    CWnd* target = FromHandlePermanent(msg->hwnd);
    if (!target || (target != this && !IsChild(target))) return FALSE;
    if (msg->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        // Tab and Shift+Tab walk the WS_TABSTOP controls in template order,
        // unless the control takes Tab itself.
        if (target != this && (target->SendMessage(WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) & (DLGC_WANTTAB | DLGC_WANTALLKEYS)))
            return FALSE;
        CWnd* from = target;
        while (from && from != this && from->GetParent() != this) from = from->GetParent();
        if (CWnd* next = GetNextDlgTabItem(from == this ? nullptr : from, GetKeyState(VK_SHIFT) < 0)) GotoDlgCtrl(next);
        return TRUE;
    }
    // A control that wants every key (an item label being edited) keeps Enter and Esc.
    if ((msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN) && target != this &&
        (target->SendMessage(WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) & DLGC_WANTALLKEYS))
        return FALSE;
    if (msg->wParam == VK_ESCAPE) {
        if (CWnd* c = GetDlgItem(IDCANCEL); !c || c->IsWindowEnabled()) SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), c ? reinterpret_cast<LPARAM>(c->m_hWnd) : 0);
        return TRUE;
    }
    if (msg->wParam == VK_RETURN) {
        // A multi-line edit that wants Return keeps it.
        if (target->m_strClass.CompareNoCase("Edit") == 0 && (target->m_dwStyle & ES_WANTRETURN)) return FALSE;
        if (target->m_strClass.CompareNoCase("Button") == 0 && (target->m_dwStyle & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
            SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(target->GetDlgCtrlID()), BN_CLICKED), reinterpret_cast<LPARAM>(target->m_hWnd));
            return TRUE;
        }
        UINT id = m_nDefID;
        CWnd* c = GetDlgItem(static_cast<int>(id));
        if (c && c->IsWindowEnabled()) SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(c->m_hWnd));
        return TRUE;
    }
    return FALSE;
}

void CDialog::NextDlgCtrl() const {
    if (CWnd* n = GetNextDlgTabItem(GetFocus())) n->SetFocus();
}
void CDialog::PrevDlgCtrl() const {
    if (CWnd* n = GetNextDlgTabItem(GetFocus(), TRUE)) n->SetFocus();
}
void CDialog::GotoDlgCtrl(CWnd* control) {
    if (!control) return;
    control->SetFocus();
    // An edit reached from the keyboard has its text selected, ready to be typed over.
    if (control->m_strClass.CompareNoCase("Edit") == 0) control->SendMessage(EM_SETSEL, 0, -1);
}
void CDialog::SetDefID(UINT id) {
    // The default look moves from the old default push button to the new one.
    auto restyle = [this](UINT of, UINT type) {
        CWnd* c = GetDlgItem(static_cast<int>(of));
        UINT now = c ? (c->m_dwStyle & BS_TYPEMASK) : BS_TYPEMASK;
        if (c && c->m_strClass.CompareNoCase("Button") == 0 && (now == BS_PUSHBUTTON || now == BS_DEFPUSHBUTTON)) {
            c->m_dwStyle = (c->m_dwStyle & ~BS_TYPEMASK) | type;
            c->SendMessage(BM_SETSTYLE, type, TRUE);
        }
    };
    if (m_hWnd && id != m_nDefID) {
        restyle(m_nDefID, BS_PUSHBUTTON);
        restyle(id, BS_DEFPUSHBUTTON);
    }
    m_nDefID = id;
}
DWORD CDialog::GetDefID() const { return MAKELONG(static_cast<WORD>(m_nDefID), 0x534B /* DC_HASDEFID */); }

void CDialog::MapDialogRect(LPRECT r) const {
    r->left = r->left * m_baseUnits.cx / 4;
    r->right = r->right * m_baseUnits.cx / 4;
    r->top = r->top * m_baseUnits.cy / 8;
    r->bottom = r->bottom * m_baseUnits.cy / 8;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == DM_GETDEFID) return GetDefID();
    if (message == DM_SETDEFID) {
        SetDefID(static_cast<UINT>(wParam));
        return TRUE;
    }
    if (message == WM_NEXTDLGCTL) {
        if (lParam) GotoDlgCtrl(FromHandle(reinterpret_cast<HWND>(wParam)));
        else if (wParam) PrevDlgCtrl();
        else NextDlgCtrl();
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

// Property pages.
IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage() = default;
CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId), m_nTemplateId(templateId) {
    if (captionId) AfxLoadString(captionId, m_strCaption);
}
BOOL CPropertyPage::OnSetActive() {
    if (!m_hWnd) return FALSE;
    UpdateData(FALSE);
    return TRUE;
}
BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }
BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}
void CPropertyPage::OnReset() { OnCancel(); }
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
void CPropertyPage::SetModified(BOOL changed) {
    m_bChanged = changed;
    if (m_pSheet) m_pSheet->OnPageChanged();
}

// Property sheets: tabs on top, the active page below, OK / Cancel / Apply at the bottom.
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertySheet::CPropertySheet() = default;
CPropertySheet::CPropertySheet(LPCTSTR caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption), m_pParentWnd(parent), m_nActive(static_cast<int>(selectPage)) {}
CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage) : m_pParentWnd(parent), m_nActive(static_cast<int>(selectPage)) {
    AfxLoadString(captionId, m_strCaption);
}
CPropertySheet::~CPropertySheet() {
    if (m_hWnd) DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) return;
    page->m_pSheet = this;
    m_pages.push_back(page);
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }
void CPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= GetPageCount()) return;
    CPropertyPage* p = m_pages[static_cast<size_t>(index)];
    if (p->m_hWnd) p->DestroyWindow();
    p->m_pSheet = nullptr;
    m_pages.erase(m_pages.begin() + index);
    if (m_nActive >= GetPageCount()) m_nActive = GetPageCount() - 1;
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}
CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(m_nActive); }
int CPropertySheet::GetPageIndex(CPropertyPage* page) const {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == page) return static_cast<int>(i);
    return -1;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

BOOL CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (!m_hWnd) {
        m_nActive = index;
        return TRUE;
    }
    CPropertyPage* old = GetActivePage();
    if (old && old->m_hWnd && index != m_nActive && !old->OnKillActive()) return FALSE;
    CPropertyPage* next = m_pages[static_cast<size_t>(index)];
    if (!next->m_hWnd) {
        CDialogTemplate t;
        if (!AfxLoadDialogTemplate(AfxFindResourceHandle(next->m_lpszTemplateName, RT_DIALOG), next->m_lpszTemplateName, t)) return FALSE;
        t.style = (t.style & ~(WS_POPUP | WS_CAPTION | WS_VISIBLE)) | WS_CHILD;
        t.x = t.y = 0;
        if (!next->CreateIndirect(t, this)) return FALSE;
        if (next->m_strCaption.IsEmpty()) next->m_strCaption = t.caption;
    }
    if (old && old != next && old->m_hWnd) old->ShowWindow(SW_HIDE);
    m_nActive = index;
    Layout();
    next->ShowWindow(SW_SHOW);
    next->OnSetActive();
    if (auto* tabs = m_pTabs ? qobject_cast<QTabBar*>(m_pTabs->m_pWidget) : nullptr) {
        QSignalBlocker block(tabs);
        tabs->setCurrentIndex(index);
    }
    return TRUE;
}

void CPropertySheet::Layout() {
    if (!m_hWnd) return;
    CRect client;
    GetClientRect(&client);
    int tabH = 26, buttonsH = 34;
    if (m_pTabs) m_pTabs->MoveWindow(6, 6, client.Width() - 12, tabH);
    CRect pageRect(8, 6 + tabH + 2, client.right - 8, client.bottom - buttonsH);
    if (CPropertyPage* p = GetActivePage(); p && p->m_hWnd) p->MoveWindow(&pageRect);
    int x = client.right - 8;
    for (int i = 2; i >= 0; --i) {
        if (!m_pButtons[i]) continue;
        x -= 80;
        m_pButtons[i]->MoveWindow(x, client.bottom - buttonsH + 6, 75, 24);
        x -= 6;
    }
}

void CPropertySheet::OnPageChanged() {
    if (!m_pButtons[2]) return;
    bool any = false;
    for (CPropertyPage* p : m_pages) any = any || p->m_bChanged;
    m_pButtons[2]->EnableWindow(any);
}

BOOL CPropertySheet::Apply() {
    // Every page leaves its controls' values in its members first.
    if (CPropertyPage* active = GetActivePage(); active && active->m_hWnd && !active->OnKillActive()) return FALSE;
    for (CPropertyPage* p : m_pages) {
        if (!p->m_hWnd) continue;
        if (!p->OnApply()) return FALSE;
        p->m_bChanged = FALSE;
    }
    OnPageChanged();
    return TRUE;
}

void CPropertySheet::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = TRUE;
}

void CPropertySheet::PressButton(int button) {
    switch (button) {
    case PSBTN_OK:
        if (Apply()) EndDialog(IDOK);
        break;
    case PSBTN_CANCEL: {
        CPropertyPage* p = GetActivePage();
        if (p && !p->OnQueryCancel()) break;
        for (CPropertyPage* page : m_pages)
            if (page->m_hWnd) page->OnReset();
        EndDialog(IDCANCEL);
        break;
    }
    case PSBTN_APPLYNOW:
        Apply();
        break;
    default:
        break;
    }
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK: PressButton(PSBTN_OK); return TRUE;
    case IDCANCEL: PressButton(PSBTN_CANCEL); return TRUE;
    case ID_APPLY_NOW: PressButton(PSBTN_APPLYNOW); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
    }
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        PressButton(PSBTN_CANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CPropertySheet::DoModal() {
    if (m_pages.empty()) return -1;
    CWnd* owner = m_pParentWnd ? m_pParentWnd->GetTopLevelParent() : AfxGetMainWnd();
    // The sheet is as large as its largest page.
    CSize largest(200, 120);
    for (CPropertyPage* p : m_pages) {
        CDialogTemplate t;
        if (!AfxLoadDialogTemplate(AfxFindResourceHandle(p->m_lpszTemplateName, RT_DIALOG), p->m_lpszTemplateName, t)) continue;
        CSize base = AfxDialogBaseUnits(t);
        largest.cx = std::max<LONG>(largest.cx, t.cx * base.cx / 4);
        largest.cy = std::max<LONG>(largest.cy, t.cy * base.cy / 8);
        if (p->m_strCaption.IsEmpty()) p->m_strCaption = t.caption;
    }
    CRect r(0, 0, largest.cx + 16, largest.cy + 26 + 8 + 34 + 6);
    if (!CreateEx(0, "#32770", m_strCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, r, owner, 0)) return -1;
    m_strClass = "#32770";
    m_bEnded = FALSE;
    auto* tabs = new CWnd;
    tabs->CreateEx(0, "AfxSheetTabs", nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this, 0x3020);
    m_pTabs = tabs;
    OwnControl(tabs);
    if (auto* bar = qobject_cast<QTabBar*>(tabs->m_pWidget)) {
        for (CPropertyPage* p : m_pages) bar->addTab(ToQ(p->m_strCaption));
        HWND self = m_hWnd;
        QObject::connect(bar, &QTabBar::currentChanged, bar, [self, bar](int i) {
            auto* sheet = dynamic_cast<CPropertySheet*>(FromHandlePermanent(self));
            if (sheet && !sheet->SetActivePage(i)) {
                QSignalBlocker block(bar);
                bar->setCurrentIndex(sheet->GetActiveIndex());
            }
        });
    }
    const char* labels[3] = {"OK", "Cancel", "&Apply"};
    UINT ids[3] = {IDOK, IDCANCEL, ID_APPLY_NOW};
    for (int i = 0; i < 3; ++i) {
        if (i == 2 && (m_psh.dwFlags & PSH_NOAPPLYNOW)) continue;
        auto* b = new CWnd;
        b->CreateEx(0, "Button", labels[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : 0), CRect(0, 0, 10, 10), this, ids[i]);
        m_pButtons[i] = b;
        OwnControl(b);
    }
    OnPageChanged();
    int first = m_nActive < 0 || m_nActive >= GetPageCount() ? 0 : m_nActive;
    m_nActive = -1;
    SetActivePage(first);
    CenterWindow();
    ShowWindow(SW_SHOW);
    bool ownerWasEnabled = owner && owner->m_hWnd && owner->IsWindowEnabled();
    if (ownerWasEnabled) DisableOwnerOf(this, owner);
    HWND self = m_hWnd;
    if (AfxTestScript::Enabled()) {
        AfxShownRecord rec;
        rec.kind = "dialog";
        rec.title = m_strCaption.GetString();
        void (*action)(CWnd*, void*) = nullptr;
        void* data = nullptr;
        if (AfxTestScript::TakeDialogAction(&action, &data)) action(this, data);
        AfxPumpMessages();
        if (!m_bEnded && StateOf(self)) {
            int answer = IDCANCEL;
            AfxTestScript::TakeAnswer(&answer);
            PressButton(answer == IDOK ? PSBTN_OK : PSBTN_CANCEL);
            if (!m_bEnded) EndDialog(IDCANCEL);
        }
        rec.result = m_nModalResult;
        AfxTestScript::Record(rec);
    } else {
        RunModalLoop(&m_bEnded, self, [this](MSG* msg) { return PreTranslateMessage(msg); });
    }
    if (ownerWasEnabled && owner->m_hWnd) owner->EnableWindow(TRUE);
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd) p->DestroyWindow();
    if (StateOf(self)) DestroyWindow();
    m_pTabs = nullptr;
    m_pButtons[0] = m_pButtons[1] = m_pButtons[2] = nullptr;
    return m_nModalResult;
}

#include "outside/button_template/action_panel.h"

#include <algorithm>
#include <cstdlib>

#include "outside/button_template/panel_ids.h"
#include "outside/include/velmar.h"

namespace button_template {
namespace {

constexpr SHORT kRow = 13;
constexpr SHORT kLabelWidth = 80;
constexpr SHORT kBrowseWidth = 16;

CDialogItemTemplate Item(WORD id, const char* cls, const std::string& text, DWORD style, SHORT x, SHORT y, SHORT cx,
                         SHORT cy) {
    CDialogItemTemplate i;
    i.id = id;
    i.className = cls;
    i.text = text.c_str();
    i.style = WS_CHILD | WS_VISIBLE | style;
    i.x = x;
    i.y = y;
    i.cx = cx;
    i.cy = cy;
    return i;
}

bool Browses(FieldControl c) { return c == FieldControl::Folder || c == FieldControl::Program; }

// The form's rows in a template `width` dialog units wide.
CDialogTemplate PanelTemplate(const ActionForm& form, SHORT width, SHORT height) {
    CDialogTemplate t;
    t.style = WS_CHILD | DS_CONTROL;
    t.cx = width;
    t.cy = height;
    SHORT y = 3;
    const SHORT field = SHORT(width - kLabelWidth - 8);
    const auto& fields = form.Fields();
    for (std::size_t n = 0; n < fields.size(); ++n) {
        const FormField& f = fields[n];
        const WORD id = WORD(f.id);
        switch (f.control) {
            case FieldControl::Check: {
                // Check boxes side by side while they fit the row: the box and about four and a half units a letter.
                SHORT x = 4;
                for (;; ++n) {
                    const FormField& c = fields[n];
                    const SHORT cx = SHORT(std::min<std::size_t>(14 + 9 * c.label.size() / 2, std::size_t(width - 8)));
                    t.items.push_back(Item(WORD(c.id), "Button", c.label, BS_AUTOCHECKBOX | WS_TABSTOP, x, y + 1, cx, 10));
                    x = SHORT(x + cx + 6);
                    if (n + 1 >= fields.size() || fields[n + 1].control != FieldControl::Check) break;
                    if (x + 14 + 9 * SHORT(fields[n + 1].label.size()) / 2 > width - 4) break;
                }
                break;
            }
            case FieldControl::Choice:
                t.items.push_back(Item(0xFFFF, "Static", f.label, 0, 4, y + 2, kLabelWidth - 2, 8));
                t.items.push_back(Item(id, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, SHORT(kLabelWidth + 4),
                                       y, field, 90));
                break;
            default: {
                DWORD style = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
                if (f.control == FieldControl::Password) style |= ES_PASSWORD;
                if (f.control == FieldControl::Number) style |= ES_NUMBER;
                const SHORT cx = Browses(f.control) ? SHORT(field - kBrowseWidth - 2) : field;
                t.items.push_back(Item(0xFFFF, "Static", f.label, 0, 4, y + 2, kLabelWidth - 2, 8));
                t.items.push_back(Item(id, "Edit", "", style, SHORT(kLabelWidth + 4), y, cx, 12));
                if (Browses(f.control))
                    t.items.push_back(Item(WORD(f.id + kPanelBrowseOffset), "Button", "...", WS_TABSTOP,
                                           SHORT(kLabelWidth + 4 + cx + 2), y, kBrowseWidth, 12));
                break;
            }
        }
        y = SHORT(y + kRow);
    }
    return t;
}

}  // namespace

CActionPanel::CActionPanel(ActionForm& form, std::string browseCaption, std::function<void()> changed)
    : form_(form), browseCaption_(std::move(browseCaption)), changed_(std::move(changed)) {}

BOOL CActionPanel::CreateOver(CWnd* owner, const RECT& area, int number) {
    // The area in the owner's dialog units, so that the rows fit its width.
    RECT units{0, 0, 400, 800};
    ::MapDialogRect(owner->GetSafeHwnd(), &units);
    const int perHundredX = units.right > 0 ? units.right / 4 : 150, perHundredY = units.bottom > 0 ? units.bottom / 8 : 162;
    const SHORT width = SHORT((area.right - area.left) * 100 / perHundredX);
    const SHORT height = SHORT((area.bottom - area.top) * 100 / perHundredY);
    if (!CreateIndirect(PanelTemplate(form_, width, height), owner)) return FALSE;
    SetDlgCtrlID(kPanelWindow + number);
    MoveWindow(&area, FALSE);
    Refresh();
    return TRUE;
}

void CActionPanel::Refresh() {
    if (!GetSafeHwnd()) return;
    filling_ = true;
    for (std::size_t i = 0; i < form_.Fields().size(); ++i) {
        const FormField& f = form_.Fields()[i];
        CWnd* control = GetDlgItem(f.id);
        if (!control) continue;
        if (f.control == FieldControl::Check) {
            const std::string& v = form_.Value(i);
            const bool ticked = f.onValue == "1" ? std::atoi(v.c_str()) != 0 : v == f.onValue;
            CheckDlgButton(f.id, ticked ? BST_CHECKED : BST_UNCHECKED);
        } else if (f.control == FieldControl::Choice) {
            auto* combo = static_cast<CComboBox*>(control);
            combo->ResetContent();
            for (const FieldChoice& c : f.choices) combo->AddString(c.label.c_str());
            int at = form_.ChoiceIndex(i);
            // A value the list does not offer still shows, as it is.
            if (at < 0 && !form_.Value(i).empty()) at = combo->AddString(form_.Value(i).c_str());
            combo->SetCurSel(at);
        } else {
            control->SetWindowText(form_.Value(i).c_str());
        }
    }
    filling_ = false;
    showApplying();
}

void CActionPanel::showApplying() {
    for (std::size_t i = 0; i < form_.Fields().size(); ++i) {
        const FormField& f = form_.Fields()[i];
        CWnd* control = GetDlgItem(f.id);
        if (!control) continue;
        const bool applies = form_.Applies(i);
        if (f.control == FieldControl::Check) control->ShowWindow(applies ? SW_SHOW : SW_HIDE);
        else control->EnableWindow(applies);
    }
}

void CActionPanel::take(std::size_t i) {
    const FormField& f = form_.Fields()[i];
    std::string value;
    if (f.control == FieldControl::Check) {
        value = IsDlgButtonChecked(f.id) == BST_CHECKED ? f.onValue : "0";
    } else if (f.control == FieldControl::Choice) {
        auto* combo = static_cast<CComboBox*>(GetDlgItem(f.id));
        const int at = combo ? combo->GetCurSel() : -1;
        if (at < 0) return;
        if (at < int(f.choices.size())) {
            value = f.choices[std::size_t(at)].value;
        } else {
            CString text;
            combo->GetLBText(at, text);
            value = text.GetString();
        }
    } else {
        CString text;
        GetDlgItemText(f.id, text);
        value = text.GetString();
    }
    if (!form_.Set(i, value)) return;
    showApplying();
    if (changed_) changed_();
}

void CActionPanel::browse(std::size_t i) {
    const FormField& f = form_.Fields()[i];
    std::string chosen;
    if (f.control == FieldControl::Folder) {
        CSHBrowseDlg dialog(this);
        if (!dialog.DoModal(form_.Value(i).c_str(), browseCaption_.c_str(), nullptr, 0, 0)) return;
        chosen = dialog.GetFullPath().GetString();
    } else {
        CFileDialog dialog(TRUE, nullptr, form_.Value(i).c_str(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                           "Programs (*)|*||", this);
        if (dialog.DoModal() != IDOK) return;
        chosen = dialog.GetPathName().GetString();
    }
    SetDlgItemText(f.id, chosen.c_str());
    take(i);
}

BOOL CActionPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    int field = form_.IndexOf(id);
    if (field >= 0) {
        const FieldControl c = form_.Fields()[std::size_t(field)].control;
        const bool change = (c == FieldControl::Check && code == BN_CLICKED) ||
                            (c == FieldControl::Choice && code == CBN_SELCHANGE) ||
                            (c != FieldControl::Check && c != FieldControl::Choice && code == EN_CHANGE);
        if (change && !filling_) take(std::size_t(field));
        return TRUE;
    }
    field = form_.IndexOf(id - kPanelBrowseOffset);
    if (field >= 0 && code == BN_CLICKED) {
        browse(std::size_t(field));
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

}  // namespace button_template

// The standard controls over Qt widgets: each control's own messages
// (BM_, EM_, CB_, LB_, SBM_, PBM_, TBM_, UDM_) and its notifications.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace {

void Notify(HWND self, WORD code) {
    CWnd* w = CWnd::FromHandlePermanent(self);
    if (!w) return;
    CWnd* parent = w->GetParent();
    if (!parent) return;
    parent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->GetDlgCtrlID()), code), reinterpret_cast<LPARAM>(self));
}

LRESULT CopyText(const CString& t, WPARAM size, LPARAM buffer) {
    if (!buffer || size == 0) return 0;
    int n = t.GetLength() < static_cast<int>(size) - 1 ? t.GetLength() : static_cast<int>(size) - 1;
    std::memcpy(reinterpret_cast<char*>(buffer), t.GetString(), static_cast<size_t>(n));
    reinterpret_cast<char*>(buffer)[n] = 0;
    return n;
}

// Text messages over a getter and setter.
bool TextProc(UINT m, WPARAM wp, LPARAM lp, LRESULT* r, const std::function<QString()>& get,
              const std::function<void(const QString&)>& set) {
    switch (m) {
    case WM_SETTEXT:
        set(ToQ(reinterpret_cast<LPCSTR>(lp)));
        *r = TRUE;
        return true;
    case WM_GETTEXT:
        *r = CopyText(FromQ(get()), wp, lp);
        return true;
    case WM_GETTEXTLENGTH:
        *r = FromQ(get()).GetLength();
        return true;
    default:
        return false;
    }
}

// Buttons.
class OwnerDrawButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        HWND h = HandleOfWidget(this);
        CWnd* w = CWnd::FromHandlePermanent(h);
        QImage img(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        img.fill(palette().color(QPalette::Button));
        if (w) {
            UINT state = 0;
            if (isDown()) state |= ODS_SELECTED;
            if (hasFocus()) state |= ODS_FOCUS;
            if (!isEnabled()) state |= ODS_DISABLED;
            HDC dc = ImageDC(&img);
            DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(w->GetDlgCtrlID()), 0, ODA_DRAWENTIRE, state, h, dc,
                               RECT{0, 0, width(), height()}, 0};
            if (CWnd* parent = w->GetParent())
                parent->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(w->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&dis));
            ReleaseImageDC(dc);
        }
        QPainter(this).drawImage(0, 0, img);
    }
};

// Radio buttons of one group: from a WS_GROUP control to the next one.
std::vector<CWnd*> GroupOf(CWnd* button) {
    std::vector<CWnd*> out;
    CWnd* parent = button->GetParent();
    if (!parent || !parent->m_pWidget) return out;
    std::vector<CWnd*> all;
    for (QObject* o : parent->m_pWidget->children())
        if (auto* qw = qobject_cast<QWidget*>(o))
            if (CWnd* c = CWnd::FromHandlePermanent(HandleOfWidget(qw)); c && c != parent) all.push_back(c);
    size_t at = std::find(all.begin(), all.end(), button) - all.begin();
    if (at >= all.size()) return out;
    size_t first = at;
    while (first > 0 && !(all[first]->m_dwStyle & WS_GROUP)) --first;
    for (size_t i = first; i < all.size(); ++i) {
        if (i > first && (all[i]->m_dwStyle & WS_GROUP)) break;
        UINT type = all[i]->m_dwStyle & BS_TYPEMASK;
        if (all[i]->m_strClass.CompareNoCase("Button") == 0 && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
            out.push_back(all[i]);
    }
    return out;
}

QWidget* MakeButton(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT type = static_cast<UINT>(cs.style) & BS_TYPEMASK;
    QString text = ToQ(cs.lpszName);
    QAbstractButton* b = nullptr;
    QWidget* widget = nullptr;
    switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        auto* c = new QCheckBox(text, parent);
        c->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
        b = c;
        break;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        auto* r = new QRadioButton(text, parent);
        r->setAutoExclusive(false);  // groups follow WS_GROUP, not the widget parent
        b = r;
        break;
    }
    case BS_GROUPBOX: {
        auto* g = new QGroupBox(text, parent);
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget = g;
        break;
    }
    case BS_OWNERDRAW:
        b = new OwnerDrawButton(text, parent);
        break;
    default: {
        auto* p = new QPushButton(text, parent);
        p->setAutoDefault(false);
        p->setDefault(type == BS_DEFPUSHBUTTON);
        b = p;
        break;
    }
    }
    if (!widget) widget = b;
    bool autoCheck = type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE;
    bool autoRadio = type == BS_AUTORADIOBUTTON;
    bool manual = type == BS_CHECKBOX || type == BS_3STATE || type == BS_RADIOBUTTON;
    SetPendingSetup([b, widget, type, autoCheck, autoRadio, manual](WindowState* s) {
        HWND h = s->hwnd;
        if (b) {
            if (manual) {
                // A plain check box or radio button changes only when its owner says so.
                QObject::connect(b, &QAbstractButton::clicked, b, [b](bool) {
                    QSignalBlocker block(b);
                    b->setChecked(!b->isChecked());
                });
            }
            QObject::connect(b, &QAbstractButton::clicked, b, [h, autoRadio, b] {
                if (autoRadio) {
                    if (CWnd* w = CWnd::FromHandlePermanent(h))
                        for (CWnd* other : GroupOf(w))
                            if (other != w) other->SendMessage(BM_SETCHECK, BST_UNCHECKED);
                    b->setChecked(true);
                }
                Notify(h, BN_CLICKED);
            });
            (void)autoCheck;
        }
        s->controlProc = [b, widget, type](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case BM_GETCHECK:
                if (auto* c = qobject_cast<QCheckBox*>(b)) *r = c->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE : c->isChecked();
                else *r = b && b->isCheckable() && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
                return true;
            case BM_SETCHECK:
                if (b) {
                    QSignalBlocker block(b);
                    if (auto* c = qobject_cast<QCheckBox*>(b); c && wp == BST_INDETERMINATE) c->setCheckState(Qt::PartiallyChecked);
                    else if (b->isCheckable()) b->setChecked(wp == BST_CHECKED);
                }
                *r = 0;
                return true;
            case BM_GETSTATE:
                *r = (b && b->isDown() ? BST_PUSHED : 0) | (b && b->isCheckable() && b->isChecked() ? BST_CHECKED : 0);
                return true;
            case BM_SETSTATE:
                if (b) b->setDown(wp != 0);
                *r = 0;
                return true;
            case BM_CLICK:
                if (b) b->click();
                *r = 0;
                return true;
            case BM_SETSTYLE:
                if (auto* p = qobject_cast<QPushButton*>(b)) p->setDefault((wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
                *r = 0;
                return true;
            default:
                break;
            }
            (void)type;
            return TextProc(m, wp, lp, r, [b, widget] { return b ? b->text() : static_cast<QGroupBox*>(widget)->title(); },
                            [b, widget](const QString& t) {
                                if (b) b->setText(t);
                                else static_cast<QGroupBox*>(widget)->setTitle(t);
                            });
        };
    });
    return widget;
}

// Edits. Positions and limits count bytes of the ANSI text (a line break of a
// multi-line edit is CR LF, two bytes), as callers index CString.
int BytesBefore(const QString& text, int pos, bool crlf) {
    QString head = text.left(pos);
    int n = FromQ(head).GetLength();
    return crlf ? n + static_cast<int>(head.count('\n')) : n;
}

// The widget position of a byte offset; an offset inside a double-byte character falls after it.
int PosOfBytes(const QString& text, int bytes, bool crlf) {
    int b = 0;
    for (int i = 0; i < text.size();) {
        if (b >= bytes) return i;
        int w = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        b += FromQ(text.mid(i, w)).GetLength() + (crlf && text[i] == '\n' ? 1 : 0);
        i += w;
    }
    return static_cast<int>(text.size());
}

int AnsiLength(const QString& text, bool crlf) { return BytesBefore(text, static_cast<int>(text.size()), crlf); }

constexpr int kDefaultEditLimit = 32767;

// The limit of a single-line edit on what the user types or pastes; text the
// program sets (WM_SETTEXT) is never cut, and text above the limit may shrink.
class ByteLimit : public QValidator {
public:
    explicit ByteLimit(QLineEdit* edit) : QValidator(edit) {
        // The length before a change (the widget's own text already holds the change).
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { before_ = AnsiLength(t, false); });
    }
    State validate(QString& input, int&) const override {
        int n = AnsiLength(input, false);
        return n <= limit || n <= before_ ? Acceptable : Invalid;
    }
    int limit = kDefaultEditLimit;

private:
    int before_ = 0;
};

// EM_GETSEL's answer: the byte offsets of the selection's start and end.
LRESULT ReportSel(int start, int end, WPARAM wp, LPARAM lp) {
    if (wp) *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(start);
    if (lp) *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(end);
    return MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end));
}

// EM_SETSEL's range in widget positions: start -1 removes the selection
// (nullopt), an end of -1 or past the text means the end of the text.
std::optional<std::pair<int, int>> RequestedSel(const QString& text, WPARAM wp, LPARAM lp, bool crlf) {
    int a = static_cast<int>(static_cast<intptr_t>(wp)), b = static_cast<int>(lp);
    if (a < 0) return std::nullopt;
    int len = static_cast<int>(text.size());
    int pa = PosOfBytes(text, a, crlf);
    int pb = b < 0 ? len : PosOfBytes(text, b, crlf);
    return std::make_pair(pa, pb);
}

struct MultiLineState {
    int limit = kDefaultEditLimit;
    bool programmatic = false;  // WM_SETTEXT: not limited
    bool reverting = false;     // taking back an addition past the limit: no EN_CHANGE
    int changeAt = 0, changeAdded = 0;
};

QWidget* MakeEdit(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    QString text = ToQ(cs.lpszName);
    if (style & ES_MULTILINE) {
        auto* e = new QPlainTextEdit(parent);
        e->setPlainText(QString(text).replace("\r\n", "\n"));
        e->setReadOnly(style & ES_READONLY);
        e->setLineWrapMode((style & (WS_HSCROLL | ES_AUTOHSCROLL)) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        SetPendingSetup([e](WindowState* s) {
            HWND h = s->hwnd;
            auto st = std::make_shared<MultiLineState>();
            QObject::connect(e->document(), &QTextDocument::contentsChange, e, [st](int at, int, int added) {
                st->changeAt = at;
                st->changeAdded = added;
            });
            QObject::connect(e, &QPlainTextEdit::textChanged, e, [e, h, st] {
                if (st->reverting) return;
                if (!st->programmatic && st->changeAdded > 0 && AnsiLength(e->toPlainText(), true) > st->limit) {
                    // Typed or pasted past the limit: the addition is taken back.
                    QTextCursor c(e->document());
                    c.setPosition(st->changeAt);
                    c.setPosition(st->changeAt + st->changeAdded, QTextCursor::KeepAnchor);
                    st->reverting = true;
                    c.removeSelectedText();
                    st->reverting = false;
                    return;
                }
                Notify(h, EN_CHANGE);
            });
            s->controlProc = [e, st](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
                switch (m) {
                case EM_SETREADONLY: e->setReadOnly(wp != 0); *r = TRUE; return true;
                case EM_GETLINECOUNT: *r = e->document()->blockCount(); return true;
                case EM_GETMODIFY: *r = e->document()->isModified(); return true;
                case EM_SETMODIFY: e->document()->setModified(wp != 0); *r = 0; return true;
                case EM_LIMITTEXT: st->limit = wp == 0 ? 0x7FFFFFFE : static_cast<int>(wp); *r = 0; return true;
                case EM_GETLIMITTEXT: *r = st->limit; return true;
                case EM_REPLACESEL: {
                    const char* t = reinterpret_cast<LPCSTR>(lp);
                    e->insertPlainText(ToQ(t ? t : "").replace("\r\n", "\n"));
                    *r = 0;
                    return true;
                }
                case EM_GETSEL: {
                    QTextCursor c = e->textCursor();
                    QString t = e->toPlainText();
                    *r = ReportSel(BytesBefore(t, c.selectionStart(), true), BytesBefore(t, c.selectionEnd(), true), wp, lp);
                    return true;
                }
                case EM_SETSEL: {
                    QTextCursor c = e->textCursor();
                    auto sel = RequestedSel(e->toPlainText(), wp, lp, true);
                    if (!sel) c.clearSelection();
                    else {
                        c.setPosition(sel->first);
                        c.setPosition(sel->second, QTextCursor::KeepAnchor);
                    }
                    e->setTextCursor(c);
                    *r = 0;
                    return true;
                }
                case WM_CUT: e->cut(); *r = 0; return true;
                case WM_COPY: e->copy(); *r = 0; return true;
                case WM_PASTE: e->paste(); *r = 0; return true;
                case WM_CLEAR: e->textCursor().removeSelectedText(); *r = 0; return true;
                case EM_UNDO: e->undo(); *r = TRUE; return true;
                case EM_CANUNDO: *r = e->document()->isUndoAvailable(); return true;
                default: break;
                }
                return TextProc(m, wp, lp, r, [e] { return e->toPlainText().replace("\n", "\r\n"); },
                                [e, st](const QString& t) {
                                    st->programmatic = true;
                                    e->setPlainText(QString(t).replace("\r\n", "\n"));
                                    st->programmatic = false;
                                });
            };
        });
        return e;
    }
    auto* e = new QLineEdit(text, parent);
    e->setReadOnly(style & ES_READONLY);
    if (style & ES_PASSWORD) e->setEchoMode(QLineEdit::Password);
    if (style & ES_CENTER) e->setAlignment(Qt::AlignHCenter);
    else if (style & ES_RIGHT) e->setAlignment(Qt::AlignRight);
    auto* limit = new ByteLimit(e);
    e->setValidator(limit);
    e->setText(text);  // counted by the limit's record of the length
    bool number = style & ES_NUMBER, upper = style & ES_UPPERCASE, lower = style & ES_LOWERCASE;
    SetPendingSetup([e, limit, number, upper, lower](WindowState* s) {
        HWND h = s->hwnd;
        QObject::connect(e, &QLineEdit::textEdited, e, [e, number, upper, lower](const QString& t) {
            QString next = t;
            if (number) next.remove(QRegularExpression("[^0-9]"));
            if (upper) next = next.toUpper();
            if (lower) next = next.toLower();
            if (next != t) {
                int pos = e->cursorPosition();
                e->setText(next);
                e->setCursorPosition(pos > next.size() ? next.size() : pos);
            }
        });
        // Windows sends EN_CHANGE for every change, SetWindowText included.
        QObject::connect(e, &QLineEdit::textChanged, e, [h] { Notify(h, EN_CHANGE); });
        s->controlProc = [e, limit](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case EM_LIMITTEXT: limit->limit = wp == 0 ? 0x7FFFFFFE : static_cast<int>(wp); *r = 0; return true;
            case EM_GETLIMITTEXT: *r = limit->limit; return true;
            case EM_SETREADONLY: e->setReadOnly(wp != 0); *r = TRUE; return true;
            case EM_GETMODIFY: *r = e->isModified(); return true;
            case EM_SETMODIFY: e->setModified(wp != 0); *r = 0; return true;
            case EM_GETLINECOUNT: *r = 1; return true;
            case EM_REPLACESEL: {
                const char* t = reinterpret_cast<LPCSTR>(lp);
                e->insert(ToQ(t ? t : ""));
                *r = 0;
                return true;
            }
            case EM_GETSEL: {
                int a = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
                int b = e->hasSelectedText() ? e->selectionEnd() : a;
                *r = ReportSel(BytesBefore(e->text(), a, false), BytesBefore(e->text(), b, false), wp, lp);
                return true;
            }
            case EM_SETSEL: {
                auto sel = RequestedSel(e->text(), wp, lp, false);
                if (!sel) e->deselect();
                else e->setSelection(sel->first, sel->second - sel->first);
                *r = 0;
                return true;
            }
            case WM_CUT: e->cut(); *r = 0; return true;
            case WM_COPY: e->copy(); *r = 0; return true;
            case WM_PASTE: e->paste(); *r = 0; return true;
            case WM_CLEAR: e->del(); *r = 0; return true;
            case EM_UNDO: e->undo(); *r = TRUE; return true;
            case EM_CANUNDO: *r = e->isUndoAvailable(); return true;
            default: break;
            }
            return TextProc(m, wp, lp, r, [e] { return e->text(); }, [e](const QString& t) { e->setText(t); });
        };
    });
    return e;
}

// Statics.
QWidget* MakeStatic(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* l = new QLabel(parent);
    UINT type = style & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_BITMAP) {
        LPCSTR name = cs.lpszName;
        if (name && name[0] == '#') name = MAKEINTRESOURCE(std::atoi(name + 1));
        if (type == SS_ICON) {
            if (HICON icon = LoadIconResource(AfxGetResourceHandle(), name)) l->setPixmap(QPixmap::fromImage(IconImage(icon)));
        }
    } else if (type == SS_BLACKRECT || type == SS_GRAYRECT || type == SS_WHITERECT || type == SS_BLACKFRAME || type == SS_ETCHEDFRAME) {
        l->setFrameShape(QFrame::Box);
        if (type == SS_ETCHEDFRAME) l->setFrameShadow(QFrame::Sunken);
    } else {
        QString text = ToQ(cs.lpszName);
        if (!(style & SS_NOPREFIX)) {
            // '&' marks a mnemonic and is not shown; "&&" is one '&'.
            text.replace("&&", QString(QChar(0xE000)));
            text.remove('&');
            text.replace(QChar(0xE000), "&");
        }
        l->setText(text);
        l->setWordWrap(type == SS_LEFT && !(style & SS_CENTERIMAGE));
        l->setAlignment((type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft) |
                        ((style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
    }
    if (style & SS_SUNKEN) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bool notify = style & SS_NOTIFY;
    SetPendingSetup([l, notify](WindowState* s) {
        if (!notify) l->setAttribute(Qt::WA_TransparentForMouseEvents);
        s->controlProc = [l](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            if (m == STM_SETICON || (m == STM_SETIMAGE && wp == IMAGE_ICON)) {
                HICON icon = reinterpret_cast<HICON>(m == STM_SETICON ? wp : static_cast<WPARAM>(lp));
                l->setPixmap(QPixmap::fromImage(IconImage(icon)));
                *r = 0;
                return true;
            }
            return TextProc(m, wp, lp, r, [l] { return l->text(); }, [l](const QString& t) { l->setText(t); });
        };
    });
    return l;
}

// Item lists of combo and list boxes: texts with item data, sorted on insertion when asked.
int SortedPosition(const std::function<QString(int)>& textAt, int count, const QString& text) {
    CString t = FromQ(text);
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (FromQ(textAt(mid)).CompareNoCase(t) <= 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// The first item after `start` (wrapping; from the top when `start` is out of range) that `hit` takes.
int FindFrom(int count, int start, const std::function<bool(int)>& hit) {
    for (int k = 1; k <= count; ++k) {
        int i = (start < 0 || start >= count) ? k - 1 : (start + k) % count;
        if (hit(i)) return i;
    }
    return -1;
}

int FindItem(const std::function<QString(int)>& textAt, int count, int start, LPCSTR text, bool exact) {
    if (!text) return -1;
    CString want(text);
    return FindFrom(count, start, [&](int i) {
        CString item = FromQ(textAt(i));
        return exact ? item.CompareNoCase(want) == 0 : item.Left(want.GetLength()).CompareNoCase(want) == 0;
    });
}

// Owner-drawn lists without strings keep only item data: the owner orders them
// (WM_COMPAREITEM, or the control class's CompareItem when the owner does not
// handle it) and searches match the data. Equal items keep their order.
int ComparedPosition(HWND ctl, UINT ctlType, int count, const std::function<DWORD_PTR(int)>& dataAt, DWORD_PTR data) {
    CWnd* w = CWnd::FromHandlePermanent(ctl);
    CWnd* parent = w ? w->GetParent() : nullptr;
    if (!parent) return count;
    UINT id = static_cast<UINT>(w->GetDlgCtrlID());
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        COMPAREITEMSTRUCT cis{ctlType, id, ctl, static_cast<UINT>(-1), data, static_cast<UINT>(mid), dataAt(mid), 0};
        LRESULT r = 0;
        LPARAM lp = reinterpret_cast<LPARAM>(&cis);
        if (!parent->OnWndMsg(WM_COMPAREITEM, id, lp, &r)) w->OnChildNotify(WM_COMPAREITEM, id, lp, &r);
        if (!StateOf(ctl)) return count;
        if (static_cast<int>(r) >= 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// The items of a combo or list box as the insertion and search code sees them.
struct ItemList {
    HWND hwnd;
    UINT ctlType;  // ODT_LISTBOX, ODT_COMBOBOX
    bool strings;  // false: owner-drawn without strings, item data only
    std::function<QString(int)> textAt;
    std::function<DWORD_PTR(int)> dataAt;
};

// Where ADDSTRING (`add`) or INSERTSTRING puts a new item with text `t` (or data `lp`).
int ItemPosition(bool add, int index, int count, bool sorted, const ItemList& items, const QString& t, LPARAM lp) {
    if (!add) return index < 0 || index > count ? count : index;
    if (!sorted) return count;
    if (items.strings) return SortedPosition(items.textAt, count, t);
    return ComparedPosition(items.hwnd, items.ctlType, count, items.dataAt, static_cast<DWORD_PTR>(lp));
}

// LB_GETTEXT / CB_GETLBTEXT of an item without a string: its item data.
LRESULT CopyItemData(DWORD_PTR data, LPARAM buffer) {
    std::memcpy(reinterpret_cast<void*>(buffer), &data, sizeof data);
    return static_cast<LRESULT>(sizeof data);
}

// LB_GETTEXT / CB_GETLBTEXT of a string; the caller's buffer holds GETTEXTLEN + 1 bytes.
LRESULT CopyItemText(const QString& text, LPARAM buffer) {
    CString t = FromQ(text);
    std::memcpy(reinterpret_cast<char*>(buffer), t.GetString(), static_cast<size_t>(t.GetLength()) + 1);
    return t.GetLength();
}

// A combo box that tells its parent when its list opens and closes.
class ComboWidget : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override {
        if (hwnd) Notify(hwnd, CBN_DROPDOWN);
        dropped_ = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (!dropped_) return;
        dropped_ = false;
        // Qt closes the list before it takes the chosen item; the owner hears of
        // the close after the choice, so it reads the new selection.
        HWND h = hwnd;
        QMetaObject::invokeMethod(this, [h] { Notify(h, CBN_CLOSEUP); }, Qt::QueuedConnection);
    }
    HWND hwnd = nullptr;

private:
    bool dropped_ = false;
};

QWidget* MakeCombo(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* c = new ComboWidget(parent);
    c->setEditable((style & 3) != CBS_DROPDOWNLIST);
    c->setInsertPolicy(QComboBox::NoInsert);
    bool sorted = style & CBS_SORT;
    bool strings = !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (style & CBS_HASSTRINGS);
    SetPendingSetup([c, sorted, strings](WindowState* s) {
        HWND h = s->hwnd;
        c->hwnd = h;
        QObject::connect(c, QOverload<int>::of(&QComboBox::activated), c, [h](int) { Notify(h, CBN_SELENDOK); Notify(h, CBN_SELCHANGE); });
        if (c->lineEdit()) QObject::connect(c->lineEdit(), &QLineEdit::textEdited, c, [h] { Notify(h, CBN_EDITCHANGE); });
        // Changes of the list leave the selection and the edit text as they were
        // (Qt would select the first item put into an empty list, or a neighbour
        // of a deleted one).
        auto keepSelection = [c](const std::function<void()>& change, bool deleting, int index) {
            QSignalBlocker block(c);
            int before = c->currentIndex();
            QString edit = c->isEditable() ? c->currentText() : QString();
            change();
            bool lost = deleting && index == before;
            if ((before < 0 || lost) && c->currentIndex() >= 0) c->setCurrentIndex(-1);
            if ((before < 0 || lost) && c->isEditable() && c->currentText() != edit) c->setEditText(edit);
        };
        s->controlProc = [c, h, sorted, strings, keepSelection](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            auto textAt = [c](int i) { return c->itemText(i); };
            auto dataAt = [c](int i) { return static_cast<DWORD_PTR>(c->itemData(i).toLongLong()); };
            int count = c->count();
            int index = static_cast<int>(static_cast<intptr_t>(wp));
            switch (m) {
            case CB_ADDSTRING:
            case CB_INSERTSTRING: {
                if (strings && !lp) { *r = CB_ERR; return true; }
                QString t = strings ? ToQ(reinterpret_cast<LPCSTR>(lp)) : QString();
                int at = ItemPosition(m == CB_ADDSTRING, index, count, sorted, {h, ODT_COMBOBOX, strings, textAt, dataAt}, t, lp);
                if (!StateOf(h)) { *r = CB_ERR; return true; }
                QVariant data = strings ? QVariant::fromValue<qlonglong>(0) : QVariant::fromValue<qlonglong>(lp);
                keepSelection([&] { c->insertItem(at, t, data); }, false, -1);
                *r = at;
                return true;
            }
            case CB_DELETESTRING:
                if (index < 0 || index >= count) { *r = CB_ERR; return true; }
                keepSelection([&] { c->removeItem(index); }, true, index);
                *r = c->count();
                return true;
            case CB_RESETCONTENT: {
                QSignalBlocker block(c);
                c->clear();
                if (c->isEditable()) c->setEditText(QString());
                *r = 0;
                return true;
            }
            case CB_GETCOUNT: *r = count; return true;
            case CB_GETCURSEL: *r = c->currentIndex(); return true;
            case CB_SETCURSEL: {
                QSignalBlocker block(c);
                c->setCurrentIndex(index >= 0 && index < count ? index : -1);
                if (index < 0 && c->isEditable()) c->setEditText(QString());
                *r = index >= 0 && index < count ? index : CB_ERR;
                return true;
            }
            case CB_GETLBTEXTLEN:
                *r = index < 0 || index >= count ? CB_ERR : strings ? FromQ(c->itemText(index)).GetLength() : static_cast<LRESULT>(sizeof(DWORD_PTR));
                return true;
            case CB_GETLBTEXT:
                if (index < 0 || index >= count || !lp) { *r = CB_ERR; return true; }
                *r = strings ? CopyItemText(c->itemText(index), lp) : CopyItemData(dataAt(index), lp);
                return true;
            case CB_FINDSTRING:
            case CB_FINDSTRINGEXACT:
            case CB_SELECTSTRING: {
                int i = strings ? FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), m == CB_FINDSTRINGEXACT)
                                : FindFrom(count, index, [&](int k) { return dataAt(k) == static_cast<DWORD_PTR>(lp); });
                if (m == CB_SELECTSTRING && i >= 0) {
                    QSignalBlocker block(c);
                    c->setCurrentIndex(i);
                }
                *r = i;
                return true;
            }
            case CB_GETITEMDATA: *r = index >= 0 && index < count ? c->itemData(index).toLongLong() : CB_ERR; return true;
            case CB_SETITEMDATA:
                if (index < 0 || index >= count) { *r = CB_ERR; return true; }
                c->setItemData(index, QVariant::fromValue<qlonglong>(lp));
                *r = 0;
                return true;
            case CB_SHOWDROPDOWN:
                if (wp) c->showPopup();
                else c->hidePopup();
                *r = TRUE;
                return true;
            case CB_GETDROPPEDSTATE: *r = c->view() && c->view()->isVisible(); return true;
            case CB_LIMITTEXT:
                if (c->lineEdit()) c->lineEdit()->setMaxLength(wp ? static_cast<int>(wp) : 32767);
                *r = TRUE;
                return true;
            default: break;
            }
            return TextProc(m, wp, lp, r, [c] { return c->isEditable() ? c->currentText() : (c->currentIndex() >= 0 ? c->currentText() : QString()); },
                            [c](const QString& t) {
                                QSignalBlocker block(c);
                                if (c->isEditable()) c->setEditText(t);
                                else c->setCurrentIndex(c->findText(t));
                            });
        };
    });
    return c;
}

// List boxes; owner-drawn ones are painted by WM_DRAWITEM to the parent.
class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    OwnerDrawDelegate(HWND list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        CWnd* w = CWnd::FromHandlePermanent(list_);
        if (!w) return;
        QImage img(option.rect.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        img.fill(Qt::white);
        UINT state = 0;
        if (option.state & QStyle::State_Selected) state |= ODS_SELECTED;
        if (option.state & QStyle::State_HasFocus) state |= ODS_FOCUS;
        if (!(option.state & QStyle::State_Enabled)) state |= ODS_DISABLED;
        HDC dc = ImageDC(&img);
        DRAWITEMSTRUCT dis{ODT_LISTBOX, static_cast<UINT>(w->GetDlgCtrlID()), static_cast<UINT>(index.row()), ODA_DRAWENTIRE,
                           state, list_, dc, RECT{0, 0, option.rect.width(), option.rect.height()},
                           static_cast<DWORD_PTR>(index.data(Qt::UserRole).toLongLong())};
        if (CWnd* parent = w->GetParent())
            parent->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(w->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&dis));
        ReleaseImageDC(dc);
        painter->drawImage(option.rect.topLeft(), img);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        CWnd* w = CWnd::FromHandlePermanent(list_);
        MEASUREITEMSTRUCT mis{ODT_LISTBOX, w ? static_cast<UINT>(w->GetDlgCtrlID()) : 0, static_cast<UINT>(index.row()),
                              static_cast<UINT>(option.rect.width()), height_,
                              static_cast<DWORD_PTR>(index.data(Qt::UserRole).toLongLong())};
        if (w && !fixedSet_)
            if (CWnd* parent = w->GetParent())
                parent->SendMessage(WM_MEASUREITEM, static_cast<WPARAM>(w->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&mis));
        return QSize(static_cast<int>(mis.itemWidth), static_cast<int>(mis.itemHeight));
    }
    UINT height_ = 16;
    bool fixedSet_ = false;

private:
    HWND list_;
};

QWidget* MakeList(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* l = new QListWidget(parent);
    bool sorted = style & LBS_SORT;
    bool notify = style & LBS_NOTIFY;
    bool multi = style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
    bool owner = style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
    bool strings = !owner || (style & LBS_HASSTRINGS);
    l->setSelectionMode(style & LBS_MULTIPLESEL ? QAbstractItemView::MultiSelection
                        : style & LBS_EXTENDEDSEL ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    l->setUniformItemSizes(!(style & LBS_OWNERDRAWVARIABLE));
    SetPendingSetup([l, sorted, notify, multi, owner, strings](WindowState* s) {
        HWND h = s->hwnd;
        OwnerDrawDelegate* delegate = nullptr;
        if (owner) {
            delegate = new OwnerDrawDelegate(h, l);
            l->setItemDelegate(delegate);
        }
        if (notify) {
            QObject::connect(l, &QListWidget::itemSelectionChanged, l, [h] { Notify(h, LBN_SELCHANGE); });
            QObject::connect(l, &QListWidget::itemDoubleClicked, l, [h](QListWidgetItem*) { Notify(h, LBN_DBLCLK); });
        }
        s->controlProc = [l, h, sorted, multi, strings, delegate](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            auto textAt = [l](int i) { return l->item(i)->text(); };
            auto dataAt = [l](int i) { return static_cast<DWORD_PTR>(l->item(i)->data(Qt::UserRole).toLongLong()); };
            int count = l->count();
            int index = static_cast<int>(static_cast<intptr_t>(wp));
            QSignalBlocker block(l);
            switch (m) {
            case LB_ADDSTRING:
            case LB_INSERTSTRING: {
                if (strings && !lp) { *r = LB_ERR; return true; }
                QString t = strings ? ToQ(reinterpret_cast<LPCSTR>(lp)) : QString();
                int at = ItemPosition(m == LB_ADDSTRING, index, count, sorted, {h, ODT_LISTBOX, strings, textAt, dataAt}, t, lp);
                if (!StateOf(h)) { *r = LB_ERR; return true; }
                auto* item = new QListWidgetItem(t);
                item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(strings ? 0 : lp));
                l->insertItem(at, item);
                *r = at;
                return true;
            }
            case LB_DELETESTRING: {
                if (index < 0 || index >= count) { *r = LB_ERR; return true; }
                bool selectedGone = !multi && l->item(index)->isSelected();
                delete l->takeItem(index);
                // The selection goes with its item; Qt would move it to a neighbour.
                if (selectedGone) l->clearSelection();
                *r = l->count();
                return true;
            }
            case LB_RESETCONTENT: l->clear(); *r = 0; return true;
            case LB_GETCOUNT: *r = count; return true;
            case LB_GETCURSEL: *r = l->currentRow() >= 0 && (multi || l->currentItem()->isSelected()) ? l->currentRow() : LB_ERR; return true;
            case LB_SETCURSEL:
                // Lists of several selections take LB_SETSEL.
                if (multi) { *r = LB_ERR; return true; }
                if (index < 0 || index >= count) {
                    l->clearSelection();
                    l->setCurrentRow(-1);
                    *r = LB_ERR;
                    return true;
                }
                l->setCurrentRow(index);
                *r = index;
                return true;
            case LB_GETSEL: *r = index >= 0 && index < count ? l->item(index)->isSelected() : LB_ERR; return true;
            case LB_SETSEL: {
                int which = static_cast<int>(lp);
                if (!multi || which < -1 || which >= count) { *r = LB_ERR; return true; }
                for (int i = 0; i < count; ++i)
                    if (which == -1 || i == which) l->item(i)->setSelected(wp != 0);
                if (which >= 0) l->setCurrentRow(which, QItemSelectionModel::NoUpdate);
                *r = 0;
                return true;
            }
            case LB_GETSELCOUNT: *r = multi ? static_cast<LRESULT>(l->selectedItems().size()) : LB_ERR; return true;
            case LB_GETSELITEMS: {
                if (!multi || (!lp && index > 0)) { *r = LB_ERR; return true; }
                int n = 0;
                for (int i = 0; i < count && n < index; ++i)
                    if (l->item(i)->isSelected()) reinterpret_cast<int*>(lp)[n++] = i;
                *r = n;
                return true;
            }
            case LB_GETTEXTLEN:
                *r = index < 0 || index >= count ? LB_ERR : strings ? FromQ(l->item(index)->text()).GetLength() : static_cast<LRESULT>(sizeof(DWORD_PTR));
                return true;
            case LB_GETTEXT:
                if (index < 0 || index >= count || !lp) { *r = LB_ERR; return true; }
                *r = strings ? CopyItemText(l->item(index)->text(), lp) : CopyItemData(dataAt(index), lp);
                return true;
            case LB_FINDSTRING:
            case LB_FINDSTRINGEXACT:
            case LB_SELECTSTRING: {
                int i = strings ? FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), m == LB_FINDSTRINGEXACT)
                                : FindFrom(count, index, [&](int k) { return dataAt(k) == static_cast<DWORD_PTR>(lp); });
                if (m == LB_SELECTSTRING && i >= 0 && !multi) l->setCurrentRow(i);
                *r = i;
                return true;
            }
            case LB_GETITEMDATA: *r = index >= 0 && index < count ? l->item(index)->data(Qt::UserRole).toLongLong() : LB_ERR; return true;
            case LB_SETITEMDATA:
                if (index < 0 || index >= count) { *r = LB_ERR; return true; }
                l->item(index)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(lp));
                *r = 0;
                return true;
            case LB_GETTOPINDEX: {
                QListWidgetItem* top = l->itemAt(2, 2);
                *r = top ? l->row(top) : 0;
                return true;
            }
            case LB_SETTOPINDEX:
                if (index >= 0 && index < count) l->scrollToItem(l->item(index), QAbstractItemView::PositionAtTop);
                *r = 0;
                return true;
            case LB_SETITEMHEIGHT:
                if (delegate) {
                    delegate->height_ = static_cast<UINT>(lp);
                    delegate->fixedSet_ = true;
                }
                *r = 0;
                return true;
            case LB_GETITEMHEIGHT: *r = delegate ? delegate->height_ : l->fontMetrics().height(); return true;
            case LB_GETITEMRECT: {
                if (index < 0 || index >= count) { *r = LB_ERR; return true; }
                QRect q = l->visualItemRect(l->item(index));
                *reinterpret_cast<RECT*>(lp) = RECT{q.left(), q.top(), q.right() + 1, q.bottom() + 1};
                *r = 0;
                return true;
            }
            default: return false;
            }
        };
    });
    return l;
}

// Scroll bars reporting SB_ codes; the owner sets the position. The range and
// page are the owner's; the widget shows positions up to max - (page - 1).
struct ScrollState {
    int min = 0, max = 100, page = 0, pos = 0;
    int LastPos() const { return std::max(min, max - std::max(page - 1, 0)); }
    void Clamp() { pos = std::clamp(pos, min, LastPos()); }
};

void ShowScroll(QScrollBar* b, const ScrollState& st) {
    QSignalBlocker block(b);
    b->setRange(st.min, st.LastPos());
    b->setPageStep(st.page > 0 ? st.page : std::max(1, (st.max - st.min) / 10));
    b->setValue(st.pos);
}

QWidget* MakeScrollBar(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    bool vert = (static_cast<UINT>(cs.style) & SBS_VERT) != 0;
    auto* b = new QScrollBar(vert ? Qt::Vertical : Qt::Horizontal, parent);
    auto st = std::make_shared<ScrollState>();
    ShowScroll(b, *st);
    SetPendingSetup([b, vert, st](WindowState* s) {
        HWND h = s->hwnd;
        auto send = [h, vert](UINT code, int p) {
            CWnd* w = CWnd::FromHandlePermanent(h);
            CWnd* parent = w ? w->GetParent() : nullptr;
            if (parent) parent->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(p)), reinterpret_cast<LPARAM>(h));
        };
        QObject::connect(b, &QAbstractSlider::actionTriggered, b, [b, send, st, h](int action) {
            int code = ScrollCodeOf(action);
            if (code < 0) return;
            send(static_cast<UINT>(code), b->sliderPosition());
            // The owner moves the bar itself (SBM_SETPOS); undo the widget's own step.
            if (code != SB_THUMBTRACK && StateOf(h)) b->setSliderPosition(st->pos);
        });
        QObject::connect(b, &QAbstractSlider::sliderReleased, b, [b, send, st, h] {
            send(SB_THUMBPOSITION, b->sliderPosition());
            if (!StateOf(h)) return;
            send(SB_ENDSCROLL, 0);
            // A thumb the owner did not follow goes back to the owner's position.
            if (StateOf(h)) ShowScroll(b, *st);
        });
        s->controlProc = [b, st](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case SBM_SETPOS: {
                *r = st->pos;
                st->pos = static_cast<int>(static_cast<intptr_t>(wp));
                st->Clamp();
                ShowScroll(b, *st);
                return true;
            }
            case SBM_GETPOS: *r = st->pos; return true;
            case SBM_SETRANGE:
                *r = st->pos;
                st->min = static_cast<int>(static_cast<intptr_t>(wp));
                st->max = std::max(st->min, static_cast<int>(lp));
                st->Clamp();
                ShowScroll(b, *st);
                return true;
            case SBM_GETRANGE:
                if (wp) *reinterpret_cast<int*>(wp) = st->min;
                if (lp) *reinterpret_cast<int*>(lp) = st->max;
                *r = 0;
                return true;
            case SBM_SETSCROLLINFO: {
                auto* si = reinterpret_cast<SCROLLINFO*>(lp);
                if (!si) { *r = st->pos; return true; }
                if (si->fMask & SIF_RANGE) {
                    st->min = si->nMin;
                    st->max = std::max(si->nMin, si->nMax);
                }
                if (si->fMask & SIF_PAGE) st->page = static_cast<int>(si->nPage);
                st->page = std::clamp(st->page, 0, st->max - st->min + 1);
                if (si->fMask & SIF_POS) st->pos = si->nPos;
                st->Clamp();
                ShowScroll(b, *st);
                *r = st->pos;
                return true;
            }
            case SBM_GETSCROLLINFO: {
                auto* si = reinterpret_cast<SCROLLINFO*>(lp);
                if (!si) { *r = FALSE; return true; }
                si->nMin = st->min;
                si->nMax = st->max;
                si->nPage = static_cast<UINT>(st->page);
                si->nPos = st->pos;
                si->nTrackPos = b->sliderPosition();
                *r = TRUE;
                return true;
            }
            default: return false;
            }
        };
    });
    return b;
}

QWidget* MakeProgress(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    auto* p = new QProgressBar(parent);
    p->setRange(0, 100);
    p->setValue(0);
    p->setTextVisible(false);
    if (static_cast<UINT>(cs.style) & PBS_VERTICAL) p->setOrientation(Qt::Vertical);
    SetPendingSetup([p](WindowState* s) {
        auto step = std::make_shared<int>(10);
        s->controlProc = [p, step](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            int old = p->value();
            auto clampSet = [p](int v) { p->setValue(v < p->minimum() ? p->minimum() : v > p->maximum() ? p->maximum() : v); };
            switch (m) {
            case PBM_SETRANGE: p->setRange(static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))); *r = 0; return true;
            case PBM_SETRANGE32: p->setRange(static_cast<int>(wp), static_cast<int>(lp)); *r = 0; return true;
            case PBM_SETPOS: clampSet(static_cast<int>(wp)); *r = old; return true;
            case PBM_DELTAPOS: clampSet(old + static_cast<int>(wp)); *r = old; return true;
            case PBM_SETSTEP: *r = *step; *step = static_cast<int>(wp); return true;
            case PBM_STEPIT: {
                int next = old + *step;
                // Stepping past the end starts again at the beginning.
                if (next > p->maximum()) next = p->minimum() + (next - p->maximum()) - 1;
                clampSet(next);
                *r = old;
                return true;
            }
            case PBM_GETPOS: *r = old; return true;
            default: return false;
            }
        };
    });
    return p;
}

QWidget* MakeSlider(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    bool vert = (static_cast<UINT>(cs.style) & TBS_VERT) != 0;
    auto* sl = new QSlider(vert ? Qt::Vertical : Qt::Horizontal, parent);
    sl->setRange(0, 100);
    if (static_cast<UINT>(cs.style) & TBS_AUTOTICKS) sl->setTickPosition(QSlider::TicksBelow);
    SetPendingSetup([sl, vert](WindowState* s) {
        HWND h = s->hwnd;
        auto send = [h, vert](UINT code, int p) {
            CWnd* w = CWnd::FromHandlePermanent(h);
            CWnd* parent = w ? w->GetParent() : nullptr;
            if (parent) parent->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(p)), reinterpret_cast<LPARAM>(h));
        };
        QObject::connect(sl, &QAbstractSlider::actionTriggered, sl, [sl, send](int action) {
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: send(TB_LINEDOWN, sl->sliderPosition()); break;
            case QAbstractSlider::SliderSingleStepSub: send(TB_LINEUP, sl->sliderPosition()); break;
            case QAbstractSlider::SliderPageStepAdd: send(TB_PAGEDOWN, sl->sliderPosition()); break;
            case QAbstractSlider::SliderPageStepSub: send(TB_PAGEUP, sl->sliderPosition()); break;
            case QAbstractSlider::SliderToMinimum: send(TB_TOP, sl->sliderPosition()); break;
            case QAbstractSlider::SliderToMaximum: send(TB_BOTTOM, sl->sliderPosition()); break;
            case QAbstractSlider::SliderMove: send(TB_THUMBTRACK, sl->sliderPosition()); break;
            default: break;
            }
        });
        QObject::connect(sl, &QAbstractSlider::sliderReleased, sl, [sl, send] {
            send(TB_THUMBPOSITION, sl->sliderPosition());
            send(TB_ENDTRACK, sl->sliderPosition());
        });
        s->controlProc = [sl](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            QSignalBlocker block(sl);
            switch (m) {
            // The thumb's place: while the owner handles a step, the widget's value still lags behind.
            case TBM_GETPOS: *r = sl->sliderPosition(); return true;
            case TBM_SETPOS: sl->setValue(static_cast<int>(lp)); *r = 0; return true;
            case TBM_SETRANGE: sl->setRange(static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))); *r = 0; return true;
            case TBM_SETRANGEMIN: sl->setMinimum(static_cast<int>(lp)); *r = 0; return true;
            case TBM_SETRANGEMAX: sl->setMaximum(static_cast<int>(lp)); *r = 0; return true;
            case TBM_GETRANGEMIN: *r = sl->minimum(); return true;
            case TBM_GETRANGEMAX: *r = sl->maximum(); return true;
            case TBM_SETTICFREQ: sl->setTickInterval(static_cast<int>(wp)); *r = 0; return true;
            case TBM_SETPAGESIZE: *r = sl->pageStep(); sl->setPageStep(static_cast<int>(lp)); return true;
            case TBM_SETLINESIZE: *r = sl->singleStep(); sl->setSingleStep(static_cast<int>(lp)); return true;
            default: return false;
            }
        };
    });
    return sl;
}

// Spin buttons: two arrows changing a position within a range, shown in a buddy edit.
class SpinWidget : public QWidget {
public:
    SpinWidget(QWidget* parent, bool horz) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)), horz_(horz) {
        up_->setArrowType(horz ? Qt::RightArrow : Qt::UpArrow);
        down_->setArrowType(horz ? Qt::LeftArrow : Qt::DownArrow);
        up_->setAutoRepeat(true);
        down_->setAutoRepeat(true);
    }
    void resizeEvent(QResizeEvent*) override {
        if (horz_) {
            down_->setGeometry(0, 0, width() / 2, height());
            up_->setGeometry(width() / 2, 0, width() - width() / 2, height());
        } else {
            up_->setGeometry(0, 0, width(), height() / 2);
            down_->setGeometry(0, height() / 2, width(), height() - height() / 2);
        }
    }
    QToolButton* up_;
    QToolButton* down_;
    bool horz_;
    int lower = 100, upper = 0, pos = 0;  // the default range runs backwards
    HWND buddy = nullptr;
};

// The number a buddy edit shows (thousands separators allowed), when it shows one.
std::optional<int> BuddyNumber(HWND buddy) {
    CWnd* b = CWnd::FromHandlePermanent(buddy);
    if (!b) return std::nullopt;
    CString t;
    b->GetWindowText(t);
    t.Remove(',');
    t.Trim();
    if (t.IsEmpty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(t.GetString(), &end, 10);
    if (*end || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int>(v);
}

QWidget* MakeSpin(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* sp = new SpinWidget(parent, style & UDS_HORZ);
    SetPendingSetup([sp, style](WindowState* s) {
        HWND h = s->hwnd;
        auto bounds = [sp] { return std::make_pair(std::min(sp->lower, sp->upper), std::max(sp->lower, sp->upper)); };
        auto showBuddy = [sp, style] {
            if ((style & UDS_SETBUDDYINT) && sp->buddy)
                if (CWnd* b = CWnd::FromHandlePermanent(sp->buddy)) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "%d", sp->pos);
                    b->SetWindowText(buf);
                }
        };
        // What the person typed into the buddy is the position the arrows start from.
        auto readBuddy = [sp, style, bounds] {
            if (!(style & UDS_SETBUDDYINT) || !sp->buddy) return;
            auto [lo, hi] = bounds();
            if (auto v = BuddyNumber(sp->buddy); v && *v >= lo && *v <= hi) sp->pos = *v;
        };
        auto attach = [sp, style](HWND buddy) {
            sp->buddy = buddy;
            CWnd* b = CWnd::FromHandlePermanent(buddy);
            if (!b || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) || !b->m_pWidget || b->m_pWidget->parentWidget() != sp->parentWidget()) return;
            // Aligned arrows sit against the buddy, which gives up their width.
            QRect r = b->m_pWidget->geometry();
            int w = sp->width();
            if (r.width() <= w) return;
            if (style & UDS_ALIGNRIGHT) {
                b->m_pWidget->setGeometry(r.left(), r.top(), r.width() - w, r.height());
                sp->setGeometry(r.right() + 1 - w, r.top(), w, r.height());
            } else {
                b->m_pWidget->setGeometry(r.left() + w, r.top(), r.width() - w, r.height());
                sp->setGeometry(r.left(), r.top(), w, r.height());
            }
        };
        if ((style & UDS_AUTOBUDDY) && sp->parentWidget()) {
            // The control made just before the arrows.
            HWND previous = nullptr;
            for (QObject* o : sp->parentWidget()->children()) {
                if (o == sp) break;
                if (auto* w = qobject_cast<QWidget*>(o))
                    if (HWND hw = HandleOfWidget(w)) previous = hw;
            }
            if (previous) attach(previous);
        }
        auto step = [sp, h, style, showBuddy, readBuddy, bounds](int delta) {
            readBuddy();
            auto [lo, hi] = bounds();
            // The direction follows the range: a backward range counts down on the up arrow.
            int d = sp->lower <= sp->upper ? delta : -delta;
            CWnd* w = CWnd::FromHandlePermanent(h);
            CWnd* parent = w ? w->GetParent() : nullptr;
            NMUPDOWN nm{{h, static_cast<UINT_PTR>(w ? w->GetDlgCtrlID() : 0), static_cast<UINT>(UDN_DELTAPOS)}, sp->pos, d};
            if (parent && parent->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm))) return;
            if (!StateOf(h)) return;
            long long next = static_cast<long long>(sp->pos) + nm.iDelta;
            if (next > hi) next = (style & UDS_WRAP) ? lo : hi;
            if (next < lo) next = (style & UDS_WRAP) ? hi : lo;
            sp->pos = static_cast<int>(next);
            showBuddy();
            if (parent && StateOf(h))
                parent->SendMessage((style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(sp->pos)), reinterpret_cast<LPARAM>(h));
        };
        QObject::connect(sp->up_, &QToolButton::clicked, sp, [step] { step(1); });
        QObject::connect(sp->down_, &QToolButton::clicked, sp, [step] { step(-1); });
        s->controlProc = [sp, showBuddy, readBuddy, bounds, attach](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case UDM_SETRANGE: sp->upper = static_cast<SHORT>(LOWORD(lp)); sp->lower = static_cast<SHORT>(HIWORD(lp)); *r = 0; return true;
            case UDM_SETRANGE32: sp->lower = static_cast<int>(wp); sp->upper = static_cast<int>(lp); *r = 0; return true;
            case UDM_GETRANGE: *r = MAKELONG(static_cast<WORD>(sp->upper), static_cast<WORD>(sp->lower)); return true;
            case UDM_SETPOS: {
                int old = sp->pos;
                auto [lo, hi] = bounds();
                sp->pos = std::clamp(static_cast<int>(static_cast<SHORT>(LOWORD(lp))), lo, hi);
                showBuddy();
                *r = old;
                return true;
            }
            case UDM_GETPOS: readBuddy(); *r = sp->pos; return true;
            case UDM_SETBUDDY: *r = reinterpret_cast<LRESULT>(sp->buddy); attach(reinterpret_cast<HWND>(wp)); return true;
            case UDM_GETBUDDY: *r = reinterpret_cast<LRESULT>(sp->buddy); return true;
            default: return false;
            }
        };
    });
    return sp;
}

struct Registrar {
    Registrar() {
        RegisterWidgetFactory("Button", MakeButton);
        RegisterWidgetFactory("Edit", MakeEdit);
        RegisterWidgetFactory("Static", MakeStatic);
        RegisterWidgetFactory("ComboBox", MakeCombo);
        RegisterWidgetFactory("ListBox", MakeList);
        RegisterWidgetFactory("ScrollBar", MakeScrollBar);
        RegisterWidgetFactory("msctls_progress32", MakeProgress);
        RegisterWidgetFactory("msctls_trackbar32", MakeSlider);
        RegisterWidgetFactory("msctls_updown32", MakeSpin);
    }
} g_registrar;

}  // namespace

// The control classes.
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)

BOOL CButton::Create(LPCTSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("Button", caption, style, rect, parent, id);
}
void CButton::SetButtonStyle(UINT style, BOOL) {
    m_dwStyle = (m_dwStyle & ~0xFFFFu) | (style & 0xFFFFu);
    SendMessage(BM_SETSTYLE, style);
}
HBITMAP CButton::SetBitmap(HBITMAP bitmap) {
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget)) b->setIcon(QIcon(QPixmap::fromImage(AfxBitmapImage(bitmap))));
    return nullptr;
}
HICON CButton::SetIcon(HICON icon) {
    if (auto* b = qobject_cast<QAbstractButton*>(m_pWidget)) b->setIcon(QIcon(QPixmap::fromImage(IconImage(icon))));
    return nullptr;
}
void CButton::DrawItem(LPDRAWITEMSTRUCT) {}
BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("Edit", nullptr, style, rect, parent, id); }
void CEdit::SetSel(int start, int end, BOOL) { SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<intptr_t>(start)), end); }
void CEdit::GetSel(int& start, int& end) const {
    DWORD a = 0, b = 0;
    const_cast<CEdit*>(this)->SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    start = static_cast<int>(a);
    end = static_cast<int>(b);
}
void CEdit::ReplaceSel(LPCTSTR text, BOOL canUndo) { SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text)); }

BOOL CStatic::Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("Static", text, style, rect, parent, id);
}
HICON CStatic::SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
    if (auto* l = qobject_cast<QLabel*>(m_pWidget)) l->setPixmap(QPixmap::fromImage(AfxBitmapImage(bitmap)));
    return nullptr;
}

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ComboBox", nullptr, style, rect, parent, id); }
void CComboBox::GetLBText(int index, CString& text) const {
    int n = GetLBTextLen(index);
    if (n < 0) {
        text.Empty();
        return;
    }
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    const_cast<CComboBox*>(this)->SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    text = CString(buf.data(), n);
}
int CComboBox::GetLBText(int index, LPTSTR text) const {
    return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int CComboBox::FindString(int start, LPCTSTR text) const {
    return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_FINDSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
int CComboBox::FindStringExact(int start, LPCTSTR text) const {
    return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
int CComboBox::SelectString(int start, LPCTSTR text) {
    return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
DWORD_PTR CComboBox::GetItemData(int index) const {
    return static_cast<DWORD_PTR>(const_cast<CComboBox*>(this)->SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
}
int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}
int CComboBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMPAREITEM) {
        int r = CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
        if (pResult) *pResult = r;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ListBox", nullptr, style, rect, parent, id); }
void CListBox::GetText(int index, CString& text) const {
    int n = GetTextLen(index);
    if (n < 0) {
        text.Empty();
        return;
    }
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    const_cast<CListBox*>(this)->SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    text = CString(buf.data(), n);
}
int CListBox::GetText(int index, LPTSTR text) const {
    return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int CListBox::FindString(int start, LPCTSTR text) const {
    return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_FINDSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
int CListBox::FindStringExact(int start, LPCTSTR text) const {
    return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
int CListBox::SelectString(int start, LPCTSTR text) {
    return static_cast<int>(SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
}
DWORD_PTR CListBox::GetItemData(int index) const {
    return static_cast<DWORD_PTR>(const_cast<CListBox*>(this)->SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
}
int CListBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}
void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CListBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
    if (message == WM_COMPAREITEM) {
        int r = CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
        if (pResult) *pResult = r;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ScrollBar", nullptr, style, rect, parent, id); }
void CScrollBar::GetScrollRange(LPINT minPos, LPINT maxPos) const {
    const_cast<CScrollBar*>(this)->SendMessage(SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
}
void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL) { SendMessage(SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos); }
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) {
    info->fMask = mask;
    return static_cast<BOOL>(SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("msctls_progress32", nullptr, style, rect, parent, id);
}
BOOL CSliderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("msctls_trackbar32", nullptr, style, rect, parent, id);
}
BOOL CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("msctls_updown32", nullptr, style, rect, parent, id);
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy) {
    return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
}
CWnd* CSpinButtonCtrl::GetBuddy() const {
    return CWnd::FromHandle(reinterpret_cast<HWND>(const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETBUDDY)));
}

namespace afx_detail {
CWnd* NewControlObject(const CString& cls) {
    // Callers cast a dialog's controls to their classes, so each is made as one.
    if (cls.CompareNoCase("Button") == 0) return new CButton;
    if (cls.CompareNoCase("Edit") == 0) return new CEdit;
    if (cls.CompareNoCase("Static") == 0) return new CStatic;
    if (cls.CompareNoCase("ComboBox") == 0) return new CComboBox;
    if (cls.CompareNoCase("ListBox") == 0) return new CListBox;
    if (cls.CompareNoCase("ScrollBar") == 0) return new CScrollBar;
    if (cls.CompareNoCase("msctls_progress32") == 0) return new CProgressCtrl;
    if (cls.CompareNoCase("msctls_trackbar32") == 0) return new CSliderCtrl;
    if (cls.CompareNoCase("msctls_updown32") == 0) return new CSpinButtonCtrl;
    if (cls.CompareNoCase("SysListView32") == 0) return new CListCtrl;
    if (cls.CompareNoCase("SysTreeView32") == 0) return new CTreeCtrl;
    if (cls.CompareNoCase("SysTabControl32") == 0) return new CTabCtrl;
    return new CWnd;
}
}  // namespace afx_detail

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

#include <cstring>

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

// Edits.
QWidget* MakeEdit(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    QString text = ToQ(cs.lpszName);
    if (style & ES_MULTILINE) {
        auto* e = new QPlainTextEdit(parent);
        e->setPlainText(text);
        e->setReadOnly(style & ES_READONLY);
        e->setLineWrapMode((style & (WS_HSCROLL | ES_AUTOHSCROLL)) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        SetPendingSetup([e](WindowState* s) {
            HWND h = s->hwnd;
            QObject::connect(e, &QPlainTextEdit::textChanged, e, [h] { Notify(h, EN_CHANGE); });
            s->controlProc = [e](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
                switch (m) {
                case EM_SETREADONLY: e->setReadOnly(wp != 0); *r = TRUE; return true;
                case EM_GETLINECOUNT: *r = e->document()->blockCount(); return true;
                case EM_GETMODIFY: *r = e->document()->isModified(); return true;
                case EM_SETMODIFY: e->document()->setModified(wp != 0); *r = 0; return true;
                case EM_REPLACESEL: e->insertPlainText(ToQ(reinterpret_cast<LPCSTR>(lp))); *r = 0; return true;
                case EM_SETSEL: {
                    QTextCursor c = e->textCursor();
                    int len = e->toPlainText().size();
                    int a = static_cast<int>(static_cast<intptr_t>(wp)), b = static_cast<int>(lp);
                    if (a < 0) { c.clearSelection(); e->setTextCursor(c); *r = 0; return true; }
                    if (b < 0 || b > len) b = len;
                    c.setPosition(a > len ? len : a);
                    c.setPosition(b, QTextCursor::KeepAnchor);
                    e->setTextCursor(c);
                    *r = 0;
                    return true;
                }
                case WM_CUT: e->cut(); *r = 0; return true;
                case WM_COPY: e->copy(); *r = 0; return true;
                case WM_PASTE: e->paste(); *r = 0; return true;
                case EM_UNDO: e->undo(); *r = TRUE; return true;
                default: break;
                }
                return TextProc(m, wp, lp, r, [e] { return e->toPlainText().replace("\n", "\r\n"); },
                                [e](const QString& t) { e->setPlainText(QString(t).replace("\r\n", "\n")); });
            };
        });
        return e;
    }
    auto* e = new QLineEdit(text, parent);
    e->setReadOnly(style & ES_READONLY);
    if (style & ES_PASSWORD) e->setEchoMode(QLineEdit::Password);
    if (style & ES_CENTER) e->setAlignment(Qt::AlignHCenter);
    else if (style & ES_RIGHT) e->setAlignment(Qt::AlignRight);
    bool number = style & ES_NUMBER, upper = style & ES_UPPERCASE, lower = style & ES_LOWERCASE;
    SetPendingSetup([e, number, upper, lower](WindowState* s) {
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
        s->controlProc = [e](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case EM_LIMITTEXT: e->setMaxLength(wp == 0 ? 32767 : static_cast<int>(wp)); *r = 0; return true;
            case EM_GETLIMITTEXT: *r = e->maxLength(); return true;
            case EM_SETREADONLY: e->setReadOnly(wp != 0); *r = TRUE; return true;
            case EM_GETMODIFY: *r = e->isModified(); return true;
            case EM_SETMODIFY: e->setModified(wp != 0); *r = 0; return true;
            case EM_GETLINECOUNT: *r = 1; return true;
            case EM_REPLACESEL: e->insert(ToQ(reinterpret_cast<LPCSTR>(lp))); *r = 0; return true;
            case EM_GETSEL: {
                // Positions count bytes of the ANSI text, as callers index CString.
                int a = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
                int b = e->hasSelectedText() ? a + static_cast<int>(e->selectedText().size()) : a;
                int ba = FromQ(e->text().left(a)).GetLength(), bb = FromQ(e->text().left(b)).GetLength();
                if (wp) *reinterpret_cast<DWORD*>(wp) = static_cast<DWORD>(ba);
                if (lp) *reinterpret_cast<DWORD*>(lp) = static_cast<DWORD>(bb);
                *r = MAKELONG(static_cast<WORD>(ba), static_cast<WORD>(bb));
                return true;
            }
            case EM_SETSEL: {
                int a = static_cast<int>(static_cast<intptr_t>(wp)), b = static_cast<int>(lp);
                int len = e->text().size();
                if (a < 0) { e->deselect(); *r = 0; return true; }
                if (b < 0 || b > len) b = len;
                if (a > len) a = len;
                e->setSelection(a, b - a);
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

int FindItem(const std::function<QString(int)>& textAt, int count, int start, LPCSTR text, bool exact) {
    if (!text || count == 0) return -1;
    CString want(text);
    for (int k = 1; k <= count; ++k) {
        int i = (start + k) % count;
        if (start < 0 || start >= count) i = k - 1;
        CString item = FromQ(textAt(i));
        bool hit = exact ? item.CompareNoCase(want) == 0 : item.Left(want.GetLength()).CompareNoCase(want) == 0;
        if (hit) return i;
    }
    return -1;
}

QWidget* MakeCombo(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* c = new QComboBox(parent);
    c->setEditable((style & 3) != CBS_DROPDOWNLIST);
    c->setInsertPolicy(QComboBox::NoInsert);
    bool sorted = style & CBS_SORT;
    SetPendingSetup([c, sorted](WindowState* s) {
        HWND h = s->hwnd;
        QObject::connect(c, QOverload<int>::of(&QComboBox::activated), c, [h](int) { Notify(h, CBN_SELENDOK); Notify(h, CBN_SELCHANGE); });
        if (c->lineEdit()) QObject::connect(c->lineEdit(), &QLineEdit::textEdited, c, [h] { Notify(h, CBN_EDITCHANGE); });
        s->controlProc = [c, sorted](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            auto textAt = [c](int i) { return c->itemText(i); };
            int count = c->count();
            int index = static_cast<int>(static_cast<intptr_t>(wp));
            switch (m) {
            case CB_ADDSTRING: {
                QString t = ToQ(reinterpret_cast<LPCSTR>(lp));
                int at = sorted ? SortedPosition(textAt, count, t) : count;
                QSignalBlocker block(c);
                c->insertItem(at, t);
                if (c->currentIndex() >= 0 && !c->isEditable() && count == 0) c->setCurrentIndex(-1);
                *r = at;
                return true;
            }
            case CB_INSERTSTRING: {
                int at = index < 0 || index > count ? count : index;
                QSignalBlocker block(c);
                c->insertItem(at, ToQ(reinterpret_cast<LPCSTR>(lp)));
                if (count == 0) c->setCurrentIndex(-1);
                *r = at;
                return true;
            }
            case CB_DELETESTRING:
                if (index < 0 || index >= count) { *r = CB_ERR; return true; }
                c->removeItem(index);
                *r = c->count();
                return true;
            case CB_RESETCONTENT: {
                QSignalBlocker block(c);
                c->clear();
                *r = 0;
                return true;
            }
            case CB_GETCOUNT: *r = count; return true;
            case CB_GETCURSEL: *r = c->currentIndex(); return true;
            case CB_SETCURSEL: {
                QSignalBlocker block(c);
                c->setCurrentIndex(index >= 0 && index < count ? index : -1);
                *r = index >= 0 && index < count ? index : CB_ERR;
                return true;
            }
            case CB_GETLBTEXTLEN: *r = index >= 0 && index < count ? FromQ(c->itemText(index)).GetLength() : CB_ERR; return true;
            case CB_GETLBTEXT: {
                if (index < 0 || index >= count) { *r = CB_ERR; return true; }
                CString t = FromQ(c->itemText(index));
                std::memcpy(reinterpret_cast<char*>(lp), t.GetString(), static_cast<size_t>(t.GetLength()) + 1);
                *r = t.GetLength();
                return true;
            }
            case CB_FINDSTRING: *r = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), false); return true;
            case CB_FINDSTRINGEXACT: *r = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), true); return true;
            case CB_SELECTSTRING: {
                int i = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), false);
                if (i >= 0) {
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
    l->setSelectionMode(style & LBS_MULTIPLESEL ? QAbstractItemView::MultiSelection
                        : style & LBS_EXTENDEDSEL ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    l->setUniformItemSizes(!(style & LBS_OWNERDRAWVARIABLE));
    SetPendingSetup([l, sorted, notify, multi, owner](WindowState* s) {
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
        s->controlProc = [l, sorted, multi, delegate](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            auto textAt = [l](int i) { return l->item(i)->text(); };
            int count = l->count();
            int index = static_cast<int>(static_cast<intptr_t>(wp));
            QSignalBlocker block(l);
            switch (m) {
            case LB_ADDSTRING:
            case LB_INSERTSTRING: {
                QString t = ToQ(reinterpret_cast<LPCSTR>(lp));
                int at = m == LB_ADDSTRING ? (sorted ? SortedPosition(textAt, count, t) : count) : (index < 0 || index > count ? count : index);
                auto* item = new QListWidgetItem(t);
                if (delegate) item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(0));
                l->insertItem(at, item);
                *r = at;
                return true;
            }
            case LB_DELETESTRING:
                if (index < 0 || index >= count) { *r = LB_ERR; return true; }
                delete l->takeItem(index);
                *r = l->count();
                return true;
            case LB_RESETCONTENT: l->clear(); *r = 0; return true;
            case LB_GETCOUNT: *r = count; return true;
            case LB_GETCURSEL: *r = l->currentRow() >= 0 && (multi || l->currentItem()->isSelected()) ? l->currentRow() : LB_ERR; return true;
            case LB_SETCURSEL:
                if (index < 0 || index >= count) {
                    l->clearSelection();
                    l->setCurrentRow(-1);
                    *r = index < 0 ? 0 : LB_ERR;
                    return true;
                }
                l->setCurrentRow(index);
                *r = index;
                return true;
            case LB_GETSEL: *r = index >= 0 && index < count ? l->item(index)->isSelected() : LB_ERR; return true;
            case LB_SETSEL: {
                int which = static_cast<int>(lp);
                for (int i = 0; i < count; ++i)
                    if (which == -1 || i == which) l->item(i)->setSelected(wp != 0);
                *r = 0;
                return true;
            }
            case LB_GETSELCOUNT: *r = static_cast<LRESULT>(l->selectedItems().size()); return true;
            case LB_GETSELITEMS: {
                int n = 0;
                for (int i = 0; i < count && n < index; ++i)
                    if (l->item(i)->isSelected()) reinterpret_cast<int*>(lp)[n++] = i;
                *r = n;
                return true;
            }
            case LB_GETTEXTLEN: *r = index >= 0 && index < count ? FromQ(l->item(index)->text()).GetLength() : LB_ERR; return true;
            case LB_GETTEXT: {
                if (index < 0 || index >= count) { *r = LB_ERR; return true; }
                CString t = FromQ(l->item(index)->text());
                std::memcpy(reinterpret_cast<char*>(lp), t.GetString(), static_cast<size_t>(t.GetLength()) + 1);
                *r = t.GetLength();
                return true;
            }
            case LB_FINDSTRING: *r = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), false); return true;
            case LB_FINDSTRINGEXACT: *r = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), true); return true;
            case LB_SELECTSTRING: {
                int i = FindItem(textAt, count, index, reinterpret_cast<LPCSTR>(lp), false);
                if (i >= 0) l->setCurrentRow(i);
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

// Scroll bars reporting SB_ codes; the owner sets the position.
QWidget* MakeScrollBar(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    bool vert = (static_cast<UINT>(cs.style) & SBS_VERT) != 0;
    auto* b = new QScrollBar(vert ? Qt::Vertical : Qt::Horizontal, parent);
    b->setRange(0, 100);
    SetPendingSetup([b, vert](WindowState* s) {
        HWND h = s->hwnd;
        auto pos = std::make_shared<int>(0);
        auto send = [h, vert](UINT code, int p) {
            CWnd* w = CWnd::FromHandlePermanent(h);
            CWnd* parent = w ? w->GetParent() : nullptr;
            if (parent) parent->SendMessage(vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(p)), reinterpret_cast<LPARAM>(h));
        };
        QObject::connect(b, &QAbstractSlider::actionTriggered, b, [b, send, pos, h](int action) {
            int code = ScrollCodeOf(action);
            if (code < 0) return;
            send(static_cast<UINT>(code), b->sliderPosition());
            // The owner moves the bar itself (SBM_SETPOS); undo the widget's own step.
            if (code != SB_THUMBTRACK && StateOf(h)) b->setSliderPosition(*pos);
        });
        QObject::connect(b, &QAbstractSlider::sliderReleased, b, [b, send] {
            send(SB_THUMBPOSITION, b->sliderPosition());
            send(SB_ENDSCROLL, 0);
        });
        s->controlProc = [b, pos](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            QSignalBlocker block(b);
            switch (m) {
            case SBM_SETPOS: {
                int old = *pos;
                int p = static_cast<int>(static_cast<intptr_t>(wp));
                *pos = p < b->minimum() ? b->minimum() : p > b->maximum() ? b->maximum() : p;
                b->setValue(*pos);
                *r = old;
                return true;
            }
            case SBM_GETPOS: *r = *pos; return true;
            case SBM_SETRANGE:
                b->setRange(static_cast<int>(wp), static_cast<int>(lp));
                *pos = b->value();
                *r = 0;
                return true;
            case SBM_GETRANGE:
                if (wp) *reinterpret_cast<int*>(wp) = b->minimum();
                if (lp) *reinterpret_cast<int*>(lp) = b->maximum() + (b->pageStep() > 1 ? b->pageStep() - 1 : 0);
                *r = 0;
                return true;
            case SBM_SETSCROLLINFO: {
                auto* si = reinterpret_cast<SCROLLINFO*>(lp);
                int page = (si->fMask & SIF_PAGE) ? static_cast<int>(si->nPage) : b->pageStep();
                if (si->fMask & SIF_RANGE) b->setRange(si->nMin, si->nMax - (page > 0 ? page - 1 : 0));
                if (si->fMask & SIF_PAGE) b->setPageStep(page > 0 ? page : 1);
                if (si->fMask & SIF_POS) {
                    *pos = si->nPos < b->minimum() ? b->minimum() : si->nPos > b->maximum() ? b->maximum() : si->nPos;
                    b->setValue(*pos);
                }
                *r = *pos;
                return true;
            }
            case SBM_GETSCROLLINFO: {
                auto* si = reinterpret_cast<SCROLLINFO*>(lp);
                si->nMin = b->minimum();
                si->nMax = b->maximum() + b->pageStep() - 1;
                si->nPage = static_cast<UINT>(b->pageStep());
                si->nPos = *pos;
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
            case TBM_GETPOS: *r = sl->value(); return true;
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

QWidget* MakeSpin(CWnd* wnd, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    auto* sp = new SpinWidget(parent, style & UDS_HORZ);
    (void)wnd;
    SetPendingSetup([sp, style](WindowState* s) {
        HWND h = s->hwnd;
        auto showBuddy = [sp, style] {
            if ((style & UDS_SETBUDDYINT) && sp->buddy)
                if (CWnd* b = CWnd::FromHandlePermanent(sp->buddy)) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "%d", sp->pos);
                    b->SetWindowText(buf);
                }
        };
        auto step = [sp, h, style, showBuddy](int delta) {
            int lo = sp->lower < sp->upper ? sp->lower : sp->upper, hi = sp->lower < sp->upper ? sp->upper : sp->lower;
            // The direction follows the range: a backward range counts down on the up arrow.
            int d = sp->lower <= sp->upper ? delta : -delta;
            CWnd* w = CWnd::FromHandlePermanent(h);
            CWnd* parent = w ? w->GetParent() : nullptr;
            NMUPDOWN nm{{h, static_cast<UINT_PTR>(w ? w->GetDlgCtrlID() : 0), static_cast<UINT>(UDN_DELTAPOS)}, sp->pos, d};
            if (parent && parent->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm))) return;
            int next = sp->pos + nm.iDelta;
            if (next > hi) next = (style & UDS_WRAP) ? lo : hi;
            if (next < lo) next = (style & UDS_WRAP) ? hi : lo;
            sp->pos = next;
            showBuddy();
            if (parent && StateOf(h))
                parent->SendMessage((style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(next)), reinterpret_cast<LPARAM>(h));
        };
        QObject::connect(sp->up_, &QToolButton::clicked, sp, [step] { step(1); });
        QObject::connect(sp->down_, &QToolButton::clicked, sp, [step] { step(-1); });
        s->controlProc = [sp, showBuddy](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) -> bool {
            switch (m) {
            case UDM_SETRANGE: sp->upper = static_cast<SHORT>(LOWORD(lp)); sp->lower = static_cast<SHORT>(HIWORD(lp)); *r = 0; return true;
            case UDM_SETRANGE32: sp->lower = static_cast<int>(wp); sp->upper = static_cast<int>(lp); *r = 0; return true;
            case UDM_GETRANGE: *r = MAKELONG(static_cast<WORD>(sp->upper), static_cast<WORD>(sp->lower)); return true;
            case UDM_SETPOS: {
                int old = sp->pos;
                sp->pos = static_cast<SHORT>(LOWORD(lp));
                showBuddy();
                *r = old;
                return true;
            }
            case UDM_GETPOS: *r = sp->pos; return true;
            case UDM_SETBUDDY: *r = reinterpret_cast<LRESULT>(sp->buddy); sp->buddy = reinterpret_cast<HWND>(wp); return true;
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
BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
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

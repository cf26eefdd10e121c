// Menus over Qt menus. The item lists are ours (the state callers change by
// position or id); Qt menus are rebuilt from them when shown.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QWidgetAction>

#include <cctype>
#include <map>
#include <set>
#include <type_traits>

#include "platform/afx/ui/menu.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/afx/core/afxgdi.h"
#include "platform/win/codepage.h"

using namespace afx_detail;

namespace {
struct MenuData;
struct Item {
    UINT flags = 0;  // MF_ state and kind flags, without MF_BYPOSITION/MF_END
    UINT id = 0;
    CString text;
    MenuData* sub = nullptr;
    DWORD_PTR data = 0;
    HBITMAP checkedMark = nullptr;  // SetMenuItemBitmaps
    HBITMAP uncheckedMark = nullptr;
};
struct MenuData {
    bool bar = false;
    std::vector<Item> items;
    HWND owner = nullptr;
    QMenu* qmenu = nullptr;
    std::unique_ptr<CMenu> wrapper;  // the framework's own CMenu for the handle
    std::vector<CMenu*> attached;    // callers' CMenu objects holding the handle
};
// Never destroyed: menus held by static objects may go after it at exit.
std::set<MenuData*>& Live() {
    static auto* s = new std::set<MenuData*>;
    return *s;
}
MenuData* Data(HMENU h) {
    auto* d = reinterpret_cast<MenuData*>(h);
    return Live().count(d) ? d : nullptr;
}
HMENU Handle(MenuData* d) { return reinterpret_cast<HMENU>(d); }

MenuData* NewMenu(bool bar) {
    auto* d = new MenuData;
    d->bar = bar;
    Live().insert(d);
    return d;
}

// An item is disabled by MF_GRAYED or by MF_DISABLED alone.
bool Disabled(UINT flags) { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }

// TRUE when `target` is `from` or lies among its popups (at any depth).
bool Reaches(MenuData* from, MenuData* target) {
    if (from == target) return true;
    for (const Item& it : from->items)
        if (it.sub && Reaches(it.sub, target)) return true;
    return false;
}

void Free(MenuData* d) {
    if (!Live().count(d)) return;
    Live().erase(d);
    for (Item& i : d->items)
        if (i.sub) Free(i.sub);
    // A popup destroyed on its own leaves no dangling item in the menus that held it.
    for (MenuData* other : Live())
        for (Item& it : other->items)
            if (it.sub == d) it.sub = nullptr;
    delete d->qmenu;
    // Objects still holding the handle must not reach the freed menu (or a new one at its address).
    for (CMenu* m : d->attached) m->m_hMenu = nullptr;
    if (d->wrapper) d->wrapper->m_hMenu = nullptr;
    delete d;
}

// The caller's object attached to the handle, if any.
CMenu* Permanent(MenuData* d) { return d && !d->attached.empty() ? d->attached.front() : nullptr; }

// The framework's own object for the handle; it lives as long as the menu.
CMenu* Wrapper(MenuData* d);

// The item at `pos` (by position or by command id, searching popups too).
bool Find(MenuData* d, UINT pos, UINT flags, MenuData** owner, size_t* index) {
    if (!d) return false;
    if (flags & MF_BYPOSITION) {
        if (pos >= d->items.size()) return false;
        *owner = d;
        *index = pos;
        return true;
    }
    for (size_t i = 0; i < d->items.size(); ++i) {
        Item& it = d->items[i];
        if (!(it.flags & MF_POPUP) && it.id == pos && !(it.flags & MF_SEPARATOR)) {
            *owner = d;
            *index = i;
            return true;
        }
        if (it.sub && Find(it.sub, pos, flags, owner, index)) return true;
    }
    return false;
}

void Build(MenuData* d, const std::vector<CMenuTemplateItem>& items) {
    for (const auto& t : items) {
        Item it;
        it.flags = t.flags & ~(MF_END);
        it.text = t.text;
        if (t.flags & MF_POPUP) {
            it.sub = NewMenu(false);
            Build(it.sub, t.children);
        } else if (t.IsSeparator()) {
            it.flags |= MF_SEPARATOR;
        } else {
            it.id = t.id;
        }
        d->items.push_back(it);
    }
}

QString MenuText(const CString& text) {
    // '&' marks the mnemonic in both; a tab separates the accelerator text.
    return ToQ(text);
}


HWND OwnerOf(MenuData* d) { return d->owner; }

// Measuring or drawing an owner-drawn item: the owner's WM_MEASUREITEM /
// WM_DRAWITEM first; what the owner leaves to the default goes to the menu
// object the caller attached to the handle (its MeasureItem / DrawItem).
template <class Struct>
void OwnerDraw(MenuData* menu, UINT message, Struct* data) {
    bool defaulted = true;
    if (CWnd* o = CWnd::FromHandlePermanent(OwnerOf(menu)))
        CallWnd(o, message, 0, reinterpret_cast<LPARAM>(data), &defaulted);
    if (!defaulted || !Live().count(menu)) return;
    if (CMenu* m = Permanent(menu)) {
        if constexpr (std::is_same_v<Struct, DRAWITEMSTRUCT>) m->DrawItem(data);
        else m->MeasureItem(data);
    }
}

// While a popup is tracked its choice is returned by TrackPopupMenu, not posted by the item.
int g_tracking = 0;

// Closes a popup and the popups it was opened from.
void CloseChain(QMenu* m) {
    for (QWidget* w = m; w; w = w->parentWidget())
        if (auto* mm = qobject_cast<QMenu*>(w)) mm->close();
}

// Moves the highlight of a popup to item `index` (none: past the end):
// MF_HILITE marks it, so the owner's WM_MENUCHAR handler can read where the
// highlight is, and owner-drawn items are drawn selected by it.
void SetHighlight(MenuData* d, size_t index, QWidget* shown) {
    if (!Live().count(d)) return;
    for (size_t i = 0; i < d->items.size(); ++i) {
        if (i == index) d->items[i].flags |= MF_HILITE;
        else d->items[i].flags &= ~MF_HILITE;
    }
    if (shown)
        for (QWidget* w : shown->findChildren<QWidget*>()) w->update();
}

// An owner-drawn item: measured and drawn through OwnerDraw, chosen by a click.
class OwnerDrawItem : public QWidget {
public:
    OwnerDrawItem(MenuData* menu, size_t index, QWidget* parent) : QWidget(parent), menu_(menu), index_(index) {
        setMouseTracking(true);
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, menu->items[index].id, 100, 20, menu->items[index].data};
        OwnerDraw(menu, WM_MEASUREITEM, &mis);
        if (!Live().count(menu)) return;
        // As the window system does, the check mark's width (less one) is added to
        // the measured width; every item then spans the popup's whole width.
        const int width = static_cast<int>(mis.itemWidth) + GetSystemMetrics(SM_CXMENUCHECK) - 1;
        setMinimumWidth(width);
        setFixedHeight(static_cast<int>(mis.itemHeight));
        resize(width, static_cast<int>(mis.itemHeight));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage img(size(), QImage::Format_RGB32);
        img.fill(palette().color(QPalette::Window));
        if (Live().count(menu_) && index_ < menu_->items.size()) {
            const Item& it = menu_->items[index_];
            UINT state = 0;
            if (it.flags & MF_HILITE) state |= ODS_SELECTED;
            if (it.flags & MF_GRAYED) state |= ODS_GRAYED;
            if (Disabled(it.flags)) state |= ODS_DISABLED;
            if (it.flags & MF_CHECKED) state |= ODS_CHECKED;
            HDC dc = ImageDC(&img);
            DRAWITEMSTRUCT dis{ODT_MENU, 0, it.id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(Handle(menu_)), dc,
                               RECT{0, 0, width(), height()}, it.data};
            OwnerDraw(menu_, WM_DRAWITEM, &dis);
            ReleaseImageDC(dc);
        }
        QPainter(this).drawImage(0, 0, img);
    }
    void enterEvent(QEnterEvent*) override { SetHighlight(menu_, index_, parentWidget()); }
    void leaveEvent(QEvent*) override {
        if (Live().count(menu_) && index_ < menu_->items.size() && (menu_->items[index_].flags & MF_HILITE))
            SetHighlight(menu_, static_cast<size_t>(-1), parentWidget());
    }
    void focusInEvent(QFocusEvent*) override { SetHighlight(menu_, index_, parentWidget()); }
    void mouseReleaseEvent(QMouseEvent*) override {
        if (!Live().count(menu_) || index_ >= menu_->items.size()) return;
        const Item& it = menu_->items[index_];
        if (Disabled(it.flags)) return;
        if (auto* m = qobject_cast<QMenu*>(parentWidget())) {
            for (QAction* a : m->actions())
                if (auto* wa = qobject_cast<QWidgetAction*>(a); wa && wa->defaultWidget() == this) {
                    wa->trigger();
                    break;
                }
            CloseChain(m);
        }
    }

private:
    MenuData* menu_;
    size_t index_;
};

// TRUE when a text item of the menu has `ch` as its '&' mnemonic (any case).
bool HasMnemonic(MenuData* d, char ch) {
    for (const Item& it : d->items) {
        if (it.flags & (MF_SEPARATOR | MF_OWNERDRAW)) continue;
        const char* t = it.text.GetString();
        for (int i = 0; t[i]; ++i) {
            if (IsDBCSLeadByte(static_cast<BYTE>(t[i])) && t[i + 1]) {
                ++i;
            } else if (t[i] == '&') {
                if (t[i + 1] == '&') {
                    ++i;
                } else {
                    if (std::tolower(static_cast<unsigned char>(t[i + 1])) == std::tolower(static_cast<unsigned char>(ch))) return true;
                    break;
                }
            }
        }
    }
    return false;
}

// Tells the owner that its menu closed (WM_MENUSELECT with flags 0xFFFF and
// no menu), as it is told once a popup it opened from the bar or tracked ends.
void TellMenuClosed(HWND owner) {
    if (CWnd* o = CWnd::FromHandlePermanent(owner)) CallWnd(o, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

// A character typed in an open popup that no item's mnemonic takes (owner-
// drawn items have none) is put to the owner as WM_MENUCHAR; its answer
// executes, selects or closes.
class MenuCharFilter : public QObject {
public:
    MenuCharFilter(MenuData* d, QMenu* menu) : QObject(menu), d_(d), menu_(menu) { menu->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !Live().count(d_)) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        QString t = k->text();
        if ((k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || t.size() != 1 || t[0].unicode() <= 0x20 || t[0].unicode() >= 0x7F)
            return false;
        char ch = static_cast<char>(t[0].unicode());
        CWnd* o = CWnd::FromHandlePermanent(d_->owner);
        if (!o || HasMnemonic(d_, ch)) return false;
        LRESULT r = CallWnd(o, WM_MENUCHAR, MAKEWPARAM(static_cast<BYTE>(ch), MF_POPUP), reinterpret_cast<LPARAM>(Handle(d_)));
        QList<QAction*> actions = menu_->actions();
        int pos = LOWORD(r);
        bool valid = Live().count(d_) && pos < actions.size() && actions[pos]->isEnabled() && !actions[pos]->isSeparator();
        switch (HIWORD(r)) {
        case MNC_EXECUTE:
            if (!valid) return true;
            if (actions[pos]->menu()) {
                menu_->setActiveAction(actions[pos]);
            } else {
                actions[pos]->trigger();
                CloseChain(menu_);
            }
            return true;
        case MNC_SELECT:
            if (valid) {
                menu_->setActiveAction(actions[pos]);
                SetHighlight(d_, static_cast<size_t>(pos), menu_);
            }
            return true;
        case MNC_CLOSE:
            menu_->close();
            return true;
        default:
            return false;
        }
    }

private:
    MenuData* d_;
    QMenu* menu_;
};

// The popups made for a bar or popup the last time it was filled go when it
// is filled again (later: one of them may be sending the signal that refills).
void DropChildMenus(QWidget* target) {
    for (QMenu* m : target->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) m->deleteLater();
}

void AddItems(MenuData* d, QWidget* target) {
    auto add = [&](QAction* a) { target->addAction(a); };
    for (size_t i = 0; i < d->items.size(); ++i) {
        Item& it = d->items[i];
        if (it.flags & MF_SEPARATOR) {
            auto* a = new QAction(target);
            a->setSeparator(true);
            add(a);
            continue;
        }
        if (it.sub) {
            auto* sub = new QMenu(MenuText(it.text), target);
            MenuData* sd = it.sub;
            new MenuCharFilter(sd, sub);
            QObject::connect(sub, &QMenu::hovered, sub, [sd, sub](QAction* a) {
                SetHighlight(sd, static_cast<size_t>(sub->actions().indexOf(a)), sub);
            });
            sd->owner = d->owner;
            sd->qmenu = nullptr;
            size_t index = i;
            MenuData* parent = d;
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sd, sub, parent, index] {
                if (!Live().count(sd) || !Live().count(parent)) return;
                sd->owner = parent->owner;
                if (CWnd* o = CWnd::FromHandlePermanent(sd->owner))
                    CallWnd(o, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Handle(sd)), MAKELPARAM(static_cast<WORD>(index), 0));
                if (!Live().count(sd)) return;
                sub->clear();
                DropChildMenus(sub);
                SetHighlight(sd, static_cast<size_t>(-1), nullptr);
                AddItems(sd, sub);
            });
            if (d->bar) {
                HWND barOwner = d->owner;
                QObject::connect(sub, &QMenu::aboutToHide, sub, [barOwner] { TellMenuClosed(barOwner); });
            }
            sub->setEnabled(!Disabled(it.flags));
            QAction* a = sub->menuAction();
            add(a);
            // Items are filled when the popup opens; an empty one would not open.
            sub->addAction(QString());
            continue;
        }
        UINT id = it.id;
        HWND owner = d->owner;
        QAction* a;
        if (it.flags & MF_OWNERDRAW) {
            auto* wa = new QWidgetAction(target);
            wa->setDefaultWidget(new OwnerDrawItem(d, i, target));
            a = wa;
        } else {
            a = new QAction(MenuText(it.text), target);
        }
        // A popup item whose menu was destroyed has nothing to open or send.
        a->setEnabled(!Disabled(it.flags) && !(it.flags & MF_POPUP));
        if (it.flags & MF_CHECKED) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        if (it.flags & MF_DEFAULT) {
            QFont f = a->font();
            f.setBold(true);
            a->setFont(f);
        }
        a->setProperty("afxId", id);
        QObject::connect(a, &QAction::triggered, a, [id, owner] {
            if (g_tracking) return;
            if (CWnd* o = CWnd::FromHandlePermanent(owner)) o->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
        });
        add(a);
    }
}

}  // namespace

namespace afx_detail {
void RebuildMenuBar(WindowState* s) {
    if (!s || !s->widget) return;
    MenuData* d = s->menu ? Data(s->menu->m_hMenu) : nullptr;
    if (!d) {
        delete s->menuBar;
        s->menuBar = nullptr;
    } else {
        if (!s->menuBar) s->menuBar = new QMenuBar(s->widget);
        s->menuBar->clear();
        DropChildMenus(s->menuBar);
        d->owner = s->hwnd;
        AddItems(d, s->menuBar);
        s->menuBar->show();
    }
    LayoutNonClient(s);
}
}  // namespace afx_detail

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu() {
    // A temporary wrapper never owns its menu.
    if (!m_bTemporary && m_hMenu) {
        MenuData* d = Data(m_hMenu);
        if (d && d->wrapper.get() != this) DestroyMenu();
    }
    if (MenuData* d = Data(m_hMenu)) std::erase(d->attached, this);
}

HMENU CMenu::GetSafeHmenu() const {
    const CMenu* self = this;
    asm("" : "+r"(self));
    return self ? self->m_hMenu : nullptr;
}

struct MenuAccess {
    static void MarkTemporary(CMenu* m) { m->m_bTemporary = true; }
};

namespace {
CMenu* Wrapper(MenuData* d) {
    if (!d->wrapper) {
        d->wrapper = std::make_unique<CMenu>();
        d->wrapper->m_hMenu = Handle(d);
        MenuAccess::MarkTemporary(d->wrapper.get());
    }
    return d->wrapper.get();
}
}  // namespace

// The object the caller attached to the handle (a derived menu class that
// draws its own items), else the framework's own one.
CMenu* CMenu::FromHandle(HMENU h) {
    MenuData* d = Data(h);
    if (!d) return nullptr;
    if (CMenu* m = Permanent(d)) return m;
    return Wrapper(d);
}

BOOL CMenu::Attach(HMENU h) {
    MenuData* d = Data(h);
    if (m_hMenu || !d) return FALSE;
    m_hMenu = h;
    if (!m_bTemporary) d->attached.push_back(this);
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (MenuData* d = Data(h)) std::erase(d->attached, this);
    m_hMenu = nullptr;
    return h;
}

namespace {
// Attaches a new menu, or destroys it when the object holds one already.
BOOL AttachNew(CMenu* m, HMENU h) {
    if (m->Attach(h)) return TRUE;
    if (h) ::DestroyMenu(h);
    return FALSE;
}
}  // namespace

BOOL CMenu::CreateMenu() { return !m_hMenu && AttachNew(this, ::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return !m_hMenu && AttachNew(this, ::CreatePopupMenu()); }
BOOL CMenu::LoadMenu(LPCTSTR name) { return !m_hMenu && AttachNew(this, ::LoadMenu(AfxFindResourceHandle(name, RT_MENU), name)); }

BOOL CMenu::DestroyMenu() {
    HMENU h = Detach();
    return h ? ::DestroyMenu(h) : FALSE;
}

UINT CMenu::GetMenuItemCount() const {
    MenuData* d = Data(m_hMenu);
    return d ? static_cast<UINT>(d->items.size()) : static_cast<UINT>(-1);
}

UINT CMenu::GetMenuItemID(int pos) const {
    MenuData* d = Data(m_hMenu);
    if (!d || pos < 0 || static_cast<size_t>(pos) >= d->items.size()) return 0;
    const Item& it = d->items[static_cast<size_t>(pos)];
    if (it.sub) return static_cast<UINT>(-1);
    return it.id;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    MenuData* owner;
    size_t i;
    if (!Find(Data(m_hMenu), item, flags, &owner, &i)) return static_cast<UINT>(-1);
    const Item& it = owner->items[i];
    UINT st = it.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_OWNERDRAW | MF_POPUP | MF_MENUBREAK | MF_MENUBARBREAK | MF_DEFAULT | MF_HILITE);
    if (it.sub) st |= (static_cast<UINT>(it.sub->items.size()) << 8);
    return st;
}

int CMenu::GetMenuString(UINT item, LPTSTR text, int maxCount, UINT flags) const {
    CString s;
    int n = GetMenuString(item, s, flags);
    if (!text || maxCount <= 0) return n;
    // Cut to the buffer, never between the two bytes of a double-byte character.
    const char* src = s.GetString();
    int c = 0;
    while (c < n) {
        int step = IsDBCSLeadByte(static_cast<BYTE>(src[c])) && c + 1 < n ? 2 : 1;
        if (c + step > maxCount - 1) break;
        c += step;
    }
    std::memcpy(text, src, static_cast<size_t>(c));
    text[c] = 0;
    return c;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    MenuData* owner;
    size_t i;
    text.Empty();
    if (!Find(Data(m_hMenu), item, flags, &owner, &i)) return 0;
    text = owner->items[i].text;
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int pos) const {
    MenuData* d = Data(m_hMenu);
    if (!d || pos < 0 || static_cast<size_t>(pos) >= d->items.size()) return nullptr;
    MenuData* sub = d->items[static_cast<size_t>(pos)].sub;
    return sub ? FromHandle(Handle(sub)) : nullptr;
}

DWORD_PTR CMenu::GetItemData(UINT item, UINT flags) const {
    MenuData* owner;
    size_t i;
    return Find(Data(m_hMenu), item, flags, &owner, &i) ? owner->items[i].data : 0;
}

namespace {
// The item that flags describe; FALSE for a popup that is not a menu or
// that would contain the menu it goes into (`into`).
bool MakeItem(UINT flags, UINT_PTR idOrPopup, LPCTSTR text, MenuData* into, Item* out) {
    Item& it = *out;
    it = Item{};
    it.flags = flags & ~(MF_BYPOSITION | MF_END);
    if (flags & MF_POPUP) {
        it.sub = Data(reinterpret_cast<HMENU>(idOrPopup));
        if (!it.sub || Reaches(it.sub, into)) return false;
    } else {
        it.id = static_cast<UINT>(idOrPopup);
    }
    if (flags & MF_OWNERDRAW) it.data = reinterpret_cast<DWORD_PTR>(text);
    else if (!(flags & MF_SEPARATOR) && text) it.text = text;
    return true;
}
void Changed(MenuData* d) {
    // A frame's menu bar shows changes to its top level at once.
    for (HWND h : AllWindows())
        if (WindowState* s = StateOf(h); s && s->menu && Data(s->menu->m_hMenu) == d) RebuildMenuBar(s);
}
}  // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, LPCTSTR text) {
    MenuData* d = Data(m_hMenu);
    Item it;
    if (!d || !MakeItem(flags, idOrPopup, text, d, &it)) return FALSE;
    d->items.push_back(it);
    Changed(d);
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT pos, UINT flags, UINT_PTR idOrPopup, LPCTSTR text) {
    MenuData* d = Data(m_hMenu);
    if (!d) return FALSE;
    MenuData* owner = d;
    size_t i = d->items.size();
    if (pos != static_cast<UINT>(-1) && !Find(d, pos, flags, &owner, &i)) {
        if (!(flags & MF_BYPOSITION)) return FALSE;
        owner = d;
        i = d->items.size();
    }
    Item it;
    if (!MakeItem(flags, idOrPopup, text, owner, &it)) return FALSE;
    owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(i), it);
    Changed(d);
    return TRUE;
}

BOOL CMenu::SetMenuItemBitmaps(UINT item, UINT flags, const CBitmap* unchecked, const CBitmap* checked) {
    return ::SetMenuItemBitmaps(m_hMenu, item, flags, unchecked ? static_cast<HBITMAP>(*unchecked) : nullptr,
                                checked ? static_cast<HBITMAP>(*checked) : nullptr);
}

BOOL SetMenuItemBitmaps(HMENU menu, UINT item, UINT flags, HBITMAP unchecked, HBITMAP checked) {
    MenuData* owner;
    size_t i;
    if (!Find(Data(menu), item, flags, &owner, &i)) return FALSE;
    owner->items[i].uncheckedMark = unchecked;
    owner->items[i].checkedMark = checked;
    return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
    MenuData* owner;
    size_t i;
    if (!info || info->cbSize != sizeof(MENUITEMINFOA)) return FALSE;
    if (!Find(Data(menu), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner, &i)) return FALSE;
    const Item& it = owner->items[i];
    if (info->fMask & MIIM_STATE) info->fState = it.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
    if (info->fMask & MIIM_ID) info->wID = it.sub ? 0 : it.id;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it.sub ? Handle(it.sub) : nullptr;
    if (info->fMask & MIIM_CHECKMARKS) {
        info->hbmpChecked = it.checkedMark;
        info->hbmpUnchecked = it.uncheckedMark;
    }
    if (info->fMask & MIIM_DATA) info->dwItemData = it.data;
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT pos, UINT flags, UINT_PTR idOrPopup, LPCTSTR text) {
    MenuData* owner;
    size_t i;
    MenuData* d = Data(m_hMenu);
    if (!Find(d, pos, flags, &owner, &i)) return FALSE;
    Item next;
    if (!MakeItem(flags, idOrPopup, text, owner, &next)) return FALSE;
    Item& it = owner->items[i];
    if (it.sub && it.sub != next.sub) Free(it.sub);
    it = next;
    Changed(d);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT pos, UINT flags) {
    MenuData* owner;
    size_t i;
    MenuData* d = Data(m_hMenu);
    if (!Find(d, pos, flags, &owner, &i)) return FALSE;
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(i));
    Changed(d);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT pos, UINT flags) {
    MenuData* owner;
    size_t i;
    MenuData* d = Data(m_hMenu);
    if (!Find(d, pos, flags, &owner, &i)) return FALSE;
    if (MenuData* sub = owner->items[i].sub) Free(sub);
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(i));
    Changed(d);
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    MenuData* owner;
    size_t i;
    MenuData* d = Data(m_hMenu);
    if (!Find(d, item, enable, &owner, &i)) return static_cast<UINT>(-1);
    Item& it = owner->items[i];
    UINT old = it.flags & (MF_GRAYED | MF_DISABLED);
    it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    if (owner == d && d->bar && old != (it.flags & (MF_GRAYED | MF_DISABLED))) Changed(d);
    return old;
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    MenuData* owner;
    size_t i;
    if (!Find(Data(m_hMenu), item, check, &owner, &i)) return static_cast<UINT>(-1);
    Item& it = owner->items[i];
    UINT old = it.flags & MF_CHECKED;
    it.flags = (it.flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return old;
}

BOOL CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) {
    MenuData* d = Data(m_hMenu);
    if (!d) return FALSE;
    BOOL found = FALSE;
    for (UINT p = first; p <= last; ++p) {
        MenuData* owner;
        size_t i;
        if (!Find(d, p, flags, &owner, &i)) continue;
        Item& it = owner->items[i];
        if (p == item) {
            it.flags |= MF_CHECKED;
            found = TRUE;
        } else {
            it.flags &= ~MF_CHECKED;
        }
    }
    return found;
}

HBITMAP AfxGetRadioCheckBitmap() {
    static const HBITMAP dot = [] {
        // A black dot 6 pixels across (0 bits) on white (1 bits).
        BYTE bits[13 * 2] = {};
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x) {
                const int dx = 2 * x - 12, dy = 2 * y - 12;
                if (dx * dx + dy * dy > 36) bits[y * 2 + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            }
        return ::CreateBitmap(13, 13, 1, 1, bits);
    }();
    return dot;
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPos) {
    // The default is a state of the item, so it stays with it when others come or go.
    MenuData* d = Data(m_hMenu);
    if (!d) return FALSE;
    MenuData* owner = d;
    size_t i = 0;
    if (item != static_cast<UINT>(-1) && (!Find(d, item, byPos ? MF_BYPOSITION : 0, &owner, &i) || owner != d)) return FALSE;
    for (Item& it : d->items) it.flags &= ~MF_DEFAULT;
    if (item != static_cast<UINT>(-1)) d->items[i].flags |= MF_DEFAULT;
    Changed(d);
    return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, nullptr);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}

namespace {
// The id a script chose from a tracked popup, as a person could choose it:
// the popups on the way to the item open first (their owner updates them),
// and an id that is not an enabled command of the menu dismisses it (0).
UINT ScriptedChoice(MenuData* d, UINT id, CWnd* owner) {
    if (id == 0) return 0;
    for (size_t i = 0; i < d->items.size(); ++i) {
        const Item& it = d->items[i];
        if (it.sub) {
            MenuData* where;
            size_t at;
            if (Disabled(it.flags) || !Find(it.sub, id, MF_BYCOMMAND, &where, &at)) continue;
            MenuData* sub = it.sub;  // the owner's update may change the items
            if (owner)
                CallWnd(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Handle(sub)), MAKELPARAM(static_cast<WORD>(i), 0));
            return Live().count(sub) ? ScriptedChoice(sub, id, owner) : 0;
        }
        if (it.id == id && !(it.flags & MF_SEPARATOR)) return Disabled(it.flags) ? 0 : id;
    }
    return 0;
}
}  // namespace

HMENU CreateMenu() { return Handle(NewMenu(true)); }
HMENU CreatePopupMenu() { return Handle(NewMenu(false)); }
BOOL IsMenu(HMENU h) { return Data(h) != nullptr; }

BOOL DestroyMenu(HMENU h) {
    MenuData* d = Data(h);
    if (!d) return FALSE;
    for (HWND w : AllWindows())
        if (WindowState* s = StateOf(w); s && s->menu && s->menu->m_hMenu == h) {
            s->menu = nullptr;
            RebuildMenuBar(s);
        }
    Free(d);
    return TRUE;
}

HMENU LoadMenu(HINSTANCE module, LPCSTR name) {
    CMenuTemplate t;
    if (!AfxLoadMenuTemplate(module, name, t)) return nullptr;
    MenuData* d = NewMenu(true);
    Build(d, t.items);
    return Handle(d);
}

BOOL TrackPopupMenu(HMENU h, UINT flags, int x, int y, int, HWND owner, LPCRECT) {
    MenuData* d = Data(h);
    if (!d) return FALSE;
    d->owner = owner;
    CWnd* o = CWnd::FromHandlePermanent(owner);
    if (o) CallWnd(o, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(h), 0);
    if (!Data(h)) return FALSE;
    UINT chosen = 0;
    if (AfxTestScript::Enabled()) {
        // A script answers with the command id to choose (0: dismissed).
        int answer = 0;
        AfxTestScript::TakeAnswer(&answer);
        AfxShownRecord rec;
        rec.kind = "menu";
        for (const Item& it : d->items) rec.buttons.push_back(it.text.GetString());
        chosen = ScriptedChoice(d, static_cast<UINT>(answer), o);
        rec.result = static_cast<int>(chosen);
        AfxTestScript::Record(rec);
    } else if (NobodyToAsk("menu", "")) {
        chosen = 0;
    } else {
        QMenu menu(o && o->m_pWidget ? o->m_pWidget->window() : nullptr);
        new MenuCharFilter(d, &menu);
        SetHighlight(d, static_cast<size_t>(-1), nullptr);
        QObject::connect(&menu, &QMenu::hovered, &menu, [d, &menu](QAction* a) {
            SetHighlight(d, static_cast<size_t>(menu.actions().indexOf(a)), &menu);
        });
        AddItems(d, &menu);
        // Items triggered directly (owner-drawn ones, WM_MENUCHAR) end the menu without being its result.
        QAction* triggered = nullptr;
        QObject::connect(&menu, &QMenu::triggered, &menu, [&triggered](QAction* a) { triggered = a; });
        ++g_tracking;
        QAction* a = menu.exec(QPoint(x, y));
        --g_tracking;
        if (!a) a = triggered;
        if (a) chosen = a->property("afxId").toUInt();
    }
    TellMenuClosed(owner);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen && o && !(flags & TPM_NONOTIFY)) o->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return chosen != 0;
}

// Menus of windows.
CMenu* CWnd::GetMenu() const {
    WindowState* s = StateOf(m_hWnd);
    return s ? s->menu : nullptr;
}

BOOL CWnd::SetMenu(CMenu* menu) {
    WindowState* s = StateOf(m_hWnd);
    if (!s) return FALSE;
    // The framework's own object: it lives as long as the menu, unlike the caller's.
    MenuData* d = menu ? Data(menu->m_hMenu) : nullptr;
    s->menu = d ? Wrapper(d) : nullptr;
    RebuildMenuBar(s);
    QRect c = ClientRectQ(s);
    CallWnd(this, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(c.width()), static_cast<WORD>(c.height())));
    return TRUE;
}

void CWnd::DrawMenuBar() { RebuildMenuBar(StateOf(m_hWnd)); }

CMenu* CWnd::GetSystemMenu(BOOL) const {
    static CMenu* sys = nullptr;
    if (!sys) {
        sys = new CMenu;
        sys->CreatePopupMenu();
    }
    return sys;
}

BOOL AfxTestGrabMenuBarPopup(CWnd* frame, int pos, LPCTSTR path) {
    WindowState* s = frame ? StateOf(frame->m_hWnd) : nullptr;
    if (!s || !s->menuBar || !path || pos < 0 || pos >= s->menuBar->actions().size()) return FALSE;
    QMenu* popup = s->menuBar->actions()[pos]->menu();
    if (!popup) return FALSE;
    popup->popup(s->menuBar->mapToGlobal(QPoint(0, s->menuBar->height())));
    QApplication::processEvents();
    const bool saved = popup->grab().save(ToQ(path), "PNG");
    popup->close();
    QApplication::processEvents();
    return saved ? TRUE : FALSE;
}

BOOL AfxTestGrabPopupMenu(CMenu* popup, CWnd* owner, LPCTSTR path) {
    MenuData* d = popup ? Data(popup->m_hMenu) : nullptr;
    if (!d || !path) return FALSE;
    HWND h = owner ? owner->m_hWnd : nullptr;
    d->owner = h;
    // The owner prepares the popup as it would for TrackPopupMenu (updates, owner draw).
    if (owner) CallWnd(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->m_hMenu), 0);
    if (!Data(popup->m_hMenu)) return FALSE;
    QMenu menu(owner && owner->m_pWidget ? owner->m_pWidget->window() : nullptr);
    AddItems(d, &menu);
    menu.popup(QPoint(0, 0));
    QApplication::processEvents();
    const bool saved = menu.grab().save(ToQ(path), "PNG");
    menu.close();
    QApplication::processEvents();
    TellMenuClosed(h);
    return saved ? TRUE : FALSE;
}

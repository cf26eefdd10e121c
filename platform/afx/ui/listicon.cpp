// The icon, small-icon and list views of the list control. Items are kept
// here with their positions; the view paints them in WM_PAINT through a
// device context, asking the parent for custom drawing, and handles the
// mouse and keys as the window system's list control does: a click selects
// and focuses, Ctrl toggles, Shift extends, a second click on a focused
// label (or F2) edits it, dragging an item starts LVN_BEGINDRAG.
#include <algorithm>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/listicon.h"

namespace afx_detail {

namespace {
constexpr int kIconPad = 2;       // around the image and the label in the icon view
constexpr int kMinIconCell = 75;  // the icon view's default cell width
constexpr int kDragDistance = 4;  // pixels the mouse moves before a drag starts
constexpr UINT_PTR kEditTimer = 0x4C56;

QRect ToQRect(const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
RECT ToRECT(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A device context for measuring text in the list's font.
class MeasureDC {
public:
    explicit MeasureDC(HFONT font) : dc_(::CreateCompatibleDC(nullptr)) { ::SelectObject(dc_, font); }
    ~MeasureDC() { ::DeleteDC(dc_); }
    MeasureDC(const MeasureDC&) = delete;
    MeasureDC& operator=(const MeasureDC&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
};

HFONT FontOf(HWND h) {
    WindowState* s = StateOf(h);
    return s && s->font ? s->font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}
}  // namespace

IconListView::IconListView(QWidget* parent, UINT) : AfxWindowWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void IconListView::Attach(WindowState* s) {
    hwnd_ = s->hwnd;
    s->controlProc = [this](UINT m, WPARAM wp, LPARAM lp, LRESULT* r) { return OnMessage(m, wp, lp, r); };
}

IconListView* IconViewOf(const CWnd* wnd) { return wnd ? dynamic_cast<IconListView*>(wnd->m_pWidget) : nullptr; }

QWidget* MakeIconList(CREATESTRUCT& cs, QWidget* parent) {
    auto* v = new IconListView(parent, static_cast<UINT>(cs.style));
    SetPendingSetup([v](WindowState* s) { v->Attach(s); });
    return v;
}

DWORD IconListView::Style() const {
    WindowState* s = StateOf(hwnd_);
    return s && s->wnd ? s->wnd->GetStyle() : 0;
}

UINT IconListView::Type() const { return Style() & LVS_TYPEMASK; }

bool IconListView::HasFocus() const { return ::GetFocus() == hwnd_; }

LRESULT IconListView::Notify(UINT code, NMHDR* hdr) const { return NotifyListParent(hwnd_, code, hdr); }

void IconListView::NotifyItem(UINT code, int i, QPoint pt) const {
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.ptAction = POINT{pt.x(), pt.y()};
    if (i >= 0 && i < Count()) nm.lParam = items_[static_cast<size_t>(i)].data;
    Notify(code, &nm.hdr);
}

// Model.
int IconListView::Insert(const LVITEM& in) {
    int at = in.iItem < 0 || in.iItem > Count() ? Count() : in.iItem;
    ListItem it;
    it.id = nextId_++;
    it.text.resize(1);
    if ((in.mask & LVIF_TEXT) && in.pszText) it.text[0] = in.pszText;
    if (in.mask & LVIF_IMAGE) it.image = in.iImage;
    if (in.mask & LVIF_PARAM) it.data = in.lParam;
    if (in.mask & LVIF_STATE) it.state = in.state & in.stateMask & ~LVIS_FOCUSED;
    it.pos = FreeSlot(-1);
    if ((it.state & LVIS_SELECTED) && (Style() & LVS_SINGLESEL))
        for (ListItem& other : items_) other.state &= ~LVIS_SELECTED;
    items_.insert(items_.begin() + at, it);
    ResetMetrics();
    if (anchor_ >= at) ++anchor_;
    Relayout();
    HWND self = hwnd_;
    NotifyItem(LVN_INSERTITEM, at);
    if (!StateOf(self)) return -1;
    if ((in.mask & LVIF_STATE) && (in.stateMask & in.state & LVIS_FOCUSED)) ChangeState(at, LVIS_FOCUSED, LVIS_FOCUSED);
    return at;
}

bool IconListView::Delete(int i) {
    if (!Valid(i)) return false;
    HWND self = hwnd_;
    unsigned id = At(i).id;
    NotifyItem(LVN_DELETEITEM, i);
    if (!StateOf(self)) return false;
    i = IndexOfId(id);  // the parent may have changed the list
    if (i < 0) return true;
    if (editId == id && edit)
        if (CWnd* e = CWnd::FromHandlePermanent(edit)) e->DestroyWindow();
    items_.erase(items_.begin() + i);
    ResetMetrics();
    if (anchor_ == i) anchor_ = -1;
    else if (anchor_ > i) --anchor_;
    Relayout();
    update();
    return true;
}

bool IconListView::DeleteAll() {
    HWND self = hwnd_;
    while (Count() > 0)
        if (!Delete(Count() - 1) || !StateOf(self)) return false;
    origin_ = QPoint();
    Relayout();
    return true;
}

bool IconListView::SetText(int i, int sub, LPCTSTR text) {
    if (!Valid(i) || sub < 0 || sub > 255) return false;
    ListItem& it = At(i);
    if (static_cast<size_t>(sub) >= it.text.size()) it.text.resize(static_cast<size_t>(sub) + 1);
    it.text[static_cast<size_t>(sub)] = text ? text : "";
    if (sub == 0) {
        ResetMetrics();
        if (Style() & LVS_AUTOARRANGE) Relayout();
        update();
    }
    return true;
}

CString IconListView::Text(int i, int sub) const {
    if (!Valid(i) || sub < 0) return CString();
    const ListItem& it = items_[static_cast<size_t>(i)];
    return static_cast<size_t>(sub) < it.text.size() ? it.text[static_cast<size_t>(sub)] : CString();
}

bool IconListView::SetImage(int i, int image) {
    if (!Valid(i)) return false;
    At(i).image = image;
    RedrawItem(i);
    return true;
}

int IconListView::IndexOfId(unsigned id) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].id == id) return i;
    return -1;
}

bool IconListView::ChangeState(int i, UINT state, UINT mask) {
    if (i < 0) {
        // Every item; the focus can rest on one item only.
        bool ok = true;
        for (int k = 0; k < Count(); ++k) {
            UINT m = mask;
            if ((state & LVIS_FOCUSED) && k != Count() - 1) m &= ~LVIS_FOCUSED;
            ok = ChangeState(k, state, m) && ok;
        }
        return ok;
    }
    if (!Valid(i)) return false;
    HWND self = hwnd_;
    unsigned id = At(i).id;
    // One focused item, and with LVS_SINGLESEL one selected item: the others lose it first.
    UINT taken = state & mask & (LVIS_FOCUSED | ((Style() & LVS_SINGLESEL) ? LVIS_SELECTED : 0u));
    if (taken) {
        for (int k = 0; k < Count(); ++k) {
            if (items_[static_cast<size_t>(k)].id == id || !(items_[static_cast<size_t>(k)].state & taken)) continue;
            ChangeState(k, 0, taken);
            if (!StateOf(self)) return false;
        }
        i = IndexOfId(id);
        if (i < 0) return false;
    }
    UINT old = At(i).state;
    UINT now = (old & ~mask) | (state & mask);
    if (now == old) return true;
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.uChanged = LVIF_STATE;
    nm.uOldState = old;
    nm.uNewState = now;
    nm.lParam = At(i).data;
    if (Notify(LVN_ITEMCHANGING, &nm.hdr)) return false;  // the parent refused
    if (!StateOf(self) || (i = IndexOfId(id)) < 0) return false;
    At(i).state = now;
    if ((now & LVIS_FOCUSED) && (Style() & LVS_AUTOARRANGE) && Type() == LVS_ICON) Relayout();  // the full label shows
    RedrawItem(i);
    nm = NMLISTVIEW{};
    nm.iItem = i;
    nm.uChanged = LVIF_STATE;
    nm.uOldState = old;
    nm.uNewState = now;
    nm.lParam = At(i).data;
    Notify(LVN_ITEMCHANGED, &nm.hdr);
    return true;
}

UINT IconListView::State(int i, UINT mask) const { return Valid(i) ? items_[static_cast<size_t>(i)].state & mask : 0; }

int IconListView::NextItem(int start, UINT flags) const {
    UINT need = flags & (LVNI_SELECTED | LVNI_FOCUSED | LVNI_CUT | LVNI_DROPHILITED);
    auto matches = [&](int k) { return (State(k, need) & need) == need; };
    UINT dir = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    if (!dir || Type() == LVS_REPORT) {
        for (int k = start + 1; k < Count(); ++k)
            if (matches(k)) return k;
        return -1;
    }
    // The nearest item in the direction: the one ahead with the least sideways offset, then the least distance.
    if (!Valid(start)) return -1;
    QRect from;
    ItemRect(start, LVIR_BOUNDS, from);
    QPoint c = from.center();
    int best = -1;
    long long bestScore = 0;
    for (int k = 0; k < Count(); ++k) {
        if (k == start || !matches(k)) continue;
        QRect r;
        ItemRect(k, LVIR_BOUNDS, r);
        QPoint d = r.center() - c;
        int ahead = dir == LVNI_ABOVE ? -d.y() : dir == LVNI_BELOW ? d.y() : dir == LVNI_TOLEFT ? -d.x() : d.x();
        int side = (dir == LVNI_ABOVE || dir == LVNI_BELOW) ? std::abs(d.x()) : std::abs(d.y());
        if (ahead <= 0) continue;
        long long score = static_cast<long long>(side) * 4 + ahead;
        if (best < 0 || score < bestScore) {
            best = k;
            bestScore = score;
        }
    }
    return best;
}

// Geometry.
QSize IconListView::ImageSize(bool large) const {
    const CImageList* l = images[large ? LVSIL_NORMAL : LVSIL_SMALL];
    if (l) return QSize(l->m_size.cx, l->m_size.cy);
    return large ? QSize(32, 32) : QSize(16, 16);
}

int IconListView::LineHeight() const {
    if (lineHeight_ > 0) return lineHeight_;
    MeasureDC m(FontOf(hwnd_));
    TEXTMETRICA tm{};
    ::GetTextMetricsA(m.dc(), &tm);
    lineHeight_ = tm.tmHeight > 0 ? static_cast<int>(tm.tmHeight) : 13;
    return lineHeight_;
}

QSize IconListView::Cell() const {
    int line = LineHeight();
    if (Type() == LVS_ICON) {
        QSize img = ImageSize(true);
        int w = spacing_.width() > 0 ? spacing_.width() : std::max(kMinIconCell, img.width() + 2 * kIconPad);
        int h = spacing_.height() > 0 ? spacing_.height() : img.height() + 4 * kIconPad + 2 * line + 2 * kIconPad;
        return QSize(w, h);
    }
    QSize img = ImageSize(false);
    int h = std::max(img.height(), line) + 2;
    if (widest_ < 0) {
        widest_ = 0;
        for (const ListItem& it : items_) widest_ = std::max(widest_, LabelSize(it, false).width());
    }
    int w = Type() == LVS_LIST && listColumnWidth_ > 0 ? listColumnWidth_ : img.width() + 3 * kIconPad + widest_ + 8;
    return QSize(std::max(w, 16), h);
}

QSize IconListView::LabelSize(const ListItem& it, bool full) const {
    MeasureDC m(FontOf(hwnd_));
    const CString& text = it.text.empty() ? CString() : it.text[0];
    if (Type() != LVS_ICON) {
        SIZE sz{};
        ::GetTextExtentPoint32A(m.dc(), text, text.GetLength(), &sz);
        return QSize(static_cast<int>(sz.cx), static_cast<int>(sz.cy));
    }
    int width = Cell().width() - 2 * kIconPad;
    RECT r{0, 0, width, 0};
    UINT fmt = DT_CALCRECT | DT_CENTER | DT_NOPREFIX | ((Style() & LVS_NOLABELWRAP) ? DT_SINGLELINE : DT_WORDBREAK | DT_EDITCONTROL);
    ::DrawTextA(m.dc(), text.IsEmpty() ? " " : text.GetString(), -1, &r, fmt);
    int line = LineHeight();
    int h = r.bottom - r.top;
    if (!full && h > 2 * line) h = 2 * line;  // unfocused labels show two lines
    return QSize(std::min<int>(r.right - r.left, width), std::max(h, line));
}

int IconListView::ListRows() const {
    int rows = height() / std::max(1, Cell().height());
    return rows > 0 ? rows : 1;
}

POINT IconListView::ViewPos(int i) const {
    if (Type() == LVS_LIST) {
        QSize c = Cell();
        int rows = ListRows();
        return POINT{(i / rows) * c.width(), (i % rows) * c.height()};
    }
    return items_[static_cast<size_t>(i)].pos;
}

// The item's box, image and label, in view coordinates.
void IconListView::Geometry(int i, QRect* bounds, QRect* icon, QRect* label) const {
    const ListItem& it = items_[static_cast<size_t>(i)];
    POINT p = ViewPos(i);
    QSize cell = Cell();
    QRect b, ic, lb;
    if (Type() == LVS_ICON) {
        QSize img = ImageSize(true);
        ic = QRect(p.x + (cell.width() - img.width()) / 2, p.y + kIconPad, img.width(), img.height());
        QSize ls = LabelSize(it, (it.state & LVIS_FOCUSED) != 0);
        int lw = ls.width() + 2 * kIconPad;
        lb = QRect(p.x + (cell.width() - lw) / 2, ic.bottom() + 1 + kIconPad, lw, ls.height() + kIconPad);
        b = QRect(p.x, p.y, cell.width(), lb.bottom() + 1 - p.y);
    } else {
        QSize img = ImageSize(false);
        ic = QRect(p.x + kIconPad, p.y + (cell.height() - img.height()) / 2, img.width(), img.height());
        QSize ls = LabelSize(it, true);
        int right = Type() == LVS_LIST ? p.x + cell.width() : ic.right() + 1 + kIconPad + ls.width() + 2 * kIconPad;
        lb = QRect(QPoint(ic.right() + 1 + kIconPad, p.y), QPoint(std::max(right, ic.right() + 2 + kIconPad) - 1, p.y + cell.height() - 1));
        b = QRect(QPoint(p.x, p.y), lb.bottomRight());
    }
    if (bounds) *bounds = b;
    if (icon) *icon = ic;
    if (label) *label = lb;
}

bool IconListView::ItemRect(int i, UINT code, QRect& out) const {
    if (!Valid(i)) return false;
    QRect b, ic, lb;
    Geometry(i, &b, &ic, &lb);
    switch (code) {
    case LVIR_BOUNDS: out = b; break;
    case LVIR_ICON: out = Type() == LVS_ICON ? QRect(b.left(), b.top(), b.width(), ic.bottom() + 1 + kIconPad - b.top()) : ic; break;
    case LVIR_LABEL: out = lb; break;
    case LVIR_SELECTBOUNDS: out = ic.united(lb); break;
    default: return false;
    }
    out.translate(-origin_);
    return true;
}

int IconListView::HitTest(QPoint pt, UINT* flags) const {
    // Later items lie on top of earlier ones.
    for (int i = Count() - 1; i >= 0; --i) {
        QRect ic, lb;
        ItemRect(i, LVIR_ICON, ic);
        ItemRect(i, LVIR_LABEL, lb);
        if (ic.contains(pt) || lb.contains(pt)) {
            if (flags) *flags = ic.contains(pt) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
            return i;
        }
    }
    if (flags) {
        UINT f = 0;
        if (pt.y() < 0) f |= LVHT_ABOVE;
        if (pt.y() >= height()) f |= LVHT_BELOW;
        if (pt.x() < 0) f |= LVHT_TOLEFT;
        if (pt.x() >= width()) f |= LVHT_TORIGHT;
        *flags = f ? f : LVHT_NOWHERE;
    }
    return -1;
}

bool IconListView::SetPosition(int i, POINT pt) {
    if (!Valid(i) || Type() == LVS_LIST || Type() == LVS_REPORT) return false;
    At(i).pos = pt;
    UpdateScroll();
    update();
    return true;
}

bool IconListView::Position(int i, POINT& pt) const {
    if (!Valid(i)) return false;
    QPoint p = QPoint(ViewPos(i).x, ViewPos(i).y);
    pt = POINT{p.x(), p.y()};
    return true;
}

// The first cell of the grid that no item covers; `skip` is an item to leave out.
POINT IconListView::FreeSlot(int skip) const {
    QSize c = Cell();
    bool byColumn = (Style() & LVS_ALIGNLEFT) != 0;
    int across = std::max(1, byColumn ? height() / c.height() : width() / c.width());
    for (int k = 0;; ++k) {
        int a = k % across, b = k / across;
        POINT p = byColumn ? POINT{b * c.width(), a * c.height()} : POINT{a * c.width(), b * c.height()};
        QRect slot(p.x, p.y, c.width(), c.height());
        bool taken = false;
        for (int i = 0; i < Count() && !taken; ++i)
            if (i != skip) taken = slot.contains(QPoint(items_[static_cast<size_t>(i)].pos.x, items_[static_cast<size_t>(i)].pos.y));
        if (!taken) return p;
    }
}

void IconListView::Arrange(UINT code) {
    if (Type() != LVS_ICON && Type() != LVS_SMALLICON) return;
    QSize c = Cell();
    if (code == LVA_SNAPTOGRID) {
        for (ListItem& it : items_) {
            it.pos.x = (it.pos.x + c.width() / 2) / c.width() * c.width();
            it.pos.y = (it.pos.y + c.height() / 2) / c.height() * c.height();
        }
    } else {
        bool byColumn = code == LVA_ALIGNLEFT || (code == LVA_DEFAULT && (Style() & LVS_ALIGNLEFT));
        int across = std::max(1, byColumn ? height() / c.height() : width() / c.width());
        for (int k = 0; k < Count(); ++k) {
            int a = k % across, b = k / across;
            At(k).pos = byColumn ? POINT{b * c.width(), a * c.height()} : POINT{a * c.width(), b * c.height()};
        }
    }
    UpdateScroll();
    update();
}

void IconListView::Relayout() {
    if (layingOut_) return;
    layingOut_ = true;
    if ((Style() & LVS_AUTOARRANGE) && (Type() == LVS_ICON || Type() == LVS_SMALLICON)) Arrange(LVA_DEFAULT);
    else UpdateScroll();
    layingOut_ = false;
    update();
}

QSize IconListView::SetSpacing(QSize size) {
    QSize old = Cell();
    spacing_ = size;
    Relayout();
    return old;
}

QRect IconListView::ViewRect() const {
    QRect all;
    for (int i = 0; i < Count(); ++i) {
        QRect b;
        ItemRect(i, LVIR_BOUNDS, b);
        all = all.united(b.translated(origin_));
    }
    return all;
}

void IconListView::UpdateScroll() {
    WindowState* s = StateOf(hwnd_);
    if (!s || !s->wnd) return;
    bool was = layingOut_;
    layingOut_ = true;
    QRect all = ViewRect().united(QRect(0, 0, 1, 1));
    bool noScroll = (Style() & LVS_NOSCROLL) != 0;
    for (int bar = 0; bar < 2; ++bar) {
        // Scrolling shows the items' whole extent, from the origin or the furthest item.
        int lo = bar == SB_HORZ ? std::min(0, all.left()) : std::min(0, all.top());
        int hi = bar == SB_HORZ ? all.right() : all.bottom();
        int page = bar == SB_HORZ ? width() : height();
        if (Type() == LVS_LIST && bar == SB_VERT) hi = lo;  // the list view scrolls sideways only
        if (noScroll) hi = lo;
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, lo, hi, static_cast<UINT>(std::max(page, 1)),
                      bar == SB_HORZ ? origin_.x() : origin_.y(), 0};
        int maxTop = std::max(lo, hi - std::max(page, 1) + 1);
        int pos = std::clamp(bar == SB_HORZ ? origin_.x() : origin_.y(), lo, maxTop);
        if (hi - lo + 1 <= page) pos = lo < 0 ? lo : 0;
        if (bar == SB_HORZ) origin_.setX(pos);
        else origin_.setY(pos);
        si.nPos = pos;
        s->wnd->SetScrollInfo(bar, &si, TRUE);
        if (!StateOf(hwnd_)) return;
    }
    layingOut_ = was;
}

void IconListView::ScrollBy(int dx, int dy) {
    origin_ += QPoint(dx, dy);
    UpdateScroll();
    update();
}

bool IconListView::EnsureVisible(int i) {
    QRect b;
    if (!ItemRect(i, LVIR_BOUNDS, b)) return false;
    int dx = 0, dy = 0;
    if (b.right() >= width()) dx = b.right() + 1 - width();
    if (b.left() - dx < 0) dx = b.left();
    if (b.bottom() >= height()) dy = b.bottom() + 1 - height();
    if (b.top() - dy < 0) dy = b.top();
    if (dx || dy) ScrollBy(dx, dy);
    return true;
}

int IconListView::TopIndex() const {
    if (Type() != LVS_LIST) return 0;
    int col = origin_.x() / std::max(1, Cell().width());
    return std::min(Count(), col * ListRows());
}

int IconListView::CountPerPage() const {
    QSize c = Cell();
    int across = std::max(1, width() / c.width()), down = std::max(1, height() / c.height());
    return Type() == LVS_LIST ? across * ListRows() : across * down;
}

void IconListView::SetListColumnWidth(int w) {
    listColumnWidth_ = w;
    Relayout();
}

int IconListView::ListColumnWidth() const { return Cell().width(); }

int IconListView::StringWidth(const CString& text) const {
    MeasureDC m(FontOf(hwnd_));
    SIZE sz{};
    ::GetTextExtentPoint32A(m.dc(), text, text.GetLength(), &sz);
    return static_cast<int>(sz.cx);
}

QRect IconListView::LabelEditRect(int i) const {
    QRect lb;
    if (!ItemRect(i, LVIR_LABEL, lb)) return QRect();
    int h = LineHeight() + 6;
    if (Type() == LVS_ICON) {
        QRect b;
        ItemRect(i, LVIR_BOUNDS, b);
        return QRect(b.left(), lb.top(), b.width(), std::max(h, lb.height()));
    }
    return QRect(lb.left(), lb.top() + (lb.height() - h) / 2, std::max(lb.width(), 40), h);
}

void IconListView::RedrawItem(int i) {
    QRect b;
    if (!ItemRect(i, LVIR_BOUNDS, b)) return;
    if (CWnd* w = CWnd::FromHandlePermanent(hwnd_)) {
        RECT r = ToRECT(b.adjusted(-1, -1, 1, 1));
        w->InvalidateRect(&r, TRUE);
    }
}

// Painting.
void IconListView::Paint() {
    HWND self = hwnd_;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(self, &ps);
    if (!dc) return;
    int saved = ::SaveDC(dc);
    ::SelectObject(dc, FontOf(self));
    QRect client(0, 0, width(), height());
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = ToRECT(client);
    LRESULT whole = Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
    if (!StateOf(self)) return;
    QRect dirty = ToQRect(ps.rcPaint);
    if (!(whole & CDRF_SKIPDEFAULT)) {
        bool focus = HasFocus();
        for (int i = 0; i < Count(); ++i) {
            QRect b;
            ItemRect(i, LVIR_BOUNDS, b);
            if (!b.intersects(client) || (!dirty.isEmpty() && !b.intersects(dirty))) continue;
            const ListItem& it = At(i);
            bool selected = (it.state & LVIS_SELECTED) && (focus || (Style() & LVS_SHOWSELALWAYS));
            bool hilite = selected || (it.state & LVIS_DROPHILITED);
            COLORREF text = hilite ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
            COLORREF back = hilite ? (focus || (it.state & LVIS_DROPHILITED) ? ::GetSysColor(COLOR_HIGHLIGHT) : ::GetSysColor(COLOR_BTNFACE))
                                   : ::GetSysColor(COLOR_WINDOW);
            if (hilite && !focus && !(it.state & LVIS_DROPHILITED)) text = ::GetSysColor(COLOR_WINDOWTEXT);
            LRESULT item = CDRF_DODEFAULT;
            int keep = ::SaveDC(dc);
            if (whole & CDRF_NOTIFYITEMDRAW) {
                cd = NMLVCUSTOMDRAW{};
                cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
                cd.nmcd.hdc = dc;
                cd.nmcd.rc = ToRECT(b);
                cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(i);
                cd.nmcd.uItemState = ((it.state & LVIS_SELECTED) ? CDIS_SELECTED : 0u) | ((it.state & LVIS_FOCUSED) && focus ? CDIS_FOCUS : 0u);
                cd.nmcd.lItemlParam = it.data;
                cd.clrText = text;
                cd.clrTextBk = back;
                item = Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
                if (!StateOf(self)) return;
                if (!Valid(i)) {
                    ::RestoreDC(dc, keep);
                    break;
                }
                text = cd.clrText;
                back = cd.clrTextBk;
                if (!(item & CDRF_NEWFONT)) ::SelectObject(dc, FontOf(self));
            }
            if (!(item & CDRF_SKIPDEFAULT)) PaintItem(dc, i, text, back);
            ::RestoreDC(dc, keep);
            if (item & CDRF_NOTIFYPOSTPAINT) {
                cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
                Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
                if (!StateOf(self)) return;
            }
        }
    }
    if (whole & CDRF_NOTIFYPOSTPAINT) {
        cd = NMLVCUSTOMDRAW{};
        cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
        cd.nmcd.hdc = dc;
        cd.nmcd.rc = ToRECT(client);
        Notify(NM_CUSTOMDRAW, &cd.nmcd.hdr);
        if (!StateOf(self)) return;
    }
    ::RestoreDC(dc, saved);
    ::EndPaint(self, &ps);
}

void IconListView::PaintItem(HDC dc, int i, COLORREF text, COLORREF back) {
    const ListItem& it = At(i);
    QRect ic, lb;
    ItemRect(i, LVIR_LABEL, lb);
    Geometry(i, nullptr, &ic, nullptr);
    ic.translate(-origin_);
    bool large = Type() == LVS_ICON;
    const CImageList* list = images[large ? LVSIL_NORMAL : LVSIL_SMALL];
    bool hilite = (it.state & (LVIS_SELECTED | LVIS_DROPHILITED)) && (HasFocus() || (Style() & LVS_SHOWSELALWAYS) || (it.state & LVIS_DROPHILITED));
    if (list && it.image >= 0 && it.image < list->GetImageCount())
        list->Draw(CDC::FromHandle(dc), it.image, POINT{ic.left(), ic.top()}, hilite ? ILD_SELECTED : ILD_NORMAL);
    if (edit && editId == it.id) return;  // the edit box covers the label
    RECT r = ToRECT(lb);
    if (back != CLR_NONE && back != CLR_DEFAULT) {
        HBRUSH brush = ::CreateSolidBrush(back);
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
    }
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, text == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOWTEXT) : text);
    const CString& label = it.text.empty() ? CString() : it.text[0];
    RECT tr = r;
    if (large) {
        ::InflateRect(&tr, -kIconPad, 0);
        tr.top += 1;
        UINT fmt = DT_CENTER | DT_NOPREFIX | ((Style() & LVS_NOLABELWRAP) ? DT_SINGLELINE | DT_END_ELLIPSIS : DT_WORDBREAK | DT_EDITCONTROL);
        ::DrawTextA(dc, label, label.GetLength(), &tr, fmt);
    } else {
        tr.left += kIconPad;
        ::DrawTextA(dc, label, label.GetLength(), &tr, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if ((it.state & LVIS_FOCUSED) && HasFocus()) ::DrawFocusRect(dc, &r);
}

// Input.
void IconListView::SelectOnly(int i) {
    HWND self = hwnd_;
    unsigned id = Valid(i) ? At(i).id : 0;
    for (int k = 0; k < Count() && StateOf(self); ++k)
        if (items_[static_cast<size_t>(k)].id != id && (items_[static_cast<size_t>(k)].state & LVIS_SELECTED)) ChangeState(k, 0, LVIS_SELECTED);
    if (!StateOf(self)) return;
    if (int at = IndexOfId(id); at >= 0) ChangeState(at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void IconListView::SelectRange(int a, int b) {
    HWND self = hwnd_;
    int lo = std::min(a, b), hi = std::max(a, b);
    for (int k = 0; k < Count() && StateOf(self); ++k) ChangeState(k, (k >= lo && k <= hi) ? LVIS_SELECTED : 0u, LVIS_SELECTED);
}

void IconListView::MoveFocus(int to, bool extend, bool focusOnly) {
    if (!Valid(to)) return;
    HWND self = hwnd_;
    unsigned id = At(to).id;
    bool single = (Style() & LVS_SINGLESEL) != 0;
    if (focusOnly && !single) {
        ChangeState(to, LVIS_FOCUSED, LVIS_FOCUSED);
    } else if (extend && !single && Valid(anchor_)) {
        SelectRange(anchor_, to);
        if (StateOf(self) && IndexOfId(id) >= 0) ChangeState(IndexOfId(id), LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        SelectOnly(to);
        anchor_ = IndexOfId(id);
    }
    if (StateOf(self) && IndexOfId(id) >= 0) EnsureVisible(IndexOfId(id));
}

void IconListView::OnButtonDown(UINT m, UINT flags, QPoint pt) {
    HWND self = hwnd_;
    if (CWnd* w = CWnd::FromHandlePermanent(self); w && ::GetFocus() != self) w->SetFocus();
    if (!StateOf(self)) return;
    if (CWnd* w = CWnd::FromHandlePermanent(self)) w->KillTimer(kEditTimer);
    pendingEditId_ = 0;
    UINT where = 0;
    int hit = HitTest(pt, &where);
    bool single = (Style() & LVS_SINGLESEL) != 0;
    bool right = m == WM_RBUTTONDOWN;
    pressOnSelectedFocus_ = hit >= 0 && (State(hit, LVIS_SELECTED | LVIS_FOCUSED) == (LVIS_SELECTED | LVIS_FOCUSED)) && (where & LVHT_ONITEMLABEL);
    unsigned id = hit >= 0 ? At(hit).id : 0;
    if (hit < 0) {
        if (!(flags & (MK_CONTROL | MK_SHIFT))) ChangeState(-1, 0, LVIS_SELECTED);
    } else if ((flags & MK_CONTROL) && !single && !right) {
        ChangeState(hit, (State(hit, LVIS_SELECTED) ? 0u : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        anchor_ = IndexOfId(id);
    } else if ((flags & MK_SHIFT) && !single && !right) {
        MoveFocus(hit, true, false);
    } else if (!(right && State(hit, LVIS_SELECTED))) {
        SelectOnly(hit);
        anchor_ = IndexOfId(id);
    } else {
        ChangeState(hit, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (!StateOf(self)) return;
    pressed_ = true;
    pressItem_ = hit >= 0 ? IndexOfId(id) : -1;
    pressPt_ = pt;
    if (CWnd* w = CWnd::FromHandlePermanent(self)) w->SetCapture();
}

void IconListView::OnKey(UINT vk) {
    HWND self = hwnd_;
    NMLVKEYDOWN kd{};
    kd.wVKey = static_cast<WORD>(vk);
    Notify(LVN_KEYDOWN, &kd.hdr);
    if (!StateOf(self)) return;
    int focus = NextItem(-1, LVNI_FOCUSED);
    bool shift = KeyIsDown(VK_SHIFT), ctrl = KeyIsDown(VK_CONTROL);
    int to = -1;
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
        if (focus < 0) {
            to = Count() ? 0 : -1;
            break;
        }
        if (Type() == LVS_LIST) {
            int rows = ListRows();
            int step = vk == VK_UP ? -1 : vk == VK_DOWN ? 1 : vk == VK_LEFT ? -rows : rows;
            to = std::clamp(focus + step, 0, Count() - 1);
            break;
        }
        UINT dir = vk == VK_LEFT ? LVNI_TOLEFT : vk == VK_RIGHT ? LVNI_TORIGHT : vk == VK_UP ? LVNI_ABOVE : LVNI_BELOW;
        to = NextItem(focus, dir);
        if (to < 0) to = focus;
        break;
    }
    case VK_HOME: to = Count() ? 0 : -1; break;
    case VK_END: to = Count() - 1; break;
    case VK_SPACE:
        if (ctrl && focus >= 0 && !(Style() & LVS_SINGLESEL))
            ChangeState(focus, State(focus, LVIS_SELECTED) ? 0u : LVIS_SELECTED, LVIS_SELECTED);
        else if (focus >= 0)
            ChangeState(focus, LVIS_SELECTED, LVIS_SELECTED);
        return;
    case VK_F2:
        if ((Style() & LVS_EDITLABELS) && focus >= 0)
            if (auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandlePermanent(self))) list->EditLabel(focus);
        return;
    case VK_RETURN: {
        NMHDR hdr{};
        Notify(NM_RETURN, &hdr);
        return;
    }
    default:
        return;
    }
    if (to >= 0) MoveFocus(to, shift, ctrl);
}

bool IconListView::OnMessage(UINT m, WPARAM wp, LPARAM lp, LRESULT* r) {
    HWND self = hwnd_;
    CWnd* w = CWnd::FromHandlePermanent(self);
    QPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    switch (m) {
    case WM_PAINT:
        Paint();
        *r = 0;
        return true;
    case WM_SIZE:
        if (!layingOut_ && ((Style() & LVS_AUTOARRANGE) || Type() == LVS_LIST)) Relayout();
        else if (!layingOut_) UpdateScroll();
        return false;
    case WM_SETFONT:
        if (WindowState* s = StateOf(self)) s->font = reinterpret_cast<HFONT>(wp);
        ResetMetrics();
        Relayout();
        return false;  // the default keeps the font too
    case WM_GETDLGCODE:
        *r = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        NMHDR hdr{};
        Notify(m == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, &hdr);
        if (StateOf(self)) update();
        return false;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnButtonDown(m, static_cast<UINT>(wp), pt);
        *r = 0;
        return true;
    case WM_MOUSEMOVE:
        if (pressed_ && (wp & (MK_LBUTTON | MK_RBUTTON)) && Valid(pressItem_) &&
            (std::abs(pt.x() - pressPt_.x()) > kDragDistance || std::abs(pt.y() - pressPt_.y()) > kDragDistance)) {
            pressed_ = false;
            if (w) ::ReleaseCapture();
            NotifyItem((wp & MK_RBUTTON) ? LVN_BEGINRDRAG : LVN_BEGINDRAG, pressItem_, pressPt_);
        }
        *r = 0;
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        bool was = pressed_;
        pressed_ = false;
        if (::GetCapture() == self) ::ReleaseCapture();
        if (!was) return true;
        UINT where = 0;
        int hit = HitTest(pt, &where);
        NotifyItem(m == WM_LBUTTONUP ? NM_CLICK : NM_RCLICK, hit, pt);
        if (!StateOf(self)) return true;
        // A click on the label of the item that already had the focus edits it, unless a double click follows.
        if (m == WM_LBUTTONUP && pressOnSelectedFocus_ && hit == pressItem_ && hit >= 0 && (where & LVHT_ONITEMLABEL) &&
            (Style() & LVS_EDITLABELS) && !(wp & (MK_CONTROL | MK_SHIFT)) && w) {
            pendingEditId_ = At(hit).id;
            w->SetTimer(kEditTimer, ::GetDoubleClickTime());
        }
        *r = 0;
        return true;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK: {
        if (w) w->KillTimer(kEditTimer);
        pendingEditId_ = 0;
        int hit = HitTest(pt, nullptr);
        NotifyItem(m == WM_LBUTTONDBLCLK ? NM_DBLCLK : NM_RDBLCLK, hit, pt);
        *r = 0;
        return true;
    }
    case WM_TIMER:
        if (wp != kEditTimer) return false;
        if (w) w->KillTimer(kEditTimer);
        if (int i = IndexOfId(pendingEditId_); i >= 0)
            if (auto* list = dynamic_cast<CListCtrl*>(w)) list->EditLabel(i);
        pendingEditId_ = 0;
        *r = 0;
        return true;
    case WM_KEYDOWN:
        OnKey(static_cast<UINT>(wp));
        *r = 0;
        return true;
    case WM_VSCROLL:
    case WM_HSCROLL: {
        bool vert = m == WM_VSCROLL;
        int page = vert ? height() : width();
        int line = vert ? LineHeight() : std::max(8, Cell().width() / 4);
        if (Type() == LVS_LIST && !vert) line = Cell().width();
        int pos = vert ? origin_.y() : origin_.x();
        int to = pos;
        switch (LOWORD(wp)) {
        case SB_LINEUP: to = pos - line; break;
        case SB_LINEDOWN: to = pos + line; break;
        case SB_PAGEUP: to = pos - page; break;
        case SB_PAGEDOWN: to = pos + page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: to = static_cast<short>(HIWORD(wp)); break;
        case SB_TOP: to = -(1 << 20); break;
        case SB_BOTTOM: to = 1 << 20; break;
        default: break;
        }
        if (to != pos) ScrollBy(vert ? 0 : to - pos, vert ? to - pos : 0);
        *r = 0;
        return true;
    }
    case WM_MOUSEWHEEL: {
        int delta = GET_WHEEL_DELTA_WPARAM(wp);
        int lines = -delta / 40;
        if (Type() == LVS_LIST) ScrollBy(lines > 0 ? Cell().width() : lines < 0 ? -Cell().width() : 0, 0);
        else ScrollBy(0, lines * LineHeight());
        *r = 0;
        return true;
    }
    default:
        return false;
    }
}

}  // namespace afx_detail

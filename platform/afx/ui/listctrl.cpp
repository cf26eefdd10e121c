// List controls over Qt's tree widget (one column per report column, no tree
// decoration), image lists, tab controls and tool tips.
#include <QHeaderView>
#include <QScrollBar>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTreeWidget>

#include <cstring>
#include <map>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/core/dib_qt.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/listicon.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/memory.h"

using namespace afx_detail;

namespace afx_detail {
LRESULT NotifyListParent(HWND h, UINT code, NMHDR* hdr) {
    CWnd* w = CWnd::FromHandlePermanent(h);
    CWnd* parent = w ? w->GetParent() : nullptr;
    if (!parent) return 0;
    hdr->hwndFrom = h;
    hdr->idFrom = static_cast<UINT_PTR>(w->GetDlgCtrlID());
    hdr->code = code;
    return parent->SendMessage(WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}
}  // namespace afx_detail

namespace {
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;

QTreeWidget* TreeOf(const CWnd* w) { return qobject_cast<QTreeWidget*>(w->m_pWidget); }

LRESULT NotifyParent(HWND h, UINT code, NMHDR* hdr) { return NotifyListParent(h, code, hdr); }

// Custom drawing: the parent picks each item's text and background colours.
class CustomDrawDelegate : public QStyledItemDelegate {
public:
    CustomDrawDelegate(HWND list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index.row());
        cd.nmcd.lItemlParam = index.sibling(index.row(), 0).data(kDataRole).toLongLong();
        cd.nmcd.uItemState = (option->state & QStyle::State_Selected) ? ODS_SELECTED : 0;
        cd.iSubItem = index.column();
        cd.clrText = 0xFFFFFFFFu;
        cd.clrTextBk = 0xFFFFFFFFu;
        NotifyParent(list_, NM_CUSTOMDRAW, &cd.nmcd.hdr);
        if (cd.clrText != 0xFFFFFFFFu) {
            QColor c(GetRValue(cd.clrText), GetGValue(cd.clrText), GetBValue(cd.clrText));
            option->palette.setColor(QPalette::Text, c);
            option->palette.setColor(QPalette::HighlightedText, c);
        }
        if (cd.clrTextBk != 0xFFFFFFFFu) option->backgroundBrush = QColor(GetRValue(cd.clrTextBk), GetGValue(cd.clrTextBk), GetBValue(cd.clrTextBk));
    }
    // Owner-drawn rows are as high as the parent's answer to WM_MEASUREITEM, asked once.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize base = QStyledItemDelegate::sizeHint(option, index);
        CWnd* w = CWnd::FromHandlePermanent(list_);
        if (!w || !(w->GetStyle() & LVS_OWNERDRAWFIXED)) return base;
        if (rowHeight_ <= 0) {
            MEASUREITEMSTRUCT mis{ODT_LISTVIEW, static_cast<UINT>(w->GetDlgCtrlID()), 0, static_cast<UINT>(base.width()),
                                  static_cast<UINT>(base.height()), 0};
            if (CWnd* parent = w->GetParent())
                parent->SendMessage(WM_MEASUREITEM, static_cast<WPARAM>(w->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&mis));
            rowHeight_ = mis.itemHeight > 0 ? static_cast<int>(mis.itemHeight) : base.height();
        }
        return QSize(base.width(), rowHeight_);
    }

private:
    HWND list_;
    mutable int rowHeight_ = 0;
};

constexpr int kStateRole = Qt::UserRole + 4;  // LVIS_CUT and LVIS_DROPHILITED
constexpr int kDragDistance = 4;

// The report view: Qt's tree widget with owner-drawn rows (LVS_OWNERDRAWFIXED:
// WM_DRAWITEM per row with a DC in the list's client coordinates), painting
// for windows with a WM_PAINT handler of their own (the handler's Default()
// draws the rows, then it draws over them), clicks on empty space and drags.
class ReportTree : public QTreeWidget {
public:
    explicit ReportTree(QWidget* parent) : QTreeWidget(parent) {}
    HWND hwnd = nullptr;

    // The default painting of a window with a WM_PAINT handler: the rows are
    // painted by the widget, under what the handler draws (into a clear surface).
    void PaintDefault(WindowState* s) {
        PAINTSTRUCT ps;
        if (::BeginPaint(s->hwnd, &ps)) ::EndPaint(s->hwnd, &ps);
        s->surface = QImage(ClientRectQ(s).size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        s->surface.fill(Qt::transparent);
    }

    // The default of WM_KEYDOWN: the key moves the focus and selection now,
    // so a handler sees the result right after Default(); the widget then
    // ignores the same key when the window system hands it on.
    void DefaultKey(UINT vk) {
        HWND self = hwnd;
        NMLVKEYDOWN kd{};
        kd.wVKey = static_cast<WORD>(vk);
        NotifyParent(self, LVN_KEYDOWN, &kd.hdr);
        if (!StateOf(self)) return;
        if (vk == VK_RETURN) {
            NMHDR hdr{};
            NotifyParent(self, NM_RETURN, &hdr);
            return;
        }
        int key = QtKeyOf(vk);
        if (!key) return;
        Qt::KeyboardModifiers mods;
        if (KeyIsDown(VK_SHIFT)) mods |= Qt::ShiftModifier;
        if (KeyIsDown(VK_CONTROL)) mods |= Qt::ControlModifier;
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QTreeWidget::keyPressEvent(&e);
        keyDone_ = key;
        // A key sent in code is not handed on: forget it once the input is over.
        QMetaObject::invokeMethod(this, [this] { keyDone_ = 0; }, Qt::QueuedConnection);
    }
    // The default of WM_VSCROLL / WM_HSCROLL: the scroll bar takes the step,
    // unless the message came from the bar itself, which then steps on its own.
    bool scrolling = false;
    bool fromBar = false;
    void DefaultScroll(bool vert, UINT code, int pos) {
        if (fromBar) return;
        QScrollBar* bar = vert ? verticalScrollBar() : horizontalScrollBar();
        scrolling = true;
        switch (code) {
        case SB_LINEUP: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
        case SB_LINEDOWN: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case SB_PAGEUP: bar->triggerAction(QAbstractSlider::SliderPageStepSub); break;
        case SB_PAGEDOWN: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        case SB_TOP: bar->triggerAction(QAbstractSlider::SliderToMinimum); break;
        case SB_BOTTOM: bar->triggerAction(QAbstractSlider::SliderToMaximum); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: bar->setValue(pos); break;
        default: break;
        }
        scrolling = false;
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (keyDone_ && e->key() == keyDone_) {
            keyDone_ = 0;
            return;
        }
        keyDone_ = 0;
        QTreeWidget::keyPressEvent(e);
    }

    void paintEvent(QPaintEvent* e) override {
        WindowState* s = StateOf(hwnd);
        if (!s || !s->ownsPainting) {
            QTreeWidget::paintEvent(e);
            return;
        }
        QPoint at = viewport()->pos();
        PaintSurface(s, QRegion(QRect(QPoint(0, 0), size())));
        if ((s = StateOf(hwnd)) == nullptr) return;
        QTreeWidget::paintEvent(e);
        QPainter p(viewport());
        p.drawImage(QPoint(0, 0), s->surface, QRect(at, viewport()->size()));
    }

    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        CWnd* w = CWnd::FromHandlePermanent(hwnd);
        QTreeWidgetItem* it = itemFromIndex(index);
        if (!w || !it || !(w->GetStyle() & LVS_OWNERDRAWFIXED)) {
            QTreeWidget::drawRow(painter, option, index);
            return;
        }
        QRect row = visualItemRect(it);
        QPoint at = viewport()->pos();
        QImage img(QSize(viewport()->width(), row.height()).expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        img.fill(Qt::white);
        // Image pixel (0, 0) is the row's top at the viewport's left edge.
        HDC dc = AfxCreateImageDC(&img, QPoint(-at.x(), -(row.top() + at.y())), img.rect());
        UINT state = 0;
        if (it->isSelected()) state |= ODS_SELECTED;
        if (currentItem() == it && hasFocus()) state |= ODS_FOCUS;
        QRect client = row.translated(at);
        DRAWITEMSTRUCT dis{ODT_LISTVIEW, static_cast<UINT>(w->GetDlgCtrlID()), static_cast<UINT>(indexOfTopLevelItem(it)),
                           ODA_DRAWENTIRE, state, hwnd, dc,
                           RECT{client.left(), client.top(), client.left() + client.width(), client.top() + client.height()},
                           static_cast<std::uintptr_t>(it->data(0, kDataRole).toLongLong())};
        if (CWnd* parent = w->GetParent())
            parent->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(w->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&dis));
        ::DeleteDC(dc);
        painter->drawImage(QPoint(0, row.top()), img);
    }

    void mousePressEvent(QMouseEvent* e) override {
        QTreeWidget::mousePressEvent(e);
        pressItem_ = e->button() == Qt::LeftButton ? indexOfTopLevelItem(itemAt(e->position().toPoint())) : -1;
        pressPt_ = e->position().toPoint();
        dragged_ = false;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QTreeWidget::mouseMoveEvent(e);
        QPoint d = e->position().toPoint() - pressPt_;
        if (pressItem_ >= 0 && !dragged_ && (e->buttons() & Qt::LeftButton) && (std::abs(d.x()) > kDragDistance || std::abs(d.y()) > kDragDistance)) {
            dragged_ = true;
            NMLISTVIEW nm{};
            nm.iItem = pressItem_;
            QPoint c = pressPt_ + viewport()->pos();
            nm.ptAction = POINT{c.x(), c.y()};
            if (QTreeWidgetItem* it = topLevelItem(pressItem_)) nm.lParam = it->data(0, kDataRole).toLongLong();
            NotifyParent(hwnd, LVN_BEGINDRAG, &nm.hdr);
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        HWND self = hwnd;
        QTreeWidget::mouseReleaseEvent(e);
        if (!StateOf(self)) return;
        bool dragged = dragged_;
        pressItem_ = -1;
        dragged_ = false;
        if (dragged || (e->button() != Qt::LeftButton && e->button() != Qt::RightButton)) return;
        QPoint p = e->position().toPoint();
        NMLISTVIEW nm{};
        nm.iItem = indexOfTopLevelItem(itemAt(p));
        nm.iSubItem = nm.iItem >= 0 ? columnAt(p.x()) : 0;
        QPoint c = p + viewport()->pos();
        nm.ptAction = POINT{c.x(), c.y()};
        NotifyParent(self, e->button() == Qt::LeftButton ? NM_CLICK : NM_RCLICK, &nm.hdr);
    }

private:
    int keyDone_ = 0;
    int pressItem_ = -1;
    QPoint pressPt_;
    bool dragged_ = false;
};

QTreeWidgetItem* ItemAt(const CWnd* w, int index) {
    QTreeWidget* t = TreeOf(w);
    return t && index >= 0 && index < t->topLevelItemCount() ? t->topLevelItem(index) : nullptr;
}

QWidget* MakeList(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    UINT style = static_cast<UINT>(cs.style);
    if ((style & LVS_TYPEMASK) != LVS_REPORT) return MakeIconList(cs, parent);
    auto* t = new ReportTree(parent);
    t->setRootIsDecorated(false);
    t->setItemsExpandable(false);
    t->setUniformRowHeights(true);
    t->setColumnCount(1);
    t->setHeaderHidden((style & LVS_TYPEMASK) != LVS_REPORT || (style & LVS_NOCOLUMNHEADER));
    t->header()->setSectionsClickable(true);
    t->header()->setStretchLastSection(false);  // columns keep the widths they are given
    t->setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetPendingSetup([t](WindowState* s) {
        HWND h = s->hwnd;
        t->hwnd = h;
        s->controlProc = [t](UINT m, WPARAM wp, LPARAM, LRESULT* r) {
            switch (m) {
            case WM_PAINT:
                if (WindowState* st = StateOf(t->hwnd)) t->PaintDefault(st);
                break;
            case WM_KEYDOWN:
                t->DefaultKey(static_cast<UINT>(wp));
                break;
            case WM_VSCROLL:
            case WM_HSCROLL:
                t->DefaultScroll(m == WM_VSCROLL, LOWORD(wp), static_cast<short>(HIWORD(wp)));
                break;
            default:
                return false;
            }
            *r = 0;
            return true;
        };
        // The scroll bars' actions reach the window as WM_VSCROLL / WM_HSCROLL before they scroll.
        for (QScrollBar* bar : {t->verticalScrollBar(), t->horizontalScrollBar()}) {
            bool vert = bar == t->verticalScrollBar();
            QObject::connect(bar, &QAbstractSlider::actionTriggered, t, [t, bar, vert](int action) {
                int code = ScrollCodeOf(action);
                if (code < 0 || t->scrolling) return;
                CWnd* w = CWnd::FromHandlePermanent(t->hwnd);
                if (!w) return;
                t->fromBar = true;
                CallWnd(w, vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(bar->sliderPosition())), 0);
                t->fromBar = false;
            });
        }
        t->setItemDelegate(new CustomDrawDelegate(h, t));
        QObject::connect(t, &QTreeWidget::itemSelectionChanged, t, [t, h] {
            // Every item whose selection changed gets LVN_ITEMCHANGED.
            for (int i = 0; i < t->topLevelItemCount(); ++i) {
                QTreeWidgetItem* it = t->topLevelItem(i);
                bool was = it->data(0, Qt::UserRole + 3).toBool(), now = it->isSelected();
                if (was == now) continue;
                it->setData(0, Qt::UserRole + 3, now);
                NMLISTVIEW nm{};
                nm.iItem = i;
                nm.uChanged = LVIF_STATE;
                nm.uOldState = was ? LVIS_SELECTED : 0;
                nm.uNewState = now ? LVIS_SELECTED : 0;
                nm.lParam = it->data(0, kDataRole).toLongLong();
                NotifyParent(h, LVN_ITEMCHANGED, &nm.hdr);
                if (!StateOf(h)) return;
            }
        });
        QObject::connect(t->header(), &QHeaderView::sectionClicked, t, [h](int col) {
            NMLISTVIEW nm{};
            nm.iItem = -1;
            nm.iSubItem = col;
            NotifyParent(h, LVN_COLUMNCLICK, &nm.hdr);
        });
        QObject::connect(t, &QTreeWidget::itemDoubleClicked, t, [t, h](QTreeWidgetItem* it, int col) {
            NMLISTVIEW nm{};
            nm.iItem = t->indexOfTopLevelItem(it);
            nm.iSubItem = col;
            NotifyParent(h, NM_DBLCLK, &nm.hdr);
        });
    });
    return t;
}

QWidget* MakeTabs(CWnd*, CREATESTRUCT&, QWidget* parent) {
    auto* b = new QTabBar(parent);
    SetPendingSetup([b](WindowState* s) {
        HWND h = s->hwnd;
        QObject::connect(b, &QTabBar::currentChanged, b, [h](int) {
            NMHDR hdr{};
            NotifyParent(h, TCN_SELCHANGE, &hdr);
        });
    });
    return b;
}

struct Registrar {
    Registrar() {
        RegisterWidgetFactory("SysListView32", MakeList);
        RegisterWidgetFactory("SysTabControl32", MakeTabs);
    }
} g_registrar;
}  // namespace

// Image lists.
namespace {
QImage* ImageAt(const CImageList* list, int index) {
    return list && index >= 0 && index < list->GetImageCount() ? static_cast<QImage*>(list->m_images[static_cast<size_t>(index)]) : nullptr;
}

// Pixels of the mask colour become transparent.
void ApplyMask(QImage& img, COLORREF mask) {
    QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask)) & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
    }
}

// The images of a strip `cx` wide each, left to right (at least one).
std::vector<QImage> CutStrip(const QImage& strip, int cx, int cy) {
    std::vector<QImage> out;
    if (cx <= 0 || strip.width() <= cx) {
        out.push_back(strip.copy(0, 0, cx > 0 ? cx : strip.width(), cy > 0 ? cy : strip.height()));
        return out;
    }
    for (int x = 0; x + cx <= strip.width(); x += cx) out.push_back(strip.copy(x, 0, cx, cy > 0 ? cy : strip.height()));
    return out;
}
}  // namespace

BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return FALSE;
    DeleteImageList();
    m_size = CSize(cx, cy);
    m_flags = flags;
    return TRUE;
}

BOOL CImageList::Create(UINT bitmapId, int cx, int, COLORREF mask) {
    HDIB dib = AfxLoadDIBResource(AfxGetResourceHandle(), MAKEINTRESOURCE(bitmapId));
    if (!dib) return FALSE;
    QImage strip = AfxDibToImage(GlobalLock(dib), GlobalSize(dib)).convertToFormat(QImage::Format_ARGB32);
    GlobalUnlock(dib);
    GlobalFree(dib);
    if (strip.isNull() || cx <= 0) return FALSE;
    DeleteImageList();
    m_size = CSize(cx, strip.height());
    m_flags = ILC_MASK;
    if (mask != CLR_NONE) ApplyMask(strip, mask);
    for (QImage& img : CutStrip(strip, cx, strip.height())) m_images.push_back(new QImage(img));
    return TRUE;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    if (!bitmap) return -1;
    QImage img = AfxBitmapImage(static_cast<HBITMAP>(bitmap->GetSafeHandle())).convertToFormat(QImage::Format_ARGB32);
    if (img.isNull()) return -1;
    if ((m_flags & ILC_MASK) && mask != CLR_NONE) ApplyMask(img, mask);
    int first = GetImageCount();
    for (QImage& piece : CutStrip(img, m_size.cx, m_size.cy)) m_images.push_back(new QImage(piece));
    return first;
}

int CImageList::Add(HICON icon) {
    QImage img = IconImage(icon);
    if (img.isNull()) return -1;
    m_images.push_back(new QImage(img.scaled(m_size.cx, m_size.cy)));
    return GetImageCount() - 1;
}

BOOL CImageList::Replace(int index, CBitmap* bitmap, CBitmap*) {
    QImage* old = ImageAt(this, index);
    if (!old || !bitmap) return FALSE;
    QImage img = AfxBitmapImage(static_cast<HBITMAP>(bitmap->GetSafeHandle())).convertToFormat(QImage::Format_ARGB32);
    if (img.isNull()) return FALSE;
    *old = img.copy(0, 0, m_size.cx, m_size.cy);
    return TRUE;
}

int CImageList::Replace(int index, HICON icon) {
    QImage img = IconImage(icon);
    if (img.isNull()) return -1;
    if (index == -1) {
        m_images.push_back(new QImage(img.scaled(m_size.cx, m_size.cy)));
        return GetImageCount() - 1;
    }
    QImage* old = ImageAt(this, index);
    if (!old) return -1;
    *old = img.scaled(m_size.cx, m_size.cy);
    return index;
}

BOOL CImageList::Remove(int index) {
    if (index == -1) return DeleteImageList();
    if (!ImageAt(this, index)) return FALSE;
    delete static_cast<QImage*>(m_images[static_cast<size_t>(index)]);
    m_images.erase(m_images.begin() + index);
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    for (void* p : m_images) delete static_cast<QImage*>(p);
    m_images.clear();
    return TRUE;
}

BOOL CImageList::Draw(CDC* dc, int index, POINT pt, UINT style) const {
    const QImage* img = ImageAt(this, index);
    if (!img || !dc || !dc->GetSafeHdc()) return FALSE;
    if (!(style & (ILD_SELECTED | ILD_FOCUS))) return AfxDrawImage(dc->GetSafeHdc(), pt.x, pt.y, *img);
    // Selected images are blended half with the highlight colour (a quarter for the focus).
    QImage blend = img->convertToFormat(QImage::Format_ARGB32);
    COLORREF h = ::GetSysColor(COLOR_HIGHLIGHT);
    int share = (style & ILD_SELECTED) ? 128 : 64;
    for (int y = 0; y < blend.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(blend.scanLine(y));
        for (int x = 0; x < blend.width(); ++x) {
            QRgb c = row[x];
            if (!qAlpha(c)) continue;
            auto mix = [share](int a, int b) { return (a * (256 - share) + b * share) >> 8; };
            row[x] = qRgba(mix(qRed(c), GetRValue(h)), mix(qGreen(c), GetGValue(h)), mix(qBlue(c), GetBValue(h)), qAlpha(c));
        }
    }
    return AfxDrawImage(dc->GetSafeHdc(), pt.x, pt.y, blend);
}

// Drag images: a frameless window above the others follows the drag.
namespace {
struct DragState {
    CImageList* list = nullptr;
    QImage image;
    QPoint hotSpot;
    QPoint pt;                 // in the lock window's coordinates
    QPointer<QWidget> lock;
    QPointer<QLabel> label;
    bool shown = false;
};
DragState& Drag() {
    static DragState d;
    return d;
}
void PlaceDrag() {
    DragState& d = Drag();
    if (!d.label) return;
    QPoint screen = d.lock ? d.lock->mapToGlobal(d.pt) : d.pt;
    d.label->move(screen - d.hotSpot);
    d.label->setVisible(d.shown);
}
}  // namespace

BOOL CImageList::BeginDrag(int image, CPoint hotSpot) {
    QImage* img = ImageAt(this, image);
    if (!img) return FALSE;
    EndDrag();
    DragState& d = Drag();
    d.list = this;
    d.image = *img;
    d.hotSpot = QPoint(hotSpot.x, hotSpot.y);
    auto* label = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setPixmap(QPixmap::fromImage(d.image));
    label->resize(d.image.size());
    label->setWindowOpacity(0.7);
    d.label = label;
    return TRUE;
}

BOOL CImageList::DragEnter(CWnd* lock, CPoint pt) {
    DragState& d = Drag();
    if (!d.list) return FALSE;
    d.lock = lock && lock->m_hWnd && lock->m_hWnd != ::GetDesktopWindow() ? lock->GetWidget() : nullptr;
    d.pt = QPoint(pt.x, pt.y);
    d.shown = true;
    PlaceDrag();
    return TRUE;
}

BOOL CImageList::DragMove(CPoint pt) {
    DragState& d = Drag();
    if (!d.list) return FALSE;
    d.pt = QPoint(pt.x, pt.y);
    PlaceDrag();
    return TRUE;
}

BOOL CImageList::DragShowNolock(BOOL show) {
    DragState& d = Drag();
    if (!d.list) return FALSE;
    d.shown = show != FALSE;
    PlaceDrag();
    return TRUE;
}

BOOL CImageList::DragLeave(CWnd*) { return DragShowNolock(FALSE); }

void CImageList::EndDrag() {
    DragState& d = Drag();
    if (d.label) delete d.label.data();
    d = DragState{};
}

CImageList* CImageList::GetDragImage(LPPOINT pt, LPPOINT hotSpot) {
    DragState& d = Drag();
    if (!d.list) return nullptr;
    if (pt) *pt = POINT{d.pt.x(), d.pt.y()};
    if (hotSpot) *hotSpot = POINT{d.hotSpot.x(), d.hotSpot.y()};
    return d.list;
}

CImageList* CListCtrl::CreateDragImage(int item, LPPOINT upLeft) {
    QRect r;
    QImage picture;
    if (IconListView* v = IconViewOf(this)) {
        if (!v->ItemRect(item, LVIR_SELECTBOUNDS, r)) return nullptr;
        picture = v->grab(r).toImage();
    } else {
        QTreeWidget* t = TreeOf(this);
        QTreeWidgetItem* it = ItemAt(this, item);
        if (!t || !it) return nullptr;
        QRect row = t->visualItemRect(it);
        picture = t->viewport()->grab(row & t->viewport()->rect()).toImage();
        r = row.translated(t->viewport()->pos());
    }
    if (picture.isNull()) return nullptr;
    auto* list = new CImageList;
    list->Create(picture.width(), picture.height(), ILC_COLOR24, 1, 0);
    list->m_images.push_back(new QImage(picture.convertToFormat(QImage::Format_ARGB32)));
    if (upLeft) *upLeft = POINT{r.left(), r.top()};
    return list;
}

// List controls.
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("SysListView32", nullptr, style, rect, parent, id);
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}
void CListCtrl::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // Owner-drawn rows the parent left alone are drawn by the control's class.
    if (OwnerDrawNotify(this, message, lParam, pResult)) return TRUE;
    return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

int CListCtrl::InsertColumn(int col, LPCTSTR heading, int format, int width, int) {
    if (IconListView* v = IconViewOf(this)) {
        // Columns keep sub-item texts; the icon views do not show them.
        if (col < 0 || col > v->columns) col = v->columns;
        ++v->columns;
        (void)heading, (void)format, (void)width;
        return col;
    }
    QTreeWidget* t = TreeOf(this);
    if (!t) return -1;
    int count = t->property("afxColumns").toInt();
    if (col < 0 || col > count) col = count;
    t->setColumnCount(count + 1 > 1 ? count + 1 : 1);
    QTreeWidgetItem* header = t->headerItem();
    for (int c = count; c > col; --c) header->setText(c, header->text(c - 1));
    header->setText(col, ToQ(heading));
    header->setTextAlignment(col, format == LVCFMT_RIGHT ? Qt::AlignRight : format == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft);
    if (width >= 0) t->setColumnWidth(col, width);
    t->setProperty("afxColumns", count + 1);
    return col;
}

BOOL CListCtrl::DeleteColumn(int col) {
    if (IconListView* v = IconViewOf(this)) {
        if (col < 0 || col >= v->columns) return FALSE;
        --v->columns;
        for (int i = 0; i < v->Count(); ++i) {
            auto& text = v->At(i).text;
            if (col > 0 && static_cast<size_t>(col) < text.size()) text.erase(text.begin() + col);
        }
        return TRUE;
    }
    QTreeWidget* t = TreeOf(this);
    int count = t ? t->property("afxColumns").toInt() : 0;
    if (col < 0 || col >= count) return FALSE;
    QTreeWidgetItem* header = t->headerItem();
    for (int c = col; c + 1 < count; ++c) header->setText(c, header->text(c + 1));
    for (int i = 0; i < t->topLevelItemCount(); ++i) {
        QTreeWidgetItem* it = t->topLevelItem(i);
        for (int c = col; c + 1 < count; ++c) it->setText(c, it->text(c + 1));
    }
    t->setColumnCount(count - 1 > 1 ? count - 1 : 1);
    t->setProperty("afxColumns", count - 1);
    return TRUE;
}

BOOL CListCtrl::SetColumnWidth(int col, int width) {
    if (IconListView* v = IconViewOf(this)) {
        if (col != 0 || v->Type() != LVS_LIST) return FALSE;
        v->SetListColumnWidth(width < 0 ? 0 : width);
        return TRUE;
    }
    QTreeWidget* t = TreeOf(this);
    if (!t || col < 0 || col >= t->columnCount()) return FALSE;
    if (width < 0) t->resizeColumnToContents(col);
    else t->setColumnWidth(col, width);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int col) const {
    if (IconListView* v = IconViewOf(this)) return col == 0 && v->Type() == LVS_LIST ? v->ListColumnWidth() : 0;
    QTreeWidget* t = TreeOf(this);
    return t ? t->columnWidth(col) : 0;
}

int CListCtrl::InsertItem(int index, LPCTSTR text, int image) {
    LVITEM item{LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u), index, 0, 0, 0, const_cast<LPSTR>(text), 0, image, 0};
    return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEM* item) {
    if (IconListView* v = IconViewOf(this)) return item ? v->Insert(*item) : -1;
    QTreeWidget* t = TreeOf(this);
    if (!t || !item) return -1;
    int n = t->topLevelItemCount();
    int at = item->iItem < 0 || item->iItem > n ? n : item->iItem;
    auto* it = new QTreeWidgetItem;
    it->setData(0, kDataRole, QVariant::fromValue<qlonglong>((item->mask & LVIF_PARAM) ? item->lParam : 0));
    it->setData(0, kImageRole, (item->mask & LVIF_IMAGE) ? item->iImage : -1);
    if (item->mask & LVIF_TEXT) it->setText(0, ToQ(item->pszText));
    if (m_dwExStyleLV & LVS_EX_CHECKBOXES) {
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
        it->setCheckState(0, Qt::Unchecked);
    }
    QSignalBlocker block(t);
    t->insertTopLevelItem(at, it);
    if ((item->mask & LVIF_IMAGE) && m_pImages[LVSIL_SMALL] && item->iImage >= 0 && item->iImage < m_pImages[LVSIL_SMALL]->GetImageCount())
        it->setIcon(0, QIcon(QPixmap::fromImage(*static_cast<QImage*>(m_pImages[LVSIL_SMALL]->m_images[static_cast<size_t>(item->iImage)]))));
    if (item->mask & LVIF_STATE) SetItemState(at, item->state, item->stateMask);
    return at;
}

BOOL CListCtrl::SetItem(const LVITEM* item) {
    if (IconListView* v = IconViewOf(this)) {
        if (!item || !v->Valid(item->iItem)) return FALSE;
        if ((item->mask & LVIF_TEXT) && !v->SetText(item->iItem, item->iSubItem, item->pszText)) return FALSE;
        if (item->mask & LVIF_PARAM) v->At(item->iItem).data = item->lParam;
        if (item->mask & LVIF_IMAGE) v->SetImage(item->iItem, item->iImage);
        if (item->mask & LVIF_STATE) return v->ChangeState(item->iItem, item->state, item->stateMask);
        return TRUE;
    }
    QTreeWidgetItem* it = item ? ItemAt(this, item->iItem) : nullptr;
    if (!it) return FALSE;
    if (item->mask & LVIF_TEXT) it->setText(item->iSubItem, ToQ(item->pszText));
    if (item->mask & LVIF_PARAM) it->setData(0, kDataRole, QVariant::fromValue<qlonglong>(item->lParam));
    if (item->mask & LVIF_IMAGE) it->setData(0, kImageRole, item->iImage);
    if (item->mask & LVIF_STATE) SetItemState(item->iItem, item->state, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* item) const {
    if (IconListView* v = IconViewOf(this)) {
        if (!item || !v->Valid(item->iItem)) return FALSE;
        if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0)
            std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s", v->Text(item->iItem, item->iSubItem).GetString());
        if (item->mask & LVIF_PARAM) item->lParam = v->At(item->iItem).data;
        if (item->mask & LVIF_IMAGE) item->iImage = v->At(item->iItem).image;
        if (item->mask & LVIF_STATE) item->state = v->State(item->iItem, item->stateMask);
        return TRUE;
    }
    QTreeWidgetItem* it = item ? ItemAt(this, item->iItem) : nullptr;
    if (!it) return FALSE;
    if ((item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax > 0)
        std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s", FromQ(it->text(item->iSubItem)).GetString());
    if (item->mask & LVIF_PARAM) item->lParam = static_cast<LPARAM>(it->data(0, kDataRole).toLongLong());
    if (item->mask & LVIF_IMAGE) item->iImage = it->data(0, kImageRole).toInt();
    if (item->mask & LVIF_STATE) item->state = GetItemState(item->iItem, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::DeleteItem(int index) {
    if (IconListView* v = IconViewOf(this)) return v->Delete(index);
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = ItemAt(this, index);
    if (!it) return FALSE;
    NMLISTVIEW nm{};
    nm.iItem = index;
    nm.lParam = it->data(0, kDataRole).toLongLong();
    NotifyParent(m_hWnd, LVN_DELETEITEM, &nm.hdr);
    QSignalBlocker block(t);
    delete t->takeTopLevelItem(index);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
    if (IconListView* v = IconViewOf(this)) return v->DeleteAll();
    QTreeWidget* t = TreeOf(this);
    if (!t) return FALSE;
    while (t->topLevelItemCount() > 0)
        if (!DeleteItem(t->topLevelItemCount() - 1)) return FALSE;
    return TRUE;
}

int CListCtrl::GetItemCount() const {
    if (IconListView* v = IconViewOf(this)) return v->Count();
    QTreeWidget* t = TreeOf(this);
    return t ? t->topLevelItemCount() : 0;
}

BOOL CListCtrl::SetItemText(int item, int sub, LPCTSTR text) {
    if (IconListView* v = IconViewOf(this)) return v->SetText(item, sub, text);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it || sub < 0) return FALSE;
    it->setText(sub, ToQ(text));
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int sub) const {
    if (IconListView* v = IconViewOf(this)) return v->Text(item, sub);
    QTreeWidgetItem* it = ItemAt(this, item);
    return it ? FromQ(it->text(sub)) : CString();
}

int CListCtrl::FindItemText(int sub, LPCTSTR text, int start) const {
    if (!text || sub < 0) return -1;
    const int n = GetItemCount();
    if (IconListView* v = IconViewOf(this)) {
        for (int i = start < 0 ? 0 : start; i < n; ++i)
            if (std::strcmp(v->Text(i, sub).GetString(), text) == 0) return i;
        return -1;
    }
    QTreeWidget* t = TreeOf(this);
    if (!t) return -1;
    const QString wanted = ToQ(text);
    // Texts that do not come back as they went in are compared as bytes.
    const bool exact = FromQ(wanted) == CString(text);
    for (int i = start < 0 ? 0 : start; i < t->topLevelItemCount(); ++i) {
        const QString have = t->topLevelItem(i)->text(sub);
        if (have == wanted && (exact || FromQ(have) == CString(text))) return i;
    }
    return -1;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    if (IconListView* v = IconViewOf(this)) {
        if (!v->Valid(item)) return FALSE;
        v->At(item).data = static_cast<LPARAM>(data);
        return TRUE;
    }
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return FALSE;
    it->setData(0, kDataRole, QVariant::fromValue<qlonglong>(static_cast<qlonglong>(data)));
    return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    if (IconListView* v = IconViewOf(this)) return v->Valid(item) ? static_cast<DWORD_PTR>(v->At(item).data) : 0;
    QTreeWidgetItem* it = ItemAt(this, item);
    return it ? static_cast<DWORD_PTR>(it->data(0, kDataRole).toLongLong()) : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    if (IconListView* v = IconViewOf(this)) return v->ChangeState(item, state, mask);
    QTreeWidget* t = TreeOf(this);
    if (!t) return FALSE;
    // Item -1 means every item.
    int first = item < 0 ? 0 : item, last = item < 0 ? t->topLevelItemCount() - 1 : item;
    if (item >= t->topLevelItemCount()) return FALSE;
    for (int i = first; i <= last; ++i) {
        QTreeWidgetItem* it = t->topLevelItem(i);
        if (mask & LVIS_SELECTED) it->setSelected((state & LVIS_SELECTED) != 0);
        if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
            QSignalBlocker block(t->selectionModel());
            t->setCurrentItem(it, 0, QItemSelectionModel::NoUpdate);
        } else if ((mask & LVIS_FOCUSED) && t->currentItem() == it) {
            QSignalBlocker block(t->selectionModel());
            t->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
        if (mask & (LVIS_CUT | LVIS_DROPHILITED)) {
            UINT kept = static_cast<UINT>(it->data(0, kStateRole).toUInt());
            UINT m = mask & (LVIS_CUT | LVIS_DROPHILITED);
            it->setData(0, kStateRole, (kept & ~m) | (state & m));
        }
        if ((mask & LVIS_STATEIMAGEMASK) && it->data(0, Qt::CheckStateRole).isValid())
            it->setCheckState(0, ((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? Qt::Checked : Qt::Unchecked);
    }
    if (mask & (LVIS_CUT | LVIS_DROPHILITED)) t->viewport()->update();
    return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    if (IconListView* v = IconViewOf(this)) return v->State(item, mask);
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return 0;
    UINT s = 0;
    if (it->isSelected()) s |= LVIS_SELECTED;
    if (t->currentItem() == it) s |= LVIS_FOCUSED;
    s |= static_cast<UINT>(it->data(0, kStateRole).toUInt()) & (LVIS_CUT | LVIS_DROPHILITED);
    if (it->data(0, Qt::CheckStateRole).isValid()) s |= INDEXTOSTATEIMAGEMASK(it->checkState(0) == Qt::Checked ? 2 : 1);
    return s & mask;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    if (IconListView* v = IconViewOf(this)) return v->NextItem(start, flags);
    int n = GetItemCount();
    for (int i = start + 1; i < n; ++i) {
        UINT s = GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED);
        if ((flags & LVNI_SELECTED) && !(s & LVIS_SELECTED)) continue;
        if ((flags & LVNI_FOCUSED) && !(s & LVIS_FOCUSED)) continue;
        return i;
    }
    return -1;
}

UINT CListCtrl::GetSelectedCount() const {
    if (IconListView* v = IconViewOf(this)) {
        UINT n = 0;
        for (int i = 0; i < v->Count(); ++i) n += v->State(i, LVIS_SELECTED) ? 1u : 0u;
        return n;
    }
    QTreeWidget* t = TreeOf(this);
    return t ? static_cast<UINT>(t->selectedItems().size()) : 0;
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    int i = GetNextItem(-1, LVNI_SELECTED);
    return i < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(i + 1));
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
    int i = static_cast<int>(reinterpret_cast<std::uintptr_t>(pos)) - 1;
    int next = GetNextItem(i, LVNI_SELECTED);
    pos = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(next + 1));
    return i;
}

BOOL CListCtrl::EnsureVisible(int item, BOOL) {
    if (IconListView* v = IconViewOf(this)) return v->EnsureVisible(item);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return FALSE;
    TreeOf(this)->scrollToItem(it);
    return TRUE;
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const {
    if (IconListView* v = IconViewOf(this)) {
        QRect r;
        if (!rect || !v->ItemRect(item, code, r)) return FALSE;
        *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
        return TRUE;
    }
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it || !rect) return FALSE;
    QTreeWidget* t = TreeOf(this);
    QPoint at = t->viewport()->pos();
    QRect r = t->visualItemRect(it).translated(at);
    if (code != LVIR_BOUNDS) {
        // The first column holds the small image, then the label.
        int left = t->header()->sectionViewportPosition(0) + at.x();
        int icon = m_pImages[LVSIL_SMALL] ? m_pImages[LVSIL_SMALL]->m_size.cx : 0;
        int width = t->columnWidth(0);
        if (icon > width) icon = width;
        if (code == LVIR_ICON) r = QRect(left, r.top(), icon, r.height());
        else if (code == LVIR_LABEL || code == LVIR_SELECTBOUNDS) r = QRect(left + icon, r.top(), width - icon, r.height());
        else return FALSE;
        if (code == LVIR_SELECTBOUNDS) r.setLeft(left);
    }
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

int CListCtrl::HitTest(POINT pt, UINT* flags) const {
    if (IconListView* v = IconViewOf(this)) return v->HitTest(QPoint(pt.x, pt.y), flags);
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = t ? t->itemAt(t->viewport()->mapFrom(t, QPoint(pt.x, pt.y))) : nullptr;
    if (flags) *flags = it ? LVHT_ONITEM : LVHT_NOWHERE;
    return it ? t->indexOfTopLevelItem(it) : -1;
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const {
    if (!info) return -1;
    info->iItem = HitTest(info->pt, &info->flags);
    return info->iItem;
}

CImageList* CListCtrl::SetImageList(CImageList* list, int kind) {
    if (kind < 0 || kind > 2) return nullptr;
    CImageList* old = m_pImages[kind];
    m_pImages[kind] = list;
    if (IconListView* v = IconViewOf(this)) {
        v->images[kind] = list;
        v->Relayout();
    } else if (QTreeWidget* t = TreeOf(this); t && list && kind == LVSIL_SMALL) {
        t->setIconSize(QSize(list->m_size.cx, list->m_size.cy));
    }
    return old;
}

CImageList* CListCtrl::GetImageList(int kind) const {
    if (kind < 0 || kind > 2) return nullptr;
    if (IconListView* v = IconViewOf(this)) return v->images[kind];
    return m_pImages[kind];
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    DWORD old = m_dwExStyleLV;
    m_dwExStyleLV = style;
    if (QTreeWidget* t = TreeOf(this); t && ((old ^ style) & LVS_EX_CHECKBOXES)) {
        QSignalBlocker block(t);
        for (int i = 0; i < t->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = t->topLevelItem(i);
            if (style & LVS_EX_CHECKBOXES) {
                it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
                it->setCheckState(0, Qt::Unchecked);
            } else {
                it->setFlags(it->flags() & ~Qt::ItemIsUserCheckable);
                it->setData(0, Qt::CheckStateRole, QVariant());
            }
        }
    }
    return old;
}

BOOL CListCtrl::GetCheck(int item) const {
    if (IconListView* v = IconViewOf(this)) return (v->State(item, LVIS_STATEIMAGEMASK) >> 12) == 2;
    QTreeWidgetItem* it = ItemAt(this, item);
    return it && it->data(0, Qt::CheckStateRole).isValid() && it->checkState(0) == Qt::Checked;
}

BOOL CListCtrl::SetCheck(int item, BOOL check) {
    if (IconListView* v = IconViewOf(this)) return v->ChangeState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return FALSE;
    it->setCheckState(0, check ? Qt::Checked : Qt::Unchecked);
    return TRUE;
}

BOOL CListCtrl::SetItem(int item, int sub, UINT mask, LPCTSTR text, int image, UINT state, UINT stateMask, LPARAM lParam) {
    LVITEM lv{mask, item, sub, state, stateMask, const_cast<LPSTR>(text), 0, image, lParam};
    return SetItem(&lv);
}

BOOL CListCtrl::Update(int item) {
    if (item < 0 || item >= GetItemCount()) return FALSE;
    if (IconListView* v = IconViewOf(this)) {
        v->Relayout();
        v->RedrawItem(item);
        return TRUE;
    }
    return RedrawItems(item, item);
}

int CListCtrl::GetStringWidth(LPCTSTR text) const {
    if (!text) return 0;
    if (IconListView* v = IconViewOf(this)) return v->StringWidth(text);
    QTreeWidget* t = TreeOf(this);
    return t ? t->fontMetrics().horizontalAdvance(ToQ(text)) : 0;
}

BOOL CListCtrl::SetItemPosition(int item, POINT pt) {
    IconListView* v = IconViewOf(this);
    return v && v->SetPosition(item, pt);
}

BOOL CListCtrl::GetItemPosition(int item, LPPOINT pt) const {
    IconListView* v = IconViewOf(this);
    if (!pt) return FALSE;
    if (!v) {
        RECT r;
        if (!GetItemRect(item, &r, LVIR_BOUNDS)) return FALSE;
        *pt = POINT{r.left, r.top};
        return TRUE;
    }
    return v->Position(item, *pt);
}

BOOL CListCtrl::Arrange(UINT code) {
    IconListView* v = IconViewOf(this);
    if (!v || (v->Type() != LVS_ICON && v->Type() != LVS_SMALLICON)) return FALSE;
    v->Arrange(code);
    return TRUE;
}

CSize CListCtrl::SetIconSpacing(int cx, int cy) {
    IconListView* v = IconViewOf(this);
    if (!v) return CSize(0, 0);
    QSize old = v->SetSpacing(QSize(cx > 0 ? cx : 0, cy > 0 ? cy : 0));
    return CSize(old.width(), old.height());
}

BOOL CListCtrl::GetViewRect(LPRECT rect) const {
    IconListView* v = IconViewOf(this);
    if (!v || !rect) return FALSE;
    QRect r = v->ViewRect();
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL CListCtrl::GetOrigin(LPPOINT pt) const {
    IconListView* v = IconViewOf(this);
    if (!v || !pt) return FALSE;
    *pt = POINT{v->Origin().x(), v->Origin().y()};
    return TRUE;
}

BOOL CListCtrl::Scroll(CSize size) {
    if (IconListView* v = IconViewOf(this)) {
        v->ScrollBy(size.cx, size.cy);
        return TRUE;
    }
    QTreeWidget* t = TreeOf(this);
    if (!t) return FALSE;
    t->horizontalScrollBar()->setValue(t->horizontalScrollBar()->value() + size.cx);
    int row = t->topLevelItemCount() ? t->visualItemRect(t->topLevelItem(0)).height() : 0;
    if (row > 0) t->verticalScrollBar()->setValue(t->verticalScrollBar()->value() + size.cy / row);
    return TRUE;
}

namespace {
// The edit box of an item's label: Enter keeps the text, Esc drops it and
// the focus leaving keeps it; either way the parent hears LVN_ENDLABELEDIT.
class CLabelEdit : public CEdit {
public:
    CLabelEdit(HWND list, int item, unsigned id) : list_(list), item_(item), id_(id) {}
    void Finish(bool keep, bool refocus);

protected:
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        if (ch == VK_RETURN || ch == VK_ESCAPE) {
            Finish(ch == VK_RETURN, true);  // destroys this window
            return;
        }
        CEdit::OnKeyDown(ch, repeat, flags);
    }
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags) {
        if (ch == '\r' || ch == 0x1B) return;
        CEdit::OnChar(ch, repeat, flags);
    }
    afx_msg void OnKillFocus(CWnd* next) {
        CEdit::OnKillFocus(next);
        Finish(true, false);
    }
    afx_msg UINT OnGetDlgCode() { return DLGC_WANTALLKEYS | DLGC_HASSETSEL | DLGC_WANTCHARS; }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()

private:
    HWND list_;
    int item_;
    unsigned id_;
    bool done_ = false;
};

BEGIN_MESSAGE_MAP(CLabelEdit, CEdit)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

void CLabelEdit::Finish(bool keep, bool refocus) {
    if (done_) return;
    done_ = true;
    HWND self = m_hWnd;
    auto* list = dynamic_cast<CListCtrl*>(CWnd::FromHandlePermanent(list_));
    IconListView* v = list ? IconViewOf(list) : nullptr;
    int item = v ? v->IndexOfId(id_) : item_;
    CString text;
    GetWindowText(text);
    if (list && item >= 0 && item < list->GetItemCount()) {
        NMLVDISPINFO info{};
        info.item.mask = LVIF_TEXT;
        info.item.iItem = item;
        info.item.pszText = keep ? const_cast<LPSTR>(text.GetString()) : nullptr;
        info.item.cchTextMax = text.GetLength() + 1;
        info.item.lParam = static_cast<LPARAM>(list->GetItemData(item));
        HWND listHandle = list_;
        // The parent answers TRUE to take the new text.
        LRESULT take = NotifyListParent(listHandle, LVN_ENDLABELEDIT, &info.hdr);
        list = dynamic_cast<CListCtrl*>(CWnd::FromHandlePermanent(listHandle));
        v = list ? IconViewOf(list) : nullptr;
        if (v) item = v->IndexOfId(id_);
        if (take && keep && list && item >= 0 && item < list->GetItemCount()) list->SetItemText(item, 0, text);
    }
    if (v && v->edit == self) {
        v->edit = nullptr;
        v->editId = 0;
        v->update();
    } else if (QTreeWidget* t = list ? TreeOf(list) : nullptr) {
        t->setProperty("afxLabelEdit", QVariant());
    }
    if (refocus && list) list->SetFocus();
    if (CWnd* still = CWnd::FromHandlePermanent(self)) still->DestroyWindow();
}
}  // namespace

CEdit* CListCtrl::GetEditControl() const {
    HWND h = nullptr;
    if (IconListView* v = IconViewOf(this)) h = v->edit;
    else if (QTreeWidget* t = TreeOf(this)) h = reinterpret_cast<HWND>(t->property("afxLabelEdit").toULongLong());
    return h ? dynamic_cast<CEdit*>(CWnd::FromHandlePermanent(h)) : nullptr;
}

CEdit* CListCtrl::EditLabel(int item) {
    if (item < 0 || item >= GetItemCount()) return nullptr;
    if (CEdit* open = GetEditControl()) static_cast<CLabelEdit*>(open)->Finish(true, false);
    HWND h = m_hWnd;
    IconListView* v = IconViewOf(this);
    QTreeWidget* t = TreeOf(this);
    if (!v && !t) return nullptr;
    EnsureVisible(item, FALSE);
    CString label = GetItemText(item, 0);
    NMLVDISPINFO begin{};
    begin.item.mask = LVIF_TEXT | LVIF_PARAM;
    begin.item.iItem = item;
    begin.item.pszText = const_cast<LPSTR>(label.GetString());
    begin.item.cchTextMax = label.GetLength() + 1;
    begin.item.lParam = static_cast<LPARAM>(GetItemData(item));
    if (NotifyParent(h, LVN_BEGINLABELEDIT, &begin.hdr)) return nullptr;  // the parent refused
    if (!FromHandlePermanent(h) || item >= GetItemCount()) return nullptr;
    QRect r;
    if (v) {
        r = v->LabelEditRect(item);
    } else {
        QTreeWidgetItem* it = ItemAt(this, item);
        r = t->visualItemRect(it).translated(t->viewport()->pos());
        r.setWidth(t->columnWidth(0) > 40 ? t->columnWidth(0) : r.width());
    }
    auto* edit = new CLabelEdit(h, item, v ? v->At(item).id : 0);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | (v && v->Type() == LVS_ICON ? ES_CENTER : 0u);
    if (!edit->CreateEx(0, "Edit", label, style, CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()), this, 0xFFFE)) {
        delete edit;
        return nullptr;
    }
    HWND eh = edit->m_hWnd;
    if (v) {
        v->edit = eh;
        v->editId = v->At(item).id;
        v->update();
    } else {
        t->setProperty("afxLabelEdit", QVariant::fromValue<qulonglong>(reinterpret_cast<std::uintptr_t>(eh)));
    }
    if (CFont* font = GetFont()) edit->SetFont(font, FALSE);
    edit->SetFocus();
    if (!FromHandlePermanent(eh)) return nullptr;
    edit->SetSel(0, -1);
    return edit;
}

BOOL CListCtrl::RedrawItems(int first, int last) {
    if (IconListView* v = IconViewOf(this)) {
        for (int i = first < 0 ? 0 : first; i <= last && i < v->Count(); ++i) v->RedrawItem(i);
        return TRUE;
    }
    if (QTreeWidget* t = TreeOf(this)) t->viewport()->update();
    return TRUE;
}

int CListCtrl::GetTopIndex() const {
    if (IconListView* v = IconViewOf(this)) return v->TopIndex();
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = t ? t->itemAt(2, 2) : nullptr;
    return it ? t->indexOfTopLevelItem(it) : 0;
}

int CListCtrl::GetCountPerPage() const {
    if (IconListView* v = IconViewOf(this)) return v->CountPerPage();
    QTreeWidget* t = TreeOf(this);
    if (!t || t->topLevelItemCount() == 0) return 0;
    int h = t->visualItemRect(t->topLevelItem(0)).height();
    return h > 0 ? t->viewport()->height() / h : 0;
}

// Column headers of report views.
IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)

namespace {
QHeaderView* HeaderViewOf(const CWnd* w) { return w ? qobject_cast<QHeaderView*>(w->m_pWidget) : nullptr; }

// The divider at header point `x`: the column whose right edge is within a few pixels, or -1.
int DividerAt(QHeaderView* h, int x) {
    for (int v = h->count() - 1; v >= 0; --v) {
        int logical = h->logicalIndex(v);
        if (h->isSectionHidden(logical)) continue;
        int right = h->sectionViewportPosition(logical) + h->sectionSize(logical);
        if (std::abs(x - right) <= kDragDistance) return logical;
    }
    return -1;
}

// Asks the list about a divider action; TRUE when the list swallows it.
class HeaderFilter : public QObject {
public:
    HeaderFilter(QHeaderView* header, HWND headerHandle, HWND list) : QObject(header), header_(header), self_(headerHandle), list_(list) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) return false;
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return false;
        int col = DividerAt(header_, m->position().toPoint().x());
        if (col < 0) return false;
        CWnd* list = CWnd::FromHandlePermanent(list_);
        if (!list) return false;
        HDITEM item{HDI_WIDTH, header_->sectionSize(col), nullptr, nullptr, 0, 0, 0};
        NMHEADER nm{};
        nm.hdr.hwndFrom = self_;
        nm.hdr.idFrom = 0;
        nm.hdr.code = e->type() == QEvent::MouseButtonPress ? HDN_BEGINTRACK : HDN_DIVIDERDBLCLICK;
        nm.iItem = col;
        nm.pitem = &item;
        return list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm)) != 0;
    }

private:
    QHeaderView* header_;
    HWND self_;
    HWND list_;
};

// The header of a report list gets a window of its own once asked for.
CHeaderCtrl* HeaderOf(QTreeWidget* t, HWND list) {
    QHeaderView* h = t ? t->header() : nullptr;
    if (!h) return nullptr;
    if (HWND known = HandleOfWidget(h))
        if (auto* c = dynamic_cast<CHeaderCtrl*>(CWnd::FromHandlePermanent(known))) return c;
    auto* c = new CHeaderCtrl;
    c->m_pWidget = h;
    c->m_dwStyle = WS_CHILD | WS_VISIBLE;
    c->m_strClass = "SysHeader32";
    c->m_hWnd = RegisterWindow(c, h);
    h->viewport()->installEventFilter(new HeaderFilter(h, c->m_hWnd, list));
    return c;
}
}  // namespace

int CHeaderCtrl::GetItemCount() const {
    QHeaderView* h = HeaderViewOf(this);
    auto* t = h ? qobject_cast<QTreeWidget*>(h->parentWidget()) : nullptr;
    return t ? t->property("afxColumns").toInt() : 0;
}

BOOL CHeaderCtrl::GetItemRect(int index, LPRECT rect) const {
    QHeaderView* h = HeaderViewOf(this);
    if (!h || !rect || index < 0 || index >= GetItemCount()) return FALSE;
    int left = h->sectionViewportPosition(index) + h->viewport()->pos().x();
    *rect = RECT{left, 0, left + h->sectionSize(index), h->height()};
    return TRUE;
}

BOOL CHeaderCtrl::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    UnregisterWindow(m_hWnd);
    m_hWnd = nullptr;
    m_pWidget = nullptr;
    delete this;
    return TRUE;
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const { return HeaderOf(TreeOf(this), m_hWnd); }

// Tab controls.
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("SysTabControl32", nullptr, style, rect, parent, id);
}
int CTabCtrl::InsertItem(int index, LPCTSTR text) {
    auto* b = qobject_cast<QTabBar*>(m_pWidget);
    if (!b) return -1;
    QSignalBlocker block(b);
    return b->insertTab(index, ToQ(text));
}
BOOL CTabCtrl::DeleteItem(int index) {
    auto* b = qobject_cast<QTabBar*>(m_pWidget);
    if (!b || index < 0 || index >= b->count()) return FALSE;
    b->removeTab(index);
    return TRUE;
}
int CTabCtrl::GetItemCount() const {
    auto* b = qobject_cast<QTabBar*>(m_pWidget);
    return b ? b->count() : 0;
}
int CTabCtrl::GetCurSel() const {
    auto* b = qobject_cast<QTabBar*>(m_pWidget);
    return b ? b->currentIndex() : -1;
}
int CTabCtrl::SetCurSel(int index) {
    auto* b = qobject_cast<QTabBar*>(m_pWidget);
    if (!b || index < 0 || index >= b->count()) return -1;
    int old = b->currentIndex();
    QSignalBlocker block(b);  // as the window system: no notification for a programmatic change
    b->setCurrentIndex(index);
    return old;
}

// Tree controls.
namespace {
QTreeWidgetItem* Q(HTREEITEM h) { return reinterpret_cast<QTreeWidgetItem*>(h); }
HTREEITEM H(QTreeWidgetItem* it) { return reinterpret_cast<HTREEITEM>(it); }
bool Special(HTREEITEM h) { return h == TVI_ROOT || h == TVI_FIRST || h == TVI_LAST || h == TVI_SORT; }

QWidget* MakeTree(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    auto* t = new QTreeWidget(parent);
    UINT style = static_cast<UINT>(cs.style);
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    t->setRootIsDecorated((style & TVS_LINESATROOT) != 0);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetPendingSetup([t](WindowState* s) {
        HWND h = s->hwnd;
        QObject::connect(t, &QTreeWidget::currentItemChanged, t, [h](QTreeWidgetItem* now, QTreeWidgetItem* before) {
            NMTREEVIEW nm{};
            nm.itemNew.hItem = H(now);
            nm.itemNew.lParam = now ? static_cast<LPARAM>(now->data(0, kDataRole).toLongLong()) : 0;
            nm.itemOld.hItem = H(before);
            NotifyParent(h, TVN_SELCHANGED, &nm.hdr);
        });
    });
    return t;
}

struct TreeRegistrar {
    TreeRegistrar() { RegisterWidgetFactory("SysTreeView32", MakeTree); }
} g_treeRegistrar;

// Only items of this tree are used: handles of another tree or of deleted items are refused.
bool Owns(QTreeWidget* t, HTREEITEM h) {
    if (!t || !h || Special(h)) return false;
    QTreeWidgetItemIterator it(t);
    for (; *it; ++it)
        if (*it == Q(h)) return true;
    return false;
}
}  // namespace

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

BOOL CTreeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("SysTreeView32", nullptr, style, rect, parent, id);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, HTREEITEM parent, HTREEITEM after) { return InsertItem(text, -1, -1, parent, after); }

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after) {
    QTreeWidget* t = TreeOf(this);
    if (!t) return nullptr;
    QTreeWidgetItem* p = (parent == TVI_ROOT || !parent) ? nullptr : (Owns(t, parent) ? Q(parent) : nullptr);
    if (parent && parent != TVI_ROOT && !p) return nullptr;
    auto* it = new QTreeWidgetItem;
    it->setText(0, ToQ(text));
    it->setData(0, kDataRole, QVariant::fromValue<qlonglong>(0));
    int count = p ? p->childCount() : t->topLevelItemCount();
    int at = count;
    if (after == TVI_FIRST) at = 0;
    else if (after == TVI_SORT) {
        CString name(text);
        at = 0;
        while (at < count && FromQ((p ? p->child(at) : t->topLevelItem(at))->text(0)).CompareNoCase(name) <= 0) ++at;
    } else if (after && !Special(after) && Owns(t, after)) {
        at = (p ? p->indexOfChild(Q(after)) : t->indexOfTopLevelItem(Q(after))) + 1;
        if (at <= 0) at = count;
    }
    if (p) p->insertChild(at, it);
    else t->insertTopLevelItem(at, it);
    SetItemImage(H(it), image, selectedImage);
    return H(it);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item) {
    QTreeWidget* t = TreeOf(this);
    if (item == TVI_ROOT) return DeleteAllItems();
    if (!Owns(t, item)) return FALSE;
    delete Q(item);
    return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
    if (QTreeWidget* t = TreeOf(this)) t->clear();
    return TRUE;
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const { return Owns(TreeOf(this), item) ? FromQ(Q(item)->text(0)) : CString(); }
BOOL CTreeCtrl::SetItemText(HTREEITEM item, LPCTSTR text) {
    if (!Owns(TreeOf(this), item)) return FALSE;
    Q(item)->setText(0, ToQ(text));
    return TRUE;
}
DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
    return Owns(TreeOf(this), item) ? static_cast<DWORD_PTR>(Q(item)->data(0, kDataRole).toLongLong()) : 0;
}
BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) {
    if (!Owns(TreeOf(this), item)) return FALSE;
    Q(item)->setData(0, kDataRole, QVariant::fromValue<qlonglong>(static_cast<qlonglong>(data)));
    return TRUE;
}
BOOL CTreeCtrl::SetItemImage(HTREEITEM item, int image, int) {
    if (!Owns(TreeOf(this), item)) return FALSE;
    Q(item)->setData(0, kImageRole, image);
    if (m_pImages && image >= 0 && image < m_pImages->GetImageCount())
        Q(item)->setIcon(0, QIcon(QPixmap::fromImage(*static_cast<QImage*>(m_pImages->m_images[static_cast<size_t>(image)]))));
    return TRUE;
}
HTREEITEM CTreeCtrl::GetRootItem() const {
    QTreeWidget* t = TreeOf(this);
    return t && t->topLevelItemCount() ? H(t->topLevelItem(0)) : nullptr;
}
HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const { return Owns(TreeOf(this), item) ? H(Q(item)->parent()) : nullptr; }
HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const {
    if (item == TVI_ROOT || !item) return GetRootItem();
    return Owns(TreeOf(this), item) && Q(item)->childCount() ? H(Q(item)->child(0)) : nullptr;
}
HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
    QTreeWidget* t = TreeOf(this);
    if (!Owns(t, item)) return nullptr;
    QTreeWidgetItem* p = Q(item)->parent();
    int i = p ? p->indexOfChild(Q(item)) : t->indexOfTopLevelItem(Q(item));
    int n = p ? p->childCount() : t->topLevelItemCount();
    return i + 1 < n ? H(p ? p->child(i + 1) : t->topLevelItem(i + 1)) : nullptr;
}
HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM item) const {
    QTreeWidget* t = TreeOf(this);
    if (!Owns(t, item)) return nullptr;
    QTreeWidgetItem* p = Q(item)->parent();
    int i = p ? p->indexOfChild(Q(item)) : t->indexOfTopLevelItem(Q(item));
    return i > 0 ? H(p ? p->child(i - 1) : t->topLevelItem(i - 1)) : nullptr;
}
BOOL CTreeCtrl::ItemHasChildren(HTREEITEM item) const { return Owns(TreeOf(this), item) && Q(item)->childCount() > 0; }
HTREEITEM CTreeCtrl::GetSelectedItem() const {
    QTreeWidget* t = TreeOf(this);
    return t ? H(t->currentItem()) : nullptr;
}
BOOL CTreeCtrl::SelectItem(HTREEITEM item) {
    QTreeWidget* t = TreeOf(this);
    if (!t) return FALSE;
    if (!item) {
        t->setCurrentItem(nullptr);
        return TRUE;
    }
    if (!Owns(t, item)) return FALSE;
    t->setCurrentItem(Q(item));
    return TRUE;
}
BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code) {
    if (!Owns(TreeOf(this), item)) return FALSE;
    QTreeWidgetItem* it = Q(item);
    bool expand = code == TVE_EXPAND || (code == TVE_TOGGLE && !it->isExpanded());
    it->setExpanded(expand);
    return TRUE;
}
UINT CTreeCtrl::GetCount() const {
    UINT n = 0;
    if (QTreeWidget* t = TreeOf(this))
        for (QTreeWidgetItemIterator it(t); *it; ++it) ++n;
    return n;
}
BOOL CTreeCtrl::EnsureVisible(HTREEITEM item) {
    QTreeWidget* t = TreeOf(this);
    if (!Owns(t, item)) return FALSE;
    t->scrollToItem(Q(item));
    return TRUE;
}
CImageList* CTreeCtrl::SetImageList(CImageList* list, int) {
    CImageList* old = m_pImages;
    m_pImages = list;
    return old;
}

// List controls over Qt's tree widget (one column per report column, no tree
// decoration), image lists, tab controls and tool tips.
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTreeWidget>

#include <map>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/core/dib_qt.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/memory.h"

using namespace afx_detail;

namespace {
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;

QTreeWidget* TreeOf(const CWnd* w) { return qobject_cast<QTreeWidget*>(w->m_pWidget); }

LRESULT NotifyParent(HWND h, UINT code, NMHDR* hdr) {
    CWnd* w = CWnd::FromHandlePermanent(h);
    CWnd* parent = w ? w->GetParent() : nullptr;
    if (!parent) return 0;
    hdr->hwndFrom = h;
    hdr->idFrom = static_cast<UINT_PTR>(w->GetDlgCtrlID());
    hdr->code = code;
    return parent->SendMessage(WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}

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

private:
    HWND list_;
};

QTreeWidgetItem* ItemAt(const CWnd* w, int index) {
    QTreeWidget* t = TreeOf(w);
    return t && index >= 0 && index < t->topLevelItemCount() ? t->topLevelItem(index) : nullptr;
}

QWidget* MakeList(CWnd*, CREATESTRUCT& cs, QWidget* parent) {
    auto* t = new QTreeWidget(parent);
    UINT style = static_cast<UINT>(cs.style);
    t->setRootIsDecorated(false);
    t->setItemsExpandable(false);
    t->setUniformRowHeights(true);
    t->setColumnCount(1);
    t->setHeaderHidden((style & LVS_TYPEMASK) != LVS_REPORT || (style & LVS_NOCOLUMNHEADER));
    t->setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetPendingSetup([t](WindowState* s) {
        HWND h = s->hwnd;
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
        QObject::connect(t, &QTreeWidget::itemClicked, t, [t, h](QTreeWidgetItem* it, int col) {
            NMLISTVIEW nm{};
            nm.iItem = t->indexOfTopLevelItem(it);
            nm.iSubItem = col;
            NotifyParent(h, NM_CLICK, &nm.hdr);
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
BOOL CImageList::Create(int cx, int cy, UINT, int, int) {
    m_size = CSize(cx, cy);
    DeleteImageList();
    return TRUE;
}

BOOL CImageList::Create(UINT bitmapId, int cx, int, COLORREF mask) {
    HDIB dib = AfxLoadDIBResource(AfxGetResourceHandle(), MAKEINTRESOURCE(bitmapId));
    if (!dib) return FALSE;
    QImage strip = AfxDibToImage(GlobalLock(dib), GlobalSize(dib)).convertToFormat(QImage::Format_ARGB32);
    GlobalUnlock(dib);
    GlobalFree(dib);
    if (strip.isNull() || cx <= 0) return FALSE;
    m_size = CSize(cx, strip.height());
    DeleteImageList();
    QRgb key = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
    for (int x = 0; x + cx <= strip.width(); x += cx) {
        QImage img = strip.copy(x, 0, cx, strip.height());
        for (int yy = 0; yy < img.height(); ++yy)
            for (int xx = 0; xx < img.width(); ++xx)
                if ((img.pixel(xx, yy) & 0xFFFFFF) == (key & 0xFFFFFF)) img.setPixel(xx, yy, 0);
        m_images.push_back(new QImage(img));
    }
    return TRUE;
}

int CImageList::Add(CBitmap* bitmap, COLORREF) {
    if (!bitmap) return -1;
    QImage img = AfxBitmapImage(static_cast<HBITMAP>(bitmap->GetSafeHandle()));
    if (img.isNull()) return -1;
    m_images.push_back(new QImage(img));
    return GetImageCount() - 1;
}

int CImageList::Add(HICON icon) {
    QImage img = IconImage(icon);
    if (img.isNull()) return -1;
    m_images.push_back(new QImage(img.scaled(m_size.cx, m_size.cy)));
    return GetImageCount() - 1;
}

BOOL CImageList::Remove(int index) {
    if (index < 0 || index >= GetImageCount()) return FALSE;
    delete static_cast<QImage*>(m_images[static_cast<size_t>(index)]);
    m_images.erase(m_images.begin() + index);
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    for (void* p : m_images) delete static_cast<QImage*>(p);
    m_images.clear();
    return TRUE;
}

// List controls.
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("SysListView32", nullptr, style, rect, parent, id);
}

int CListCtrl::InsertColumn(int col, LPCTSTR heading, int format, int width, int) {
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
    QTreeWidget* t = TreeOf(this);
    if (!t || col < 0 || col >= t->columnCount()) return FALSE;
    if (width < 0) t->resizeColumnToContents(col);
    else t->setColumnWidth(col, width);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int col) const {
    QTreeWidget* t = TreeOf(this);
    return t ? t->columnWidth(col) : 0;
}

int CListCtrl::InsertItem(int index, LPCTSTR text, int image) {
    LVITEM item{LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u), index, 0, 0, 0, const_cast<LPSTR>(text), 0, image, 0};
    return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEM* item) {
    QTreeWidget* t = TreeOf(this);
    if (!t || !item) return -1;
    int n = t->topLevelItemCount();
    int at = item->iItem < 0 || item->iItem > n ? n : item->iItem;
    auto* it = new QTreeWidgetItem;
    it->setData(0, kDataRole, QVariant::fromValue<qlonglong>((item->mask & LVIF_PARAM) ? item->lParam : 0));
    it->setData(0, kImageRole, (item->mask & LVIF_IMAGE) ? item->iImage : -1);
    if (item->mask & LVIF_TEXT) it->setText(0, ToQ(item->pszText));
    QSignalBlocker block(t);
    t->insertTopLevelItem(at, it);
    if ((item->mask & LVIF_IMAGE) && m_pImages[LVSIL_SMALL] && item->iImage >= 0 && item->iImage < m_pImages[LVSIL_SMALL]->GetImageCount())
        it->setIcon(0, QIcon(QPixmap::fromImage(*static_cast<QImage*>(m_pImages[LVSIL_SMALL]->m_images[static_cast<size_t>(item->iImage)]))));
    if (item->mask & LVIF_STATE) SetItemState(at, item->state, item->stateMask);
    return at;
}

BOOL CListCtrl::SetItem(const LVITEM* item) {
    QTreeWidgetItem* it = item ? ItemAt(this, item->iItem) : nullptr;
    if (!it) return FALSE;
    if (item->mask & LVIF_TEXT) it->setText(item->iSubItem, ToQ(item->pszText));
    if (item->mask & LVIF_PARAM) it->setData(0, kDataRole, QVariant::fromValue<qlonglong>(item->lParam));
    if (item->mask & LVIF_IMAGE) it->setData(0, kImageRole, item->iImage);
    if (item->mask & LVIF_STATE) SetItemState(item->iItem, item->state, item->stateMask);
    return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* item) const {
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
    QTreeWidget* t = TreeOf(this);
    if (!t) return FALSE;
    while (t->topLevelItemCount() > 0)
        if (!DeleteItem(t->topLevelItemCount() - 1)) return FALSE;
    return TRUE;
}

int CListCtrl::GetItemCount() const {
    QTreeWidget* t = TreeOf(this);
    return t ? t->topLevelItemCount() : 0;
}

BOOL CListCtrl::SetItemText(int item, int sub, LPCTSTR text) {
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it || sub < 0) return FALSE;
    it->setText(sub, ToQ(text));
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int sub) const {
    QTreeWidgetItem* it = ItemAt(this, item);
    return it ? FromQ(it->text(sub)) : CString();
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return FALSE;
    it->setData(0, kDataRole, QVariant::fromValue<qlonglong>(static_cast<qlonglong>(data)));
    return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    QTreeWidgetItem* it = ItemAt(this, item);
    return it ? static_cast<DWORD_PTR>(it->data(0, kDataRole).toLongLong()) : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
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
        }
    }
    return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return 0;
    UINT s = 0;
    if (it->isSelected()) s |= LVIS_SELECTED;
    if (t->currentItem() == it) s |= LVIS_FOCUSED;
    return s & mask;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
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
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return FALSE;
    TreeOf(this)->scrollToItem(it);
    return TRUE;
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT) const {
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it || !rect) return FALSE;
    QTreeWidget* t = TreeOf(this);
    QRect r = t->visualItemRect(it).translated(t->viewport()->pos());
    *rect = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    return TRUE;
}

int CListCtrl::HitTest(POINT pt, UINT* flags) const {
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
    if (kind < 0 || kind > 1) return nullptr;
    CImageList* old = m_pImages[kind];
    m_pImages[kind] = list;
    if (QTreeWidget* t = TreeOf(this); t && list) t->setIconSize(QSize(list->m_size.cx, list->m_size.cy));
    return old;
}

CImageList* CListCtrl::GetImageList(int kind) const { return kind >= 0 && kind <= 1 ? m_pImages[kind] : nullptr; }

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    DWORD old = m_dwExStyleLV;
    m_dwExStyleLV = style;
    return old;
}

CWnd* CListCtrl::EditLabel(int item) {
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = ItemAt(this, item);
    if (!it) return nullptr;
    HWND h = m_hWnd;
    NMLVDISPINFO begin{};
    begin.item.iItem = item;
    begin.item.lParam = static_cast<LPARAM>(it->data(0, kDataRole).toLongLong());
    if (NotifyParent(h, LVN_BEGINLABELEDIT, &begin.hdr)) return nullptr;  // the parent refused
    auto* edit = new CWnd;
    QRect r = t->visualItemRect(it).translated(t->viewport()->pos());
    int width = t->columnWidth(0) > 40 ? t->columnWidth(0) : r.width();
    if (!edit->CreateEx(0, "Edit", GetItemText(item, 0), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                        CRect(r.left(), r.top(), r.left() + width, r.bottom() + 1), this, 0xFFFE)) {
        delete edit;
        return nullptr;
    }
    OwnControl(edit);
    edit->SetFocus();
    edit->SendMessage(EM_SETSEL, 0, -1);
    auto* line = qobject_cast<QLineEdit*>(edit->m_pWidget);
    HWND eh = edit->m_hWnd;
    auto finish = std::make_shared<bool>(false);
    auto end = [h, eh, item, finish](bool keep) {
        if (*finish) return;
        *finish = true;
        CWnd* e = CWnd::FromHandlePermanent(eh);
        auto* list = static_cast<CListCtrl*>(CWnd::FromHandlePermanent(h));
        if (!e || !list) return;
        CString text;
        e->GetWindowText(text);
        NMLVDISPINFO info{};
        info.item.mask = LVIF_TEXT;
        info.item.iItem = item;
        info.item.pszText = keep ? const_cast<LPSTR>(text.GetString()) : nullptr;
        info.item.lParam = static_cast<LPARAM>(list->GetItemData(item));
        // The parent answers TRUE to take the new text.
        if (NotifyParent(h, LVN_ENDLABELEDIT, &info.hdr) && keep) list->SetItemText(item, 0, text);
        if (CWnd* still = CWnd::FromHandlePermanent(eh)) still->DestroyWindow();
    };
    if (line) {
        QObject::connect(line, &QLineEdit::returnPressed, line, [end] { end(true); });
        QObject::connect(line, &QLineEdit::editingFinished, line, [end] { end(true); });
        line->setProperty("afxEscCancels", true);
        struct EscFilter : QObject {
            std::function<void(bool)> end;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                    end(false);
                    return true;
                }
                return false;
            }
        };
        auto* f = new EscFilter;
        f->end = end;
        f->setParent(line);
        line->installEventFilter(f);
    }
    return edit;
}

BOOL CListCtrl::RedrawItems(int, int) {
    if (QTreeWidget* t = TreeOf(this)) t->viewport()->update();
    return TRUE;
}

int CListCtrl::GetTopIndex() const {
    QTreeWidget* t = TreeOf(this);
    QTreeWidgetItem* it = t ? t->itemAt(2, 2) : nullptr;
    return it ? t->indexOfTopLevelItem(it) : 0;
}

int CListCtrl::GetCountPerPage() const {
    QTreeWidget* t = TreeOf(this);
    if (!t || t->topLevelItemCount() == 0) return 0;
    int h = t->visualItemRect(t->topLevelItem(0)).height();
    return h > 0 ? t->viewport()->height() / h : 0;
}

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

// Tool tips: the text shows when the mouse rests on the tool's window.
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
BOOL CToolTipCtrl::Create(CWnd* parent, DWORD) {
    // A tool-tip control has no window of its own to show: its tools' widgets show the tips.
    SetOwner(parent);
    return TRUE;
}
BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCTSTR text, LPCRECT, UINT_PTR) {
    if (!wnd || !wnd->m_pWidget) return FALSE;
    wnd->m_pWidget->setToolTip(m_bActive ? ToQ(text) : QString());
    wnd->m_pWidget->setProperty("afxTip", ToQ(text));
    return TRUE;
}
void CToolTipCtrl::UpdateTipText(LPCTSTR text, CWnd* wnd, UINT_PTR id) { AddTool(wnd, text, nullptr, id); }
void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR) {
    if (wnd && wnd->m_pWidget) {
        wnd->m_pWidget->setToolTip(QString());
        wnd->m_pWidget->setProperty("afxTip", QVariant());
    }
}
void CToolTipCtrl::Activate(BOOL activate) { m_bActive = activate; }

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

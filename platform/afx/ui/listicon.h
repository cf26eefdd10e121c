// Internals of the list control shared by its sources: the icon, small-icon
// and list views, which keep their items themselves and paint through the
// window's WM_PAINT (so custom draw and subclasses' painting see a real
// device context). Never included by code outside this folder.
#pragma once

#include <vector>

#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/window_widget.h"

namespace afx_detail {

// Sends WM_NOTIFY with `code` from list `h` to its parent; the parent's answer.
LRESULT NotifyListParent(HWND h, UINT code, NMHDR* hdr);

struct ListItem {
    unsigned id = 0;                 // stays with the item while others come and go
    std::vector<CString> text;       // label, then sub-items
    int image = -1;
    LPARAM data = 0;
    UINT state = 0;                  // LVIS_ bits and the state image index
    POINT pos{0, 0};                 // icon and small-icon views: top left of the box
};

// The widget and model of a list control in icon, small-icon or list view.
class IconListView : public AfxWindowWidget {
public:
    IconListView(QWidget* parent, UINT style);
    void Attach(WindowState* s);

    // Model.
    int Count() const { return static_cast<int>(items_.size()); }
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    ListItem& At(int i) { return items_[static_cast<size_t>(i)]; }
    int Insert(const LVITEM& item);
    bool Delete(int i);
    bool DeleteAll();
    bool SetText(int i, int sub, LPCTSTR text);
    CString Text(int i, int sub) const;
    bool SetImage(int i, int image);
    // Changes the state bits in `mask`, notifying the parent of each item that
    // changes (LVN_ITEMCHANGING may refuse); item -1 means every item.
    bool ChangeState(int i, UINT state, UINT mask);
    UINT State(int i, UINT mask) const;
    int NextItem(int start, UINT flags) const;
    int IndexOfId(unsigned id) const;

    // Views and geometry; rectangles in client coordinates.
    UINT Type() const;
    bool ItemRect(int i, UINT code, QRect& out) const;
    int HitTest(QPoint client, UINT* flags) const;
    bool SetPosition(int i, POINT pt);
    bool Position(int i, POINT& pt) const;
    void Arrange(UINT code);
    QSize SetSpacing(QSize size);
    QRect ViewRect() const;
    QPoint Origin() const { return origin_; }
    void ScrollBy(int dx, int dy);
    bool EnsureVisible(int i);
    int TopIndex() const;
    int CountPerPage() const;
    void SetListColumnWidth(int width);
    int ListColumnWidth() const;
    int StringWidth(const CString& text) const;
    // Where the edit box of an item's label goes.
    QRect LabelEditRect(int i) const;
    void RedrawItem(int i);
    void Relayout();

    CImageList* images[3] = {nullptr, nullptr, nullptr};
    int columns = 0;              // report columns kept for the sub-items
    HWND edit = nullptr;          // the label being edited
    unsigned editId = 0;

private:
    DWORD Style() const;
    bool HasFocus() const;
    QSize ImageSize(bool large) const;
    int LineHeight() const;
    QSize LabelSize(const ListItem& it, bool full) const;
    QSize Cell() const;
    int ListRows() const;
    POINT ViewPos(int i) const;
    void Geometry(int i, QRect* bounds, QRect* icon, QRect* label) const;
    POINT FreeSlot(int skip) const;
    void UpdateScroll();
    LRESULT Notify(UINT code, NMHDR* hdr) const;
    void NotifyItem(UINT code, int i, QPoint pt = QPoint()) const;
    void Paint();
    void PaintItem(HDC dc, int i, COLORREF text, COLORREF back);
    bool OnMessage(UINT m, WPARAM wp, LPARAM lp, LRESULT* r);
    void OnButtonDown(UINT m, UINT flags, QPoint pt);
    void OnKey(UINT vk);
    void MoveFocus(int to, bool extend, bool focusOnly);
    void SelectOnly(int i);
    void SelectRange(int a, int b);

    HWND hwnd_ = nullptr;
    std::vector<ListItem> items_;
    unsigned nextId_ = 1;
    QPoint origin_;               // view coordinates of the client's top left
    QSize spacing_;               // icon view cell size set by the caller
    int listColumnWidth_ = 0;     // list view column width set by the caller
    int anchor_ = -1;             // where a Shift selection starts
    bool layingOut_ = false;
    // Mouse tracking between button down and up.
    bool pressed_ = false;
    int pressItem_ = -1;
    QPoint pressPt_;
    bool pressOnSelectedFocus_ = false;
    unsigned pendingEditId_ = 0;
    // Measurements kept until the items or the font change.
    mutable int lineHeight_ = 0;
    mutable int widest_ = -1;
    void ResetMetrics() { lineHeight_ = 0; widest_ = -1; }
};

IconListView* IconViewOf(const CWnd* wnd);
QWidget* MakeIconList(CREATESTRUCT& cs, QWidget* parent);

}  // namespace afx_detail

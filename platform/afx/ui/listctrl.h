// List controls (report, icon, small-icon and list views) with item data,
// item states, item positions, in-place label editing and custom drawing;
// image lists.
#pragma once

#include <vector>

#include "platform/afx/core/collections.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/tooltip.h"
#include "platform/afx/ui/wnd.h"

#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_SORTASCENDING 0x0010u
#define LVS_SHAREIMAGELISTS 0x0040u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_AUTOARRANGE 0x0100u
#define LVS_EDITLABELS 0x0200u
#define LVS_OWNERDRAWFIXED 0x0400u
#define LVS_ALIGNTOP 0x0000u
#define LVS_ALIGNLEFT 0x0800u
#define LVS_NOSCROLL 0x2000u
#define LVS_NOCOLUMNHEADER 0x4000u
#define LVS_EX_GRIDLINES 0x00000001u
#define LVS_EX_FULLROWSELECT 0x00000020u
#define LVS_EX_CHECKBOXES 0x00000004u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVIS_CUT 0x0004u
#define LVIS_DROPHILITED 0x0008u
#define LVIS_STATEIMAGEMASK 0xF000u
#define INDEXTOSTATEIMAGEMASK(i) (static_cast<UINT>(i) << 12)
#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u
#define LVNI_ALL 0x0000u
#define LVNI_FOCUSED 0x0001u
#define LVNI_SELECTED 0x0002u
#define LVNI_CUT 0x0004u
#define LVNI_DROPHILITED 0x0008u
#define LVNI_ABOVE 0x0100u
#define LVNI_BELOW 0x0200u
#define LVNI_TOLEFT 0x0400u
#define LVNI_TORIGHT 0x0800u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3
#define LVHT_NOWHERE 0x0001u
#define LVHT_ONITEMICON 0x0002u
#define LVHT_ONITEMLABEL 0x0004u
#define LVHT_ONITEMSTATEICON 0x0008u
#define LVHT_ONITEM 0x000Eu
#define LVHT_ABOVE 0x0008u
#define LVHT_BELOW 0x0010u
#define LVHT_TORIGHT 0x0020u
#define LVHT_TOLEFT 0x0040u
#define LVA_DEFAULT 0x0000u
#define LVA_ALIGNLEFT 0x0001u
#define LVA_ALIGNTOP 0x0002u
#define LVA_SNAPTOGRID 0x0005u
#define NM_FIRST 0u
#define NM_CLICK (0u - 2u)
#define NM_DBLCLK (0u - 3u)
#define NM_RETURN (0u - 4u)
#define NM_RCLICK (0u - 5u)
#define NM_RDBLCLK (0u - 6u)
#define NM_SETFOCUS (0u - 7u)
#define NM_KILLFOCUS (0u - 8u)
#define NM_CUSTOMDRAW (0u - 12u)
#define LVN_ITEMCHANGING (0u - 100u)
#define LVN_ITEMCHANGED (0u - 101u)
#define LVN_INSERTITEM (0u - 102u)
#define LVN_DELETEITEM (0u - 103u)
#define LVN_BEGINDRAG (0u - 109u)
#define LVN_BEGINRDRAG (0u - 111u)
#define LVN_BEGINLABELEDIT (0u - 175u)
#define LVN_ENDLABELEDIT (0u - 176u)
#define LVN_KEYDOWN (0u - 155u)
#define LVN_COLUMNCLICK (0u - 108u)
#define CDDS_PREPAINT 0x00000001u
#define CDDS_POSTPAINT 0x00000002u
#define CDDS_ITEM 0x00010000u
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDDS_ITEMPOSTPAINT (CDDS_ITEM | CDDS_POSTPAINT)
#define CDRF_DODEFAULT 0x00000000u
#define CDRF_NEWFONT 0x00000002u
#define CDRF_SKIPDEFAULT 0x00000004u
#define CDRF_NOTIFYPOSTPAINT 0x00000010u
#define CDRF_NOTIFYITEMDRAW 0x00000020u
#define CDIS_SELECTED 0x0001u
#define CDIS_GRAYED 0x0002u
#define CDIS_DISABLED 0x0004u
#define CDIS_CHECKED 0x0008u
#define CDIS_FOCUS 0x0010u
#ifndef CLR_NONE
#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u
#endif
#define ILD_NORMAL 0x0000u
#define ILD_TRANSPARENT 0x0001u
#define ILD_FOCUS 0x0002u
#define ILD_SELECTED 0x0004u
#define ILD_BLEND50 ILD_SELECTED
#define ODT_LISTVIEW 102
#define ILC_COLOR 0x0000u
#define ILC_MASK 0x0001u
#define ILC_COLOR24 0x0018u
#define ILC_COLOR32 0x0020u

struct LVITEM {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
using LV_ITEM = LVITEM;
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
using NM_LISTVIEW = NMLISTVIEW;
struct NMLVDISPINFO {
    NMHDR hdr;
    LVITEM item;
};
using LV_DISPINFO = NMLVDISPINFO;
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
using LV_KEYDOWN = NMLVKEYDOWN;
struct NMCUSTOMDRAW {
    NMHDR hdr;
    DWORD dwDrawStage;
    HDC hdc;
    RECT rc;
    DWORD_PTR dwItemSpec;
    UINT uItemState;
    LPARAM lItemlParam;
};
struct NMLVCUSTOMDRAW {
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iSubItem;
};
struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};

// Images of one size, added from bitmaps (a strip of images) or icons.
class AFX_UI_API CImageList : public CObject {
public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
    // Adds the bitmap cut into images of the list's width, left to right;
    // in a masked list the pixels of `mask` become transparent. The index of
    // the first image added, or -1.
    int Add(class CBitmap* bitmap, COLORREF mask);
    int Add(HICON icon);
    // Puts a bitmap (or an icon) in place of image `index`.
    BOOL Replace(int index, class CBitmap* bitmap, class CBitmap* mask);
    int Replace(int index, HICON icon);
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    BOOL Remove(int index);
    BOOL DeleteImageList();
    CSize GetIconSize() const { return m_size; }
    // Draws image `index` with its top left at `pt`; ILD_SELECTED or
    // ILD_FOCUS blend it half with the highlight colour.
    BOOL Draw(class CDC* dc, int index, POINT pt, UINT style) const;
    void* GetSafeHandle() const { return const_cast<CImageList*>(this); }
    // Dragging an image over the screen, one drag at a time: BeginDrag picks
    // the image and its hot spot; DragEnter shows it with the hot spot at
    // `pt` (coordinates of `lock`'s window, of the screen without one),
    // DragMove moves it, DragShowNolock hides or shows it, DragLeave hides
    // it and EndDrag ends the drag.
    BOOL BeginDrag(int image, CPoint hotSpot);
    static BOOL DragEnter(CWnd* lock, CPoint pt);
    static BOOL DragMove(CPoint pt);
    static BOOL DragShowNolock(BOOL show);
    static BOOL DragLeave(CWnd* lock);
    static void EndDrag();
    // The list being dragged with the drag point and the hot spot; nullptr when none.
    static CImageList* GetDragImage(LPPOINT pt, LPPOINT hotSpot);
    std::vector<void*> m_images;  // internal: image data
    CSize m_size{16, 16};
    UINT m_flags = 0;
};

// The column header of a report list. Pressing or double-clicking a column
// divider first asks the list (WM_NOTIFY with HDN_BEGINTRACK /
// HDN_DIVIDERDBLCLICK, ANSI forms); a non-zero answer swallows the action.
#define HDN_ITEMCHANGED (0u - 301u)
#define HDN_ITEMCLICK (0u - 302u)
#define HDN_DIVIDERDBLCLICK (0u - 305u)
#define HDN_BEGINTRACK (0u - 306u)
#define HDN_ENDTRACK (0u - 307u)
#define HDN_ITEMCHANGEDW (0u - 321u)
#define HDN_ITEMCLICKW (0u - 322u)
#define HDN_DIVIDERDBLCLICKW (0u - 325u)
#define HDN_BEGINTRACKW (0u - 326u)
#define HDN_ENDTRACKW (0u - 327u)
#define HDI_WIDTH 0x0001u
#define HDI_TEXT 0x0002u
struct HDITEM {
    UINT mask;
    int cxy;
    LPSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
};
struct NMHEADER {
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEM* pitem;
};

class AFX_UI_API CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    int GetItemCount() const;
    // A column's rectangle in the header's client coordinates.
    BOOL GetItemRect(int index, LPRECT rect) const;
    // The header goes with its list: destroying it only forgets the handle.
    BOOL DestroyWindow() override;
};

class AFX_UI_API CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Rows of an owner-drawn report (LVS_OWNERDRAWFIXED) that the parent does
    // not draw: `dis->hDC` draws in the list's client coordinates, rcItem is
    // the row's box. MeasureItem gives the row height, asked once.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    int InsertColumn(int col, LPCTSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int col);
    BOOL SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const;
    int InsertItem(int index, LPCTSTR text, int image = -1);
    int InsertItem(const LVITEM* item);
    BOOL SetItem(const LVITEM* item);
    BOOL GetItem(LVITEM* item) const;
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL SetItemText(int item, int sub, LPCTSTR text);
    CString GetItemText(int item, int sub) const;
    // The first item from `start` whose column `sub` holds exactly `text`
    // (byte for byte, no case folding); -1 when none. One pass without
    // converting each item's text.
    int FindItemText(int sub, LPCTSTR text, int start = 0) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;
    int GetNextItem(int start, UINT flags) const;
    UINT GetSelectedCount() const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& pos) const;
    BOOL EnsureVisible(int item, BOOL partialOk);
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
    int HitTest(POINT pt, UINT* flags = nullptr) const;
    int HitTest(LVHITTESTINFO* info) const;
    CImageList* SetImageList(CImageList* list, int kind);
    CImageList* GetImageList(int kind) const;
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const { return m_dwExStyleLV; }
    // Starts editing an item's label in place after asking the parent
    // (LVN_BEGINLABELEDIT, non-zero refuses). Enter, or the focus leaving,
    // ends it with LVN_ENDLABELEDIT carrying the text (the parent's non-zero
    // answer keeps it); Esc ends it with no text.
    CEdit* EditLabel(int item);
    // The edit box of the label being edited, or nullptr.
    CEdit* GetEditControl() const;
    BOOL RedrawItems(int first, int last);
    BOOL Update(int item);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    BOOL SetItem(int item, int sub, UINT mask, LPCTSTR text, int image, UINT state, UINT stateMask, LPARAM lParam);
    // Check boxes (LVS_EX_CHECKBOXES): state image 2 is checked, 1 unchecked.
    BOOL GetCheck(int item) const;
    BOOL SetCheck(int item, BOOL check = TRUE);
    int GetStringWidth(LPCTSTR text) const;
    // The column header of the report view (nullptr in the other views).
    CHeaderCtrl* GetHeaderCtrl() const;
    // A new image list (the caller deletes it) holding a picture of the item;
    // `upLeft` receives the picture's top left in client coordinates.
    CImageList* CreateDragImage(int item, LPPOINT upLeft);

    // Icon and small-icon views: item positions (top left of the item's
    // box, in view coordinates) and their arrangement in a grid of cells.
    BOOL SetItemPosition(int item, POINT pt);
    BOOL GetItemPosition(int item, LPPOINT pt) const;
    BOOL Arrange(UINT code);
    // Sets the icon view's cell size (0 or less: the default) and returns the old one.
    CSize SetIconSpacing(int cx, int cy);
    CSize SetIconSpacing(CSize size) { return SetIconSpacing(size.cx, size.cy); }
    BOOL GetViewRect(LPRECT rect) const;
    BOOL GetOrigin(LPPOINT pt) const;
    BOOL Scroll(CSize size);

    DWORD m_dwExStyleLV = 0;
    CImageList* m_pImages[3] = {nullptr, nullptr, nullptr};
};

class AFX_UI_API CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int InsertItem(int index, LPCTSTR text);
    BOOL DeleteItem(int index);
    int GetItemCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
};
#define TCN_SELCHANGE (0u - 551u)
#define TCN_SELCHANGING (0u - 552u)

// Tree controls.
struct HTREEITEM__;
using HTREEITEM = HTREEITEM__*;
#define TVI_ROOT (reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x10000)))
#define TVI_FIRST (reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF)))
#define TVI_LAST (reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE)))
#define TVI_SORT (reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFD)))
#define TVS_HASBUTTONS 0x0001u
#define TVS_HASLINES 0x0002u
#define TVS_LINESATROOT 0x0004u
#define TVS_EDITLABELS 0x0008u
#define TVS_SHOWSELALWAYS 0x0020u
#define TVE_COLLAPSE 0x0001u
#define TVE_EXPAND 0x0002u
#define TVE_TOGGLE 0x0003u
#define TVSIL_NORMAL 0
#define TVN_SELCHANGED (0u - 402u)
#define TVN_ITEMEXPANDED (0u - 406u)
struct TVITEM {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
struct NMTREEVIEW {
    NMHDR hdr;
    UINT action;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};

class AFX_UI_API CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    HTREEITEM InsertItem(LPCTSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPCTSTR text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, LPCTSTR text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);
    HTREEITEM GetRootItem() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    BOOL ItemHasChildren(HTREEITEM item) const;
    HTREEITEM GetSelectedItem() const;
    BOOL SelectItem(HTREEITEM item);
    BOOL Expand(HTREEITEM item, UINT code);
    UINT GetCount() const;
    BOOL EnsureVisible(HTREEITEM item);
    CImageList* SetImageList(CImageList* list, int kind);
    CImageList* m_pImages = nullptr;
};

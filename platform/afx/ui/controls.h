// The standard controls as window classes: buttons (push, check, radio,
// group, owner-drawn), edits, statics, combo and list boxes (owner-drawn,
// sorted), scroll bars, progress bars, sliders and spin buttons. Each sends
// its notifications to its parent as WM_COMMAND (or WM_HSCROLL/WM_VSCROLL,
// WM_NOTIFY) with its id, as dialogs and views expect.
#pragma once

#include "platform/afx/ui/wnd.h"

// Button styles and messages.
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_CHECKBOX 0x2u
#define BS_AUTOCHECKBOX 0x3u
#define BS_RADIOBUTTON 0x4u
#define BS_3STATE 0x5u
#define BS_AUTO3STATE 0x6u
#define BS_GROUPBOX 0x7u
#define BS_AUTORADIOBUTTON 0x9u
#define BS_OWNERDRAW 0xBu
#define BS_TYPEMASK 0xFu
#define BS_LEFTTEXT 0x20u
#define BS_BITMAP 0x80u
#define BS_ICON 0x40u
#define BS_FLAT 0x8000u
#define BS_PUSHLIKE 0x1000u
#define BM_GETCHECK 0x00F0u
#define BM_SETCHECK 0x00F1u
#define BM_GETSTATE 0x00F2u
#define BM_SETSTATE 0x00F3u
#define BM_SETSTYLE 0x00F4u
#define BM_CLICK 0x00F5u
#define BST_PUSHED 0x0004u
#define BST_FOCUS 0x0008u

// Edit styles and messages.
#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_UPPERCASE 0x0008u
#define ES_LOWERCASE 0x0010u
#define ES_PASSWORD 0x0020u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_NOHIDESEL 0x0100u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define ES_NUMBER 0x2000u
#define EM_GETSEL 0x00B0u
#define EM_SETSEL 0x00B1u
#define EM_GETMODIFY 0x00B8u
#define EM_SETMODIFY 0x00B9u
#define EM_GETLINECOUNT 0x00BAu
#define EM_REPLACESEL 0x00C2u
#define EM_LIMITTEXT 0x00C5u
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_CANUNDO 0x00C6u
#define EM_UNDO 0x00C7u
#define EM_SETREADONLY 0x00CFu
#define EM_GETLIMITTEXT 0x00D5u

// Static styles.
#define SS_LEFT 0x0u
#define SS_CENTER 0x1u
#define SS_RIGHT 0x2u
#define SS_ICON 0x3u
#define SS_BLACKRECT 0x4u
#define SS_GRAYRECT 0x5u
#define SS_WHITERECT 0x6u
#define SS_BLACKFRAME 0x7u
#define SS_ETCHEDFRAME 0x12u
#define SS_OWNERDRAW 0xDu
#define SS_BITMAP 0xEu
#define SS_TYPEMASK 0x1Fu
#define SS_NOPREFIX 0x80u
#define SS_NOTIFY 0x100u
#define SS_CENTERIMAGE 0x200u
#define SS_SUNKEN 0x1000u
#define STM_SETICON 0x0170u
#define STM_SETIMAGE 0x0172u
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1

// Combo boxes.
#define CBS_SIMPLE 0x1u
#define CBS_DROPDOWN 0x2u
#define CBS_DROPDOWNLIST 0x3u
#define CBS_OWNERDRAWFIXED 0x10u
#define CBS_OWNERDRAWVARIABLE 0x20u
#define CBS_AUTOHSCROLL 0x40u
#define CBS_SORT 0x100u
#define CBS_HASSTRINGS 0x200u
#define CB_ERR (-1)
#define CB_GETEDITSEL 0x0140u
#define CB_LIMITTEXT 0x0141u
#define CB_SETEDITSEL 0x0142u
#define CB_ADDSTRING 0x0143u
#define CB_DELETESTRING 0x0144u
#define CB_GETCOUNT 0x0146u
#define CB_GETCURSEL 0x0147u
#define CB_GETLBTEXT 0x0148u
#define CB_GETLBTEXTLEN 0x0149u
#define CB_INSERTSTRING 0x014Au
#define CB_RESETCONTENT 0x014Bu
#define CB_FINDSTRING 0x014Cu
#define CB_SELECTSTRING 0x014Du
#define CB_SETCURSEL 0x014Eu
#define CB_SHOWDROPDOWN 0x014Fu
#define CB_GETITEMDATA 0x0150u
#define CB_SETITEMDATA 0x0151u
#define CB_GETDROPPEDSTATE 0x0157u
#define CB_FINDSTRINGEXACT 0x0158u

// List boxes.
#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOREDRAW 0x0004u
#define LBS_MULTIPLESEL 0x0008u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_OWNERDRAWVARIABLE 0x0020u
#define LBS_HASSTRINGS 0x0040u
#define LBS_USETABSTOPS 0x0080u
#define LBS_NOINTEGRALHEIGHT 0x0100u
#define LBS_EXTENDEDSEL 0x0800u
#define LBS_STANDARD (LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER)
#define LB_ERR (-1)
#define LB_ADDSTRING 0x0180u
#define LB_INSERTSTRING 0x0181u
#define LB_DELETESTRING 0x0182u
#define LB_RESETCONTENT 0x0184u
#define LB_SETSEL 0x0185u
#define LB_SETCURSEL 0x0186u
#define LB_GETSEL 0x0187u
#define LB_GETCURSEL 0x0188u
#define LB_GETTEXT 0x0189u
#define LB_GETTEXTLEN 0x018Au
#define LB_GETCOUNT 0x018Bu
#define LB_SELECTSTRING 0x018Cu
#define LB_GETTOPINDEX 0x018Eu
#define LB_FINDSTRING 0x018Fu
#define LB_GETSELCOUNT 0x0190u
#define LB_GETSELITEMS 0x0191u
#define LB_SETTOPINDEX 0x0197u
#define LB_GETITEMRECT 0x0198u
#define LB_GETITEMDATA 0x0199u
#define LB_SETITEMDATA 0x019Au
#define LB_SETITEMHEIGHT 0x01A0u
#define LB_GETITEMHEIGHT 0x01A1u
#define LB_FINDSTRINGEXACT 0x01A2u

// Owner-drawn sorted lists without strings ask their owner to order items.
#define WM_COMPAREITEM 0x0039u
struct COMPAREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    HWND hwndItem;
    UINT itemID1;  // (UINT)-1: the item being inserted or searched for
    DWORD_PTR itemData1;
    UINT itemID2;
    DWORD_PTR itemData2;
    DWORD dwLocaleId;
};
using LPCOMPAREITEMSTRUCT = COMPAREITEMSTRUCT*;

// Scroll bars.
#define SBS_HORZ 0x0u
#define SBS_VERT 0x1u
#define SBM_SETPOS 0x00E0u
#define SBM_GETPOS 0x00E1u
#define SBM_SETRANGE 0x00E2u
#define SBM_GETRANGE 0x00E3u
#define SBM_SETSCROLLINFO 0x00E9u
#define SBM_GETSCROLLINFO 0x00EAu

// Progress bars, sliders, spin buttons.
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETPOS (WM_USER + 8)
#define PBS_SMOOTH 0x01u
#define PBS_VERTICAL 0x04u
#define TBS_AUTOTICKS 0x0001u
#define TBS_VERT 0x0002u
#define TBS_HORZ 0x0000u
#define TBS_NOTICKS 0x0010u
#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8
#define UDS_WRAP 0x0001u
#define UDS_SETBUDDYINT 0x0002u
#define UDS_ALIGNRIGHT 0x0004u
#define UDS_ALIGNLEFT 0x0008u
#define UDS_AUTOBUDDY 0x0010u
#define UDS_ARROWKEYS 0x0020u
#define UDS_HORZ 0x0040u
#define UDS_NOTHOUSANDS 0x0080u
#define UDM_SETRANGE (WM_USER + 101)
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_GETPOS (WM_USER + 104)
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDN_DELTAPOS (-722)
struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};

class AFX_UI_API CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    using CWnd::Create;
    BOOL Create(LPCTSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const { return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    UINT GetState() const { return static_cast<UINT>(const_cast<CButton*>(this)->SendMessage(BM_GETSTATE)); }
    void SetState(BOOL highlight) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(highlight)); }
    UINT GetButtonStyle() const { return m_dwStyle & 0xFFFF; }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    HBITMAP SetBitmap(HBITMAP bitmap);
    HICON SetIcon(HICON icon);
    // Owner-drawn buttons draw themselves here when their parent does not handle WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_UI_API CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(LPCTSTR text, BOOL canUndo = FALSE);
    void LimitText(int maxChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly))); }
    BOOL GetModify() const { return static_cast<BOOL>(const_cast<CEdit*>(this)->SendMessage(EM_GETMODIFY)); }
    void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, static_cast<WPARAM>(modified)); }
    int GetLineCount() const { return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_GETLINECOUNT)); }
    BOOL Undo() { return static_cast<BOOL>(SendMessage(EM_UNDO)); }
    void Cut() { SendMessage(WM_CUT); }
    void Copy() { SendMessage(WM_COPY); }
    void Paste() { SendMessage(WM_PASTE); }
    void Clear() { SendMessage(WM_CLEAR); }
};

class AFX_UI_API CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    using CWnd::Create;
    BOOL Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    HICON SetIcon(HICON icon);
    HBITMAP SetBitmap(HBITMAP bitmap);
};

class AFX_UI_API CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(LPCTSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int InsertString(int index, LPCTSTR text) {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void GetLBText(int index, CString& text) const;
    int GetLBText(int index, LPTSTR text) const;
    int GetLBTextLen(int index) const {
        return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
    }
    int FindString(int start, LPCTSTR text) const;
    int FindStringExact(int start, LPCTSTR text) const;
    int SelectString(int start, LPCTSTR text);
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, static_cast<WPARAM>(show)); }
    BOOL GetDroppedState() const { return static_cast<BOOL>(const_cast<CComboBox*>(this)->SendMessage(CB_GETDROPPEDSTATE)); }
    BOOL LimitText(int maxChars) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(maxChars))); }
    // Orders the items of an owner-drawn sorted combo box without strings when
    // the parent does not handle WM_COMPAREITEM: -1, 0 or 1 as item 1 comes
    // before, with or after item 2. Equal by default (insertion order).
    virtual int CompareItem(LPCOMPAREITEMSTRUCT cis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_UI_API CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(LPCTSTR text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int InsertString(int index, LPCTSTR text) {
        return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetSel(int index) const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETSEL, static_cast<WPARAM>(index))); }
    int SetSel(int index, BOOL select = TRUE) {
        return static_cast<int>(SendMessage(LB_SETSEL, static_cast<WPARAM>(select), static_cast<LPARAM>(index)));
    }
    int GetSelCount() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETSELCOUNT)); }
    int GetSelItems(int maxItems, LPINT items) const {
        return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(maxItems), reinterpret_cast<LPARAM>(items)));
    }
    void GetText(int index, CString& text) const;
    int GetText(int index, LPTSTR text) const;
    int GetTextLen(int index) const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index))); }
    int FindString(int start, LPCTSTR text) const;
    int FindStringExact(int start, LPCTSTR text) const;
    int SelectString(int start, LPCTSTR text);
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    int GetTopIndex() const { return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETTOPINDEX)); }
    int SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index))); }
    int SetItemHeight(int index, UINT height) { return static_cast<int>(SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), height)); }
    int GetItemRect(int index, LPRECT rect) const {
        return static_cast<int>(const_cast<CListBox*>(this)->SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    // Owner-drawn list boxes draw (and measure) their items here when their parent does not.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);
    // Orders the items of a sorted owner-drawn list without strings (see CComboBox::CompareItem).
    virtual int CompareItem(LPCOMPAREITEMSTRUCT cis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_UI_API CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetScrollPos() const { return static_cast<int>(const_cast<CScrollBar*>(this)->SendMessage(SBM_GETPOS)); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) { return static_cast<int>(SendMessage(SBM_SETPOS, static_cast<WPARAM>(pos), redraw)); }
    void GetScrollRange(LPINT minPos, LPINT maxPos) const;
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE) {
        return static_cast<BOOL>(SendMessage(SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw), reinterpret_cast<LPARAM>(info)));
    }
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL);
    void ShowScrollBar(BOOL show = TRUE) { ShowWindow(show ? SW_SHOW : SW_HIDE); }
};

class AFX_UI_API CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper))); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class AFX_UI_API CSliderCtrl : public CWnd {
    DECLARE_DYNAMIC(CSliderCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetPos() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETPOS)); }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE) {
        SendMessage(TBM_SETRANGE, static_cast<WPARAM>(redraw), MAKELPARAM(static_cast<WORD>(minPos), static_cast<WORD>(maxPos)));
    }
    void SetRangeMin(int minPos, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, static_cast<WPARAM>(redraw), minPos); }
    void SetRangeMax(int maxPos, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maxPos); }
    int GetRangeMin() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETRANGEMAX)); }
    void GetRange(int& minPos, int& maxPos) const { minPos = GetRangeMin(); maxPos = GetRangeMax(); }
    void SetTicFreq(int freq) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(freq)); }
    int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
    int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
};

class AFX_UI_API CSpinButtonCtrl : public CWnd {
    DECLARE_DYNAMIC(CSpinButtonCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetRange(short lower, short upper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower))); }
    void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0))); }
    int GetPos() const { return static_cast<int>(const_cast<CSpinButtonCtrl*>(this)->SendMessage(UDM_GETPOS)); }
    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const;
};


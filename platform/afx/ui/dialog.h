// Dialogs made from dialog templates of the resources (controls by numeric
// id, positions in dialog units), modal (DoModal) or modeless (Create), with
// data exchange between members and controls (DDX/DDV), and property sheets.
#pragma once

#include <vector>

#include "platform/afx/core/resource.h"
#include "platform/afx/ui/wnd.h"

#define DS_MODALFRAME 0x80u
#define DS_SETFONT 0x40u
#define DS_CENTER 0x0800u
#define DS_3DLOOK 0x0004u
#define DS_CONTROL 0x0400u
#define WM_NEXTDLGCTL 0x0028u
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)

class AFX_UI_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    // The control the next DDV checks (and focuses when it fails).
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Stops the exchange; UpdateData returns FALSE.
    [[noreturn]] void Fail();
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Members <-> controls. On saving, text that is not a number fails with a message.
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, CString& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, int& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, UINT& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, long& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, double& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, BYTE& value);
AFX_UI_API void DDX_Text(CDataExchange* dx, int id, short& value);
AFX_UI_API void DDX_Check(CDataExchange* dx, int id, int& value);
// The index of the checked button of the group starting at `id` (-1: none).
AFX_UI_API void DDX_Radio(CDataExchange* dx, int id, int& value);
AFX_UI_API void DDX_CBIndex(CDataExchange* dx, int id, int& index);
AFX_UI_API void DDX_CBString(CDataExchange* dx, int id, CString& value);
AFX_UI_API void DDX_CBStringExact(CDataExchange* dx, int id, CString& value);
AFX_UI_API void DDX_LBIndex(CDataExchange* dx, int id, int& index);
AFX_UI_API void DDX_LBString(CDataExchange* dx, int id, CString& value);
AFX_UI_API void DDX_Scroll(CDataExchange* dx, int id, int& value);
AFX_UI_API void DDX_Slider(CDataExchange* dx, int id, int& value);
// Attaches `control` to the dialog's control of that id (once).
AFX_UI_API void DDX_Control(CDataExchange* dx, int id, CWnd& control);
AFX_UI_API void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
AFX_UI_API void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
AFX_UI_API void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal);
AFX_UI_API void DDV_MinMaxLong(CDataExchange* dx, long value, long minVal, long maxVal);
AFX_UI_API void DDV_MinMaxDWord(CDataExchange* dx, DWORD value, DWORD minVal, DWORD maxVal);
AFX_UI_API void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minVal, double maxVal);
AFX_UI_API void DDV_MinMaxByte(CDataExchange* dx, BYTE value, BYTE minVal, BYTE maxVal);

// Makes the controls of a template as children of `parent`; returns the
// template's size in pixels.
AFX_UI_API CSize AfxCreateDialogControls(CWnd* parent, const CDialogTemplate& tmpl);
// Dialog units of a template's font -> pixels.
AFX_UI_API CSize AfxDialogBaseUnits(const CDialogTemplate& tmpl);
AFX_UI_API LONG GetDialogBaseUnits();
AFX_UI_API BOOL MapDialogRect(HWND dialog, LPRECT rect);
AFX_UI_API BOOL EndDialog(HWND dialog, INT_PTR result);

class AFX_UI_API CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCTSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog and waits (pumping messages) until EndDialog; returns
    // its result, or -1 when the template cannot be loaded.
    virtual INT_PTR DoModal();
    // A modeless dialog.
    using CWnd::Create;
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(LPCTSTR templateName, CWnd* parent = nullptr);
    BOOL CreateIndirect(const CDialogTemplate& tmpl, CWnd* parent = nullptr);
    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL IsDialogMessage(MSG* msg);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT id);
    DWORD GetDefID() const;
    void MapDialogRect(LPRECT rect) const;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg LRESULT OnInitDialogMessage(WPARAM, LPARAM);
    afx_msg void OnClose();

    LPCTSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;
    BOOL m_bModal = FALSE;
    BOOL m_bEnded = FALSE;
    int m_nModalResult = -1;
    UINT m_nDefID = IDOK;
    CSize m_baseUnits{6, 13};
    CDialogTemplate m_template;

protected:
    BOOL CreateFromTemplate(const CDialogTemplate& tmpl, CWnd* parent, bool modal);
    DECLARE_MESSAGE_MAP()
};

// Property sheets: pages (each a dialog template) shown one at a time under
// tabs, with OK, Cancel and Apply.
#define PSN_SETACTIVE (-200)
#define PSN_KILLACTIVE (-201)
#define PSN_APPLY (-202)
#define PSN_RESET (-203)
#define PSH_NOAPPLYNOW 0x00000080u
#define ID_APPLY_NOW 0x3021

class CPropertySheet;

class AFX_UI_API CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    // Saves the page's settings; FALSE keeps the sheet open.
    virtual BOOL OnApply();
    virtual void OnReset();
    void OnOK() override;
    void OnCancel() override;
    virtual BOOL OnQueryCancel();
    void SetModified(BOOL changed = TRUE);
    BOOL IsModified() const { return m_bChanged; }
    CPropertySheet* GetSheet() const { return m_pSheet; }
    CString m_strCaption;
    BOOL m_bChanged = FALSE;
    CPropertySheet* m_pSheet = nullptr;
    UINT m_nTemplateId = 0;
};

class AFX_UI_API CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(LPCTSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;
    void AddPage(CPropertyPage* page);
    void RemovePage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return m_nActive; }
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page);
    int GetPageIndex(CPropertyPage* page) const;
    void SetTitle(LPCTSTR title, UINT style = 0) { m_strCaption = title; (void)style; }
    virtual INT_PTR DoModal();
    // Applies every page that was changed; FALSE when one refused.
    BOOL Apply();
    void EndDialog(int result);
    void PressButton(int button);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnPageChanged();

    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;
    std::vector<CPropertyPage*> m_pages;
    int m_nActive = 0;
    BOOL m_bEnded = FALSE;
    int m_nModalResult = IDCANCEL;
    DWORD m_dwFlags = 0;
    struct PSH {
        DWORD dwFlags = 0;
    } m_psh;

protected:
    void Layout();
    CWnd* m_pTabs = nullptr;
    CWnd* m_pButtons[3] = {nullptr, nullptr, nullptr};
};

#define PSBTN_OK 1
#define PSBTN_CANCEL 2
#define PSBTN_APPLYNOW 3

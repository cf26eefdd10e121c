// An HTML browser as a window. The control class "AfxHtmlBrowser" shows a
// page (HTML or plain text, with the pictures beside a local page) from a
// local file or fetched over http, https or ftp on a worker thread with
// bounded waits, and tells its parent by WM_NOTIFY when a page is shown or
// cannot be. A page that cannot be fetched or found shows a short failure
// page naming the address. CHtmlView is a view filled by one such control;
// AfxOpenBrowserWindow opens a top-level window holding one.
#pragma once

#include "platform/afx/ui/docview.h"

#define HTMLBROWSER_CLASS "AfxHtmlBrowser"

// Control messages.
#define HBM_NAVIGATE (WM_USER + 0x3A0)     // lParam: const HtmlNavigateRequest*
#define HBM_GETLOCATION (WM_USER + 0x3A1)  // lParam: CString* receiving the address shown or being fetched
#define HBM_GETREADYSTATE (WM_USER + 0x3A2)
#define HBM_GETTEXT (WM_USER + 0x3A3)      // lParam: CString* receiving the page's text
#define HBM_STOP (WM_USER + 0x3A4)
#define HBM_GETERROR (WM_USER + 0x3A5)     // the HRESULT of the last navigation (S_OK when shown)

// Notification codes (WM_NOTIFY to the parent).
#define HBN_DOCUMENTCOMPLETE (0u - 900u)
#define HBN_NAVIGATEERROR (0u - 901u)

struct NMHTMLBROWSER {
    NMHDR hdr;
    const char* url;  // the address (ANSI text), valid during the notification
    LONG status;      // S_OK, or the failure (an HRESULT)
};

// Ready states of a browser.
#define READYSTATE_UNINITIALIZED 0
#define READYSTATE_LOADING 1
#define READYSTATE_COMPLETE 4

// Navigation flags (kept; a new window is opened for navOpenInNewWindow).
#define navOpenInNewWindow 0x1u
#define navNoHistory 0x2u
#define navNoReadFromCache 0x4u
#define navNoWriteToCache 0x8u
#define navEnforceRestricted 0x80u

// Failures of a navigation besides those of the download service.
#define HTML_E_NOTFOUND (static_cast<LONG>(0x800C0005u))      // no such local file
#define HTML_E_UNSUPPORTED (static_cast<LONG>(0x80004001u))   // post data or extra headers

struct HtmlNavigateRequest {
    const char* url = nullptr;
    DWORD flags = 0;
    const char* targetFrame = nullptr;
    const char* headers = nullptr;
    const void* postData = nullptr;
    DWORD postLength = 0;
};

class AFX_UI_API CHtmlBrowserCtrl : public CWnd {
    DECLARE_DYNAMIC(CHtmlBrowserCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Shows `url`: an http, https or ftp address, a file: address, a local
    // path of the system's form, or "about:blank". Post data and extra
    // headers are not sent: such a navigation fails with HTML_E_UNSUPPORTED.
    // With navOpenInNewWindow the page opens in a new browser window.
    void Navigate(LPCTSTR url, DWORD flags = 0, LPCTSTR targetFrame = nullptr, LPCTSTR headers = nullptr,
                  const void* postData = nullptr, DWORD postLength = 0);
    CString GetLocationURL() const;
    LONG GetReadyState() const;
    BOOL GetBusy() const { return GetReadyState() == READYSTATE_LOADING; }
    // The text of the page shown (without markup).
    CString GetDocumentText() const;
    // S_OK when the last page was shown, else its failure.
    LONG GetLastNavigationError() const;
    void Stop();
};

class AFX_UI_API CHtmlView : public CView {
    DECLARE_DYNCREATE(CHtmlView)
public:
    CHtmlView();
    ~CHtmlView() override;

    void Navigate(LPCTSTR url, DWORD flags = 0, LPCTSTR targetFrame = nullptr, LPCTSTR headers = nullptr,
                  LPVOID postData = nullptr, DWORD postLength = 0);
    void Navigate2(LPCTSTR url, DWORD flags = 0, LPCTSTR targetFrame = nullptr, LPCTSTR headers = nullptr,
                   LPVOID postData = nullptr, DWORD postLength = 0) {
        Navigate(url, flags, targetFrame, headers, postData, postLength);
    }
    CString GetLocationURL() const { return m_browser.GetLocationURL(); }
    LONG GetReadyState() const { return m_browser.GetReadyState(); }
    BOOL GetBusy() const { return m_browser.GetBusy(); }
    void Stop() { m_browser.Stop(); }
    CHtmlBrowserCtrl& Browser() { return m_browser; }

    // Called when a page is shown, and when one cannot be (`cancel` is unused).
    virtual void OnDocumentComplete(LPCTSTR url);
    virtual void OnNavigateError(LPCTSTR url, LPCTSTR frame, DWORD status, BOOL* cancel);

    void OnDraw(CDC* dc) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

    static constexpr UINT kBrowserId = 0xE900;
    CHtmlBrowserCtrl m_browser;
};

// Opens a top-level window (owned by `owner`, may be null) that shows `url`,
// titled `title` (empty: the page's title). Returns the window, nullptr on failure.
AFX_UI_API HWND AfxOpenBrowserWindow(HWND owner, LPCTSTR url, LPCTSTR title = nullptr);
// The browser control inside a window of AfxOpenBrowserWindow (nullptr for other windows).
AFX_UI_API CHtmlBrowserCtrl* AfxBrowserOfWindow(HWND window);

// Common dialogs and shell services: file open/save, folder browser, colour
// picker, printing (to a PDF file when no printer is set up), and the
// notification-area icon. Under AfxTestScript they take scripted answers
// and record what was asked.
#pragma once

#include <vector>

#include "platform/afx/ui/dialog.h"

#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_SHOWHELP 0x00000010u
#define OFN_NOVALIDATE 0x00000100u
#define OFN_ALLOWMULTISELECT 0x00000200u
#define OFN_EXTENSIONDIFFERENT 0x00000400u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_CREATEPROMPT 0x00002000u
#define OFN_NOREADONLYRETURN 0x00008000u
#define OFN_EXPLORER 0x00080000u
#define OFN_ENABLETEMPLATE 0x00000040u
#define OFN_ENABLESIZING 0x00800000u

struct OPENFILENAME {
    DWORD lStructSize;
    HWND hwndOwner;
    LPCSTR lpstrFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    // With OFN_ENABLETEMPLATE: the child dialog template (of hInstance, else
    // the resource module) whose controls the dialog shows below its own.
    // The CFileDialog object is that child's window: its message map gets
    // the controls' notifications, and OnInitDialog runs once they exist.
    // Under AfxTestScript the child is made (hidden) and the queued dialog
    // action runs on it before the scripted file is taken.
    HINSTANCE hInstance;
    LPCSTR lpTemplateName;
};

class AFX_UI_API CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // `filter` is "Description|*.ext;*.ext2|...||" as callers write it.
    explicit CFileDialog(BOOL openFileDialog, LPCTSTR defExt = nullptr, LPCTSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR filter = nullptr,
                         CWnd* parent = nullptr);
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }
    // The chosen files of a multiple selection.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    OPENFILENAME m_ofn{};
    BOOL m_bOpenFileDialog;
    CString m_strFilter, m_strDefExt, m_strTitle, m_strInitialDir;
    std::vector<CString> m_paths;

private:
    char m_szFile[MAX_PATH * 4] = {0};
};

#define CC_RGBINIT 0x00000001u
#define CC_FULLOPEN 0x00000002u
#define CC_ANYCOLOR 0x00000100u

class AFX_UI_API CColorDialog : public CDialog {
    DECLARE_DYNAMIC(CColorDialog)
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_color; }
    void SetCurrentColor(COLORREF c) { m_color = c; }
    COLORREF m_color;
    DWORD m_dwFlags;
};

// The folder browser.
#define BIF_RETURNONLYFSDIRS 0x0001u
#define BIF_DONTGOBELOWDOMAIN 0x0002u
#define BIF_STATUSTEXT 0x0004u
#define BIF_EDITBOX 0x0010u
#define BIF_NEWDIALOGSTYLE 0x0040u
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using BFFCALLBACK = int (*)(HWND, UINT, LPARAM, LPARAM);
struct BROWSEINFO {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;
    LPSTR pszDisplayName;
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
// With a callback (lpfn) the browser is a dialog of the framework's own that
// calls it with BFFM_INITIALIZED (the dialog's window), BFFM_SELCHANGED (lParam
// the selected folder's path, Windows form) and, the framework's addition,
// BFFM_OKPRESSED when OK is pressed (a nonzero answer keeps the dialog open);
// the callback may send the dialog BFFM_SETSTATUSTEXTA, BFFM_ENABLEOK and
// BFFM_SETSELECTIONA (lParam a path). Its controls: 14146 the prompt, 14147 the
// status line (BIF_STATUSTEXT), 14145 the list of folders; a strip above the
// list is left for the caller's controls. Under AfxTestScript a queued folder
// is selected after BFFM_INITIALIZED, then the queued action and answer run.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_OKPRESSED 100
#define BFFM_SETSTATUSTEXTA (WM_USER + 100)
#define BFFM_ENABLEOK (WM_USER + 101)
#define BFFM_SETSELECTIONA (WM_USER + 102)
// The chosen folder as an item list (free it with CoTaskMemFree), or nullptr when cancelled.
AFX_UI_API LPITEMIDLIST SHBrowseForFolder(BROWSEINFO* info);
AFX_UI_API BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
AFX_UI_API void CoTaskMemFree(void* block);

// The notification-area icon.
#define NIM_ADD 0x0u
#define NIM_MODIFY 0x1u
#define NIM_DELETE 0x2u
#define NIF_MESSAGE 0x1u
#define NIF_ICON 0x2u
#define NIF_TIP 0x4u
struct NOTIFYICONDATA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[128];
};
// Adds, changes or removes the icon; clicks reach hWnd as uCallbackMessage
// (wParam uID, lParam WM_LBUTTONUP, WM_RBUTTONUP or WM_LBUTTONDBLCLK). Where
// the desktop has no notification area the icon is kept but not shown.
AFX_UI_API BOOL Shell_NotifyIcon(DWORD message, NOTIFYICONDATA* data);

// Printing.
#define PD_ALLPAGES 0x00000000u
#define PD_SELECTION 0x00000001u
#define PD_PAGENUMS 0x00000002u
#define PD_NOSELECTION 0x00000004u
#define PD_NOPAGENUMS 0x00000008u
#define PD_PRINTSETUP 0x00000040u
#define PD_RETURNDC 0x00000100u
#define PD_RETURNDEFAULT 0x00000400u
#define PD_USEDEVMODECOPIES 0x00040000u
#define SP_ERROR (-1)
struct DOCINFO {
    int cbSize;
    LPCSTR lpszDocName;
    LPCSTR lpszOutput;
    LPCSTR lpszDatatype;
    DWORD fwType;
};
// A printer device context: pages are drawn at 150 dots an inch on A4 and
// go to the printer, or to a PDF file (lpszOutput, else $SUITE_PRINT_PDF,
// else "<document>.pdf" in the temporary folder) when no printer is set up.
AFX_UI_API HDC AfxCreatePrinterDC();
// The same for the printer of that name (EnumPrinters); the PDF file printer
// (kPdfFilePrinter), an empty or an unknown name print to a PDF file as above.
AFX_UI_API HDC AfxCreatePrinterDCFor(LPCSTR printerName);

// The printers set up on this machine, and always the PDF file printer.
#define PRINTER_ENUM_LOCAL 0x00000002u
#define PRINTER_ENUM_CONNECTIONS 0x00000004u
inline constexpr const char* kPdfFilePrinter = "PDF File";
struct PRINTER_INFO_2A {
    LPSTR pServerName;
    LPSTR pPrinterName;
    LPSTR pShareName;
    LPSTR pPortName;
    LPSTR pDriverName;
    LPSTR pComment;
    LPSTR pLocation;
};
// Level 2 only: records followed by their texts in `buffer`. With too small
// a buffer FALSE with ERROR_INSUFFICIENT_BUFFER and the size in `needed`.
AFX_UI_API BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                              LPDWORD returned);
// The name of the machine's default printer; the PDF file printer when none is set up.
AFX_UI_API CString AfxDefaultPrinterName();
// Ends a printer device context of AfxCreatePrinterDC (an unfinished
// document is abandoned); DeleteDC alone leaves its page behind.
AFX_UI_API BOOL AfxDeletePrinterDC(HDC dc);
AFX_UI_API int StartDoc(HDC dc, const DOCINFO* info);
AFX_UI_API int StartPage(HDC dc);
AFX_UI_API int EndPage(HDC dc);
AFX_UI_API int EndDoc(HDC dc);
AFX_UI_API int AbortDoc(HDC dc);
// The file the last finished document went to.
AFX_UI_API CString AfxLastPrintOutput();

class AFX_UI_API CPrintDialog : public CDialog {
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL printSetupOnly, DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_NOSELECTION,
                          CWnd* parent = nullptr);
    ~CPrintDialog() override;
    INT_PTR DoModal() override;
    BOOL GetDefaults();
    HDC GetPrinterDC() const;
    HDC CreatePrinterDC();
    int GetCopies() const { return 1; }
    BOOL PrintAll() const { return !(m_dwFlags & (PD_SELECTION | PD_PAGENUMS)); }
    CString GetDeviceName() const { return m_strDevice; }
    DWORD m_dwFlags;
    BOOL m_bPrintSetupOnly;
    HDC m_hDC = nullptr;
    CString m_strDevice;
};

class AFX_UI_API CPrintInfo {
public:
    CPrintInfo();
    ~CPrintInfo();
    void SetMinPage(UINT page) { m_nMinPage = page; }
    void SetMaxPage(UINT page) { m_nMaxPage = page; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nMinPage; }
    UINT GetToPage() const { return m_nMaxPage; }
    CPrintDialog* m_pPD;
    BOOL m_bDirect = FALSE;
    BOOL m_bPreview = FALSE;
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 1;
    CString m_strPageDesc;
    LPVOID m_lpUserData = nullptr;
    CRect m_rectDraw;
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
};

// What the page image, the document and the views ask of the application
// shell: the open document's path, the page list's current row, settings and
// flags, message boxes, the wait cursor and the status-bar progress bar.
// The shell implements the interface and installs itself with
// SetShellServices; until then a quiet default answers (no document, no page
// list, messages dropped).
#pragma once

#include <string>

#include "platform/win/types.h"

// Message box styles and answers the callers use.
#ifndef MB_OK
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONSTOP 0x00000010u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif

// Page-list columns: path, language, type, status, resolution.
enum PageListColumn { kPageListPath = 0, kPageListLanguage = 1, kPageListType = 2, kPageListStatus = 3,
                      kPageListResolution = 4 };

class CShellServices {
public:
    virtual ~CShellServices() = default;

    // Path of the open OCR document, empty when no document is open.
    virtual std::string CurrentDocumentPath() const = 0;

    // Page list: the first selected row, else the focused row, else -1.
    virtual int PageListCurrentRow() const = 0;
    virtual int PageListRowCount() const = 0;
    // Text of one cell; empty for a row or column that does not exist.
    virtual std::string PageListItemText(int row, int column) const = 0;

    // Settings and flags of the application object.
    virtual bool IsSimplified() const = 0;           // m_bSimplified
    virtual WORD SystemLanguageId() const = 0;       // m_wSysLangID
    virtual std::string DataFolder() const = 0;      // m_strDataDir
    virtual std::string ProgramFolder() const = 0;   // m_strAppDir
    virtual int DefaultResolution() const = 0;       // m_nResolution
    // The conversion library loaded at start-up (m_hConvertDll); NULL when it
    // could not be loaded.
    virtual HMODULE ConvertLibrary() const { return nullptr; }

    // A modal message box; returns the button pressed (IDOK ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT style) = 0;

    // Wait cursor, shown from Begin to the matching End (calls nest).
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // The main frame's status-bar progress bar (pane 1).
    virtual void ClearProgress() = 0;
    virtual void DrawProgress(int first, int last, int current) = 0;
    virtual void RefreshProgress() = 0;
};

// The answers given while no shell is installed.
class CNoShellServices final : public CShellServices {
public:
    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return -1; }
    int PageListRowCount() const override { return 0; }
    std::string PageListItemText(int, int) const override { return {}; }
    bool IsSimplified() const override { return true; }
    WORD SystemLanguageId() const override { return 2052; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};

namespace shell_detail {
inline CShellServices*& InstalledServices() {
    static CShellServices* installed = nullptr;
    return installed;
}
}  // namespace shell_detail

// Installs the shell (nullptr goes back to the quiet default). Not owned.
inline void SetShellServices(CShellServices* services) { shell_detail::InstalledServices() = services; }

inline CShellServices& ShellServices() {
    static CNoShellServices quiet;
    CShellServices* installed = shell_detail::InstalledServices();
    return installed ? *installed : quiet;
}

// Shows the wait cursor for the life of the object.
class CShellWaitCursor {
public:
    CShellWaitCursor() { ShellServices().BeginWaitCursor(); }
    ~CShellWaitCursor() { ShellServices().EndWaitCursor(); }
    CShellWaitCursor(const CShellWaitCursor&) = delete;
    CShellWaitCursor& operator=(const CShellWaitCursor&) = delete;
};

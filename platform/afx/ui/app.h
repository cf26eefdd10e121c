// The application object. A program defines one CWinApp-derived object;
// AfxWinMain (or the program's own main) runs InitInstance, the message loop
// and ExitInstance.
#pragma once

#include <vector>

#include "platform/afx/core/collections.h"
#include "platform/afx/ui/thread.h"

class CDocTemplate;
class CDocument;
class CRecentFileList;
class CCommandLineInfo;

// The most recently used files, kept in the profile section "Recent File List"
// as "File1".."Filen" and shown in the menu at ID_FILE_MRU_FILE1...
class AFX_UI_API CRecentFileList {
public:
    CRecentFileList(UINT start, LPCTSTR section, LPCTSTR entryFormat, int size, int maxDisplayLength = 40);
    virtual ~CRecentFileList() = default;
    int GetSize() const { return m_nSize; }
    int GetCount() const;
    CString& operator[](int index) { return m_arrNames[static_cast<size_t>(index)]; }
    virtual void Add(LPCTSTR path);
    virtual void Remove(int index);
    virtual void ReadList();
    virtual void WriteList();
    // Puts the listed files into the menu in place of the item of `ui`
    // ("&1 name", "&2 name", ...; the number wraps at 10), or, with none
    // listed, leaves that item with its own text, disabled.
    virtual void UpdateMenu(CCmdUI* ui);
    // Entry `index` as a menu shows it: by its name alone in `curDir`, cut
    // with "..." when longer than the display length. FALSE when empty.
    BOOL GetDisplayName(CString& name, int index, LPCTSTR curDir, int curDirLength, BOOL atLeastName = TRUE) const;

    int m_nSize;
    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    int m_nMaxDisplayLength;
    std::vector<CString> m_arrNames;
    CString m_strOriginal;  // the placeholder item's text
};

#define ID_FILE_MRU_FILE1 0xE110
#define ID_FILE_MRU_FILE16 0xE11F
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PAGE_SETUP 0xE105
#define ID_FILE_PRINT_SETUP 0xE106
#define ID_FILE_PRINT 0xE107
#define ID_FILE_PRINT_DIRECT 0xE108
#define ID_FILE_PRINT_PREVIEW 0xE109
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_CLEAR_ALL 0xE121
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_FIND 0xE124
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_REPEAT 0xE128
#define ID_EDIT_REPLACE 0xE129
#define ID_EDIT_SELECT_ALL 0xE12A
#define ID_EDIT_UNDO 0xE12B
#define ID_EDIT_REDO 0xE12C
#define ID_WINDOW_SPLIT 0xE135
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_HELP_INDEX 0xE142
#define ID_HELP_FINDER 0xE143
#define ID_HELP_USING 0xE144
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP 0xE146
#define ID_DEFAULT_HELP 0xE147
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801
#define ID_INDICATOR_EXT 0xE700
#define ID_INDICATOR_CAPS 0xE701
#define ID_INDICATOR_NUM 0xE702
#define ID_INDICATOR_SCRL 0xE703
#define ID_INDICATOR_OVR 0xE704
#define ID_INDICATOR_REC 0xE705
#define ID_SEPARATOR 0
#define AFX_IDS_IDLEMESSAGE 0xE001
#define AFX_IDS_APP_TITLE 0xE000

class AFX_UI_API CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCTSTR appName = nullptr);
    ~CWinApp() override;

    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszRegistryKey = nullptr;
    LPCTSTR m_pszProfileName = nullptr;
    LPCTSTR m_pszExeName = nullptr;
    LPCTSTR m_pszHelpFilePath = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CRecentFileList* m_pRecentFileList = nullptr;
    BOOL m_bHelpMode = FALSE;
    // The program's arguments as given to AfxWinMain (argv[0] excluded).
    std::vector<CString> m_args;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG count) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    virtual int DoMessageBox(LPCTSTR prompt, UINT type, UINT helpId);

    // Settings: with a registry key they live under
    // HKEY_CURRENT_USER\Software\<key>\<application>, otherwise in an ini file.
    void SetRegistryKey(LPCTSTR key);
    void SetRegistryKey(UINT stringId);
    UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int def);
    CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR def = nullptr);
    BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value);
    BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value);
    BOOL GetProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE* data, UINT* bytes);
    BOOL WriteProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE data, UINT bytes);
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCTSTR section);
    // Reads the recent-file list (up to `maxMru` entries, section "Recent
    // File List") and "Settings"/"PreviewPages"; exit writes both back.
    void LoadStdProfileSettings(UINT maxMru = 4);
    void SaveStdProfileSettings();
    UINT m_nNumPreviewPages = 0;  // pages a print preview shows at once (0: its own choice)
    virtual void AddToRecentFileList(LPCTSTR path);

    // Documents.
    void AddDocTemplate(CDocTemplate* tmpl);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    virtual CDocument* OpenDocumentFile(LPCTSTR path);
    virtual BOOL SaveAllModified();
    void CloseAllDocuments(BOOL endSession);
    BOOL ProcessShellCommand(CCommandLineInfo& info);
    void ParseCommandLine(CCommandLineInfo& info);
    void EnableShellOpen() {}
    void RegisterShellFileTypes(BOOL = FALSE) {}
    void Enable3dControls() {}
    void Enable3dControlsStatic() {}

    // Cursors and icons.
    HCURSOR LoadCursor(LPCTSTR name) const;
    HCURSOR LoadCursor(UINT id) const;
    HCURSOR LoadStandardCursor(LPCTSTR name) const;
    HCURSOR LoadOEMCursor(UINT id) const;
    HICON LoadIcon(LPCTSTR name) const;
    HICON LoadIcon(UINT id) const;
    HICON LoadStandardIcon(LPCTSTR name) const;

    virtual void WinHelp(DWORD_PTR data, UINT cmd = 0);

    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnAppExit();
    afx_msg void OnFilePrintSetup();
    afx_msg void OnUpdateRecentFileMenu(CCmdUI* ui);
    afx_msg BOOL OnOpenRecentFile(UINT id);

    DECLARE_MESSAGE_MAP()

public:
    struct Impl;
    Impl* m_pImpl = nullptr;
};

AFX_UI_API CWinApp* AfxGetApp();
AFX_UI_API CWnd* AfxGetMainWnd();
AFX_UI_API LPCTSTR AfxGetAppName();
// Makes the window-system application, then runs the application object's
// InitInstance, its message loop and ExitInstance; returns the exit code.
AFX_UI_API int AfxWinMain(int argc, char** argv);
// Makes the window-system application without running anything (tests and
// programs with their own main).
AFX_UI_API void AfxWinInit(int argc = 0, char** argv = nullptr);

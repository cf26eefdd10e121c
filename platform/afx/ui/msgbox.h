// Message boxes, and the test script that answers them (and modal dialogs)
// without a person: queued answers are taken in order, and everything shown is
// recorded.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/ui/wnd.h"

AFX_UI_API int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT helpId = 0);
AFX_UI_API int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
AFX_UI_API int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type);

// What a message box or modal dialog showed (texts in the ANSI code page).
struct AfxShownRecord {
    std::string kind;     // "message", "dialog", "file", "folder", "color", "print", "menu"
    std::string title;
    std::string text;
    UINT type = 0;        // MB_ flags of a message box; template id of a dialog
    std::vector<std::string> buttons;  // "OK", "Cancel", "Yes", "No", ...; a popup menu's item texts
    std::string folder, name;          // a file dialog's starting folder and file name
    int result = 0;                    // a popup menu's: the command chosen, 0 when dismissed
};

class AFX_UI_API AfxTestScript {
public:
    // From now on message boxes and modal dialogs do not wait for a person:
    // each takes the next queued answer (IDOK, IDYES...); with none queued a
    // message box returns its default button and a dialog IDCANCEL.
    static void Enable(bool on = true);
    static bool Enabled();
    static void QueueAnswer(int result);
    // A file dialog's chosen path(s) ("" cancels), a folder, a colour.
    static void QueueFile(const std::string& pathOrEmpty);
    static void QueueFiles(const std::vector<std::string>& paths);
    // A function run on a modal dialog once it is up, before it takes its answer
    // (for filling controls); it may end the dialog itself.
    static void QueueDialogAction(void (*action)(CWnd* dialog, void* data), void* data);
    static std::vector<AfxShownRecord> Shown();
    static void Clear();

    // Used by the framework.
    static bool TakeAnswer(int* result);
    static bool TakeFiles(std::vector<std::string>* paths);
    static bool TakeDialogAction(void (**action)(CWnd*, void*), void** data);
    static void Record(const AfxShownRecord& record);
};

namespace afx_detail {
// TRUE, with a note on the error output, when a modal question (`kind`,
// `title`) cannot be put to anyone: no test script answers it and the window
// system has no screen (the offscreen platform). The caller then takes the
// answer of a closed dialog instead of waiting for ever.
AFX_UI_API bool NobodyToAsk(const char* kind, const char* title);
}  // namespace afx_detail

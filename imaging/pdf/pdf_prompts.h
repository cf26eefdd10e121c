// What the PDF page access asks of the user interface: the password dialog,
// the wrong-password message, progress posts to a window, and a pump of the
// calling thread's waiting messages. The application installs the real one;
// without one, password prompts are cancelled and progress is not shown.
#pragma once

#include "platform/win/types.h"

#include <string>

class CPdfPrompts {
public:
    virtual ~CPdfPrompts() = default;
    // Asks for the password of `path`. False when the user cancelled, or when
    // no answer can be had before `stopEvent` (may be NULL) is set. Called from
    // any thread: an implementation shows the dialog on the user-interface
    // thread and never blocks the caller past a stop.
    virtual bool AskPassword(const char* path, std::string& password, HANDLE stopEvent) = 0;
    // The wrong-password message (before the dialog is shown again).
    virtual void ShowWrongPassword() = 0;
    // Posts WM_IMAGEPROGRESS (wParam done, lParam total) to `window`.
    virtual void PostProgress(HWND window, int done, int total) = 0;
    // Dispatches the calling thread's waiting window messages.
    virtual void PumpMessages() = 0;
};

// Installs the prompts (NULL: the silent default). Not owned.
void SetPdfPrompts(CPdfPrompts* prompts);
CPdfPrompts& PdfPrompts();

// The update check's way to the user-interface thread: a hidden window made
// on that thread, to which the worker sends its requests (messages, the
// update dialog, starting the updater); it answers them there. The object
// lives as long as the process, so a worker still running when the program
// ends finds the window gone and gets "cancelled" answers.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/update/update_check.h"

#define WM_UPDATE_REQUEST (WM_USER + 0x3A1)

class CUpdateRelay : public CWnd, public CUpdateHost {
public:
    // Makes the hidden window on the calling (user-interface) thread, once.
    BOOL CreateRelay();
    void DestroyRelay();

    int Message(UINT stringId, UINT style) override;
    int ChooseEntry(const std::string& taskIni, int startEntry) override;
    bool StartUpdater(const std::string& program, const std::string& parameter, const std::string& folder) override;
    void CloseProgram() override;

protected:
    afx_msg LRESULT OnRequest(WPARAM, LPARAM request);
    DECLARE_MESSAGE_MAP()

private:
    LRESULT send(void* request);
    HWND m_window = nullptr;
};

// The program's one relay.
CUpdateRelay& UpdateRelay();

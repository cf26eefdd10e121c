// Threads of the framework and the application object. A user-interface
// thread owns a message queue; its windows receive the messages posted to
// them (from any thread) on it, in the order they were posted.
#pragma once

#include "platform/afx/ui/wnd.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define CREATE_SUSPENDED 0x00000004u

class AFX_UI_API CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    ~CWinThread() override;

    CWnd* m_pMainWnd = nullptr;
    CWnd* m_pActiveWnd = nullptr;
    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;
    MSG m_msgCur{};

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Runs the message loop until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Called when the queue is empty; return TRUE to be called again.
    virtual BOOL OnIdle(LONG count);
    virtual BOOL IsIdleMessage(MSG* msg);
    // Waits for, translates and dispatches one message; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual CWnd* GetMainWnd();

    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, LPVOID security = nullptr);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int priority);
    int GetThreadPriority();
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Waits up to `timeout` ms for a thread made by AfxBeginThread to end.
    BOOL Join(DWORD timeout);
    // The worker's exit code once it has ended.
    DWORD m_dwExitCode = 0;

    struct State;
    State* m_pState = nullptr;  // internal
};

// Starts a worker running proc(param); the returned object deletes itself
// when the worker ends unless m_bAutoDelete is cleared first (then Join and delete it).
AFX_UI_API CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                                      UINT stackSize = 0, DWORD flags = 0, LPVOID security = nullptr);
AFX_UI_API void AfxEndThread(UINT exitCode, BOOL deleteThread = TRUE);
AFX_UI_API CWinThread* AfxGetThread();
// Dispatches every message waiting in the calling thread's queue (after the
// window system's pending events) and returns; safe inside handlers.
AFX_UI_API void AfxPumpMessages();

// Command targets and message maps.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and lists its
// handlers between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). Each
// entry is bound at compile time to a small dispatcher that unpacks the
// message parameters and calls the member with its exact signature, so a
// handler of the wrong shape is a compile error rather than a crash.
// Numbered commands (WM_COMMAND) and their update requests (CCmdUI) are routed
// through OnCmdMsg: a view, then its document, then the frame, then the
// application, as CView/CDocument/CFrameWnd arrange.
#pragma once

#include "platform/afx/core/object.h"
#include "platform/afx/core/cstring.h"
#include "platform/afx/ui/winuser.h"

class CCmdTarget;
class CCmdUI;
class CMenu;
class CWnd;

// What a dispatcher receives: the message, and for commands the id, code and
// extra record (CCmdUI* for update requests, AFX_NOTIFY* for notifications).
struct AFX_MSGCALL {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;
    int nCode;
    void* pExtra;
};

struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Dispatchers return the message result; for commands, non-zero means handled.
using AFX_MSGTHUNK = LRESULT (*)(CCmdTarget*, AFX_MSGCALL&);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;          // WM_xxx, or 0 with pRegistered set
    UINT nCode;             // control notification or CN_ code
    UINT nID;               // first control or command id
    UINT nLastID;           // last id of a range
    const UINT* pRegistered;  // message number chosen at run time (RegisterWindowMessage)
    AFX_MSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    const AFX_MSGMAP_ENTRY* pEntry;
};

class AFX_UI_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    // Looks for a handler of command nID with code nCode in this target's map
    // (and, in derived classes, the targets it routes to). With pHandlerInfo
    // the handler is only found, not called.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    // The entry of this object's maps (most derived first) for a window message.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
    // Calls the handler found for a window message.
    BOOL DispatchWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

// The state of one user-interface item (menu item, tool-bar button, status
// pane, dialog-bar control) being updated by ON_UPDATE_COMMAND_UI handlers.
class AFX_UI_API CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);  // 0 off, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(LPCTSTR text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Routes this update to `target`; an item nobody handles is disabled when
    // `disableIfNoHandler` and it has no command handler either. TRUE when handled.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CMenu* m_pParentMenu = nullptr;
    CWnd* m_pOther = nullptr;
    UINT m_nIndexMax = 0;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
};

namespace afx_thunk {

// Each dispatcher binds one member pointer F of class C and checks its signature
// by converting it to the exact type the message needs.

template <class C, auto F>
LRESULT Command(CCmdTarget* t, AFX_MSGCALL&) {
    void (C::*f)() = F;
    (static_cast<C*>(t)->*f)();
    return TRUE;
}
template <class C, auto F>
LRESULT CommandEx(CCmdTarget* t, AFX_MSGCALL& c) {
    BOOL (C::*f)(UINT) = F;
    return (static_cast<C*>(t)->*f)(c.nID);
}
template <class C, auto F>
LRESULT CommandRange(CCmdTarget* t, AFX_MSGCALL& c) {
    void (C::*f)(UINT) = F;
    (static_cast<C*>(t)->*f)(c.nID);
    return TRUE;
}
template <class C, auto F>
LRESULT UpdateUI(CCmdTarget* t, AFX_MSGCALL& c) {
    void (C::*f)(CCmdUI*) = F;
    auto* ui = static_cast<CCmdUI*>(c.pExtra);
    ui->m_bContinueRouting = FALSE;
    (static_cast<C*>(t)->*f)(ui);
    return !ui->m_bContinueRouting;
}
template <class C, auto F>
LRESULT Notify(CCmdTarget* t, AFX_MSGCALL& c) {
    void (C::*f)(NMHDR*, LRESULT*) = F;
    auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);
    (static_cast<C*>(t)->*f)(n->pNMHDR, n->pResult);
    return TRUE;
}
template <class C, auto F>
LRESULT NotifyRange(CCmdTarget* t, AFX_MSGCALL& c) {
    void (C::*f)(UINT, NMHDR*, LRESULT*) = F;
    auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);
    (static_cast<C*>(t)->*f)(c.nID, n->pNMHDR, n->pResult);
    return TRUE;
}
template <class C, auto F>
LRESULT Message(CCmdTarget* t, AFX_MSGCALL& c) {
    LRESULT (C::*f)(WPARAM, LPARAM) = F;
    return (static_cast<C*>(t)->*f)(c.wParam, c.lParam);
}

}  // namespace afx_thunk

#ifndef afx_msg
#define afx_msg
#endif

#define DECLARE_MESSAGE_MAP()                        \
protected:                                           \
    static const AFX_MSGMAP* GetThisMessageMap();    \
                                                     \
public:                                              \
    const AFX_MSGMAP* GetMessageMap() const override; \
                                                     \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                      \
        using ThisClass [[maybe_unused]] = theClass;                                       \
        using TheBaseClass = baseClass;                                                    \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {
#define END_MESSAGE_MAP()                                                                  \
    {0, 0, 0, 0, nullptr, nullptr}};                                                       \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]}; \
    return &messageMap;                                                                    \
    }

#define AFX_ENTRY(msg, code, first, last, thunk) {msg, static_cast<UINT>(code), static_cast<UINT>(first), static_cast<UINT>(last), nullptr, thunk},

#define ON_COMMAND(id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, (&afx_thunk::Command<ThisClass, &ThisClass::memberFxn>))
#define ON_COMMAND_EX(id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, id, id, (&afx_thunk::CommandEx<ThisClass, &ThisClass::memberFxn>))
#define ON_COMMAND_RANGE(first, last, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, first, last, (&afx_thunk::CommandRange<ThisClass, &ThisClass::memberFxn>))
#define ON_COMMAND_EX_RANGE(first, last, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_COMMAND, first, last, (&afx_thunk::CommandEx<ThisClass, &ThisClass::memberFxn>))
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, (&afx_thunk::UpdateUI<ThisClass, &ThisClass::memberFxn>))
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, memberFxn) \
    AFX_ENTRY(WM_COMMAND, CN_UPDATE_COMMAND_UI, first, last, (&afx_thunk::UpdateUI<ThisClass, &ThisClass::memberFxn>))
// A control notification carried by WM_COMMAND (BN_CLICKED, EN_CHANGE, ...).
#define ON_CONTROL(code, id, memberFxn) \
    AFX_ENTRY(WM_COMMAND, code, id, id, (&afx_thunk::Command<ThisClass, &ThisClass::memberFxn>))
#define ON_CONTROL_RANGE(code, first, last, memberFxn) \
    AFX_ENTRY(WM_COMMAND, code, first, last, (&afx_thunk::CommandRange<ThisClass, &ThisClass::memberFxn>))
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
// A notification the control sends back to itself when its parent leaves it.
#define ON_CONTROL_REFLECT(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, (&afx_thunk::Command<ThisClass, &ThisClass::memberFxn>))
#define ON_NOTIFY(code, id, memberFxn) \
    AFX_ENTRY(WM_NOTIFY, code, id, id, (&afx_thunk::Notify<ThisClass, &ThisClass::memberFxn>))
#define ON_NOTIFY_RANGE(code, first, last, memberFxn) \
    AFX_ENTRY(WM_NOTIFY, code, first, last, (&afx_thunk::NotifyRange<ThisClass, &ThisClass::memberFxn>))
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    AFX_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, (&afx_thunk::Notify<ThisClass, &ThisClass::memberFxn>))
#define ON_MESSAGE(message, memberFxn) \
    AFX_ENTRY(message, 0, 0, 0, (&afx_thunk::Message<ThisClass, &ThisClass::memberFxn>))
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0, 0, 0, 0, &(nMessageVariable), (&afx_thunk::Message<ThisClass, &ThisClass::memberFxn>)},
#define ON_THREAD_MESSAGE(message, memberFxn) ON_MESSAGE(message, memberFxn)
